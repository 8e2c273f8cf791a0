#pragma once
// Schema names and command-line words in upper case, as the suite writes them.
#include <string>

namespace lug::base {

// `s` with its ASCII letters in upper case; other bytes stay as they are.
inline std::string upperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace lug::base
