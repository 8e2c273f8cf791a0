#pragma once
struct sqlite3;

namespace lug::db {
// Registers the lug_* functions with Oracle's semantics on a connection.
int registerOracleFunctions(sqlite3* db);
}  // namespace lug::db
