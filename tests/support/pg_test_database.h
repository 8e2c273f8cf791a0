#pragma once
// A database of its own on the PostgreSQL test server for one test
// installation. The server is named by LUG_TEST_PG, a connection URI whose
// database the tests may use to create and drop databases; keep it short
// (the service name of a run has at most 41 characters) and give host, port
// and user through libpq's PGHOST, PGPORT and PGUSER where needed.
#include <string>

namespace lug::test {

// Whether the tests can reach a PostgreSQL server (LUG_TEST_PG is set and the
// program was built with the PostgreSQL engine).
bool pgTestServerAvailable();

class PgTestDatabase {
 public:
  PgTestDatabase();   // creates a database with a name no other test uses
  ~PgTestDatabase();  // drops it, ending sessions that still use it
  PgTestDatabase(const PgTestDatabase&) = delete;
  PgTestDatabase& operator=(const PgTestDatabase&) = delete;

  // The service name that selects this database.
  const std::string& service() const { return service_; }

 private:
  std::string name_;
  std::string service_;
};

// `uri` with its database replaced by `database`.
std::string withDatabase(const std::string& uri, const std::string& database);

}  // namespace lug::test
