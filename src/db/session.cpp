#include "db/session.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "db/multi_row_insert.h"
#include "db/oracle.h"

namespace lug::db {
namespace {

constexpr int kNotAllBound = -1008;      // ORA-01008: not all variables bound
constexpr int kNotInSelectList = -1007;  // ORA-01007: variable not in select list
constexpr int kTooManyRows = -1422;      // ORA-01422: exact fetch returns more than one row
constexpr int kInvalidSql = -900;        // ORA-00900: invalid SQL statement
constexpr int kInvalidNumber = -1722;    // ORA-01722: invalid number

constexpr int kOverflow = -1455;  // ORA-01455: converting column overflows integer datatype

// Whether a whole number fits the integer type T (false for NaN).
template <typename T>
bool fits(double whole) {
  constexpr double lowest = static_cast<double>(std::numeric_limits<T>::min());
  return whole >= lowest && whole < -lowest;
}

template <typename T>
int storeNumber(void* target, const Value& v) {
  double d = 0;
  switch (v.type) {
    case Value::Type::Int:
      if constexpr (std::is_integral_v<T> && sizeof(T) < sizeof(v.i))
        if (!fits<T>(static_cast<double>(v.i))) return kOverflow;
      *static_cast<T*>(target) = static_cast<T>(v.i);
      return kOk;
    case Value::Type::Real:
      d = v.d;
      break;
    case Value::Type::Text:
      try {
        d = oracle::toNumber(v.s);
      } catch (const oracle::Error&) {
        return kInvalidNumber;
      }
      break;
    case Value::Type::Null:
      return kOk;
  }
  if constexpr (std::is_integral_v<T>) {
    d = std::trunc(d);
    if (!fits<T>(d)) return kOverflow;
  }
  *static_cast<T*>(target) = static_cast<T>(d);
  return kOk;
}

// Whether a stored text is a date with its time of day.
bool dateWithTime(const std::string& stored) {
  return stored.size() == 19 && oracle::looksLikeDate(stored);
}

// Writes the text of a fetched value into `out`, reusing its storage.
void storeText(const Value& v, bool asStored, std::string& out) {
  switch (v.type) {
    case Value::Type::Int:
      out = oracle::numberText(v.i);
      return;
    case Value::Type::Real:
      out = oracle::numberText(v.d);
      return;
    case Value::Type::Text:
      // A date read as text arrives in the session format, without its time.
      if (!asStored && dateWithTime(v.s))
        out.assign(v.s, 0, 10);
      else
        out.assign(v.s);
      return;
    case Value::Type::Null:
      out.clear();
      return;
  }
}

// Adds the time from its construction to its end to the statement count the
// pointer names by then (none while it is null).
class Stopwatch {
 public:
  explicit Stopwatch(StatementCount* const& count)
      : count_(count), start_(std::chrono::steady_clock::now()) {}
  ~Stopwatch() {
    if (!count_) return;
    const auto spent = std::chrono::steady_clock::now() - start_;
    count_->nanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count();
  }
  Stopwatch(const Stopwatch&) = delete;
  Stopwatch& operator=(const Stopwatch&) = delete;

