#include "recalc/differences.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

using lug::test::Cell;

// The final run of February 2024 (period 2) after the recalculation of
// January (period 1), of a payroll type that keeps the journal.
class DifferencesTest : public CalcTest {
 protected:
  DifferencesTest() {
    addGroup(inst, {.lgp = "LODAS"});
    addLine(inst, {.ztk = "GLZ", .lna = "3000", .ztr = 1});
    usePeriod(2, "2024.02.01", "2024.02.29");
    ctx.startTime = "05.03.2024 08:00:00";
    ctx.recalcPeriods[0] = 1, ctx.recalcCount = 1;
  }
  // A January value of NORM handed over by run `lfn` of period `abr`.
  void handedOver(const std::string& pnr, int minutes, const std::string& krt = "", int abr = 1,
                  int lfn = 0, Cell rrn = nullptr) {
    inst.insert("Hor331Zk1", {{"Zk1Abr", abr},
                              {"Zk1Lfn", lfn},
                              {"Zk1Stz", "LA"},
                              {"Zk1Bdt", "2024.01.01"},
                              {"Zk1Pnr", pnr},
                              {"Zk1Zkt", "NORM"},
                              {"Zk1Lna", "1000"},
                              {"Zk1Lgr", "     "},
                              {"Zk1Krt", krt},
                              {"Zk1Std", double(minutes)},
                              {"Zk1Tge", 0},
                              {"Zk1Von", "2024.01.01"},
                              {"Zk1Bis", "2024.01.31"},
                              {"Zk1Sts", 0},
                              {"Zk1Rre", abr == 1 ? 1 : 2},
                              {"Zk1Sta", 1},
                              {"Zk1Upn", pnr},
                              {"Zk1Inf", 0},
                              {"Zk1Su1", 0.0},
                              {"Zk1Rrn", rrn}});
  }
  // January's value computed now, with another cost type and status.
  void computed(const std::string& pnr, int minutes, const std::string& zkt = "NORM",
                const std::string& lna = "1000") {
    inst.insert("Hor331Zk3", {{"Zk3Key", ctx.startTime},
                              {"Zk3Abr", 1},
                              {"Zk3Lfn", 0},
                              {"Zk3Stz", "LA"},
                              {"Zk3Bdt", "2024.01.01"},
                              {"Zk3Pnr", pnr},
                              {"Zk3Zkt", zkt},
                              {"Zk3Lna", lna},
                              {"Zk3Lgr", "     "},
                              {"Zk3Krt", "09"},
                              {"Zk3Std", minutes},
                              {"Zk3Tge", 0},
                              {"Zk3Stg", 0},
                              {"Zk3Von", "2024.01.01"},
                              {"Zk3Bis", "2024.01.31"},
                              {"Zk3Sts", 5},
                              {"Zk3Upn", pnr},
                              {"Zk3Inf", 0}});
  }
  // Pnr|Lfn|Zkt|Krt|Std|Rre|Rrn of February's records.
  Lines february() {
    return joinedRows(
        inst,
        "select Zk1Pnr,Zk1Lfn,Zk1Zkt,Zk1Krt,Zk1Std,Zk1Rre,Zk1Rrn from Hor331Zk1 where "
        "Zk1Abr=2 order by Zk1Pnr,Zk1Lfn,Zk1Std");
  }
  Lines sortedLog() {
    Lines lines = log();
    std::sort(lines.begin(), lines.end());
    return lines;
  }
};

