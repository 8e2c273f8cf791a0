// Creating the tables on an installation that has them already: an older
// table gains the columns a newer program reads, and keeps its rows.
#include "db/ddl.h"

#include "db/db_fixture.h"

namespace lug::db {
namespace {

class DdlTest : public testing::DbTest {};

TEST_F(DdlTest, InitOnAnOlderInstallationAddsMissingColumnsAndKeepsRows) {
  ASSERT_EQ(db().execDynamic("ALTER TABLE Hor171Lu1 DROP COLUMN Lu1Fkz"), kOk);
  ASSERT_EQ(db().exec("insert into Hor171Lu1 (Lu1Num,Lu1Stz,Lu1Ztk,Lu1Lna) values "
                      "('L1','LA','AZ','100')",
                      {}),
            kOk);
  ASSERT_EQ(db().commit(), kOk);
  // The column is missing: a statement that reads it fails.
  int32_t count = 0;
  EXPECT_LT(db().exec("select count(Lu1Fkz) into :b0  from Hor171Lu1 ", {}, {count}), 0);
  db().rollback();

  ASSERT_EQ(createTables(db(), "TEST"), kOk);
  EXPECT_EQ(
      db().exec("select count(Lu1Num) into :b0  from Hor171Lu1 where Lu1Fkz is null", {}, {count}),
      kOk);
  EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace lug::db
