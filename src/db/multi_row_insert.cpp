#include "db/multi_row_insert.h"

#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>

namespace lug::db {
namespace {

// The value list of the single-row text: from the last " values (" on.
size_t valueListStart(std::string_view text) {
  const size_t at = text.rfind(" values (");
  if (at == std::string_view::npos) throw std::invalid_argument("insert without value list");
  return at + 8;
}

// The value list with every host variable :bN moved on by `offset`; also
// returns the number of host variables it holds (the highest N plus one).
std::string shifted(std::string_view list, size_t offset, size_t& count) {
  std::string out;
  count = 0;
  for (size_t i = 0; i < list.size();) {
    const bool hostVariable = list.compare(i, 2, ":b") == 0 && i + 2 < list.size() &&
                              std::isdigit(static_cast<unsigned char>(list[i + 2]));
    if (!hostVariable) {
      out += list[i++];
      continue;
    }
    size_t end = i + 2, n = 0;
    while (end < list.size() && std::isdigit(static_cast<unsigned char>(list[end])))
      n = n * 10 + static_cast<size_t>(list[end++] - '0');
    out += ":b" + std::to_string(n + offset);
    if (n + 1 > count) count = n + 1;
    i = end;
  }
  return out;
}

std::string build(std::string_view single, size_t rows) {
  const size_t start = valueListStart(single);
  const std::string_view list = single.substr(start);
  size_t perRow = 0;
  shifted(list, 0, perRow);
  std::string text(single.substr(0, start));
  for (size_t r = 0; r < rows; ++r) {
    size_t ignored = 0;
    if (r > 0) text += ',';
    text += shifted(list, r * perRow, ignored);
  }
  return text;
}

// The last parenthesized group, "(... Column=:bN)", repeated with :bN moved
// on for each further alternative.
std::string alternatives(std::string_view single, size_t values) {
  const size_t open = single.rfind('('), equals = single.rfind("=:b");
  if (open == std::string_view::npos || equals == std::string_view::npos || equals < open)
    throw std::invalid_argument("statement without closing comparison");
  const size_t end = single.find(')', equals);
  const std::string group(single.substr(open + 1, equals - open - 1));
  const size_t n = std::stoul(std::string(single.substr(equals + 3, end - equals - 3)));
  std::string text(single.substr(0, open + 1));
  for (size_t i = 0; i < values; ++i)
    text += (i ? " or " : "") + group + "=:b" + std::to_string(n + i);
  return text + std::string(single.substr(end));
}

std::string rowAlternatives(std::string_view single, size_t rows) {
  const size_t at = single.rfind(" where (");
  if (at == std::string_view::npos || single.back() != ')')
    throw std::invalid_argument("statement without where clause");
  const std::string_view condition = single.substr(at + 7);
  size_t perRow = 0;
  shifted(condition, 0, perRow);
  std::string text(single.substr(0, at + 7));
  text += '(';
  for (size_t r = 0; r < rows; ++r) {
    size_t ignored = 0;
    text += (r ? " or " : "") + shifted(condition, r * perRow, ignored);
  }
  return text + ')';
}

using Build = std::string (*)(std::string_view single, size_t count);

// The one-row text each grown text was built from.
std::map<const char*, const char*>& origins() {
  static std::map<const char*, const char*> origin;
  return origin;
}

// One text per way of growing, statement constant and count, alive until
// the process ends.
const char* kept(const char* single, size_t count, Build build) {
  static std::map<std::tuple<Build, const char*, size_t>, std::string> texts;
  auto [it, added] = texts.try_emplace({build, single, count});
  if (added) {
    it->second = build(single, count);
    origins().emplace(it->second.c_str(), single);
  }
  return it->second.c_str();
}

}  // namespace

const char* moreAlternatives(const char* singleValue, size_t values) {
  if (values <= 1) return singleValue;
  if (values > kMaxInsertRows) throw std::invalid_argument("too many alternatives");
  return kept(singleValue, values, alternatives);
}

const char* anyOfRows(const char* singleRow, size_t rows) {
  if (rows <= 1) return singleRow;
  if (rows > kMaxInsertRows) throw std::invalid_argument("too many rows for one statement");
  return kept(singleRow, rows, rowAlternatives);
}

const char* multiRowInsert(const char* singleRow, size_t rows) {
  if (rows <= 1) return singleRow;
  if (rows > kMaxInsertRows) throw std::invalid_argument("too many rows for one insert");
  return kept(singleRow, rows, build);
}

const char* grownFrom(const char* text) {
  const auto it = origins().find(text);
  return it == origins().end() ? text : it->second;
}

}  // namespace lug::db
