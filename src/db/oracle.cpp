#include "db/oracle.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

namespace lug::db::oracle {
namespace {

bool isLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Days since 0000-03-01 style civil count (Howard Hinnant's algorithm).
int64_t toDayNumber(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void fromDayNumber(int64_t z, DateTime& out) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2));
}

int64_t toSeconds(const DateTime& d) {
  return toDayNumber(d.year, d.month, d.day) * 86400 + d.hour * 3600 + d.minute * 60 + d.second;
}

DateTime fromSeconds(int64_t s) {
  DateTime d;
  int64_t days = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
  int64_t rest = s - days * 86400;
  fromDayNumber(days, d);
  d.hour = static_cast<int>(rest / 3600);
  d.minute = static_cast<int>(rest % 3600 / 60);
  d.second = static_cast<int>(rest % 60);
  return d;
}

void validate(const DateTime& d) {
  if (d.year < 1 || d.year > 9999) throw Error(1841, "ORA-01841: year out of range");
  if (d.month < 1 || d.month > 12) throw Error(1843, "ORA-01843: not a valid month");
  if (d.day < 1 || d.day > daysInMonth(d.year, d.month))
    throw Error(1847, "ORA-01847: day of month must be between 1 and last day of month");
  if (d.hour > 23) throw Error(1850, "ORA-01850: hour must be between 0 and 23");
  if (d.minute > 59) throw Error(1851, "ORA-01851: minutes must be between 0 and 59");
  if (d.second > 59) throw Error(1852, "ORA-01852: seconds must be between 0 and 59");
}

Error formatMismatch() {
  return Error(1861, "ORA-01861: literal does not match format string");
}

// Reads up to `maxDigits` digits at `pos`; at least one is required.
int readNumber(std::string_view text, size_t& pos, size_t maxDigits) {
  size_t start = pos;
  int value = 0;
  while (pos < text.size() && pos - start < maxDigits && std::isdigit((unsigned char)text[pos]))
    value = value * 10 + (text[pos++] - '0');
  if (pos == start) throw formatMismatch();
  return value;
}

bool startsWithCi(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower((unsigned char)s[i]) != prefix[i]) return false;
  return true;
}

// The format elements the program's statements use.
enum class Element { Year4, Year2, Month, Day, Hour24, Minute, Second, Literal };

struct FormatItem {
  Element element;
  char literal;
};

std::vector<FormatItem> readFormat(std::string_view f) {
  static const struct {
    const char* text;
    Element element;
  } kElements[] = {{"yyyy", Element::Year4}, {"hh24", Element::Hour24}, {"yy", Element::Year2},
                   {"mm", Element::Month},   {"dd", Element::Day},      {"mi", Element::Minute},
                   {"ss", Element::Second}};
  std::vector<FormatItem> items;
  size_t i = 0;
  while (i < f.size()) {
    bool matched = false;
    for (const auto& e : kElements) {
      if (startsWithCi(f.substr(i), e.text)) {
        items.push_back({e.element, 0});
        i += std::string_view(e.text).size();
        matched = true;
        break;
      }
    }
    if (!matched) items.push_back({Element::Literal, f[i++]});
  }
  return items;
}

// The items of a format, read once per format text: the program's formats
// are a few constants, used for every date of a run. A format beyond the
// first few dozen (a text a statement took from data) is read into `scratch`.
const std::vector<FormatItem>& parseFormat(std::string_view f, std::vector<FormatItem>& scratch) {
  constexpr size_t kKeptFormats = 64;
  thread_local std::vector<std::pair<std::string, std::vector<FormatItem>>> kept;
  for (const auto& [text, items] : kept)
    if (text == f) return items;
  if (kept.size() < kKeptFormats) return kept.emplace_back(f, readFormat(f)).second;
  scratch = readFormat(f);
  return scratch;
}

// `value` with at least `width` digits, zeros in front ("%0*d").
void appendNumber(std::string& out, int value, int width) {
  if (value < 0) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    out += buf;
    return;
  }
  char digits[16];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  for (int pad = width - n; pad > 0; --pad) out += '0';
  while (n > 0) out += digits[--n];
}

const char* utf8Advance(const char* p, const char* end) {
  ++p;
  while (p < end && (static_cast<unsigned char>(*p) & 0xC0) == 0x80) ++p;
  return p;
}

