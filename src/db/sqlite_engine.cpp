// The embedded engine: SQLite 3. A service name is a directory; schema S is
// the file <dir>/S.db and the central schema HORSYSTEM the file
// <dir>/HORSYSTEM.db, attached under that name.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "db/engine.h"
#include "db/sqlite_aside.h"
#include "db/sqlite_connection.h"
#include "db/sqlite_functions.h"
#include "db/status.h"

namespace lug::db {
namespace {

namespace fs = std::filesystem;

bool isFatal(int rc) {
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
    case SQLITE_PROTOCOL:
    case SQLITE_PERM:
      return true;
    default:
      return false;
  }
}

// All work between two commits is one transaction.
int beginIfNeeded(sqlite3* db) {
  if (!sqlite3_get_autocommit(db)) return kOk;
  int rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? kOk : statusOf(db, rc);
}

class SqliteStatement : public EngineStatement {
 public:
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }

  int execute(const std::vector<Value>& params, Reading) override {
    sqlite3_reset(stmt_);
    if (int status = beginIfNeeded(db_); status != kOk) return status;
    // The statement keeps the values it is bound to until it is bound anew,
    // so the library reads their texts in place instead of copying each; a
    // binding of an earlier call that this one leaves out is cleared.
    if (params.size() != bound_.size()) sqlite3_clear_bindings(stmt_);
    bound_ = params;
    for (size_t i = 0; i < bound_.size(); ++i) {
      int rc = bindValue(stmt_, static_cast<int>(i) + 1, bound_[i]);
      if (rc != SQLITE_OK) return statusOf(db_, rc);
    }
    pending_ = sqlite3_step(stmt_);
    changes_ = sqlite3_changes64(db_);
    if (pending_ != SQLITE_ROW && pending_ != SQLITE_DONE) return statusOf(db_, pending_);
    return kOk;
  }

  int next() override {
    int rc = pending_ ? pending_ : sqlite3_step(stmt_);
    pending_ = 0;
    if (rc == SQLITE_DONE) {
      pending_ = SQLITE_DONE;  // stays at the end until the next execute
      return kNoData;
    }
    if (rc != SQLITE_ROW) return statusOf(db_, rc);
    loadRow();
    return kOk;
  }

  const Value& column(int index) const override { return row_[static_cast<size_t>(index)]; }
  int columnCount() const override { return static_cast<int>(row_.size()); }
  int64_t changes() const override { return changes_; }
  void reset() override {
    sqlite3_reset(stmt_);
    pending_ = 0;
  }

 private:
  void loadRow() {
    row_.resize(static_cast<size_t>(sqlite3_column_count(stmt_)));
    for (size_t i = 0; i < row_.size(); ++i) readColumn(stmt_, static_cast<int>(i), row_[i]);
  }

  sqlite3* db_;
  sqlite3_stmt* stmt_;
  int pending_ = 0;
  int64_t changes_ = 0;
  std::vector<Value> bound_;  // the values bound last
  std::vector<Value> row_;
};

class SqliteEngine : public Engine {
 public:
  explicit SqliteEngine(fs::path dir) : dir_(std::move(dir)) {}
  ~SqliteEngine() override {
    // The second connection goes first, so that the session's, the last,
    // folds the write-ahead log into the file as it closes.
    aside_.reset();
    // Keeps the planner's statistics current as the tables grow, as SQLite
    // advises at the end of a connection (it analyzes a table only when it
    // has grown tenfold or was never analyzed). Whole tables: a sample of the
    // first rows took the period number for nearly unique, and the difference
    // step's old records were then read by two index searches whose set of
    // seen rows grew with the group (10 MB at 20,000 employees).
    if (db_ && sqlite3_get_autocommit(db_))
      sqlite3_exec(db_, "PRAGMA optimize;", nullptr, nullptr, nullptr);
    if (db_) sqlite3_close_v2(db_);
    if (lockFd_ >= 0) ::close(lockFd_);
  }

  Dialect dialect() const override { return Dialect::Sqlite; }

  std::unique_ptr<EngineStatement> prepare(const std::string& text, int& status) override {
    if (!db_) {
      status = -1435;
      return nullptr;
    }
    sqlite3_stmt* stmt = prepareStatement(db_, text, status);
    return stmt ? std::make_unique<SqliteStatement>(db_, stmt) : nullptr;
  }

  // A second connection that cannot be opened leaves the reads aside to the
  // session's own.
  std::unique_ptr<EngineStatement> prepareAside(const std::string& text, int& status) override {
    if (db_ && !aside_ && !asideFailed_) {
      aside_ = SqliteAside::open(file_, schema_);
      asideFailed_ = !aside_;
    }
    return aside_ ? aside_->prepare(text, status) : prepare(text, status);
  }
  bool readsAhead() const override { return true; }

  int run(const std::string& text) override {
    if (!db_) return -1435;
    int status = beginIfNeeded(db_);
    if (status != kOk) return status;
    int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? kOk : statusOf(db_, rc);
  }

