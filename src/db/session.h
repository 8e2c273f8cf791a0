#pragma once
// The database session of a run. Every statement of the program is an
// Oracle text constant; the session translates it into the engine's dialect
// and prepares it once, then runs it with the bound inputs and outputs:
//
//   int st = session.exec(kPeriodDates, {akr, abrnr}, {von, bis});
//
//   db::Cursor periods(session, kEarlierPeriods);
//   periods.open({akr, abrnr});
//   while (periods.fetch({group, number}) == db::kOk) ...
//   periods.close();
//
// Outputs are cleared before each statement and copied back also when the
// status is not 0, so a caller sees cleared values then. Statuses: 0, 1403,
// -1 (unique key), -1405 (null into an output without indicator), -9999
// (fatal), other negative Oracle numbers.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/engine.h"
#include "db/status.h"

namespace lug::db {

// One bound input. An empty text binds NULL, as on the suite's database.
class In {
 public:
  In(const std::string& s) : value_(Value::text(s)) {}
  In(std::string_view s) : value_(Value::text(std::string(s))) {}
  In(const char* s) : value_(Value::text(s)) {}
  In(int16_t v) : value_(Value::integer(v)) {}
  In(int32_t v) : value_(Value::integer(v)) {}
  In(int64_t v) : value_(Value::integer(v)) {}
  In(double v) : value_(Value::real(v)) {}
  Value value() const;

 private:
  Value value_;
};

// The text a date stored as `stored` is fetched as into a text output
// without asStored(): a date with time loses its time.
std::string dayAsFetched(const std::string& stored);

// One output. Cursor outputs have a null indicator unless marked required();
// the outputs of a single-row select take theirs from the statement's into list.
class Out {
 public:
  enum class Kind { Text, Short, Long, Int64, Double, MaybeDouble };
  Out(std::string& s) : kind_(Kind::Text), target_(&s) {}
  // A number that keeps a null apart from zero: empty when null.
  Out(std::optional<double>& v) : kind_(Kind::MaybeDouble), target_(&v) {}
  Out(int16_t& v) : kind_(Kind::Short), target_(&v) {}
  Out(int32_t& v) : kind_(Kind::Long), target_(&v) {}
  Out(int64_t& v) : kind_(Kind::Int64), target_(&v) {}
  Out(double& v) : kind_(Kind::Double), target_(&v) {}
  // A null in this output makes the fetch fail with -1405.
  Out required() const {
    Out o = *this;
    o.indicator_ = false;
    return o;
  }
  // A date read into this text output keeps its time of day as stored
  // ("2024.02.05 10:30:00"); without it the time is cut off. A date at
  // midnight is stored without time and reads the same either way.
  Out asStored() const {
    Out o = *this;
    o.asStored_ = true;
    return o;
  }
  void clear() const;
  // Stores a fetched value; returns 0, -1405 (null without indicator) or -1722.
  int store(const Value& v, bool indicator) const;
  bool indicator() const { return indicator_; }

 private:
  Kind kind_;
  void* target_;
  bool indicator_ = true;
  bool asStored_ = false;
};

// The inputs or outputs of one statement call: a braced list written at the
// call, or a vector a row binding built (db/row.h). It only refers to the
// values, so it must not outlive the call it is passed to.
template <class T>
class List {
 public:
  List() = default;
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
// The braced list lives until the end of the call it is written in.
#pragma GCC diagnostic ignored "-Winit-list-lifetime"
#endif
  List(std::initializer_list<T> values) : data_(values.begin()), size_(values.size()) {}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  List(const std::vector<T>& values) : data_(values.data()), size_(values.size()) {}
  const T* begin() const {
    return data_;
  }
  const T* end() const {
    return data_ + size_;
  }
  size_t size() const {
    return size_;
  }

 private:
  const T* data_ = nullptr;
  size_t size_ = 0;
};

using Ins = List<In>;
using Outs = List<Out>;

// Executions, fetched rows and time spent of one statement text.
struct StatementCount {
  const char* sql = "";
  int64_t executions = 0;   // single statements and cursor opens
  int64_t rows = 0;         // rows fetched
  int64_t nanoseconds = 0;  // in the statement, the cursor's open and its fetches
};

struct Counters {
  int64_t statements = 0;                    // executions: single statements and cursor opens
  int64_t rows = 0;                          // rows fetched
  std::vector<StatementCount> perStatement;  // every statement text run so far

  // The n statements with the most executions, ties broken by more time,
  // and the n that took the most time, ties broken by more executions. A
  // statement grown to several rows or alternatives (db/multi_row_insert.h)
  // counts, with all its sizes, under its one-row text.
  std::vector<StatementCount> mostExecuted(size_t n) const;
  std::vector<StatementCount> mostTime(size_t n) const;
};

class Session {
 public:
  // Connects (user/password@service) and switches to the schema with the
  // dynamic statement "ALTER SESSION SET CURRENT_SCHEMA=<schema>". With
  // request.runLock the schema's run lock is taken first: while another run
  // holds it, no session is returned and the status is kRunLockHeld at once,
  // before the switch could wait for that run's writes. With
  // request.discardWork nothing the session does is ever committed.
  static std::unique_ptr<Session> connect(const ConnectRequest& request, const std::string& schema,
                                          int& status);
  explicit Session(std::unique_ptr<Engine> engine);
  ~Session();

