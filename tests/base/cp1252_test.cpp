#include "base/cp1252.h"

#include <gtest/gtest.h>

namespace lug::base {
namespace {

TEST(Windows1252, KeepsAsciiAndLatin1) {
  EXPECT_EQ(toWindows1252("Lohn; Gehalt 100%"), "Lohn; Gehalt 100%");
  EXPECT_EQ(toWindows1252("Übergabe"),
            "\xDC"
            "bergabe");
  EXPECT_EQ(toWindows1252("Grüße"),
            "Gr\xFC\xDF"
            "e");
  EXPECT_EQ(toWindows1252("\u00A0ÿ"), "\xA0\xFF");
}

TEST(Windows1252, MapsTheCharactersOf80To9F) {
  EXPECT_EQ(toWindows1252("€"), "\x80");
  EXPECT_EQ(toWindows1252("‚ƒ„…†‡ˆ‰Š‹ŒŽ"), "\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E");
  EXPECT_EQ(toWindows1252("‘’“”•–—˜™š›œžŸ"),
            "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F");
}

TEST(Windows1252, ReplacesUnrepresentableCharacters) {
  EXPECT_EQ(toWindows1252("Łódź"),
            "?\xF3"
            "d?");
  EXPECT_EQ(toWindows1252("a😀b"), "a?b");
  EXPECT_EQ(toWindows1252("\xC2\x80"), "?");  // C1 control U+0080
}

TEST(Windows1252, PassesInvalidUtf8Through) {
  EXPECT_EQ(toWindows1252("\xDC"
                          "bergabe"),
            "\xDC"
            "bergabe");
  EXPECT_EQ(toWindows1252("x\xE2\x82"), "x\xE2\x82");                // cut off at the end
  EXPECT_EQ(toWindows1252("\xC0\xAF"), "\xC0\xAF");                  // over-long "/"
  EXPECT_EQ(toWindows1252("\xE0\x80\xAF"), "\xE0\x80\xAF");          // over-long "/"
  EXPECT_EQ(toWindows1252("\xF4\x90\x80\x80"), "\xF4\x90\x80\x80");  // beyond U+10FFFF
  EXPECT_EQ(toWindows1252("\xED\xA0\x80"), "\xED\xA0\x80");          // surrogate
  EXPECT_EQ(toWindows1252("\xE2\x82"
                          "A€"),
            "\xE2\x82"
            "A\x80");  // recovers after it
}

TEST(Windows1252, ReadsBackEveryByteItWrites) {
  std::string all;
  for (int byte = 0x01; byte <= 0xFF; ++byte) all += static_cast<char>(byte);
  for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) all[undefined - 1] = '?';
  EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
  EXPECT_EQ(fromWindows1252("Std. zu gro\xDF f.\xDC"
                            "bergabe \x80 \x81"),
            "Std. zu groß f.Übergabe € ?");
}

TEST(LineEnds, TurnsLineFeedsIntoCrLf) {
  EXPECT_EQ(crlf("\n\nProtokollierung\n"), "\r\n\r\nProtokollierung\r\n");
  EXPECT_EQ(crlf("a\r\nb\nc"), "a\r\nb\r\nc");
  EXPECT_EQ(crlf("a\rb"), "a\rb");
}

}  // namespace
}  // namespace lug::base
