#include "export/framework.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/run_exit.h"
#include "export/handover.h"
#include "support/installation.h"

namespace lug::exporters {
namespace {

namespace fs = std::filesystem;
using test::Installation;
using Rows = std::vector<std::vector<std::string>>;

TEST(MonthShift, CarriesIntoTheYearForEveryOffset) {
  EXPECT_EQ(shiftMonth(202412, 1), 202501);
  EXPECT_EQ(shiftMonth(202411, 3), 202502);
  EXPECT_EQ(shiftMonth(202501, -1), 202412);
  EXPECT_EQ(shiftMonth(202503, -15), 202312);
  EXPECT_EQ(shiftMonth(202412, -12), 202312);
  EXPECT_EQ(shiftMonth(202406, 120), 203406);
  EXPECT_EQ(shiftMonth(202401, 32767), 475408);
  EXPECT_EQ(shiftMonth(202401, -1201), 192312);
  EXPECT_EQ(shiftMonth(202407, 0), 202407);
}

TEST(MonthShift, KeepsTheDayDigitsOfADate) {
  EXPECT_EQ(shiftDate(20241231, 1), 20250131);
  EXPECT_EQ(shiftDate(20240131, 1), 20240231);
  EXPECT_EQ(shiftDate(20250115, -1), 20241215);
  EXPECT_EQ(shiftDate(20250115, -25), 20221215);
}

TEST(DateHelper, ReadsTheDigitsOfASessionDate) {
  EXPECT_EQ(dateNumber("2024.03.15"), 20240315);
  EXPECT_EQ(dateNumber("2024.03.15") / 100, 202403);
  EXPECT_EQ(dateNumber("1999.12.01"), 19991201);
  EXPECT_EQ(dateNumber(""), 0);
  EXPECT_EQ(dateNumber("2024.03"), 202403);
}

TEST(Trims, RightTrimKeepsAnAllBlankText) {
  EXPECT_EQ(rightTrim("Lohn \t "), "Lohn");
  EXPECT_EQ(rightTrim(" \tLohn"), " \tLohn");
  EXPECT_EQ(rightTrim("  \t "), "  \t ");
  EXPECT_EQ(rightTrim(""), "");
}

TEST(Trims, FullTrimEmptiesAnAllBlankText) {
  EXPECT_EQ(fullTrim(" \tKst 41\t "), "Kst 41");
  EXPECT_EQ(fullTrim("  \t "), "");
  EXPECT_EQ(fullTrim("4100"), "4100");
}

TEST(Quantities, HoursAndDaysInDoublePrecision) {
  EXPECT_DOUBLE_EQ(hoursOf(450), 7.5);
  EXPECT_DOUBLE_EQ(hoursOf(-75), -1.25);
  EXPECT_EQ(hoursOf(1), 1 * (1.0 / 60));
  EXPECT_DOUBLE_EQ(daysOf(5), 0.5);
  EXPECT_DOUBLE_EQ(daysOf(35), 3.5);
}

TEST(FieldChecks, TheFirstFailingCheckWritesItsLineAndRejects) {
  std::vector<std::string> lines;
  auto check = [&](bool failed, std::string line) {
    return FieldCheck{failed, [&lines, line] { lines.push_back(line); }};
  };
  EXPECT_TRUE(passes({check(false, "a"), check(false, "b")}));
  EXPECT_FALSE(passes({check(false, "a"), check(true, "b"), check(true, "c")}));
  EXPECT_EQ(lines, std::vector<std::string>{"b"});
}

TEST(FieldChecks, WidthsCountTheCharactersOfThePayrollText) {
  EXPECT_FALSE(exceedsWidth("Kostenträger", 12));  // 13 bytes in UTF-8, 12 in the file
  EXPECT_TRUE(exceedsWidth("Kostenträger", 11));
  EXPECT_FALSE(exceedsWidth("", 0));
}

class ExportFrameworkTest : public ::testing::Test {
 protected:
  ExportFrameworkTest() {
    inst.insert("O1001AbrKreis",
                {{"AkrNum", "G1"}, {"AkrLug", "L1"}, {"AkrSsl", 0}, {"AkrAdt", 0}});
    ctx.akr = "G1";
    ctx.abrnr = 7;
  }

  void line(const std::string& account, const std::string& validFrom, test::Cell kst,
            test::Cell ktr, test::Cell krt) {
    inst.insert("Hor171Lu1", {{"Lu1Num", "L1"},
                              {"Lu1Stz", "LA"},
                              {"Lu1Ztk", account},
                              {"Lu1Lna", "100"},
                              {"Lu1Gvo", validFrom},
                              {"Lu1Kst", kst},
                              {"Lu1Ktr", ktr},
                              {"Lu1Krt", krt},
                              {"Lu1Mog", 1.5},
                              {"Lu1Bau", 1}});
  }

