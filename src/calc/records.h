#pragma once
// The records the period calculation hands over, and where they go: the
// period records of Hor331Zk1 or the recalculation work table Hor331Zk3. The
// computations build a Record and give it to a RecordWriter; which table it
// lands in, under which period and run, is the writer's matter.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/run_context.h"
#include "calc/source_rows.h"
#include "db/insert_or_add.h"
#include "db/session.h"

namespace lug::calc {

// One period record without its period, run number and sequence number.
struct Record {
  std::string stz{};  // record kind
  std::string bdt{};  // booking date
  std::string pnr{};
  std::string zkt{};  // time account
  std::string lna{};  // wage type
  std::string lgr{};  // group key
  std::string kst{}, ktr{}, krt{};
  double std = 0;   // minutes
  int32_t tge = 0;  // tenths of a day
  int16_t stg = 0;  // counter
  std::string von{}, bis{};
  int16_t sts = 0;    // status of the interface line
  int16_t rre = 0;    // recalculation marker
  int16_t sta = 0;    // origin: 0 special, 1 month value, 2 day value or span
  std::string upn{};  // payroll personnel number
  int16_t inf = 0;    // 1: span of half days
};

// A booking handed over under an interface line: record kind, wage type,
// group key, status and marker of the line; account, cost assignment and
// counter of the booking. Booking date, span, origin and values are left to
// the caller.
Record lineRecord(const InterfaceLine& line, const Booking& b, const std::string& upn);

// Zk1Su1 of the "LOGA2" payroll type: continues from the largest number stored.
class SequenceNumbers {
 public:
  // Reads the largest stored number and switches numbering on.
  int start(db::Session& db);
  bool on() const { return on_; }
  // The number a record with this status gets, 0 when it gets none.
  double candidate(int16_t sts) const;
  // Called once the record with that number is stored.
  void taken(double number);

 private:
  bool on_ = false;
  double last_ = 0;
};

// Where records go. Insert-or-add writes at once, unless the writer gathers:
// then the records are kept in memory, added up under the table's unique key
// as the adding update would add them, and flush() writes them with
// multi-row inserts, in the order their keys first came. A plain insert
// flushes first, so that it meets the gathered records in the table. When a
// multi-row insert fails (a key stored before, a value too long, a lost
// connection), its records are written again call by call as without
// gathering, so every failure is met, logged and handled as before, only at
// the flush.
class RecordWriter {
 public:
  enum class Table { PeriodRecords, WorkTable };
  virtual ~RecordWriter() = default;
  virtual Table table() const = 0;
  // Inserts the record; the status -1 tells that its key is stored already.
  int insert(const Record& r) {
    flush();
    return store(r, false);
  }
  // The same with the booking date one month after r.bdt (follow months).
  int insertNextMonth(const Record& r) {
    flush();
    return store(r, true);
  }
  // Inserts the record unless its key is stored already. Another failure is
  // logged with `failed` (a format taking the status) when given; -9999 ends
  // the run. A gathering writer keeps it for its next flush.
  void insertUnlessStored(RunContext& ctx, const Record& r, const char* failed = nullptr);
  // Insert-or-add: a record whose key is stored already gets its minutes,
  // days and counter added to the stored record, whose cost type it replaces.
  virtual db::Written insertOrAdd(const Record& r) = 0;

  // From now on insert-or-add gathers; failures are logged through `ctx`.
  void gather(RunContext& ctx) { gatherFor_ = &ctx; }
  bool gathering() const { return gatherFor_ != nullptr && canGather(); }
  // Keeps a record of insert-or-add for the next flush; `insertFailed` and
  // `updateFailed` as for calc::insertOrAdd.
  void keep(const Record& r, const char* insertFailed, const char* updateFailed) {
    keep(r, {.insertFailed = insertFailed, .updateFailed = updateFailed});
  }
  // Writes the gathered records; -9999 ends the run.
  void flush();

 protected:
  virtual int store(const Record& r, bool nextMonth) = 0;
  virtual bool canGather() const { return true; }
  // The record's unique key within the writer's table, period and run.
  virtual std::string keyOf(const Record& r) const = 0;
  // The minutes the adding update adds.
  virtual double addedMinutes(const Record& r) const { return r.std; }
  // The single-row insert of a gathered record, and its values.
  virtual const char* insertText() const = 0;
  virtual void appendValues(const Record& r, std::vector<db::In>& values) const = 0;
  virtual db::Session& session() = 0;

 private:
  // What a call asked for: insert-or-add with its messages, or an insert
  // that leaves a stored key alone (with the message of other failures, if
  // any).
  struct Write {
    const char* insertFailed = nullptr;
    const char* updateFailed = nullptr;
    const char* storeFailed = nullptr;
    bool adds() const { return insertFailed != nullptr; }
  };
  // One call, kept to write it again after a failure.
  struct Call {
    Record record;
    size_t row;  // index of its gathered record
    Write write;
  };
  void keep(const Record& r, const Write& write);
  void writeAgain(size_t firstRow);
  void forget();

  RunContext* gatherFor_ = nullptr;
  std::vector<Record> rows_;                      // gathered, added up
  std::vector<Call> calls_;                       // as they came
  std::unordered_map<std::string, size_t> keys_;  // unique key -> index in rows_
  bool exact_ = true;  // false once a sum left the range the record holds
};

// Hor331Zk1 under a period and run number.
class PeriodRecords : public RecordWriter {
 public:
  PeriodRecords(db::Session& db, int32_t abr, int16_t lfn, SequenceNumbers& numbers)
      : db_(db), abr_(abr), lfn_(lfn), numbers_(numbers) {}
  Table table() const override { return Table::PeriodRecords; }
  db::Written insertOrAdd(const Record& r) override;

 private:
  int store(const Record& r, bool nextMonth) override;
  // Sequence numbers follow the order in which records are stored.
  bool canGather() const override { return !numbers_.on(); }
  std::string keyOf(const Record& r) const override;
  const char* insertText() const override;
  void appendValues(const Record& r, std::vector<db::In>& values) const override;
  db::Session& session() override { return db_; }
  std::vector<db::In> insertValues(const Record& r, double su1) const;
  db::Session& db_;
  int32_t abr_;
  int16_t lfn_;
  SequenceNumbers& numbers_;
};

// Hor331Zk3 under the run key, a period and the run number.
class WorkRecords : public RecordWriter {
 public:
  WorkRecords(db::Session& db, std::string key, int32_t abr, int16_t lfn)
      : db_(db), key_(std::move(key)), abr_(abr), lfn_(lfn) {}
  Table table() const override { return Table::WorkTable; }
  db::Written insertOrAdd(const Record& r) override;

 private:
  int store(const Record& r, bool nextMonth) override;
  std::string keyOf(const Record& r) const override;
  double addedMinutes(const Record& r) const override;
  const char* insertText() const override;
  void appendValues(const Record& r, std::vector<db::In>& values) const override;
  db::Session& session() override { return db_; }
  std::vector<db::In> insertValues(const Record& r) const;
  db::Session& db_;
  std::string key_;
  int32_t abr_;
  int16_t lfn_;
};

// Insert-or-add: a record whose key is stored already is added to the stored
// one. A failed insert is logged with `insertFailed`, a failed addition with
// `updateFailed` (each a format with the status); -9999 ends the run. A
// gathering writer keeps the record for its next flush.
void insertOrAdd(RunContext& ctx, RecordWriter& to, const Record& r, const char* insertFailed,
                 const char* updateFailed);

}  // namespace lug::calc
