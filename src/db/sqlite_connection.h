#pragma once
// What the embedded engine's connections share: a schema's file opened with
// the Oracle functions and the central schema attached, SQLite's result
// codes as statuses, and the binding and reading of values.
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "db/engine.h"

namespace lug::db {

// SQLite's result code and message as the Oracle status the callers know.
int statusOf(sqlite3* db, int rc);

// Opens the schema's file with `flags`, registers the Oracle functions and
// attaches HORSYSTEM.db of the same directory (unless the schema is
// HORSYSTEM itself); 0, or the status with `db` closed and null.
int openSchemaFile(const std::filesystem::path& file, const std::string& schema, int flags,
                   sqlite3*& db);

// A statement prepared to be run many times; nullptr with the status when the
// text does not prepare.
sqlite3_stmt* prepareStatement(sqlite3* db, const std::string& text, int& status);

// Binds `v` to parameter `pos` without copying its text: the value must
// live until the statement is bound anew.
int bindValue(sqlite3_stmt* stmt, int pos, const Value& v);

// The value of a column of the statement's current row.
void readColumn(sqlite3_stmt* stmt, int column, Value& v);

}  // namespace lug::db
