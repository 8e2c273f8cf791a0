#include "admin/demo_company.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>
#include <tuple>

#include "admin/suite_rows.h"

namespace lug::admin::demo {
namespace {

namespace ora = db::oracle;

constexpr char kFirstDay[] = "2025.01.01";
constexpr char kLastDay[] = "2025.03.31";
constexpr const char* kHolidays[] = {"2025.01.01", "2025.01.06"};  // Neujahr, Dreikönig

enum class Model { Shift, Day, Flexi };
enum class Absence { None, Leave, HalfLeave, Sick, Unpaid };

// Where an employee works: group, cost centre and working-time model.
struct Post {
  const char* akr;
  const char* costCentre;
  Model model;
  int32_t target;  // minutes on a working day
  int workdays;    // 5: Monday to Friday, 4: Monday to Thursday
};

struct Employee {
  const char* pnr;
  const char* name;
  const char* hired;
  Post post;
  const char* changeDay = nullptr;  // first day of the second post
  Post changedPost{};
};

constexpr Post kShift4100{"PROD", "4100", Model::Shift, 450, 5};
constexpr Post kShift4300{"PROD", "4300", Model::Shift, 450, 5};
constexpr Post kDay4200{"PROD", "4200", Model::Day, 450, 5};
constexpr Post kDay4400{"PROD", "4400", Model::Day, 450, 5};
constexpr Post kFlexi(const char* costCentre, int32_t target = 468, int workdays = 5) {
  return {"VERW", costCentre, Model::Flexi, target, workdays};
}

const Employee kStaff[] = {
    {"1001", "Anton Brandstetter", "1998.09.01", kShift4100},
    {"1002", "Birgit Kohlhaas", "2004.03.01", kShift4100},
    {"1003", "Dieter Wendling", "2011.08.15", kShift4100},
    {"1004", "Elke Marquardt", "2019.01.02", kShift4100},
    {"1005", "Frank Obermaier", "2007.04.01", kShift4300},
    {"1006", "Gisela Pfannkuch", "2015.10.01", kShift4300},
    {"1007", "Holger Riedmüller", "2021.06.01", kShift4300},
    {"1008", "Ingrid Schellhorn", "2009.02.01", kDay4200},
    {"1009", "Jürgen Tessmer", "2001.05.02", kDay4200},
    {"1010", "Karin Vogelsang", "2013.09.01", kDay4200},
    {"1011", "Lothar Wiesinger", "2018.03.01", kDay4200},
    {"1012", "Monika Zeilhofer", "2022.11.01", kDay4200},
    {"1013", "Norbert Achenbach", "1996.01.02", kDay4400},
    {"1014", "Olga Bertram", "2016.07.01", kDay4400},
    {"1015", "Peter Dornbusch", "2023.04.01", kDay4400},
    {"1016", "Ramona Eichinger", "2020.02.01", {"PROD", "4200", Model::Day, 300, 5}},
    {"1017", "Stefan Falkenried", "2025.03.17", kDay4200},
    {"2001", "Ulrike Gersdorf", "2003.01.02", kFlexi("1000")},
    {"2002", "Volker Hainbach", "2010.10.01", kFlexi("1000")},
    {"2003", "Waltraud Issel", "1999.04.01", kFlexi("1100")},
    {"2004", "Xaver Jungblut", "2017.08.01", kFlexi("1100")},
    {"2005", "Yvonne Kesselring", "2019.09.01", kFlexi("1100", 240)},
    {"2006", "Bernd Lautenschläger", "2008.06.01", kFlexi("1200")},
    {"2007", "Claudia Mertesacker", "2014.02.01", kFlexi("1200")},
    {"2008", "Detlef Nussbaumer", "2012.05.01", kFlexi("1200")},
    {"2009", "Erika Osterkamp", "2006.11.01", kFlexi("1300", 360, 4)},
    {"2010", "Friedrich Pöllmann", "2020.01.02", kFlexi("1300")},
    {"2011", "Hanna Quellmalz", "2022.03.01", kFlexi("1400")},
    {"2012", "Matthias Rübsamen", "2016.04.01", kFlexi("1300"), "2025.03.01", kDay4400},
    {"2013", "Sabine Trautwein", "2011.01.03", kFlexi("1400")},
};

struct AbsenceSpan {
  const char* pnr;
  const char* from;
  const char* to;
  Absence kind;
};

const AbsenceSpan kAbsences[] = {
    {"1002", "2025.02.17", "2025.02.21", Absence::Leave},
    {"1003", "2025.03.10", "2025.03.18", Absence::Sick},  // two spans around a weekend
    {"1005", "2025.01.20", "2025.01.22", Absence::Sick},
    {"1008", "2025.03.03", "2025.03.10", Absence::Unpaid},  // six unpaid target days
    {"1010", "2025.03.21", "2025.03.21", Absence::HalfLeave},
    {"1010", "2025.03.24", "2025.03.28", Absence::Leave},
    {"1012", "2025.02.03", "2025.02.07", Absence::Sick},
    {"1014", "2025.01.02", "2025.01.03", Absence::Leave},
    {"2001", "2025.02.14", "2025.02.14", Absence::HalfLeave},
    {"2001", "2025.03.14", "2025.03.14", Absence::HalfLeave},
    {"2003", "2025.03.10", "2025.03.14", Absence::Leave},
    {"2006", "2025.03.04", "2025.03.05", Absence::Sick},
    {"2006", "2025.03.27", "2025.03.27", Absence::HalfLeave},
    {"2008", "2025.02.24", "2025.02.28", Absence::Leave},
    {"2012", "2025.01.02", "2025.01.03", Absence::Leave},
};

// Saturday shifts of a cost centre, all overtime.
struct SpecialShift {
  const char* day;
  const char* costCentre;
  int32_t minutes;
};

const SpecialShift kSpecialShifts[] = {{"2025.02.08", "4300", 360}, {"2025.03.15", "4200", 300}};

constexpr int32_t kNightMinutes = 420;  // 23:00 to 06:00 of a night shift
constexpr double kLeaveEntitlement = 30;

const char* costType(const Post& post) {
  return std::string_view(post.akr) == "PROD" ? "6200" : "6300";
}

const Post& postOn(const Employee& e, const std::string& day) {
  return e.changeDay && day >= e.changeDay ? e.changedPost : e.post;
}

bool isHoliday(const std::string& day) {
  for (const char* h : kHolidays)
    if (day == h) return true;
  return false;
}

// Weeks since the Monday of the first week of the year.
int weekOf(const ora::DateTime& d) {
  return static_cast<int>(ora::daysBetween(d, {2024, 12, 30, 0, 0, 0})) / 7;
}

Absence plannedAbsence(const std::string& pnr, const std::string& day) {
  for (const AbsenceSpan& a : kAbsences)
    if (pnr == a.pnr && day >= a.from && day <= a.to) return a.kind;
  return Absence::None;
}

// The month rows of the bookings: one per account and cost assignment.
using MonthKey = std::tuple<std::string, std::string, std::string, std::string>;
struct MonthSum {
  int32_t minutes = 0, tenths = 0;
};

class EmployeeWriter {
 public:
  EmployeeWriter(SuiteRows& rows, const Employee& e)
      : rows_(rows), e_(e), random_(std::strtoull(e.pnr, nullptr, 10)) {
    const int32_t carry = 15 * random_.between(-20, 60);
    carry_ = e.post.model == Model::Flexi ? carry : 0;
    const double carried = random_.between(0, 12) * 0.5;
    // A full year's leave for a five-day week, pro rata for who joins this year.
    const bool joinsThisYear = std::string_view(e.hired) >= kFirstDay;
    const int firstMonth = joinsThisYear ? std::atoi(e.hired + 5) : 1;
    entitlement_ = kLeaveEntitlement * e.post.workdays / 5 * (13 - firstMonth) / 12;
    carried_ = joinsThisYear ? 0 : carried;
  }