 private:
  StatementCount* const& count_;
  std::chrono::steady_clock::time_point start_;
};

template <class Before>
std::vector<StatementCount> firstOf(const std::vector<StatementCount>& each, size_t n,
                                    Before before) {
  std::vector<StatementCount> all;
  std::unordered_map<const char*, size_t> at;  // of each one-row text in `all`
  for (const StatementCount& s : each) {
    const char* sql = grownFrom(s.sql);
    const auto [it, added] = at.try_emplace(sql, all.size());
    if (added) all.push_back({.sql = sql});
    StatementCount& sum = all[it->second];
    sum.executions += s.executions, sum.rows += s.rows, sum.nanoseconds += s.nanoseconds;
  }
  std::sort(all.begin(), all.end(), before);
  if (all.size() > n) all.resize(n);
  return all;
}

bool changesRows(const Translation& t) {
  return t.kind == StatementKind::Update || t.kind == StatementKind::Delete || t.insertSelect;
}

}  // namespace

std::vector<StatementCount> Counters::mostExecuted(size_t n) const {
  return firstOf(perStatement, n, [](const StatementCount& a, const StatementCount& b) {
    if (a.executions != b.executions) return a.executions > b.executions;
    return a.nanoseconds > b.nanoseconds;
  });
}

std::vector<StatementCount> Counters::mostTime(size_t n) const {
  return firstOf(perStatement, n, [](const StatementCount& a, const StatementCount& b) {
    if (a.nanoseconds != b.nanoseconds) return a.nanoseconds > b.nanoseconds;
    return a.executions > b.executions;
  });
}

Value In::value() const {
  if (value_.type == Value::Type::Text && value_.s.empty()) return Value::null();
  return value_;
}

std::string dayAsFetched(const std::string& stored) {
  return dateWithTime(stored) ? stored.substr(0, 10) : stored;
}

void Out::clear() const {
  switch (kind_) {
    case Kind::Text:
      static_cast<std::string*>(target_)->clear();
      break;
    case Kind::Short:
      *static_cast<int16_t*>(target_) = 0;
      break;
    case Kind::Long:
      *static_cast<int32_t*>(target_) = 0;
      break;
    case Kind::Int64:
      *static_cast<int64_t*>(target_) = 0;
      break;
    case Kind::Double:
      *static_cast<double*>(target_) = 0;
      break;
    case Kind::MaybeDouble:
      static_cast<std::optional<double>*>(target_)->reset();
      break;
  }
}

int Out::store(const Value& v, bool indicator) const {
  clear();
  const bool null = v.type == Value::Type::Null || (v.type == Value::Type::Text && v.s.empty());
  if (null) return indicator ? kOk : kNullFetch;
  switch (kind_) {
    case Kind::Text:
      storeText(v, asStored_, *static_cast<std::string*>(target_));
      return kOk;
    case Kind::Short:
      return storeNumber<int16_t>(target_, v);
    case Kind::Long:
      return storeNumber<int32_t>(target_, v);
    case Kind::Int64:
      return storeNumber<int64_t>(target_, v);
    case Kind::Double:
      return storeNumber<double>(target_, v);
    case Kind::MaybeDouble: {
      double d = 0;
      const int st = storeNumber<double>(&d, v);
      if (st == kOk) *static_cast<std::optional<double>*>(target_) = d;
      return st;
    }
  }
  return kOk;
}

// Stores one fetched row into the outputs; the first failing status wins,
// every other output is still filled.
static int storeRow(const EngineStatement& stmt, const Translation& t, Outs out) {
  if (static_cast<int>(out.size()) != stmt.columnCount()) return kNotInSelectList;
  int status = kOk;
  size_t i = 0;
  for (const Out& o : out) {
    const bool indicator = t.hasInto ? t.outputIndicators.at(i) : o.indicator();
    int s = o.store(stmt.column(static_cast<int>(i)), indicator);
    if (status == kOk) status = s;
    ++i;
  }
  return status;
}

std::unique_ptr<Session> Session::connect(const ConnectRequest& request, const std::string& schema,
                                          int& status) {
  auto engine = connectEngine(request, status);
  if (!engine) return nullptr;
  auto session = std::make_unique<Session>(std::move(engine));
  session->discardWork_ = request.discardWork;
  if (request.runLock) {
    status = session->tryRunLock(schema);
    if (status != kOk) return nullptr;
  }
  status = session->execDynamic("ALTER SESSION SET CURRENT_SCHEMA=" + schema);
  if (status != kOk) return nullptr;
  return session;
}

Session::Session(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}
// A discarding session undoes its work itself rather than relying on the
// engine to do so when the connection closes.
Session::~Session() {
  if (discardWork_) engine_->rollback();
}

Session::Prepared* Session::acquire(const char* sql, int& status, bool aside) {
  auto it = cache_.find(sql);
  if (it == cache_.end()) {
    Entry entry;
    try {
      entry.translation = translate(sql, engine_->dialect());
    } catch (const std::invalid_argument&) {
      status = kInvalidSql;
      return nullptr;
    }
    entry.count.sql = sql;
    it = cache_.emplace(sql, std::move(entry)).first;
  }
  Entry& entry = it->second;
  for (auto& p : entry.instances)
    if (!p->busy && p->aside == aside) {
      p->busy = true;
      return p.get();
    }
  auto stmt = aside ? engine_->prepareAside(entry.translation.text, status)
                    : engine_->prepare(entry.translation.text, status);
  if (!stmt) return nullptr;
  entry.instances.push_back(std::make_unique<Prepared>(Prepared{.translation = &entry.translation,
                                                                .stmt = std::move(stmt),
                                                                .count = &entry.count,
                                                                .busy = true,
                                                                .aside = aside}));
  return entry.instances.back().get();
}

void Session::release(Prepared* p) {
  p->stmt->reset();
  p->busy = false;
}

int Session::bind(Prepared& p, Ins in, std::vector<Value>& params) {
  if (static_cast<int>(in.size()) != p.translation->inputCount) return kNotAllBound;
  params.reserve(in.size());
  for (const In& v : in) params.push_back(v.value());
  ++counters_.statements;
  ++p.count->executions;
  return kOk;
}

int Session::bindAndExecute(Prepared& p, Ins in, Reading reading) {
  std::vector<Value> params;
  const int status = bind(p, in, params);
  return status == kOk ? p.stmt->execute(params, reading) : status;
}

Counters Session::counters() const {
  Counters c = counters_;
  for (const auto& [sql, entry] : cache_)
    if (entry.count.executions > 0) c.perStatement.push_back(entry.count);
  return c;
}

int Session::exec(const char* sql, Ins in, Outs out) {
  if (gatherInserts_) {
    if (plainInsert(sql)) return keepInsert(sql, in);
    if (const int st = sendAllInserts(); st != kOk) return st;
  }
  return noteFatal(sql, execute(sql, in, out));
}

bool Session::plainInsert(std::string_view sql) {
  return sql.starts_with("insert into ") && sql.find(" values (") != std::string_view::npos &&
         sql.find(" select ") == std::string_view::npos;
}

int Session::keepInsert(const char* sql, Ins in) {
  auto [kept, first] = keptInserts_.try_emplace(sql);
  if (first) keptOrder_.push_back(sql);
  KeptRows& rows = kept->second;
  rows.perRow = in.size();
  rows.values.insert(rows.values.end(), in.begin(), in.end());
  return rows.values.size() >= kMaxInsertRows * rows.perRow ? sendInserts(sql) : kOk;
}

int Session::sendInserts(const char* sql) {
  KeptRows& rows = keptInserts_[sql];
  const size_t n = rows.perRow ? rows.values.size() / rows.perRow : 0;
  const int status = n ? noteFatal(sql, execute(multiRowInsert(sql, n), rows.values, {})) : kOk;
  rows.values.clear();
  return status;
}

int Session::sendAllInserts() {
  int status = kOk;
  for (const char* sql : keptOrder_)
    if (const int st = sendInserts(sql); status == kOk) status = st;
  return status;
}

int Session::noteFatal(const char* sql, int status) {
  if (status == kFatal) fatalStatement_ = sql;
  return status;
}

int Session::execute(const char* sql, Ins in, Outs out) {
  for (const Out& o : out) o.clear();
  StatementCount* count = nullptr;
  const Stopwatch watch(count);
  int status = kOk;
  Prepared* p = acquire(sql, status);
  if (!p) return status;
  count = p->count;
  const Translation& t = *p->translation;
  status = bindAndExecute(*p, in, Reading::SingleRow);
  if (status == kOk && t.kind == StatementKind::Select) {
    status = p->stmt->next();
    if (status == kOk) {
      ++counters_.rows;
      ++count->rows;
      status = storeRow(*p->stmt, t, out);
      if (p->stmt->next() == kOk) status = kTooManyRows;
    }
    if (status != kOk && status != kNullFetch)
      for (const Out& o : out) o.clear();
  } else if (status == kOk && changesRows(t) && p->stmt->changes() == 0) {
    status = kNoData;
  }
  release(p);
  return status;
}

int Session::execDynamic(const std::string& sql) {
  Translation t;
  try {
    t = translate(sql, engine_->dialect());
  } catch (const std::invalid_argument&) {
    return kInvalidSql;
  }
  ++counters_.statements;
  switch (t.kind) {
    case StatementKind::SetSchema:
      return t.schemaName.empty() ? -911 : engine_->setSchema(t.schemaName);
    case StatementKind::SetDateFormat:
      return kOk;  // dates always travel as yyyy.mm.dd
    default:
      return engine_->run(sql);  // table definitions: no host variables to rewrite
  }
}

int Session::commit() {
  if (const int st = sendAllInserts(); st != kOk) return st;
  if (discardWork_) return kOk;
  return noteFatal("commit", engine_->commit());
}
int Session::rollback() {
  return engine_->rollback();
}

Cursor::Cursor(Session& session, const char* sql, Mode mode)
    : session_(session), sql_(sql), mode_(mode) {}

Cursor::~Cursor() {
  close();
}

int Cursor::open(Ins in) {
  if (const int st = session_.sendAllInserts(); st != kOk) return st;
  return session_.noteFatal(sql_, start(in));
}

int Cursor::send(Ins in) {
  return send(in, nullptr);
}

int Cursor::send(Ins in, std::function<void(FetchedRows& rows)> take) {
  close();
  int status = kOk;
  prepared_ = session_.acquire(sql_, status, /*aside=*/true);
  std::vector<Value> params;
  if (prepared_) status = session_.bind(*prepared_, in, params);
  if (status == kOk && take) {
    taker_ = std::make_shared<RowsTaker>();
    taker_->take = [take = std::move(take)](EngineStatement& rows) {
      FetchedRows fetched(rows);
      take(fetched);
      return fetched.count();
    };
  }
  if (status == kOk) status = prepared_->stmt->postTaking(params, taker_);
  if (status != kOk) return session_.noteFatal(sql_, failOpen(status));
  sent_ = true;
  return kOk;
}

int FetchedRows::fetch(Outs out) {
  for (const Out& o : out) o.clear();
  const int status = rows_.next();
  if (status != kOk) return status;
  ++count_;
  static const Translation kNoInto;
  return storeRow(rows_, kNoInto, out);
}

int Cursor::start(Ins in) {
  if (mode_ == Mode::Aside) {
    if (!sent_)
      if (const int status = send(in); status != kOk) return status;
    sent_ = false;
    count_ = prepared_->count;
    const Stopwatch watch(count_);
    const int status = prepared_->stmt->collect();
    if (status != kOk) return failOpen(status);
    open_ = true;
    ended_ = false;
    if (taker_) {
      if (taker_->rows < 0) taker_->rows = taker_->take(*prepared_->stmt);
      session_.counters_.rows += taker_->rows;
      count_->rows += taker_->rows;
      ended_ = true;
    }
    return kOk;
  }
  close();
  count_ = nullptr;
  const Stopwatch watch(count_);
  int status = kOk;
  prepared_ = session_.acquire(sql_, status);
  if (prepared_) count_ = prepared_->count;
  if (prepared_)
    status = session_.bindAndExecute(*prepared_, in,
                                     mode_ == Mode::FewRows ? Reading::FewRows : Reading::Cursor);
  if (status != kOk) return failOpen(status);
  open_ = true;
  ended_ = false;
  if (mode_ != Mode::Snapshot) return kOk;
  while ((status = prepared_->stmt->next()) == kOk) {
    std::vector<Value> row;
    for (int i = 0; i < prepared_->stmt->columnCount(); ++i)
      row.push_back(prepared_->stmt->column(i));
    snapshot_.push_back(std::move(row));
  }
  Session::release(prepared_);
  prepared_ = nullptr;
  return status == kNoData ? kOk : failOpen(status);
}

// A cursor whose open failed fetches no row: each fetch repeats the open's
// status, so that a loop that does not test the open still ends on it (and a
// fatal status stays fatal).
int Cursor::failOpen(int status) {
  close();
  open_ = true;
  failed_ = status;
  return status;
}

int Cursor::fetch(Outs out) {
  return session_.noteFatal(sql_, next(out));
}

int Cursor::next(Outs out) {
  for (const Out& o : out) o.clear();
  if (!open_) return -1001;  // ORA-01001: invalid cursor
  if (failed_ != kOk) return failed_;
  if (ended_) return kNoData;
  const Stopwatch watch(count_);
  if (mode_ == Mode::Snapshot) {
    if (snapshotPos_ >= snapshot_.size()) return ended_ = true, kNoData;
    const auto& row = snapshot_[snapshotPos_++];
    if (out.size() != row.size()) return -1007;
    ++session_.counters_.rows;
    ++count_->rows;
    int status = kOk;
    size_t i = 0;
    for (const Out& o : out) {
      int s = o.store(row[i++], o.indicator());
      if (status == kOk) status = s;
    }
    return status;
  }
  int status = prepared_->stmt->next();
  if (status != kOk) {
    ended_ = true;
    return status;
  }
  ++session_.counters_.rows;
  ++count_->rows;
  static const Translation kNoInto;
  return storeRow(*prepared_->stmt, kNoInto, out);
}

int Cursor::close() {
  if (prepared_) Session::release(prepared_);
  prepared_ = nullptr;
  taker_.reset();
  snapshot_.clear();
  snapshotPos_ = 0;
  open_ = sent_ = false;
  failed_ = kOk;
  return kOk;
}

namespace {

// The table name after the first `keyword` (lower case, surrounded by blanks)
// of the statement text.
std::string tableAfter(std::string_view sql, std::string_view keyword) {
  std::string lower(sql);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t p = lower.find(keyword);
  if (p == std::string::npos) return {};
  p += keyword.size();
  while (p < sql.size() && sql[p] == ' ') ++p;
  size_t end = p;
  while (end < sql.size() &&
         (std::isalnum(static_cast<unsigned char>(sql[end])) || std::strchr("_$#.", sql[end])))
    ++end;
  return std::string(sql.substr(p, end - p));
}

}  // namespace

std::string statementName(std::string_view sql) {
  std::string verb(sql.substr(0, sql.find(' ')));
  for (char& c : verb) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string name;
  if (verb == "select")
    name = "Lesen " + tableAfter(sql, " from ");
  else if (verb == "insert")
    name = "Schreiben " + tableAfter(sql, "insert into ");
  else if (verb == "update")
    name = "Aendern " + tableAfter(sql, "update ");
  else if (verb == "delete")
    name = "Loeschen " + tableAfter(sql, " from ");
  else if (verb == "commit")
    name = "Commit";
  else
    name = "Anweisung";
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

}  // namespace lug::db
