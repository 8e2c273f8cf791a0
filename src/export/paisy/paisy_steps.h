#pragma once
// The steps of the PAISY exporter that live in files of their own: the
// absence path (P3) and the three file writers.
#include <string>

#include "export/framework.h"
#include "export/handover.h"

namespace lug::exporters::paisy {

// The installation whose absence periods go to Hor333Ps3O, keyed also by
// the wage-type group, and whose absences are not extended beyond the period.
inline constexpr char kSiteWithGroupKey[] = "37708";

// Stages a P3 record: its absence period, or for a reversal the period of the
// record it reverses, remembered in Hor331Zk5 when the run recalculates.
void stageAbsence(Handover& h, const std::string& company, PeriodRecord record);

// Writes PaisyP1.txt, PaisyP3.txt and PaisyP4.txt from the staging tables.
void writeFiles(Handover& h);

}  // namespace lug::exporters::paisy
