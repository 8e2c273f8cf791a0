#pragma once
// Turns a statement text of the suite's Oracle database into the text an
// engine runs. Both engines get the same rewriting: the `into` list of a
// single-row select becomes the output list, host variables (:b0, :b1, ...)
// become positional parameters, `from dual` goes, and Oracle's functions,
// date arithmetic, `||` and SYSDATE become the lug_* functions every engine
// provides with Oracle's semantics. Equality on key and cost columns treats
// empty as equal to empty, matching how the unique keys are built. Rows come
// in Oracle's order wherever the statement's order by leaves it to the
// engine: NULL last in ascending order, groups by their grouped columns.
#include <string>
#include <string_view>
#include <vector>

namespace lug::db {

enum class Dialect { Sqlite, Postgres };

enum class StatementKind { Select, Insert, Update, Delete, SetSchema, SetDateFormat, Other };

struct Translation {
  StatementKind kind = StatementKind::Other;
  std::string text;                    // the engine's statement text
  int inputCount = 0;                  // distinct host variables outside the into list
  bool hasInto = false;                // a single-row select
  std::vector<bool> outputIndicators;  // per output of the into list: has a null indicator
  bool insertSelect = false;           // insert ... select: no row inserted is status 1403
  std::string schemaName;              // ALTER SESSION SET CURRENT_SCHEMA=<name>
};

// Throws std::invalid_argument for a text it cannot read (unbalanced
// parentheses, an unterminated string).
Translation translate(std::string_view oracleText, Dialect dialect);

}  // namespace lug::db
