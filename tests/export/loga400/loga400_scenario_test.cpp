// LOGA400 hand-overs through the lug program: January with a sick span that
// runs to the month's end, then February, whose run ends that span on its
// first day and hands over the recalculated overtime of January.
#include <gtest/gtest.h>

#include <string>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

class Loga400Scenario : public ::testing::Test {
 protected:
  Loga400Scenario() {
    addGroup(inst, {.lgp = "LOGA", .kinds = {"ZR", "B6"}, .recalcDepth = 1});
    addLine(inst, {.stz = "ZR", .ztk = "KRANK", .lna = "4000", .ztr = 1});
    addLine(inst, {.stz = "B6", .ztk = "UEB", .lna = "310"});
    addEmployee(inst, "3001");
    for (const char* day : {"2024.01.29", "2024.01.30", "2024.01.31"}) sick(day, 480);
    overtime(120, "2024.01.31");
  }
  // A sick day, and the month value of the account as the suite books it.
  void sick(const char* day, int monthMinutes) {
    addBooking(inst, {.pnr = "3001", .dtm = day, .zkt = "KRANK", .std = 480});
    addBooking(inst, {.pnr = "3001", .dtm = day, .zkt = "KRANK", .std = monthMinutes, .ztr = 3});
  }
  void overtime(int minutes, const char* day) {
    addBooking(inst, {.pnr = "3001", .dtm = day, .zkt = "UEB", .std = minutes, .ztr = 3});
  }
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }
  Lines calendar() {
    return joinedRows(inst,
                      "select BzrFir, BzrPnr, BzrBdt, BzrT01, BzrT03, BzrT12, BzrT14, BzrT29, "
                      "BzrT31 from Hor333Bzr order by BzrBdt");
  }
  Lines carried() {
    return joinedRows(inst, "select Zk4Abr, Zk4Stz, Zk4Bdt, Zk4Pnr, Zk4Von, Zk4Bis from Hor331Zk4");
  }

  Installation inst;
};

TEST_F(Loga400Scenario, CarriedSpanEndsInTheNextPeriodsRun) {
  ASSERT_EQ(runAt(inst, "2024.02.05 08:00:00", "A1", "1").exitStatus, 1);
  // The span runs to the month's end: only its start now, its end carried.
  EXPECT_EQ(calendar(), (Lines{"A1|3001|202401|||||400|"}));
  EXPECT_EQ(carried(), (Lines{"1|ZR*E|2024.02.29|3001|2024.02.01|2024.02.01"}));

  change("update Hor331Zkb set ZkbStd=180 where ZkbZkt='UEB'");
  sick("2024.02.12", 480);
  sick("2024.02.13", 480);
  overtime(60, "2024.02.29");
  ASSERT_EQ(runAt(inst, "2024.03.05 08:00:00", "A1", "2").exitStatus, 1);

  // The carried span ends on February's first day; February's own span is
  // marked from the 12th to the day after the 13th.
  EXPECT_EQ(calendar(), (Lines{"A1|3001|202401|||||400|", "A1|3001|202402|0||400|0||"}));
  // The staging tables were not emptied: February's hours follow January's
  // line, and the journal's cancellation and re-posting of January follow them.
  EXPECT_EQ(joinedRows(inst,
                       "select B06Pnr, B06Bln, B06Bdt, B06Ltt, B06Lna, B06Bzt from Hor333B06 "
                       "order by B06Bdt, B06Bln"),
            (Lines{"3001|1|202401|1|310|2", "3001|2|202402|1|310|1"}));
  EXPECT_EQ(joinedRows(inst,
                       "select B05Pnr, B05Bln, B05Bdt, B05Ltt, B05Lna, B05Bzt from Hor333B05 "
                       "order by B05Bln"),
            (Lines{"3001|3|202401|1|310|-2", "3001|4|202401|1|310|3"}));
  // The recalculated copies and the journal are gone; the carried span stays.
  EXPECT_EQ(carried(), (Lines{"1|ZR*E|2024.02.29|3001|2024.02.01|2024.02.01"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk5"), "0");
  const std::string log = fromWindows1252(inst.logText());
  for (const char* never : {"InsertFehler", "UpdateFehler", "Abbruch", "Zk4 (1)"})
    EXPECT_EQ(log.find(never), std::string::npos) << log;
}

}  // namespace
}  // namespace lug::calc::test
