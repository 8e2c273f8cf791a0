#include "config/credential_cipher.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "config/blowfish.h"

namespace lug::config {
namespace {

constexpr std::string_view kCredentialKey = "QWZRMPK";
constexpr std::size_t kBlockBytes = 8;
constexpr std::size_t kBlockDigits = 2 * kBlockBytes;

using Block = std::array<uint8_t, kBlockBytes>;

Blowfish credentialCipher() {
  std::array<uint8_t, kCredentialKey.size()> key{};
  std::copy(kCredentialKey.begin(), kCredentialKey.end(), key.begin());
  return Blowfish(key);
}

uint32_t littleEndianWord(const Block& block, std::size_t offset) {
  uint32_t word = 0;
  for (std::size_t i = 4; i > 0; --i) word = (word << 8) | block[offset + i - 1];
  return word;
}

void storeLittleEndian(uint32_t word, Block& block, std::size_t offset) {
  for (std::size_t i = 0; i < 4; ++i) block[offset + i] = static_cast<uint8_t>(word >> (8 * i));
}

template <typename Transform>
void transformBlock(Block& block, Transform transform) {
  uint32_t left = littleEndianWord(block, 0);
  uint32_t right = littleEndianWord(block, 4);
  transform(left, right);
  storeLittleEndian(left, block, 0);
  storeLittleEndian(right, block, 4);
}

// "A" to "F" are 10 to 15; every other character counts as its distance
// from "0", so lower-case or stray characters give values the stored files
// have always been deciphered with.
int hexDigit(char digit) {
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return digit - '0';
}

Block blockFromHex(std::string_view digits) {
  Block block{};
  for (std::size_t i = 0; i < kBlockBytes; ++i) {
    const int value = 16 * hexDigit(digits[2 * i]) + hexDigit(digits[2 * i + 1]);
    block[i] = static_cast<uint8_t>(value & 0xFF);
  }
  return block;
}

void appendHex(const Block& block, std::string& hex) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  for (const uint8_t byte : block) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
}

void appendUpToZero(const Block& block, std::string& plain, bool& ended) {
  for (const uint8_t byte : block) {
    if (byte == 0) ended = true;
    if (ended) return;
    plain += static_cast<char>(byte);
  }
}

}  // namespace

std::string decipherCredential(std::string_view hex) {
  if (hex.size() % kBlockDigits != 0) return {};
  const Blowfish cipher = credentialCipher();
  std::string plain;
  bool ended = false;
  for (std::size_t at = 0; at < hex.size() && !ended; at += kBlockDigits) {
    Block block = blockFromHex(hex.substr(at, kBlockDigits));
    transformBlock(block, [&](uint32_t& l, uint32_t& r) { cipher.decipher(l, r); });
    appendUpToZero(block, plain, ended);
  }
  return plain;
}

std::string encipherCredential(std::string_view plain) {
  const Blowfish cipher = credentialCipher();
  std::string hex;
  for (std::size_t at = 0; at < plain.size(); at += kBlockBytes) {
    Block block{};
    plain.copy(reinterpret_cast<char*>(block.data()), kBlockBytes, at);
    transformBlock(block, [&](uint32_t& l, uint32_t& r) { cipher.encipher(l, r); });
    appendHex(block, hex);
  }
  return hex;
}

}  // namespace lug::config
