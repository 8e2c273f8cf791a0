#pragma once
// A throwaway installation of the hand-over program for tests: a working
// directory with its ../Files, ../Horavia_php/log and ../Transfer siblings, a
// database service (SQLite directory, or the PostgreSQL server named by
// LUG_TEST_PG) with an initialised schema, helpers to fill tables and to run
// the lug binary.
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "db/session.h"

namespace lug::test {

namespace fs = std::filesystem;

using Cell = std::variant<std::string, const char*, int, double, std::nullptr_t>;
using Row = std::vector<std::pair<std::string, Cell>>;

class PgTestDatabase;

// The engine a test installation keeps its database in. LUG_TEST_ENGINE=postgres
// makes the PostgreSQL server of LUG_TEST_PG the default, so that the whole
// suite runs on either engine unchanged.
enum class TestEngine { Sqlite, Postgres };
TestEngine defaultTestEngine();

struct RunResult {
  int exitStatus = -1;
  std::string console;
  std::string log;  // bytes of the run log after the run
};

class Installation {
 public:
  explicit Installation(std::string schema = "TEST", TestEngine engine = defaultTestEngine());
  ~Installation();

  const fs::path& root() const { return root_; }
  fs::path workDir() const { return root_ / "Bin"; }
  fs::path logPath() const { return root_ / "Horavia_php" / "log" / "log#lug.txt"; }
  fs::path exportDir() const;
  const std::string& service() const { return service_; }
  const std::string& schema() const { return schema_; }
  TestEngine engine() const { return engine_; }

  // The installation's own session (committed after each helper call).
  db::Session& db();
  void insert(const std::string& table, const Row& row);
  // Rows of a query as text cells, for comparing table contents.
  std::vector<std::vector<std::string>> rows(const std::string& sql);
  std::string scalar(const std::string& sql);

  // Writes ../Files/horavia.ini with enciphered LOGIN, PASS and NET8.
  void writeConfig(const std::string& user, const std::string& password, const std::string& net8);
  // Runs the lug binary in the working directory.
  RunResult runLug(const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env = {}) const;
  std::string logText() const;

 private:
  fs::path root_;
  std::string schema_;
  TestEngine engine_;
  std::unique_ptr<PgTestDatabase> pg_;  // the installation's database on the server
  std::string service_;
  std::unique_ptr<db::Session> session_;
};

std::string readFile(const fs::path& p);

// Rows of a query as text cells (null as the empty text).
std::vector<std::vector<std::string>> queryRows(db::Session& session, const std::string& sql);

// Runs a program in a working directory with extra environment variables;
// the console output (stdout and stderr) is collected. `log` stays empty.
RunResult runProgram(const char* binary, const fs::path& workDir,
                     const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env = {});

}  // namespace lug::test