  static PeriodRecord record(const std::string& account, const std::string& bookingDate) {
    PeriodRecord r;
    r.stz = "LA", r.zkt = account, r.lna = "100", r.bdt = bookingDate;
    r.kst = "4100", r.ktr = "P1", r.krt = "K7";
    return r;
  }

  Installation inst;
  base::RunLog runLog{inst.logPath().string()};
  RunContext ctx{inst.db(), runLog};
};

TEST_F(ExportFrameworkTest, HeaderFormsReadTheirFieldsOfTheGroupsInterface) {
  inst.insert("Hor171Lug",
              {{"LugLug", "L1"}, {"LugMon", -1}, {"LugFir", "4711"}, {"LugAkr", "02"}});
  InterfaceHeader h;
  EXPECT_EQ(readInterfaceHeader(ctx, HeaderForm::Full, h), 0);
  EXPECT_EQ(h.lug, "L1");
  EXPECT_EQ(h.mon, -1);
  EXPECT_EQ(h.fir, "4711");
  EXPECT_EQ(h.akr, "02");
  EXPECT_EQ(readInterfaceHeader(ctx, HeaderForm::Short, h), 0);
  EXPECT_EQ(h.mon, 0);
  EXPECT_EQ(h.fir, "4711");
  EXPECT_EQ(h.akr, "");
  EXPECT_EQ(readInterfaceHeader(ctx, HeaderForm::WithGroup, h), 0);
  EXPECT_EQ(h.mon, 0);
  EXPECT_EQ(h.akr, "02");
}

TEST_F(ExportFrameworkTest, HeaderWithNullsOrWithoutRowLeavesFieldsEmpty) {
  inst.insert("Hor171Lug", {{"LugLug", "L1"}, {"LugMon", nullptr}});
  InterfaceHeader h;
  EXPECT_EQ(readInterfaceHeader(ctx, HeaderForm::Full, h), 0);
  EXPECT_EQ(h.lug, "L1");
  EXPECT_EQ(h.mon, 0);
  EXPECT_EQ(h.fir, "");
  ctx.akr = "G2";
  EXPECT_EQ(readInterfaceHeader(ctx, HeaderForm::Full, h), 1403);
  EXPECT_EQ(ctx.status, 1403);
  EXPECT_EQ(h.lug, "");
}

TEST_F(ExportFrameworkTest, PeriodStartOfTheRunsPeriod) {
  inst.insert("Hor330Abr", {{"AbrAkr", "G1"}, {"AbrNum", 7}, {"AbrVon", "2024.12.01"}});
  inst.insert("Hor330Abr", {{"AbrAkr", "G2"}, {"AbrNum", 7}, {"AbrVon", "2024.11.01"}});
  std::string start;
  EXPECT_EQ(readPeriodStart(ctx, start), 0);
  EXPECT_EQ(start, "2024.12.01");
  ctx.abrnr = 8;
  EXPECT_EQ(readPeriodStart(ctx, start), 1403);
  EXPECT_EQ(start, "");
}

TEST_F(ExportFrameworkTest, CostFlagsOfTheLineValidAtTheBookingDateBlankTheirFields) {
  line("AZ", "2024.01.01", 0, 1, 0);
  LineFlags flags;
  PeriodRecord r = record("AZ", "2024.03.15");
  EXPECT_EQ(applyInterfaceLine(ctx, "L1", {.kst = " ", .ktr = " ", .krt = " "}, r, flags), 0);
  EXPECT_EQ(r.kst, " ");
  EXPECT_EQ(r.ktr, "P1");
  EXPECT_EQ(r.krt, " ");
  EXPECT_EQ(flags.bau, 1);
  EXPECT_DOUBLE_EQ(flags.mog, 1.5);

  r = record("AZ", "2024.03.15");
  EXPECT_EQ(applyInterfaceLine(ctx, "L1", {.kst = "0", .ktr = " "}, r, flags), 0);
  EXPECT_EQ(r.kst, "0");
  EXPECT_EQ(r.krt, "K7");  // this exporter does not hand the cost type over
}

TEST_F(ExportFrameworkTest, RecordWithoutValidLineKeepsItsCosts) {
  line("AZ", "2024.01.01", 0, 0, 0);
  LineFlags flags;
  PeriodRecord early = record("AZ", "2023.12.31");
  EXPECT_EQ(applyInterfaceLine(ctx, "L1", {.kst = "", .ktr = ""}, early, flags), 1403);
  EXPECT_EQ(early.kst, "4100");
  EXPECT_EQ(early.ktr, "P1");
  PeriodRecord other = record("UE", "2024.03.15");
  EXPECT_EQ(applyInterfaceLine(ctx, "L1", {.kst = "", .ktr = ""}, other, flags), 1403);
  EXPECT_EQ(other.kst, "4100");
}

TEST_F(ExportFrameworkTest, NullCostFlagCountsAsZero) {
  line("AZ", "2024.01.01", nullptr, nullptr, 1);
  LineFlags flags;
  PeriodRecord r = record("AZ", "2024.03.15");
  EXPECT_EQ(applyInterfaceLine(ctx, "L1", {.kst = "", .ktr = "", .krt = ""}, r, flags), 0);
  EXPECT_EQ(r.kst, "");
  EXPECT_EQ(r.ktr, "");
  EXPECT_EQ(r.krt, "K7");
}

// A staging table of the shape every exporter's tables have: a unique key of
// the columns its update names in the where clause.
struct TestRow {
  std::string pnr, lna;
  double hours = 0, days = 0;
  std::string krt;
};

constexpr char kInsertTst[] =
    "insert into Hor333Tst (TstPnr,TstLna,TstStd,TstTge,TstKrt) values (:b0,:b1,:b2,:b3,:b4)";
constexpr char kAddTst[] =
    "update Hor333Tst  set TstStd=(TstStd+:b0),TstTge=(TstTge+:b1),TstKrt=:b2 where "
    "(TstPnr=:b3 and TstLna=:b4)";
const Staging<TestRow> kTst{
    .statements = {.insert = kInsertTst, .add = kAddTst},
    .insertColumns = {&TestRow::pnr, &TestRow::lna, &TestRow::hours, &TestRow::days, &TestRow::krt},
    .addColumns = {&TestRow::hours, &TestRow::days, &TestRow::krt, &TestRow::pnr, &TestRow::lna}};
const Query<TestRow> kStagedTst{
    .sql = "select TstPnr ,TstLna ,TstStd  from Hor333Tst  order by TstPnr,TstLna",
    .columns = {&TestRow::pnr, &TestRow::lna, &TestRow::hours}};

class StagingTest : public ExportFrameworkTest {
 protected:
  StagingTest() {
    EXPECT_EQ(inst.db().execDynamic(
                  "create table Hor333Tst (TstPnr text check (length(TstPnr) <= 8), TstLna text, "
                  "TstStd real check (TstStd < 1000), TstTge real, TstKrt text)"),
              0);
    EXPECT_EQ(inst.db().execDynamic("create unique index Hor333Tst_key on Hor333Tst (TstPnr, "
                                    "TstLna)"),
              0);
    inst.db().commit();
    fs::create_directories(inst.exportDir());
    ctx.exportDir = inst.exportDir().string();
  }

