#include "admin/generate.h"

#include <cstdio>
#include <map>
#include <tuple>

#include "admin/suite_rows.h"

namespace lug::admin {
namespace {

namespace ora = db::oracle;

constexpr char kAkr[] = "G1";
constexpr char kLug[] = "L1";
constexpr int kPeriods = 4;

struct Line {
  const char* account;
  const char* wageType;
  const char* group;
  int16_t dayByDay, checkDays, targetOnly, reducesSvt, status, periodAccount;
};

// Month values, day-by-day values, one period account, one check-day line,
// special keys and the interruption line.
const Line kLines[] = {
    {"NORM", "1000", "", 0, 0, 0, 0, 0, 0},   {"UEB", "1100", "", 0, 0, 0, 0, 0, 0},
    {"NACHT", "1200", "", 0, 0, 0, 0, 0, 0},  {"SONN", "1300", "", 0, 0, 0, 0, 0, 0},
    {"URL", "2000", "", 1, 0, 0, 0, 0, 0},    {"KRANK", "2100", "", 0, 1, 1, 1, 0, 0},
    {"GLZ", "3000", "", 0, 0, 0, 0, 0, 1},    {"ANW", "4000", "", 0, 0, 0, 0, 102, 0},
    {"GLT", "9000", "GLT", 0, 0, 0, 0, 0, 0}, {"MGF", "9100", "MGF", 0, 0, 0, 0, 0, 0},
    {"RUL", "9200", "RUL", 0, 0, 0, 0, 0, 0}, {"UNT", "9300", "", 0, 0, 0, 0, 112, 0},
};

class Generator {
 public:
  Generator(db::Session& s, const GenerateOptions& o)
      : s_(s), rows_(s), options_(o), random_(o.seed) {}

  void run() {
    // Sent as multi-row inserts: a server takes the rows in few round trips.
    s_.gatherInserts();
    master();
    for (int e = 1; e <= options_.employees; ++e) employee(e);
    if (int st = s_.commit(); st != db::kOk) throw SuiteRowError(st);
    // Statistics for the query planner, as an installation's maintenance keeps them.
    if (int st = s_.execDynamic("ANALYZE"); st != db::kOk) throw SuiteRowError(st);
    if (int st = s_.commit(); st != db::kOk) throw SuiteRowError(st);
  }

 private:
  static ora::DateTime periodStart(int p) { return {2024, p, 1, 0, 0, 0}; }
  static ora::DateTime periodEnd(int p) { return {2024, p, ora::daysInMonth(2024, p), 0, 0, 0}; }

  void master() {
    rows_.group({kAkr, kLug, 2});
    rows_.interface({.lug = kLug, .dateRule = 1, .company = "4711", .payrollGroup = "01"});
    rows_.recordKind("DATEV", "LA");
    for (const Line& l : kLines)
      rows_.line({.lug = kLug,
                  .account = l.account,
                  .wageType = l.wageType,
                  .group = l.group,
                  .dayByDay = l.dayByDay,
                  .checkDays = l.checkDays,
                  .targetOnly = l.targetOnly,
                  .reducesSvt = l.reducesSvt,
                  .status = l.status,
                  .periodAccount = l.periodAccount});
    rows_.dayCode("U", "URL");
    rows_.dayCode("K", "KRANK");
    rows_.dayCode("HU", "URL");
    for (int p = 1; p <= kPeriods; ++p) rows_.period(kAkr, p, periodStart(p), periodEnd(p));
  }

  void employee(int e) {
    char pnr[16];
    std::snprintf(pnr, sizeof pnr, "%06d", e);
    const std::string costCentre = "KST" + std::to_string(100 + e % 40);
    const std::string costUnit = e % 3 == 0 ? std::string() : "KT" + std::to_string(e % 7);
    // Every 50th employee joins in the middle of the second period.
    const std::string entry = e % 50 == 0 ? "2024.02.15" : "2020.01.01";
    rows_.employment(pnr, kAkr, entry, "", e % 10 == 0 ? "L" + std::string(pnr) : "");
    rows_.costAssignment(pnr, costCentre, costUnit, "01", "2020.01.01", "");
    rows_.leave(pnr, "2024.01.01", double(random_.between(5, 30)), 2.0);
    for (int p = 1; p <= kPeriods; ++p) month(pnr, p, costCentre, costUnit);
  }

