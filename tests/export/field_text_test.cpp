#include "export/field_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace lug::exporters
