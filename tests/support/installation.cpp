#include "support/installation.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "db/ddl.h"
#include "support/pg_test_database.h"

namespace lug::test {

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

namespace {

fs::path makeTempRoot() {
  std::random_device rd;
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path p = base / ("lug-test-" + std::to_string(rd()));
    if (fs::create_directory(p)) return p;
  }
}

db::In toIn(const Cell& c) {
  if (auto* s = std::get_if<std::string>(&c)) return db::In(*s);
  if (auto* s = std::get_if<const char*>(&c)) return db::In(*s);
  if (auto* i = std::get_if<int>(&c)) return db::In(static_cast<int64_t>(*i));
  if (auto* d = std::get_if<double>(&c)) return db::In(*d);
  return db::In("");
}

}  // namespace

TestEngine defaultTestEngine() {
  const char* engine = std::getenv("LUG_TEST_ENGINE");
  return engine && std::string(engine) == "postgres" ? TestEngine::Postgres : TestEngine::Sqlite;
}

Installation::Installation(std::string schema, TestEngine kind)
    : root_(makeTempRoot()), schema_(std::move(schema)), engine_(kind) {
  for (const char* dir : {"Bin", "Files", "Horavia_php/log", "Transfer", "db"})
    fs::create_directories(root_ / dir);
  int status = 0;
  if (engine_ == TestEngine::Postgres) {
    pg_ = std::make_unique<PgTestDatabase>(schema_);  // initialised already
    service_ = pg_->service();
    session_ = db::Session::connect({"", "", service_}, schema_, status);
    if (!session_) throw std::runtime_error("cannot connect to the test database");
    return;
  }
  service_ = (root_ / "db").string();
  auto engine = db::connectEngine({"", "", service_}, status);
  if (!engine || engine->createSchema(schema_) != db::kOk)
    throw std::runtime_error("cannot create test schema");
  session_ = db::Session::connect({"", "", service_}, schema_, status);
  if (!session_ || db::createTables(*session_, schema_) != db::kOk)
    throw std::runtime_error("cannot create test tables");
}

Installation::~Installation() {
  session_.reset();
  pg_.reset();
  std::error_code ec;
  fs::remove_all(root_, ec);
}

fs::path Installation::exportDir() const {
  return root_ / "Transfer" / "Lohn und Gehalt" / "Export" / schema_;
}

db::Session& Installation::db() {
  return *session_;
}

// Inserts through the session with host variables, so that the test data
// travel exactly like the program's own values (empty text is NULL).
void Installation::insert(const std::string& table, const Row& row) {
  std::string columns, values;
  std::vector<db::Value> bound;
  for (size_t i = 0; i < row.size(); ++i) {
    columns += (i ? "," : "") + row[i].first;
    values += (i ? ",:b" : ":b") + std::to_string(i);
  }
  const std::string sql = "insert into " + table + " (" + columns + ") values (" + values + ")";
  auto t = db::translate(sql, session_->engine().dialect());
  int status = 0;
  auto stmt = session_->engine().prepare(t.text, status);
  if (!stmt)
    throw std::runtime_error("insert into " + table + " failed: " + std::to_string(status));
  std::vector<db::Value> params;
  for (const auto& [name, cell] : row) params.push_back(toIn(cell).value());
  status = stmt->execute(params);
  stmt.reset();
  if (status != db::kOk)
    throw std::runtime_error("insert into " + table + " failed: " + std::to_string(status));
  session_->commit();
}

std::vector<std::vector<std::string>> queryRows(db::Session& session, const std::string& sql) {
  auto t = db::translate(sql, session.engine().dialect());
  int status = 0;
  auto stmt = session.engine().prepare(t.text, status);
  if (!stmt) throw std::runtime_error("query failed: " + sql + ": " + std::to_string(status));
  std::vector<std::vector<std::string>> out;
  if (stmt->execute({}) != db::kOk) throw std::runtime_error("query failed: " + sql);
  while (stmt->next() == db::kOk) {
    std::vector<std::string> row;
    for (int i = 0; i < stmt->columnCount(); ++i) {
      std::string cell;
      db::Out(cell).store(stmt->column(i), true);
      row.push_back(cell);
    }
    out.push_back(row);
  }
  stmt.reset();
  session.commit();
  return out;
}

std::vector<std::vector<std::string>> Installation::rows(const std::string& sql) {
  return queryRows(*session_, sql);
}

std::string Installation::scalar(const std::string& sql) {
  auto r = rows(sql);
  return r.empty() || r[0].empty() ? std::string() : r[0][0];
}

std::string Installation::logText() const {
  return readFile(logPath());
}

RunResult runProgram(const char* binary, const fs::path& workDir,
                     const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env) {
  RunResult result;
  const fs::path out = fs::temp_directory_path() / ("lug-console-" + std::to_string(getpid()));
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(127);
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    dup2(fd, 2);
    for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(binary)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.console = readFile(out);
  std::error_code ignored;
  fs::remove(out, ignored);
  return result;
}

RunResult Installation::runLug(const std::vector<std::string>& args,
                               const std::map<std::string, std::string>& env) const {
  RunResult result = runProgram(LUG_BINARY, workDir(), args, env);
  result.log = logText();
  return result;
}

}  // namespace lug::test