// The first `count` characters of a UTF-8 text.
std::string_view firstChars(std::string_view text, size_t count) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (count-- > 0 && p < end) p = utf8Advance(p, end);
  return text.substr(0, static_cast<size_t>(p - text.data()));
}

std::string repeatPad(std::string_view pad, size_t count) {
  std::string out;
  if (pad.empty()) return out;
  while (charLength(out) < count) out += pad;
  return std::string(firstChars(out, count));
}

// What a date format leaves out is, as on Oracle, taken from the database
// clock: the current year and month (the day is the first, the time midnight),
// and a two-digit year lies in the current century.
void completeFromClock(DateTime& d, int shortYear) {
  const DateTime now = sysdate();
  if (shortYear >= 0) d.year = now.year / 100 * 100 + shortYear;
  if (d.year < 0) d.year = now.year;
  if (d.month < 0) d.month = now.month;
}

std::optional<std::string> nullIfEmpty(std::string s) {
  if (s.empty()) return std::nullopt;
  return s;
}

}  // namespace

int daysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

std::string canonical(const DateTime& d) {
  std::string out;
  appendNumber(out, d.year, 4);
  out += '.';
  appendNumber(out, d.month, 2);
  out += '.';
  appendNumber(out, d.day, 2);
  if (d.hour || d.minute || d.second) {
    out += ' ';
    appendNumber(out, d.hour, 2);
    out += ':';
    appendNumber(out, d.minute, 2);
    out += ':';
    appendNumber(out, d.second, 2);
  }
  return out;
}

bool looksLikeDate(std::string_view t) {
  auto digits = [&](size_t from, size_t n) {
    for (size_t i = from; i < from + n; ++i)
      if (!std::isdigit((unsigned char)t[i])) return false;
    return true;
  };
  if (t.size() != 10 && t.size() != 19) return false;
  if (!digits(0, 4) || t[4] != '.' || !digits(5, 2) || t[7] != '.' || !digits(8, 2)) return false;
  if (t.size() == 10) return true;
  return t[10] == ' ' && digits(11, 2) && t[13] == ':' && digits(14, 2) && t[16] == ':' &&
         digits(17, 2);
}

DateTime parseDate(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  text = end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
  if (text.size() > 10) return toDate(text, "yyyy.mm.dd hh24:mi:ss");
  return toDate(text, "yyyy.mm.dd");
}

std::string toChar(const DateTime& d, std::string_view format) {
  std::string out;
  std::vector<FormatItem> scratch;
  for (const FormatItem& item : parseFormat(format, scratch)) {
    switch (item.element) {
      case Element::Year4:
        appendNumber(out, d.year, 4);
        break;
      case Element::Year2:
        appendNumber(out, d.year % 100, 2);
        break;
      case Element::Month:
        appendNumber(out, d.month, 2);
        break;
      case Element::Day:
        appendNumber(out, d.day, 2);
        break;
      case Element::Hour24:
        appendNumber(out, d.hour, 2);
        break;
      case Element::Minute:
        appendNumber(out, d.minute, 2);
        break;
      case Element::Second:
        appendNumber(out, d.second, 2);
        break;
      case Element::Literal:
        out += item.literal;
        break;
    }
  }
  return out;
}

DateTime toDate(std::string_view text, std::string_view format) {
  DateTime d{-1, -1, 1, 0, 0, 0};  // year and month not given yet
  int shortYear = -1;
  size_t pos = 0;
  std::vector<FormatItem> scratch;
  for (const FormatItem& item : parseFormat(format, scratch)) {
    switch (item.element) {
      case Element::Year4:
        d.year = readNumber(text, pos, 4);
        break;
      case Element::Year2:
        shortYear = readNumber(text, pos, 2);
        break;
      case Element::Month:
        d.month = readNumber(text, pos, 2);
        break;
      case Element::Day:
        d.day = readNumber(text, pos, 2);
        break;
      case Element::Hour24:
        d.hour = readNumber(text, pos, 2);
        break;
      case Element::Minute:
        d.minute = readNumber(text, pos, 2);
        break;
      case Element::Second:
        d.second = readNumber(text, pos, 2);
        break;
      case Element::Literal:
        // Like Oracle, any punctuation in the text stands for a separator.
        if (pos < text.size() && !std::isalnum((unsigned char)text[pos]))
          ++pos;
        else
          throw formatMismatch();
        break;
    }
  }
  if (pos != text.size()) throw formatMismatch();
  if (d.year < 0 || d.month < 0 || shortYear >= 0) completeFromClock(d, shortYear);
  validate(d);
  return d;
}

