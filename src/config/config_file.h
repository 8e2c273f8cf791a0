#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lug::config {

// "../Files/horavia.ini" with the platform's separators.
std::string defaultConfigPath();

// One record of the suite's configuration file: two lines, the first
// ";SECTION;..." and the second "NUMBER;NAME;VALUE" (the value may itself
// contain ";"). The value a lookup returns is already deciphered.
struct ConfigRecord {
  std::string section, name;
  int32_t number = 0;
  std::string value;
};

// Returns the first record whose section, name or number equals the one asked
// for, with its value deciphered; an empty record when none matches or the
// file cannot be read. Records missing a ";" never match.
ConfigRecord lookupConfig(std::string_view section, std::string_view name, int32_t number,
                          const std::string& path);

// Enciphers the value and stores it as the record named `name`: the first
// record of that name is replaced in place, otherwise the record is added
// after the last complete record. All other bytes of the file are kept.
// Throws std::invalid_argument for names or values that cannot be stored and
// std::runtime_error when the file cannot be written.
void writeConfigValue(const std::string& path, std::string_view name, std::string_view plainValue);

}  // namespace lug::config
