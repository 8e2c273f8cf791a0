#pragma once
// Texts of fixed-width fields cut to a number of characters of the payroll
// file's single-byte text (never inside a character of the program's UTF-8).
#include <cstddef>
#include <string>
#include <string_view>

namespace lug::exporters {

// The first `count` characters of a text; a shorter text stays as it is.
std::string firstCharacters(std::string_view text, size_t count);

}  // namespace lug::exporters
