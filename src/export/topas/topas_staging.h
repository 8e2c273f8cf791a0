#pragma once
// The staging rows of the TOPAS exporter and its file writers. The members
// stand in the tables' column order: the files are written from "select *".
#include <string>

#include "export/handover.h"

namespace lug::exporters::topas_staging {

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

}  // namespace lug::exporters::topas_staging
