#include "export/perman/perman.h"

#include <gtest/gtest.h>

#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

// The header of a run started on 09.01.2025, and where a data line's wage
// type and amount begin.
constexpr char kHeader[] = "XM0060763001090125EVKVA1file JWIN102~\r\n";
constexpr size_t kValueAt = 46;

class PermanTest : public test::ExporterTest {
 protected:
  PermanTest() : ExporterTest("PRMAN") {}

  std::string permanFile() {
    EXPECT_EQ(handOver(perman), 0) << logText();
    return exported("M0060763.001");
  }
  // Wage type and amount of the only data line.
  std::string onlyValue() {
    const std::string file = permanFile();
    const size_t start = std::string(kHeader).size() + kValueAt;
    const size_t end = file.find('\t', start);
    EXPECT_NE(end, std::string::npos) << file;
    EXPECT_EQ(file.substr(end), "\t~\r\nZS000000000000000000000000100001~\r\n") << file;
    return file.substr(start, end - start);
  }
};

TEST_F(PermanTest, HeaderDataLinesAndTrailer) {
  line();
  line({{"Lu1Lna", "V193"}});
  record({{"Zk1Std", 450}});
  record({{"Zk1Zkt", "UE"}, {"Zk1Std", 90}});  // no line: costs blank
  record({{"Zk1Lna", "V193"}, {"Zk1Std", 90}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Tge", 15}});
  record({{"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Std", -75}});
  // Staged, but too long for the file: the running numbers stay gapless.
  record({{"Zk1Pnr", "1009"}, {"Zk1Upn", "10015678"}, {"Zk1Std", 60}});
  record({{"Zk1Pnr", "1004"}, {"Zk1Upn", "1004"}, {"Zk1Rre", 2}, {"Zk1Std", 60}});
  expectGolden(permanFile(), "export/perman/golden/M0060763.001");
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Pm1"), "6");
  EXPECT_EQ(logText(),
            "\nPerman-Lohnübergabe Akr: G1, Abrnr: 7 gestartet\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "6 Datensätze aus Hor333Zk1 gelesen.\n"
            "Pnr 10015678: Personalnummer zu lang\n"
            "5 Datensätze in Datei(en) geschrieben.\n"
            "Perman-Lohnübergabe beendet\n");
}

struct ValueCase {
  const char* name;
  const char* lna;
  int minutes, tenths;
  double factor;  // Lu1Mog of the line
  const char* value;
};

class PermanValue : public PermanTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(PermanValue, IsWrittenInHundredths) {
  const ValueCase& c = GetParam();
  line({{"Lu1Lna", c.lna}, {"Lu1Mog", c.factor}});
  record({{"Zk1Lna", c.lna}, {"Zk1Std", c.minutes}, {"Zk1Tge", c.tenths}});
  EXPECT_EQ(onlyValue(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PermanValue,
    ::testing::Values(ValueCase{"Hours", "100", 90, 0, 0, "100000000150"},
                      ValueCase{"V193", "V193", 90, 0, 0, "V1930150"},
                      ValueCase{"V199", "V199", 90, 0, 0, "V1990150"},
                      ValueCase{"V607", "V607", 90, 0, 0, "V6070150"},
                      ValueCase{"V608", "V608", 90, 0, 0, "V6080150"},
                      ValueCase{"OtherV", "V194", 90, 0, 0, "V194000000150"},
                      ValueCase{"Days", "100", 0, 5, 0, "100000000050"},
                      ValueCase{"MinutesFirst", "100", 30, 10, 0, "100000000050"},
                      ValueCase{"Rounded", "100", 100, 0, 0, "100000000167"},
                      ValueCase{"Negative", "V193", -90, 0, 0, "V193-150"},
                      ValueCase{"NegativeLong", "100", -90, 0, 0, "100-00000150"},
                      ValueCase{"Factor", "100", 60, 0, 1.5, "100000000150"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(PermanTest, SumThatCancelsOutIsWrittenAsZero) {
  record({{"Zk1Zkt", "A1"}, {"Zk1Tge", 1}});
  record({{"Zk1Zkt", "A2"}, {"Zk1Tge", 5}});
  record({{"Zk1Zkt", "A3"}, {"Zk1Tge", -6}});
  EXPECT_EQ(onlyValue(), "100000000000");
}

// The wage type stands in the tab-separated part of the line: a tab or the
// tilde that ends the line would break it.
TEST_F(PermanTest, WageTypeThatWouldBreakTheLineIsLeftOut) {
  record({{"Zk1Lna", "1\t0"}, {"Zk1Std", 60}});
  record({{"Zk1Lna", "1~0"}, {"Zk1Std", 60}});
  record({{"Zk1Std", 90}});
  EXPECT_EQ(onlyValue(), "100000000150");
  const std::string log = logText();
  EXPECT_NE(log.find("\nPnr 1001: Trennzeichen im Feld (1?0)\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\nPnr 1001: Trennzeichen im Feld (1~0)\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\n1 Datensätze aus Hor333Zk1 gelesen.\n"), std::string::npos) << log;
}

TEST_F(PermanTest, EmptyPeriodGivesHeaderAndTrailer) {
  EXPECT_EQ(permanFile(), std::string(kHeader) + "ZS000000000000000000000000000000~\r\n");
}

}  // namespace
}  // namespace lug::exporters
