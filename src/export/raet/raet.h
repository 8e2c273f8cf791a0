#pragma once
// The Raet exporter: the period's records summed per payroll personnel
// number, wage type and accounting date into Hor333Rat, written as the
// fixed-width file Raet.txt between a header line ("A") and a trailer line
// ("Z") that counts the file's lines.
#include "base/run_context.h"

namespace lug::exporters {

void exportRaet(RunContext& ctx);

}  // namespace lug::exporters
