#include "admin/suite_login.h"

#include "config/config_file.h"

namespace lug::admin {

db::ConnectRequest suiteLogin(const std::string& service) {
  constexpr size_t kServiceWidth = 41;
  const std::string ini = config::defaultConfigPath();
  db::ConnectRequest request{.user = config::lookupConfig("", "LOGIN", 0, ini).value,
                             .password = config::lookupConfig("", "PASS", 0, ini).value,
                             .service = service};
  const std::string net8 = config::lookupConfig("", "NET8", 0, ini).value;
  if (!net8.empty() && net8.size() <= kServiceWidth) request.service = net8;
  return request;
}

}  // namespace lug::admin
