#include "base/cp1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace lug::base {
namespace {

struct Decoded {
  char32_t codePoint;
  std::size_t length;
};

struct SpecialCharacter {
  char32_t codePoint;
  unsigned char byte;
};

// The characters Windows-1252 places in 0x80 to 0x9F instead of the C1 controls.
constexpr std::array<SpecialCharacter, 27> kSpecialCharacters = {{
    {U'€', 0x80}, {U'‚', 0x82}, {U'ƒ', 0x83}, {U'„', 0x84}, {U'…', 0x85}, {U'†', 0x86},
    {U'‡', 0x87}, {U'ˆ', 0x88}, {U'‰', 0x89}, {U'Š', 0x8A}, {U'‹', 0x8B}, {U'Œ', 0x8C},
    {U'Ž', 0x8E}, {U'‘', 0x91}, {U'’', 0x92}, {U'“', 0x93}, {U'”', 0x94}, {U'•', 0x95},
    {U'–', 0x96}, {U'—', 0x97}, {U'˜', 0x98}, {U'™', 0x99}, {U'š', 0x9A}, {U'›', 0x9B},
    {U'œ', 0x9C}, {U'ž', 0x9E}, {U'Ÿ', 0x9F},
}};

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the sequence a lead byte starts, 0 for bytes that cannot lead.
std::size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Smallest code point each sequence length may carry; anything below is an
// over-long encoding and therefore invalid.
char32_t smallestCodePoint(std::size_t length) {
  return length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
}

bool isScalarValue(char32_t codePoint) {
  return codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
}

std::optional<Decoded> decodeMultiByte(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = sequenceLength(lead);
  if (length == 0 || text.size() < length) return std::nullopt;
  char32_t codePoint = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if (!isContinuation(next)) return std::nullopt;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (codePoint < smallestCodePoint(length) || !isScalarValue(codePoint)) return std::nullopt;
  return Decoded{codePoint, length};
}

char windows1252Byte(char32_t codePoint) {
  if (codePoint <= 0x7F || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<char>(codePoint);
  }
  for (const auto& special : kSpecialCharacters) {
    if (special.codePoint == codePoint) return static_cast<char>(special.byte);
  }
  return '?';
}

void appendUtf8(char32_t codePoint, std::string& out) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

char32_t windows1252CodePoint(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  for (const auto& special : kSpecialCharacters) {
    if (special.byte == byte) return special.codePoint;
  }
  return U'?';
}

}  // namespace

std::string toWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t at = 0;
  while (at < utf8.size()) {
    const auto decoded = decodeMultiByte(utf8.substr(at));
    if (decoded) {
      out += windows1252Byte(decoded->codePoint);
      at += decoded->length;
    } else {
      out += utf8[at++];
    }
  }
  return out;
}

std::string fromWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) appendUtf8(windows1252CodePoint(static_cast<unsigned char>(c)), out);
  return out;
}

std::string crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace lug::base
