// Raet, Asring and XXL-Exact hand-overs through the lug program: February
// 2024 of three accounting groups, one per payroll system, computed from
// month values and handed over.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "calc/scenario.h"
#include "support/exporter_fixture.h"

namespace lug::calc::test {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

class RaetAsringXxlScenario : public ::testing::Test {
 protected:
  RaetAsringXxlScenario() {
    addGroup(inst, {.akr = "R", .lug = "LR", .lgp = "Raet"});
    addGroup(inst, {.akr = "A", .lug = "LA", .lgp = "ASR", .kinds = {"LS", "SS"}});
    addGroup(inst, {.akr = "X", .lug = "LX", .lgp = "XXL"});
    change("update Hor171Lug set LugFir='RA1', LugMon=1 where LugLug='LR'");
    change("update Hor171Lug set LugFir='12345', LugMon=-1 where LugLug='LA'");
    change("update Hor171Lug set LugMon=1 where LugLug='LX'");
    for (const char* lug : {"LR", "LX"}) {
      addLine(inst, {.ztk = "NORM", .lna = "100", .lug = lug});
      addLine(inst, {.ztk = "URL", .lna = "300", .sts = 105, .lug = lug});
    }
    addLine(inst, {.stz = "LS", .ztk = "NORM", .lna = "100", .lug = "LA"});
    addLine(inst, {.stz = "SS", .ztk = "KRA", .lna = "400", .lgr = "K", .lug = "LA"});
    change("update Hor171Lu1 set Lu1Kst=1, Lu1Ktr=1, Lu1Krt=1 where Lu1Ztk='NORM'");
    addEmployee(inst, "1001", "R", "2020.01.01", "", "R-1001");
    addEmployee(inst, "2001", "A");
    addEmployee(inst, "3001", "X");
    addEmployee(inst, "3002", "X");
    month("1001", "NORM", 9630, 0, "K1");
    month("1001", "URL", 960, 0);
    month("2001", "NORM", 7200, 0, "ASR-KOSTENSTELLE-1");
    month("2001", "KRA", 480, 10);
    month("3001", "NORM", 9630, 0, "K31");
    month("3001", "URL", 90, 0);
    month("3002", "NORM", -90, 0, "K32");
  }

  void month(const std::string& pnr, const std::string& zkt, int minutes, int tenths,
             const std::string& kst = "") {
    addBooking(inst, {.pnr = pnr,
                      .dtm = "2024.02.29",
                      .zkt = zkt,
                      .std = minutes,
                      .tge = tenths,
                      .ztr = 3,
                      .kst = kst});
  }
  // The session prepares each text once: pass a literal.
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }
  void handOver(const std::string& akr) {
    const auto run = runAt(inst, "2024.03.05 10:00:00", akr, "2");
    ASSERT_EQ(run.exitStatus, 1) << run.log;
  }
  std::string file(const std::string& name) const {
    return lug::test::readFile(inst.exportDir() / name);
  }

  Installation inst;
};

TEST_F(RaetAsringXxlScenario, FebruaryHandedOverToEachSystem) {
  handOver("R");
  handOver("A");
  handOver("X");
  EXPECT_EQ(file("Raet.txt"),
            "ARA1     202403050001RPD conversie  20240301\r\n"
            "5R-1001         1              100                 20240301  "
            "000000000000000160.500000\r\n"
            "5R-1001         1              300                 20240301  "
            "000000000000000016.000000\r\n"
            "Z00000004\r\n");
  EXPECT_EQ(inst.rows("select AsrFir, AsrPnr, AsrJhr, AsrMon, AsrLna, AsrStd, AsrTag, AsrKst, "
                      "AsrAbr, AsrLkz, AsrUhr, AsrVfj, AsrVfm from Hor333Asr"),
            (Rows{{"123", "2001", "2024", "1", "100", "120", "0", "ASR-KOSTEN", "12024", "N",
                   "10:00:00", "0", "0"}}));
  EXPECT_EQ(inst.rows("select AskFir, AskPnr, AskJhr, AskMon, AskEnr, AskArt, AskVon, AskBis, "
                      "AskEin, AskMge, AskLkz, AskUhr from Hor333Ask"),
            (Rows{{"123", "2001", "2024", "1", "2", "K", "01.02.2024", "29.02.2024", "S", "8", "N",
                   "10:00:00"}}));
  // Personnel number, period date, booking date, wage type and kind code,
  // signed quantity, hours and amount, cost centre; then the blank rest.
  const std::string rest(12 + 1 + 12 + 10 + 20, ' ');
  // clang-format off
  EXPECT_EQ(file("LO_IMP.txt"),
            "003001" "20240301" "20240301" "000" "52" "+00000001.500" "+00000000.00" "+00000000.00"
            "        " + rest + "\r\n" +
            "003001" "20240301" "20240301" "100" "99" "+00000160.500" "+00000000.00" "+00000000.00"
            "K31     " + rest + "\r\n" +
            "003002" "20240301" "20240301" "100" "99" "-00000001.500" "+00000000.00" "+00000000.00"
            "K32     " + rest + "\r\n");
  // clang-format on
}

}  // namespace
}  // namespace lug::calc::test
