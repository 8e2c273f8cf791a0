#include "config/suite_login.h"

#include "config/config_file.h"

namespace lug::config {

db::ConnectRequest suiteLogin(const std::string& service) {
  constexpr size_t kServiceWidth = 41;
  const std::string ini = defaultConfigPath();
  db::ConnectRequest request{.user = lookupConfig("", "LOGIN", 0, ini).value,
                             .password = lookupConfig("", "PASS", 0, ini).value,
                             .service = service};
  const std::string net8 = lookupConfig("", "NET8", 0, ini).value;
  if (!net8.empty() && net8.size() <= kServiceWidth) request.service = net8;
  return request;
}

}  // namespace lug::config
