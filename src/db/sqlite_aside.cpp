#include "db/sqlite_aside.h"

#include <sqlite3.h>

#include <utility>

#include "db/sqlite_connection.h"
#include "db/status.h"

namespace lug::db {
namespace {

// The rows of a read as the statement steps through them: each row's values
// are read into the same cells.
class SteppedRows final : public EngineStatement {
 public:
  SteppedRows(sqlite3* db, sqlite3_stmt* stmt)
      : db_(db), stmt_(stmt), row_(static_cast<size_t>(sqlite3_column_count(stmt))) {}

  int execute(const std::vector<Value>&, Reading) override { return kOk; }
  int next() override {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE) return kNoData;
    if (rc != SQLITE_ROW) return status_ = statusOf(db_, rc);
    for (size_t c = 0; c < row_.size(); ++c) readColumn(stmt_, static_cast<int>(c), row_[c]);
    return kOk;
  }
  const Value& column(int index) const override { return row_[static_cast<size_t>(index)]; }
  int columnCount() const override { return static_cast<int>(row_.size()); }
  int64_t changes() const override { return 0; }
  void reset() override {}
  int status() const { return status_; }  // of a failed step

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  std::vector<Value> row_;
  int status_ = kOk;
};

// A statement of the second connection. Its rows are those of the last read
// collected; a read still pending when the statement goes is waited for.
class AsideStatement : public EngineStatement {
 public:
  AsideStatement(std::shared_ptr<SqliteAside> aside, sqlite3_stmt* stmt)
      : aside_(std::move(aside)) {
    read_.stmt = stmt;
  }
  ~AsideStatement() override { aside_->finalize(read_); }

  int execute(const std::vector<Value>& params, Reading) override {
    post(params);
    return collect();
  }
  int post(const std::vector<Value>& params) override { return postTaking(params, nullptr); }
  int postTaking(const std::vector<Value>& params, std::shared_ptr<RowsTaker> taker) override {
    aside_->wait(read_);
    read_.params = params;
    read_.taker = std::move(taker);
    aside_->post(read_);
    return kOk;
  }
  int collect() override {
    aside_->wait(read_);
    next_ = 0;
    read_.taker.reset();
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
  sqlite3* db = nullptr;
  if (openSchemaFile(file, schema, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, db) != kOk)
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
  const std::lock_guard held(connection_);
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

void SqliteAside::finalize(Read& read) {
  wait(read);
  const std::lock_guard held(connection_);
  sqlite3_finalize(read.stmt);
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
  const std::lock_guard held(connection_);
  sqlite3_clear_bindings(read.stmt);  // none left pointing at earlier values
  read.cells.clear();
  read.columns = sqlite3_column_count(read.stmt);
  int rc = SQLITE_OK;
  for (size_t i = 0; i < read.params.size() && rc == SQLITE_OK; ++i)
    rc = bindValue(read.stmt, static_cast<int>(i) + 1, read.params[i]);
  if (rc == SQLITE_OK) {
    SteppedRows rows(db_, read.stmt);
    if (read.taker)
      read.taker->rows = read.taker->take(rows);
    else
      while (rows.next() == kOk)
        for (int c = 0; c < read.columns; ++c) read.cells.push_back(rows.column(c));
    read.status = rows.status();
  } else {
    read.status = statusOf(db_, rc);
  }
  if (read.status != kOk) read.cells.clear();
  sqlite3_reset(read.stmt);  // ends the read's snapshot of the file
}

}  // namespace lug::db
