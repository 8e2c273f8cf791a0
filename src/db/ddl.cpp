#include "db/ddl.h"

#include <map>
#include <set>

#include "db/oracle.h"
#include "db/schema.h"

namespace lug::db {
namespace {

std::string qualified(const Table& t, Dialect d) {
  if (!t.central) return t.name;
  return (d == Dialect::Sqlite ? "HORSYSTEM." : "horsystem.") + t.name;
}

// Texts compare byte by byte on both engines (collation "C" on PostgreSQL,
// whatever the database's locale), so that keys sort as on the embedded
// engine. A text longer than its width is refused with a check (-12899),
// also when the excess is blanks, which varchar(n) would cut silently.
std::string textType(const Column& c, Dialect d) {
  const bool pg = d == Dialect::Postgres;
  return std::string(pg ? "text COLLATE \"C\"" : "TEXT") + " CONSTRAINT " + c.name +
         "_width CHECK (" + (pg ? "char_length(" : "length(") + c.name +
         ") <= " + std::to_string(c.width - 1) + ")";
}

std::string columnType(const Column& c, Dialect d) {
  const bool pg = d == Dialect::Postgres;
  switch (c.type) {
    case ColumnType::Text:
      return textType(c, d);
    case ColumnType::Short:
      return pg ? "smallint" : "INTEGER";
    case ColumnType::Long:
      return pg ? "integer" : "INTEGER";
    case ColumnType::Double:
    case ColumnType::Number:
      return pg ? "double precision" : "REAL";
    case ColumnType::Date:
      return pg ? "text COLLATE \"C\"" : "TEXT";
  }
  return "TEXT";
}

std::string columnDefinition(const Column& c, Dialect d) {
  std::string def = c.name + " " + columnType(c, d);
  if (!c.defaultValue.empty()) def += " DEFAULT " + c.defaultValue;
  return def;
}

// Index terms: key and cost columns as coalesce(col,''), the form in which
// the dialect layer compares them, so that empty equals empty in the key.
std::string indexTerms(const Table& t, const std::vector<std::string>& columns) {
  std::string out;
  for (const std::string& name : columns) {
    const Column* c = t.column(name);
    if (!out.empty()) out += ", ";
    out += c && c->match ? "coalesce(" + name + ",'')" : name;
  }
  return out;
}

std::string indexStatement(const Table& t, const std::string& suffix,
                           const std::vector<std::string>& columns, bool unique, Dialect d) {
  std::string name = t.name + "_" + suffix;
  std::string head = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX IF NOT EXISTS ";
  if (d == Dialect::Sqlite)
    return head + (t.central ? "HORSYSTEM." : "") + name + " ON " + t.name + " (" +
           indexTerms(t, columns) + ")";
  return head + name + " ON " + qualified(t, d) + " (" + indexTerms(t, columns) + ")";
}

// The columns each table has before the tables are created, by lower-case
// "schema.table" (all of its columns for a table created just now). The server reads them with one
// catalogue query for all tables (a query per table costs more than creating it); SQLite asks its
// pragma per table, which is a local call.
class ExistingColumns {
 public:
  ExistingColumns(Session& s, Dialect d) : s_(s), d_(d) {
    if (d_ != Dialect::Postgres) return;
    static const char kCurrent[] = "select current_schema() into :b0 from dual";
    static const char kPgColumns[] =
        "select lower(table_schema) ,lower(table_name) ,lower(column_name)  from "
        "information_schema.columns where table_schema in (:b0,'horsystem')";
    s_.exec(kCurrent, {}, {current_});
    Cursor c(s_, kPgColumns);
    c.open({current_});
    std::string schema, table, column;
    while (c.fetch({schema, table, column}) == kOk) byTable_[schema + "." + table].insert(column);
    c.close();
  }

