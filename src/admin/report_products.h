#pragma once
// The products of a hand-over: the payroll system's files in the products
// directory (lines and bytes) and its staging tables (rows).
#include <filesystem>
#include <vector>

#include "admin/report_figures.h"
#include "db/session.h"
#include "export/products.h"

namespace lug::admin {

// The system's files found in `dir`, ordered by name.
std::vector<ProductFile> productFiles(const exporters::PayrollProducts& products,
                                      const std::filesystem::path& dir);

// Row counts of the system's staging tables; returns 0 or the failed count's status.
int stagingRows(db::Session& session, const exporters::PayrollProducts& products,
                std::vector<ProductTable>& tables);

}  // namespace lug::admin
