#include "export/field_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/date_text.h"

namespace lug::exporters {
namespace {

TEST(FieldText, LeadingNumberReadsTheDigitsAtTheStart) {
  const std::vector<std::pair<const char*, int64_t>> cases = {
      {"0123", 123}, {"4711abc", 4711}, {" 42", 42}, {"\t7", 7},
      {"L12", 0},    {"", 0},           {"-5", 0},   {"99999999999999999999999", INT64_MAX},
  };
  for (const auto& [text, number] : cases) EXPECT_EQ(leadingNumber(text), number) << text;
}

TEST(FieldText, FirstCharactersAndPaddingCountWholeCharacters) {
  EXPECT_EQ(firstCharacters("K\xC3\xBC\xC3\xBC"
                            "12",
                            3),
            "K\xC3\xBC\xC3\xBC");
  EXPECT_EQ(firstCharacters("ab", 3), "ab");
  EXPECT_EQ(padLeft("\xC3\xBC"
                    "1",
                    4, '0'),
            "00\xC3\xBC"
            "1");
  EXPECT_EQ(padLeft("0999", 3, '0'), "0999");  // never cut
}

TEST(FieldText, PlainFileNamesStayInTheirDirectory) {
  for (const char* name : {"BWA12345.DAT", "BEWA-0G1.DAT", "BEWA-...DAT"})
    EXPECT_TRUE(isPlainFileName(name)) << name;
  for (const char* name : {"", ".", "..", "BEWA-../x.DAT", "BEWA-..\\x.DAT", "BEWA-C:x.DAT",
                           "BEWA-a\nb.DAT", "BEWA-?.DAT"})
    EXPECT_FALSE(isPlainFileName(name)) << name;
}

TEST(FieldText, FirstCharactersCountPayrollCharacters) {
  EXPECT_EQ(firstCharacters("KRANK", 2), "KR");
  EXPECT_EQ(firstCharacters("Ü1", 1), "Ü");
  EXPECT_EQ(firstCharacters("ÄÖÜ", 2), "ÄÖ");
  EXPECT_EQ(firstCharacters("A", 2), "A");
  EXPECT_EQ(firstCharacters("", 2), "");
}

TEST(DateText, PartsOfTheDateInThePattern) {
  struct Case {
    const char* date;
    const char* pattern;
    const char* text;
  };
  for (const Case& c :
       {Case{"20240304", "mmyy", "0324"}, Case{"20240304", "ddmmyy", "040324"},
        Case{"20241231", "dd.mm.yyyy", "31.12.2024"}, Case{"20240304", "yyyymmdd", "20240304"},
        Case{"", "ddmmyy", ""}, Case{"2024.03.04", "ddmmyy", ""}, Case{"2024030", "mmyy", ""}})
    EXPECT_EQ(dateText(c.date, c.pattern), c.text) << c.date << " " << c.pattern;
}

}  // namespace
}  // namespace lug::exporters
