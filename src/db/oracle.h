#pragma once
// Value semantics of the suite's Oracle database, shared by every engine:
// dates as text in the session format "yyyy.mm.dd", date formats of TO_CHAR
// and TO_DATE, ADD_MONTHS, date arithmetic, the default number text, and the
// padding and trimming functions. Errors carry Oracle's error numbers.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lug::db::oracle {

// An Oracle error raised by one of the functions below ("ORA-01861" is 1861).
struct Error : std::runtime_error {
  int code;
  Error(int c, const std::string& what) : std::runtime_error(what), code(c) {}
};

struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const DateTime&) const = default;
};

// The stored and bound text of a date: "yyyy.mm.dd", with " hh24:mi:ss"
// appended only when the time is not midnight.
std::string canonical(const DateTime& d);
// Reads a date in the session format (optionally with a time). Throws Error.
DateTime parseDate(std::string_view text);
bool looksLikeDate(std::string_view text);

std::string toChar(const DateTime& d, std::string_view format);
DateTime toDate(std::string_view text, std::string_view format);
DateTime addMonths(const DateTime& d, int64_t months);
DateTime addDays(const DateTime& d, double days);
double daysBetween(const DateTime& a, const DateTime& b);
int daysInMonth(int year, int month);

// Text of a number as Oracle's default conversion writes it: 0.5 -> ".5",
// -1.25 -> "-1.25", 150 -> "150", 1.1 + 2.2 -> "3.3" (15 significant digits).
std::string numberText(double v);
std::string numberText(int64_t v);
// Reads a number from text like Oracle's implicit conversion; Error 1722 otherwise.
double toNumber(std::string_view text);

// LPAD/RPAD: pad to `width` characters with `pad`, or cut to the first `width`
// characters when the text is longer. An empty result is NULL (nullopt).
std::optional<std::string> lpad(std::string_view text, int64_t width, std::string_view pad = " ");
std::optional<std::string> rpad(std::string_view text, int64_t width, std::string_view pad = " ");
// TRIM of blanks; an all-blank text becomes NULL.
std::optional<std::string> trim(std::string_view text);
std::optional<std::string> substr(std::string_view text, int64_t pos, std::optional<int64_t> len);

// Character count of a UTF-8 text.
size_t charLength(std::string_view text);

// The database clock: the host's local time, unless LUG_SYSDATE
// ("yyyy.mm.dd hh24:mi:ss") fixes it for the whole process.
DateTime sysdate();

}  // namespace lug::db::oracle
