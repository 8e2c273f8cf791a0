#include "config/config_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "config/credential_cipher.h"

namespace lug::config {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kWrittenSectionLine = ";Horavia;";
constexpr int32_t kWrittenNumber = 1;
// The suite's own readers take at most 399 characters of a value line,
// including its line feed.
constexpr std::size_t kLongestValueLine = 398;

struct Fields {
  std::string_view first, second, rest;
};

// Splits a line at its first two ";"; nothing when one of them is missing.
std::optional<Fields> splitFields(std::string_view line) {
  const auto first = line.find(';');
  if (first == std::string_view::npos) return std::nullopt;
  const auto second = line.find(';', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  return Fields{line.substr(0, first), line.substr(first + 1, second - first - 1),
                line.substr(second + 1)};
}

// Converts like atoi: blanks, an optional sign and the leading decimal digits;
// other text gives 0. Values beyond 32 bits stop at the nearest limit.
int32_t leadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    value = std::min(kLimit, value * 10 + (text[at] - '0'));
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min(value, kLimit - 1));
}

std::optional<ConfigRecord> parseRecord(std::string_view sectionLine, std::string_view valueLine) {
  const auto head = splitFields(sectionLine);
  const auto entry = splitFields(valueLine);
  if (!head || !entry) return std::nullopt;
  return ConfigRecord{std::string(head->second), std::string(entry->second),
                      leadingNumber(entry->first), std::string(entry->rest)};
}

// Reads one whole line, however long, without its line end: the line feed and
// a carriage return before it, or before the end of the file.
bool readLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool matches(const ConfigRecord& record, std::string_view section, std::string_view name,
             int32_t number) {
  return record.section == section || record.name == name || record.number == number;
}

// The file's bytes; empty for a missing file. A file that exists but cannot
// be read is an error, so that writing never replaces it by one record.
std::string readWholeFile(const std::string& path) {
  std::error_code error;
  if (!fs::exists(path, error) && !error) return {};
  std::ifstream in(path, std::ios::binary);
  std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in) throw std::runtime_error("Datei nicht lesbar: " + path);
  return content;
}

void replaceFile(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) throw std::runtime_error("Datei nicht schreibbar: " + temporary);
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (!error) return;
  fs::remove(temporary, error);
  throw std::runtime_error("Datei nicht schreibbar: " + path);
}

std::string writtenRecord(std::string_view name, std::string_view plainValue) {
  if (name.empty() || name.find_first_of(";\r\n") != std::string_view::npos) {
    throw std::invalid_argument("Ungültiger Name: " + std::string(name));
  }
  if (plainValue.find('\0') != std::string_view::npos) {
    throw std::invalid_argument("Wert mit Nullzeichen");
  }
  const std::string valueLine = std::to_string(kWrittenNumber) + ";" + std::string(name) + ";" +
                                encipherCredential(plainValue);
  if (valueLine.size() > kLongestValueLine) throw std::invalid_argument("Wert zu lang");
  return std::string(kWrittenSectionLine) + "\r\n" + valueLine + "\r\n";
}

// Where the record named `name` lies in the file's text, as [begin, end).
// When there is none, both are the end of the last complete record, so that
// a lone line after it stays the file's last line.
std::pair<std::size_t, std::size_t> recordSpan(const std::string& content, std::string_view name) {
  std::istringstream in(content);
  std::string sectionLine;
  std::string valueLine;
  std::size_t begin = 0;
  while (readLine(in, sectionLine) && readLine(in, valueLine)) {
    const std::size_t end = in.eof() ? content.size() : static_cast<std::size_t>(in.tellg());
    const auto entry = splitFields(valueLine);
    if (entry && entry->second == name) return {begin, end};
    begin = end;
  }
  return {begin, begin};
}

}  // namespace

std::string defaultConfigPath() {
  return (fs::path("..") / "Files" / "horavia.ini").string();
}

ConfigRecord lookupConfig(std::string_view section, std::string_view name, int32_t number,
                          const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string sectionLine;
  std::string valueLine;
  while (readLine(in, sectionLine) && readLine(in, valueLine)) {
    auto record = parseRecord(sectionLine, valueLine);
    if (record && matches(*record, section, name, number)) {
      record->value = decipherCredential(record->value);
      return *record;
    }
  }
  return {};
}

void writeConfigValue(const std::string& path, std::string_view name, std::string_view plainValue) {
  std::string record = writtenRecord(name, plainValue);
  std::string content = readWholeFile(path);
  const auto [begin, end] = recordSpan(content, name);
  const bool lastLineOpen = begin == content.size() && !content.empty() && content.back() != '\n';
  if (begin == end && lastLineOpen) record.insert(0, "\r\n");
  content.replace(begin, end - begin, record);
  replaceFile(path, content);
}

}  // namespace lug::config
