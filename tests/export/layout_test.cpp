#include "export/layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace lug::exporters {
namespace {

struct NumberCase {
  double value;
  NumberFormat format;
  const char* text;
};

// The number forms of the payroll files, each with the values that show its rule.
TEST(NumberFormats, WriteEveryFormThePayrollFilesUse) {
  const NumberFormat twoPlaces{.decimals = 2};
  const NumberFormat decimalComma{.decimals = 2, .point = ',', .zeroAsEmpty = true};
  const NumberFormat hundredthsSignAtEnd{.width = 5, .scale = 2, .signAtEnd = true};
  const NumberFormat amount{.width = 9, .scale = 2, .signAtEnd = true};
  const NumberFormat wholeOrEmpty{.zeroAsEmpty = true};
  const NumberCase cases[] = {
      {7.5, twoPlaces, "7.50"},
      {-1.25, twoPlaces, "-1.25"},
      {100.0 / 60, twoPlaces, "1.67"},
      {7.5, decimalComma, "7,50"},
      {0.004, decimalComma, ""},  // rounds to zero
      {-1.25, decimalComma, "-1,25"},
      {12345.678, decimalComma, "12345,68"},
      {1.23, hundredthsSignAtEnd, "00123"},
      {-1.23, hundredthsSignAtEnd, "0123-"},
      {999.99, hundredthsSignAtEnd, "99999"},
      {100.0 / 60, hundredthsSignAtEnd, "00167"},  // whole hundredths, rounded
      {-123.45, amount, "00012345-"},
      {0, amount, "000000000"},
      {0, wholeOrEmpty, ""},
      {3, wholeOrEmpty, "3"},
      {2.5, NumberFormat{.scale = 1}, "25"},
  };
  for (const NumberCase& c : cases) EXPECT_EQ(formatNumber(c.value, c.format), c.text) << c.value;
}

TEST(NumberFormats, RoundedToTheHundredthsTheFileShows) {
  EXPECT_DOUBLE_EQ(roundedTo(100.0 / 60, 2), 1.67);
  EXPECT_DOUBLE_EQ(roundedTo(-100.0 / 60, 2), -1.67);
  EXPECT_DOUBLE_EQ(roundedTo(2.5, 0), 2);  // printf rounds half to even
}

struct FieldCase {
  const char* value;
  FieldWidth width;
  std::optional<std::string> text;
};

TEST(FixedWidthFields, PadCutOrRejectByTheFieldsRule) {
  const FieldCase cases[] = {
      {"4711", {.width = 6}, "4711  "},
      {"4711", {.width = 6, .align = Align::Right, .fill = '0'}, "004711"},
      {"12345678", {.width = 6}, "123456"},
      {"12345678", {.width = 6, .overflow = Overflow::Reject}, std::nullopt},
      {"B\xC3\xBCro", {.width = 4, .overflow = Overflow::Reject}, "B\xC3\xBCro"},  // 4 characters
      {"M\xC3\xBCnchen", {.width = 3}, "M\xC3\xBCn"},  // cut between characters, never inside
      {"", {.width = 2, .fill = ' '}, "  "},
  };
  for (const FieldCase& c : cases) EXPECT_EQ(fitField(c.value, c.width), c.text) << c.value;
}

struct Line {
  std::string pnr;
  double hours = 0;
};

TEST(Layouts, FixedAndDelimitedLinesOfARow) {
  const FixedLayout<Line> fixed{
      {literal<Line>("10"), {.width = 2}},
      {text(&Line::pnr),
       {.width = 6, .align = Align::Right, .fill = '0', .overflow = Overflow::Reject}},
      {number(&Line::hours, {.width = 5, .scale = 2, .signAtEnd = true}), {.width = 5}}};
  EXPECT_EQ(fixed.line({.pnr = "4711", .hours = -1.25}), "100047110125-");
  EXPECT_EQ(fixed.line({.pnr = "1234567", .hours = 1}), std::nullopt);

  const DelimitedLayout<Line> terminated{
      ';', true, {text(&Line::pnr), number(&Line::hours, {.decimals = 2})}};
  EXPECT_EQ(terminated.line({.pnr = "4711", .hours = 7.5}), "4711;7.50;");
  const DelimitedLayout<Line> separated{';', false, {text(&Line::pnr), literal<Line>("")}};
  EXPECT_EQ(separated.line({.pnr = "4711"}), "4711;");
}

}  // namespace
}  // namespace lug::exporters
