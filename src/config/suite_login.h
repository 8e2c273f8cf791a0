#pragma once
// The login of the suite's programs (the hand-over, lug-admin check and report):
// LOGIN, PASS and NET8 of ../Files/horavia.ini (deciphered); a NET8 of at
// most 41 characters replaces the service given on the command line.
#include <string>

#include "db/engine.h"

namespace lug::config {

db::ConnectRequest suiteLogin(const std::string& service);

}  // namespace lug::config
