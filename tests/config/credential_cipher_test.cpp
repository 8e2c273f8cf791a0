#include "config/credential_cipher.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "config/blowfish.h"

namespace lug::config {
namespace {

constexpr std::array<uint8_t, 7> kKey = {'Q', 'W', 'Z', 'R', 'M', 'P', 'K'};

uint32_t word(std::string_view bytes, bool bigEndian) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<uint8_t>(bytes[static_cast<std::size_t>(bigEndian ? i : 3 - i)]);
    value = (value << 8) | byte;
  }
  return value;
}

std::string hexBytes(uint32_t value, bool bigEndian) {
  char digits[9];
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    std::snprintf(digits + 2 * i, 3, "%02X", (value >> shift) & 0xFFu);
  }
  return digits;
}

// Enciphers one 8-byte block with the halves packed as asked.
std::string encipherBlock(std::string_view block, bool bigEndian) {
  const Blowfish cipher(kKey);
  uint32_t left = word(block.substr(0, 4), bigEndian);
  uint32_t right = word(block.substr(4, 4), bigEndian);
  cipher.encipher(left, right);
  return hexBytes(left, bigEndian) + hexBytes(right, bigEndian);
}

TEST(CredentialCipher, PacksBlockHalvesLittleEndian) {
  const std::string plain("scott\0\0\0", 8);
  EXPECT_EQ(encipherCredential("scott"), encipherBlock(plain, false));
  const std::string usualPacking = encipherBlock(plain, true);
  ASSERT_NE(usualPacking, encipherBlock(plain, false));
  EXPECT_NE(decipherCredential(usualPacking), "scott");
}

TEST(CredentialCipher, RoundTripsAcrossBlockBoundaries) {
  for (const std::string plain : {"", "a", "tiger", "1234567", "12345678", "123456789",
                                  "exactly sixteen!", "Kennwort mit ;Semikolon; und Ü"}) {
    const std::string hex = encipherCredential(plain);
    EXPECT_EQ(hex.size(), (plain.size() + 7) / 8 * 16) << plain;
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    EXPECT_EQ(decipherCredential(hex), plain);
  }
}

TEST(CredentialCipher, BlockLengthBoundsThePlainText) {
  const std::string sixteen = encipherCredential("abcdefgh");
  ASSERT_EQ(sixteen.size(), 16u);
  EXPECT_EQ(decipherCredential(sixteen), "abcdefgh");
  const std::string thirtyTwo = encipherCredential("abcdefghijklmnop");
  ASSERT_EQ(thirtyTwo.size(), 32u);
  EXPECT_EQ(decipherCredential(thirtyTwo), "abcdefghijklmnop");
  EXPECT_EQ(decipherCredential(thirtyTwo.substr(0, 16)), "abcdefgh");
}

TEST(CredentialCipher, PlainTextEndsAtFirstZeroByte) {
  const std::string hex = encipherCredential(std::string("ab\0cdefghijk", 12));
  EXPECT_EQ(decipherCredential(hex), "ab");
}

TEST(CredentialCipher, MalformedLengthGivesEmptyText) {
  const std::string hex = encipherCredential("password");
  for (const std::size_t length : {1u, 15u, 17u, 31u}) {
    const std::string value = (hex + hex).substr(0, length);
    EXPECT_EQ(decipherCredential(value), "") << length;
  }
}

TEST(CredentialCipher, NonHexCharacterCountsAsDistanceFromZero) {
  // ':' is '0' + 10 and '?' is '0' + 15, so they stand for "A" and "F".
  std::string hex = encipherCredential("Horavia");
  std::string substituted = hex;
  for (char& digit : substituted) {
    if (digit == 'A') digit = ':';
    if (digit == 'F') digit = '?';
  }
  ASSERT_NE(substituted, hex);
  EXPECT_EQ(decipherCredential(substituted), "Horavia");
}

}  // namespace
}  // namespace lug::config
