#pragma once
#include <string>
#include <vector>

namespace lug::admin {

// Runs one lug-admin command; returns the process exit status.
int run(const std::vector<std::string>& args);

// Creates the schema and its tables (and those of the central schema) on the
// service; returns 0, or 1 after a message on stderr.
int initSchema(const std::string& service, const std::string& schema);

}  // namespace lug::admin
