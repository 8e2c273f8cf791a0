#pragma once
// What a database engine provides to the session: prepared statements with
// positional parameters, stepping through rows, transactions, the schema
// switch and the run lock. Every call answers with a statement status
// (db/status.h); engine errors are mapped to the Oracle numbers the suite's
// administrators know.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/dialect.h"

namespace lug::db {

struct Value {
  enum class Type { Null, Int, Real, Text } type = Type::Null;
  int64_t i = 0;
  double d = 0;
  std::string s;

  static Value null() { return {}; }
  static Value integer(int64_t v) { return {Type::Int, v, 0, {}}; }
  static Value real(double v) { return {Type::Real, 0, v, {}}; }
  static Value text(std::string v) { return {Type::Text, 0, 0, std::move(v)}; }
};

// How the rows of a select are read: through a cursor until the end, all rows
// of a cursor over few rows at once, or as the one row of a single-row select
// (a second row only shows that there are too many). A server engine fetches
// cursors in batches; few rows and single rows come with the execution.
enum class Reading { Cursor, FewRows, SingleRow };

class EngineStatement;

// Takes the rows of a read (EngineStatement::postTaking) by stepping through
// them; answers how many it took. `rows` stays -1 until it has run.
struct RowsTaker {
  std::function<int64_t(EngineStatement& rows)> take;
  int64_t rows = -1;
};

class EngineStatement {
 public:
  virtual ~EngineStatement() = default;
  // Binds the parameters and starts the statement.
  virtual int execute(const std::vector<Value>& params, Reading reading = Reading::Cursor) = 0;
  // Moves to the next row: 0 with a row, 1403 after the last row, else an error.
  virtual int next() = 0;
  virtual const Value& column(int index) const = 0;
  virtual int columnCount() const = 0;
  // Rows inserted, updated or deleted by the last execute.
  virtual int64_t changes() const = 0;
  // Ends the current execution so the statement can run again.
  virtual void reset() = 0;
  // Starts a select over few rows (Reading::FewRows) that collect() later
  // takes, so that an engine with a second connection lets the server read
  // while the session goes on. Here the select runs at collect().
  virtual int post(const std::vector<Value>& params) {
    posted_ = params;
    return 0;
  }
  virtual int collect() { return execute(posted_, Reading::FewRows); }
  // As post(), and `taker` takes the rows where they are read: an engine that
  // reads on a thread of its own hands them over there, once all are read;
  // by default nobody takes them before collect(), and the caller does.
  virtual int postTaking(const std::vector<Value>& params, std::shared_ptr<RowsTaker> /*taker*/) {
    return post(params);
  }

 private:
  std::vector<Value> posted_;
};

class Engine {
 public:
  virtual ~Engine() = default;
  virtual Dialect dialect() const = 0;
  virtual std::unique_ptr<EngineStatement> prepare(const std::string& text, int& status) = 0;
  // A select of tables the run never writes, for post() and collect(): an
  // engine runs it on a second connection of its own, outside the session's
  // transaction, beside the session's statements (the server reads while the
  // session goes on; the embedded engine reads on a thread of its own); by
  // default, and where the second connection failed, like any statement.
  virtual std::unique_ptr<EngineStatement> prepareAside(const std::string& text, int& status) {
    return prepare(text, status);
  }
  // Whether reading the rows of several employees with one statement aside
  // pays: a server saves round trips, the embedded engine reads them on a
  // thread of its own.
  virtual bool readsAhead() const { return false; }
  // Runs a statement without parameters or rows (table definitions).
  virtual int run(const std::string& text) = 0;
  virtual int setSchema(const std::string& schema) = 0;
  // Creates the schema (and the central schema HORSYSTEM) when missing.
  virtual int createSchema(const std::string& schema) = 0;
  virtual int commit() = 0;
  virtual int rollback() = 0;
  // Takes the schema's run lock without waiting: 0 when taken, 1 when another
  // process holds it, a negative status on failure. Held until the process ends.
  virtual int tryRunLock(const std::string& schema) = 0;
  // Brings the planner's statistics of a table the run has just filled up
  // to date, where the engine's plans depend on them.
  virtual int refreshStatistics(const std::string& table) = 0;
};

struct ConnectRequest {
  std::string user;
  std::string password;
  std::string service;
  // Session::connect takes the schema's run lock before it switches to the
  // schema (a run of the hand-over; tools and tests connect without it).
  bool runLock = false;
  // A check run: all work of the session is one transaction that commit()
  // leaves open (answering 0); rollback() or the end of the session undoes it.
  bool discardWork = false;
};

// Chooses the engine by the service name: a postgresql:// or postgres:// URI
// selects PostgreSQL, anything else (a directory, or "sqlite:" and a
// directory) the embedded SQLite engine.
std::unique_ptr<Engine> connectEngine(const ConnectRequest& request, int& status);

std::unique_ptr<Engine> connectSqlite(const std::string& directory, int& status);
#ifdef LUG_WITH_POSTGRES
std::unique_ptr<Engine> connectPostgres(const ConnectRequest& request, int& status);
#endif

bool isPostgresService(const std::string& service);
// The service name as the run log, the console and error texts may show it:
// in a connection URI everything between "://" and the last "@" (the user
// information, whatever characters the password holds) and every
// "password=" value masked.
std::string maskedService(const std::string& service);

// A schema name both engines accept: 1 to 40 letters, digits, '_', '$' or '#'.
bool validSchemaName(const std::string& schema);

}  // namespace lug::db
