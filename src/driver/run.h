#pragma once
// The run driver: one hand-over of an accounting group and period, from the
// command line to the run status of the group.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "driver/phases.h"
#include "export/dispatch.h"

namespace lug::driver {

// What a check run hands to its report, before the rollback.
struct CheckedRun {
  std::string akr;
  int32_t abrnr = 0;
  std::filesystem::path productsDir;  // the check run's transfer files
  std::filesystem::path runLog;       // the check run's run log
};

// A check run: the hand-over exactly as it would run, with its transfer files
// and its run log in `dir` and nothing written elsewhere (no README.TXT, no
// file removed from the former transfer directory). The session is one
// transaction that the run's commits, also the abort routine's, leave open;
// it is rolled back at the end, so nothing stays in the database.
struct CheckRun {
  std::filesystem::path dir;
  // Called after a run that reached its normal end, before the rollback, with
  // the session that still sees the run's work.
  std::function<void(db::Session&, const CheckedRun&)> beforeRollback{};
};

// The run log of a check run in its directory.
std::filesystem::path checkRunLog(const std::filesystem::path& dir);

// How a run ended. The exit status alone does not tell: the suite sees 1
// after the normal end as after the abort routine or a transfer file that
// could not be written.
enum class RunEnd {
  Stopped,    // before the normal end: set-up, a failed file or commit, a full log
  Aborted,    // by the abort routine
  Completed,  // the normal end, its closing commit done
};

struct RunEnvironment {
  Phases& phases;
  std::vector<DispatchEntry> dispatch;
  std::ostream& console;
  std::optional<CheckRun> check{};  // none: the real hand-over
  // Filled by the run:
  db::Counters counters{};  // the session's statement and row counts
  RunEnd end = RunEnd::Stopped;
  int16_t abortCode = 0;  // the run status the abort routine recorded
};

// Runs with the arguments after the program name; returns the exit status.
int runHandover(const std::vector<std::string>& args, RunEnvironment& env);

}  // namespace lug::driver
