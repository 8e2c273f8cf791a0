// What the server engine costs in round trips and parses, and its run lock.

#include "db/pg_engine.h"
#include "db/pg_link.h"
#include "pg_engines.h"

namespace lug::test {
namespace {

using db::kDupKey;
using db::kOk;

constexpr char kModeCount[] = "select SfrAnz into :b0  from Hor155Sfr where SfrMod=:b1";
constexpr char kAllModes[] = "select SfrMod ,SfrAnz  from Hor155Sfr order by SfrMod";

class PgCosts : public PgOnly {
 protected:
  db::PgStats stats() { return db::pgStats(db().engine()); }
  // Round trips and parses the work costs.
  template <typename Work>
  db::PgStats cost(Work work) {
    const db::PgStats before = stats();
    work();
    const db::PgStats after = stats();
    return {after.roundTrips - before.roundTrips, after.prepares - before.prepares,
            after.savepoints - before.savepoints};
  }
};

TEST_F(PgCosts, StatementsAreParsedOnceAndRunInOneRoundTrip) {
  auto inserts = cost([&] {
    for (int i = 0; i < 100; ++i)
      ASSERT_EQ(db().exec(kInsertMode, {std::to_string(i), int16_t{1}}), kOk);
  });
  EXPECT_EQ(inserts.prepares, 1);
  EXPECT_EQ(inserts.roundTrips, 101);  // the parse, then one per execution
  EXPECT_EQ(inserts.savepoints, 100);  // the parse is no write

  int16_t count = 0;
  auto selects = cost([&] {
    for (int i = 0; i < 10; ++i) ASSERT_EQ(db().exec(kModeCount, {"7"}, {count}), kOk);
  });
  EXPECT_EQ(selects.prepares, 1);
  EXPECT_EQ(selects.roundTrips, 11);
  EXPECT_EQ(selects.savepoints, 1);  // consecutive reads share one

  // Insert-or-add: the failed insert and the update, nothing in between.
  auto insertOrAdd = cost([&] {
    ASSERT_EQ(db().exec(kInsertMode, {"7", int16_t{2}}), kDupKey);
    ASSERT_EQ(db().exec(kAddMode, {int16_t{2}, "7"}), kOk);
  });
  EXPECT_EQ(insertOrAdd.roundTrips, 3);  // including the parse of the update

  // The server holds one prepared statement per statement text.
  static const char kPrepared[] =
      "select count(*) into :b0  from pg_prepared_statements where statement like :b1";
  int32_t prepared = 0;
  ASSERT_EQ(db().exec(kPrepared, {"insert into Hor155Sfr%"}, {prepared}), kOk);
  EXPECT_EQ(prepared, 1);
}

// A stream is a declared cursor read in batches of 500; a cursor over few
// rows is a plain execution that brings all of them.
TEST_F(PgCosts, CursorsFetchInBatchesOrWithTheExecution) {
  for (int i = 0; i < 1234; ++i)
    ASSERT_EQ(db().exec(kInsertMode, {std::to_string(i), int16_t{1}}), kOk);
  struct Case {
    db::Cursor::Mode mode;
    db::PgStats first, again;  // round trips and parses
  };
  const Case cases[] = {
      // the parse of declare, fetch and close, the declare with 500 rows, two more batches
      {db::Cursor::Mode::Stream, {.roundTrips = 4, .prepares = 3}, {.roundTrips = 3}},
      // the parse of the select itself, then the execution with all rows
      {db::Cursor::Mode::FewRows, {.roundTrips = 2, .prepares = 1}, {.roundTrips = 1}},
  };
  for (const Case& c : cases) {
    auto readAll = [&] {
      db::Cursor modes(db(), kAllModes, c.mode);
      ASSERT_EQ(modes.open(), kOk);
      std::string mode;
      int16_t n = 0;
      int rows = 0;
      while (modes.fetch({mode, n}) == kOk) ++rows;
      EXPECT_EQ(rows, 1234);
    };
    const db::PgStats first = cost(readAll), again = cost(readAll);
    EXPECT_EQ(first.roundTrips, c.first.roundTrips);
    EXPECT_EQ(first.prepares, c.first.prepares);
    EXPECT_EQ(again.roundTrips, c.again.roundTrips);
    EXPECT_EQ(again.prepares, 0);
  }
}

TEST_F(PgOnly, RunLockKeepsASecondRunOut) {
  int status = 0;
  auto first = db::Session::connect({"", "", inst().service()}, "TEST", status);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->tryRunLock("TEST"), kOk);
  EXPECT_EQ(first->tryRunLock("TEST"), kOk);  // held already
  EXPECT_EQ(db().tryRunLock("TEST"), 1);
  EXPECT_EQ(db().tryRunLock("NOSUCH"), -1435);

