#include "admin/demo.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "admin/commands.h"
#include "admin/demo_company.h"
#include "admin/suite_rows.h"
#include "config/config_file.h"
#include "db/engine.h"
#include "driver/production_phases.h"
#include "driver/run.h"

namespace lug::admin {
namespace {

namespace fs = std::filesystem;

// The embedded database as horavia.ini and the command line name it, seen
// from the working directory; a server service replaces it in horavia.ini.
constexpr char kService[] = "../db";
// The longest service name lug takes from horavia.ini.
constexpr size_t kServiceWidth = 41;

struct DemoError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The process works in `dir` while the object lives.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const fs::path& dir) : previous_(fs::current_path()) {
    fs::current_path(dir);
  }
  ~WorkingDirectory() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  fs::path previous_;
};

// The database clock stands at `now` while the object lives.
class FixedClock {
 public:
  explicit FixedClock(const std::string& now) {
    if (const char* v = std::getenv("LUG_SYSDATE")) previous_ = v;
    setenv("LUG_SYSDATE", now.c_str(), 1);
  }
  ~FixedClock() {
    if (previous_)
      setenv("LUG_SYSDATE", previous_->c_str(), 1);
    else
      unsetenv("LUG_SYSDATE");
  }
  FixedClock(const FixedClock&) = delete;
  FixedClock& operator=(const FixedClock&) = delete;

 private:
  std::optional<std::string> previous_;
};

// Where the demo lives: its directory and its database.
struct Place {
  fs::path root;
  std::string server;  // empty: the embedded database root/db

  std::string service() const { return server.empty() ? (root / "db").string() : server; }
};

void makeDirectories(const Place& place) {
  std::error_code error;
  if (fs::exists(place.root, error) && !fs::is_empty(place.root, error))
    throw DemoError(place.root.string() + " is not empty");
  for (const char* dir : {"Bin", "Files", "Horavia_php/log", "Transfer/Lohn- und Gehaltsübergabe"})
    fs::create_directories(place.root / dir);
  if (place.server.empty()) fs::create_directories(place.root / "db");
}

void writeCredentials(const Place& place) {
  const std::string ini = (place.root / "Files" / "horavia.ini").string();
  if (!place.server.empty()) return config::writeConfigValue(ini, "NET8", place.server);
  config::writeConfigValue(ini, "LOGIN", "demo");
  config::writeConfigValue(ini, "PASS", "demo");
  config::writeConfigValue(ini, "NET8", kService);
}

void fillDatabase(const Place& place, const demo::PayrollSystem& payroll) {
  const std::string service = place.service();
  if (initSchema(service, demo::kSchema) != 0)
    throw DemoError("no database in " + db::maskedService(service));
  int status = 0;
  auto session = db::Session::connect({"", "", service}, demo::kSchema, status);
  if (!session) throw SuiteRowError(status);
  demo::fillCompany(*session, payroll);
}

void writeStaffList(const fs::path& root) {
  std::ofstream out(root / "Mitarbeiter.txt", std::ios::binary);
  out << demo::staffList();
  if (!out) throw DemoError("cannot write " + (root / "Mitarbeiter.txt").string());
}

// The final run of a period, as the suite starts it in the working directory,
// on the day the period was handed over.
void handOver(const fs::path& root, const demo::Period& p) {
  WorkingDirectory bin(root / "Bin");
  FixedClock clock(p.handOver);
  auto phases = makeProductionPhases();
  std::ostringstream console;
  driver::RunEnvironment env{*phases, standardDispatchTable(), console};
  const int status =
      driver::runHandover({kService, demo::kSchema, p.akr, std::to_string(p.number), "0"}, env);
  if (status != 1)
    throw DemoError("hand-over of " + p.akr + " " + std::to_string(p.number) +
                    " ended with exit status " + std::to_string(status) + " (see the run log)");
  std::printf("  handed over        %s %d (%s)\n", p.akr.c_str(), p.number, p.month.c_str());
}

void printSummary(const Place& place, const demo::PayrollSystem& payroll) {
  const std::string r = place.root.string();
  const bool embedded = place.server.empty();
  const std::string ini = embedded ? std::string("LOGIN, PASS, NET8 = ") + kService
                                   : "NET8 = " + db::maskedService(place.server);
  const std::string database = embedded ? r + "/db" : db::maskedService(place.server);
  std::printf("  payroll system     %s: %s\n", payroll.name, payroll.products);
  std::printf(
      "  working directory  %s/Bin\n"
      "  configuration      %s/Files/horavia.ini (%s)\n"
      "  database           %s, schema %s\n"
      "  run log            %s/Horavia_php/log/log#lug.txt\n"
      "  staff              %s/Mitarbeiter.txt\n",
      r.c_str(), r.c_str(), ini.c_str(), database.c_str(), demo::kSchema, r.c_str(), r.c_str());
  for (const demo::Period& p : demo::periods()) {
    if (p.handedOver) continue;
    std::printf("next: cd %s/Bin && LUG_SYSDATE=\"%s\" lug %s %s %s %d 0\n", r.c_str(),
                p.handOver.c_str(), kService, demo::kSchema, p.akr.c_str(), p.number);
    break;
  }
}

}  // namespace

int createDemo(const DemoRequest& request) {
  const demo::PayrollSystem* payroll = demo::findPayrollSystem(request.payroll);
  if (!payroll) {
    std::fprintf(stderr, "lug-admin: demo: unknown payroll system %s; known are %s\n",
                 request.payroll.c_str(), demo::payrollSystemNames().c_str());
    return 1;
  }
  if (request.server.size() > kServiceWidth) {
    std::fprintf(stderr, "lug-admin: demo: the service name has more than %zu characters\n",
                 kServiceWidth);
    return 1;
  }
  try {
    Place place{.root = fs::absolute(request.dir).lexically_normal(), .server = request.server};
    if (place.root.filename().empty()) place.root = place.root.parent_path();  // "DIR/"
    makeDirectories(place);
    writeCredentials(place);
    fillDatabase(place, *payroll);
    writeStaffList(place.root);
    std::printf("demo installation in %s, handing over to %s\n", place.root.string().c_str(),
                payroll->name);
    for (const demo::Period& p : demo::periods())
      if (p.handedOver) handOver(place.root, p);
    printSummary(place, *payroll);
    return 0;
  } catch (const SuiteRowError& e) {
    std::fprintf(stderr, "lug-admin: demo: database status %d\n", e.status);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lug-admin: demo: %s\n", e.what());
  }
  return 1;
}

}  // namespace lug::admin
