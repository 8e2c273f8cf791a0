#include "admin/report_products.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace lug::admin {
namespace {

// Lines end with a line feed; a last line without one counts too.
ProductFile measure(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  int64_t lines = std::count(bytes.begin(), bytes.end(), '\n');
  if (!bytes.empty() && bytes.back() != '\n') ++lines;
  return {.name = path.filename().string(),
          .lines = lines,
          .bytes = static_cast<int64_t>(bytes.size())};
}

}  // namespace

std::vector<ProductFile> productFiles(const exporters::PayrollProducts& products,
                                      const std::filesystem::path& dir) {
  std::vector<ProductFile> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (!entry.is_regular_file(error)) continue;
    if (exporters::isProductFile(products, entry.path().filename().string()))
      files.push_back(measure(entry.path()));
  }
  std::sort(files.begin(), files.end(),
            [](const ProductFile& a, const ProductFile& b) { return a.name < b.name; });
  return files;
}

int stagingRows(db::Session& session, const exporters::PayrollProducts& products,
                std::vector<ProductTable>& tables) {
  for (const exporters::StagingCount& table : products.tables) {
    ProductTable counted{.name = std::string(table.table)};
    const int st = session.exec(table.count, {}, {counted.rows});
    if (st != db::kOk) return st;
    tables.push_back(counted);
  }
  return db::kOk;
}

}  // namespace lug::admin
