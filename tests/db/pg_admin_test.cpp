// lug-admin init on the server: schemas, tables, calendar and functions, and
// a second init that changes no data.
#include <cstdlib>

#include "pg_engines.h"

namespace lug::test {
namespace {

int adminInit(const Installation& inst, const std::string& schema) {
  const std::string command = std::string(LUG_ADMIN_BINARY) + " init '" + inst.service() + "' " +
                              schema + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

TEST_F(PgOnly, AdminInitCreatesASchemaOnTheServer) {
  ASSERT_EQ(adminInit(inst(), "firma2"), 0);
  int status = 0;
  auto session = db::Session::connect({"", "", inst().service()}, "FIRMA2", status);
  ASSERT_EQ(status, db::kOk);
  static const char kInsertGroup[] = "insert into O1001AbrKreis (AkrNum,AkrAdt) values (:b0,:b1)";
  ASSERT_EQ(session->exec(kInsertGroup, {"A", int16_t{7}}), db::kOk);
  ASSERT_EQ(session->commit(), db::kOk);
  session.reset();

  ASSERT_EQ(adminInit(inst(), "FIRMA2"), 0);  // again: adds what is missing, keeps the data
  EXPECT_EQ(inst().scalar("select AkrAdt from firma2.O1001AbrKreis"), "7");
  EXPECT_EQ(inst().scalar("select count(*) from HORSYSTEM.Hor133Bak"), "40177");
  EXPECT_EQ(inst().scalar("select min(BakDtm) from HORSYSTEM.Hor133Bak"), "1990.01.01");
  EXPECT_EQ(inst().scalar("select count(*) from Horsystem.Hor112Mnd where MndSch='FIRMA2'"), "1");
  // The schema's tables are where the session of FIRMA2 finds them, not in TEST.
  EXPECT_EQ(inst().scalar("select count(*) from O1001AbrKreis"), "0");
}

}  // namespace
}  // namespace lug::test
