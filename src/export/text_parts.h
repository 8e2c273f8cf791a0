#pragma once
// Parts of fixed-position texts such as dates ("2024.03.15", "20240315",
// "15.03.2024 07:30:00"), safe on texts that are shorter than expected: a
// null date reads as an empty text.
#include <string>
#include <string_view>

namespace lug::exporters {

// `count` characters of `text` from `pos` on (0-based); fewer where the text
// ends before, none where it ends before `pos`.
inline std::string characters(std::string_view text, size_t pos, size_t count) {
  return pos < text.size() ? std::string(text.substr(pos, count)) : std::string();
}

}  // namespace lug::exporters