  void write() {
    masterData();
    const ora::DateTime first = ora::parseDate(std::max<std::string>(e_.hired, kFirstDay));
    for (ora::DateTime d = first; ora::canonical(d) <= kLastDay; d = ora::addDays(d, 1)) {
      if (d == first || d.day == 1) monthRecord(d);
      day(d);
      if (d.day == ora::daysInMonth(d.year, d.month)) monthEnd(d);
    }
  }

 private:
  void masterData() {
    if (!e_.changeDay) {
      rows_.employment(e_.pnr, e_.post.akr, e_.hired, "", "");
      rows_.costAssignment(e_.pnr, e_.post.costCentre, "", costType(e_.post), e_.hired, "");
      return;
    }
    const std::string lastDay = ora::canonical(ora::addDays(ora::parseDate(e_.changeDay), -1));
    rows_.employment(e_.pnr, e_.post.akr, e_.hired, lastDay, "");
    rows_.employment(e_.pnr, e_.changedPost.akr, e_.changeDay, "", "");
    rows_.costAssignment(e_.pnr, e_.post.costCentre, "", costType(e_.post), e_.hired, lastDay);
    rows_.costAssignment(e_.pnr, e_.changedPost.costCentre, "", costType(e_.changedPost),
                         e_.changeDay, "");
  }

