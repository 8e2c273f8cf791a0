#include "export/field_text.h"

#include <gtest/gtest.h>

#include "export/date_text.h"

namespace lug::exporters {
namespace {

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
