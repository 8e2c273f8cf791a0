#include "support/damaged_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <fstream>

namespace lug::test {

void checkpoint(const std::string& file) {
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
}

void damageTable(const std::string& file, const std::string& table) {
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
  sqlite3_stmt* pages = nullptr;
  sqlite3_prepare_v2(raw,
                     "select rootpage, (select page_size from pragma_page_size) "
                     "from sqlite_master where tbl_name=?1",
                     -1, &pages, nullptr);
  sqlite3_bind_text(pages, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  std::fstream db(file, std::ios::in | std::ios::out | std::ios::binary);
  while (sqlite3_step(pages) == SQLITE_ROW) {
    const int64_t size = sqlite3_column_int64(pages, 1);
    db.seekp((sqlite3_column_int64(pages, 0) - 1) * size);
    db << std::string(static_cast<size_t>(size), '\xFF');
  }
  sqlite3_finalize(pages);
  sqlite3_close(raw);
}

}  // namespace lug::test
