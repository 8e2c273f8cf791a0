#include "db/pg_link.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "db/oracle.h"
#include "db/status.h"

namespace lug::db {
namespace {

// The transaction commands, prepared once per session like every statement.
struct Helper {
  const char* name;
  const char* text;
};
constexpr Helper kHelpers[] = {
    {"lug_begin", "BEGIN"},
    {"lug_savepoint", "SAVEPOINT lug_step"},
    {"lug_release", "RELEASE SAVEPOINT lug_step"},
    {"lug_undo", "ROLLBACK TO SAVEPOINT lug_step"},
    {"lug_commit", "COMMIT"},
    {"lug_rollback", "ROLLBACK"},
};

PgCommand helper(const char* name) {
  return PgCommand::execute(name, {});
}

bool failed(const PGresult* r) {
  switch (PQresultStatus(r)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_EMPTY_QUERY:
      return false;
    default:
      return true;
  }
}

// The clock the lug_sysdate() function of the server reports: the time
// LUG_SYSDATE fixes in this process, or empty for the server's own clock.
std::string fixedClock() {
  const char* env = std::getenv("LUG_SYSDATE");
  if (!env || !*env) return {};
  try {
    return oracle::canonical(oracle::sysdate());
  } catch (const oracle::Error&) {
    return {};
  }
}

struct StateStatus {
  const char* sqlstate;  // a full SQLSTATE, or a class of two characters
  int status;
};

// Server errors as the Oracle statuses the callers know. Errors that end the
// session or leave it untrustworthy (lost connection, server shutdown, lock
// conflicts, resources, corruption) are fatal.
constexpr StateStatus kStatuses[] = {
    {"23505", kDupKey}, {"23502", -1400},  {"23514", -12899}, {"22001", -12899}, {"42P01", -942},
    {"3F000", -1435},   {"42703", -904},   {"42883", -904},   {"22P02", -1722},  {"22003", -1438},
    {"22012", -1476},   {"21000", -1427},  {"42804", -932},   {"42601", -900},   {"40P01", kFatal},
    {"40001", kFatal},  {"55P03", kFatal}, {"57014", kFatal}, {"25P02", kFatal}, {"08", kFatal},
    {"53", kFatal},     {"57", kFatal},    {"58", kFatal},    {"XX", kFatal},
};

bool contains(const std::string& s, const char* part) {
  return s.find(part) != std::string::npos;
}

}  // namespace

PgCommand PgCommand::query(std::string text, PgParams params) {
  return {Kind::Query, {}, std::move(text), std::move(params), {}};
}
PgCommand PgCommand::prepare(std::string name, std::string text, std::vector<Oid> types) {
  return {Kind::Prepare, std::move(name), std::move(text), {}, std::move(types)};
}
PgCommand PgCommand::describe(std::string name) {
  return {Kind::Describe, std::move(name), {}, {}, {}};
}
PgCommand PgCommand::execute(std::string name, PgParams params) {
  return {Kind::Execute, std::move(name), {}, std::move(params), {}};
}

int pgStatus(const char* sqlstate, const char* message) {
  if (message && std::strncmp(message, "ORA-", 4) == 0) return -std::atoi(message + 4);
  const std::string_view state = sqlstate ? sqlstate : "";
  for (const StateStatus& s : kStatuses)
    if (state.substr(0, std::strlen(s.sqlstate)) == s.sqlstate) return s.status;
  return -900;
}

int pgConnectStatus(PGconn* conn) {
  const std::string msg = conn ? PQerrorMessage(conn) : "";
  if (contains(msg, "database \"") && contains(msg, "does not exist"))
    return -12514;  // ORA-12514: the listener does not know the service
  if (PQconnectionNeedsPassword(conn) || PQconnectionUsedPassword(conn) ||
      contains(msg, "authentication") || contains(msg, "role \""))
    return -1017;  // ORA-01017: invalid username/password; logon denied
  if (contains(msg, "invalid")) return -12154;  // ORA-12154: connect identifier not resolved
  return -12541;                                // ORA-12541: no listener
}

std::shared_ptr<PgLink> PgLink::connect(const std::string& uri, const std::string& user,
                                        const std::string& password, int& status) {
  // Later keywords override what the URI says: the login of the
  // configuration file and the client encoding of the program's texts.
  std::vector<const char*> keys{"connect_timeout", "dbname"};
  std::vector<const char*> values{"10", uri.c_str()};
  if (!user.empty()) keys.push_back("user"), values.push_back(user.c_str());
  if (!password.empty()) keys.push_back("password"), values.push_back(password.c_str());
  keys.insert(keys.end(), {"client_encoding", "application_name", nullptr});
  values.insert(values.end(), {"UTF8", "lug", nullptr});
  PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 1);
  if (PQstatus(conn) != CONNECTION_OK || !PQenterPipelineMode(conn)) {
    status = pgConnectStatus(conn);
    PQfinish(conn);
    return nullptr;
  }
  // Server notices ("relation already exists, skipping") are not for the
  // console the suite reads.
  PQsetNoticeProcessor(
      conn, [](void*, const char*) {}, nullptr);
  std::shared_ptr<PgLink> link(new PgLink(conn));
  status = link->prepareHelpers();
  if (status != kOk) return nullptr;
  return link;
}

