#include "export/ordered_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace lug::exporters {
namespace {

struct Row {
  std::string pnr, lna;
  int day = 0;
  bool operator==(const Row&) const = default;
};

// Rows the statement ordered by personnel number only: each employee's rows
// are put in order, the order of the employees stays as the cursor gave it.
TEST(OrderTies, SortsOnlyWithinRunsOfTheStatementOrder) {
  std::vector<Row> rows = {{"2", "200", 3}, {"2", "100", 9}, {"2", "100", 1},
                           {"1", "300", 1}, {"1", "100", 2}, {"3", "100", 1}};
  orderTies(
      rows, [](const Row& r) { return std::tie(r.pnr); },
      [](const Row& r) { return std::tie(r.lna, r.day); });
  EXPECT_EQ(rows, (std::vector<Row>{{"2", "100", 1},
                                    {"2", "100", 9},
                                    {"2", "200", 3},
                                    {"1", "100", 2},
                                    {"1", "300", 1},
                                    {"3", "100", 1}}));
}

TEST(OrderTies, RowsEqualInBothOrdersKeepTheirOrder) {
  std::vector<Row> rows = {{"1", "100", 2}, {"1", "100", 1}, {"1", "100", 3}};
  orderTies(
      rows, [](const Row& r) { return std::tie(r.pnr); },
      [](const Row& r) { return std::tie(r.lna); });
  EXPECT_EQ(rows, (std::vector<Row>{{"1", "100", 2}, {"1", "100", 1}, {"1", "100", 3}}));
  std::vector<Row> none;
  orderTies(
      none, [](const Row& r) { return std::tie(r.pnr); },
      [](const Row& r) { return std::tie(r.lna); });
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace lug::exporters
