#include "support/pg_test_database.h"

#include <unistd.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

#ifdef LUG_WITH_POSTGRES
#include <libpq-fe.h>
#endif

namespace lug::test {
namespace {

std::string serverUri() {
  const char* uri = std::getenv("LUG_TEST_PG");
  return uri ? uri : "";
}

// Runs one statement on the server's maintenance database.
void administer(const std::string& sql) {
#ifdef LUG_WITH_POSTGRES
  PGconn* conn = PQconnectdb(serverUri().c_str());
  std::string error;
  if (PQstatus(conn) != CONNECTION_OK) {
    error = PQerrorMessage(conn);
  } else {
    PGresult* r = PQexec(conn, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK) error = PQresultErrorMessage(r);
    PQclear(r);
  }
  PQfinish(conn);
  if (!error.empty()) throw std::runtime_error(sql + ": " + error);
#else
  throw std::runtime_error(sql + ": built without the PostgreSQL engine");
#endif
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
  std::random_device rd;
  name_ = "lt_" + std::to_string(getpid()) + "_" + std::to_string(rd() % 100000000);
  administer("CREATE DATABASE " + name_ + " TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C'");
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