PgLink::~PgLink() {
  PQfinish(conn_);
}

int PgLink::prepareHelpers() {
  // Floats travel in their shortest exact text, whatever the server's default.
  // Grouped selects return their groups sorted, as the difference step reads
  // the old records best (employee by employee, merged with the new rows); a
  // hash aggregate would return them in no order.
  std::vector<PgCommand> commands{PgCommand::query("SET extra_float_digits = 1"),
                                  PgCommand::query("SET enable_hashagg = off")};
  for (const Helper& h : kHelpers) commands.push_back(PgCommand::prepare(h.name, h.text, {}));
  std::vector<PgResult> results;
  return exchange(commands, results);
}

int PgLink::run(const std::vector<PgCommand>& commands, std::vector<PgResult>& results,
                PgScope scope) {
  results.clear();
  if (broken_) return kFatal;
  std::vector<PgCommand> all = housekeeping();
  const bool idle = transactionStatus() == PQTRANS_IDLE;
  if (idle && scope != PgScope::Plain) all.push_back(helper("lug_begin"));
  syncClock(all);
  const bool guarded = !idle || scope != PgScope::Plain;
  if (guarded && !readSavepoint_) all.push_back(helper("lug_savepoint")), ++stats_.savepoints;
  const size_t first = all.size();
  all.insert(all.end(), commands.begin(), commands.end());
  readSavepoint_ = guarded && scope == PgScope::Read;
  if (guarded && !readSavepoint_) all.push_back(helper("lug_release"));
  std::vector<PgResult> replies;
  const int status = exchange(all, replies);
  for (size_t i = first; i < first + commands.size() && i < replies.size(); ++i)
    results.push_back(std::move(replies[i]));
  return status;
}

// Returns a transaction that a failed step left spoilt to the savepoint
// before that step, and sends the tidying commands of finished statements.
std::vector<PgCommand> PgLink::housekeeping() {
  std::vector<PgCommand> all;
  if (transactionStatus() == PQTRANS_INERROR) {
    all.insert(all.end(), {helper("lug_undo"), helper("lug_release")});
    readSavepoint_ = false;
  }
  all.insert(all.end(), pending_.begin(), pending_.end());
  pending_.clear();
  return all;
}

// lug_sysdate() on the server follows LUG_SYSDATE of this process; the
// setting is sent again whenever the variable changed.
void PgLink::syncClock(std::vector<PgCommand>& commands) {
  std::string clock = fixedClock();
  if (sysdateSent_ && *sysdateSent_ == clock) return;
  commands.push_back(PgCommand::query("select set_config('lug.sysdate', $1, false)", {clock}));
  sysdateSent_ = std::move(clock);
}

int PgLink::commit() {
  const int status = endTransaction("lug_commit");
  if (status == kOk) committed_ = transaction_;
  ++transaction_;
  return status;
}

int PgLink::rollback() {
  const int status = endTransaction("lug_rollback");
  ++transaction_;
  sysdateSent_.reset();  // the setting went with the transaction
  return status;
}

