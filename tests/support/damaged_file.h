#pragma once
// Faults of the embedded engine's database files, as a damaged disk gives them.
#include <string>

namespace lug::test {

// Moves all committed work from the write-ahead log into the database file.
void checkpoint(const std::string& file);

// Overwrites the pages of a table and its indexes in the database file.
void damageTable(const std::string& file, const std::string& table);

}  // namespace lug::test
