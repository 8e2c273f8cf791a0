#include "db/sqlite_aside.h"

#include <sqlite3.h>

#include <utility>

#include "db/sqlite_connection.h"
#include "db/status.h"

namespace lug::db {
namespace {

// Holds the connection's own mutex: the calls of the other thread wait, and
// an error message read meanwhile is that of this thread's call.
class ConnectionHeld {
 public:
  explicit ConnectionHeld(sqlite3* db) : mutex_(sqlite3_db_mutex(db)) {
    sqlite3_mutex_enter(mutex_);
  }
  ~ConnectionHeld() { sqlite3_mutex_leave(mutex_); }
  ConnectionHeld(const ConnectionHeld&) = delete;
  ConnectionHeld& operator=(const ConnectionHeld&) = delete;

 private:
  sqlite3_mutex* mutex_;
};

// A statement of the second connection. Its rows are those of the last read
// collected; a read still pending when the statement goes is waited for.
class AsideStatement : public EngineStatement {
 public:
  AsideStatement(std::shared_ptr<SqliteAside> aside, sqlite3_stmt* stmt)
      : aside_(std::move(aside)) {
    read_.stmt = stmt;
  }
  ~AsideStatement() override {
    aside_->wait(read_);
    sqlite3_finalize(read_.stmt);
  }

  int execute(const std::vector<Value>& params, Reading) override {
    post(params);
    return collect();
  }
  int post(const std::vector<Value>& params) override {
    aside_->wait(read_);
    read_.params = params;
    aside_->post(read_);
    return kOk;
  }
  int collect() override {
    aside_->wait(read_);
    next_ = 0;
    return read_.status;
  }
  int next() override {
    if (read_.columns == 0 || (next_ + 1) * columns() > read_.cells.size()) return kNoData;
    row_ = next_++;
    return kOk;
  }
  const Value& column(int index) const override {
    return read_.cells[row_ * columns() + static_cast<size_t>(index)];
  }
  int columnCount() const override { return read_.columns; }
  int64_t changes() const override { return 0; }
  void reset() override {
    aside_->wait(read_);
    read_.cells.clear();
  }

 private:
  size_t columns() const { return static_cast<size_t>(read_.columns); }

  std::shared_ptr<SqliteAside> aside_;
  SqliteAside::Read read_;
  size_t next_ = 0, row_ = 0;
};

}  // namespace

std::shared_ptr<SqliteAside> SqliteAside::open(const std::filesystem::path& file,
                                               const std::string& schema) {
  // Serialized: the session's thread prepares statements on the connection
  // while this one's thread reads.
  sqlite3* db = nullptr;
  if (openSchemaFile(file, schema, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, db) != kOk)
    return nullptr;
  return std::shared_ptr<SqliteAside>(new SqliteAside(db));
}

SqliteAside::SqliteAside(sqlite3* db) : db_(db), thread_([this] { serve(); }) {}

SqliteAside::~SqliteAside() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
  sqlite3_close_v2(db_);
}

std::unique_ptr<EngineStatement> SqliteAside::prepare(const std::string& text, int& status) {
  const ConnectionHeld held(db_);
  sqlite3_stmt* stmt = prepareStatement(db_, text, status);
  return stmt ? std::make_unique<AsideStatement>(shared_from_this(), stmt) : nullptr;
}

void SqliteAside::post(Read& read) {
  {
    std::lock_guard lock(mutex_);
    read.pending = true;
    queue_.push_back(&read);
  }
  changed_.notify_all();
}

void SqliteAside::wait(Read& read) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !read.pending; });
}

void SqliteAside::serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, nothing left to read
    Read& read = *queue_.front();
    queue_.pop_front();
    lock.unlock();
    readAll(read);
    lock.lock();
    read.pending = false;
    changed_.notify_all();
  }
}

// Runs on the connection's thread; the session's thread leaves a pending
// read alone.
void SqliteAside::readAll(Read& read) {
  const ConnectionHeld held(db_);
  sqlite3_clear_bindings(read.stmt);  // none left pointing at earlier values
  read.cells.clear();
  read.columns = sqlite3_column_count(read.stmt);
  int rc = SQLITE_OK;
  for (size_t i = 0; i < read.params.size() && rc == SQLITE_OK; ++i)
    rc = bindValue(read.stmt, static_cast<int>(i) + 1, read.params[i]);
  if (rc == SQLITE_OK)
    while ((rc = sqlite3_step(read.stmt)) == SQLITE_ROW)
      for (int c = 0; c < read.columns; ++c) readColumn(read.stmt, c, read.cells.emplace_back());
  read.status = rc == SQLITE_OK || rc == SQLITE_DONE ? kOk : statusOf(db_, rc);
  if (read.status != kOk) read.cells.clear();
  sqlite3_reset(read.stmt);  // ends the read's snapshot of the file
}

}  // namespace lug::db
