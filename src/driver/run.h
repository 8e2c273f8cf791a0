#pragma once
// The run driver: one hand-over of an accounting group and period, from the
// command line to the run status of the group.
#include <ostream>
#include <string>
#include <vector>

#include "driver/phases.h"
#include "export/dispatch.h"

namespace lug::driver {

struct RunEnvironment {
  Phases& phases;
  std::vector<DispatchEntry> dispatch;
  std::ostream& console;
  db::Counters counters{};  // the session's statement and row counts, filled at the end
};

// Runs with the arguments after the program name; returns the exit status.
int runHandover(const std::vector<std::string>& args, RunEnvironment& env);

}  // namespace lug::driver
