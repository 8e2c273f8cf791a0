#include "admin/suite_rows.h"

namespace lug::admin {
namespace {

namespace ora = db::oracle;

constexpr char kGroup[] =
    "insert into O1001AbrKreis (AkrNum,AkrLug,AkrSsl,AkrAzr,AkrRrm,AkrAdt) values "
    "(:b0,:b1,:b2,0,:b3,0)";
constexpr char kInterface[] =
    "insert into Hor171Lug (LugLug,LugLgp,LugAnz,LugDtm,LugMon,LugUnt,LugFir,LugAkr,LugPnr,LugSta) "
    "values (:b0,:b1,0,:b2,:b3,0,:b4,:b5,0,0)";
constexpr char kRecordKind[] =
    "insert into Hor170Lg1 (Lg1Num,Lg1Stz,Lg1Stt,Lg1Svt,Lg1Zes) values (:b0,:b1,0,0,0)";
constexpr char kLine[] =
    "insert into Hor171Lu1 (Lu1Num,Lu1Stz,Lu1Ztk,Lu1Lna,Lu1Lgr,Lu1Gvo,Lu1Rre,Lu1Tgw,Lu1Kst,Lu1Ktr,"
    "Lu1Krt,Lu1Tge,Lu1Sol,Lu1Svk,Lu1Flg,Lu1Lfn,Lu1Sts,Lu1Fkt,Lu1Ztr,Lu1Mog,Lu1Sta,Lu1Art,Lu1Bau) "
    "values (:b0,:b1,:b2,:b3,:b4,:b5,1,:b6,:b7,:b8,0,:b9,:b10,:b11,0,0,:b12,0,:b13,0,0,0,0)";
constexpr char kAbsenceCode[] = "update Hor171Lu1 set Lu1Fkz=:b0 where (Lu1Num=:b1 and Lu1Ztk=:b2)";
constexpr char kName[] = "insert into Hor300Pnr (PnrNum,PnrNam) values (:b0,:b1)";
constexpr char kDayCode[] = "insert into Hor131Fcd (FcdNum,FcdZkt) values (:b0,:b1)";
constexpr char kPeriod[] =
    "insert into Hor330Abr (AbrAkr,AbrNum,AbrVon,AbrBis,AbrSts) values (:b0,:b1,:b2,:b3,0)";
constexpr char kEmployment[] =
    "insert into Hor310Bsv (BsvPnr,BsvAkr,BsvGvo,BsvGbi,BsvLug,BsvSfr) values "
    "(:b0,:b1,:b2,:b3,:b4,null)";
constexpr char kCostAssignment[] =
    "insert into Hor311Zuo (ZuoPnr,ZuoKst,ZuoKtr,ZuoKrt,ZuoGvo,ZuoGbi) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5)";
constexpr char kLeave[] =
    "insert into Hor332Utg (UtgPnr,UtgDtm,UtgRtg,UtgVtg) values (:b0,:b1,:b2,:b3)";
constexpr char kSite[] = "update HORSYSTEM.Hor112Mnd  set MndSto=:b0 where MndSch=:b1";
constexpr char kDay[] =
    "insert into Hor320Tgb (TgbPnr,TgbDtm,TgbZtr,TgbSol,TgbUnb,TgbMax,Tgbsa1,TgbVt1,Tgbsa2,TgbVt2,"
    "Tgbsa3,TgbVt3,TgbVt5) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,0,0,0,0)";
constexpr char kAttendance[] =
    "insert into Hor327Tag (TagPnr,TagTag,TagVon,TagOne,TagKom,TagGeh,TagTgb,TagHtv,TagHtn) values "
    "(:b0,:b1,:b1,:b2,:b2,:b2,:b3,:b4,null)";
constexpr char kBooking[] =
    "insert into Hor331Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbStd,ZkbTge,ZkbStg,"
    "ZkbSta,ZkbDat) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,0,0,:b2)";

}  // namespace

void SuiteRows::check(int st) const {
  if (st != db::kOk) throw SuiteRowError(st);
}

void SuiteRows::group(const GroupRow& g) {
  check(s_.exec(kGroup, {g.akr, g.lug, g.clearStaging, g.recalcDepth}));
}

void SuiteRows::interface(const InterfaceDefinition& i) {
  check(s_.exec(kInterface, {i.lug, i.type, i.dateRule, i.monthOffset, i.company, i.payrollGroup}));
}

void SuiteRows::recordKind(const std::string& type, const std::string& recordKind) {
  check(s_.exec(kRecordKind, {type, recordKind}));
}

void SuiteRows::line(const LineDefinition& l) {
  check(s_.exec(kLine, {l.lug, l.recordKind, l.account, l.wageType, l.group, l.validFrom,
                        l.dayByDay, l.handCostCentre, l.handCostUnit, l.checkDays, l.targetOnly,
                        l.reducesSvt, l.status, l.periodAccount}));
}

void SuiteRows::absenceCode(const std::string& lug, const std::string& account,
                            const std::string& code) {
  check(s_.exec(kAbsenceCode, {code, lug, account}));
}

void SuiteRows::name(const std::string& pnr, const std::string& name) {
  check(s_.exec(kName, {pnr, name}));
}

void SuiteRows::dayCode(const std::string& code, const std::string& account) {
  check(s_.exec(kDayCode, {code, account}));
}

void SuiteRows::period(const std::string& akr, int32_t number, const ora::DateTime& first,
                       const ora::DateTime& last) {
  check(s_.exec(kPeriod, {akr, number, ora::canonical(first), ora::canonical(last)}));
}

void SuiteRows::employment(const std::string& pnr, const std::string& akr, const std::string& from,
                           const std::string& until, const std::string& payrollPnr) {
  check(s_.exec(kEmployment, {pnr, akr, from, until, payrollPnr}));
}

void SuiteRows::costAssignment(const std::string& pnr, const std::string& kst,
                               const std::string& ktr, const std::string& krt,
                               const std::string& from, const std::string& until) {
  check(s_.exec(kCostAssignment, {pnr, kst, ktr, krt, from, until}));
}

void SuiteRows::leave(const std::string& pnr, const std::string& day, double remaining,
                      double carried) {
  check(s_.exec(kLeave, {pnr, day, remaining, carried}));
}

void SuiteRows::site(const std::string& schema, const std::string& number) {
  check(s_.exec(kSite, {number, schema}));
}

void SuiteRows::day(const DayRecord& d) {
  check(s_.exec(kDay, {d.pnr, d.day, d.kind, d.target, d.unpaid, d.maximum, d.balance1, d.carry1,
                       d.balance2}));
}

void SuiteRows::attendance(const AttendanceRecord& a) {
  check(s_.exec(kAttendance, {a.pnr, a.day, a.present, a.wholeDay, a.firstHalf}));
}

void SuiteRows::booking(const Booking& b) {
  check(s_.exec(kBooking,
                {b.pnr, b.kind, b.day, b.kst, b.ktr, b.krt, b.account, b.minutes, b.tenths}));
}

int weekdayOf(const ora::DateTime& d) {
  const ora::DateTime monday{2024, 1, 1, 0, 0, 0};  // 1 January 2024 was a Monday
  const auto days = static_cast<int>(ora::daysBetween(d, monday));
  return ((days % 7) + 7) % 7;
}

}  // namespace lug::admin
