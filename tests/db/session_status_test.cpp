// Statuses, outputs, cursors, counters and transactions of the session.
#include <sys/wait.h>
#include <unistd.h>

#include <string_view>
#include <vector>

#include "db/db_fixture.h"
#include "db/multi_row_insert.h"

namespace lug::db {
namespace {

using testing::DbTest;

constexpr char kAddGroup[] = "insert into O1001AbrKreis (AkrNum,AkrRrm) values (:b0,:b1)";
constexpr char kDepth[] = "select AkrRrm into :b0  from O1001AbrKreis where AkrNum=:b1";
constexpr char kDepthOrNull[] = "select AkrRrm into :b0:b1  from O1001AbrKreis where AkrNum=:b2";
constexpr char kGroupAsNumber[] = "select AkrNum into :b0  from O1001AbrKreis where AkrNum=:b1";
constexpr char kAllGroups[] = "select AkrNum into :b0  from O1001AbrKreis ";
constexpr char kSetRunStatus[] = "update O1001AbrKreis  set AkrAdt=:b0 where AkrNum=:b1";
constexpr char kDropGroup[] = "delete  from O1001AbrKreis  where AkrNum=:b0";
constexpr char kUnknownColumn[] = "select AkrXyz into :b0  from O1001AbrKreis where AkrNum=:b1";
constexpr char kUnknownTable[] = "select XyzNum into :b0  from Hor999Xyz where XyzNum=:b1";
constexpr char kAddPeriod[] =
    "insert into Hor330Abr (AbrAkr,AbrNum,AbrVon,AbrBis,AbrSts) values (:b0,:b1,:b2,:b3,0)";
constexpr char kPeriods[] =
    "select AbrNum ,AbrVon  from Hor330Abr where AbrAkr=:b0 order by AbrVon";
constexpr char kPeriodsEnd[] = "select AbrBis  from Hor330Abr where AbrAkr=:b0 order by AbrVon";
constexpr char kDeletePeriods[] = "delete  from Hor330Abr  where AbrAkr=:b0";
constexpr char kCopyInsert[] = "insert into Hor331Zk4  select *  from Hor331Zk3 where Zk3Stz='ZR'";

class SessionStatusTest : public DbTest {
 protected:
  void addPeriods(const char* akr, int n) {
    for (int i = 1; i <= n; ++i) {
      const std::string von = "2024.0" + std::to_string(i) + ".01";
      ASSERT_EQ(db().exec(kAddPeriod, {akr, int32_t{i}, von, von}), kOk);
    }
    db().commit();
  }
};

TEST_F(SessionStatusTest, SingleRowSelectClearsOutputsAndReportsOracleStatuses) {
  ASSERT_EQ(db().exec(kAddGroup, {"A1", int16_t{3}}), kOk);
  ASSERT_EQ(db().exec(kAddGroup, {"A2", ""}), kOk);
  int16_t depth = 7;
  EXPECT_EQ(db().exec(kDepth, {"A1"}, {depth}), kOk);
  EXPECT_EQ(depth, 3);
  EXPECT_EQ(db().exec(kDepth, {"ZZ"}, {depth}), kNoData);
  EXPECT_EQ(depth, 0);
  depth = 7;
  EXPECT_EQ(db().exec(kDepth, {"A2"}, {depth}), kNullFetch);  // no indicator in the into list
  EXPECT_EQ(depth, 0);
  depth = 7;
  EXPECT_EQ(db().exec(kDepthOrNull, {"A2"}, {depth}), kOk);
  EXPECT_EQ(depth, 0);
  std::string group = "stale";
  EXPECT_EQ(db().exec(kAllGroups, {}, {group}), -1422);
  EXPECT_EQ(group, "");
  int16_t number = 7;
  EXPECT_EQ(db().exec(kGroupAsNumber, {"A1"}, {number}), -1722);
  EXPECT_EQ(number, 0);
  group = "stale";
  EXPECT_EQ(db().exec(kUnknownTable, {"x"}, {group}), -942);
  EXPECT_EQ(group, "");
  EXPECT_EQ(db().exec(kUnknownColumn, {"A1"}, {group}), -904);
}

TEST_F(SessionStatusTest, NumberThatDoesNotFitItsOutputFailsWith1455) {
  static constexpr char kValue[] = "select :b0 into :b1  from dual ";
  int16_t flag = 7;
  EXPECT_EQ(db().exec(kValue, {int32_t{70000}}, {flag}), -1455);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(db().exec(kValue, {int32_t{-32768}}, {flag}), kOk);
  EXPECT_EQ(flag, -32768);
  EXPECT_EQ(db().exec(kValue, {32768.0}, {flag}), -1455);
  int32_t minutes = 7;
  EXPECT_EQ(db().exec(kValue, {1e12}, {minutes}), -1455);
  EXPECT_EQ(db().exec(kValue, {"1e400"}, {minutes}), -1455);
  EXPECT_EQ(db().exec(kValue, {"2147483647"}, {minutes}), kOk);
  EXPECT_EQ(minutes, 2147483647);
  int64_t big = 0;
  EXPECT_EQ(db().exec(kValue, {9.3e18}, {big}), -1455);
}

TEST_F(SessionStatusTest, WritesReportDuplicatesMissingRowsAndOverlongValues) {
  EXPECT_EQ(db().exec(kAddGroup, {"A1", int16_t{1}}), kOk);
  EXPECT_EQ(db().exec(kAddGroup, {"A1", int16_t{2}}), kDupKey);
  EXPECT_EQ(db().exec(kAddGroup, {"ABCDE", int16_t{1}}), kOk);
  EXPECT_EQ(db().exec(kAddGroup, {"ABCDEF", int16_t{1}}), -12899);
  EXPECT_EQ(db().exec(kSetRunStatus, {int16_t{98}, "A1"}), kOk);
  EXPECT_EQ(db().exec(kSetRunStatus, {int16_t{98}, "ZZ"}), kNoData);
  EXPECT_EQ(db().exec(kDropGroup, {"ZZ"}), kNoData);
  EXPECT_EQ(db().exec(kDropGroup, {"A1"}), kOk);
  EXPECT_EQ(db().exec(kCopyInsert), kNoData);
  inst.insert("Hor331Zk3", {{"Zk3Key", "K"}, {"Zk3Stz", "ZR"}});
  EXPECT_EQ(db().exec(kCopyInsert), kOk);
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk4"), "1");

  static constexpr char kStrict[] = "insert into LugStrict (StrVal) values (:b0)";
  ASSERT_EQ(db().execDynamic("CREATE TABLE LugStrict (StrVal TEXT NOT NULL)"), kOk);
  EXPECT_EQ(db().exec(kStrict, {""}), -1400);
  EXPECT_EQ(db().exec(kStrict, {"x"}), kOk);
}

TEST_F(SessionStatusTest, HostVariablesBindByFirstAppearance) {
  static constexpr char kEarlier[] =
      "select AbrAkr ,AbrNum  from Hor330Abr where ((AbrAkr=:b0 and AbrVon<(select AbrVon  from "
      "Hor330Abr where (AbrAkr=:b0 and AbrNum=:b2))) and AbrSts<>8) order by AbrVon desc";
  addPeriods("A1", 3);
  Cursor c(db(), kEarlier);
  EXPECT_EQ(c.open({"A1", int32_t{3}}), kOk);
  std::string group;
  int32_t number = 0;
  EXPECT_EQ(c.fetch({group, number}), kOk);
  EXPECT_EQ(group + "/" + std::to_string(number), "A1/2");
  EXPECT_EQ(c.open({"A1"}), -1008);  // not all variables bound

  static constexpr char kSetDepth[] = "update O1001AbrKreis  set AkrRrm=:b0:b1 where AkrNum=:b2";
  ASSERT_EQ(db().exec(kAddGroup, {"A1", int16_t{1}}), kOk);
  EXPECT_EQ(db().exec(kSetDepth, {int16_t{4}, "A1"}), kOk);
  int16_t depth = 0;
  EXPECT_EQ(db().exec(kDepth, {"A1"}, {depth}), kOk);
  EXPECT_EQ(depth, 4);
}

TEST_F(SessionStatusTest, CursorsRunSideBySideAndEndWith1403) {
  addPeriods("A1", 3);
  // The second reads its few rows at once on the server; it fetches alike.
  Cursor first(db(), kPeriods), second(db(), kPeriods, Cursor::Mode::FewRows),
      ends(db(), kPeriodsEnd);
  ASSERT_EQ(first.open({"A1"}), kOk);
  ASSERT_EQ(second.open({"A1"}), kOk);
  ASSERT_EQ(ends.open({"A1"}), kOk);
  int32_t a = 0, b = 0;
  std::string von, bis;
  ASSERT_EQ(first.fetch({a, von}), kOk);
  ASSERT_EQ(first.fetch({a, von}), kOk);
  ASSERT_EQ(second.fetch({b, von}), kOk);
  ASSERT_EQ(ends.fetch({bis}), kOk);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(von, "2024.01.01");
  EXPECT_EQ(bis, "2024.01.01");
  ASSERT_EQ(first.fetch({a, von}), kOk);
  EXPECT_EQ(first.fetch({a, von}), kNoData);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(von, "");
  EXPECT_EQ(first.fetch({a, von}), kNoData);
  first.close();
  EXPECT_NE(first.fetch({a, von}), kOk);
  ASSERT_EQ(second.fetch({b, von}), kOk);
  EXPECT_EQ(b, 2);
  // Reopening starts from the first row again.
  ASSERT_EQ(second.open({"A1"}), kOk);
  ASSERT_EQ(second.fetch({b, von}), kOk);
  EXPECT_EQ(b, 1);
}

TEST_F(SessionStatusTest, CursorWhoseOpenFailedFetchesNoRowButTheOpensStatus) {
  static constexpr char kUnknown[] = "select XyzNum  from Hor999Xyz where XyzNum=:b0";
  addPeriods("A1", 2);
  Cursor c(db(), kPeriods);
  ASSERT_EQ(c.open({"A1"}), kOk);
  c.close();
  EXPECT_EQ(c.open({}), -1008);
  int32_t number = 7;
  std::string von = "stale";
  EXPECT_EQ(c.fetch({number, von}), -1008);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(von, "");
  for (const Cursor::Mode mode : {Cursor::Mode::Stream, Cursor::Mode::FewRows}) {
    Cursor missing(db(), kUnknown, mode);
    EXPECT_EQ(missing.open({"x"}), -942);
    EXPECT_EQ(missing.fetch({von}), -942);
  }
}

TEST_F(SessionStatusTest, CursorOutputsMayRequireAValue) {
  ASSERT_EQ(db().exec(kAddPeriod, {"A1", int32_t{1}, "2024.01.01", ""}), kOk);
  Cursor c(db(), kPeriodsEnd);
  std::string bis = "stale";
  ASSERT_EQ(c.open({"A1"}), kOk);
  EXPECT_EQ(c.fetch({bis}), kOk);
  EXPECT_EQ(bis, "");
  ASSERT_EQ(c.open({"A1"}), kOk);
  EXPECT_EQ(c.fetch({Out(bis).required()}), kNullFetch);
}

TEST_F(SessionStatusTest, SnapshotCursorKeepsTheRowsReadAtOpen) {
  addPeriods("A1", 3);
  Cursor c(db(), kPeriods, Cursor::Mode::Snapshot);
  ASSERT_EQ(c.open({"A1"}), kOk);
  ASSERT_EQ(db().exec(kDeletePeriods, {"A1"}), kOk);
  int32_t number = 0;
  std::string von;
  int rows = 0;
  while (c.fetch({number, von}) == kOk) ++rows;
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(number, 0);
}

TEST_F(SessionStatusTest, CountsStatementsAndRows) {
  addPeriods("A1", 3);
  const Counters before = db().counters();
  int16_t depth = 0;
  db().exec(kDepth, {"ZZ"}, {depth});
  Cursor c(db(), kPeriods);
  c.open({"A1"});
  int32_t number = 0;
  std::string von;
  while (c.fetch({number, von}) == kOk) {
  }
  EXPECT_EQ(db().counters().statements - before.statements, 2);
  EXPECT_EQ(db().counters().rows - before.rows, 3);
}

TEST_F(SessionStatusTest, CountsEachStatementTextAndListsTheMostExecutedAndSlowest) {
  addPeriods("A1", 3);
  const Counters before = db().counters();
  int16_t depth = 0;
  for (int i = 0; i < 3; ++i) db().exec(kDepth, {"ZZ"}, {depth});
  Cursor c(db(), kPeriods, Cursor::Mode::Snapshot);
  for (int i = 0; i < 2; ++i) {
    c.open({"A1"});
    int32_t number = 0;
    std::string von;
    while (c.fetch({number, von}) == kOk) {
    }
  }
  const Counters after = db().counters();
  auto countOf = [](const Counters& counters, const char* sql) {
    for (const StatementCount& s : counters.perStatement)
      if (s.sql == sql) return s;
    return StatementCount{};
  };
  const StatementCount depthCount = countOf(after, kDepth);
  const StatementCount periodsCount = countOf(after, kPeriods);
  EXPECT_EQ(depthCount.executions - countOf(before, kDepth).executions, 3);
  EXPECT_EQ(depthCount.rows - countOf(before, kDepth).rows, 0);
  EXPECT_EQ(periodsCount.executions - countOf(before, kPeriods).executions, 2);
  EXPECT_EQ(periodsCount.rows - countOf(before, kPeriods).rows, 6);
  EXPECT_GT(periodsCount.nanoseconds, countOf(before, kPeriods).nanoseconds);
  EXPECT_GT(depthCount.nanoseconds, 0);

  const auto most = after.mostExecuted(100);
  ASSERT_GE(most.size(), 3u);
  EXPECT_EQ(after.mostExecuted(2).size(), 2u);
  for (size_t i = 1; i < most.size(); ++i) EXPECT_GE(most[i - 1].executions, most[i].executions);
  const auto slowest = after.mostTime(100);
  for (size_t i = 1; i < slowest.size(); ++i)
    EXPECT_GE(slowest[i - 1].nanoseconds, slowest[i].nanoseconds);
}

// An insert sent with one, two and three rows is listed once, under its
// one-row text, with the executions, rows and time of all three.
TEST_F(SessionStatusTest, GrownStatementsAreListedUnderTheirOneRowText) {
  int32_t number = 0;
  const auto period = [&]() -> std::vector<In> {
    ++number;
    return {"G", number, "2024.01.01", "2024.01.31"};
  };
  ASSERT_EQ(db().exec(kAddPeriod, period()), kOk);
  for (size_t rows : {2, 3}) {
    std::vector<In> in;
    for (size_t r = 0; r < rows; ++r)
      for (In& v : period()) in.push_back(v);
    ASSERT_EQ(db().exec(multiRowInsert(kAddPeriod, rows), in), kOk);
  }
  const Counters after = db().counters();
  for (const auto& list : {after.mostExecuted(1000), after.mostTime(1000)}) {
    int listed = 0;
    for (const StatementCount& s : list) {
      if (std::string_view(s.sql).find("Hor330Abr (") == std::string_view::npos) continue;
      ++listed;
      EXPECT_EQ(s.sql, kAddPeriod);
      EXPECT_EQ(s.executions, 3);
    }
    EXPECT_EQ(listed, 1);
  }
}

TEST_F(SessionStatusTest, ADateReadAsStoredKeepsItsTime) {
  constexpr char kAdd[] =
      "insert into Hor330Abr (AbrAkr,AbrNum,AbrVon,AbrBis,AbrSts) values "
      "('T1',1,'2024.01.05 10:30:00','2024.01.31',0)";
  ASSERT_EQ(db().exec(kAdd), kOk);
  Cursor c(db(), kPeriods);
  c.open({"T1"});
  int32_t number = 0;
  std::string von;
  ASSERT_EQ(c.fetch({number, Out(von).asStored()}), kOk);
  EXPECT_EQ(von, "2024.01.05 10:30:00");
  c.open({"T1"});
  ASSERT_EQ(c.fetch({number, von}), kOk);
  EXPECT_EQ(von, "2024.01.05");
  Cursor end(db(), kPeriodsEnd);
  end.open({"T1"});
  ASSERT_EQ(end.fetch({Out(von).asStored()}), kOk);
  EXPECT_EQ(von, "2024.01.31");
}

// Counts how often the engine is asked to prepare a statement.
class CountingEngine : public Engine {
 public:
  CountingEngine(std::unique_ptr<Engine> inner, int& prepares)
      : inner_(std::move(inner)), prepares_(prepares) {}
  Dialect dialect() const override { return inner_->dialect(); }
  std::unique_ptr<EngineStatement> prepare(const std::string& text, int& status) override {
    ++prepares_;
    return inner_->prepare(text, status);
  }
  int run(const std::string& text) override { return inner_->run(text); }
  int setSchema(const std::string& schema) override { return inner_->setSchema(schema); }
  int createSchema(const std::string& schema) override { return inner_->createSchema(schema); }
  int commit() override { return inner_->commit(); }
  int rollback() override { return inner_->rollback(); }
  int tryRunLock(const std::string& schema) override { return inner_->tryRunLock(schema); }
  int refreshStatistics(const std::string& table) override {
    return inner_->refreshStatistics(table);
  }

