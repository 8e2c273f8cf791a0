#pragma once
// The control report of a hand-over, for the payroll clerk before and after an
// import: the period's records per record kind and wage type, the corrections
// of recalculated periods, the comparison with the group's previous final
// hand-over, the records that field checks rejected and the products (files
// and staging tables). It reads what the session sees, so a check run reports
// its own uncommitted records before they are rolled back.
#include <cstdint>
#include <filesystem>
#include <string>

#include "db/session.h"

namespace lug::admin {

struct ReportRequest {
  std::string akr;                    // accounting group
  int32_t abrnr = 0;                  // accounting period
  std::filesystem::path productsDir;  // where the run's transfer files are
  std::filesystem::path runLog;       // the run log that holds the run's lines
  int16_t lfn = -1;  // run number; -1: the final run when the period has one, else its last
};

struct ControlReport {
  std::string text;  // for the console: aligned columns, UTF-8
  std::string csv;   // for a spreadsheet: Windows-1252, semicolons, decimal comma, CR LF
};

// Fills `report`; returns 0 or the status of the statement that failed.
int makeControlReport(db::Session& session, const ReportRequest& request, ControlReport& report);

// The files' names in the directory the report is written to.
inline constexpr char kControlReportFile[] = "Kontrollbericht.csv";
inline constexpr char kControlReportTextFile[] = "Kontrollbericht.txt";

// Writes report.csv as `dir`/Kontrollbericht.csv; the file takes its name
// only when it is complete. False when it cannot be written.
bool writeControlReportCsv(const ControlReport& report, const std::filesystem::path& dir);
// Writes report.text as `dir`/Kontrollbericht.txt in Windows-1252 with CR LF,
// the same way.
bool writeControlReportText(const ControlReport& report, const std::filesystem::path& dir);

}  // namespace lug::admin
