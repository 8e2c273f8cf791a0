// lug: the hand-over of an accounting group's period to payroll.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "driver/production_phases.h"
#include "driver/run.h"

namespace {

// For measurements: LUG_STATS_FILE names a file that receives the session's
// statement and row counts and the peak resident memory of the run.
void writeStats(const lug::db::Counters& c) {
  const char* path = std::getenv("LUG_STATS_FILE");
  if (!path || !*path) return;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  if (FILE* f = std::fopen(path, "w")) {
    std::fprintf(f, "statements %lld\nrows %lld\nmaxrss_kb %ld\n",
                 static_cast<long long>(c.statements), static_cast<long long>(c.rows),
                 usage.ru_maxrss);
    std::fclose(f);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto phases = lug::makeProductionPhases();
  lug::driver::RunEnvironment env{*phases, lug::standardDispatchTable(), std::cout};
  const int status = lug::driver::runHandover(args, env);
  std::cout.flush();
  writeStats(env.counters);
  return status;
}
