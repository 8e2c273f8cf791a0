#pragma once
// Records a payroll format cannot carry. A field check that fails (a
// personnel number, wage type or cost field too long for the format, a
// quantity too large for its column, a separator inside a field) leaves the
// record out of the hand-over: the exporter writes one line that names the
// employee and the offending value, and the run counts the record. The
// control report finds these lines in the run log again by the same list of
// messages, so that it shows them after a real run and inside a check run.
#include <span>
#include <string_view>

#include "base/run_context.h"

namespace lug::exporters {

// Logs the exporter's rejection line (a printf format of
// rejectionMessages()) and counts the record in ctx.rejectedRecords.
void reject(RunContext& ctx, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The rejection messages of all exporters, as printf formats.
std::span<const std::string_view> rejectionMessages();

// Whether a line of the run log (UTF-8, without its line end) is a rejection line.
bool isRejectionLine(std::string_view line);

}  // namespace lug::exporters