  void month(const std::string& pnr, int p, const std::string& kst, const std::string& ktr) {
    int32_t balance = random_.between(-600, 600);
    const bool absentBlock = random_.chance(3);
    for (auto d = periodStart(p); d.month == p; d = ora::addDays(d, 1)) {
      const std::string day = ora::canonical(d);
      const bool weekday = weekdayOf(d) < 5;
      const bool absent = absentBlock && d.day >= 8 && d.day <= 14;
      rows_.day({.pnr = pnr,
                 .day = day,
                 .target = weekday ? 480 : 0,
                 .unpaid = absent && weekday ? 480 : 0,
                 .balance1 = balance,
                 .balance2 = balance / 2});
      if (weekday && !absent) workday(pnr, day, kst, ktr, balance);
    }
    rows_.day({.pnr = pnr, .day = ora::canonical(periodStart(p)), .kind = 3, .maximum = 10000.0});
    // Like the suite, one month value per account and cost assignment.
    for (const auto& [key, total] : monthTotals_) {
      const auto& [account, costCentre, costUnit] = key;
      rows_.booking({pnr, 3, ora::canonical(periodStart(p)), costCentre, costUnit, "01", account,
                     total.first, total.second});
    }
    monthTotals_.clear();
  }

  void workday(const std::string& pnr, const std::string& day, const std::string& kst,
               const std::string& ktr, int32_t& balance) {
    const int kind = random_.between(1, 100);
    if (kind <= 4) {  // leave, sometimes half a day
      const bool half = kind <= 1;
      rows_.attendance({pnr, day, half ? "" : "U", half ? "HU" : ""});
      booking(pnr, 1, day, kst, ktr, "URL", half ? 240 : 480, half ? 5 : 10);
      return;
    }
    if (kind <= 7) {  // sick
      rows_.attendance({pnr, day, "K", ""});
      booking(pnr, 1, day, kst, ktr, "KRANK", 480, 10);
      return;
    }
    rows_.attendance({pnr, day, "", ""});
    const int32_t worked = 480 + random_.between(-30, 90);
    const int32_t overtime = worked > 480 ? worked - 480 : 0;
    const int32_t night = random_.chance(10) ? random_.between(60, 240) : 0;
    balance += worked - 480;
    booking(pnr, 1, day, kst, ktr, "NORM", 480, 10);
    booking(pnr, 1, day, kst, ktr, "ANW", worked, 10);
    booking(pnr, 1, day, kst, ktr, "GLZ", worked - 480, 0);
    booking(pnr, 1, day, kst, ktr, "UEB", overtime, 0);
    booking(pnr, 1, day, kst, ktr, "NACHT", night, 0);
    booking(pnr, 1, day, "", "", "PAUSE", 30, 0);
  }

  void booking(const std::string& pnr, int16_t kind, const std::string& day, const std::string& kst,
               const std::string& ktr, const char* account, int32_t minutes, int32_t tenths) {
    rows_.booking({pnr, kind, day, kst, ktr, "01", account, minutes, tenths});
    auto& total = monthTotals_[{account, kst, ktr}];
    total.first += minutes, total.second += tenths;
  }

  db::Session& s_;
  SuiteRows rows_;
  // Minutes and tenths of the month per account, cost centre and cost unit.
  std::map<std::tuple<std::string, std::string, std::string>, std::pair<int32_t, int32_t>>
      monthTotals_;
  GenerateOptions options_;
  Random random_;
};

}  // namespace

int generateInstallation(db::Session& session, const GenerateOptions& options) {
  try {
    Generator(session, options).run();
  } catch (const SuiteRowError& e) {
    return e.status;
  }
  return db::kOk;
}

}  // namespace lug::admin