  inst().insert("O1001AbrKreis", {{"AkrNum", "A"}, {"AkrAdt", 0}});
  const RunResult run = inst().runLug({inst().service(), "test", "A", "1", "0"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.log.find("LuG-Uebergabe fuer Schema TEST laeuft bereits, Aufruf beendet\r\n"),
            std::string::npos)
      << run.log;

  first.reset();  // the lock goes with the session, before the session is gone
  EXPECT_EQ(db().tryRunLock("TEST"), kOk);
}

// A run right after another finds the schema free: the lock is given back
// before the session is gone, not when the server process has ended.
TEST_F(PgOnly, RunLockIsFreeOnceTheSessionIsGone) {
  // Advisory locks in this test's own database (other tests run beside it).
  static const char kHeld[] =
      "select count(*) into :b0  from pg_locks where (locktype='advisory' and database=(select "
      "oid  from pg_database where datname=current_database()))";
  for (int run = 0; run < 200; ++run) {
    int status = 0;
    auto session = db::Session::connect(
        {.user = "", .password = "", .service = inst().service(), .runLock = true}, "TEST", status);
    ASSERT_TRUE(session) << status;
    session.reset();
    int16_t held = 1;
    ASSERT_EQ(db().exec(kHeld, {}, {held}), kOk);
    ASSERT_EQ(held, 0) << "run " << run;
  }
}

// The statistics of a table the run filled are there for the statements
// after the refresh, and the smaller sample it takes stays with the refresh.
TEST_F(PgOnly, RefreshedStatisticsServeTheRunAndLeaveTheSampleSizeAlone) {
  for (int i = 0; i < 300; ++i)
    ASSERT_EQ(db().exec(kInsertMode, {std::to_string(i), int16_t{1}}), kOk);
  ASSERT_EQ(db().refreshStatistics("Hor155Sfr"), kOk);
  static const char kStatistics[] =
      "select count(*) into :b0  from pg_stats where tablename='hor155sfr'";
  static const char kSampleSize[] =
      "select current_setting('default_statistics_target') into :b0  from dual";
  int32_t columns = 0;
  std::string target;
  ASSERT_EQ(db().exec(kStatistics, {}, {columns}), kOk);
  ASSERT_EQ(db().exec(kSampleSize, {}, {target}), kOk);
  EXPECT_EQ(columns, 2);
  EXPECT_EQ(target, "100");
}

// Reads sent aside go over the engine's second connection: sending and
// taking them costs the session no round trip, each cursor gets the rows it
// sent for in whatever order they are taken, and one sent but never taken
// leaves the others right.
TEST_F(PgCosts, ReadsAsideAnswerEachCursorWithoutTheSessionsRoundTrips) {
  for (const char* mode : {"1", "2", "3", "4"})
    ASSERT_EQ(db().exec(kInsertMode, {mode, int16_t{1}}), kOk);
  ASSERT_EQ(db().commit(), kOk);
  static const char kModesFrom[] =
      "select SfrMod  from Hor155Sfr where (SfrMod>=:b0 and SfrMod<'5') order by SfrMod";
  const auto rows = [](db::Cursor& c, db::Ins in) {
    std::string all, mode;
    EXPECT_EQ(c.open(in), kOk);
    while (c.fetch({mode}) == kOk) all += mode;
    c.close();
    return all;
  };
  db::Cursor a(db(), kModesFrom, db::Cursor::Mode::Aside);
  db::Cursor b(db(), kModesFrom, db::Cursor::Mode::Aside);
  db::Cursor unread(db(), kModesFrom, db::Cursor::Mode::Aside);
  ASSERT_EQ(rows(a, {"1"}), "1234");  // the parse on the second connection
  std::string fromA, fromB;
  const auto aside = cost([&] {
    ASSERT_EQ(a.send({"2"}), kOk);
    ASSERT_EQ(unread.send({"1"}), kOk);
    ASSERT_EQ(b.send({"3"}), kOk);
    unread.close();
    fromB = rows(b, {"3"});
    fromA = rows(a, {"2"});
  });
  EXPECT_EQ(aside.roundTrips, 0);
  EXPECT_EQ(fromA, "234");
  EXPECT_EQ(fromB, "34");
  EXPECT_EQ(rows(b, {"4"}), "4");  // sent at the open
}

// A step outside any transaction (as the second connection runs the parse
// of a statement) while rows posted on the same connection are unread: it
// runs as it stands, and the rows come after it.
TEST_F(PgOnly, PlainStepWhilePostedRowsAreUnreadRunsOutsideATransaction) {
  int status = kOk;
  const auto link = db::PgLink::connect(inst().service(), "", "", status);
  ASSERT_TRUE(link) << status;
  const int64_t ticket = link->post({db::PgCommand::query("select 1")});
  std::vector<db::PgResult> results;
  EXPECT_EQ(link->run({db::PgCommand::query("select 2")}, results, db::PgScope::Plain), kOk);
  ASSERT_EQ(link->collect(ticket, results), kOk);
  EXPECT_STREQ(PQgetvalue(results[0].get(), 0, 0), "1");
}

}  // namespace
}  // namespace lug::test
