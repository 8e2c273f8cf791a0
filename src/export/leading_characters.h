#pragma once
// Texts cut to the number of characters a payroll system takes, counted in
// the file's Windows-1252 text, never inside a character of the program's
// UTF-8 text.
#include <string>
#include <string_view>

namespace lug::exporters {

// The first `width` characters of `text`; a shorter text stays as it is.
std::string leadingCharacters(std::string_view text, size_t width);

}  // namespace lug::exporters
