#include "export/loga400/loga400.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;
using Lines = std::vector<std::string>;

constexpr char kRunKey[] = "09.01.2025 07:30:00";

// Group G1 on a LOGA interface (company "4711", so company code "47"),
// period 7 = December 2024 after period 6 = November 2024.
class Loga400Test : public test::ExporterTest {
 protected:
  explicit Loga400Test(const Row& header = {}, const Row& group = {})
      : ExporterTest("LOGA", header, group) {
    inst.insert("Hor330Abr", {{"AbrAkr", "G1"},
                              {"AbrNum", 6},
                              {"AbrVon", "2024.11.01"},
                              {"AbrBis", "2024.11.30"},
                              {"AbrSts", 0}});
  }

  void run() { ASSERT_EQ(handOver(loga400), 0) << logText(); }

  // An absence span of the run's period.
  void span(const std::string& von, const std::string& bis, const Row& overrides = {}) {
    record(test::withDefaults({{"Zk1Stz", "ZR"},
                               {"Zk1Bdt", von},
                               {"Zk1Zkt", "KRA"},
                               {"Zk1Lna", "2345"},
                               {"Zk1Tge", 10},
                               {"Zk1Von", von},
                               {"Zk1Bis", bis}},
                              overrides));
  }
  // A row of Hor331Zk4.
  void zk4(const Row& overrides) {
    inst.insert("Hor331Zk4", test::withDefaults({{"Zk4Key", "08.12.2024 07:00:00"},
                                                 {"Zk4Abr", 6},
                                                 {"Zk4Lfn", 0},
                                                 {"Zk4Stz", "ZR"},
                                                 {"Zk4Pnr", "1001"},
                                                 {"Zk4Zkt", "KRA"},
                                                 {"Zk4Lna", "2345"},
                                                 {"Zk4Std", 0},
                                                 {"Zk4Tge", 10},
                                                 {"Zk4Sts", 0},
                                                 {"Zk4Upn", "1001"}},
                                                overrides));
  }
  // A journal row of this run (Hor331Zk5).
  void journal(const Row& overrides) {
    inst.insert("Hor331Zk5", test::withDefaults({{"Zk5Key", kRunKey},
                                                 {"Zk5Abr", 7},
                                                 {"Zk5Stz", "B6"},
                                                 {"Zk5Bdt", "2024.11.01"},
                                                 {"Zk5Pnr", "1001"},
                                                 {"Zk5Zkt", "AZ"},
                                                 {"Zk5Lna", "100"},
                                                 {"Zk5Kst", "4100"},
                                                 {"Zk5Std", 0},
                                                 {"Zk5Tge", 0},
                                                 {"Zk5Von", "2024.11.01"},
                                                 {"Zk5Bis", "2024.11.30"},
                                                 {"Zk5Sts", 0},
                                                 {"Zk5Rre", 3},
                                                 {"Zk5Upn", "1001"}},
                                                overrides));
  }

