// The embedded engine: service names, schema files, the central schema and
// how values are stored.
#include <sqlite3.h>

#include "db/db_fixture.h"
#include "db/ddl.h"
#include "db/shared_ops.h"

namespace lug::db {
namespace {

using testing::DbTest;

class SqliteEngineTest : public DbTest {
 protected:
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
      "(:b0,:b1,TO_DATE(:b2,'dd.mm.yyyy'),"
      ":b3)";
  ASSERT_EQ(db().exec(kAddPeriod, {"", int32_t{1}, "01.03.2024", "2024.03.31"}), kOk);
  db().commit();
  EXPECT_EQ(storedType("AbrAkr", "Hor330Abr"), "null");
  EXPECT_EQ(storedType("AbrVon", "Hor330Abr"), "text");
  EXPECT_EQ(inst.rows("select AbrVon, AbrBis from Hor330Abr"),
            (std::vector<std::vector<std::string>>{{"2024.03.01", "2024.03.31"}}));
}

}  // namespace
}  // namespace lug::db
