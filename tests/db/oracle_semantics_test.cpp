// Oracle's value semantics as the program's statements rely on them, run
// through the session on the embedded engine.
#include <cstdlib>

#include "db/db_fixture.h"
#include "db/oracle.h"
#include "db/shared_ops.h"

namespace lug::db {
namespace {

class OracleSemanticsTest : public testing::DbTest {
 protected:
  OracleSemanticsTest() { ::setenv("LUG_SYSDATE", "2024.03.15 13:45:07", 1); }
  ~OracleSemanticsTest() override { ::unsetenv("LUG_SYSDATE"); }

  void addPeriod(int32_t number, const char* von, const char* bis) {
    inst.insert("Hor330Abr",
                {{"AbrAkr", "A1"}, {"AbrNum", number}, {"AbrVon", von}, {"AbrBis", bis}});
  }
};

TEST_F(OracleSemanticsTest, EmptyTextIsNull) {
  EXPECT_EQ(text("NVL(:b0,'leer')", {""}), "leer");
  EXPECT_EQ(text("COALESCE(:b0,'leer')", {""}), "leer");
  EXPECT_EQ(text("NVL(trim(:b0),'leer')", {"   "}), "leer");
  EXPECT_EQ(text("NVL(trim(:b0),'leer')", {"  a "}), "a");
  EXPECT_EQ(text("NVL(:b0||:b1,'leer')", {"", ""}), "leer");
  EXPECT_EQ(text("NVL(:b0||:b1,'leer')", {"", "b"}), "b");
  inst.insert("Hor171Lu1", {{"Lu1Num", ""}, {"Lu1Lna", "x"}});
  EXPECT_EQ(inst.scalar("select count(*) from Hor171Lu1 where Lu1Num is null"), "1");
  EXPECT_EQ(text("NVL('','leer')"), "leer");
  EXPECT_EQ(text("COALESCE('',:b0)", {"leer"}), "leer");
}

TEST_F(OracleSemanticsTest, EmptyTextWrittenByOtherProgramsReadsAsNull) {
  static constexpr char kLine[] =
      "select NVL(trim(Lu1Lna),'leer') ,NVL(LPAD(Lu1Lna,3,'x'),'leer') ,NVL(TO_DATE(Lu1Lna,"
      "'yyyy.mm.dd'),'leer') ,NVL(Lu1Lna||Lu1Lna,'leer') into :b0,:b1,:b2,:b3  from Hor171Lu1 ";
  static constexpr char kName[] = "select Lu1Lna into :b0  from Hor171Lu1 ";
  ASSERT_EQ(db().execDynamic("insert into Hor171Lu1 (Lu1Lna) values ('')"), kOk);
  std::string trimmed, padded, date, joined;
  EXPECT_EQ(db().exec(kLine, {}, {trimmed, padded, date, joined}), kOk);
  EXPECT_EQ(trimmed + " " + padded + " " + date + " " + joined, "leer leer leer leer");
  EXPECT_EQ(db().exec(kName, {}, {trimmed}), kNullFetch);
}

TEST_F(OracleSemanticsTest, DatesTravelAsTextAndCompareInDateOrder) {
  static constexpr char kBefore[] =
      "select AbrNum  from Hor330Abr where (AbrAkr=:b0 and AbrVon<:b1) order by AbrVon desc";
  addPeriod(1, "2023.12.01", "2023.12.31");
  addPeriod(2, "2024.10.01", "2024.10.31");
  addPeriod(3, "2024.02.01", "2024.02.29");
  addPeriod(4, "2024.01.01", "2024.01.31");
  Cursor c(db(), kBefore);
  ASSERT_EQ(c.open({"A1", "2024.10.01"}), kOk);
  std::string order;
  int32_t number = 0;
  while (c.fetch({number}) == kOk) order += std::to_string(number);
  EXPECT_EQ(order, "341");
  // A date with a time is read into text in the session date format.
  EXPECT_EQ(text("TO_DATE(:b0,'dd.mm.yyyy hh24:mi:ss')", {"05.03.2024 13:45:07"}), "2024.03.05");
}

TEST_F(OracleSemanticsTest, ToCharWritesEveryFormatOfTheProgram) {
  const char* expr = "TO_CHAR(TO_DATE(:b0,'yyyy.mm.dd hh24:mi:ss'),:b1)";
  const char* when = "2024.03.05 13:45:07";
  EXPECT_EQ(text(expr, {when, "yyyy.mm.dd"}), "2024.03.05");
  EXPECT_EQ(text(expr, {when, "dd.mm.yyyy"}), "05.03.2024");
  EXPECT_EQ(text(expr, {when, "ddmmyy"}), "050324");
  EXPECT_EQ(text(expr, {when, "yymmdd"}), "240305");
  EXPECT_EQ(text(expr, {when, "yyyymmdd"}), "20240305");
  EXPECT_EQ(text(expr, {when, "yyyy-mm-dd"}), "2024-03-05");
  EXPECT_EQ(text(expr, {when, "hh24:mi:ss"}), "13:45:07");
  EXPECT_EQ(text(expr, {when, "dd.mm.yyyy hh24:mi:ss"}), "05.03.2024 13:45:07");
  EXPECT_EQ(text("TO_CHAR(TO_DATE(:b0,'yyyy.mm.dd'),'dd.mm.yyyy hh24:mi:ss')", {"2024.03.05"}),
            "05.03.2024 00:00:00");
}

TEST_F(OracleSemanticsTest, ToDateReadsEveryFormatOfTheProgram) {
  const char* expr = "TO_CHAR(TO_DATE(:b0,:b1),'dd.mm.yyyy hh24:mi:ss')";
  EXPECT_EQ(text(expr, {"2024.03.05", "yyyy.mm.dd"}), "05.03.2024 00:00:00");
  EXPECT_EQ(text(expr, {"05.03.2024", "dd.mm.yyyy"}), "05.03.2024 00:00:00");
  EXPECT_EQ(text(expr, {"050324", "ddmmyy"}), "05.03.2024 00:00:00");
  EXPECT_EQ(text(expr, {"20240305", "yyyymmdd"}), "05.03.2024 00:00:00");
  EXPECT_EQ(text(expr, {"2024-03-05", "yyyy-mm-dd"}), "05.03.2024 00:00:00");
  EXPECT_EQ(text(expr, {"05.03.2024 13:45:07", "dd.mm.yyyy hh24:mi:ss"}), "05.03.2024 13:45:07");
  std::string out = "stale";
  EXPECT_EQ(eval("TO_DATE(:b0,'yyyy.mm.dd')", {"2024.02.30"}, out), -1847);
  EXPECT_EQ(out, "");
  EXPECT_EQ(eval("TO_DATE(:b0,'yyyy.mm.dd')", {"05.03.2024"}, out), -1861);
}

// Formats are read once and kept; a run that meets more formats than are
// kept (texts taken from data) reads the others each time, and every format
// keeps its own meaning.
TEST(OracleDates, EveryFormatKeepsItsMeaningHoweverManyThereAre) {
  const oracle::DateTime day{.year = 2024, .month = 3, .day = 5, .hour = 7};
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t n = 1; n <= 100; ++n) {
      const std::string separators(n, '/');
      const std::string format = "dd" + separators + "mm.yyyy hh24";
      const std::string text = oracle::toChar(day, format);
      ASSERT_EQ(text, "05" + separators + "03.2024 07") << format;
      EXPECT_EQ(oracle::toDate(text, format), day) << format;
    }
  }
  EXPECT_EQ(oracle::canonical(day), "2024.03.05 07:00:00");
  EXPECT_EQ(oracle::canonical({.year = 5, .month = 1, .day = 2}), "0005.01.02");
  EXPECT_EQ(oracle::toChar({.year = 2009, .month = 12, .day = 31}, "yymmdd"), "091231");
}

