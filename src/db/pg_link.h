#pragma once
// The connection to a PostgreSQL server, held by the engine and its
// statements. Every exchange with the server is one round trip: the commands
// of a step are sent as one pipeline and answered together.
//
// A failed statement must not undo the work before it, as on the suite's
// Oracle database, while an error inside a PostgreSQL transaction spoils the
// whole transaction. So every guarded step runs inside a savepoint; after a
// failure the transaction returns to that savepoint with the next round trip.
// Consecutive reads share one savepoint: returning to it undoes nothing but
// reads, so it needs neither a new savepoint per read nor its release, and it
// serves as the savepoint of the step after them.
#include <libpq-fe.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lug::db {

struct PgResultFree {
  void operator()(PGresult* r) const { PQclear(r); }
};
using PgResult = std::unique_ptr<PGresult, PgResultFree>;

using PgParams = std::vector<std::optional<std::string>>;

struct PgCommand {
  enum class Kind { Query, Prepare, Describe, Execute } kind;
  std::string name;        // Prepare, Describe, Execute: the prepared statement
  std::string text;        // Query, Prepare: the statement text
  PgParams params;         // Query, Execute
  std::vector<Oid> types;  // Prepare: parameter types (0: the server infers them)

  static PgCommand query(std::string text, PgParams params = {});
  static PgCommand prepare(std::string name, std::string text, std::vector<Oid> types);
  static PgCommand describe(std::string name);
  static PgCommand execute(std::string name, PgParams params);
};

// Whether a step runs inside the session's transaction (begun when none is
// open) and a savepoint, or as it stands (the schema switch, the run lock).
// A read (a select, the fetch of a cursor) changes nothing that a return to
// a savepoint would undo, so it runs inside the savepoint of the reads
// before it; a cursor's declaration is no read in that sense, since the
// return to a savepoint closes the cursors declared after it.
enum class PgScope { Guarded, Read, Plain };

struct PgStats {
  int64_t roundTrips = 0;
  int64_t prepares = 0;  // statements parsed into server-side prepared statements
  int64_t savepoints = 0;
};

class PgLink {
 public:
  // Connects; on failure returns nullptr and sets the Oracle status.
  static std::shared_ptr<PgLink> connect(const std::string& uri, const std::string& user,
                                         const std::string& password, int& status);
  ~PgLink();
  PgLink(const PgLink&) = delete;
  PgLink& operator=(const PgLink&) = delete;

  // Runs the commands in one round trip; `results` gets one result per
  // command. Returns 0 or the status of the first failing command.
  int run(const std::vector<PgCommand>& commands, std::vector<PgResult>& results, PgScope scope);
  int commit();
  int rollback();
  // Sends the commands as one pipeline, outside any transaction, and returns
  // without waiting for the server: a ticket for collect(), 0 when the
  // connection is gone. The server works on them while the caller goes on.
  int64_t post(const std::vector<PgCommand>& commands);
  // Waits for the results of a posted pipeline, as run() answers; the
  // results of pipelines posted before it are read first and kept.
  int collect(int64_t ticket, std::vector<PgResult>& results);
  // Every exchange of this link first takes in what the server has sent on
  // `other` so far: a server blocks once the socket holds a few hundred
  // kilobytes of a posted select's rows that nobody reads.
  void alsoRead(std::weak_ptr<PgLink> other) { alsoRead_ = std::move(other); }

  // A command that tidies up after a statement (closing its cursor, freeing
  // its prepared statement); it travels with the next round trip.
  void later(PgCommand command) { pending_.push_back(std::move(command)); }
  // Names unique within the session for prepared statements and cursors.
  std::string newName() { return std::to_string(++names_); }
  // Transaction counter for cursors: a cursor declared in a transaction that
  // was rolled back no longer exists.
  int64_t transaction() const { return transaction_; }
  bool survived(int64_t transaction) const {
    return transaction == transaction_ || transaction <= committed_;
  }
  void countPrepare() { ++stats_.prepares; }
  bool broken() const { return broken_; }
  const PgStats& stats() const { return stats_; }

 private:
  explicit PgLink(PGconn* conn) : conn_(conn) {}
  int prepareHelpers();
  struct Posted {
    int64_t ticket = 0;
    size_t commands = 0;
    bool received = false;
    int status = 0;
    std::vector<PgResult> results;
  };
  int exchange(const std::vector<PgCommand>& commands, std::vector<PgResult>& results);
  bool sendAll(const std::vector<PgCommand>& commands);
  int readReplies(size_t count, std::vector<PgResult>& results);
  void receive(Posted& p);
  bool send(const PgCommand& c);
  int lost();
  std::vector<PgCommand> housekeeping();
  PGTransactionStatusType transactionStatus();
  void receivePosted();
  void syncClock(std::vector<PgCommand>& commands);
  int statusOf(const PGresult* r);
  int endTransaction(const char* helper);

  PGconn* conn_;
  std::vector<PgCommand> pending_;
  std::deque<Posted> posted_;  // in the order sent; the server answers in that order
  int64_t tickets_ = 0;
  std::weak_ptr<PgLink> alsoRead_;
  std::optional<std::string> sysdateSent_;
  int64_t names_ = 0;
  int64_t transaction_ = 1;
  int64_t committed_ = 0;
  bool readSavepoint_ = false;  // the open savepoint has only reads after it
  bool broken_ = false;
  PgStats stats_;
};

// The Oracle status for a failed command of the server (SQLSTATE).
int pgStatus(const char* sqlstate, const char* message);
// The Oracle status for a failed connect.
int pgConnectStatus(PGconn* conn);

// The definitions of the lug_* functions in the central schema.
const std::vector<std::string>& pgFunctionDefinitions();

}  // namespace lug::db
