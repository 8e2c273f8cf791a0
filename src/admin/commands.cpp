#include "admin/commands.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>

#include "admin/check.h"
#include "admin/demo.h"
#include "admin/generate.h"
#include "admin/report_command.h"
#include "base/ascii_case.h"
#include "config/config_file.h"
#include "config/credential_cipher.h"
#include "db/ddl.h"
#include "db/session.h"

namespace lug::admin {
namespace {

const char kUsage[] =
    "usage: lug-admin init SERVICE SCHEMA\n"
    "       lug-admin encipher TEXT\n"
    "       lug-admin decipher HEX\n"
    "       lug-admin ini FILE KEY VALUE\n"
    "       lug-admin generate SERVICE SCHEMA --employees N [--seed S]\n"
    "       lug-admin demo DIR [--payroll TYPE] [--service SERVICE]\n"
    "       lug-admin check SERVICE SCHEMA AKR ABRNR MODE [/PNR] --out DIR\n"
    "       lug-admin report SERVICE SCHEMA AKR ABRNR [--out DIR]\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int init(const std::vector<std::string>& a) {
  const std::string schema = base::upperAscii(a[1]);
  if (initSchema(a[0], schema) != 0) return 1;
  std::printf("schema %s ready\n", schema.c_str());
  return 0;
}

int encipher(const std::vector<std::string>& a) {
  std::printf("%s\n", config::encipherCredential(a[0]).c_str());
  return 0;
}

int decipher(const std::vector<std::string>& a) {
  std::printf("%s\n", config::decipherCredential(a[0]).c_str());
  return 0;
}

int ini(const std::vector<std::string>& a) {
  try {
    config::writeConfigValue(a[0], a[1], a[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lug-admin: %s\n", e.what());
    return 1;
  }
  return 0;
}

// generate SERVICE SCHEMA --employees N [--seed S]: a synthetic installation
// for measuring runs (the schema must have been initialised).
int generate(const std::vector<std::string>& a) {
  GenerateOptions options;
  for (size_t i = 2; i + 1 < a.size(); i += 2) {
    if (a[i] == "--employees")
      options.employees = std::atoi(a[i + 1].c_str());
    else if (a[i] == "--seed")
      options.seed = std::strtoull(a[i + 1].c_str(), nullptr, 10);
    else
      return usage();
  }
  if (a.size() % 2 != 0 || options.employees <= 0) return usage();
  int status = 0;
  auto session = db::Session::connect({"", "", a[0]}, base::upperAscii(a[1]), status);
  if (session) status = generateInstallation(*session, options);
  if (status != db::kOk) {
    std::fprintf(stderr, "lug-admin: generate failed: %d\n", status);
    return 1;
  }
  std::printf("%d employees generated in %s\n", options.employees, base::upperAscii(a[1]).c_str());
  return 0;
}

// demo DIR [--payroll TYPE] [--service SERVICE]: a complete demo
// installation in DIR, handing over to the payroll system TYPE (DATEV when
// not given), its database on the server SERVICE or else in DIR.
int demo(const std::vector<std::string>& a) {
  DemoRequest request{.dir = a[0], .payroll = "DATEV", .server = ""};
  for (size_t i = 1; i + 1 < a.size(); i += 2) {
    if (a[i] == "--payroll")
      request.payroll = a[i + 1];
    else if (a[i] == "--service")
      request.server = a[i + 1];
    else
      return usage();
  }
  if (a.size() % 2 == 0) return usage();
  return createDemo(request);
}

// check SERVICE SCHEMA AKR ABRNR MODE [/PNR] --out DIR: the hand-over lug
// would run with these arguments, its files in DIR, nothing kept in the
// database.
int check(const std::vector<std::string>& a) {
  CheckRequest request;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != "--out") {
      request.runArgs.push_back(a[i]);
    } else if (i + 1 < a.size() && request.dir.empty()) {
      request.dir = a[++i];
    } else {
      return usage();
    }
  }
  if (request.dir.empty() || request.runArgs.size() < 5) return usage();
  return checkHandover(request, std::cout, std::cerr);
}

// report SERVICE SCHEMA AKR ABRNR [--out DIR]: the control report of a
// period handed over.
int report(const std::vector<std::string>& a) {
  if (a.size() == 5 || (a.size() == 6 && a[4] != "--out")) return usage();
  return reportCommand(a);
}

struct Command {
  size_t argCount;
  size_t maxArgCount;
  std::function<int(const std::vector<std::string>&)> run;
};

const std::map<std::string, Command>& commands() {
  static const std::map<std::string, Command> m = {
      {"init", {2, 2, init}},   {"encipher", {1, 1, encipher}}, {"decipher", {1, 1, decipher}},
      {"ini", {3, 3, ini}},     {"generate", {4, 6, generate}}, {"demo", {1, 5, demo}},
      {"check", {7, 8, check}}, {"report", {4, 6, report}}};
  return m;
}

}  // namespace

int initSchema(const std::string& service, const std::string& schema) {
  int status = 0;
  auto engine = db::connectEngine({"", "", service}, status);
  if (engine) status = engine->createSchema(schema);
  if (status != db::kOk) {
    std::fprintf(stderr, "lug-admin: cannot create schema %s on %s: %d\n", schema.c_str(),
                 db::maskedService(service).c_str(), status);
    return 1;
  }
  auto session = db::Session::connect({"", "", service}, schema, status);
  if (session) status = db::createTables(*session, schema);
  if (status != db::kOk) {
    std::fprintf(stderr, "lug-admin: init of %s failed: %d\n", schema.c_str(), status);
    return 1;
  }
  return 0;
}

int run(const std::vector<std::string>& args) {
  if (args.empty()) return usage();
  auto it = commands().find(args[0]);
  const size_t given = args.size() - 1;
  if (it == commands().end() || given < it->second.argCount || given > it->second.maxArgCount)
    return usage();
  return it->second.run(std::vector<std::string>(args.begin() + 1, args.end()));
}

}  // namespace lug::admin
