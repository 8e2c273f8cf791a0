#include "recalc/recalculation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

// The run of March 2024 recalculates February and, as its follow month,
// January.
class RecalculationTest : public CalcTest {
 protected:
  RecalculationTest() {
    addGroup(inst);
    addLine(inst, {.ztk = "NORM", .lna = "1000"});
    addLine(inst, {.ztk = "NORM", .lna = "1001"});
    addLine(inst, {.ztk = "NORM", .lna = "1001", .gvo = "2023.01.01"});
    addLine(inst, {.ztk = "NORM", .lna = "1002", .rre = 0});
    addLine(inst, {.ztk = "LEER", .lna = "2200"});
    addLine(inst, {.ztk = "UEB", .lna = "1100", .flg = 1});
    addLine(inst, {.ztk = "UNB", .lna = "9000", .sts = 112});
    addEmployee(inst, "8001");
    addCost(inst, "8001", "K1", "", "");
    addDays(inst, "8001", "2024.01.01", "2024.02.29");
    inst.db().exec(
        "update Hor320Tgb set TgbUnb=TgbSol where TgbPnr='8001' and TgbSol>0 and ((TgbDtm>="
        "'2024.01.08' and TgbDtm<='2024.01.12') or (TgbDtm>='2024.02.05' and "
        "TgbDtm<='2024.02.09'))");
    inst.db().commit();
    for (const auto& [zkt, minutes] : {std::pair{"NORM", 600}, {"LEER", 0}})
      addBooking(inst, {.pnr = "8001", .dtm = "2024.02.29", .zkt = zkt, .std = minutes, .ztr = 3});
    for (const auto& [zkt, minutes] : {std::pair{"NORM", 500}, {"UEB", 90}})
      addBooking(inst, {.pnr = "8001", .dtm = "2024.01.31", .zkt = zkt, .std = minutes, .ztr = 3});
    inst.insert("Hor331Zk2", {{"Zk2Abr", 2},
                              {"Zk2Pnr", "8001"},
                              {"Zk2Bdt", "2024.02.01"},
                              {"Zk2Stt", 30.0},
                              {"Zk2Svt", 30.0},
                              {"Zk2Slt", 3.0},
                              {"Zk2Rre", 0}});
    addEmployee(inst, "8002", "A1", "2024.03.10");
    usePeriod(3, "2024.03.01", "2024.03.31");
    ctx.startTime = "05.04.2024 08:00:00";
  }
  void recalculate() {
    recalculation.run(ctx, "A1", 2, 0, 0);
    recalculation.run(ctx, "A1", 1, 1, 1);
  }
  Lines logged(const std::string& line) {
    Lines all = log();
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const std::string& l) { return l.rfind(line, 0) != 0; }),
              all.end());
    return all;
  }

  recalc::Recalculation recalculation;
};

TEST_F(RecalculationTest, FinalRunRecomputesRecordsInterruptionsAndDaySummary) {
  recalculate();
  // Abr|Lfn|Bdt|Pnr|Zkt|Lna|Lgr|Kst|Std|Von|Bis|Sts
  EXPECT_EQ(joinedRows(inst,
                       "select Zk3Abr,Zk3Lfn,Zk3Bdt,Zk3Pnr,Zk3Zkt,Zk3Lna,Zk3Lgr,Zk3Kst,Zk3Std,"
                       "Zk3Von,Zk3Bis,Zk3Sts from Hor331Zk3 where Zk3Key='05.04.2024 08:00:00' "
                       "order by Zk3Abr desc,Zk3Zkt,Zk3Lna"),
            (Lines{"2|0|2024.02.01|8001|9000|9000| |K1|1|2024.02.01|2024.02.29|112",
                   "2|0|2024.02.01|8001|LEER|2200|     ||0|2024.02.01|2024.02.29|0",
                   "2|0|2024.02.01|8001|NORM|1000|     ||600|2024.02.01|2024.02.29|0",
                   "2|0|2024.02.01|8001|NORM|1001|     ||600|2024.02.01|2024.02.29|0",
                   "1|0|2024.02.01|8001|UEB|1100|     ||90|2024.01.01|2024.01.31|0"}));
  EXPECT_EQ(daySummaries(inst), (Lines{"2|8001|2024.02.01|30|30|3|||||||0",
                                       "3|8001|2024.02.01|30|30|21|0|168|0|0|0|0|2"}));
  EXPECT_EQ(logged(">>>>>Rückrechnung"), (Lines{">>>>>Rückrechnung :"}));
  EXPECT_EQ(logged("AbrNr"), (Lines{"AbrNr: 2 von: 2024.02.01 bis: 2024.02.29",
                                    "AbrNr: 1 von: 2024.01.01 bis: 2024.01.31"}));
  // Once per month value (February's and January's) and record kind.
  EXPECT_EQ(logged("Warnung"), (Lines(2, "Warnung Mehrfache Zuordnung: Zkt: NORM -> Lna: 1001")));
  EXPECT_EQ(logged("--- Unterbrechungen"), (Lines{"--- Unterbrechungen: 1"}));
  EXPECT_EQ(logged("    -> erst"), (Lines(2, "    -> erst später eingetreten!")));
  EXPECT_EQ(recalculation.cutoff(), "2024.02.01");
}

// The stored day summary is compared value by value (read for the employees
// of a window): equal to the recomputed one it stays,
// with one value off it is handed over again.
TEST_F(RecalculationTest, DaySummaryIsHandedOverAgainOnlyWhenAValueChanged) {
  static const char kStored[] =
      "update Hor331Zk2 set Zk2Slt=21, Zk2Ant=0, Zk2Sln=168, Zk2Uns=0, Zk2Zes=0, Zk2Bzt=0, "
      "Zk2Unt=0 where Zk2Abr=2";
  const struct {
    const char* change;
    bool handedOver;
  } cases[] = {{"update Hor331Zk2 set Zk2Stt=30 where Zk2Abr=2", false},
               {"update Hor331Zk2 set Zk2Unt=1 where Zk2Abr=2", true},
               {"update Hor331Zk2 set Zk2Stt=29.5 where Zk2Abr=2", true}};
  for (const auto& c : cases) {
    inst.db().exec("delete from Hor331Zk2 where Zk2Rre=2");
    inst.db().exec(kStored);
    inst.db().exec(c.change);
    recalculate();
    EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk2 where Zk2Rre=2"),
              c.handedOver ? "1" : "0")
        << c.change;
  }
}

TEST_F(RecalculationTest, InterimRunWritesNoDaySummary) {
  ctx.interim = 1, ctx.lfn = 1;
  recalculate();
  EXPECT_EQ(daySummaries(inst), (Lines{"2|8001|2024.02.01|30|30|3|||||||0"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk3 where Zk3Lfn=1"), "5");
}

}  // namespace
}  // namespace lug::calc::test
