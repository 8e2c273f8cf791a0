#pragma once
// The control report as sections of headings, tables and lines, built once
// from the figures and rendered twice: as aligned text for the console and as
// CSV for a spreadsheet.
#include <string>
#include <vector>

#include "admin/report_figures.h"

namespace lug::admin {

struct ReportSection {
  std::vector<std::string> heading{};
  std::vector<std::string> columns{};  // column headings; empty when the section has no table
  std::vector<bool> numeric{};         // per column: right-aligned in the text
  std::vector<std::vector<std::string>> rows{};
  std::vector<std::string> lines{};  // plain lines after the table (log lines)
};

std::vector<ReportSection> reportSections(const ReportFigures& figures);

// Aligned columns, UTF-8, LF line ends.
std::string renderText(const std::vector<ReportSection>& sections);

// Windows-1252, ";" between cells, CR LF line ends, a blank line between
// sections; cells holding ";" or a quote are quoted.
std::string renderCsv(const std::vector<ReportSection>& sections);

}  // namespace lug::admin
