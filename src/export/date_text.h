#pragma once
// Dates in the forms of the payroll formats, cut from the text yyyymmdd that
// a statement reads with to_char(date,'yyyymmdd').
#include <string>
#include <string_view>

namespace lug::exporters {

// The date in `pattern`: "yyyy", "yy", "mm" and "dd" stand for the date's
// parts, every other character for itself ("ddmmyy", "mmyy", "dd.mm.yyyy").
// A text that is not a date of eight digits gives an empty text.
std::string dateText(std::string_view yyyymmdd, std::string_view pattern);

}  // namespace lug::exporters
