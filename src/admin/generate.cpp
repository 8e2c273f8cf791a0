#include "admin/generate.h"

#include <cstdio>
#include <stdexcept>

#include "db/oracle.h"

namespace lug::admin {
namespace {

namespace ora = db::oracle;

constexpr char kGroup[] =
    "insert into O1001AbrKreis (AkrNum,AkrLug,AkrSsl,AkrAzr,AkrRrm,AkrAdt) values "
    "(:b0,:b1,0,0,2,0)";
constexpr char kInterface[] =
    "insert into Hor171Lug (LugLug,LugLgp,LugAnz,LugDtm,LugMon,LugUnt,LugFir,LugAkr,LugPnr,LugSta) "
    "values (:b0,'DATEV',0,1,0,0,'4711','01',0,0)";
constexpr char kRecordKind[] =
    "insert into Hor170Lg1 (Lg1Num,Lg1Stz,Lg1Stt,Lg1Svt,Lg1Zes) values ('DATEV',:b0,0,0,0)";
constexpr char kLine[] =
    "insert into Hor171Lu1 (Lu1Num,Lu1Stz,Lu1Ztk,Lu1Lna,Lu1Lgr,Lu1Gvo,Lu1Rre,Lu1Tgw,Lu1Kst,Lu1Ktr,"
    "Lu1Krt,Lu1Tge,Lu1Sol,Lu1Svk,Lu1Flg,Lu1Lfn,Lu1Sts,Lu1Fkt,Lu1Ztr,Lu1Mog,Lu1Sta,Lu1Art,Lu1Bau) "
    "values (:b0,'LA',:b1,:b2,:b3,'2020.01.01',1,:b4,1,1,0,:b5,:b6,:b7,0,0,:b8,0,:b9,0,0,0,0)";
constexpr char kPeriod[] =
    "insert into Hor330Abr (AbrAkr,AbrNum,AbrVon,AbrBis,AbrSts) values (:b0,:b1,:b2,:b3,0)";
constexpr char kEmployment[] =
    "insert into Hor310Bsv (BsvPnr,BsvAkr,BsvGvo,BsvGbi,BsvLug,BsvSfr) values "
    "(:b0,:b1,:b2,null,:b3,null)";
constexpr char kCostAssignment[] =
    "insert into Hor311Zuo (ZuoPnr,ZuoKst,ZuoKtr,ZuoKrt,ZuoGvo,ZuoGbi) values "
    "(:b0,:b1,:b2,'01','2020.01.01',null)";
constexpr char kLeave[] =
    "insert into Hor332Utg (UtgPnr,UtgDtm,UtgRtg,UtgVtg) values (:b0,:b1,:b2,:b3)";
constexpr char kDay[] =
    "insert into Hor320Tgb (TgbPnr,TgbDtm,TgbZtr,TgbSol,TgbUnb,TgbMax,Tgbsa1,TgbVt1,Tgbsa2,TgbVt2,"
    "Tgbsa3,TgbVt3,TgbVt5) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,0,:b7,0,0,0,0)";
constexpr char kAttendance[] =
    "insert into Hor327Tag (TagPnr,TagTag,TagVon,TagOne,TagKom,TagGeh,TagTgb,TagHtv,TagHtn) values "
    "(:b0,:b1,:b1,1,1,1,:b2,:b3,null)";
constexpr char kBooking[] =
    "insert into Hor331Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbStd,ZkbTge,ZkbStg,"
    "ZkbSta,ZkbDat) values (:b0,:b1,:b2,:b3,:b4,'01',:b5,:b6,:b7,0,0,:b2)";
constexpr char kDayCode[] = "insert into Hor131Fcd (FcdNum,FcdZkt) values (:b0,:b1)";

constexpr char kAkr[] = "G1";
constexpr char kLug[] = "L1";
constexpr int kPeriods = 4;

// A small deterministic generator, the same on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
  uint32_t next() {
    state_ ^= state_ << 13, state_ ^= state_ >> 7, state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 11);
  }
  int between(int low, int high) {
    return low + static_cast<int>(next() % uint32_t(high - low + 1));
  }
  bool chance(int percent) { return between(1, 100) <= percent; }

