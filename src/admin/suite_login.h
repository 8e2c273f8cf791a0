#pragma once
// The login of the suite's programs, read as the hand-over reads it:
// LOGIN, PASS and NET8 of ../Files/horavia.ini (deciphered); a NET8 of at
// most 41 characters replaces the service given on the command line.
#include <string>

#include "db/engine.h"

namespace lug::admin {

db::ConnectRequest suiteLogin(const std::string& service);

}  // namespace lug::admin