  int stage(const std::string& pnr, const std::string& lna, double hours, double days,
            const std::string& krt) {
    return handover.stage(
        kTst, TestRow{pnr, lna, hours, days, krt}, [&](db::WriteStep step, int st) {
          failures.push_back({step, st});
          failureLines(ctx, "Hor333Tst-InsertFehler, Pnr: %s, Sqlfhl: %d",
                       "Hor333Tst-UpdateFehler, Pnr: %s, Sqlfhl: %d", pnr)(step, st);
        });
  }

  Rows staged() { return inst.rows("select * from Hor333Tst order by TstPnr, TstLna"); }

  // Runs `body` and expects it to end the run through the abort routine.
  void expectAbort(const std::function<void()>& body) {
    try {
      body();
      FAIL() << "the run went on";
    } catch (const base::RunExit& e) {
      EXPECT_EQ(e.status, 1);
    }
    EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "60");
  }

  Handover handover{ctx,
                    {.started = "\nTest Lohnprogramm Akr: %s, Abrnr: %d gestartet",
                     .finished = "Test Lohnprogramm beendet"},
                    {"a.txt", "b.txt"}};
  std::vector<std::pair<db::WriteStep, int>> failures;
};

TEST_F(StagingTest, SecondRecordOfAKeyAddsQuantitiesAndOverwritesNamedColumns) {
  EXPECT_EQ(stage("4711", "100", 1.5, 1, "A"), 0);
  EXPECT_EQ(stage("4711", "200", 0.25, 0, "A"), 0);
  EXPECT_EQ(stage("4711", "100", 2.25, 0.5, "B"), 0);
  EXPECT_EQ(stage("4711", "100", -0.5, 0, "C"), 0);
  EXPECT_EQ(staged(),
            (Rows{{"4711", "100", "3.25", "1.5", "C"}, {"4711", "200", ".25", "0", "A"}}));
  EXPECT_TRUE(failures.empty());
}

TEST_F(StagingTest, FailedWritesAreReportedAndTheRecordDropped) {
  EXPECT_EQ(stage("123456789", "100", 1, 0, "A"), -12899);
  EXPECT_EQ(stage("4711", "100", 1, 0, "A"), 0);
  EXPECT_EQ(stage("4711", "100", 999, 0, "B"), -12899);  // the sum exceeds the column
  EXPECT_EQ(staged(), (Rows{{"4711", "100", "1", "0", "A"}}));
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0], std::make_pair(db::WriteStep::Insert, -12899));
  EXPECT_EQ(failures[1], std::make_pair(db::WriteStep::Add, -12899));
  EXPECT_EQ(ctx.status, -12899);
  const std::string log = inst.logText();
  EXPECT_NE(log.find("Hor333Tst-InsertFehler, Pnr: 123456789, Sqlfhl: -12899\r\n"),
            std::string::npos);
  EXPECT_NE(log.find("Hor333Tst-UpdateFehler, Pnr: 4711, Sqlfhl: -12899\r\n"), std::string::npos);
}

