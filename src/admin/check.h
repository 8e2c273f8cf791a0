#pragma once
// lug-admin check: the hand-over that lug would run with the same arguments,
// through the same driver, calculation and exporter, before anything is
// committed. Its transfer files and its run log go into a directory of their
// own; the database is left exactly as it was (the whole run is one
// transaction, rolled back at the end). The run lock is taken as for a real
// run and the credentials are read as lug reads them, from horavia.ini in
// ../Files of the working directory.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "admin/control_report.h"
#include "db/session.h"

namespace lug::admin {

struct CheckRequest {
  std::vector<std::string> runArgs;  // as lug takes them: SERVICE SCHEMA AKR ABRNR MODE [/PNR]
  std::filesystem::path dir;         // created when missing
};

// When the hand-over would succeed, its control report is made before the
// rollback (from the session that still sees the run's records), printed on
// `out` and written as Kontrollbericht.txt and Kontrollbericht.csv into the
// directory. Returns the exit status: 0 when the hand-over would succeed and
// the report is written; 1 when it would abort or stop early or could not
// start, after the reason on `err` (the run status of an abort and the run's
// last log lines), or when the report could not be made.
int checkHandover(const CheckRequest& request, std::ostream& out, std::ostream& err);

}  // namespace lug::admin
