// Order and arguments of the calculation phases: follow months, the
// recalculation of earlier periods with their own follow months, the LOGA copy
// of recalculation records and the difference records.
#include <algorithm>

#include "driver/run_fixture.h"

namespace lug::driver::testing {
namespace {

using Calls = std::vector<std::string>;

class RunPhasesTest : public DriverTest {
 protected:
  RunPhasesTest() {
    addGroup("A1", "DATEV");
    // Every call with the group, period and first day the run context holds.
    phases.hook = [this](RunContext& ctx, const std::string& call) {
      trace.push_back(call + " " + ctx.akr + "/" + std::to_string(ctx.abrnr) + " " + ctx.abrVon);
      if (call == "differenceRecords")
        periods.assign(ctx.recalcPeriods.begin(), ctx.recalcPeriods.begin() + ctx.recalcCount);
    };
  }
  void setDepth(const std::string& depth) { change("update O1001AbrKreis set AkrRrm=" + depth); }
  size_t count(const std::string& prefix) const {
    return static_cast<size_t>(
        std::count_if(phases.calls.begin(), phases.calls.end(),
                      [&](const auto& c) { return c.rfind(prefix, 0) == 0; }));
  }

  Calls trace;
  std::vector<int32_t> periods;  // recalculated periods as the difference records see them
};

TEST_F(RunPhasesTest, FollowMonthsRunThePeriodsTheirOffsetsPointBackTo) {
  for (int offset : {3, 1, 1, 0, -2}) addFollowOffset("A1", static_cast<int16_t>(offset));
  change("update Hor330Abr set AbrSts=8 where AbrNum=202401");  // closed: not counted
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(trace, (Calls{"periodRun(A1,202403,0,0) A1/202403 2024.03.01",
                          "periodRun(A1,202402,1,1) A1/202403 2024.02.01",
                          "periodRun(A1,202311,3,1) A1/202403 2023.11.01",
                          "export(DATEV) A1/202403 2024.03.01"}));
  const std::string started = "\n>>>>>Folgemonatsberechnung gestartet";
  EXPECT_NE(
      log().find(logged({"\n-- ENDABRECHNUNG !!!! --\n", started, started,
                         "LuG-Uebergabe Akr: A1, Abrnr: 202403 am 02.04.2024 08:30:00 beendet"})),
      std::string::npos);
}

TEST_F(RunPhasesTest, OffsetBeyondTheFirstPeriodEndsTheFollowMonths) {
  addFollowOffset("A1", 1);
  addFollowOffset("A1", 15);  // 202403 has 14 earlier periods
  addFollowOffset("A1", 16);
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(phases.calls,
            (Calls{"periodRun(A1,202403,0,0)", "periodRun(A1,202402,1,1)", "export(DATEV)"}));
}

TEST_F(RunPhasesTest, InterimRunComputesNoFollowMonths) {
  addFollowOffset("A1", 1);
  EXPECT_EQ(runA1("1"), 1);
  EXPECT_EQ(phases.calls, (Calls{"periodRun(A1,202403,0,0)", "export(DATEV)"}));
}

TEST_F(RunPhasesTest, RecalculationRunsNewestFirstWithItsOwnFollowMonths) {
  addFollowOffset("A1", 1);
  setDepth("2");
  EXPECT_EQ(runA1(), 1);
  // The run context keeps the run's own group and period throughout: each
  // recalculation call names the period it computes.
  EXPECT_EQ(trace, (Calls{"periodRun(A1,202403,0,0) A1/202403 2024.03.01",
                          "periodRun(A1,202402,1,1) A1/202403 2024.02.01",
                          "recalculate(A1,202402,0,0) A1/202403 2024.03.01",
                          "recalculate(A1,202401,1,1) A1/202403 2024.03.01",
                          "recalculate(A1,202401,0,0) A1/202403 2024.03.01",
                          "recalculate(A1,202312,1,1) A1/202403 2024.03.01",
                          "differenceRecords A1/202403 2024.03.01",
                          "export(DATEV) A1/202403 2024.03.01"}));
  EXPECT_EQ(periods, (std::vector<int32_t>{202402, 202401}));
  EXPECT_TRUE(logHas("\n>>>>>Folgemonatsberechnung(RR) gestartet"));
}

TEST_F(RunPhasesTest, InterimRunRecalculatesWithoutFollowMonths) {
  addFollowOffset("A1", 1);
  addRecord(202403, 1);
  setDepth("1");
  EXPECT_EQ(runA1("1"), 1);
  EXPECT_EQ(phases.calls,
            (Calls{"periodRun(A1,202403,0,0)", "interimDifferences", "recalculate(A1,202402,0,0)",
                   "differenceRecords", "export(DATEV)"}));
}

TEST_F(RunPhasesTest, NoRecalculationDepthMeansNoRecalculationAndNoDifferences) {
  change("update Hor171Lug set LugLgp='LOGA'");
  inst.insert("Hor331Zk3", {{"Zk3Key", "K"}, {"Zk3Stz", "ZR"}});
  for (const char* depth : {"0", "NULL"}) {
    setDepth(depth);
    EXPECT_EQ(runA1(), 1);
  }
  EXPECT_EQ(phases.calls, (Calls{"periodRun(A1,202403,0,0)", "export(LOGA)",
                                 "periodRun(A1,202403,0,0)", "export(LOGA)"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk4"), "0");
}

TEST_F(RunPhasesTest, RecalculationDepthAbove12RecalculatesTwelvePeriods) {
  setDepth("20");
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(count("recalculate("), 12u);
  EXPECT_EQ(periods, (std::vector<int32_t>{202402, 202401, 202312, 202311, 202310, 202309, 202308,
                                           202307, 202306, 202305, 202304, 202303}));
  EXPECT_EQ(log().find("Rueckrechnungs-Lesenstatus"), std::string::npos);
}

TEST_F(RunPhasesTest, RecalculationEndsAtTheFirstPeriod) {
  setDepth("3");
  EXPECT_EQ(run({inst.service(), "TEST", "A1", "202302", "0"}), 1);
  EXPECT_EQ(phases.calls, (Calls{"periodRun(A1,202302,0,0)", "recalculate(A1,202301,0,0)",
                                 "differenceRecords", "export(DATEV)"}));
  EXPECT_TRUE(logHas("Rueckrechnungs-Lesenstatus: 1403"));
}

TEST_F(RunPhasesTest, LogaCopiesRecalculationRecordsBeforeTheDifferences) {
  static constexpr char kCopied[] = "select count(*) into :b0  from Hor331Zk4 where Zk4Stz=:b1";
  change("update Hor171Lug set LugLgp='LOGA'");
  setDepth("1");
  inst.insert("Hor331Zk3", {{"Zk3Key", "K"}, {"Zk3Stz", "ZR"}, {"Zk3Pnr", "1"}});
  inst.insert("Hor331Zk3", {{"Zk3Key", "K"}, {"Zk3Stz", "XX"}, {"Zk3Pnr", "2"}});
  inst.insert("Hor331Zk4", {{"Zk4Stz", "ZR*E"}, {"Zk4Pnr", "3"}});
  inst.insert("Hor331Zk4", {{"Zk4Stz", "OLD"}, {"Zk4Pnr", "4"}});
  int32_t copied = 0;
  phases.hook = [&copied](RunContext& ctx, const std::string& call) {
    if (call == "differenceRecords") ctx.db.exec(kCopied, {"ZR"}, {copied});
  };
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(copied, 1);
  EXPECT_EQ(inst.rows("select Zk4Pnr, Zk4Stz from Hor331Zk4 order by Zk4Pnr"),
            (std::vector<std::vector<std::string>>{{"1", "ZR"}, {"3", "ZR*E"}}));
}

TEST_F(RunPhasesTest, FailedLogaCopyIsLoggedAndTheRunGoesOn) {
  change("update Hor171Lug set LugLgp='LOGA'");
  setDepth("1");
  change("DROP TABLE Hor331Zk4");
  EXPECT_EQ(runA1(), 1);
  EXPECT_TRUE(logHas("Fehler Koopieren Zk3: -942"));
  EXPECT_EQ(phases.calls.back(), "export(LOGA)");
}

TEST_F(RunPhasesTest, OnlyTheInterfaceTypeLogaCopiesRecalculationRecords) {
  change("update Hor171Lug set LugLgp='LOGA4'");
  setDepth("1");
  inst.insert("Hor331Zk3", {{"Zk3Key", "K"}, {"Zk3Stz", "ZR"}});
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk4"), "0");
}

}  // namespace
}  // namespace lug::driver::testing
