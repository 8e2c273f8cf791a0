#include "export/delimited_text.h"

namespace lug::exporters {

bool breaksDelimitedLine(std::string_view text, char separator, char delimiter) {
  for (const char c : text)
    if (c == separator || c == delimiter || static_cast<unsigned char>(c) < 0x20) return true;
  return false;
}

std::string sessionDateOf(const std::string& d) {
  if (d.size() != 10 || d[2] != '.' || d[5] != '.') return d;
  return d.substr(6, 4) + "." + d.substr(3, 2) + "." + d.substr(0, 2);
}

}  // namespace lug::exporters
