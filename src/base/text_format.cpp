#include "base/text_format.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace lug::base {
namespace {

bool isControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

std::string withoutControls(const char* value) {
  std::string text = value ? value : "(null)";
  for (char& c : text)
    if (isControl(static_cast<unsigned char>(c))) c = '?';
  return text;
}

// One conversion directive (without '*') applied to one value.
template <typename T>
void appendOne(std::string& out, const std::string& directive, T value) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int length = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (length <= 0) return;
  std::string piece(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(piece.data(), piece.size(), directive.c_str(), value);
#pragma GCC diagnostic pop
  piece.resize(static_cast<std::size_t>(length));
  out += piece;
}

// Takes the value of one conversion (`length` modifier, conversion `c`) from
// `args` and appends it formatted by `directive`.
void appendValue(std::string& out, const std::string& directive, const std::string& length, char c,
                 va_list& args) {
  switch (c) {
    case 'd':
    case 'i':
      if (length == "l") return appendOne(out, directive, va_arg(args, long));
      if (length == "ll") return appendOne(out, directive, va_arg(args, long long));
      if (length == "z") return appendOne(out, directive, va_arg(args, std::ptrdiff_t));
      if (length == "j") return appendOne(out, directive, va_arg(args, std::intmax_t));
      if (length == "t") return appendOne(out, directive, va_arg(args, std::ptrdiff_t));
      return appendOne(out, directive, va_arg(args, int));
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      if (length == "l") return appendOne(out, directive, va_arg(args, unsigned long));
      if (length == "ll") return appendOne(out, directive, va_arg(args, unsigned long long));
      if (length == "z") return appendOne(out, directive, va_arg(args, std::size_t));
      if (length == "j") return appendOne(out, directive, va_arg(args, std::uintmax_t));
      if (length == "t") return appendOne(out, directive, va_arg(args, std::ptrdiff_t));
      return appendOne(out, directive, va_arg(args, unsigned int));
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (length == "L") return appendOne(out, directive, va_arg(args, long double));
      return appendOne(out, directive, va_arg(args, double));
    case 'c': {
      const int value = va_arg(args, int);
      return appendOne(out, directive, isControl(static_cast<unsigned char>(value)) ? '?' : value);
    }
    case 's':
      return appendOne(out, directive, withoutControls(va_arg(args, const char*)).c_str());
    case 'p':
      return appendOne(out, directive, va_arg(args, void*));
    default:
      return;  // %n and unknown conversions write nothing
  }
}

}  // namespace

std::string formatV(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string formatLogV(const char* format, va_list args) {
  va_list values;
  va_copy(values, args);
  std::string out;
  for (const char* p = format; *p;) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    if (p[1] == '%') {
      out += '%', p += 2;
      continue;
    }
    // The conversion's text, with a '*' width or precision replaced by its value.
    std::string directive(1, *p++);
    while (*p && std::strchr("-+ #0'", *p)) directive += *p++;
    if (*p == '*') {
      directive += std::to_string(va_arg(values, int)), ++p;
    } else {
      while (std::isdigit(static_cast<unsigned char>(*p))) directive += *p++;
    }
    if (*p == '.') {
      std::string precision(1, *p++);
      if (*p == '*') {
        const int value = va_arg(values, int);
        precision = value < 0 ? "" : "." + std::to_string(value), ++p;
      } else {
        while (std::isdigit(static_cast<unsigned char>(*p))) precision += *p++;
      }
      directive += precision;
    }
    std::string length;
    while (*p && std::strchr("hlLqjzt", *p)) length += *p++;
    if (!*p) break;
    const char conversion = *p++;
    directive += length + conversion;
    appendValue(out, directive, length, conversion, values);
  }
  va_end(values);
  return out;
}

}  // namespace lug::base
