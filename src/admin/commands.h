#pragma once
#include <string>
#include <vector>

namespace lug::admin {

// Runs one lug-admin command; returns the process exit status.
int run(const std::vector<std::string>& args);

}  // namespace lug::admin
