#pragma once
// The LODAS exporter: LodasSST-0.txt with the movements of the run's own
// period and, one file per earlier period the run recalculated (newest
// first), LodasSST-1.txt to LodasSST-12.txt with the corrections of that
// period as records to remove and records to add. Every file starts with the
// description block the LODAS import reads. The records are summed first in
// the staging table Hor333Ld1.
#include "base/run_context.h"

namespace lug::exporters {

void exportLodas(RunContext& ctx);

}  // namespace lug::exporters
