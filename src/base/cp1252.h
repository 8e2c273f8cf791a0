#pragma once

#include <string>
#include <string_view>

namespace lug::base {

// The program keeps its texts in UTF-8; the run log and the transfer files
// are Windows-1252 with CR LF line ends, whatever platform runs the program.

// Converts UTF-8 to Windows-1252. Characters Windows-1252 cannot represent
// become "?"; bytes that are not valid UTF-8 are taken as single-byte text
// already and pass through unchanged.
std::string toWindows1252(std::string_view utf8);

// Converts Windows-1252 to UTF-8 (reading the run log back); the five bytes
// Windows-1252 leaves undefined become "?".
std::string fromWindows1252(std::string_view text);

// Turns every line feed into CR LF; a line feed already preceded by a carriage
// return keeps that one carriage return.
std::string crlf(std::string_view text);

}  // namespace lug::base
