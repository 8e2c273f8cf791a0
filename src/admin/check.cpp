#include "admin/check.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "base/cp1252.h"
#include "driver/production_phases.h"
#include "driver/run.h"

namespace lug::admin {
namespace {

namespace fs = std::filesystem;

constexpr char kStartLine[] = "Protokollierung gestartet";
constexpr size_t kReasonLines = 4;

// The last non-empty lines that this run wrote into its run log (which may
// hold earlier runs' lines before them), as UTF-8.
std::vector<std::string> lastLogLines(const fs::path& log) {
  std::ifstream in(log, std::ios::binary);
  const std::string text = base::fromWindows1252(
      std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  std::vector<std::string> lines;
  std::istringstream all(text);
  for (std::string line; std::getline(all, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kStartLine, 0) == 0) lines.clear();
    if (!line.empty()) lines.push_back(line);
  }
  if (lines.size() > kReasonLines) lines.erase(lines.begin(), lines.end() - kReasonLines);
  return lines;
}

void reportFailure(const driver::RunEnvironment& env, const fs::path& log, std::ostream& err) {
  err << "lug-admin: check: the hand-over would fail";
  if (env.end == driver::RunEnd::Aborted) err << " (abort, run status " << env.abortCode << ")";
  err << "; its run log " << log.string() << " ends:\n";
  for (const std::string& line : lastLogLines(log)) err << "  " << line << "\n";
}

// The control report of the run, before the rollback: on the console and as
// files beside the transfer files. False after a message on `err`.
bool writeReport(db::Session& session, const driver::CheckedRun& run, std::ostream& out,
                 std::ostream& err) {
  ControlReport report;
  const int st = makeControlReport(
      session,
      {.akr = run.akr, .abrnr = run.abrnr, .productsDir = run.productsDir, .runLog = run.runLog},
      report);
  if (st != db::kOk) {
    err << "lug-admin: check: the control report could not be made: " << st << "\n";
    return false;
  }
  out << report.text;
  if (!writeControlReportText(report, run.productsDir) ||
      !writeControlReportCsv(report, run.productsDir)) {
    err << "lug-admin: check: cannot write the control report into " << run.productsDir.string()
        << "\n";
    return false;
  }
  return true;
}

}  // namespace

int checkHandover(const CheckRequest& request, std::ostream& out, std::ostream& err) {
  std::error_code error;
  const fs::path dir = fs::absolute(request.dir, error).lexically_normal();
  if (!error) fs::create_directories(dir, error);
  if (error) {
    err << "lug-admin: check: cannot create " << request.dir.string() << ": " << error.message()
        << "\n";
    return 1;
  }
  bool reported = false;
  auto beforeRollback = [&](db::Session& session, const driver::CheckedRun& run) {
    reported = writeReport(session, run, out, err);
  };
  auto phases = makeProductionPhases();
  std::ostringstream console;  // lug's console lines; the run log holds them all
  driver::RunEnvironment env{
      .phases = *phases,
      .dispatch = standardDispatchTable(),
      .console = console,
      .check = driver::CheckRun{.dir = dir, .beforeRollback = beforeRollback}};
  const int status = driver::runHandover(request.runArgs, env);
  const fs::path log = driver::checkRunLog(dir);
  if (status == 1 && env.end == driver::RunEnd::Completed) {
    if (!reported) return 1;
    out << "lug-admin: check: the hand-over would succeed; its files and run log are in "
        << dir.string() << ", the database is unchanged\n";
    return 0;
  }
  reportFailure(env, log, err);
  return 1;
}

}  // namespace lug::admin