  void monthRecord(const ora::DateTime& d) {
    const Post& post = postOn(e_, ora::canonical(d));
    rows_.day({.pnr = e_.pnr,
               .day = ora::canonical({d.year, d.month, 1, 0, 0, 0}),
               .kind = 3,
               .maximum = post.target * 22.0});
  }

  int32_t targetOf(const Post& post, const ora::DateTime& d, const std::string& day) const {
    return weekdayOf(d) < post.workdays && !isHoliday(day) ? post.target : 0;
  }

  Absence absenceOn(const std::string& day, int32_t target) {
    if (target == 0) return Absence::None;
    const Absence planned = plannedAbsence(e_.pnr, day);
    if (planned != Absence::None) return planned;
    return random_.chance(2) ? Absence::Leave : Absence::None;  // a single day off
  }

  void day(const ora::DateTime& d) {
    const std::string text = ora::canonical(d);
    const Post& post = postOn(e_, text);
    const int32_t target = targetOf(post, d, text);
    const Absence absence = absenceOn(text, target);
    if (target > 0)
      bookTargetDay(post, d, text, target, absence);
    else if (const int32_t minutes = specialShift(post, text); minutes > 0)
      bookWork(post, d, text, 0, minutes);
    rows_.day({.pnr = e_.pnr,
               .day = text,
               .target = target,
               .unpaid = absence == Absence::Unpaid ? target : 0,
               .balance1 = balance_,
               .carry1 = carry_});
  }

  static int32_t specialShift(const Post& post, const std::string& day) {
    for (const SpecialShift& s : kSpecialShifts)
      if (day == s.day && std::string_view(post.costCentre) == s.costCentre) return s.minutes;
    return 0;
  }

  void bookTargetDay(const Post& post, const ora::DateTime& d, const std::string& day,
                     int32_t target, Absence absence) {
    switch (absence) {
      case Absence::None:
        return bookWork(post, d, day, target, target + extraMinutes(post, d));
      case Absence::Leave:
        return bookAbsence(post, day, "U", "URL", target);
      case Absence::Sick:
        return bookAbsence(post, day, "K", "KRANK", target);
      case Absence::Unpaid:
        return rows_.attendance({e_.pnr, day, "UU", "", 0});
      case Absence::HalfLeave:
        rows_.attendance({e_.pnr, day, "", "U", 1});
        book(post, day, "URL", "", target / 2, 5);
        book(post, day, "AZ", orderOf(post, d), target - target / 2, 5);
        leaveTaken_ += 0.5;
        return;
    }
  }

  // Minutes worked beyond the target: flexitime varies by the quarter hour,
  // assembly works late on Thursdays of even weeks, maintenance when called.
  int32_t extraMinutes(const Post& post, const ora::DateTime& d) {
    if (post.model == Model::Flexi) return 15 * random_.between(-4, 6);
    if (std::string_view(post.costCentre) == "4200" && weekdayOf(d) == 3 && weekOf(d) % 2 == 0)
      return 15 * random_.between(4, 6);
    if (std::string_view(post.costCentre) == "4400" && random_.chance(15))
      return 30 * random_.between(1, 4);
    return 0;
  }

  // Flexitime goes to the balance; elsewhere what exceeds the target is
  // overtime, a Saturday shift all of it. Shift workers on nights get the
  // night hours of the day.
  void bookWork(const Post& post, const ora::DateTime& d, const std::string& day, int32_t target,
                int32_t worked) {
    const bool flexi = post.model == Model::Flexi;
    if (flexi) balance_ += worked - target;
    rows_.attendance({e_.pnr, day, "", "", 1});
    const std::string order = orderOf(post, d);
    book(post, day, "AZ", order, worked, 10);
    if (!flexi && worked > target) book(post, day, "MEHR", order, worked - target, 0);
    if (post.model == Model::Shift && target > 0 && weekOf(d) % 3 == shiftOffset())
      book(post, day, "NACHT", "", kNightMinutes, 0);
  }