DateTime addMonths(const DateTime& d, int64_t months) {
  int64_t index = int64_t{d.year} * 12 + (d.month - 1) + months;
  DateTime r = d;
  r.year = static_cast<int>(index >= 0 ? index / 12 : -((-index + 11) / 12));
  r.month = static_cast<int>(index - int64_t{r.year} * 12) + 1;
  const int last = daysInMonth(r.year, r.month);
  // Oracle: the last day of a month maps to the last day of the target month.
  if (d.day == daysInMonth(d.year, d.month) || d.day > last) r.day = last;
  validate(r);
  return r;
}

DateTime addDays(const DateTime& d, double days) {
  const auto seconds = static_cast<int64_t>(std::llround(days * 86400.0));
  DateTime r = fromSeconds(toSeconds(d) + seconds);
  validate(r);
  return r;
}

double daysBetween(const DateTime& a, const DateTime& b) {
  return static_cast<double>(toSeconds(a) - toSeconds(b)) / 86400.0;
}

std::string numberText(int64_t v) {
  return std::to_string(v);
}

std::string numberText(double v) {
  if (v == 0 || !std::isfinite(v)) return "0";
  if (std::fabs(v) < 9.2e18 && v == std::trunc(v)) return std::to_string(std::llround(v));
  char buf[64];
  const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  if (exponent >= 40 || exponent < -40) {
    std::snprintf(buf, sizeof buf, "%.14E", v);
    return buf;
  }
  const int decimals = std::max(0, 14 - exponent);
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s.rfind("0.", 0) == 0)
    s.erase(0, 1);
  else if (s.rfind("-0.", 0) == 0)
    s.erase(1, 1);
  return s;
}

double toNumber(std::string_view text) {
  std::string s(text);
  size_t first = s.find_first_not_of(' ');
  size_t last = s.find_last_not_of(' ');
  if (first == std::string::npos) throw Error(1722, "ORA-01722: invalid number");
  s = s.substr(first, last - first + 1);
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || s.find_first_of("xXnN") != std::string::npos)
    throw Error(1722, "ORA-01722: invalid number");
  return v;
}

size_t charLength(std::string_view text) {
  size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::optional<std::string> lpad(std::string_view text, int64_t width, std::string_view pad) {
  if (width <= 0) return std::nullopt;
  const auto w = static_cast<size_t>(width);
  const size_t len = charLength(text);
  if (len >= w) return nullIfEmpty(std::string(firstChars(text, w)));
  return nullIfEmpty(repeatPad(pad, w - len) + std::string(text));
}

std::optional<std::string> rpad(std::string_view text, int64_t width, std::string_view pad) {
  if (width <= 0) return std::nullopt;
  const auto w = static_cast<size_t>(width);
  const size_t len = charLength(text);
  if (len >= w) return nullIfEmpty(std::string(firstChars(text, w)));
  return nullIfEmpty(std::string(text) + repeatPad(pad, w - len));
}

std::optional<std::string> trim(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::optional<std::string> substr(std::string_view text, int64_t pos, std::optional<int64_t> len) {
  const auto n = static_cast<int64_t>(charLength(text));
  if (pos == 0) pos = 1;
  if (pos < 0) pos = n + pos + 1;
  if (pos < 1 || pos > n || (len && *len < 1)) return std::nullopt;
  std::string_view rest = text.substr(firstChars(text, static_cast<size_t>(pos - 1)).size());
  if (len) rest = firstChars(rest, static_cast<size_t>(*len));
  return nullIfEmpty(std::string(rest));
}

DateTime sysdate() {
  // The variable is read on every call, so that a process (a test) can move
  // the clock between runs; the parsed value is kept while the text stays.
  thread_local std::string cachedText;
  thread_local DateTime cachedValue;
  const char* env = std::getenv("LUG_SYSDATE");
  if (env && *env) {
    if (cachedText != env) {
      std::string_view text(env);
      cachedValue =
          text.size() > 10 ? toDate(text, "yyyy.mm.dd hh24:mi:ss") : toDate(text, "yyyy.mm.dd");
      cachedText = env;
    }
    return cachedValue;
  }
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace lug::db::oracle