TEST_F(OracleSemanticsTest, ToDateOfATimeAloneIsATimeOfTheCurrentMonth) {
  if (inst.engine() == test::TestEngine::Postgres)
    GTEST_SKIP() << "TO_DATE without year and month: not yet on the PostgreSQL engine";
  EXPECT_EQ(text("TO_CHAR(TO_DATE(:b0,'hh24:mi:ss'),'dd.mm.yyyy hh24:mi:ss')", {"13:45:07"}),
            "01.03.2024 13:45:07");
  EXPECT_EQ(text("TO_CHAR(TO_DATE(:b0,'hh24:mi:ss'),'hh24:mi:ss')", {"07:08:09"}), "07:08:09");
}

TEST_F(OracleSemanticsTest, AddMonthsKeepsTheMonthEnd) {
  const char* expr = "ADD_MONTHS(TO_DATE(:b0,'yyyy.mm.dd'),:b1)";
  EXPECT_EQ(text(expr, {"2024.01.31", int32_t{1}}), "2024.02.29");
  EXPECT_EQ(text(expr, {"2024.02.29", int32_t{1}}), "2024.03.31");
  EXPECT_EQ(text(expr, {"2023.02.28", int32_t{1}}), "2023.03.31");
  EXPECT_EQ(text(expr, {"2023.01.30", int32_t{1}}), "2023.02.28");
  EXPECT_EQ(text(expr, {"2024.01.30", int32_t{12}}), "2025.01.30");
  EXPECT_EQ(text(expr, {"2024.03.30", int32_t{-1}}), "2024.02.29");
  EXPECT_EQ(text(expr, {"2024.05.31", int32_t{-3}}), "2024.02.29");
  EXPECT_EQ(text(expr, {"2024.01.15", int32_t{-1}}), "2023.12.15");
}

