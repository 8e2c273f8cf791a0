#pragma once
// Texts of delimited transfer files: whether a field's text can be written
// as it stands, and the session's date text of a day written dd.mm.yyyy.
#include <string>
#include <string_view>

namespace lug::exporters {

// Whether a field text would move the following fields of its line when
// written unquoted: it holds the file's field separator, its text delimiter
// or a control character (line ends among them).
bool breaksDelimitedLine(std::string_view text, char separator, char delimiter);

// dd.mm.yyyy as yyyy.mm.dd (any other text stays as it is).
std::string sessionDateOf(const std::string& ddmmyyyy);

}  // namespace lug::exporters
