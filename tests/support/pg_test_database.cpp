#include "support/pg_test_database.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <thread>

#include "db/ddl.h"
#include "db/session.h"

#ifdef LUG_WITH_POSTGRES
#include <libpq-fe.h>
#endif

namespace lug::test {
namespace {

std::string serverUri() {
  const char* uri = std::getenv("LUG_TEST_PG");
  return uri ? uri : "";
}

struct Outcome {
  std::string sqlstate;  // empty on success
  std::string message;
  bool ok() const { return message.empty(); }
};

// Runs one statement on the server's maintenance database.
Outcome tryAdminister(const std::string& sql) {
  Outcome outcome;
#ifdef LUG_WITH_POSTGRES
  PGconn* conn = PQconnectdb(serverUri().c_str());
  if (PQstatus(conn) != CONNECTION_OK) {
    outcome.message = PQerrorMessage(conn);
  } else {
    PGresult* r = PQexec(conn, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK) {
      outcome.message = PQresultErrorMessage(r);
      const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
      outcome.sqlstate = state ? state : "";
    }
    PQclear(r);
  }
  PQfinish(conn);
#else
  outcome.message = "built without the PostgreSQL engine";
#endif
  return outcome;
}

void administer(const std::string& sql) {
  const Outcome outcome = tryAdminister(sql);
  if (!outcome.ok()) throw std::runtime_error(sql + ": " + outcome.message);
}

// A database that a session has just left may still count as in use for a
// moment while its server process ends (55006): such statements are retried.
Outcome administerWhenFree(const std::string& sql) {
  for (int attempt = 0;; ++attempt) {
    Outcome outcome = tryAdminister(sql);
    if (outcome.sqlstate != "55006" || attempt == 100) return outcome;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::string uniqueName(const char* prefix) {
  std::random_device rd;
  return std::string(prefix) + "_" + std::to_string(getpid()) + "_" +
         std::to_string(rd() % 100000000);
}

// The template's name: the schema and the test program file (its size and
// modification time), hashed, so that a rebuilt program whose table
// definitions may have changed gets a template of its own.
std::string templateName(const std::string& schema) {
  struct stat program {};
  ::stat("/proc/self/exe", &program);
  const std::string key = schema + "|" + std::to_string(program.st_size) + "|" +
                          std::to_string(program.st_mtim.tv_sec) + "." +
                          std::to_string(program.st_mtim.tv_nsec);
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("lt_tpl_") + text;
}

void initialise(const std::string& service, const std::string& schema) {
  int status = 0;
  auto engine = db::connectEngine({"", "", service}, status);
  if (!engine || engine->createSchema(schema) != db::kOk)
    throw std::runtime_error("cannot create test schema " + schema);
  auto session = db::Session::connect({"", "", service}, schema, status);
  if (!session || db::createTables(*session, schema) != db::kOk)
    throw std::runtime_error("cannot create the tables of test schema " + schema);
}

// Builds the template under a name of its own and renames it into place;
// when another process was first, its template stays and this one goes.
void buildTemplate(const std::string& name, const std::string& schema) {
  const std::string work = uniqueName("lt_build");
  administer("CREATE DATABASE " + work + " TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C'");
  initialise(withDatabase(serverUri(), work), schema);
  if (!administerWhenFree("ALTER DATABASE " + work + " RENAME TO " + name).ok())
    administer("DROP DATABASE IF EXISTS " + work + " WITH (FORCE)");
}

}  // namespace

bool pgTestServerAvailable() {
#ifdef LUG_WITH_POSTGRES
  return !serverUri().empty();
#else
  return false;
#endif
}

std::string withDatabase(const std::string& uri, const std::string& database) {
  const size_t authority = uri.find("://");
  const size_t start = authority == std::string::npos ? 0 : authority + 3;
  const size_t query = uri.find('?', start);
  const size_t path = uri.find('/', start);
  const size_t end = query == std::string::npos ? uri.size() : query;
  if (path == std::string::npos || path > end)
    return uri.substr(0, end) + "/" + database + uri.substr(end);
  return uri.substr(0, path + 1) + database + uri.substr(end);
}

PgTestDatabase::PgTestDatabase() {
  if (!pgTestServerAvailable()) throw std::runtime_error("no PostgreSQL test server (LUG_TEST_PG)");
  name_ = uniqueName("lt");
  administer("CREATE DATABASE " + name_ + " TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C'");
  service_ = withDatabase(serverUri(), name_);
}

PgTestDatabase::PgTestDatabase(const std::string& schema) {
  if (!pgTestServerAvailable()) throw std::runtime_error("no PostgreSQL test server (LUG_TEST_PG)");
  name_ = uniqueName("lt");
  const std::string source = templateName(schema);
  const std::string create =
      "CREATE DATABASE " + name_ + " TEMPLATE " + source + " STRATEGY FILE_COPY";
  Outcome outcome = administerWhenFree(create);
  if (outcome.sqlstate == "3D000") {  // no template yet
    buildTemplate(source, schema);
    outcome = administerWhenFree(create);
  }
  if (!outcome.ok()) throw std::runtime_error(create + ": " + outcome.message);
  service_ = withDatabase(serverUri(), name_);
}

PgTestDatabase::~PgTestDatabase() {
  try {
    administer("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const std::exception&) {
    // A database left behind goes with the throwaway server.
  }
}

}  // namespace lug::test