TEST_F(OracleSemanticsTest, DateArithmeticCountsDays) {
  static constexpr char kLength[] =
      "select (AbrBis-AbrVon) ,(AbrVon+1) ,(AbrVon-1) into :b0,:b1,:b2  from Hor330Abr where "
      "AbrNum=:b3";
  addPeriod(1, "2024.02.01", "2024.02.29");
  int32_t days = 0;
  std::string next, previous;
  ASSERT_EQ(db().exec(kLength, {int32_t{1}}, {days, next, previous}), kOk);
  EXPECT_EQ(days, 28);
  EXPECT_EQ(next, "2024.02.02");
  EXPECT_EQ(previous, "2024.01.31");
  EXPECT_EQ(text("TO_DATE(:b0,'yyyy.mm.dd')+1", {"2024.02.28"}), "2024.02.29");
  EXPECT_EQ(text("TO_DATE(:b0,'yyyy.mm.dd')-1", {"2025.01.01"}), "2024.12.31");
  EXPECT_EQ(
      text("TO_DATE(:b0,'yyyy.mm.dd')-TO_DATE(:b1,'yyyy.mm.dd')", {"2024.03.01", "2023.03.01"}),
      "366");
  EXPECT_EQ(text("TO_DATE(:b0,'dd.mm.yyyy hh24:mi:ss')-TO_DATE(:b1,'dd.mm.yyyy')",
                 {"02.03.2024 12:00:00", "01.03.2024"}),
            "1.5");
}

TEST_F(OracleSemanticsTest, DatabaseClockIsFixedByTheEnvironment) {
  std::string now;
  EXPECT_EQ(clockLong(db(), now), kOk);
  EXPECT_EQ(now, "15.03.2024 13:45:07");
  EXPECT_EQ(clockTime(db(), now), kOk);
  EXPECT_EQ(now, "13:45:07");
  EXPECT_EQ(clockIsoDate(db(), now), kOk);
  EXPECT_EQ(now, "2024-03-15");
  EXPECT_EQ(text("SYSDATE"), "2024.03.15");
  ::setenv("LUG_SYSDATE", "2024.12.31 23:59:59", 1);
  EXPECT_EQ(text("TO_CHAR(SYSDATE+1,'dd.mm.yyyy hh24:mi:ss')"), "01.01.2025 23:59:59");
  EXPECT_EQ(setDateFormat(db()), kOk);
}

TEST_F(OracleSemanticsTest, CentralTablesAreQualifiedInEitherSpelling) {
  static constexpr char kSetSite[] = "update Horsystem.Hor112Mnd  set MndSto=:b0 where MndSch=:b1";
  static constexpr char kDays[] = "select count(*) into :b0  from HORSYSTEM.Hor133Bak ";
  static constexpr char kDaysMixed[] = "select count(*) into :b0  from Horsystem.Hor133Bak ";
  int32_t upper = 0, mixed = 0;
  EXPECT_EQ(db().exec(kDays, {}, {upper}), kOk);
  EXPECT_EQ(db().exec(kDaysMixed, {}, {mixed}), kOk);
  EXPECT_GT(upper, 36000);
  EXPECT_EQ(mixed, upper);
  std::string site;
  ASSERT_EQ(db().exec(kSetSite, {"12345", "TEST"}), kOk);
  EXPECT_EQ(siteNumber(db(), "TEST", site), kOk);
  EXPECT_EQ(site, "12345");
  ASSERT_EQ(db().exec(kSetSite, {"123456", "TEST"}), kOk);
  EXPECT_EQ(siteNumber(db(), "TEST", site), kOk);
  EXPECT_EQ(site, "");
}

TEST_F(OracleSemanticsTest, UpdateAndDeleteNameTheirTableAliasWithoutAs) {
  static constexpr char kMark[] =
      "update HOR331ZK1 a  set Zk1Sta=8 where (a.Zk1Abr=:b0 and exists (select 1  from Hor331Zk1 b "
      "where (b.Zk1Abr=a.Zk1Abr and b.Zk1Lfn<>a.Zk1Lfn)))";
  static constexpr char kDrop[] = "delete  from Hor331Zk1 b where b.Zk1Sta=:b0";
  inst.insert("Hor331Zk1", {{"Zk1Abr", 1}, {"Zk1Lfn", 0}});
  inst.insert("Hor331Zk1", {{"Zk1Abr", 1}, {"Zk1Lfn", 1}});
  inst.insert("Hor331Zk1", {{"Zk1Abr", 2}, {"Zk1Lfn", 0}});
  EXPECT_EQ(db().exec(kMark, {int32_t{1}}), kOk);
  EXPECT_EQ(db().exec(kDrop, {int16_t{8}}), kOk);
  EXPECT_EQ(inst.rows("select Zk1Abr from Hor331Zk1"),
            (std::vector<std::vector<std::string>>{{"2"}}));
}