TEST_F(DifferencesTest, EdgesOfTheComparison) {
  handedOver("9001", 60);  // cost type and status changed only
  computed("9001", 60);
  handedOver("9002", 60);  // the value became 0
  computed("9002", 0);
  computed("9003", 0);                 // a new value of 0 ...
  computed("9004", 0, "GLZ", "3000");  // ... handed over on a period account only
  handedOver("9006", 60);              // this run's record of the same key is hit
  handedOver("9006", 5, "", 2);
  computed("9006", 90);
  recalc::differenceRecords(ctx, "2024.01.01");

  EXPECT_EQ(february(),
            (Lines{"9002|0|NORM||-60|2|1", "9004|0|GLZ|09|0|2|1", "9006|0|NORM||5|2|"}));
  EXPECT_EQ(sortedLog(), (Lines{"", "  Schreiben ZK1 INSERT-Satz(RR1), Status : -1",
                                "Differenzen ermitteln:", "Differenzsatz schreiben(1), Pnr: 9002",
                                "Differenzsatz schreiben(1), Pnr: 9006",
                                "Differenzsatz schreiben(Ins), Pnr: 9004"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk3"), "0");
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk5"), "5");
}

// Three old groups of one record key that differ only in cost type: one
// consumes the new value, the others are cancelled into one record of this
// run; the difference record of an interim run stays as it was handed over.
TEST_F(DifferencesTest, CancellationsOfOneKeyAddUpInThisRunsRecord) {
  handedOver("9005", 60, "01");
  handedOver("9005", 30, "02", 1, 5);
  handedOver("9005", 10, "03", 2, 1, 1);
  computed("9005", 60);
  recalc::differenceRecords(ctx, "2024.01.01");

  EXPECT_EQ(joinedRows(inst, "select Zk1Lfn,Zk1Std from Hor331Zk1 where Zk1Abr=2 order by 1"),
            (Lines{"0|-40", "1|10"}));
}

// Old groups are compared in batches: a new value consumed by the last group
// of one batch is gone for the first group of the next, and every value no
// group consumed is handed over once.
TEST_F(DifferencesTest, ConsumedValuesStayConsumedAcrossBatches) {
  Lines expected;
  for (int i = 0; i < 31; ++i) {  // groups 1 to 31
    const std::string pnr = std::to_string(9100 + i);
    handedOver(pnr, 60);
    computed(pnr, 60 + i % 3);
    if (i % 3 != 0) expected.push_back(pnr + "|0|NORM||" + std::to_string(i % 3) + "|2|1");
  }
  handedOver("9131", 60, "01");        // group 32 consumes the value ...
  handedOver("9131", 30, "02", 1, 5);  // ... group 33 finds none: cancelled
  computed("9131", 60);
  expected.push_back("9131|0|NORM|02|-30|2|1");
  for (int i = 32; i < 110; ++i) {  // more employees of one booking date than one delete takes
    const std::string pnr = std::to_string(9100 + i);
    handedOver(pnr, 60);
    computed(pnr, 60);
  }
  // Beside a consumed value, one without old group: more employees than
  // one deletion of consumed values takes.
  for (int i = 40; i < 110; ++i) {
    const std::string pnr = std::to_string(9100 + i);
    computed(pnr, 20, "UEB");
    expected.push_back(pnr + "|0|UEB|09|20|2|1");
  }
  computed("9210", 45);  // no old group
  expected.push_back("9210|0|NORM|09|45|2|1");
  recalc::differenceRecords(ctx, "2024.01.01");

  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(february(), expected);
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk3"), "0");
}

TEST_F(DifferencesTest, InterimCancellationOfThisRunsOwnRecordIsOnlyLogged) {
  ctx.interim = 1, ctx.lfn = 2;
  handedOver("9007", 10, "", 2, 1);
  handedOver("9007", 12, "", 2, 2);
  recalc::interimDifferences(ctx);

  EXPECT_EQ(february(), (Lines{"9007|1|NORM||10|2|", "9007|2|NORM||12|2|"}));
  EXPECT_EQ(log(), (Lines{"", "Zwischenabrechnung : Differenzen ermitteln:",
                          "Diff.satz schreiben(Del) ZwiAbr, Pnr: 9007",
                          "  ZK1 INSERT-Satz(2) ZwiAbr, Status : -1"}));
  EXPECT_EQ(joinedRows(inst, "select Zk5Std,Zk5Rre from Hor331Zk5"), (Lines{"22|4"}));
}

}  // namespace
}  // namespace lug::calc::test
