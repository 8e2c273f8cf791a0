// lug: the hand-over of an accounting group's period to payroll.
#include <iostream>
#include <string>
#include <vector>

#include "driver/production_phases.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto phases = lug::makeProductionPhases();
  lug::driver::RunEnvironment env{*phases, lug::standardDispatchTable(), std::cout};
  const int status = lug::driver::runHandover(args, env);
  std::cout.flush();
  return status;
}