  int exec(const char* sql, Ins in = {}, Outs out = {});
  // For bulk loads of rows the program makes itself (lug-admin generate):
  // from now on a plain insert ("insert into T (...) values (...)") is kept
  // and answered 0, and the kept rows of each statement are sent as
  // multi-row inserts when 64 are kept, before any other statement and at
  // commit. A failure is then the status of the call that sends the rows.
  void gatherInserts() { gatherInserts_ = true; }
  // A statement text built at run time (the schema switch); not cached.
  int execDynamic(const std::string& sql);
  // Makes the work so far permanent; with discardWork only answers 0.
  int commit();
  int rollback();
  int tryRunLock(const std::string& schema) { return engine_->tryRunLock(schema); }
  int refreshStatistics(const std::string& table) { return engine_->refreshStatistics(table); }
  // The statement text of the last statement, cursor or commit ("commit")
  // that returned the fatal status; empty while none did.
  std::string_view fatalStatement() const { return fatalStatement_; }
  Engine& engine() { return *engine_; }
  // Whether reading the rows of several employees with one statement aside
  // saves time (Engine::readsAhead).
  bool readsAhead() const { return engine_->readsAhead(); }
  Counters counters() const;

 private:
  friend class Cursor;
  struct Prepared {
    const Translation* translation;
    std::unique_ptr<EngineStatement> stmt;
    StatementCount* count;
    bool busy = false;
    bool aside = false;  // Engine::prepareAside
  };
  struct Entry {
    Translation translation;
    StatementCount count;
    std::vector<std::unique_ptr<Prepared>> instances;
  };

  int execute(const char* sql, Ins in, Outs out);
  static bool plainInsert(std::string_view sql);
  int keepInsert(const char* sql, Ins in);
  int sendInserts(const char* sql);
  int sendAllInserts();
  int noteFatal(const char* sql, int status);
  Prepared* acquire(const char* sql, int& status, bool aside = false);
  static void release(Prepared* p);
  int bind(Prepared& p, Ins in, std::vector<Value>& params);
  int bindAndExecute(Prepared& p, Ins in, Reading reading);

  std::unique_ptr<Engine> engine_;
  std::unordered_map<const char*, Entry> cache_;
  Counters counters_;
  const char* fatalStatement_ = "";
  bool discardWork_ = false;
  bool gatherInserts_ = false;
  // Kept rows of one insert: the values of all rows, one after the other.
  struct KeptRows {
    size_t perRow = 0;
    std::vector<In> values;
  };
  std::unordered_map<const char*, KeptRows> keptInserts_;
  std::vector<const char*> keptOrder_;  // insert texts in the order first kept
};

// How the run log names a statement: what it does and its table, e.g.
// "Lesen Hor330Abr", "Schreiben Hor331Zk1", "Aendern O1001AbrKreis",
// "Loeschen Hor331Zk3", "Commit".
std::string statementName(std::string_view sql);

// The rows of a read sent aside, as the function given to Cursor::send
// takes them: each fetch as Cursor::fetch, without a statement count or a
// fatal status to note, so that it may run on another thread.
class FetchedRows {
 public:
  explicit FetchedRows(EngineStatement& rows) : rows_(rows) {}
  int fetch(Outs out);
  int64_t count() const { return count_; }

 private:
  EngineStatement& rows_;
  int64_t count_ = 0;
};

// A cursor over one statement text. Several cursors, also of the same text,
// may be open at once.
class Cursor {
 public:
  // Snapshot: all rows are read at open, so that the loop may write to the
  // tables the cursor reads without seeing its own writes. FewRows: a stream
  // over few rows (one employee's), which the server sends all with the
  // execution: a declared server cursor would be planned again at every open.
  // Aside: few rows of tables the run never writes, read on the engine's
  // second connection (Engine::prepareAside); send() starts the read there
  // and the session goes on while it is read.
  enum class Mode { Stream, Snapshot, FewRows, Aside };
  Cursor(Session& session, const char* sql, Mode mode = Mode::Stream);
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // Aside: opens with the rows of the last send(), or sends `in` first.
  int open(Ins in = {});
  int fetch(Outs out);
  int close();
  // Aside only: starts the read. A failure shows here and at the open.
  int send(Ins in);
  // Aside only: as send(in), and `take` takes the rows of a read without
  // failure: on the embedded engine's reading thread as soon as they are
  // read, else at the open. It must touch nothing but what it owns; the
  // cursor then fetches no row.
  int send(Ins in, std::function<void(FetchedRows& rows)> take);

 private:
  int start(Ins in);
  int next(Outs out);
  int failOpen(int status);

  Session& session_;
  const char* sql_;
  Mode mode_;
  Session::Prepared* prepared_ = nullptr;
  std::shared_ptr<RowsTaker> taker_;  // of the last send
  StatementCount* count_ = nullptr;   // of the last open
  std::vector<std::vector<Value>> snapshot_;
  size_t snapshotPos_ = 0;
  bool open_ = false;
  bool sent_ = false;
  bool ended_ = false;
  int failed_ = kOk;  // status of an open that failed
};

}  // namespace lug::db
