// lug-admin: sets up an installation of the hand-over program.
#include <cstdio>
#include <string>
#include <vector>

#include "admin/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return lug::admin::run(args);
}
