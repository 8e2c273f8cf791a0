#pragma once
// printf-style formatting into a std::string, for the log and the transfer files.
#include <cstdarg>
#include <string>

namespace lug::driver {

std::string formatV(const char* format, va_list args);

}  // namespace lug::driver
