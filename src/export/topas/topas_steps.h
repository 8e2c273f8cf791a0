#pragma once
// The steps of the TOPAS exporter besides its mapping: the staging rows,
// whose members stand in the tables' column order (the files are written
// from "select *"), the file writers and the remainder of partial runs.
#include <cstdint>
#include <string>

#include "base/run_context.h"
#include "export/framework.h"
#include "export/handover.h"

namespace lug::exporters::topas_steps {

// A row of Hor333Tp1: the hours or days of a wage type in a payroll month.
struct WageRow {
  std::string fir{}, pnr{}, jmm{}, jmv{}, lna{};
  double bzt = 0, tge = 0, fak = 0, gbf = 0, stb = 0, svb = 0;
  double gsb = 0;  // whole minutes under the site rule
  std::string kst{}, ktr{}, bdt{};
};

// A row of Hor333Tp2: the hours or days of an absence from Von to Bis.
struct AbsenceRow {
  std::string fir{}, pnr{}, von{}, bis{}, fgr{}, fgd{};
  double tge = 0, std = 0;
};

// Writes LGD038IM from Hor333Tp1 and then LGD034IM from Hor333Tp2.
void writeFiles(Handover& h);

// --- the remainder of partial runs ---------------------------------------------

// Whether the run is a final run of a period that had partial runs (run
// number 2): then only what they did not hand over is handed over.
bool remainderMode(RunContext& ctx);

// What the partial runs handed over for a record's key within its span.
struct PartialRun {
  bool found = false;
  int32_t minutes = 0, tenths = 0;
  std::string von{}, bis{};  // dd.mm.yyyy
};

// Reads what the partial runs handed over for the record's key and span and
// subtracts it from the record's minutes and days.
PartialRun subtractPartialRuns(RunContext& ctx, PeriodRecord& record);

// The part of an absence from..to that the partial runs, which handed over
// p.von..p.bis of it, left (dd.mm.yyyy dates).
void remainderSpan(const std::string& from, const std::string& to, const PartialRun& p,
                   AbsenceRow& row);

}  // namespace lug::exporters::topas_steps
