// The rejection lines of the exporters and the products of each payroll system.
#include "export/rejection.h"

#include <gtest/gtest.h>

#include <string>

#include "base/run_log.h"
#include "export/dispatch.h"
#include "export/products.h"
#include "support/installation.h"

namespace lug::exporters {
namespace {

// Every message, filled with values, is found again; lines of the same
// exporters that reject nothing are not.
TEST(RejectionLines, KnowsEveryMessageFilledAndNoOtherLine) {
  for (const std::string_view format : rejectionMessages()) {
    std::string line(format);
    for (const char* conversion : {"%lld", "%.2f", "%s"})
      for (size_t at; (at = line.find(conversion)) != std::string::npos;)
        line.replace(at, std::string_view(conversion).size(), "1001 (x)");
    EXPECT_TRUE(isRejectionLine(line)) << line;
  }
  for (const char* line :
       {"SBS-Lohnprogramm Akr: G1, Abrnr: 7 gestartet", "ProAL-InsertFehler, Pnr: 1001, Sqlfhl: -1",
        "PersNr zu lang", "Pnr 1001: Lohnart zu lang (1000", "Firma zu lang : 123456",
        "TeilnehmerNr. zu lang : 12345", "Pnr 1001: Personalnummer zu lang!"})
    EXPECT_FALSE(isRejectionLine(line)) << line;
}

TEST(RejectionLines, RejectLogsTheLineAndCountsTheRecord) {
  test::Installation inst;
  base::RunLog log(inst.logPath().string());
  RunContext ctx(inst.db(), log);
  reject(ctx, "Pnr %s: Lohnart zu lang (%s)", "1001", "12\n34");
  reject(ctx, "PersNr zu lang : %s", "1234567");
  EXPECT_EQ(ctx.rejectedRecords, 2);
  EXPECT_EQ(inst.logText(), "Pnr 1001: Lohnart zu lang (12?34)\r\nPersNr zu lang : 1234567\r\n");
}

// The products follow the dispatch: every interface type selects the products
// of the payroll system whose exporter it selects.
TEST(PayrollProducts, SelectedAsTheDispatchSelectsTheExporter) {
  const std::vector<DispatchEntry> dispatch = standardDispatchTable();
  ASSERT_EQ(payrollProducts().size(), dispatch.size());
  for (size_t i = 0; i < dispatch.size(); ++i) {
    EXPECT_EQ(payrollProducts()[i].key, dispatch[i].key);
    EXPECT_EQ(payrollProducts()[i].compare, dispatch[i].compare);
  }
  const struct {
    const char* type;
    const char* system;  // nullptr: no exporter
  } cases[] = {{"LOGA", "LOGA400"}, {"LOGA1", nullptr},     {"LOGA2X", "LOGA2001"},
               {"IBMX", "LOGA400"}, {"sage", "sage"},       {"SAGE", nullptr},
               {"SAP01", "SAP"},    {"PSYBR", "PAISY (Br)"}};
  for (const auto& c : cases) {
    const PayrollProducts* products = productsOf(c.type);
    if (c.system == nullptr) {
      EXPECT_EQ(products, nullptr) << c.type;
    } else {
      ASSERT_NE(products, nullptr) << c.type;
      EXPECT_EQ(products->system, c.system) << c.type;
    }
  }
}

TEST(PayrollProducts, EveryStagingTableIsCounted) {
  test::Installation inst;
  for (const PayrollProducts& products : payrollProducts())
    for (const StagingCount& table : products.tables) {
      int64_t rows = -1;
      EXPECT_EQ(inst.db().exec(table.count, {}, {rows}), db::kOk) << table.table;
      EXPECT_EQ(rows, 0) << table.table;
      EXPECT_NE(std::string_view(table.count).find(" " + std::string(table.table) + " "),
                std::string_view::npos);
    }
}

TEST(PayrollProducts, FileNamesWithVaryingParts) {
  const struct {
    const char* type;
    const char* name;
    bool product;
  } cases[] = {{"SBS", "BWA12345.DAT", true},       {"SBS", "BEWA-007.DAT", true},
               {"SBS", ".BWA12345.DAT.tmp", false}, {"SBS", "datev.csv", false},
               {"sage", "02041003", true},          {"sage", "020410031", false},
               {"LODAS", "LodasSST-0.txt", true},   {"LODAS", "LodasSST-12.txt", true},
               {"LODAS", "LodasSST-1.csv", false},  {"DATEV", "datev.csv", true},
               {"DATEV", "Datev.csv", false}};
  for (const auto& c : cases)
    EXPECT_EQ(isProductFile(*productsOf(c.type), c.name), c.product) << c.type << " " << c.name;
}

}  // namespace
}  // namespace lug::exporters
