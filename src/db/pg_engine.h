#pragma once
// What the PostgreSQL engine counts about its work with the server, for
// measuring how many round trips and parses a piece of work costs.
#include "db/engine.h"
#include "db/pg_link.h"

namespace lug::db {

// The counters of a PostgreSQL engine; zero for every other engine.
PgStats pgStats(Engine& engine);

}  // namespace lug::db