  void bookAbsence(const Post& post, const std::string& day, const char* code, const char* account,
                   int32_t target) {
    rows_.attendance({e_.pnr, day, code, "", 0});
    book(post, day, account, "", target, 10);
    if (std::string_view(account) == "URL") leaveTaken_ += 1;
  }

  // Assembly books its hours to the order it works on, a new one every fortnight.
  static std::string orderOf(const Post& post, const ora::DateTime& d) {
    if (std::string_view(post.costCentre) != "4200") return {};
    return "A250" + std::to_string(1 + weekOf(d) / 2 % 6);
  }

  // Night shift in every third week, staggered across the staff.
  int shiftOffset() const { return std::atoi(e_.pnr) % 3; }

  void book(const Post& post, const std::string& day, const char* account, const std::string& ktr,
            int32_t minutes, int32_t tenths) {
    rows_.booking({e_.pnr, 1, day, post.costCentre, ktr, costType(post), account, minutes, tenths});
    MonthSum& sum = month_[{account, post.costCentre, ktr, costType(post)}];
    sum.minutes += minutes, sum.tenths += tenths;
  }

  // Month values of the bookings, the leave balance, the flexitime carry-over.
  void monthEnd(const ora::DateTime& d) {
    const std::string day = ora::canonical(d);
    for (const auto& [key, sum] : month_) {
      const auto& [account, kst, ktr, krt] = key;
      rows_.booking({e_.pnr, 3, day, kst, ktr, krt, account, sum.minutes, sum.tenths});
    }
    month_.clear();
    rows_.leave(e_.pnr, day, entitlement_ + carried_ - leaveTaken_, carried_);
    carry_ += balance_;
    balance_ = 0;
  }

