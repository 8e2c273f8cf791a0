#include "calc/records.h"

#include <gtest/gtest.h>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

class RecordsTest : public CalcTest {
 protected:
  Record monthValue(const std::string& krt, double minutes) const {
    return Record{.stz = "LA",
                  .bdt = "2024.01.01",
                  .pnr = "4711",
                  .zkt = "NORM",
                  .lna = "1000",
                  .lgr = "     ",
                  .kst = "K1",
                  .ktr = "",
                  .krt = krt,
                  .std = minutes,
                  .tge = 10,
                  .stg = 1,
                  .von = "2024.01.01",
                  .bis = "2024.01.31",
                  .sts = 4,
                  .rre = 1,
                  .sta = 1,
                  .upn = "P4711"};
  }
  SequenceNumbers numbers;
  PeriodRecords records{inst.db(), 1, 0, numbers};
};

TEST_F(RecordsTest, InsertOrAddSumsMinutesDaysAndCounterAndTakesTheNewerCostType) {
  insertOrAdd(ctx, records, monthValue("01", 480), "ins %d", "upd %d");
  insertOrAdd(ctx, records, monthValue("02", 120), "ins %d", "upd %d");
  EXPECT_EQ(periodRecords(inst),
            (Lines{"1|0|LA|2024.01.01|4711|NORM|1000|     |K1||02|600|20|2|2024.01.01|2024.01.31|"
                   "4|1|1|P4711|0|0"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk1 where Zk1Dat is null"), "0");
}

TEST_F(RecordsTest, RecordsOfAnotherRunOrSpanAreNotAddedUp) {
  insertOrAdd(ctx, records, monthValue("01", 480), "ins %d", "upd %d");
  PeriodRecords interim{inst.db(), 1, 1, numbers};
  insertOrAdd(ctx, interim, monthValue("01", 60), "ins %d", "upd %d");
  Record otherSpan = monthValue("01", 30);
  otherSpan.von = "2024.01.02";
  insertOrAdd(ctx, records, otherSpan, "ins %d", "upd %d");
  EXPECT_EQ(joinedRows(inst, "select Zk1Lfn,Zk1Von,Zk1Std from Hor331Zk1 order by 1,2"),
            (Lines{"0|2024.01.01|480", "0|2024.01.02|30", "1|2024.01.01|60"}));
}

TEST_F(RecordsTest, FailedInsertIsLoggedWithoutAddition) {
  Record tooLong = monthValue("01", 480);
  tooLong.lna = "123456";  // the wage type of a period record holds five characters
  insertOrAdd(ctx, records, tooLong, "Insert Hor331Zk1-Status %d", "upd %d");
  EXPECT_EQ(log(), (Lines{"Insert Hor331Zk1-Status -12899"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk1"), "0");
}

TEST_F(RecordsTest, Loga2NumbersContinueFromTheLargestStoredOnlyForRecordsWithStatus) {
  inst.insert("Hor331Zk1", {{"Zk1Abr", 7}, {"Zk1Su1", 41.0}});
  SequenceNumbers run;
  PeriodRecords now{inst.db(), 1, 0, run};
  ASSERT_EQ(run.start(inst.db()), 0);
  Record a = monthValue("01", 1), b = monthValue("01", 2), noStatus = monthValue("01", 3);
  b.zkt = "UEB", noStatus.zkt = "SKEY", noStatus.sts = 0;
  ASSERT_EQ(now.insert(a), 0);
  ASSERT_EQ(now.insert(a), db::kDupKey);  // a duplicate takes no number
  ASSERT_EQ(now.insert(noStatus), 0);
  ASSERT_EQ(now.insert(b), 0);
  EXPECT_EQ(joinedRows(inst, "select Zk1Zkt,Zk1Su1 from Hor331Zk1 where Zk1Abr=1 order by 2,1"),
            (Lines{"SKEY|0", "NORM|42", "UEB|43"}));
}

TEST(SequenceNumbers, RestartAtOneBeforeTheLimitAndAreOffByDefault) {
  SequenceNumbers off;
  EXPECT_EQ(off.candidate(4), 0);
  Installation inst;
  inst.insert("Hor331Zk1", {{"Zk1Abr", 1}, {"Zk1Su1", 999999999998.0}});
  SequenceNumbers numbers;
  numbers.start(inst.db());
  EXPECT_EQ(numbers.candidate(4), 1);
  EXPECT_EQ(numbers.candidate(-2), 0);
  numbers.taken(1);
  EXPECT_EQ(numbers.candidate(1), 2);
}

TEST_F(RecordsTest, WorkTableRowsCarryRunKeyAndAreAddedUpOnTheirKey) {
  WorkRecords work{inst.db(), "05.02.2024 08:00:00", 3, 2};
  Record r = monthValue("01", 480);
  r.stz = "ZR*E1";  // the work table carries four characters of the record kind
  r.inf = 1;
  ASSERT_EQ(work.insert(r), 0);
  r.krt = "09";
  const db::Written added = work.insertOrAdd(r);
  ASSERT_EQ(added.status, 0);
  ASSERT_EQ(added.step, db::WriteStep::Add);
  r.bdt = "2024.01.15";
  ASSERT_EQ(work.insertNextMonth(r), 0);
  EXPECT_EQ(
      joinedRows(inst,
                 "select Zk3Key,Zk3Abr,Zk3Lfn,Zk3Stz,Zk3Bdt,Zk3Pnr,Zk3Zkt,Zk3Lna,Zk3Lgr,Zk3Kst,"
                 "Zk3Ktr,Zk3Krt,Zk3Std,Zk3Tge,Zk3Stg,Zk3Von,Zk3Bis,Zk3Sts,Zk3Upn,Zk3Inf from "
                 "Hor331Zk3 order by Zk3Bdt"),
      (Lines{"05.02.2024 08:00:00|3|2|ZR*E|2024.01.01|4711|NORM|1000|     |K1||09|960|20|2|"
             "2024.01.01|2024.01.31|4|P4711|1",
             "05.02.2024 08:00:00|3|2|ZR*E|2024.02.15|4711|NORM|1000|     |K1||09|480|10|1|"
             "2024.01.01|2024.01.31|4|P4711|1"}));
}

// Gathered insert-or-add must leave the table and the log as writing each
// record at once: the same sums and cost types, keys that met a row stored
// before the flush added to it, a value too long logged once while the other
// records are written.
TEST_F(RecordsTest, GatheredRecordsEndAsRecordsWrittenAtOnce) {
  Record first = monthValue("01", 480.4), second = monthValue("02", 120.4);
  Record other = monthValue("03", 30), stored = monthValue("04", 15), tooLong = monthValue("05", 1);
  other.zkt = "UEB", stored.zkt = "NACHT", tooLong.lna = "123456";
  struct Call {
    Record record;
    bool adds = true;              // insert-or-add, else an insert that leaves a stored key alone
    const char* failed = nullptr;  // the message of the insert's other failures
  };
  std::vector<Call> manyKeys;
  for (int i = 0; i < 70; ++i) {
    manyKeys.push_back({other});
    manyKeys.back().record.kst = "K" + std::to_string(i);
  }
  struct Case {
    const char* name;
    std::vector<Call> calls;
    size_t rowsAfterFlush;
  };
  const Case cases[] = {
      {"added up", {{first}, {other}, {second}, {first}}, 2},
      {"more than one insert", manyKeys, 70},
      {"meets a stored row", {{first}, {stored}, {second}}, 1},
      {"value too long", {{first}, {tooLong}, {other}, {second}}, 2},
      {"inserts unless stored", {{first, false}, {second, false}, {second}, {other, false}}, 2},
      {"insert meets a stored row", {{other}, {stored, false}}, 1},
      {"insert logs a value too long",
       {{first, false, "plain %d"}, {tooLong, false, "plain %d"}, {stored, false, "plain %d"}},
       1},
  };
  const std::string all =
      "select Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Krt,Zk1Std,Zk1Tge,Zk1Stg,"
      "Zk1Von,Zk1Bis,Zk1Sts,Zk1Rre,Zk1Sta,Zk1Upn,Zk1Inf,Zk1Su1 from Hor331Zk1 order by "
      "Zk1Zkt,Zk1Kst";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines expected[2], logged[2];
    for (bool gather : {false, true}) {
      inst.db().exec("delete from Hor331Zk1");
      const size_t logBefore = log().size();
      PeriodRecords writer{inst.db(), 1, 0, numbers};
      writer.insert(stored);
      if (gather) writer.gather(ctx);
      for (const Call& call : c.calls)
        if (call.adds)
          insertOrAdd(ctx, writer, call.record, "ins %d", "upd %d");
        else
          writer.insertUnlessStored(ctx, call.record, call.failed);
      if (gather) {
        EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk1"), "1");  // nothing before the flush
        writer.flush();
      }
      expected[gather] = joinedRows(inst, all);
      const Lines lines = log();
      logged[gather] = Lines(lines.begin() + static_cast<ptrdiff_t>(logBefore), lines.end());
    }
    EXPECT_EQ(expected[1], expected[0]);
    EXPECT_EQ(expected[1].size(), c.rowsAfterFlush + 1);
    EXPECT_EQ(logged[1], logged[0]);
  }
  EXPECT_EQ(log(), (Lines{"ins -12899", "ins -12899", "plain -12899", "plain -12899"}));
}

}  // namespace
}  // namespace lug::calc::test
