#pragma once
// printf-style formatting into a std::string, for the log and the transfer files.
#include <cstdarg>
#include <string>

namespace lug::base {

std::string formatV(const char* format, va_list args);

}  // namespace lug::base
