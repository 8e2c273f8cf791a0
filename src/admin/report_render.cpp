// The two renderings of the control report's sections.
#include "admin/report_sections.h"
#include "base/cp1252.h"

namespace lug::admin {
namespace {

// Characters of a UTF-8 text (the console's columns).
size_t width(const std::string& text) {
  size_t n = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

std::string padded(const std::string& text, size_t columns, bool right) {
  const std::string fill(columns > width(text) ? columns - width(text) : 0, ' ');
  return right ? fill + text : text + fill;
}

std::vector<size_t> columnWidths(const ReportSection& s) {
  std::vector<size_t> widths;
  for (const std::string& c : s.columns) widths.push_back(width(c));
  for (const auto& row : s.rows)
    for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
      widths[i] = std::max(widths[i], width(row[i]));
  return widths;
}

// One table line: cells two blanks apart, without trailing blanks.
std::string textLine(const std::vector<std::string>& cells, const ReportSection& s,
                     const std::vector<size_t>& widths) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += "  ";
    line += padded(cells[i], widths[i], s.numeric[i]);
  }
  while (line.ends_with(' ')) line.pop_back();
  return line + "\n";
}

std::string csvCell(const std::string& cell) {
  if (cell.find_first_of(";\"") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string csvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) line += (i > 0 ? ";" : "") + csvCell(cells[i]);
  return line + "\n";
}

}  // namespace

std::string renderText(const std::vector<ReportSection>& sections) {
  std::string text;
  for (const ReportSection& s : sections) {
    if (!text.empty()) text += "\n";
    for (const std::string& line : s.heading) text += line + "\n";
    if (!s.columns.empty()) {
      const std::vector<size_t> widths = columnWidths(s);
      text += textLine(s.columns, s, widths);
      for (const auto& row : s.rows) text += textLine(row, s, widths);
    }
    for (const std::string& line : s.lines) text += "  " + line + "\n";
  }
  return text;
}

std::string renderCsv(const std::vector<ReportSection>& sections) {
  std::string csv;
  for (const ReportSection& s : sections) {
    if (!csv.empty()) csv += "\n";
    for (const std::string& line : s.heading) csv += csvLine({line});
    if (!s.columns.empty()) csv += csvLine(s.columns);
    for (const auto& row : s.rows) csv += csvLine(row);
    for (const std::string& line : s.lines) csv += csvLine({line});
  }
  return base::crlf(base::toWindows1252(csv));
}

}  // namespace lug::admin
