#pragma once

#include <string>
#include <string_view>

namespace lug::config {

// Credentials in the suite's configuration file are Blowfish-enciphered with
// the suite's fixed key and stored as upper-case hex text, 16 digits per
// 8-byte block. Each block half is packed little-endian, which differs from
// the usual big-endian packing of Blowfish.

// Returns the plain text up to its first zero byte; an empty text when the
// hex text's length is not a multiple of 16 digits.
std::string decipherCredential(std::string_view hex);

// Pads the plain text with zero bytes to whole blocks and returns the hex text.
std::string encipherCredential(std::string_view plain);

}  // namespace lug::config
