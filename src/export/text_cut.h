#pragma once
// Cutting a text to the first characters a payroll field takes, counted as
// the payroll system's single-byte text counts them: whole characters of the
// program's UTF-8 text, never part of one.
#include <cstddef>
#include <string>
#include <string_view>

namespace lug::exporters {

// The first `count` characters of `text` (all of it when it is shorter).
std::string leadingCharacters(std::string_view text, size_t count);

}  // namespace lug::exporters
