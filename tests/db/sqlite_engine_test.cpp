// The embedded engine: service names, schema files, the central schema and
// how values are stored.
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>

#include "db/db_fixture.h"
#include "db/shared_ops.h"

namespace lug::db {
namespace {

using testing::DbTest;

constexpr char kAddGroup[] = "insert into O1001AbrKreis (AkrNum) values (:b0)";

class SqliteEngineTest : public DbTest {
 protected:
  SqliteEngineTest() : DbTest(test::TestEngine::Sqlite) {}

  int connectStatus(const std::string& service, const std::string& schema) {
    int st = 0;
    auto s = Session::connect({"user", "secret", service}, schema, st);
    EXPECT_EQ(s == nullptr, st != kOk);
    return st;
  }
  // The stored type of a column value, as the embedded engine keeps it.
  std::string storedType(const std::string& column, const std::string& table) {
    return inst.scalar("select typeof(" + column + ") from " + table);
  }
};

TEST_F(SqliteEngineTest, ServiceDirectorySelectsTheEngineAndSchemaFile) {
  EXPECT_EQ(connectStatus(inst.service(), "TEST"), kOk);
  EXPECT_EQ(connectStatus("sqlite:" + inst.service(), "TEST"), kOk);
  EXPECT_EQ(connectStatus(inst.service() + "/missing", "TEST"), -12154);
  EXPECT_EQ(connectStatus(inst.service(), "NOFILE"), -1435);
}

TEST_F(SqliteEngineTest, SchemaMustBeAnIdentifier) {
  for (const char* schema : {"", "TE-ST", "A.B", "TEST;X", "TEST'", "A B", "T\xC3\x84ST"})
    EXPECT_NE(connectStatus(inst.service(), schema), kOk) << schema;
}

TEST_F(SqliteEngineTest, EverySchemaSharesTheCentralSchema) {
  static constexpr char kCalendarDays[] =
      "select count(*) into :b0  from HORSYSTEM.Hor133Bak where BakDtm like '2024.%'";
  static constexpr char kGroups[] = "select count(*) into :b0  from O1001AbrKreis ";
  int st = 0;
  ASSERT_EQ(connectEngine({"", "", inst.service()}, st)->createSchema("OTHER"), kOk);
  auto other = Session::connect({"", "", inst.service()}, "OTHER", st);
  ASSERT_NE(other, nullptr);
  int32_t days = 0;
  EXPECT_EQ(other->exec(kCalendarDays, {}, {days}), kOk);
  EXPECT_EQ(days, 366);
  EXPECT_EQ(other->exec(kGroups, {}, {days}), -942);  // the tables of TEST are not in OTHER
  std::string site = "x";
  EXPECT_EQ(siteNumber(*other, "OTHER", site), kNoData);
  EXPECT_EQ(site, "");
}

TEST_F(SqliteEngineTest, DatesAreStoredAsTextAndEmptyTextAsNull) {
  static constexpr char kAddPeriod[] =
      "insert into Hor330Abr (AbrAkr,AbrNum,AbrVon,AbrBis) values "
      "(:b0,:b1,TO_DATE(:b2,'dd.mm.yyyy'),:b3)";
  ASSERT_EQ(db().exec(kAddPeriod, {"", int32_t{1}, "01.03.2024", "2024.03.31"}), kOk);
  db().commit();
  EXPECT_EQ(storedType("AbrAkr", "Hor330Abr"), "null");
  EXPECT_EQ(storedType("AbrVon", "Hor330Abr"), "text");
  EXPECT_EQ(inst.rows("select AbrVon, AbrBis from Hor330Abr"),
            (std::vector<std::vector<std::string>>{{"2024.03.01", "2024.03.31"}}));
}

TEST_F(SqliteEngineTest, MalformedClockIsAStatementError) {
  ::setenv("LUG_SYSDATE", "morgen", 1);
  std::string now = "stale";
  EXPECT_EQ(clockLong(db(), now), -1861);
  EXPECT_EQ(now, "");
  ::unsetenv("LUG_SYSDATE");
}

TEST_F(SqliteEngineTest, WriteBlockedByAnotherConnectionIsFatalAfterTheBusyTimeout) {
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((inst.service() + "/TEST.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(db().exec(kAddGroup, {"A1"}), kFatal);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
}

TEST_F(SqliteEngineTest, UnreadableDatabaseFileIsFatal) {
  std::ofstream(inst.service() + "/BROKEN.db", std::ios::binary) << std::string(8192, 'x');
  int st = 0;
  EXPECT_EQ(Session::connect({"", "", inst.service()}, "BROKEN", st), nullptr);
  EXPECT_EQ(st, kFatal);
}

// Reads aside run on a second connection, stepped by a thread of its own:
// each cursor gets the rows it sent for in whatever order they are taken, a
// read sent but never taken (or still running when its cursor goes) leaves
// the others right, a failure shows at the open, and the session's own
// uncommitted writes are not seen (only committed rows are).
TEST_F(SqliteEngineTest, ReadsAsideAnswerEachCursorFromTheSecondConnection) {
  static const char kInsertMode[] = "insert into Hor155Sfr (SfrMod,SfrAnz) values (:b0,:b1)";
  static const char kModesFrom[] =
      "select SfrMod  from Hor155Sfr where (SfrMod>=:b0 and SfrMod<'5') order by SfrMod";
  for (const char* mode : {"1", "2", "3"}) ASSERT_EQ(db().exec(kInsertMode, {mode, 1}), kOk);
  ASSERT_EQ(db().commit(), kOk);
  ASSERT_EQ(db().exec(kInsertMode, {"4", 1}), kOk);  // not committed
  const auto rows = [](Cursor& c, Ins in) {
    std::string all, mode;
    EXPECT_EQ(c.open(in), kOk);
    while (c.fetch({mode}) == kOk) all += mode;
    c.close();
    return all;
  };
  Cursor a(db(), kModesFrom, Cursor::Mode::Aside);
  Cursor b(db(), kModesFrom, Cursor::Mode::Aside);
  {
    Cursor unread(db(), kModesFrom, Cursor::Mode::Aside);
    ASSERT_EQ(a.send({"2"}), kOk);
    ASSERT_EQ(unread.send({"1"}), kOk);
    ASSERT_EQ(b.send({"3"}), kOk);
  }
  EXPECT_EQ(rows(b, {"3"}), "3");
  EXPECT_EQ(rows(a, {"2"}), "23");
  EXPECT_EQ(rows(b, {"1"}), "123");  // sent at the open
  Cursor plain(db(), kModesFrom);
  EXPECT_EQ(rows(plain, {"1"}), "1234");
  Cursor missing(db(), "select SfrMod  from Hor155Sfx ", Cursor::Mode::Aside);
  EXPECT_EQ(missing.open(), -942);
  std::string mode;
  EXPECT_EQ(missing.fetch({mode}), -942);
}

}  // namespace
}  // namespace lug::db
