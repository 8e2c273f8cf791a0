#include "export/field_text.h"

#include <limits>

#include "export/layout.h"

namespace lug::exporters {

int64_t leadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  int64_t number = 0;
  constexpr int64_t kLargest = std::numeric_limits<int64_t>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    number = number > (kLargest - digit) / 10 ? kLargest : number * 10 + digit;
  }
  return number;
}

std::string firstCharacters(std::string_view text, size_t count) {
  size_t end = 0;
  for (size_t chars = 0; end < text.size() && chars < count; ++chars) {
    ++end;  // past the lead byte, then past its continuation bytes
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return std::string(text.substr(0, end));
}

std::string padLeft(std::string_view text, size_t width, char fill) {
  const size_t chars = payrollWidth(text);
  return std::string(chars < width ? width - chars : 0, fill) + std::string(text);
}

bool isPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
    if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return true;
}

}  // namespace lug::exporters