  SuiteRows& rows_;
  const Employee& e_;
  Random random_;
  std::map<MonthKey, MonthSum> month_;
  int32_t balance_ = 0;     // flexitime of the month so far
  int32_t carry_ = 0;       // flexitime carried into the month
  double entitlement_ = 0;  // leave days of this year
  double carried_ = 0;      // leave days carried from last year
  double leaveTaken_ = 0;
};

struct Line {
  const char* account;
  const char* wageType;
  const char* group;
  int16_t dayByDay, handCosts, checkDays, status, periodAccount;
  Role role;
  const char* absenceCode;  // the day code of an absence
};

// Month values (hours, overtime), night work day by day, leave as check
// days, sickness as a period account, the leave and flexitime balances on
// their special keys and the wage type of interruptions.
const Line kLines[] = {
    {"AZ", "100", "", 0, 1, 0, 102, 0, Role::Hours, ""},
    {"MEHR", "200", "", 0, 1, 0, 0, 0, Role::Hours, ""},
    {"NACHT", "210", "ZUS", 1, 1, 0, 0, 0, Role::Hours, ""},
    {"URL", "300", "", 0, 0, 1, 105, 0, Role::Leave, "U"},
    {"KRANK", "400", "", 0, 0, 0, 106, 1, Role::Sickness, "K"},
    {"RUL", "910", "RUL", 0, 0, 0, 0, 0, Role::Hours, ""},
    {"GLZ", "920", "GLT", 0, 0, 0, 0, 0, Role::Hours, ""},
    {"UNB", "950", "", 0, 0, 0, 112, 0, Role::Hours, ""},
};

struct Group {
  const char* akr;
  const char* lug;
  const char* payrollGroup;
  int32_t firstPeriod;
};

const Group kGroups[] = {{"PROD", "DAT1", "1", 101}, {"VERW", "DAT2", "2", 201}};

constexpr const char* kMonths[] = {"Januar 2025", "Februar 2025", "März 2025"};
constexpr const char* kHandOvers[] = {"2025.02.03 07:30:00", "2025.03.03 07:30:00",
                                      "2025.04.03 07:30:00"};

// The group of a line: its own, or the absence's day code for exporters that
// read the kind of an absence there.
const char* groupOf(const Line& l, const PayrollSystem& payroll) {
  return payroll.codes(l.role) && payroll.absenceCodes == AbsenceCodes::InGroup ? l.absenceCode
                                                                                : l.group;
}

// Leave as spans: a period account like sickness instead of check days.
Line spansFor(const Line& l, const PayrollSystem& payroll) {
  if (l.role != Role::Leave || !payroll.leaveSpans) return l;
  Line spans = l;
  spans.checkDays = 0, spans.periodAccount = 1;
  return spans;
}

void interfaceLine(SuiteRows& rows, const char* lug, const Line& l, const char* kind,
                   const PayrollSystem& payroll) {
  rows.line({.lug = lug,
             .recordKind = kind,
             .account = l.account,
             .wageType = l.wageType,
             .group = groupOf(l, payroll),
             .validFrom = "2024.01.01",
             .dayByDay = l.dayByDay,
             .handCostCentre = l.handCosts,
             .handCostUnit = std::string_view(l.account) == "AZ" ? int16_t{1} : int16_t{0},
             .checkDays = l.checkDays,
             .targetOnly = l.checkDays,
             .status = l.status,
             .periodAccount = l.periodAccount});
}

void interfaceLines(SuiteRows& rows, const char* lug, const PayrollSystem& payroll) {
  for (const Line& line : kLines) {
    const Line l = spansFor(line, payroll);
    interfaceLine(rows, lug, l, payroll.kindOf(l.role), payroll);
    if (payroll.codes(l.role) && payroll.absenceCodes == AbsenceCodes::InAbsenceCode)
      rows.absenceCode(lug, l.account, l.absenceCode);
    if (l.role == Role::Leave && payroll.leaveDaysKind)
      interfaceLine(rows, lug, line, payroll.leaveDaysKind, payroll);
  }
}

void masterData(SuiteRows& rows, const PayrollSystem& payroll) {
  rows.site(kSchema, "10472");
  for (const std::string& kind : payroll.kinds()) rows.recordKind(payroll.name, kind);
  rows.dayCode("U", "URL");
  rows.dayCode("K", "KRANK");
  rows.dayCode("UU", "UNB");
  for (const Group& g : kGroups) {
    rows.group({.akr = g.akr,
                .lug = g.lug,
                .recalcDepth = 1,
                .clearStaging = payroll.clearsStaging() ? int16_t{1} : int16_t{0}});
    rows.interface({.lug = g.lug,
                    .type = payroll.name,
                    .company = payroll.company,
                    .payrollGroup = g.payrollGroup});
    interfaceLines(rows, g.lug, payroll);
    for (int m = 1; m <= 3; ++m)
      rows.period(g.akr, g.firstPeriod + m - 1, {2025, m, 1, 0, 0, 0},
                  {2025, m, ora::daysInMonth(2025, m), 0, 0, 0});
  }
}

// "Anton Brandstetter" as payroll files it: "Brandstetter, Anton".
std::string payrollName(std::string_view name) {
  const size_t blank = name.rfind(' ');
  return std::string(name.substr(blank + 1)) + ", " + std::string(name.substr(0, blank));
}

const char* modelText(const Post& p) {
  switch (p.model) {
    case Model::Shift:
      return "Wechselschicht";
    case Model::Day:
      return "Normalschicht";
    case Model::Flexi:
      return "Gleitzeit";
  }
  return "";
}

}  // namespace

const std::vector<Period>& periods() {
  static const std::vector<Period> list = [] {
    std::vector<Period> p;
    for (int m = 0; m < 3; ++m)
      for (const Group& g : kGroups)
        p.push_back({g.akr, g.firstPeriod + m, kMonths[m], kHandOvers[m], m < 2});
    return p;
  }();
  return list;
}

void fillCompany(db::Session& session, const PayrollSystem& payroll) {
  SuiteRows rows(session);
  masterData(rows, payroll);
  for (const Employee& e : kStaff) {
    rows.name(e.pnr, payrollName(e.name));
    EmployeeWriter(rows, e).write();
  }
  if (int st = session.commit(); st != db::kOk) throw SuiteRowError(st);
}

std::string staffList() {
  std::string text =
      "Pnr   Name                    Akr   Kst   Modell          Min/Tag  Eintritt\n";
  for (const Employee& e : kStaff) {
    char line[160];
    std::snprintf(line, sizeof line, "%-5s %-*s %-5s %-5s %-15s %7d  %s", e.pnr,
                  static_cast<int>(23 + std::string_view(e.name).size() - ora::charLength(e.name)),
                  e.name, e.post.akr, e.post.costCentre, modelText(e.post),
                  static_cast<int>(e.post.target), e.hired);
    text += line;
    if (e.changeDay)
      text += std::string("  ab ") + e.changeDay + ": " + e.changedPost.akr + " " +
              e.changedPost.costCentre;
    text += "\n";
  }
  return text;
}

}  // namespace lug::admin::demo