  // The run's statements need no statistics on SQLite: without them the
  // deletions of the difference step search the rows of a record kind and
  // booking date through the index and test the employees on each row; with
  // them, each employee through the index, which is no faster (the deletion
  // of the rows costs the time).
  int refreshStatistics(const std::string&) override { return kOk; }

  int setSchema(const std::string& schema) override {
    if (!validSchemaName(schema)) return -911;  // ORA-00911: invalid character
    const fs::path file = dir_ / (schema + ".db");
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return -1435;  // ORA-01435: user does not exist
    return open(file, schema);
  }

  int createSchema(const std::string& schema) override {
    if (!validSchemaName(schema)) return -911;
    std::error_code ec;
    fs::create_directories(dir_, ec);
    for (const std::string& name : {std::string("HORSYSTEM"), schema}) {
      sqlite3* db = nullptr;
      int rc = sqlite3_open_v2((dir_ / (name + ".db")).c_str(), &db,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
      sqlite3_close_v2(db);
      if (rc != SQLITE_OK) return kFatal;
    }
    return kOk;
  }

  int commit() override {
    if (!db_) return -1435;
    if (sqlite3_get_autocommit(db_)) return kOk;
    int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? kOk : statusOf(db_, rc);
  }

  int rollback() override {
    if (!db_ || sqlite3_get_autocommit(db_)) return kOk;
    int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? kOk : statusOf(db_, rc);
  }

  // Needs no open database: the lock file lies beside the schema's file.
  int tryRunLock(const std::string& schema) override {
    if (lockFd_ >= 0) return kOk;
    if (!validSchemaName(schema)) return -911;
    std::error_code ec;
    if (!fs::is_regular_file(dir_ / (schema + ".db"), ec)) return -1435;
    const fs::path file = dir_ / (schema + ".lock");
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return kFatal;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return 1;
    }
    lockFd_ = fd;
    return kOk;
  }

 private:
  int open(const fs::path& file, const std::string& schema) {
    aside_.reset();
    asideFailed_ = false;
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    int rc = openSchemaFile(file, schema, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, db_);
    if (rc != kOk) return rc;
    file_ = file;
    schema_ = schema;
    // Durable at every commit; WAL keeps readers and the one writer apart.
    // The page cache also bounds each sorter of a grouped or ordered select
    // (the difference step runs two at once), so it is kept small: the
    // operating system caches the file anyway, and a run's memory stays flat
    // however many employees the group has. With 2 MB the sorters of 5,000
    // employees already reach their bound (4 MB let them grow by 3 MB from
    // 5,000 to 20,000 employees), and runs are as fast.
    rc = sqlite3_exec(db_,
                      "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; "
                      "PRAGMA cache_size=-2000;",
                      nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? checkWritable() : statusOf(db_, rc);
  }

  // A database that another program keeps locked beyond the busy timeout, or
  // that cannot be written, fails the connection rather than every write of
  // the run (whose statuses the run does not test everywhere).
  int checkWritable() {
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return statusOf(db_, rc);
    rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? kOk : statusOf(db_, rc);
  }

  fs::path dir_;
  sqlite3* db_ = nullptr;
  int lockFd_ = -1;
  // The open schema, and its second connection once a read aside wanted it.
  fs::path file_;
  std::string schema_;
  std::shared_ptr<SqliteAside> aside_;
  bool asideFailed_ = false;
};

// A statement that writes several rows (a multi-row insert, say) keeps the
// pages it changes in a statement journal, so that it can be undone alone.
// The library keeps that journal in memory up to 64 KB and otherwise, for the
// rest of the transaction, in a temporary file: since a run is one
// transaction, nearly every page a run wrote was written twice. Kept in memory
// up to kStatementJournalBytes (64 pages: the run's multi-row inserts change
// a few dozen; a larger statement still goes to a file). The library takes
// the limit as one block, allocated for each statement that journals, so it
// stays small. Without memory statistics, which nothing reads, an
// allocation of the library takes no process-wide lock. Set before the
// library starts, once per process.
void configureLibrary() {
  constexpr int kStatementJournalBytes = 256 << 10;
  static const bool configured = [] {
    // Each fails only when the library was started already.
    sqlite3_config(SQLITE_CONFIG_STMTJRNL_SPILL, kStatementJournalBytes);
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return true;
  }();
  (void)configured;
}

}  // namespace

// SQLite's result code and message as the Oracle status the callers know.
int statusOf(sqlite3* db, int rc) {
  const int ext = db ? sqlite3_extended_errcode(db) : rc;
  const char* msg = db ? sqlite3_errmsg(db) : "";
  if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY) return kDupKey;
  if (ext == SQLITE_CONSTRAINT_NOTNULL) return -1400;
  if (ext == SQLITE_CONSTRAINT_CHECK) return -12899;  // only the width checks exist
  if (const char* ora = std::strstr(msg, "ORA-")) return -std::atoi(ora + 4);
  if (isFatal(rc) || isFatal(ext)) return kFatal;
  if (std::strstr(msg, "no such table") || std::strstr(msg, "unknown database")) return -942;
  if (std::strstr(msg, "no such column")) return -904;
  if ((rc & 0xff) == SQLITE_MISMATCH) return -1722;
  if ((rc & 0xff) == SQLITE_TOOBIG) return -12899;
  return -900;
}