  std::set<std::string> of(const Table& t) {
    if (d_ == Dialect::Postgres) {
      auto found = byTable_.find(lowerAscii((t.central ? "horsystem" : current_) + "." + t.name));
      if (found != byTable_.end()) return found->second;
      std::set<std::string> created;  // the table did not exist: created whole
      for (const Column& c : t.columns) created.insert(lowerAscii(c.name));
      return created;
    }
    static const char kSqliteColumns[] = "select name from pragma_table_info(:b0, :b1)";
    Cursor c(s_, kSqliteColumns);
    c.open({t.name, t.central ? "HORSYSTEM" : "main"});
    std::set<std::string> names;
    std::string name;
    while (c.fetch({name}) == kOk) names.insert(lowerAscii(name));
    return names;
  }

 private:
  Session& s_;
  const Dialect d_;
  std::string current_;
  std::map<std::string, std::set<std::string>> byTable_;
};

int createTable(Session& s, const Table& t, Dialect d, ExistingColumns& existing) {
  std::string columns;
  for (const Column& c : t.columns)
    columns += (columns.empty() ? "" : ", ") + columnDefinition(c, d);
  int st = s.execDynamic("CREATE TABLE IF NOT EXISTS " + qualified(t, d) + " (" + columns + ")");
  if (st != kOk) return st;
  const std::set<std::string> present = existing.of(t);
  for (const Column& c : t.columns) {
    if (present.count(lowerAscii(c.name))) continue;
    st = s.execDynamic("ALTER TABLE " + qualified(t, d) + " ADD COLUMN " + columnDefinition(c, d));
    if (st != kOk) return st;
  }
  if (!t.unique.empty()) {
    st = s.execDynamic(indexStatement(t, "u", t.unique, true, d));
    if (st != kOk) return st;
  }
  for (size_t i = 0; i < t.indexes.size(); ++i) {
    st = s.execDynamic(indexStatement(t, "i" + std::to_string(i + 1), t.indexes[i], false, d));
    if (st != kOk) return st;
  }
  return kOk;
}

int fillCalendar(Session& s) {
  static const char kCount[] = "select count(BakDtm) into :b0  from HORSYSTEM.Hor133Bak";
  static const char kInsert[] = "insert into HORSYSTEM.Hor133Bak (BakDtm) values (:b0)";
  // On the server the days are one statement instead of 40000 round trips.
  static const char kPgFill[] =
      "insert into horsystem.Hor133Bak (BakDtm) select to_char(d, 'YYYY.MM.DD') from "
      "generate_series(date '1990-01-01', date '2099-12-31', interval '1 day') as d";
  int32_t count = 0;
  int st = s.exec(kCount, {}, {count});
  if (st != kOk || count > 0) return st;
  if (s.engine().dialect() == Dialect::Postgres) return s.execDynamic(kPgFill);
  oracle::DateTime day{1990, 1, 1, 0, 0, 0};
  for (; day.year < 2100; day = oracle::addDays(day, 1)) {
    st = s.exec(kInsert, {oracle::canonical(day)});
    if (st != kOk) return st;
  }
  return kOk;
}

int registerSchema(Session& s, const std::string& schema) {
  static const char kFind[] =
      "select count(MndSch) into :b0  from Horsystem.Hor112Mnd where upper(MndSch)=:b1";
  static const char kInsert[] = "insert into Horsystem.Hor112Mnd (MndSch) values (:b0)";
  int32_t count = 0;
  int st = s.exec(kFind, {schema}, {count});
  if (st != kOk || count > 0) return st;
  return s.exec(kInsert, {schema});
}

}  // namespace

int createTables(Session& session, const std::string& schema) {
  const Dialect d = session.engine().dialect();
  ExistingColumns existing(session, d);
  for (const Table& t : Schema::instance().tables()) {
    int st = createTable(session, t, d, existing);
    if (st != kOk) return st;
  }
  int st = fillCalendar(session);
  if (st == kOk) st = registerSchema(session, schema);
  if (st == kOk) st = session.commit();
  return st;
}

}  // namespace lug::db
