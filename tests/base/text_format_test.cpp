#include "base/text_format.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

namespace lug::base {
namespace {

std::string logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string logLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatLogV(format, args);
  va_end(args);
  return text;
}

TEST(LogLineFormat, ControlCharactersInValuesBecomeQuestionMarks) {
  EXPECT_EQ(logLine("Akr:%s, Abrnr: %ld", "A1\r\nLuG-Uebergabe beendet", 7L),
            "Akr:A1??LuG-Uebergabe beendet, Abrnr: 7");
  EXPECT_EQ(logLine("%s|%c|%c", "a\tb\x1b[2J\x7f\x01", '\n', 'x'), "a?b?[2J??|?|x");
  EXPECT_EQ(logLine("B\xC3\xBCro %s",
                    "\xC3\x9C"
                    "berstunden"),
            "B\xC3\xBCro \xC3\x9C"
            "berstunden");  // UTF-8 stays
}

TEST(LogLineFormat, TheFormatsOwnLineFeedsAndConversionsStay) {
  EXPECT_EQ(logLine("\n-- %s --\n", "ENDABRECHNUNG"), "\n-- ENDABRECHNUNG --\n");
  EXPECT_EQ(logLine("%d|%5d|%-4d|%03d|%ld|%lld|%u|%x|%hd", -9999, 42, 7, 5, -1L, 1LL << 40, 3u,
                    255u, static_cast<short>(-3)),
            "-9999|   42|7   |005|-1|1099511627776|3|ff|-3");
  EXPECT_EQ(logLine("%.2f|%8.3f|%e", 1.5, -2.25, 1000.0), "1.50|  -2.250|1.000000e+03");
  EXPECT_EQ(logLine("%-5s|%5s|%.2s|%*d|%.*s|%%", "ab", "cd", "efg", 4, 7, 1, "x\ny"),
            "ab   |   cd|ef|   7|x|%");
  EXPECT_EQ(logLine("%zu %s", static_cast<size_t>(12), "ok"), "12 ok");
  EXPECT_EQ(logLine("kein Wert"), "kein Wert");
}

}  // namespace
}  // namespace lug::base
