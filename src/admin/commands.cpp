#include "admin/commands.h"

#include <cstdio>
#include <functional>
#include <map>

#include "db/ddl.h"
#include "db/session.h"
#include "driver/config_file.h"
#include "driver/credential_cipher.h"

namespace lug::admin {
namespace {

const char kUsage[] =
    "usage: lug-admin init SERVICE SCHEMA\n"
    "       lug-admin encipher TEXT\n"
    "       lug-admin decipher HEX\n"
    "       lug-admin ini FILE KEY VALUE\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

int init(const std::vector<std::string>& a) {
  const std::string schema = upper(a[1]);
  int status = 0;
  auto engine = db::connectEngine({"", "", a[0]}, status);
  if (engine) status = engine->createSchema(schema);
  if (status != db::kOk) {
    std::fprintf(stderr, "lug-admin: cannot create schema %s on %s: %d\n", schema.c_str(),
                 a[0].c_str(), status);
    return 1;
  }
  auto session = db::Session::connect({"", "", a[0]}, schema, status);
  if (session) status = db::createTables(*session, schema);
  if (status != db::kOk) {
    std::fprintf(stderr, "lug-admin: init of %s failed: %d\n", schema.c_str(), status);
    return 1;
  }
  std::printf("schema %s ready\n", schema.c_str());
  return 0;
}

int encipher(const std::vector<std::string>& a) {
  std::printf("%s\n", driver::encipherCredential(a[0]).c_str());
  return 0;
}

int decipher(const std::vector<std::string>& a) {
  std::printf("%s\n", driver::decipherCredential(a[0]).c_str());
  return 0;
}

int ini(const std::vector<std::string>& a) {
  try {
    driver::writeConfigValue(a[0], a[1], a[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lug-admin: %s\n", e.what());
    return 1;
  }
  return 0;
}

struct Command {
  size_t argCount;
  std::function<int(const std::vector<std::string>&)> run;
};

const std::map<std::string, Command>& commands() {
  static const std::map<std::string, Command> m = {
      {"init", {2, init}}, {"encipher", {1, encipher}}, {"decipher", {1, decipher}}, {"ini", {3, ini}}};
  return m;
}

}  // namespace

int run(const std::vector<std::string>& args) {
  if (args.empty()) return usage();
  auto it = commands().find(args[0]);
  if (it == commands().end() || args.size() != it->second.argCount + 1) return usage();
  return it->second.run(std::vector<std::string>(args.begin() + 1, args.end()));
}

}  // namespace lug::admin