  // Every filled day of the calendar: "Fir|Pnr|Bdt|day=value", in key order.
  Lines calendar() {
    std::string sql = "select BzrFir, BzrPnr, BzrBdt";
    for (int day = 1; day <= 31; ++day)
      sql += std::string(", BzrT") + static_cast<char>('0' + day / 10) +
             static_cast<char>('0' + day % 10);
    Lines cells;
    for (const auto& row : inst.rows(sql + " from Hor333Bzr order by BzrFir, BzrPnr, BzrBdt"))
      for (size_t day = 1; day <= 31; ++day)
        if (!row[2 + day].empty())
          cells.push_back(row[0] + "|" + row[1] + "|" + row[2] + "|" + std::to_string(day) + "=" +
                          row[2 + day]);
    return cells;
  }
  Lines rows(const std::string& sql) {
    Lines lines;
    for (const auto& row : inst.rows(sql)) {
      std::string line;
      for (size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + row[i];
      lines.push_back(line);
    }
    return lines;
  }
  Lines wageTypes(const char* table) {
    const std::string p = std::string(table).substr(6);
    return rows("select " + p + "Art," + p + "Fir," + p + "Pnr," + p + "Bln," + p + "Bdt," + p +
                "Ltt," + p + "Aks," + p + "Bks," + p + "Lna," + p + "Lbt," + p + "Bzt from " +
                table + " order by " + p + "Pnr," + p + "Bln");
  }
  bool logged(const std::string& text) const { return logText().find(text) != std::string::npos; }
};

// Each span is marked by its code on its first day and "0" on the day after
// its last; the day columns are named only from the day's number.
TEST_F(Loga400Test, CodeOnTheFirstDayAndEndMarkerAfterTheLast) {
  struct SpanCase {
    const char* name;
    const char* von;
    const char* bis;
    const char* bdt;
    Lines calendar;
  };
  for (const SpanCase& c : {
           SpanCase{"inside the month",
                    "2024.12.10",
                    "2024.12.14",
                    "2024.12.10",
                    {"47|1001|202412|10=234", "47|1001|202412|15=0"}},
           // A follow-month span that ended on the 31st of its own month: the
           // end marker goes to the first day of the following month's row
           // instead of a day 32 that no row has.
           SpanCase{"ending on the 31st before the period's end",
                    "2024.10.20",
                    "2024.10.31",
                    "2024.11.20",
                    {"47|1001|202411|20=234", "47|1001|202412|1=0"}},
           // Running to the period's last day: the end is carried to the next run.
           SpanCase{"ending with the period",
                    "2024.12.20",
                    "2024.12.31",
                    "2024.12.20",
                    {"47|1001|202412|20=234"}},
           SpanCase{"without days", "", "", "2024.12.05", {}},
       }) {
    SCOPED_TRACE(c.name);
    inst.db().exec("delete from Hor331Zk1");
    span(c.von, c.bis, {{"Zk1Bdt", c.bdt}});
    run();
    EXPECT_EQ(calendar(), c.calendar);
  }
  EXPECT_FALSE(logged("Bzr-")) << logText();
}

// Personnel numbers and wage types are values, whatever characters they hold.
TEST_F(Loga400Test, QuotesAndSemicolonsInKeysAreStoredAsTheyAre) {
  span("2024.12.03", "2024.12.04", {{"Zk1Upn", "O'B;--x9"}, {"Zk1Lna", "';)"}});
  span("2024.12.06", "2024.12.06", {{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Lna", "' or"}});
  run();
  EXPECT_EQ(calendar(), (Lines{"47|1002|202412|6=' o", "47|1002|202412|7=0",
                               "47|O'B;--x|202412|3=';)", "47|O'B;--x|202412|5=0"}));
}

// A span that runs to the period's last day leaves a "ZR*E" row for the next
// period's run, dated one month on; that run marks the end on its first day.
TEST_F(Loga400Test, SpanEndingWithThePeriodIsCarriedAndTheCarriedOneEnds) {
  span("2024.12.20", "2024.12.31", {{"Zk1Upn", "P1001-77"}, {"Zk1Kst", "4100"}, {"Zk1Tge", 80}});
  zk4({{"Zk4Stz", "ZR*E"},
       {"Zk4Bdt", "2024.12.10"},
       {"Zk4Lna", "0"},
       {"Zk4Upn", "1003"},
       {"Zk4Pnr", "1003"},
       {"Zk4Von", "2024.12.01"},
       {"Zk4Bis", "2024.12.01"}});
  zk4({{"Zk4Abr", 7}, {"Zk4Stz", "ZR*E"}, {"Zk4Upn", "9999"}});  // left by an earlier run
  zk4({{"Zk4Abr", 5},
       {"Zk4Stz", "ZR*E"},
       {"Zk4Bdt", "2024.11.10"},
       {"Zk4Lna", "0"},
       {"Zk4Upn", "1004"},
       {"Zk4Von", "2024.11.01"}});
  run();
  EXPECT_EQ(rows("select Zk4Key,Zk4Abr,Zk4Lfn,Zk4Stz,Zk4Bdt,Zk4Pnr,Zk4Zkt,Zk4Lna,Zk4Lgr,Zk4Kst,"
                 "Zk4Std,Zk4Tge,Zk4Stg,Zk4Von,Zk4Bis,Zk4Sts,Zk4Upn,Zk4Inf from Hor331Zk4 "
                 "where Zk4Abr=7"),
            (Lines{"09.01.2025 07:30:00|7|0|ZR*E|2025.01.20|P1001-7|*ANW*|0| |4100|0|80|0|"
                   "2025.01.01|2025.01.01|0|P1001-7|0"}));
  EXPECT_EQ(calendar(), (Lines{"47|1003|202412|1=0", "47|P1001-7|202412|20=234"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk4"), "3");
}

// Counters of "B1" and "SS" records: each status fills its one column;
// calendar days, booked share and hours come from the day summary.
TEST_F(Loga400Test, CountersByStatusAddUpPerEmployee) {
  inst.insert("Hor331Zk2", {{"Zk2Abr", 7},
                            {"Zk2Pnr", "1001"},
                            {"Zk2Bdt", "2024.12.01"},
                            {"Zk2Stt", 30.0},
                            {"Zk2Ant", 215.0},
                            {"Zk2Zes", 160.5},
                            {"Zk2Rre", 0}});
  recordKind({{"Lg1Stz", "B1"}, {"Lg1Stt", 1}, {"Lg1Zes", 1}});
  recordKind({{"Lg1Stz", "SS"}, {"Lg1Stt", 0}, {"Lg1Zes", 0}});
  struct Counter {
    int sts, minutes, tenths;
  };
  int day = 0;
  for (const Counter& c :
       {Counter{101, 0, 15}, Counter{101, 0, 10}, Counter{1, 90, 0}, Counter{5, 60, 0},
        Counter{6, 30, 0}, Counter{8, 120, 0}, Counter{9, 6, 0}, Counter{10, 3, 0},
        Counter{105, 0, 15}, Counter{106, 0, 5}, Counter{107, 0, 10}, Counter{108, 0, 20},
        Counter{109, 0, 30}, Counter{110, 0, 40}, Counter{102, 0, 10}, Counter{3, 600, 10}})
    ++day, record({{"Zk1Stz", "B1"},
                   {"Zk1Bdt", (day < 10 ? "2024.12.0" : "2024.12.") + std::to_string(day)},
                   {"Zk1Sts", c.sts},
                   {"Zk1Std", c.minutes},
                   {"Zk1Tge", c.tenths}});
  record({{"Zk1Stz", "SS"}, {"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Sts", 1}, {"Zk1Std", 30}});
  record({{"Zk1Stz", "XX"}, {"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Std", 30}});
  run();
  EXPECT_EQ(rows("select B01Art,B01Fir,B01Pnr,B01Fln,B01Bdt,B01Ltt,B01Arb,B01Sol,B01Stg,B01Anw,"
                 "B01Url,B01Krk,B01Ftg,B01Soz,B01Ent,B01Unt,B01Urs,B01Krs,B01Fts,B01Sos,B01Ens,"
                 "B01Uns,B01Sez,B01Std,B01Aun from Hor333B01 order by B01Pnr"),
            (Lines{"B1|47|1001|0|202412|1|2|1.5|30|21.5|1.5|2|.5|1|3|4|1|2|.5|0|.1|.05|0|"
                   "160.5|0",
                   "B1|47|1002|0|202412|2|0|.5| |0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0"}));
  EXPECT_FALSE(logged("SelectFehler")) << logText();
}

// Wage-type records and journal rows share the employee's line numbers; the
// interface line's factor multiplies the hours, its cost flag cuts or blanks
// the cost centre, and a cancellation is handed over negative.
TEST_F(Loga400Test, WageTypesAndJournalShareTheLineNumbers) {
  line({{"Lu1Stz", "B6"}, {"Lu1Mog", 1.5}});
  line({{"Lu1Stz", "LS"}, {"Lu1Kst", 0}});
  record({{"Zk1Stz", "B6"}, {"Zk1Std", 120}, {"Zk1Kst", "KST-0123456789"}});
  record({{"Zk1Stz", "B6"},
          {"Zk1Bdt", "2024.12.03"},
          {"Zk1Lna", "1234"},
          {"Zk1Std", 30},
          {"Zk1Kst", "KST-0123456789"}});
  record({{"Zk1Stz", "LS"}, {"Zk1Std", 60}});
  record({{"Zk1Stz", "B6"}, {"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 45}});
  record({{"Zk1Stz", "B6"}, {"Zk1Lfn", 1}, {"Zk1Std", 45}});  // another run
  journal({{"Zk5Rre", 4}, {"Zk5Std", 120}});
  journal({{"Zk5Rre", 3}, {"Zk5Std", 150}});
  journal({{"Zk5Stz", "ZR"}, {"Zk5Std", 150}});
  journal({{"Zk5Key", "08.01.2025 07:30:00"}, {"Zk5Std", 60}});
  run();
  EXPECT_EQ(
      wageTypes("Hor333B06"),
      (Lines{"B6|47|1001|1|202412|2|KST-012345|KST-012345|100|0|3",
             "B6|47|1001|2|202412|3|KST-0123456789|KST-0123456789|123|0|.5",
             "B6|47|1001|3|202412|2| | |100|0|1", "B6|47|1002|1|202412|2|4100|4100|100|0|1.125"}));
  EXPECT_EQ(wageTypes("Hor333B05"), (Lines{"B5|47|1001|4|202411|1|4100|4100|100|0|-3",
                                           "B5|47|1001|5|202411|1|4100|4100|100|0|3.75"}));
  EXPECT_EQ(rows("select Zk5Key from Hor331Zk5"), (Lines{"08.01.2025 07:30:00"}));
}

// Staging month and day of a booking date under the interface's month
// offset and booking-date rule.
TEST_F(Loga400Test, MonthShiftAndLastDayOfTheMovedMonth) {
  struct StagingCase {
    int mon, dtm;
    const char* bdt;
    const char* staged;  // B06Bdt|B06Ltt
  };
  for (const StagingCase& c :
       {StagingCase{1, 0, "2024.01.30", "202402|29"}, StagingCase{1, 0, "2023.01.30", "202302|28"},
        StagingCase{1, 0, "2024.03.28", "202404|28"}, StagingCase{1, 0, "2024.03.31", "202404|30"},
        StagingCase{0, 0, "2024.12.31", "202412|31"}, StagingCase{-1, 0, "2024.01.29", "202312|31"},
        StagingCase{1, 3, "2024.12.05", "202501|0"}}) {
    SCOPED_TRACE(c.bdt);
    inst.db().exec("delete from Hor331Zk1");
    inst.db().exec("update Hor171Lug set LugMon=:b0, LugDtm=:b1",
                   {static_cast<int16_t>(c.mon), static_cast<int16_t>(c.dtm)});
    record({{"Zk1Stz", "B6"}, {"Zk1Bdt", c.bdt}, {"Zk1Std", 60}});
    run();
    EXPECT_EQ(rows("select B06Bdt, B06Ltt from Hor333B06"), (Lines{c.staged}));
  }
}

// The calendar of a corrected period is written again from its recalculated
// spans; an employee whose spans are all gone gets the end marker on the
// first day of the record's month.
TEST_F(Loga400Test, CorrectedAbsencesRewriteTheCalendarOfTheirPeriod) {
  for (const char* pnr : {"1001", "1002"})
    span(
        "2024.11.04", "2024.11.08",
        {{"Zk1Pnr", pnr}, {"Zk1Upn", pnr}, {"Zk1Rre", 2}, {"Zk1Rrn", 6}, {"Zk1Bdt", "2024.11.04"}});
  span("2024.11.12", "2024.11.12", {{"Zk1Rre", 2}, {"Zk1Rrn", 6}, {"Zk1Bdt", "2024.11.12"}});
  zk4({{"Zk4Bdt", "2024.11.04"}, {"Zk4Von", "2024.11.04"}, {"Zk4Bis", "2024.11.06"}});
  zk4({{"Zk4Bdt", "2024.11.25"},
       {"Zk4Von", "2024.11.25"},
       {"Zk4Bis", "2024.11.30"},
       {"Zk4Lna", "3000"}});
  zk4({{"Zk4Stz", "ZR*E"}, {"Zk4Abr", 2}, {"Zk4Bdt", "2024.03.01"}});
  run();
  EXPECT_EQ(calendar(),
            (Lines{"47|1001|202411|4=234", "47|1001|202411|7=0", "47|1001|202411|25=300",
                   "47|1001|202412|1=0", "47|1002|202411|1=0"}));
  EXPECT_EQ(rows("select Zk4Stz, Zk4Abr from Hor331Zk4"), (Lines{"ZR*E|2"}));
  EXPECT_FALSE(logged("Bzr-")) << logText();
}

// An end marker in the following month does not replace a code a span that
// starts there has written already.
TEST_F(Loga400Test, EndInTheFollowingMonthKeepsACodeThatStartsThere) {
  span("2024.12.01", "2024.12.03", {{"Zk1Lna", "777"}});
  span("2024.11.28", "2024.11.30", {{"Zk1Rre", 2}, {"Zk1Rrn", 6}, {"Zk1Bdt", "2024.11.28"}});
  zk4({{"Zk4Bdt", "2024.11.28"}, {"Zk4Von", "2024.11.28"}, {"Zk4Bis", "2024.11.30"}});
  run();
  EXPECT_EQ(calendar(),
            (Lines{"47|1001|202411|28=234", "47|1001|202412|1=777", "47|1001|202412|4=0"}));
}

// "LOGA" exactly, "LOGA4" and every type beginning with "IBM" are handed
// over to LOGA400; LOGA1 to no exporter.
TEST_F(Loga400Test, InterfaceTypesOfTheHandOver) {
  record({{"Zk1Stz", "B6"}, {"Zk1Std", 60}});
  const Exporter dispatch = [](RunContext& c) { dispatchExport(c, standardDispatchTable()); };
  for (const auto& [type, rows] : {std::pair{"LOGA", "1"}, std::pair{"LOGA4", "1"},
                                   std::pair{"IBMXY", "1"}, std::pair{"LOGA1", "0"}}) {
    SCOPED_TRACE(type);
    inst.db().exec("delete from Hor333B06");
    inst.db().exec("update Hor171Lug set LugLgp=:b0", {type});
    ASSERT_EQ(handOver(dispatch), 0);
    EXPECT_EQ(inst.scalar("select count(*) from Hor333B06"), rows);
  }
}

TEST_F(Loga400Test, StartAndEndLinesAndAFirstPeriodWithoutPredecessor) {
  inst.db().exec("delete from Hor330Abr where AbrNum=6");
  inst.db().commit();
  run();
  EXPECT_TRUE(
      logged("\nLoga400 Lohnprogramm fuer Akr: G1 mit der Abrnr: 7 gestartet\n"
             "AbrNummmer des Vormonats kann nicht ermittelt werden! Error: 1403\n"
             "Loga400 Lohnprogramm beendet"))
      << logText();
}

// With the staging-clear flag off a second run adds its counters to the row
// of the first and marks the same calendar days again; its wage-type hours
// follow the lines of the first run instead of being added to whatever row
// carries the same line number.
class Loga400Accumulating : public Loga400Test {
 protected:
  Loga400Accumulating() : Loga400Test({}, {{"AkrSsl", 0}}) {}
};

TEST_F(Loga400Accumulating, SecondRunAddsToTheStagingRows) {
  recordKind({{"Lg1Stz", "B1"}});
  record({{"Zk1Stz", "B1"}, {"Zk1Sts", 105}, {"Zk1Tge", 10}});
  record({{"Zk1Stz", "B6"}, {"Zk1Std", 60}});
  span("2024.12.10", "2024.12.14");
  run();
  run();
  EXPECT_EQ(rows("select B01Url from Hor333B01"), (Lines{"2"}));
  EXPECT_EQ(rows("select B06Bln, B06Bzt from Hor333B06 order by B06Bln"), (Lines{"1|1", "2|1"}));
  EXPECT_EQ(calendar(), (Lines{"47|1001|202412|10=234", "47|1001|202412|15=0"}));
  EXPECT_FALSE(logged("Fehler")) << logText();
}

}  // namespace
}  // namespace lug::exporters
