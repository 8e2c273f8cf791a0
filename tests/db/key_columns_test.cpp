// Empty key and cost columns: records are found and merged by them also when
// a cost centre or cost unit is empty; everywhere else an empty text is NULL.
#include "db/db_fixture.h"

namespace lug::db {
namespace {

constexpr char kInsertRecord[] =
    "insert into Hor331Zk1 "
    "(Zk1Abr,Zk1Lfn,Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Krt,Zk1Std,Zk1Tge,"
    "Zk1Stg,Zk1Von,Zk1Bis,Zk1Sts,Zk1Rre,Zk1Sta,Zk1Dat,Zk1Upn,Zk1Inf,Zk1Su1) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,SYSDATE,"
    ":b19,:b20,:b21)";
constexpr char kAddToRecord[] =
    "update Hor331Zk1  set Zk1Krt=:b0,Zk1Std=(Zk1Std+:b1),Zk1Tge=(Zk1Tge+:b2),Zk1Stg=(Zk1Stg+:b3) "
    "where (((((((((((Zk1Abr=:b4 and Zk1Lfn=:b5) and Zk1Stz=:b6) and Zk1Bdt=:b7) and Zk1Pnr=:b8) "
    "and Zk1Zkt=:b9) and Zk1Lna=:b10) and Zk1Lgr=:b11) and Zk1Kst=:b12) and Zk1Ktr=:b13) and "
    "Zk1Von=:b14) and Zk1Bis=:b15)";

class KeyColumnsTest : public testing::DbTest {
 protected:
  // A period record of 4711 on cost centre 100 with the given cost unit.
  int insertRecord(const char* ktr, int32_t minutes) {
    return db().exec(
        kInsertRecord,
        {int32_t{202403}, int16_t{0}, "LA",         "2024.03.31", "4711",     "Z01",
         "100",           "",         "100",        ktr,          "",         double(minutes),
         int32_t{0},      int16_t{0}, "2024.03.01", "2024.03.31", int16_t{0}, int16_t{1},
         int16_t{0},      "4711",     int16_t{0},   0.0});
  }
  int addMinutes(const char* ktr, int32_t minutes) {
    return db().exec(kAddToRecord, {"K1", double(minutes), int32_t{0}, int16_t{0}, int32_t{202403},
                                    int16_t{0}, "LA", "2024.03.31", "4711", "Z01", "100", "", "100",
                                    ktr, "2024.03.01", "2024.03.31"});
  }
};

TEST_F(KeyColumnsTest, EmptyKeyPartsCountAsEqualInTheUniqueKey) {
  EXPECT_EQ(insertRecord("", 60), kOk);
  EXPECT_EQ(insertRecord("", 30), kDupKey);
  EXPECT_EQ(insertRecord("KT1", 30), kOk);
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk1 where Zk1Ktr is null and Zk1Lgr is null"),
            "1");
}

TEST_F(KeyColumnsTest, AddingUpdateFindsTheRecordWithAnEmptyCostUnit) {
  ASSERT_EQ(insertRecord("", 60), kOk);
  ASSERT_EQ(insertRecord("KT1", 10), kOk);
  EXPECT_EQ(addMinutes("", 30), kOk);
  EXPECT_EQ(addMinutes("KT2", 30), kNoData);
  EXPECT_EQ(inst.rows("select Zk1Ktr, Zk1Std, Zk1Krt from Hor331Zk1 order by Zk1Ktr"),
            (std::vector<std::vector<std::string>>{{"KT1", "10", ""}, {"", "90", "K1"}}));
}

TEST_F(KeyColumnsTest, EmptyTextStaysNullOutsideKeyAndCostColumns) {
  static constexpr char kLines[] = "select count(*) into :b0  from Hor171Lu1 where Lu1Num=:b1";
  inst.insert("Hor171Lu1", {{"Lu1Num", ""}, {"Lu1Lna", "x"}});
  int32_t count = -1;
  EXPECT_EQ(db().exec(kLines, {""}, {count}), kOk);
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace lug::db
