#pragma once
// What each payroll system receives from a hand-over: its transfer files in
// the export directory and its staging tables. The interface type selects
// the row as it selects the exporter (export/dispatch.h), searched from the
// top. The control report and the demo show a run's products from here.
#include <cstddef>
#include <string_view>
#include <vector>

namespace lug::exporters {

// A staging table and the statement that counts its rows.
struct StagingCount {
  std::string_view table{};
  const char* count = nullptr;  // "select count(*)  into :b0  from Hor333Xyz "
};

struct PayrollProducts {
  std::string_view key{};  // interface type, compared as the dispatch compares it
  size_t compare;
  std::string_view system{};              // the payroll system's name
  std::vector<std::string_view> files{};  // file names; "?" and "*" stand for varying parts
  std::vector<StagingCount> tables{};     // in the order the exporter fills them
};

// The rows in the dispatch table's order.
const std::vector<PayrollProducts>& payrollProducts();

// The row an interface type selects, or nullptr when it selects no exporter.
const PayrollProducts* productsOf(std::string_view interfaceType);

// Whether a file name is one of the names of `products` ("?" any character,
// "*" any run of characters).
bool isProductFile(const PayrollProducts& products, std::string_view fileName);

}  // namespace lug::exporters