int openSchemaFile(const fs::path& file, const std::string& schema, int flags, sqlite3*& db) {
  db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
  int status = rc == SQLITE_OK ? kOk : kFatal;
  if (status == kOk) {
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 10000);
    if (registerOracleFunctions(db) != SQLITE_OK) status = kFatal;
  }
  const fs::path central = file.parent_path() / "HORSYSTEM.db";
  std::error_code ec;
  if (status == kOk && schema != "HORSYSTEM" && fs::is_regular_file(central, ec)) {
    sqlite3_stmt* attach = nullptr;
    sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS HORSYSTEM", -1, &attach, nullptr);
    sqlite3_bind_text(attach, 1, central.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(attach);
    sqlite3_finalize(attach);
    if (rc != SQLITE_DONE) status = statusOf(db, rc);
  }
  if (status != kOk) {
    sqlite3_close_v2(db);
    db = nullptr;
  }
  return status;
}

sqlite3_stmt* prepareStatement(sqlite3* db, const std::string& text, int& status) {
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db, text.c_str(), static_cast<int>(text.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) {
    status = statusOf(db, rc);
    sqlite3_finalize(stmt);
    return nullptr;
  }
  status = kOk;
  return stmt;
}

int bindValue(sqlite3_stmt* stmt, int pos, const Value& v) {
  switch (v.type) {
    case Value::Type::Null:
      return sqlite3_bind_null(stmt, pos);
    case Value::Type::Int:
      return sqlite3_bind_int64(stmt, pos, v.i);
    case Value::Type::Real:
      return sqlite3_bind_double(stmt, pos, v.d);
    case Value::Type::Text:
      return sqlite3_bind_text(stmt, pos, v.s.data(), static_cast<int>(v.s.size()), SQLITE_STATIC);
  }
  return SQLITE_MISUSE;
}

// Through the column's value object: the column functions would enter and
// leave the connection for each call, three times for a text. The value is
// read on the thread that steps the statement.
void readColumn(sqlite3_stmt* stmt, int column, Value& v) {
  sqlite3_value* cell = sqlite3_column_value(stmt, column);
  switch (sqlite3_value_type(cell)) {
    case SQLITE_INTEGER:
      v.type = Value::Type::Int, v.i = sqlite3_value_int64(cell);
      break;
    case SQLITE_FLOAT:
      v.type = Value::Type::Real, v.d = sqlite3_value_double(cell);
      break;
    case SQLITE_NULL:
      v.type = Value::Type::Null;
      break;
    default: {
      v.type = Value::Type::Text;
      const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(cell));
      v.s.assign(p ? p : "", static_cast<size_t>(sqlite3_value_bytes(cell)));
    }
  }
}

std::unique_ptr<Engine> connectSqlite(const std::string& directory, int& status) {
  configureLibrary();
  std::error_code ec;
  if (!fs::is_directory(directory, ec)) {
    status = -12154;  // ORA-12154: could not resolve the connect identifier
    return nullptr;
  }
  status = kOk;
  return std::make_unique<SqliteEngine>(directory);
}

bool validSchemaName(const std::string& s) {
  if (s.empty() || s.size() > 40) return false;
  for (char c : s)
    if (!(std::isalnum((unsigned char)c) || c == '_' || c == '$' || c == '#')) return false;
  return true;
}

bool isPostgresService(const std::string& service) {
  return service.rfind("postgresql://", 0) == 0 || service.rfind("postgres://", 0) == 0;
}

std::string maskedService(const std::string& service) {
  if (!isPostgresService(service)) return service;
  std::string out = service;
  // The user information ends at the last "@": a password may itself hold
  // "/", "?" or an unencoded "@", so everything before that "@" is hidden.
  const size_t start = out.find("://") + 3;
  const size_t at = out.rfind('@');
  if (at != std::string::npos && at >= start) out.replace(start, at - start, "********");
  for (size_t p = out.find("password="); p != std::string::npos; p = out.find("password=", p + 1)) {
    const size_t value = p + 9;
    out.replace(value, std::min(out.find('&', value), out.size()) - value, "********");
  }
  return out;
}

std::unique_ptr<Engine> connectEngine(const ConnectRequest& request, int& status) {
  if (isPostgresService(request.service)) {
#ifdef LUG_WITH_POSTGRES
    return connectPostgres(request, status);
#else
    status = -12154;
    return nullptr;
#endif
  }
  std::string dir = request.service;
  if (dir.rfind("sqlite:", 0) == 0) dir.erase(0, 7);
  return connectSqlite(dir, status);
}

}  // namespace lug::db