 private:
  uint64_t state_;
};

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
  Generator(db::Session& s, const GenerateOptions& o) : s_(s), options_(o), random_(o.seed) {}

  void run() {
    master();
    for (int e = 1; e <= options_.employees; ++e) employee(e);
    check(s_.commit());
  }

 private:
  void check(int st) {
    if (st != db::kOk) throw std::runtime_error(std::to_string(st));
  }

  static ora::DateTime periodStart(int p) { return {2024, p, 1, 0, 0, 0}; }
  static ora::DateTime periodEnd(int p) { return {2024, p, ora::daysInMonth(2024, p), 0, 0, 0}; }

  void master() {
    check(s_.exec(kGroup, {kAkr, kLug}));
    check(s_.exec(kInterface, {kLug}));
    check(s_.exec(kRecordKind, {"LA"}));
    for (const Line& l : kLines)
      check(s_.exec(kLine, {kLug, l.account, l.wageType, l.group, l.dayByDay, l.checkDays,
                            l.targetOnly, l.reducesSvt, l.status, l.periodAccount}));
    check(s_.exec(kDayCode, {"U", "URL"}));
    check(s_.exec(kDayCode, {"K", "KRANK"}));
    check(s_.exec(kDayCode, {"HU", "URL"}));
    for (int p = 1; p <= kPeriods; ++p)
      check(s_.exec(kPeriod, {kAkr, int32_t{p}, ora::canonical(periodStart(p)),
                              ora::canonical(periodEnd(p))}));
  }

  void employee(int e) {
    char pnr[16];
    std::snprintf(pnr, sizeof pnr, "%06d", e);
    const std::string costCentre = "KST" + std::to_string(100 + e % 40);
    const std::string costUnit = e % 3 == 0 ? std::string() : "KT" + std::to_string(e % 7);
    // Every 50th employee joins in the middle of the second period.
    const std::string entry = e % 50 == 0 ? "2024.02.15" : "2020.01.01";
    check(s_.exec(kEmployment, {pnr, kAkr, entry, e % 10 == 0 ? "L" + std::string(pnr) : ""}));
    check(s_.exec(kCostAssignment, {pnr, costCentre, costUnit}));
    check(s_.exec(kLeave, {pnr, "2024.01.01", double(random_.between(5, 30)), 2.0}));
    for (int p = 1; p <= kPeriods; ++p) month(pnr, p, costCentre, costUnit);
  }

  void month(const std::string& pnr, int p, const std::string& kst, const std::string& ktr) {
    int32_t sums[4] = {0, 0, 0, 0};
    int32_t balance = random_.between(-600, 600);
    const bool absentBlock = random_.chance(3);
    for (auto d = periodStart(p); d.month == p; d = ora::addDays(d, 1)) {
      const std::string day = ora::canonical(d);
      const bool weekday = weekdayOf(d) < 5;
      const bool absent = absentBlock && d.day >= 8 && d.day <= 14;
      check(s_.exec(kDay, {pnr, day, int16_t{1}, weekday ? 480 : 0, absent && weekday ? 480 : 0,
                           0.0, balance, balance / 2}));
      if (weekday && !absent) workday(pnr, day, kst, ktr, sums, balance);
    }
    check(s_.exec(kDay, {pnr, ora::canonical(periodStart(p)), int16_t{3}, 0, 0, 10000.0, 0, 0}));
    const char* accounts[] = {"NORM", "UEB", "NACHT", "SONN"};
    for (int a = 0; a < 4; ++a)
      if (sums[a] != 0)
        booking(pnr, 3, ora::canonical(periodStart(p)), kst, ktr, accounts[a], sums[a], 0);
  }

  void workday(const std::string& pnr, const std::string& day, const std::string& kst,
               const std::string& ktr, int32_t sums[4], int32_t& balance) {
    const int kind = random_.between(1, 100);
    if (kind <= 4) {  // leave, sometimes half a day
      const bool half = kind <= 1;
      check(s_.exec(kAttendance, {pnr, day, half ? "" : "U", half ? "HU" : ""}));
      booking(pnr, 1, day, kst, ktr, "URL", half ? 240 : 480, half ? 5 : 10);
      return;
    }
    if (kind <= 7) {  // sick
      check(s_.exec(kAttendance, {pnr, day, "K", ""}));
      booking(pnr, 1, day, kst, ktr, "KRANK", 480, 10);
      return;
    }
    check(s_.exec(kAttendance, {pnr, day, "", ""}));
    const int32_t worked = 480 + random_.between(-30, 90);
    const int32_t overtime = worked > 480 ? worked - 480 : 0;
    const int32_t night = random_.chance(10) ? random_.between(60, 240) : 0;
    balance += worked - 480;
    sums[0] += 480, sums[1] += overtime, sums[2] += night;
    booking(pnr, 1, day, kst, ktr, "NORM", 480, 10);
    booking(pnr, 1, day, kst, ktr, "ANW", worked, 10);
    booking(pnr, 1, day, kst, ktr, "GLZ", worked - 480, 0);
    booking(pnr, 1, day, kst, ktr, "UEB", overtime, 0);
    booking(pnr, 1, day, kst, ktr, "NACHT", night, 0);
    booking(pnr, 1, day, "", "", "PAUSE", 30, 0);
  }

  void booking(const std::string& pnr, int16_t kind, const std::string& day, const std::string& kst,
               const std::string& ktr, const char* account, int32_t minutes, int32_t tenths) {
    check(s_.exec(kBooking, {pnr, kind, day, kst, ktr, account, minutes, tenths}));
  }

  // 0 = Monday ... 6 = Sunday.
  static int weekdayOf(const ora::DateTime& d) {
    const ora::DateTime monday{2024, 1, 1, 0, 0, 0};  // 1 January 2024 was a Monday
    const auto days = static_cast<int>(ora::daysBetween(d, monday));
    return ((days % 7) + 7) % 7;
  }

  db::Session& s_;
  GenerateOptions options_;
  Random random_;
};

}  // namespace

int generateInstallation(db::Session& session, const GenerateOptions& options) {
  try {
    Generator(session, options).run();
  } catch (const std::runtime_error& e) {
    return std::stoi(e.what());
  }
  return db::kOk;
}

}  // namespace lug::admin
