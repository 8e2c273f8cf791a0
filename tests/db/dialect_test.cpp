#include "db/dialect.h"

#include <gtest/gtest.h>

#include "db/multi_row_insert.h"

namespace lug::db {
namespace {

Translation sqlite(const char* text) {
  return translate(text, Dialect::Sqlite);
}

// Statement texts compared without their blanks.
std::string squash(std::string s) {
  std::erase(s, ' ');
  return s;
}
#define EXPECT_SQL(actual, expected) EXPECT_EQ(squash(actual), squash(expected))
#define EXPECT_SQL_HAS(actual, part) \
  EXPECT_NE(squash(actual).find(squash(part)), std::string::npos) << (actual)

TEST(Dialect, IntoListBecomesOutputsWithIndicators) {
  auto t = sqlite("select AkrSsl ,AkrAzr into :b0:b1,:b2:b3  from O1001AbrKreis where AkrNum=:b4");
  EXPECT_TRUE(t.hasInto);
  EXPECT_EQ(t.outputIndicators, (std::vector<bool>{true, true}));
  EXPECT_EQ(t.inputCount, 1);
  EXPECT_SQL(t.text, "select AkrSsl ,AkrAzr  from O1001AbrKreis where AkrNum=?1");

  auto plain = sqlite(
      "select TgbSol into :b0  from Hor320Tgb where ((TgbPnr=:b1 and TgbZtr=1) and TgbDtm=:b2)");
  EXPECT_EQ(plain.outputIndicators, (std::vector<bool>{false}));
  EXPECT_EQ(plain.inputCount, 2);
}

TEST(Dialect, InputWithIndicatorBindsOneValue) {
  auto t = sqlite("update O1001AbrKreis  set AkrRrm=:b0:b1,AkrAzr=:b2 where AkrNum=:b3");
  EXPECT_EQ(t.inputCount, 3);
  EXPECT_SQL(t.text, "update O1001AbrKreis set AkrRrm=?1,AkrAzr=?2 where AkrNum=?3");
  auto values = sqlite("insert into O1001AbrKreis (AkrNum,AkrRrm) values (:b0,:b1:b2)");
  EXPECT_EQ(values.inputCount, 2);
  EXPECT_SQL_HAS(values.text, "values (?1,?2)");
}

TEST(Dialect, RepeatedHostVariableBindsOneValue) {
  auto t = sqlite(
      "select AbrAkr ,AbrNum  from Hor330Abr where ((AbrAkr=:b0 and AbrVon<(select AbrVon  from "
      "Hor330Abr where (AbrAkr=:b0 and AbrNum=:b2))) and AbrSts<>8) order by AbrVon desc");
  EXPECT_EQ(t.inputCount, 2);
  EXPECT_SQL_HAS(t.text, "AbrAkr=?1 and AbrNum=?2");
  auto pg = translate("select x from t where a=:b0 and b=:b1 and c=:b0", Dialect::Postgres);
  EXPECT_SQL(pg.text, "select x from t where a=$1 and b=$2 and c=$1");
}

TEST(Dialect, DualSysdateAndDateFunctions) {
  auto t = sqlite("select TO_CHAR(SYSDATE,'dd.mm.yyyy hh24:mi:ss') into :b0  from dual ");
  EXPECT_SQL(t.text, "select lug_to_char(lug_sysdate(),'dd.mm.yyyy hh24:mi:ss')");
  auto n = sqlite("select (BakDtm+1) into :b0  from HORSYSTEM.Hor133Bak where BakDtm=:b1");
  EXPECT_SQL(n.text, "select ( lug_add_days(BakDtm,1))  from HORSYSTEM.Hor133Bak where BakDtm=?1");
  auto diff =
      sqlite("select (to_date(:b0,'yyyy.mm.dd')-to_date(:b1,'yyyy.mm.dd')) into :b2  from dual ");
  EXPECT_SQL_HAS(diff.text,
                 "lug_days_between(lug_to_date(?1,'yyyy.mm.dd'),lug_to_date(?2,'yyyy.mm.dd'))");
  auto back = sqlite("select max((TgbDtm-1)) from Hor320Tgb");
  EXPECT_SQL_HAS(back.text, "lug_add_days(TgbDtm,-(1))");
  auto months = sqlite("select x from Hor320Tgb where TgbDtm>ADD_MONTHS(:b1,(-1))");
  EXPECT_SQL_HAS(months.text, "lug_add_months(?1,(-1))");
}

TEST(Dialect, NumbersAndConcatenation) {
  auto t = sqlite("update Hor331Zk1  set Zk1Rre=(Zk1Rre* (-1)) where Zk1Rre<0");
  EXPECT_SQL(t.text, "update Hor331Zk1  set Zk1Rre=(Zk1Rre* (-1)) where Zk1Rre<0");
  auto c = sqlite("select a||b||'x' from t");
  EXPECT_SQL_HAS(c.text, "lug_concat( lug_concat(a,b),'x')");
  auto prec = sqlite("select a+b*2-c from t");
  EXPECT_SQL(prec.text, "select a+b*2-c from t");
}

TEST(Dialect, KeyAndCostColumnsCompareEmptyAsEqual) {
  auto t = sqlite("update Hor331Zk2  set Zk2Stt=(Zk2Stt+:b0) where (Zk2Abr=:b1 and Zk2Pnr=:b2)");
  EXPECT_SQL_HAS(t.text, "coalesce(Zk2Pnr,'')=coalesce(?3,'')");
  EXPECT_SQL_HAS(t.text, "Zk2Abr=?2");
  // Columns outside keys keep Oracle's null semantics.
  auto other = sqlite("select x from Hor171Lu1 where Lu1Num=:b0");
  EXPECT_SQL(other.text, "select x from Hor171Lu1 where Lu1Num=?1");
}

TEST(Dialect, AssignmentToAKeyOrCostColumnStaysAnAssignment) {
  auto t = sqlite(
      "update Hor331Zk1  set Zk1Krt=:b0,Zk1Std=(Zk1Std+:b1) where (Zk1Abr=:b2 and Zk1Kst=:b3)");
  EXPECT_SQL(t.text,
             "update Hor331Zk1 set Zk1Krt=?1,Zk1Std=(Zk1Std+?2) where (Zk1Abr=?3 and "
             "coalesce(Zk1Kst,'')=coalesce(?4,''))");
}

TEST(Dialect, TableAliasOfUpdateAndDeleteGetsAs) {
  EXPECT_SQL(sqlite("update HOR331ZK1 a  set Zk1Sta=8 where a.Zk1Abr=:b0").text,
             "update HOR331ZK1 AS a set Zk1Sta=8 where a.Zk1Abr=?1");
  EXPECT_SQL(sqlite("delete  from Hor331Zk1 b where b.Zk1Abr=:b0").text,
             "delete from Hor331Zk1 AS b where b.Zk1Abr=?1");
  EXPECT_SQL(sqlite("update Hor331Zk1  set Zk1Sta=8").text, "update Hor331Zk1 set Zk1Sta=8");
  EXPECT_SQL(sqlite("delete  from Hor331Zk1  where Zk1Abr=:b0").text,
             "delete from Hor331Zk1 where Zk1Abr=?1");
}

TEST(Dialect, GroupedSelectsOrderTiesByTheGroupedColumns) {
  EXPECT_SQL(translate("select A ,B ,sum(C)  from T group by A,trim(B) having sum(C)>0 order by "
                       "A desc",
                       Dialect::Postgres)
                 .text,
             "select A ,B ,sum(C) from T group by A,lug_trim(B) having sum(C)>0 order by A "
             "desc,lug_trim(B)");
  EXPECT_SQL(sqlite("select A ,count(*)  from T group by A,B order by B,A asc").text,
             "select A ,count(*) from T group by A,B order by B NULLS LAST,A asc NULLS LAST");
  EXPECT_SQL(sqlite("select A  from T where A in (select B  from U group by B) order by A").text,
             "select A from T where A in (select B from U group by B) order by A NULLS LAST");
}

TEST(Dialect, StatementKinds) {
  EXPECT_EQ(sqlite("ALTER SESSION SET CURRENT_SCHEMA=ABC").schemaName, "ABC");
  EXPECT_EQ(sqlite("ALTER SESSION SET CURRENT_SCHEMA=AB;drop").schemaName, "");
  EXPECT_EQ(sqlite("alter SESSION SET NLS_DATE_FORMAT = 'yyyy.mm.dd'").kind,
            StatementKind::SetDateFormat);
  EXPECT_TRUE(
      sqlite("insert into Hor331Zk4  select *  from Hor331Zk3 where Zk3Stz='ZR'").insertSelect);
  EXPECT_THROW(sqlite("select (a from t"), std::invalid_argument);
  EXPECT_THROW(sqlite("select 'a from t"), std::invalid_argument);
}

TEST(Dialect, MultiRowInsertNumbersTheHostVariablesOfEveryRowOn) {
  static constexpr char kSingle[] = "insert into T (A,B,C) values (:b0,SYSDATE,:b1)";
  EXPECT_STREQ(multiRowInsert(kSingle, 1), kSingle);
  EXPECT_STREQ(multiRowInsert(kSingle, 3),
               "insert into T (A,B,C) values (:b0,SYSDATE,:b1),(:b2,SYSDATE,:b3),"
               "(:b4,SYSDATE,:b5)");
  EXPECT_EQ(multiRowInsert(kSingle, 3), multiRowInsert(kSingle, 3));  // one text, prepared once
  EXPECT_EQ(translate(multiRowInsert(kSingle, 3), Dialect::Sqlite).inputCount, 6);
  static constexpr char kOne[] = "delete  from T  where (A=:b0 and (B=:b1))";
  EXPECT_STREQ(moreAlternatives(kOne, 3),
               "delete  from T  where (A=:b0 and (B=:b1 or B=:b2 or B=:b3))");
  static constexpr char kPair[] = "delete  from T  where (A=:b0 and (K=:b1 and B=:b2))";
  EXPECT_STREQ(moreAlternatives(kPair, 2),
               "delete  from T  where (A=:b0 and (K=:b1 and B=:b2 or K=:b1 and B=:b3))");
  EXPECT_EQ(translate(moreAlternatives(kPair, 2), Dialect::Sqlite).inputCount, 4);
  static constexpr char kRow[] = "delete  from T  where ((A=:b0 and B=:b1) and C=:b2)";
  EXPECT_STREQ(anyOfRows(kRow, 1), kRow);
  EXPECT_STREQ(anyOfRows(kRow, 2),
               "delete  from T  where (((A=:b0 and B=:b1) and C=:b2) or ((A=:b3 and B=:b4) and "
               "C=:b5))");
  EXPECT_EQ(translate(anyOfRows(kRow, 2), Dialect::Sqlite).inputCount, 6);
  // A text grown both ways gets both texts, and each names its one-row text.
  EXPECT_STREQ(anyOfRows(kPair, 2),
               "delete  from T  where ((A=:b0 and (K=:b1 and B=:b2)) or (A=:b3 and (K=:b4 and "
               "B=:b5)))");
  const std::pair<const char*, const char*> grownAndOneRow[] = {
      {multiRowInsert(kSingle, 3), kSingle},
      {moreAlternatives(kOne, 3), kOne},
      {anyOfRows(kRow, 2), kRow},
      {anyOfRows(kPair, 2), kPair},
      {moreAlternatives(kPair, 2), kPair},
      {kSingle, kSingle}};
  for (const auto& [grown, oneRow] : grownAndOneRow) EXPECT_EQ(grownFrom(grown), oneRow) << grown;
}

}  // namespace
}  // namespace lug::db