int PgLink::endTransaction(const char* name) {
  if (broken_) return kFatal;
  std::vector<PgCommand> all = housekeeping();
  if (transactionStatus() != PQTRANS_IDLE) all.push_back(helper(name));
  readSavepoint_ = false;
  if (all.empty()) return kOk;
  std::vector<PgResult> results;
  return exchange(all, results);
}

// While posted pipelines are unanswered the connection reports a command in
// progress; their answers are read first, and the state after them counts.
PGTransactionStatusType PgLink::transactionStatus() {
  receivePosted();
  return PQtransactionStatus(conn_);
}

void PgLink::receivePosted() {
  for (Posted& p : posted_)
    if (!p.received) receive(p);
}

int PgLink::exchange(const std::vector<PgCommand>& commands, std::vector<PgResult>& results) {
  if (const auto other = alsoRead_.lock(); other && !other->posted_.empty())
    PQconsumeInput(other->conn_);
  receivePosted();
  if (!sendAll(commands)) return lost();
  return readReplies(commands.size(), results);
}

int64_t PgLink::post(const std::vector<PgCommand>& commands) {
  if (broken_ || !sendAll(commands)) {
    lost();
    return 0;
  }
  Posted& p = posted_.emplace_back();
  p.ticket = ++tickets_, p.commands = commands.size();
  return tickets_;
}

int PgLink::collect(int64_t ticket, std::vector<PgResult>& results) {
  results.clear();
  for (auto p = posted_.begin(); p != posted_.end(); ++p) {
    if (!p->received) receive(*p);
    if (p->ticket != ticket) continue;
    const int status = p->status;
    results = std::move(p->results);
    posted_.erase(p);
    return status;
  }
  return kFatal;
}

void PgLink::receive(Posted& p) {
  p.status = broken_ ? kFatal : readReplies(p.commands, p.results);
  p.received = true;
}

bool PgLink::sendAll(const std::vector<PgCommand>& commands) {
  ++stats_.roundTrips;
  for (const PgCommand& c : commands)
    if (!send(c)) return false;
  return PQpipelineSync(conn_) == 1;
}

// The replies to `count` commands and the synchronisation point after them.
int PgLink::readReplies(size_t count, std::vector<PgResult>& results) {
  int status = kOk;
  for (size_t i = 0; i < count; ++i) {
    PgResult r(PQgetResult(conn_));
    if (!r) return lost();
    while (PGresult* extra = PQgetResult(conn_)) PQclear(extra);  // end of this command
    if (status == kOk && failed(r.get())) status = statusOf(r.get());
    results.push_back(std::move(r));
  }
  PgResult sync(PQgetResult(conn_));
  if (!sync || PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC) return lost();
  if (status != kOk && PQtransactionStatus(conn_) == PQTRANS_UNKNOWN) return lost();
  return status;
}

bool PgLink::send(const PgCommand& c) {
  std::vector<const char*> values;
  for (const auto& p : c.params) values.push_back(p ? p->c_str() : nullptr);
  const int n = static_cast<int>(values.size());
  switch (c.kind) {
    case PgCommand::Kind::Query:
      return PQsendQueryParams(conn_, c.text.c_str(), n, nullptr, values.data(), nullptr, nullptr,
                               0);
    case PgCommand::Kind::Prepare:
      return PQsendPrepare(conn_, c.name.c_str(), c.text.c_str(), static_cast<int>(c.types.size()),
                           c.types.data());
    case PgCommand::Kind::Describe:
      return PQsendDescribePrepared(conn_, c.name.c_str());
    case PgCommand::Kind::Execute:
      return PQsendQueryPrepared(conn_, c.name.c_str(), n, values.data(), nullptr, nullptr, 0);
  }
  return false;
}

// The connection is gone (or out of step with the server): every later call
// answers with the fatal status at once.
int PgLink::lost() {
  broken_ = true;
  return kFatal;
}

int PgLink::statusOf(const PGresult* r) {
  if (PQstatus(conn_) == CONNECTION_BAD) return lost();
  return pgStatus(PQresultErrorField(r, PG_DIAG_SQLSTATE),
                  PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY));
}

}  // namespace lug::db