TEST_F(OracleSemanticsTest, PaddingCutsLongerTexts) {
  EXPECT_EQ(text("LPAD(:b0,3)", {"abcdef"}), "abc");
  EXPECT_EQ(text("RPAD(:b0,2)", {"abcdef"}), "ab");
  EXPECT_EQ(text("LPAD(:b0,3,'0')", {"7"}), "007");
  EXPECT_EQ(text("RPAD(:b0,5,'*')", {"ab"}), "ab***");
  EXPECT_EQ(text("LPAD(:b0,5,'ab')", {"x"}), "ababx");
  EXPECT_EQ(text("RPAD(:b0,4)||'|'", {"ab"}), "ab  |");
}

TEST_F(OracleSemanticsTest, NumbersBecomeTextInOraclesDefaultFormat) {
  EXPECT_EQ(text("LPAD(:b0,6,'0')", {150.0}), "000150");
  EXPECT_EQ(text("LPAD(:b0,6,'0')", {0.5}), "0000.5");
  EXPECT_EQ(text("LPAD(:b0,6,'0')", {-1.25}), "0-1.25");
  EXPECT_EQ(text("RPAD(:b0,4,'x')", {0.5}), ".5xx");
  EXPECT_EQ(text("'x'||:b0", {0.5}), "x.5");
  EXPECT_EQ(text("'x'||:b0", {-1.25}), "x-1.25");
  EXPECT_EQ(text("'x'||:b0", {int32_t{150}}), "x150");
  EXPECT_EQ(text("(:b0+:b1)||'h'", {1.1, 2.2}), "3.3h");
  EXPECT_EQ(text(":b0", {0.5}), ".5");
  EXPECT_EQ(text(":b0*2", {75.0}), "150");
  inst.insert("Hor331Zk1", {{"Zk1Abr", 1}, {"Zk1Std", 0.5}});
  static constexpr char kMinutes[] =
      "select ('M'||Zk1Std) into :b0  from Hor331Zk1 where Zk1Abr=:b1";
  std::string minutes;
  EXPECT_EQ(db().exec(kMinutes, {int32_t{1}}, {minutes}), kOk);
  EXPECT_EQ(minutes, "M.5");
}

// Oracle returns the groups of a grouped select in the order of the grouped
// columns where the select's own order leaves them equal; the engines would
// each choose their own, and the records written from the groups would come
// in another order on each.
TEST_F(OracleSemanticsTest, GroupsEqualInTheOrderComeInTheOrderOfTheGroupedColumns) {
  static constexpr char kSummed[] =
      "select ZkbKst ,ZkbKtr ,sum(ZkbStd) ,ZkbStg  from Hor331Zkb where ZkbPnr=:b0 group by "
      "ZkbPnr,ZkbKst,ZkbKtr,ZkbZkt,ZkbStg order by ZkbZkt";
  struct Row {
    const char *kst, *ktr;
    int32_t std, stg;
  };
  for (const Row& r : std::initializer_list<Row>{{"K2", "", 60, 0},
                                                 {"K10", "", 30, 0},
                                                 {"", "", 5, 2},
                                                 {"K2", "", 15, 0},
                                                 {"k1", "", 1, 0},
                                                 {"K2", "T", 7, 0},
                                                 {"", "", 3, 1},
                                                 {"K2", "", 4, 1}})
    inst.insert("Hor331Zkb", {{"ZkbPnr", "4711"},
                              {"ZkbZkt", "URL"},
                              {"ZkbKst", r.kst},
                              {"ZkbKtr", r.ktr},
                              {"ZkbStd", r.std},
                              {"ZkbStg", r.stg}});
  Cursor c(db(), kSummed);
  ASSERT_EQ(c.open({"4711"}), kOk);
  std::string kst, ktr, order;
  int32_t minutes = 0, stg = 0;
  while (c.fetch({kst, ktr, minutes, stg}) == kOk)
    order += kst + "/" + ktr + "/" + std::to_string(stg) + "=" + std::to_string(minutes) + " ";
  EXPECT_EQ(order, "K10//0=30 K2/T/0=7 K2//0=75 K2//1=4 k1//0=1 //1=3 //2=5 ");
}

}  // namespace
}  // namespace lug::db
