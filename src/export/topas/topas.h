#pragma once
// The TOPAS exporter: wage records (kind "LS") staged in Hor333Tp1 and
// written as LGD038IM, absence records (kind "SS") staged in Hor333Tp2 and
// written as LGD034IM. A final run after partial runs of the period hands
// over only what the partial runs have not.
#include "base/run_context.h"

namespace lug::exporters {

void exportTopas(RunContext& ctx);

}  // namespace lug::exporters
