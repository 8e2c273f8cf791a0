#pragma once
// The small queries several parts of the run share: the database clock in
// three forms, the installation's site number, the session date format.
#include <string>

#include "db/session.h"

namespace lug::db {

// "dd.mm.yyyy hh24:mi:ss": the run's start time and run key.
int clockLong(Session& s, std::string& out);
// "hh24:mi:ss"
int clockTime(Session& s, std::string& out);
// "yyyy-mm-dd"
int clockIsoDate(Session& s, std::string& out);
int setDateFormat(Session& s);
// Site number (MndSto) of the schema; `site` is set only when it has at most
// five characters.
int siteNumber(Session& s, const std::string& schema, std::string& site);

}  // namespace lug::db
