#pragma once
// A database of its own on the PostgreSQL test server for one test
// installation. The server is named by LUG_TEST_PG, a connection URI whose
// database the tests may use to create and drop databases; keep it short
// (the service name of a run has at most 41 characters) and give host, port
// and user through libpq's PGHOST, PGPORT and PGUSER where needed.
//
// Creating a schema's tables and filling the calendar takes the server about
// half a second, so a test database is a copy of a template database that
// holds the initialised schema. The template is made once per schema and
// test program (named by a fingerprint of the program file, so a rebuilt
// program never reuses an older template) by whichever test process needs it
// first; processes that race for it build under names of their own and keep
// the first one renamed into place.
#include <string>

namespace lug::test {

// Whether the tests can reach a PostgreSQL server (LUG_TEST_PG is set and the
// program was built with the PostgreSQL engine).
bool pgTestServerAvailable();

class PgTestDatabase {
 public:
  // An empty database with a name no other test uses.
  PgTestDatabase();
  // The same, holding `schema` with its tables and those of the central
  // schema, as lug-admin init leaves them.
  explicit PgTestDatabase(const std::string& schema);
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
