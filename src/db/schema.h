#pragma once
// The database's table definitions (schema/tables.def, compiled in): column
// types and widths, unique keys and access paths. The dialect layer reads it
// to know which columns hold dates and which compare empty as equal; the
// admin tool creates the tables from it.
#include <string>
#include <string_view>
#include <vector>

namespace lug::db {

enum class ColumnType { Text, Short, Long, Double, Number, Date };

struct Column {
  std::string name;
  ColumnType type = ColumnType::Text;
  int width = 0;  // text columns: characters + terminator, as the suite declares them
  bool match = false;
  std::string defaultValue;
};

struct Table {
  std::string name;
  bool central = false;
  std::vector<Column> columns;
  std::vector<std::string> unique;
  std::vector<std::vector<std::string>> indexes;
  const Column* column(std::string_view name) const;
};

class Schema {
 public:
  static const Schema& instance();
  explicit Schema(std::string_view text);

  const std::vector<Table>& tables() const { return tables_; }
  const Table* table(std::string_view name) const;
  // Column names are unique across tables (the table code is part of the name).
  bool isDateColumn(std::string_view column) const;
  bool isMatchColumn(std::string_view column) const;

 private:
  std::vector<Table> tables_;
  std::vector<std::string> dateColumns_;   // lower case, sorted
  std::vector<std::string> matchColumns_;  // lower case, sorted
};

std::string lowerAscii(std::string_view s);

}  // namespace lug::db
