#pragma once
// printf-style formatting into a std::string, for the log and the transfer files.
#include <cstdarg>
#include <string>

namespace lug::base {

std::string formatV(const char* format, va_list args);

// formatV for a line of the run log: every control character (below 0x20,
// and 0x7F) in the value of a %s or %c conversion becomes "?", so that
// values from the command line, the configuration file or the database can
// neither break a log line nor forge one. The format's own line feeds stay.
std::string formatLogV(const char* format, va_list args);

}  // namespace lug::base