TEST_F(StagingTest, StagingIsClearedOnlyWhenTheGroupAsksForIt) {
  stage("4711", "100", 1, 0, "A");
  handover.clear({{"delete  from Hor333Tst ", "DeleteFehler HOR333TST, Sqlfhl: %d"}});
  EXPECT_EQ(staged().size(), 1u);
  ctx.akrSsl = 1;
  handover.clear({{"delete  from Hor333Tst ", "DeleteFehler HOR333TST, Sqlfhl: %d"},
                  {"delete  from Hor333Xyz ", "DeleteFehler HOR333XYZ, Sqlfhl: %d"},
                  {"delete  from Hor333Abc ", nullptr}});
  EXPECT_TRUE(staged().empty());
  const std::string log = inst.logText();
  EXPECT_EQ(log.find("HOR333TST"), std::string::npos);  // an empty table is no failure
  EXPECT_NE(log.find("DeleteFehler HOR333XYZ, Sqlfhl: -942\r\n"), std::string::npos);
}

TEST_F(StagingTest, RowsAreReadIntoTheBoundMembersUntilTheirEnd) {
  stage("4711", "200", 0.5, 0, "A");
  stage("4711", "100", 1.5, 0, "A");
  TestRow row;
  std::vector<std::string> read;
  EXPECT_EQ(handover.writeRows(
                kStagedTst, {}, row,
                [&] { read.push_back(row.pnr + "/" + row.lna + "/" + std::to_string(row.hours)); }),
            2);
  EXPECT_EQ(read, (std::vector<std::string>{"4711/100/1.500000", "4711/200/0.500000"}));
}

TEST_F(StagingTest, CursorThatCannotBeReadFailsTheHandOver) {
  const Query<TestRow> missing{.sql = "select TstPnr  from Hor333Xyz ", .columns = {&TestRow::pnr}};
  TestRow row;
  expectAbort([&] { handover.forEach(missing, {}, row, [] {}); });
  const std::string log = inst.logText();
  EXPECT_NE(log.find("Fehler beim Lesen aus Hor331Zk1, Sqlfhl: -942\r\n"
                     "Abbruch wegen Fehler, Status: 60\r\n"),
            std::string::npos);
}

TEST_F(StagingTest, FilesTakeTheirNamesTogetherOnlyWhenTheHandOverIsComplete) {
  const fs::path dir = inst.exportDir();
  {
    std::ofstream(dir / "a.txt") << "last period";
    std::ofstream(dir / "b.txt") << "last period";
    Handover failing{ctx, {.started = "%s %d", .finished = "-"}, {"a.txt", "b.txt"}};
    EXPECT_FALSE(fs::exists(dir / "a.txt"));  // removed when the hand-over starts
    failing.file("a.txt", "a kann nicht geoeffnet werden !").write("new\n");
    fs::create_directories(dir / ".b.txt.tmp");  // the second file cannot be created
    try {
      failing.file("b.txt", "b kann nicht geoeffnet werden !");
      FAIL() << "the run went on";
    } catch (const base::RunExit& e) {
      EXPECT_EQ(e.status, 1);
    }
  }
  fs::remove(dir / ".b.txt.tmp");
  EXPECT_TRUE(fs::is_empty(dir));  // neither the old files nor a new one nor a temporary one
  handover.file("a.txt", "-").write("a\n");
  handover.file("b.txt", "-").write("b\n");
  EXPECT_FALSE(fs::exists(dir / "a.txt"));
  handover.finish();
  EXPECT_EQ(test::readFile(dir / "a.txt"), "a\r\n");
  EXPECT_EQ(test::readFile(dir / "b.txt"), "b\r\n");
  EXPECT_NE(inst.logText().find("b kann nicht geoeffnet werden !\r\nTest Lohnprogramm beendet\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace lug::exporters
