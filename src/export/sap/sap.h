#pragma once
// The SAP exporter: the period records of the interface types beginning with
// "SAP" as records of the infotypes 2010 (hours, staged in Hor333S10) and
// 2001 (absences, staged in Hor333S01), each written as a fixed-width file
// and as a semicolon-separated file: SAP2010.txt, SAP2010.csv, SAP2001.txt,
// SAP2001.csv.
#include "base/run_context.h"

namespace lug::exporters {

void exportSap(RunContext& ctx);

}  // namespace lug::exporters
