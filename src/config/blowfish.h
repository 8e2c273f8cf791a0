#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace lug::config {

// The Blowfish block cipher: 16 rounds over a 64-bit block held as two 32-bit
// halves. The key schedule is wiped when the object goes out of scope, so
// that no credential key stays behind in memory.
class Blowfish {
 public:
  // Keys of 1 to 56 bytes; an empty key is rejected with std::invalid_argument.
  explicit Blowfish(std::span<const uint8_t> key);
  ~Blowfish();
  Blowfish(const Blowfish&) = delete;
  Blowfish& operator=(const Blowfish&) = delete;

  void encipher(uint32_t& left, uint32_t& right) const;
  void decipher(uint32_t& left, uint32_t& right) const;

  // Sets the whole key schedule to zero; the object enciphers nothing useful
  // afterwards.
  void wipe();

 private:
  static constexpr int kRounds = 16;
  uint32_t feistel(uint32_t half) const;
  void mixKeyIntoSubkeys(std::span<const uint8_t> key);
  void fillFromEncipheredZeros(std::span<uint32_t> words, uint32_t& left, uint32_t& right);

  std::array<uint32_t, kRounds + 2> subkeys_{};
  std::array<std::array<uint32_t, 256>, 4> sboxes_{};
};

}  // namespace lug::config
