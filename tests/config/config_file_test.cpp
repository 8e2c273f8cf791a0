#include "config/config_file.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "config/credential_cipher.h"
#include "support/scratch_dir.h"

namespace lug::config {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

// One record as the suite writes it: section line and "number;name;value".
std::string record(std::string_view section, std::string_view number, std::string_view name,
                   std::string_view plain, std::string_view lineEnd = "\r\n") {
  return ";" + std::string(section) + ";x" + std::string(lineEnd) + std::string(number) + ";" +
         std::string(name) + ";" + encipherCredential(plain) + std::string(lineEnd);
}

class ConfigFileTest : public ::testing::Test {
 protected:
  ConfigRecord lookup(std::string_view content, std::string_view name) {
    writeBytes(path_, content);
    return lookupConfig("", name, 0, path_);
  }
  ScratchDir dir_;
  std::string path_ = dir_.file("horavia.ini");
};

TEST_F(ConfigFileTest, FindsRecordByNameAndFirstMatchWins) {
  const std::string content =
      record("Horavia", "1", "NET8", "orcl") + record("Horavia", "2", "PASS", "tiger") +
      record("Horavia", "3", "LOGIN", "scott") + record("Horavia", "4", "LOGIN", "later");
  const ConfigRecord found = lookup(content, "LOGIN");
  EXPECT_EQ(found.value, "scott");
  EXPECT_EQ(found.name, "LOGIN");
  EXPECT_EQ(found.section, "Horavia");
  EXPECT_EQ(found.number, 3);
  EXPECT_EQ(lookup(content, "PASS").value, "tiger");
  EXPECT_EQ(lookup(content, "MISSING").value, "");
}

TEST_F(ConfigFileTest, MatchesBySectionOrNumberToo) {
  const std::string content = record("Alpha", "7", "ONE", "first") +
                              record("Beta", "12abc", "TWO", "second") +
                              record("", "5", "THREE", "third");
  writeBytes(path_, content);
  EXPECT_EQ(lookupConfig("Beta", "none", 99, path_).value, "second");
  EXPECT_EQ(lookupConfig("none", "none", 12, path_).value, "second");
  EXPECT_EQ(lookupConfig("none", "none", 5, path_).value, "third");
  // A record with an empty section answers every lookup of the run driver.
  EXPECT_EQ(lookup(content, "NOWHERE").value, "third");
}

TEST_F(ConfigFileTest, RecordWithNumberZeroInFrontAnswersEveryLookup) {
  const std::string content =
      record("Horavia", "x", "OTHER", "wrong") + record("Horavia", "1", "LOGIN", "scott");
  EXPECT_EQ(lookup(content, "LOGIN").value, "wrong");
}

TEST_F(ConfigFileTest, ReadsLineEndsAndLastLineWithoutLineFeed) {
  std::string content = record("Horavia", "1", "LOGIN", "scott", "\n") +
                        record("Horavia", "2", "PASS", "a longer password");
  content.resize(content.size() - 2);
  EXPECT_EQ(lookup(content, "LOGIN").value, "scott");
  EXPECT_EQ(lookup(content, "PASS").value, "a longer password");
  EXPECT_EQ(lookup(content + "\r", "PASS").value, "a longer password");
  EXPECT_EQ(lookup(content.substr(0, content.size() - 1), "PASS").value, "");
}

TEST_F(ConfigFileTest, EmptyPlainTextIsFoundEmpty) {
  const ConfigRecord found = lookup(record("Horavia", "3", "NET8", ""), "NET8");
  EXPECT_EQ(found.name, "NET8");
  EXPECT_EQ(found.value, "");
}

TEST_F(ConfigFileTest, ValueRunsToLineEndIncludingSeparators) {
  const std::string value = "0123456789AB;DEF";
  const ConfigRecord found = lookup(";Horavia;\r\n1;LOGIN;" + value + "\r\n", "LOGIN");
  EXPECT_EQ(found.value, decipherCredential(value));
  EXPECT_FALSE(found.value.empty());
}

TEST_F(ConfigFileTest, MalformedRecordsNeverMatch) {
  const std::string content = std::string("no separator\r\n0;LOGIN;") + encipherCredential("bad") +
                              "\r\n" + ";Horavia;\r\n0 LOGIN\r\n" +
                              record("Horavia", "1", "LOGIN", "good");
  EXPECT_EQ(lookup(content, "LOGIN").value, "good");
  EXPECT_EQ(lookup(";Horavia;\r\n1;LOGIN;0123456789ABCDE\r\n", "LOGIN").value, "");
}

TEST_F(ConfigFileTest, OverlongLinesAreReadWhole) {
  const std::string longSection(1000, 'S');
  const std::string content = record(longSection, "1", "NET8", std::string(300, 'n')) +
                              record("Horavia", "2", "LOGIN", "scott");
  EXPECT_EQ(lookup(content, "LOGIN").value, "scott");
  EXPECT_EQ(lookup(content, "NET8").value, std::string(300, 'n'));
}

TEST_F(ConfigFileTest, MissingFileGivesEmptyRecord) {
  const ConfigRecord found = lookupConfig("", "LOGIN", 0, dir_.file("none.ini"));
  EXPECT_EQ(found.value, "");
  EXPECT_EQ(found.name, "");
  EXPECT_EQ(found.number, 0);
}

TEST_F(ConfigFileTest, WritesNewFileWithCrLfRecord) {
  writeConfigValue(path_, "LOGIN", "scott");
  EXPECT_EQ(readBytes(path_), ";Horavia;\r\n1;LOGIN;" + encipherCredential("scott") + "\r\n");
  EXPECT_EQ(lookupConfig("", "LOGIN", 0, path_).value, "scott");
}

TEST_F(ConfigFileTest, ReplacesRecordAndKeepsOthersByteForByte) {
  const std::string before = "; Other ;a;b\n7;NET8;" + encipherCredential("orcl") + "\n";
  const std::string after = record("Horavia", "9", "X", "keep", "\n") + "\n";
  writeBytes(path_, before + record("Alt", "1", "PASS", "old", "\n") + after);
  writeConfigValue(path_, "PASS", "new secret");
  EXPECT_EQ(readBytes(path_),
            before + ";Horavia;\r\n1;PASS;" + encipherCredential("new secret") + "\r\n" + after);
}

TEST_F(ConfigFileTest, AddsAfterLastRecordWithoutLineFeed) {
  std::string content = record("Horavia", "1", "LOGIN", "scott");
  content.resize(content.size() - 2);
  writeBytes(path_, content);
  writeConfigValue(path_, "PASS", "tiger");
  EXPECT_EQ(lookupConfig("", "LOGIN", 0, path_).value, "scott");
  EXPECT_EQ(lookupConfig("", "PASS", 0, path_).value, "tiger");
}

TEST_F(ConfigFileTest, AddsBeforeLoneLastLine) {
  const std::string content = record("Horavia", "1", "LOGIN", "scott") + "lone";
  writeBytes(path_, content);
  writeConfigValue(path_, "PASS", "tiger");
  EXPECT_EQ(lookupConfig("", "PASS", 0, path_).value, "tiger");
  const std::string written = readBytes(path_);
  EXPECT_EQ(written.substr(written.size() - 4), "lone");
}

TEST_F(ConfigFileTest, RejectsValuesThatCannotBeStored) {
  EXPECT_THROW(writeConfigValue(path_, "A;B", "x"), std::invalid_argument);
  EXPECT_THROW(writeConfigValue(path_, "", "x"), std::invalid_argument);
  EXPECT_THROW(writeConfigValue(path_, "PASS", std::string("a\0b", 3)), std::invalid_argument);
  EXPECT_THROW(writeConfigValue(path_, "PASS", std::string(200, 'x')), std::invalid_argument);
  EXPECT_THROW(writeConfigValue(dir_.file("missing/horavia.ini"), "PASS", "x"), std::runtime_error);
}

}  // namespace
}  // namespace lug::config
