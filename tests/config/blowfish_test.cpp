#include "config/blowfish.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace lug::config {
namespace {

struct Vector {
  uint64_t key;
  uint64_t plain;
  uint64_t cipher;
};

// Published test vectors; key and block bytes are taken big-endian.
constexpr std::array<Vector, 6> kVectors = {{
    {0x0000000000000000, 0x0000000000000000, 0x4EF997456198DD78},
    {0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0x51866FD5B85ECB8A},
    {0x3000000000000000, 0x1000000000000001, 0x7D856F9A613063F2},
    {0x1111111111111111, 0x1111111111111111, 0x2466DD878B963C9D},
    {0x0123456789ABCDEF, 0x1111111111111111, 0x61F9C3802281B096},
    {0xFEDCBA9876543210, 0x0123456789ABCDEF, 0x0ACEAB0FC6A0A28D},
}};

std::vector<uint8_t> keyBytes(uint64_t key) {
  std::vector<uint8_t> bytes;
  for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(key >> shift));
  return bytes;
}

uint64_t encipher(const Blowfish& cipher, uint64_t block) {
  auto left = static_cast<uint32_t>(block >> 32);
  auto right = static_cast<uint32_t>(block);
  cipher.encipher(left, right);
  return (uint64_t{left} << 32) | right;
}

uint64_t decipher(const Blowfish& cipher, uint64_t block) {
  auto left = static_cast<uint32_t>(block >> 32);
  auto right = static_cast<uint32_t>(block);
  cipher.decipher(left, right);
  return (uint64_t{left} << 32) | right;
}

TEST(Blowfish, MatchesPublishedVectorsBothWays) {
  for (const auto& vector : kVectors) {
    const Blowfish cipher(keyBytes(vector.key));
    EXPECT_EQ(encipher(cipher, vector.plain), vector.cipher) << std::hex << vector.key;
    EXPECT_EQ(decipher(cipher, vector.cipher), vector.plain) << std::hex << vector.key;
  }
}

TEST(Blowfish, ShortKeyIsRepeatedCyclically) {
  // A key of 7 bytes used cyclically equals the same bytes spelled out to 72.
  const std::vector<uint8_t> shortKey = {'Q', 'W', 'Z', 'R', 'M', 'P', 'K'};
  std::vector<uint8_t> repeated;
  while (repeated.size() < 72) repeated.push_back(shortKey[repeated.size() % shortKey.size()]);
  const Blowfish fromShort(shortKey);
  const Blowfish fromRepeated(repeated);
  EXPECT_EQ(encipher(fromShort, 0x0123456789ABCDEF), encipher(fromRepeated, 0x0123456789ABCDEF));
  EXPECT_NE(encipher(fromShort, 0x0123456789ABCDEF), 0x0123456789ABCDEFu);
}

TEST(Blowfish, WipeLeavesNoKeyMaterial) {
  Blowfish first(keyBytes(0x0123456789ABCDEF));
  Blowfish second(keyBytes(0xFEDCBA9876543210));
  ASSERT_NE(encipher(first, 42), encipher(second, 42));
  first.wipe();
  second.wipe();
  EXPECT_EQ(encipher(first, 42), encipher(second, 42));
}

TEST(Blowfish, RejectsEmptyKey) {
  EXPECT_THROW(Blowfish(std::vector<uint8_t>{}), std::invalid_argument);
}

}  // namespace
}  // namespace lug::config
