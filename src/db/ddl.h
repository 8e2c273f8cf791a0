#pragma once
// Creates the tables of the table definitions on an engine. Idempotent: a
// second call adds missing tables, columns and indexes and changes no data.
#include "db/session.h"

namespace lug::db {

// Creates the schema's tables and the central schema's tables and fills the
// calendar Hor133Bak (1990-01-01 to 2099-12-31) when it is empty. Returns 0
// or the first failing status.
int createTables(Session& session, const std::string& schema);

}  // namespace lug::db
