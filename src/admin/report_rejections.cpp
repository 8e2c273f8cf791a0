#include "admin/report_rejections.h"

#include <fstream>
#include <sstream>

#include "base/cp1252.h"
#include "export/rejection.h"

namespace lug::admin {
namespace {

std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    begin = end + 1;
  }
  return lines;
}

// A run begins with the driver's first lines.
bool startsRun(std::string_view line) {
  return line.starts_with("LuG-Uebergabe Akr:") ||
         line.find("Protokollierung gestartet") != std::string_view::npos;
}

// The exporters' start lines end in "Akr: G1, Abrnr: 7 gestartet" or
// "Akr: G1 mit der Abrnr: 7 gestartet".
bool startsExporter(std::string_view line, const std::string& akr, int32_t abrnr) {
  const std::string period = "Abrnr: " + std::to_string(abrnr) + " gestartet";
  if (!line.ends_with(period)) return false;
  const size_t group = line.find("Akr: " + akr);
  if (group == std::string_view::npos) return false;
  const std::string_view between =
      line.substr(group + 5 + akr.size(), line.size() - period.size() - group - 5 - akr.size());
  return between == ", " || between == " mit der ";
}

}  // namespace

std::vector<std::string> rejectionLinesOf(std::string_view logText, const std::string& akr,
                                          int32_t abrnr) {
  const std::vector<std::string_view> lines = linesOf(logText);
  size_t start = lines.size();
  for (size_t i = lines.size(); i-- > 0;)
    if (startsExporter(lines[i], akr, abrnr)) {
      start = i;
      break;
    }
  std::vector<std::string> found;
  for (size_t i = start + 1; i < lines.size() && !startsRun(lines[i]); ++i)
    if (exporters::isRejectionLine(lines[i])) found.emplace_back(lines[i]);
  return found;
}

std::vector<std::string> rejectionLines(const std::filesystem::path& runLog, const std::string& akr,
                                        int32_t abrnr) {
  std::ifstream in(runLog, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return rejectionLinesOf(base::fromWindows1252(bytes.str()), akr, abrnr);
}

}  // namespace lug::admin
