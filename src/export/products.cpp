#include "export/products.h"

#include "export/dispatch.h"

namespace lug::exporters {
namespace {

constexpr char kCountB01[] = "select count(*)  into :b0  from Hor333B01 ";
constexpr char kCountB06[] = "select count(*)  into :b0  from Hor333B06 ";
constexpr char kCountB05[] = "select count(*)  into :b0  from Hor333B05 ";
constexpr char kCountBzr[] = "select count(*)  into :b0  from Hor333Bzr ";
constexpr char kCountPs1[] = "select count(*)  into :b0  from Hor333Ps1 ";
constexpr char kCountPs3[] = "select count(*)  into :b0  from Hor333Ps3 ";
constexpr char kCountPs4[] = "select count(*)  into :b0  from Hor333Ps4 ";
constexpr char kCountLpc[] = "select count(*)  into :b0  from Hor333Lpc ";
constexpr char kCountLp1[] = "select count(*)  into :b0  from Hor333Lp1 ";
constexpr char kCountAsr[] = "select count(*)  into :b0  from Hor333Asr ";
constexpr char kCountAsk[] = "select count(*)  into :b0  from Hor333Ask ";
constexpr char kCountXxl[] = "select count(*)  into :b0  from Hor333Xxl ";
constexpr char kCountEms[] = "select count(*)  into :b0  from Hor333Ems ";
constexpr char kCountSli[] = "select count(*)  into :b0  from Hor333Sli ";
constexpr char kCountPro[] = "select count(*)  into :b0  from Hor333Pro ";
constexpr char kCountS10[] = "select count(*)  into :b0  from Hor333S10 ";
constexpr char kCountS01[] = "select count(*)  into :b0  from Hor333S01 ";
constexpr char kCountSbs[] = "select count(*)  into :b0  from Hor333Sbs ";
constexpr char kCountBmn[] = "select count(*)  into :b0  from Hor333Bmn ";
constexpr char kCountSag[] = "select count(*)  into :b0  from Hor333Sag ";
constexpr char kCountLd1[] = "select count(*)  into :b0  from Hor333Ld1 ";
constexpr char kCountRat[] = "select count(*)  into :b0  from Hor333Rat ";
constexpr char kCountPs1B[] = "select count(*)  into :b0  from Hor333Ps1B ";
constexpr char kCountPs3B[] = "select count(*)  into :b0  from Hor333Ps3B ";
constexpr char kCountPs4B[] = "select count(*)  into :b0  from Hor333Ps4B ";
constexpr char kCountGod[] = "select count(*)  into :b0  from Hor333God ";
constexpr char kCountTp1[] = "select count(*)  into :b0  from Hor333Tp1 ";
constexpr char kCountTp2[] = "select count(*)  into :b0  from Hor333Tp2 ";
constexpr char kCountPm1[] = "select count(*)  into :b0  from Hor333Pm1 ";

const std::vector<StagingCount> kLoga400Tables = {{"Hor333B01", kCountB01},
                                                  {"Hor333B06", kCountB06},
                                                  {"Hor333B05", kCountB05},
                                                  {"Hor333Bzr", kCountBzr}};

// "?" matches one character, "*" any run of characters.
bool fitsPattern(std::string_view name, std::string_view pattern) {
  if (pattern.empty()) return name.empty();
  if (pattern.front() == '*')
    return fitsPattern(name, pattern.substr(1)) ||
           (!name.empty() && fitsPattern(name.substr(1), pattern));
  if (name.empty() || (pattern.front() != '?' && pattern.front() != name.front())) return false;
  return fitsPattern(name.substr(1), pattern.substr(1));
}

}  // namespace

const std::vector<PayrollProducts>& payrollProducts() {
  static const std::vector<PayrollProducts> rows = {
      {"LOGA", kWholeText, "LOGA400", {}, kLoga400Tables},
      {"LOGA4", 5, "LOGA400", {}, kLoga400Tables},
      {"IBM", 3, "LOGA400", {}, kLoga400Tables},
      {"PAISY",
       5,
       "PAISY",
       {"PaisyP1.txt", "PaisyP3.txt", "PaisyP4.txt"},
       {{"Hor333Ps1", kCountPs1}, {"Hor333Ps3", kCountPs3}, {"Hor333Ps4", kCountPs4}}},
      {"LOGA2",
       5,
       "LOGA2001",
       {"Loga2001Lpc.csv", "Loga2001Lp1.csv"},
       {{"Hor333Lpc", kCountLpc}, {"Hor333Lp1", kCountLp1}}},
      {"DATEV", 5, "DATEV", {"datev.csv"}, {}},
      {"ASR", 3, "Asring", {}, {{"Hor333Asr", kCountAsr}, {"Hor333Ask", kCountAsk}}},
      {"XXL", 3, "XXL-Exact", {"LO_IMP.txt"}, {{"Hor333Xxl", kCountXxl}}},
      {"EMIS", 4, "EMIS", {}, {{"Hor333Ems", kCountEms}}},
      {"SCHLP", 5, "Schleupen", {"LOXF-0001.csv"}, {{"Hor333Sli", kCountSli}}},
      {"ProAL", 5, "ProAL", {"ProAL.txt"}, {{"Hor333Pro", kCountPro}}},
      {"SAP",
       3,
       "SAP",
       {"SAP2010.txt", "SAP2010.csv", "SAP2001.txt", "SAP2001.csv"},
       {{"Hor333S10", kCountS10}, {"Hor333S01", kCountS01}}},
      {"SBS", 3, "SBS", {"BWA*.DAT", "BEWA-*.DAT"}, {{"Hor333Sbs", kCountSbs}}},
      {"BAUMN", 5, "Baumann", {"BMNLUG.txt"}, {{"Hor333Bmn", kCountBmn}}},
      {"sage", 5, "sage", {"020410??"}, {{"Hor333Sag", kCountSag}}},
      {"LODAS", 5, "LODAS", {"LodasSST-*.txt"}, {{"Hor333Ld1", kCountLd1}}},
      {"Raet", 5, "Raet", {"Raet.txt"}, {{"Hor333Rat", kCountRat}}},
      {"PSYBR",
       5,
       "PAISY (Br)",
       {"PaisyP1b.txt", "PaisyP3b.txt", "PaisyP4b.txt"},
       {{"Hor333Ps1B", kCountPs1B}, {"Hor333Ps3B", kCountPs3B}, {"Hor333Ps4B", kCountPs4B}}},
      {"GOD", 3, "GOD", {"PVZERZDP.DAT"}, {{"Hor333God", kCountGod}}},
      {"TOPAS",
       5,
       "TOPAS",
       {"LGD038IM", "LGD034IM"},
       {{"Hor333Tp1", kCountTp1}, {"Hor333Tp2", kCountTp2}}},
      {"PRMAN", 5, "Perman", {"M0060763.001"}, {{"Hor333Pm1", kCountPm1}}},
  };
  return rows;
}

const PayrollProducts* productsOf(std::string_view interfaceType) {
  for (const PayrollProducts& row : payrollProducts())
    if (matches(DispatchEntry{.key = row.key, .compare = row.compare, .exporter = {}},
                interfaceType))
      return &row;
  return nullptr;
}

bool isProductFile(const PayrollProducts& products, std::string_view fileName) {
  for (const std::string_view pattern : products.files)
    if (fitsPattern(fileName, pattern)) return true;
  return false;
}

}  // namespace lug::exporters
