#pragma once
// Selects of tables the run never writes (Engine::prepareAside), read on a
// second connection to the schema's file by a thread of its own: while the
// run computes and writes on one core, the library reads the rows of the
// employees the walk reaches next on the other. post() queues a read, the
// thread reads all its rows (or hands them to a RowsTaker as it steps
// through them), collect() waits for them. With the write-ahead log the
// second connection sees what is committed, which for these tables is what
// the session's connection sees.
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "db/engine.h"

struct sqlite3;
struct sqlite3_stmt;

namespace lug::db {

class SqliteAside : public std::enable_shared_from_this<SqliteAside> {
 public:
  // The second connection and its thread; nullptr when the file cannot be
  // opened a second time.
  static std::shared_ptr<SqliteAside> open(const std::filesystem::path& file,
                                           const std::string& schema);
  ~SqliteAside();
  SqliteAside(const SqliteAside&) = delete;
  SqliteAside& operator=(const SqliteAside&) = delete;

  std::unique_ptr<EngineStatement> prepare(const std::string& text, int& status);

  // One read of a statement: its values, and once read its rows and status.
  struct Read {
    sqlite3_stmt* stmt = nullptr;
    std::vector<Value> params;
    std::vector<Value> cells;  // the rows' columns, row after row
    int columns = 0;
    int status = 0;
    bool pending = false;  // queued or being read
    // Takes the rows on the thread as they are stepped, instead of cells.
    std::shared_ptr<RowsTaker> taker;
  };
  void post(Read& read);
  // Returns once the thread has read `read` (at once when it is not pending).
  void wait(Read& read);
  // Waits for `read` and finalizes its statement.
  void finalize(Read& read);

 private:
  explicit SqliteAside(sqlite3* db);
  void serve();
  void readAll(Read& read);

  sqlite3* db_;
  // Held for every use of the connection, which SQLite does not serialize:
  // the session's thread prepares and finalizes while this one reads, and an
  // error message read under it is that of the failing call.
  std::mutex connection_;
  std::mutex mutex_;  // of the queue and the reads' `pending`
  std::condition_variable changed_;
  std::deque<Read*> queue_;
  bool stopping_ = false;
  std::thread thread_;  // last: started once the members above exist
};

}  // namespace lug::db
