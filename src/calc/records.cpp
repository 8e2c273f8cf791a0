#include "calc/records.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/multi_row_insert.h"

namespace lug::calc {
namespace {

constexpr char kLargestNumber[] = "select max(Zk1Su1) into :b0:b1  from Hor331Zk1 ";
constexpr double kNumberLimit = 999999999999.0;

constexpr char kInsertZk1[] =
    "insert into Hor331Zk1 (Zk1Abr,Zk1Lfn,Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,"
    "Zk1Krt,Zk1Std,Zk1Tge,Zk1Stg,Zk1Von,Zk1Bis,Zk1Sts,Zk1Rre,Zk1Sta,Zk1Dat,Zk1Upn,Zk1Inf,Zk1Su1) "
    "values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,"
    "SYSDATE,:b19,:b20,:b21)";
constexpr char kInsertZk1NextMonth[] =
    "insert into Hor331Zk1 (Zk1Abr,Zk1Lfn,Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,"
    "Zk1Krt,Zk1Std,Zk1Tge,Zk1Stg,Zk1Von,Zk1Bis,Zk1Sts,Zk1Rre,Zk1Sta,Zk1Dat,Zk1Upn,Zk1Inf,Zk1Su1) "
    "values (:b0,:b1,:b2,add_months(:b3,1),:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,"
    ":b16,:b17,:b18,SYSDATE,:b19,:b20,:b21)";
constexpr char kAddZk1[] =
    "update Hor331Zk1  set Zk1Krt=:b0,Zk1Std=(Zk1Std+:b1),Zk1Tge=(Zk1Tge+:b2),Zk1Stg=(Zk1Stg+:b3) "
    "where (((((((((((Zk1Abr=:b4 and Zk1Lfn=:b5) and Zk1Stz=:b6) and Zk1Bdt=:b7) and Zk1Pnr=:b8) "
    "and Zk1Zkt=:b9) and Zk1Lna=:b10) and Zk1Lgr=:b11) and Zk1Kst=:b12) and Zk1Ktr=:b13) and "
    "Zk1Von=:b14) and Zk1Bis=:b15)";

constexpr char kInsertZk3[] =
    "insert into Hor331Zk3 (Zk3Key,Zk3Abr,Zk3Lfn,Zk3Stz,Zk3Bdt,Zk3Pnr,Zk3Zkt,Zk3Lna,Zk3Lgr,Zk3Kst,"
    "Zk3Ktr,Zk3Krt,Zk3Std,Zk3Tge,Zk3Stg,Zk3Von,Zk3Bis,Zk3Sts,Zk3Upn,Zk3Inf) values "
    "(:b0,:b1,:b2,:b3,"
    ":b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,:b19)";
constexpr char kInsertZk3NextMonth[] =
    "insert into Hor331Zk3 (Zk3Key,Zk3Abr,Zk3Lfn,Zk3Stz,Zk3Bdt,Zk3Pnr,Zk3Zkt,Zk3Lna,Zk3Lgr,Zk3Kst,"
    "Zk3Ktr,Zk3Krt,Zk3Std,Zk3Tge,Zk3Stg,Zk3Von,Zk3Bis,Zk3Sts,Zk3Upn,Zk3Inf) values "
    "(:b0,:b1,:b2,:b3,"
    "add_months(:b4,1),:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,:b19)";
constexpr char kAddZk3[] =
    "update Hor331Zk3  set Zk3Krt=:b0,Zk3Std=(Zk3Std+:b1),Zk3Tge=(Zk3Tge+:b2),Zk3Stg=(Zk3Stg+:b3) "
    "where ((((((((((Zk3Key=:b4 and Zk3Abr=:b5) and Zk3Lfn=:b6) and Zk3Stz=:b7) and Zk3Bdt=:b8) "
    "and Zk3Pnr=:b9) and Zk3Zkt=:b10) and Zk3Lna=:b11) and Zk3Lgr=:b12) and Zk3Kst=:b13) and "
    "Zk3Ktr=:b14)";

constexpr db::InsertOrAdd kZk1{.insert = kInsertZk1, .add = kAddZk1};
constexpr db::InsertOrAdd kZk3{.insert = kInsertZk3, .add = kAddZk3};

// The work table's record kind holds four characters.
constexpr size_t kWorkKindWidth = 4;

// Minutes of the work table are whole numbers.
int32_t wholeMinutes(double minutes) {
  return static_cast<int32_t>(std::lround(minutes));
}

// The key columns both tables share, separated by a character no key holds.
std::string sharedKey(const std::string& stz, const Record& r) {
  std::string key;
  for (const std::string* part : {&stz, &r.bdt, &r.pnr, &r.zkt, &r.lna, &r.lgr, &r.kst, &r.ktr})
    key += *part, key += '\x1f';
  return key;
}

// Adds `more` to `sum` when the result still fits T.
template <class T>
bool addWithin(T& sum, int64_t more) {
  const int64_t result = int64_t{sum} + more;
  if (result < std::numeric_limits<T>::min() || result > std::numeric_limits<T>::max())
    return false;
  sum = static_cast<T>(result);
  return true;
}

// The status of an insert that leaves a stored key alone: another failure is
// logged with `failed` when given; -9999 ends the run.
void unlessStored(RunContext& ctx, int st, const char* failed) {
  if (failed && st != db::kOk && st != db::kDupKey)
    ctx.fail(st, failed, st);
  else
    ctx.abortIfFatal(st);
}

void writeNow(RunContext& ctx, RecordWriter& to, const Record& r, const char* insertFailed,
              const char* updateFailed) {
  const db::Written w = to.insertOrAdd(r);
  if (w.status != db::kOk)
    ctx.fail(w.status, w.step == db::WriteStep::Add ? updateFailed : insertFailed, w.status);
}

}  // namespace

Record lineRecord(const InterfaceLine& line, const Booking& b, const std::string& upn) {
  return Record{.stz = line.stz,
                .pnr = b.pnr,
                .zkt = b.zkt,
                .lna = line.lna,
                .lgr = line.groupKey(),
                .kst = b.kst,
                .ktr = b.ktr,
                .krt = b.krt,
                .stg = b.stg,
                .sts = line.sts,
                .rre = line.rre,
                .upn = upn};
}

int SequenceNumbers::start(db::Session& db) {
  on_ = true;
  return db.exec(kLargestNumber, {}, {last_});
}

double SequenceNumbers::candidate(int16_t sts) const {
  if (!on_ || sts <= 0) return 0;
  const double next = last_ + 1;
  return next >= kNumberLimit ? 1 : next;
}

void SequenceNumbers::taken(double number) {
  if (number > 0) last_ = number;
}

std::vector<db::In> PeriodRecords::insertValues(const Record& r, double su1) const {
  return {abr_,  lfn_,  r.stz, r.bdt, r.pnr, r.zkt, r.lna, r.lgr, r.kst, r.ktr, r.krt,
          r.std, r.tge, r.stg, r.von, r.bis, r.sts, r.rre, r.sta, r.upn, r.inf, su1};
}

int PeriodRecords::store(const Record& r, bool nextMonth) {
  const double su1 = numbers_.candidate(r.sts);
  const int st = db_.exec(nextMonth ? kInsertZk1NextMonth : kInsertZk1, insertValues(r, su1));
  if (st == db::kOk) numbers_.taken(su1);
  return st;
}

std::string PeriodRecords::keyOf(const Record& r) const {
  return sharedKey(r.stz, r) + r.von + '\x1f' + r.bis;
}

const char* PeriodRecords::insertText() const {
  return kInsertZk1;
}

void PeriodRecords::appendValues(const Record& r, std::vector<db::In>& values) const {
  for (db::In& v : insertValues(r, 0)) values.push_back(std::move(v));
}

db::Written PeriodRecords::insertOrAdd(const Record& r) {
  const double su1 = numbers_.candidate(r.sts);
  const db::Written w = db::insertOrAdd(db_, kZk1, insertValues(r, su1),
                                        {r.krt, r.std, r.tge, r.stg, abr_, lfn_, r.stz, r.bdt,
                                         r.pnr, r.zkt, r.lna, r.lgr, r.kst, r.ktr, r.von, r.bis});
  if (w.status == db::kOk && w.step == db::WriteStep::Insert) numbers_.taken(su1);
  return w;
}

std::vector<db::In> WorkRecords::insertValues(const Record& r) const {
  return {key_,
          abr_,
          lfn_,
          r.stz.substr(0, kWorkKindWidth),
          r.bdt,
          r.pnr,
          r.zkt,
          r.lna,
          r.lgr,
          r.kst,
          r.ktr,
          r.krt,
          wholeMinutes(r.std),
          r.tge,
          int32_t{r.stg},
          r.von,
          r.bis,
          r.sts,
          r.upn,
          r.inf};
}

int WorkRecords::store(const Record& r, bool nextMonth) {
  return db_.exec(nextMonth ? kInsertZk3NextMonth : kInsertZk3, insertValues(r));
}

std::string WorkRecords::keyOf(const Record& r) const {
  return sharedKey(r.stz.substr(0, kWorkKindWidth), r);
}

double WorkRecords::addedMinutes(const Record& r) const {
  return wholeMinutes(r.std);
}

const char* WorkRecords::insertText() const {
  return kInsertZk3;
}

void WorkRecords::appendValues(const Record& r, std::vector<db::In>& values) const {
  for (db::In& v : insertValues(r)) values.push_back(std::move(v));
}

db::Written WorkRecords::insertOrAdd(const Record& r) {
  return db::insertOrAdd(
      db_, kZk3, insertValues(r),
      {r.krt, wholeMinutes(r.std), r.tge, int32_t{r.stg}, key_, abr_, lfn_,
       r.stz.substr(0, kWorkKindWidth), r.bdt, r.pnr, r.zkt, r.lna, r.lgr, r.kst, r.ktr});
}

void RecordWriter::insertUnlessStored(RunContext& ctx, const Record& r, const char* failed) {
  if (gathering())
    keep(r, Write{.storeFailed = failed});
  else
    unlessStored(ctx, insert(r), failed);
}

void RecordWriter::keep(const Record& r, const Write& write) {
  const auto [at, added] = keys_.try_emplace(keyOf(r), rows_.size());
  const size_t row = at->second;
  calls_.push_back({r, row, write});
  if (added) {
    rows_.push_back(r);
    rows_.back().std = addedMinutes(r);
    return;
  }
  if (!write.adds()) return;  // the stored key refuses the insert
  Record& sum = rows_[row];
  sum.krt = r.krt;
  sum.std += addedMinutes(r);
  const bool fits = addWithin(sum.tge, r.tge) && addWithin(sum.stg, r.stg) &&
                    std::fabs(sum.std) <= std::numeric_limits<int32_t>::max();
  if (!fits) exact_ = false;
}

void RecordWriter::flush() {
  if (rows_.empty()) return;
  size_t written = 0;
  while (exact_ && written < rows_.size()) {
    const size_t n = std::min(db::kMaxInsertRows, rows_.size() - written);
    std::vector<db::In> values;
    for (size_t i = written; i < written + n; ++i) appendValues(rows_[i], values);
    if (session().exec(db::multiRowInsert(insertText(), n), values) != db::kOk) break;
    written += n;
  }
  if (written < rows_.size()) writeAgain(written);
  forget();
}

// The calls whose records were not written, one by one in their order.
void RecordWriter::writeAgain(size_t firstRow) {
  for (const Call& c : calls_) {
    if (c.row < firstRow) continue;
    if (c.write.adds())
      writeNow(*gatherFor_, *this, c.record, c.write.insertFailed, c.write.updateFailed);
    else
      unlessStored(*gatherFor_, store(c.record, false), c.write.storeFailed);
  }
}

void RecordWriter::forget() {
  rows_.clear();
  calls_.clear();
  keys_.clear();
  exact_ = true;
}

void insertOrAdd(RunContext& ctx, RecordWriter& to, const Record& r, const char* insertFailed,
                 const char* updateFailed) {
  if (to.gathering())
    to.keep(r, insertFailed, updateFailed);
  else
    writeNow(ctx, to, r, insertFailed, updateFailed);
}

}  // namespace lug::calc
