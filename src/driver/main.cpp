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

constexpr size_t kListed = 15;

// One line per statement: executions, seconds, rows fetched, statement text.
void writeList(FILE* f, const char* name, const std::vector<lug::db::StatementCount>& list) {
  for (const lug::db::StatementCount& s : list)
    std::fprintf(f, "%s %lld %.6f %lld %s\n", name, static_cast<long long>(s.executions),
                 static_cast<double>(s.nanoseconds) / 1e9, static_cast<long long>(s.rows), s.sql);
}

// For measurements: LUG_STATS_FILE names a file that receives the session's
// statement and row counts, the peak resident memory of the run and the
// statements with the most executions and with the most time.
void writeStats(const lug::db::Counters& c) {
  const char* path = std::getenv("LUG_STATS_FILE");
  if (!path || !*path) return;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  if (FILE* f = std::fopen(path, "w")) {
    std::fprintf(f, "statements %lld\nrows %lld\nmaxrss_kb %ld\n",
                 static_cast<long long>(c.statements), static_cast<long long>(c.rows),
                 usage.ru_maxrss);
    writeList(f, "most_executed", c.mostExecuted(kListed));
    writeList(f, "most_time", c.mostTime(kListed));
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
