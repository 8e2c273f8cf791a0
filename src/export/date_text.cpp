#include "export/date_text.h"

#include <algorithm>
#include <cctype>

namespace lug::exporters {

std::string dateText(std::string_view date, std::string_view pattern) {
  const bool digits = std::all_of(
      date.begin(), date.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  if (date.size() != 8 || !digits) return {};
  std::string text;
  for (size_t i = 0; i < pattern.size();) {
    const std::string_view rest = pattern.substr(i);
    if (rest.starts_with("yyyy")) {
      text += date.substr(0, 4), i += 4;
    } else if (rest.starts_with("yy")) {
      text += date.substr(2, 2), i += 2;
    } else if (rest.starts_with("mm")) {
      text += date.substr(4, 2), i += 2;
    } else if (rest.starts_with("dd")) {
      text += date.substr(6, 2), i += 2;
    } else {
      text += pattern[i++];
    }
  }
  return text;
}

}  // namespace lug::exporters
