#pragma once
// Texts of transfer-file fields that payroll formats build by printf-style
// rules: a text read as a number, the first characters of a text, a text
// right-aligned in a field that is never cut, and whether a text built from
// database values can serve as a file name in the export directory.
#include <cstdint>
#include <string>
#include <string_view>

namespace lug::exporters {

// The number the text's leading decimal digits make (leading blanks and tabs
// skipped, as atoi does); 0 when there are none. Digits beyond what 64 bits
// hold keep the largest value instead of wrapping round.
int64_t leadingNumber(std::string_view text);

// The first `count` characters of a UTF-8 text (whole characters, as the
// payroll file's single-byte text counts them).
std::string firstCharacters(std::string_view text, size_t count);

// `count` characters of `text` from `pos` on (0-based), for fixed-position
// texts such as dates ("2024.03.15"); fewer where the text ends before, none
// where it ends before `pos`, so a null date reads as an empty text.
inline std::string characters(std::string_view text, size_t pos, size_t count) {
  return pos < text.size() ? std::string(text.substr(pos, count)) : std::string();
}

// The text right-aligned to `width` characters with `fill` in front, like
// printf's "%0<width>s": a longer text is written whole, never cut.
std::string padLeft(std::string_view text, size_t width, char fill);

// Whether a name built from database values names a file of the export
// directory itself: not empty, not "." or "..", and free of path separators
// (both kinds: the files go to Windows shares too), of characters Windows
// refuses in file names and of control characters.
bool isPlainFileName(std::string_view name);

}  // namespace lug::exporters
