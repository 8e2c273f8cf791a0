#pragma once
// lug-admin demo DIR: a complete demo installation. DIR gets the working
// directory Bin, Files/horavia.ini with the enciphered credentials and the
// database service, the run log folder, the database of a fictional company
// (schema DEMO) and the list of its staff; the first two periods of both
// accounting groups are handed over, the third is left for the first run.
// Both groups hand over to the payroll system the request names (any case of
// one of the names of admin/demo_payroll.h); an unknown name is refused with
// the list before anything is created.
#include <string>

namespace lug::admin {

struct DemoRequest {
  std::string dir;
  std::string payroll = "DATEV";
  // A PostgreSQL service (connection URI) whose schema DEMO is still empty,
  // instead of the embedded database DIR/db; the login comes from the URI or
  // libpq's environment, as horavia.ini gets no LOGIN and PASS for it.
  std::string server;
};

// Returns the process exit status: 0, or 1 after a message on stderr.
int createDemo(const DemoRequest& request);

}  // namespace lug::admin
