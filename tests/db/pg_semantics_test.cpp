// Oracle's value semantics and statement statuses, the same on both engines.
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "db/oracle.h"
#include "db/shared_ops.h"
#include "pg_engines.h"

namespace lug::test {
namespace {

using db::Cursor;
using db::kDupKey;
using db::kNoData;
using db::kNullFetch;
using db::kOk;

constexpr char kInsertValue[] =
    "insert into Hor331Zks (ZksPnr,ZksDtm,ZksZkt,ZksWrt) values (:b0,:b1,:b2,:b3)";
constexpr char kCountEmptyAccounts[] =
    "select count(*) into :b0  from Hor331Zks where ZksZkt is null";
constexpr char kAccountPlain[] = "select ZksZkt into :b0  from Hor331Zks where ZksPnr=:b1";
constexpr char kAccountIndicator[] = "select ZksZkt into :b0:b1  from Hor331Zks where ZksPnr=:b2";
constexpr char kInsertRecord[] =
    "insert into Hor331Zk1 (Zk1Abr,Zk1Lfn,Zk1Pnr,Zk1Zkt,Zk1Kst,Zk1Std) values "
    "(:b0,0,:b1,:b2,:b3,:b4)";
constexpr char kAddRecord[] =
    "update Hor331Zk1  set Zk1Std=(Zk1Std+:b0) where (((Zk1Abr=:b1 and Zk1Pnr=:b2) and "
    "Zk1Zkt=:b3) and Zk1Kst=:b4)";

void insertValue(db::Session& s, const std::string& pnr, const std::string& date,
                 const std::string& account, double value) {
  ASSERT_EQ(s.exec(kInsertValue, {pnr, date, account, value}), kOk) << pnr;
}

TEST_P(BothEngines, EmptyTextIsNullAndEmptyKeysMatch) {
  insertValue(db(), "4711", "2024.01.31", "", 1.5);
  int32_t count = -1;
  EXPECT_EQ(db().exec(kCountEmptyAccounts, {}, {count}), kOk);
  EXPECT_EQ(count, 1);
  std::string account = "stale";
  EXPECT_EQ(db().exec(kAccountPlain, {"4711"}, {account}), kNullFetch);
  EXPECT_EQ(account, "");
  EXPECT_EQ(db().exec(kAccountIndicator, {"4711"}, {account}), kOk);

  // Key columns of result tables compare empty as equal, in updates and in the key.
  ASSERT_EQ(db().exec(kInsertRecord, {int32_t{7}, "4711", "URL", "", 60.0}), kOk);
  EXPECT_EQ(db().exec(kAddRecord, {30.0, int32_t{7}, "4711", "URL", ""}), kOk);
  EXPECT_EQ(db().exec(kInsertRecord, {int32_t{7}, "4711", "URL", "", 1.0}), kDupKey);
  EXPECT_EQ(inst().scalar("select Zk1Std from Hor331Zk1"), "90");
}

TEST_P(BothEngines, FailedStatementKeepsTheWorkBeforeIt) {
  ASSERT_EQ(db().exec(kInsertMode, {"A", int16_t{1}}), kOk);
  ASSERT_EQ(db().exec(kInsertMode, {"B", int16_t{2}}), kOk);
  // Insert-or-add: the duplicate fails alone, the transaction goes on.
  ASSERT_EQ(db().exec(kInsertMode, {"A", int16_t{3}}), kDupKey);
  ASSERT_EQ(db().exec(kAddMode, {int16_t{3}, "A"}), kOk);
  EXPECT_EQ(db().exec(kInsertMode, {"TOOLONG", int16_t{1}}), -12899);
  ASSERT_EQ(db().exec(kInsertMode, {"C", int16_t{5}}), kOk);
  ASSERT_EQ(db().commit(), kOk);
  EXPECT_EQ(inst().rows("select SfrMod, SfrAnz from Hor155Sfr order by SfrMod"),
            (std::vector<std::vector<std::string>>{{"A", "4"}, {"B", "2"}, {"C", "5"}}));
}

// Failed reads between writes and while a cursor is open: the reads before a
// failure share one savepoint on the server, which must neither undo a write
// nor close a cursor when the transaction returns to it.
TEST_P(BothEngines, FailedReadKeepsTheWorkAndTheCursorsBeforeIt) {
  static const char kBadNumber[] = "select TO_NUMBER(:b0) into :b1  from dual ";
  static const char kAll[] = "select ZksPnr ,ZksWrt  from Hor331Zks order by ZksWrt";
  static const char kModeCount[] = "select SfrAnz into :b0  from Hor155Sfr where SfrMod=:b1";
  double number = 0;
  int16_t count = 0;
  constexpr int kRows = 600;  // more than one batch of the server engine
  for (int i = 0; i < kRows; ++i) insertValue(db(), std::to_string(i), "2024.01.01", "A", i);
  ASSERT_EQ(db().exec(kInsertMode, {"A", int16_t{1}}), kOk);
  EXPECT_EQ(db().exec(kBadNumber, {"x"}, {number}), -1722);
  EXPECT_EQ(db().exec(kModeCount, {"A"}, {count}), kOk);
  EXPECT_EQ(db().exec(kBadNumber, {"y"}, {number}), -1722);
  Cursor rows(db(), kAll);
  ASSERT_EQ(rows.open(), kOk);
  std::string pnr;
  double value = 0;
  int read = 0;
  while (rows.fetch({pnr, value}) == kOk) {
    if (read++ == 10) {
      EXPECT_EQ(db().exec(kBadNumber, {"z"}, {number}), -1722);
      ASSERT_EQ(db().exec(kInsertMode, {"B", int16_t{2}}), kOk);
      EXPECT_EQ(db().exec(kModeCount, {"B"}, {count}), kOk);
      EXPECT_EQ(db().exec(kBadNumber, {"z"}, {number}), -1722);
    }
  }
  EXPECT_EQ(read, kRows);
  EXPECT_EQ(db().exec(kBadNumber, {"1"}, {number}), kOk);
  EXPECT_EQ(number, 1);
  ASSERT_EQ(db().commit(), kOk);
  EXPECT_EQ(inst().rows("select SfrMod, SfrAnz from Hor155Sfr order by SfrMod"),
            (std::vector<std::vector<std::string>>{{"A", "1"}, {"B", "2"}}));
}

TEST_P(BothEngines, StatusesOfFailedStatements) {
  static const char kMissingTable[] = "select x into :b0  from Hor999Xyz where x=:b1";
  static const char kMissingColumn[] = "select ZksXyz into :b0  from Hor331Zks where ZksPnr=:b1";
  static const char kBadNumber[] = "select TO_NUMBER(:b0) into :b1  from dual ";
  static const char kBadDay[] = "select to_date(:b0,'dd.mm.yyyy') into :b1  from dual ";
  static const char kBadLiteral[] = "select to_date(:b0,'yyyy-mm-dd') into :b1  from dual ";
  static const char kAllValues[] = "select ZksWrt into :b0  from Hor331Zks ";
  static const char kUpdateNone[] = "update Hor331Zks  set ZksWrt=1 where ZksPnr=:b0";
  static const char kDeleteNone[] = "delete  from Hor331Zks  where ZksPnr=:b0";
  static const char kCopyNone[] =
      "insert into Hor331Zk4  select *  from Hor331Zk3 where Zk3Stz='ZR'";
  std::string text;
  double value = 0;
  EXPECT_EQ(db().exec(kMissingTable, {"a"}, {text}), -942);
  EXPECT_EQ(db().exec(kMissingColumn, {"a"}, {text}), -904);
  EXPECT_EQ(db().exec(kBadNumber, {"12x"}, {value}), -1722);
  EXPECT_EQ(db().exec(kBadDay, {"30.02.2024"}, {text}), -1847);
  EXPECT_EQ(db().exec(kBadLiteral, {"2024x02-01"}, {text}), -1861);
  EXPECT_EQ(db().exec(kAccountPlain, {"none"}, {text}), kNoData);
  EXPECT_EQ(db().exec(kUpdateNone, {"none"}), kNoData);
  EXPECT_EQ(db().exec(kDeleteNone, {"none"}), kNoData);
  EXPECT_EQ(db().exec(kCopyNone), kNoData);
  // A text longer than its column, also when the excess is blanks.
  EXPECT_EQ(db().exec(kInsertValue, {"1", "2024.01.01", "ABCDEFG", 1.0}), -12899);
  EXPECT_EQ(db().exec(kInsertValue, {"1", "2024.01.01", "ABCDE  ", 1.0}), -12899);
  insertValue(db(), "1", "2024.01.01", "A", 1.0);
  insertValue(db(), "2", "2024.01.01", "A", 2.0);
  value = 7;
  EXPECT_EQ(db().exec(kAllValues, {}, {value}), -1422);
  EXPECT_EQ(value, 0);
  // None of the failures above cost the rows written between them.
  ASSERT_EQ(db().commit(), kOk);
  EXPECT_EQ(inst().scalar("select count(*) from Hor331Zks"), "2");
}

TEST_P(BothEngines, DatesAsOracleFormatsThem) {
  static const char kFormats[] =
      "select to_char(ZksDtm,'dd.mm.yyyy') ,to_char(ZksDtm,'yymmdd') ,to_char(ZksDtm,'ddmmyy') "
      ",to_char(ZksDtm,'yyyymmdd') ,(ZksDtm+1) ,(ZksDtm-1) ,ZksDtm into :b0,:b1,:b2,:b3,:b4,:b5,"
      ":b6  from Hor331Zks where ZksPnr=:b7";
  insertValue(db(), "1", "2024.02.29", "A", 1.0);
  std::string a, b, c, d, next, prev, date;
  ASSERT_EQ(db().exec(kFormats, {"1"}, {a, b, c, d, next, prev, date}), kOk);
  EXPECT_EQ(std::vector<std::string>({a, b, c, d, next, prev, date}),
            std::vector<std::string>({"29.02.2024", "240229", "290224", "20240229", "2024.03.01",
                                      "2024.02.28", "2024.02.29"}));

  static const char kAddMonths[] =
      "select ADD_MONTHS(to_date(:b0,'yyyy.mm.dd'),:b1) into :b2  from dual ";
  struct Case {
    const char* from;
    int32_t months;
    const char* expected;
  };
  for (const Case& k : {Case{"2024.01.31", 1, "2024.02.29"}, Case{"2024.02.29", 12, "2025.02.28"},
                        Case{"2023.02.28", 1, "2023.03.31"}, Case{"2024.03.15", -1, "2024.02.15"},
                        Case{"2024.01.31", -13, "2022.12.31"}}) {
    EXPECT_EQ(db().exec(kAddMonths, {k.from, k.months}, {a}), kOk) << k.from;
    EXPECT_EQ(a, k.expected) << k.from << " " << k.months;
  }

  static const char kToDates[] =
      "select to_date(:b0,'ddmmyy') ,to_date(:b1,'dd.mm.yyyy') ,to_date(:b2,'yyyy-mm-dd') into "
      ":b3,:b4,:b5  from dual ";
  ASSERT_EQ(db().exec(kToDates, {"290224", "1.3.2024", "2024-12-31"}, {a, b, c}), kOk);
  EXPECT_EQ(std::vector<std::string>({a, b, c}),
            std::vector<std::string>({"2024.02.29", "2024.03.01", "2024.12.31"}));

  static const char kDaysBetween[] =
      "select (to_date(:b0,'yyyy.mm.dd')-to_date(:b1,'yyyy.mm.dd')) into :b2  from dual ";
  int32_t days = 0;
  ASSERT_EQ(db().exec(kDaysBetween, {"2024.03.01", "2023.03.01"}, {days}), kOk);
  EXPECT_EQ(days, 366);

  // Half a day later keeps its time; a whole day is stored without one.
  static const char kHalfDay[] =
      "select TO_CHAR((to_date(:b0,'yyyy.mm.dd')+0.5),'dd.mm.yyyy hh24:mi:ss') into :b1  from "
      "dual ";
  ASSERT_EQ(db().exec(kHalfDay, {"2024.12.31"}, {a}), kOk);
  EXPECT_EQ(a, "31.12.2024 12:00:00");
  static const char kStoreNextDay[] =
      "insert into Hor331Zks (ZksPnr,ZksDtm) select ZksPnr ,(ZksDtm+1)  from Hor331Zks where "
      "ZksPnr=:b0";
  ASSERT_EQ(db().exec(kStoreNextDay, {"1"}), kOk);
  db().commit();
  EXPECT_EQ(inst().scalar("select max(ZksDtm) from Hor331Zks"), "2024.03.01");
}

TEST_P(BothEngines, NumbersReadAsOracleWritesThem) {
  static const char kNumberText[] =
      "select TO_CHAR(ZksWrt) into :b0  from Hor331Zks where ZksPnr=:b1";
  const std::vector<std::pair<double, std::string>> cases = {{0.5, ".5"},
                                                             {-1.25, "-1.25"},
                                                             {150, "150"},
                                                             {1.1 + 2.2, "3.3"},
                                                             {1.0 / 3, ".333333333333333"},
                                                             {1e-5, ".00001"},
                                                             {-0.001, "-.001"},
                                                             {123456.789, "123456.789"}};
  for (size_t i = 0; i < cases.size(); ++i)
    insertValue(db(), std::to_string(i), "2024.01.01", "A", cases[i].first);
  for (size_t i = 0; i < cases.size(); ++i) {
    std::string text, read;
    EXPECT_EQ(db().exec(kNumberText, {std::to_string(i)}, {text}), kOk);
    EXPECT_EQ(text, cases[i].second);
    EXPECT_EQ(db().exec(kAccountIndicator, {std::to_string(i)}, {read}), kOk);
  }
  // The server's number text agrees with the program's for any double.
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> mantissa(-1, 1);
  std::uniform_int_distribution<int> exponent(-12, 14);
  for (int i = 0; i < 200; ++i) {
    const double v = mantissa(random) * std::pow(10.0, exponent(random));
    const std::string pnr = "r" + std::to_string(i);
    insertValue(db(), pnr, "2024.01.01", "A", v);
    std::string text;
    ASSERT_EQ(db().exec(kNumberText, {pnr}, {text}), kOk);
    EXPECT_EQ(text, db::oracle::numberText(v)) << v;
  }
}

TEST_P(BothEngines, PaddingAndTrimming) {
  static const char kLpad[] = "select LPAD(:b0,:b1,'0') into :b2  from dual ";
  static const char kRpad[] = "select RPAD(:b0,:b1,' ') into :b2  from dual ";
  static const char kPadEmpty[] = "select LPAD(:b0,5,'') into :b1:b2  from dual ";
  static const char kTrim[] = "select trim(:b0) into :b1  from dual ";
  static const char kPadNull[] =
      "select lpad(NVL(ZksZkt,' '),2,' ') ,trim(ZksZkt) into :b0,:b1:b2  from Hor331Zks where "
      "ZksPnr=:b3";
  std::string out;
  struct Case {
    const char* sql;
    const char* text;
    int32_t width;
    const char* expected;
  };
  for (const Case& k : {Case{kLpad, "5", 3, "005"}, Case{kLpad, "12345", 3, "123"},
                        Case{kRpad, "ab", 4, "ab  "}, Case{kRpad, "abcdef", 3, "abc"}}) {
    EXPECT_EQ(db().exec(k.sql, {k.text, k.width}, {out}), kOk);
    EXPECT_EQ(out, k.expected) << k.text;
  }
  EXPECT_EQ(db().exec(kLpad, {"5", int32_t{0}}, {out}), kNullFetch);
  out = "stale";
  EXPECT_EQ(db().exec(kPadEmpty, {"ab"}, {out}), kOk);  // Oracle's '' is NULL
  EXPECT_EQ(out, "");
  EXPECT_EQ(db().exec(kTrim, {" a b  "}, {out}), kOk);
  EXPECT_EQ(out, "a b");
  EXPECT_EQ(db().exec(kTrim, {"   "}, {out}), kNullFetch);
  insertValue(db(), "1", "2024.01.01", "", 1.0);
  std::string trimmed = "stale";
  ASSERT_EQ(db().exec(kPadNull, {"1"}, {out, trimmed}), kOk);
  EXPECT_EQ(out, "  ");
  EXPECT_EQ(trimmed, "");
}

TEST_P(BothEngines, ClockFollowsLugSysdate) {
  std::string now;
  const char* saved = std::getenv("LUG_SYSDATE");
  setenv("LUG_SYSDATE", "2024.03.15 08:30:00", 1);
  EXPECT_EQ(db::clockLong(db(), now), kOk);
  EXPECT_EQ(now, "15.03.2024 08:30:00");
  setenv("LUG_SYSDATE", "2024.03.16", 1);  // moved within the same session
  EXPECT_EQ(db::clockLong(db(), now), kOk);
  EXPECT_EQ(now, "16.03.2024 00:00:00");
  EXPECT_EQ(db::clockIsoDate(db(), now), kOk);
  EXPECT_EQ(now, "2024-03-16");
  unsetenv("LUG_SYSDATE");
  EXPECT_EQ(db::clockIsoDate(db(), now), kOk);
  const auto today = db::oracle::sysdate();
  EXPECT_EQ(now.substr(0, 4), std::to_string(today.year));
  if (saved) setenv("LUG_SYSDATE", saved, 1);
}

TEST_P(BothEngines, InsertSelectCopiesWholeRows) {
  static const char kWork[] =
      "insert into Hor331Zk3 (Zk3Key,Zk3Abr,Zk3Lfn,Zk3Stz,Zk3Pnr,Zk3Zkt,Zk3Std,Zk3Von) values "
      "(:b0,:b1,0,:b2,:b3,'URL',:b4,:b5)";
  static const char kCopy[] = "insert into Hor331Zk4  select *  from Hor331Zk3 where Zk3Stz='ZR'";
  ASSERT_EQ(db().exec(kWork, {"k1", int32_t{5}, "ZR", "4711", int32_t{480}, "2024.01.01"}), kOk);
  ASSERT_EQ(db().exec(kWork, {"k2", int32_t{5}, "ZR", "", int32_t{-60}, ""}), kOk);
  ASSERT_EQ(db().exec(kWork, {"k3", int32_t{5}, "ZE", "4712", int32_t{1}, ""}), kOk);
  EXPECT_EQ(db().exec(kCopy), kOk);
  db().commit();
  EXPECT_EQ(inst().rows("select * from Hor331Zk4 order by Zk4Key"),
            inst().rows("select * from Hor331Zk3 where Zk3Stz='ZR' order by Zk3Key"));
  EXPECT_EQ(inst().scalar("select count(*) from Hor331Zk4"), "2");
}

TEST_P(BothEngines, CursorsReadEveryRowAndStayIndependent) {
  static const char kAll[] = "select ZksPnr ,ZksWrt  from Hor331Zks order by ZksWrt";
  constexpr int kRows = 1234;  // more than one batch of the server engine
  for (int i = 0; i < kRows; ++i) insertValue(db(), std::to_string(i), "2024.01.01", "A", i);
  Cursor outer(db(), kAll), inner(db(), kAll);
  ASSERT_EQ(outer.open(), kOk);
  std::string pnr;
  double value = 0;
  int read = 0;
  while (outer.fetch({pnr, value}) == kOk) {
    ASSERT_EQ(value, read) << "rows out of order";
    if (read++ == 600) {
      db().commit();  // an open cursor survives a commit
      ASSERT_EQ(inner.open(), kOk);
      int innerRows = 0;
      while (inner.fetch({pnr, value}) == kOk) ++innerRows;
      EXPECT_EQ(innerRows, kRows);
      inner.close();
    }
  }
  EXPECT_EQ(read, kRows);
  pnr = "stale";
  EXPECT_EQ(outer.fetch({pnr, value}), kNoData);
  EXPECT_EQ(pnr, "");
}

// Rows sent aside with a taker: it takes every committed row once, as a
// fetch would store them (the embedded engine on its reading thread, the
// server at the open), and the cursor fetches none; a read that fails gives
// the taker nothing; a taker whose cursor closed before the open may still
// run, on what it owns. A read that fails on one of its rows fails the open.
TEST_P(BothEngines, RowsSentAsideAreTakenOnceWhereTheyAreRead) {
  static const char kValuesFrom[] =
      "select ZksPnr ,ZksWrt  from Hor331Zks where ZksPnr>=:b0 order by ZksPnr";
  for (const char* pnr : {"1", "2", "3"}) insertValue(db(), pnr, "2024.01.01", "A", 1.5);
  insertValue(db(), "0", "2024.01.01", "7", 1);
  ASSERT_EQ(db().commit(), kOk);
  insertValue(db(), "4", "2024.01.01", "A", 2);  // not committed
  struct Taken {
    std::string rows;
    int end = kOk;
    std::thread::id thread;
  };
  const auto taker = [](const std::shared_ptr<Taken>& taken) {
    return [taken](db::FetchedRows& rows) {
      std::string pnr;
      double value = 0;
      while ((taken->end = rows.fetch({pnr, value})) == kOk)
        taken->rows += pnr + "=" + std::to_string(value) + " ";
      taken->thread = std::this_thread::get_id();
    };
  };
  const auto taken = std::make_shared<Taken>();
  const auto dropped = std::make_shared<Taken>();
  Cursor c(db(), kValuesFrom, Cursor::Mode::Aside);
  {
    Cursor closed(db(), kValuesFrom, Cursor::Mode::Aside);
    ASSERT_EQ(closed.send({"1"}, taker(dropped)), kOk);
  }
  ASSERT_EQ(c.send({"2"}, taker(taken)), kOk);
  const int64_t rowsBefore = db().counters().rows;
  ASSERT_EQ(c.open(), kOk);
  EXPECT_EQ(taken->rows, "2=1.500000 3=1.500000 ");
  EXPECT_EQ(taken->end, kNoData);
  const bool ownThread = taken->thread != std::this_thread::get_id();
  EXPECT_EQ(ownThread, GetParam() == TestEngine::Sqlite);
  EXPECT_EQ(db().counters().rows - rowsBefore, 2);
  std::string pnr = "stale";
  EXPECT_EQ(c.fetch({pnr}), kNoData);
  EXPECT_EQ(pnr, "");
  Cursor missing(db(), "select ZksPnr  from Hor331Zkx where ZksPnr>=:b0", Cursor::Mode::Aside);
  const auto none = std::make_shared<Taken>();
  EXPECT_EQ(missing.send({"1"}, taker(none)), -942);
  EXPECT_EQ(missing.open({"1"}), -942);
  EXPECT_EQ(none->thread, std::thread::id());
  // Only the account of 0 is a number.
  Cursor bad(db(), "select ZksPnr ,to_number(ZksZkt)  from Hor331Zks where ZksPnr>=:b0",
             Cursor::Mode::Aside);
  const auto partly = std::make_shared<Taken>();
  ASSERT_EQ(bad.send({"0"}, taker(partly)), kOk);
  EXPECT_EQ(bad.open(), -1722);
}

TEST_P(BothEngines, TextsSortAsOracleSortsThem) {
  static const char kUp[] = "select ZksZkt  from Hor331Zks order by ZksZkt";
  static const char kDown[] = "select ZksZkt  from Hor331Zks order by ZksZkt desc";
  int n = 0;
  for (const char* account : {"b", "", "B", "Z", "a", "\xC3\x84"})
    insertValue(db(), std::to_string(n++), "2024.01.01", account, 1.0);
  auto read = [&](const char* sql) {
    std::vector<std::string> out;
    Cursor c(db(), sql);
    c.open();
    std::string account;
    while (c.fetch({account}) == kOk) out.push_back(account.empty() ? "NULL" : account);
    return out;
  };
  // Byte order; NULL after every value ascending and before them descending.
  EXPECT_EQ(read(kUp), (std::vector<std::string>{"B", "Z", "a", "b", "\xC3\x84", "NULL"}));
  EXPECT_EQ(read(kDown), (std::vector<std::string>{"NULL", "\xC3\x84", "b", "a", "Z", "B"}));
}

LUG_ON_BOTH_ENGINES(BothEngines);

}  // namespace
}  // namespace lug::test
