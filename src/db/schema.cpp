#include "db/schema.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace lug::db {

extern const char* const kSchemaText;

namespace {

ColumnType parseType(const std::string& word) {
  if (word == "char") return ColumnType::Text;
  if (word == "short") return ColumnType::Short;
  if (word == "long") return ColumnType::Long;
  if (word == "double") return ColumnType::Double;
  if (word == "number") return ColumnType::Number;
  if (word == "date") return ColumnType::Date;
  throw std::invalid_argument("unknown column type " + word);
}

Column parseColumn(std::istringstream& words, const std::string& name) {
  Column c;
  c.name = name;
  std::string word;
  words >> word;
  c.type = parseType(word);
  if (c.type == ColumnType::Text) words >> c.width;
  while (words >> word) {
    if (word == "match")
      c.match = true;
    else if (word == "default")
      words >> c.defaultValue;
    else
      throw std::invalid_argument("unknown column option " + word);
  }
  return c;
}

std::vector<std::string> restOf(std::istringstream& words) {
  std::vector<std::string> out;
  std::string w;
  while (words >> w) out.push_back(w);
  return out;
}

bool contains(const std::vector<std::string>& sorted, std::string_view column) {
  return std::binary_search(sorted.begin(), sorted.end(), lowerAscii(column));
}

}  // namespace

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

const Column* Table::column(std::string_view n) const {
  for (const Column& c : columns)
    if (lowerAscii(c.name) == lowerAscii(n)) return &c;
  return nullptr;
}

Schema::Schema(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string first;
    if (!(words >> first)) continue;
    if (first == "table") {
      Table t;
      std::string flag;
      words >> t.name;
      t.central = (words >> flag) && flag == "central";
      tables_.push_back(std::move(t));
    } else if (tables_.empty()) {
      throw std::invalid_argument("table definitions: column before the first table");
    } else if (first == "unique") {
      tables_.back().unique = restOf(words);
    } else if (first == "index") {
      tables_.back().indexes.push_back(restOf(words));
    } else {
      tables_.back().columns.push_back(parseColumn(words, first));
    }
  }
  for (const Table& t : tables_) {
    for (const Column& c : t.columns) {
      if (c.type == ColumnType::Date) dateColumns_.push_back(lowerAscii(c.name));
      if (c.match) matchColumns_.push_back(lowerAscii(c.name));
    }
  }
  std::sort(dateColumns_.begin(), dateColumns_.end());
  std::sort(matchColumns_.begin(), matchColumns_.end());
}

const Schema& Schema::instance() {
  static const Schema schema(kSchemaText);
  return schema;
}

const Table* Schema::table(std::string_view name) const {
  for (const Table& t : tables_)
    if (lowerAscii(t.name) == lowerAscii(name)) return &t;
  return nullptr;
}

bool Schema::isDateColumn(std::string_view column) const {
  return contains(dateColumns_, column);
}
bool Schema::isMatchColumn(std::string_view column) const {
  return contains(matchColumns_, column);
}

}  // namespace lug::db
