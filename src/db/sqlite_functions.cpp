// Oracle's functions for the embedded engine, registered on every connection
// under the names the dialect layer writes (lug_to_char, lug_add_days, ...).
#include "db/sqlite_functions.h"

#include <sqlite3.h>

#include <cmath>
#include <optional>
#include <string>

#include "db/oracle.h"

namespace lug::db {
namespace {

namespace ora = oracle;

std::optional<std::string> textArg(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return std::nullopt;
    case SQLITE_INTEGER:
      return ora::numberText(static_cast<int64_t>(sqlite3_value_int64(v)));
    case SQLITE_FLOAT:
      return ora::numberText(sqlite3_value_double(v));
    default: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
      std::string s(p ? p : "", static_cast<size_t>(sqlite3_value_bytes(v)));
      if (s.empty()) return std::nullopt;
      return s;
    }
  }
}

double numberArg(sqlite3_value* v) {
  if (sqlite3_value_type(v) == SQLITE_TEXT) return ora::toNumber(*textArg(v));
  return sqlite3_value_double(v);
}

void resultText(sqlite3_context* ctx, const std::optional<std::string>& s) {
  if (!s || s->empty())
    sqlite3_result_null(ctx);
  else
    sqlite3_result_text(ctx, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
}

void resultNumber(sqlite3_context* ctx, double v) {
  if (v == std::trunc(v) && std::fabs(v) < 9e15)
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
  else
    sqlite3_result_double(ctx, v);
}

// Oracle's empty text is NULL, also where a statement writes '' itself.
bool anyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (!textArg(argv[i])) return true;
  return false;
}

// Wraps a function body: null in, null out; Oracle errors become SQL errors
// whose text starts with "ORA-", which the engine maps back to the status.
template <typename Body>
void guarded(sqlite3_context* ctx, int argc, sqlite3_value** argv, Body body) {
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  try {
    body();
  } catch (const ora::Error& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

ora::DateTime dateArg(sqlite3_value* v) {
  return ora::parseDate(*textArg(v));
}

// A clock fixed by a malformed LUG_SYSDATE is a statement error, not a crash.
void fnSysdate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] { resultText(ctx, ora::canonical(ora::sysdate())); });
}

void fnToChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    std::string value = *textArg(argv[0]);
    if (argc > 1 && sqlite3_value_type(argv[0]) == SQLITE_TEXT && ora::looksLikeDate(value))
      value = ora::toChar(ora::parseDate(value), *textArg(argv[1]));
    resultText(ctx, value);
  });
}

void fnToDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    auto d = argc > 1 ? ora::toDate(*textArg(argv[0]), *textArg(argv[1])) : dateArg(argv[0]);
    resultText(ctx, ora::canonical(d));
  });
}

void fnAddMonths(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    auto months = static_cast<int64_t>(std::trunc(numberArg(argv[1])));
    resultText(ctx, ora::canonical(ora::addMonths(dateArg(argv[0]), months)));
  });
}

void fnAddDays(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    resultText(ctx, ora::canonical(ora::addDays(dateArg(argv[0]), numberArg(argv[1]))));
  });
}

void fnDaysBetween(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv,
          [&] { resultNumber(ctx, ora::daysBetween(dateArg(argv[0]), dateArg(argv[1]))); });
}

void fnLastDay(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    auto d = dateArg(argv[0]);
    d.day = ora::daysInMonth(d.year, d.month);
    resultText(ctx, ora::canonical(d));
  });
}

void fnTrim(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] { resultText(ctx, ora::trim(*textArg(argv[0]))); });
}

template <bool Left>
void fnTrimSide(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    std::string s = *textArg(argv[0]);
    const std::string set = argc > 1 ? *textArg(argv[1]) : " ";
    if (Left)
      s.erase(0, std::min(s.size(), s.find_first_not_of(set)));
    else
      s.erase(s.find_last_not_of(set) + 1);
    resultText(ctx, s);
  });
}

template <bool Left>
void fnPad(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    const std::string pad = argc > 2 ? *textArg(argv[2]) : " ";
    const auto width = static_cast<int64_t>(std::trunc(numberArg(argv[1])));
    const std::string text = *textArg(argv[0]);
    resultText(ctx, Left ? ora::lpad(text, width, pad) : ora::rpad(text, width, pad));
  });
}

void fnSubstr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] {
    std::optional<int64_t> len;
    if (argc > 2) len = static_cast<int64_t>(std::trunc(numberArg(argv[2])));
    const auto pos = static_cast<int64_t>(std::trunc(numberArg(argv[1])));
    resultText(ctx, ora::substr(*textArg(argv[0]), pos, len));
  });
}

void fnToNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] { resultNumber(ctx, numberArg(argv[0])); });
}

// ROUND of a number to whole units, halves away from zero.
void fnRound(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  guarded(ctx, argc, argv, [&] { resultNumber(ctx, std::round(numberArg(argv[0]))); });
}

// Oracle's || treats NULL as the empty text; an empty result is NULL.
void fnConcat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  std::string out;
  for (int i = 0; i < argc; ++i) out += textArg(argv[i]).value_or("");
  resultText(ctx, out);
}

}  // namespace

int registerOracleFunctions(sqlite3* db) {
  using Fn = void (*)(sqlite3_context*, int, sqlite3_value**);
  struct Def {
    const char* name;
    int args;
    Fn fn;
    bool deterministic;
  };
  static const Def kDefs[] = {
      {"lug_sysdate", 0, fnSysdate, false},      {"lug_to_char", 1, fnToChar, true},
      {"lug_to_char", 2, fnToChar, true},        {"lug_to_date", 1, fnToDate, true},
      {"lug_to_date", 2, fnToDate, true},        {"lug_add_months", 2, fnAddMonths, true},
      {"lug_add_days", 2, fnAddDays, true},      {"lug_days_between", 2, fnDaysBetween, true},
      {"lug_last_day", 1, fnLastDay, true},      {"lug_trim", 1, fnTrim, true},
      {"lug_ltrim", -1, fnTrimSide<true>, true}, {"lug_rtrim", -1, fnTrimSide<false>, true},
      {"lug_lpad", -1, fnPad<true>, true},       {"lug_rpad", -1, fnPad<false>, true},
      {"lug_substr", -1, fnSubstr, true},        {"lug_to_number", 1, fnToNumber, true},
      {"lug_round", 1, fnRound, true},           {"lug_concat", 2, fnConcat, true}};
  for (const Def& d : kDefs) {
    const int flags = SQLITE_UTF8 | (d.deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, d.name, d.args, flags, nullptr, d.fn, nullptr, nullptr,
                                        nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace lug::db