 private:
  std::unique_ptr<Engine> inner_;
  int& prepares_;
};

TEST_F(SessionStatusTest, PreparesEachTextOnceAndOneMoreForEachCursorOpenAtTheSameTime) {
  addPeriods("A1", 2);
  int prepares = 0, st = 0;
  Session s(
      std::make_unique<CountingEngine>(connectEngine({"", "", inst.service()}, st), prepares));
  ASSERT_EQ(s.execDynamic("ALTER SESSION SET CURRENT_SCHEMA=TEST"), kOk);
  int16_t depth = 0;
  for (int i = 0; i < 3; ++i) s.exec(kDepthOrNull, {"A1"}, {depth});
  EXPECT_EQ(prepares, 1);
  {
    Cursor a(s, kPeriods), b(s, kPeriods);
    a.open({"A1"});
    b.open({"A1"});
    EXPECT_EQ(prepares, 3);
  }
  Cursor again(s, kPeriods);
  again.open({"A1"});
  EXPECT_EQ(prepares, 3);
}

TEST_F(SessionStatusTest, ProcessEndingBetweenCommitsKeepsOnlyCommittedWork) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int st = 0;
    auto s = Session::connect({"", "", inst.service()}, "TEST", st);
    if (!s || s->exec(kAddGroup, {"C1", int16_t{1}}) != kOk || s->commit() != kOk) _exit(2);
    if (s->exec(kAddGroup, {"C2", int16_t{1}}) != kOk) _exit(3);
    _exit(0);  // ends without a commit
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(inst.rows("select AkrNum from O1001AbrKreis order by AkrNum"),
            (std::vector<std::vector<std::string>>{{"C1"}}));
}

}  // namespace
}  // namespace lug::db
