#pragma once
// Rows of the time-management suite's tables as the admin tool's generated
// installations write them: accounting groups, periods, interfaces,
// employees, day programs, attendance records and time-account bookings.
// Every writer throws SuiteRowError with the status of a failed insert.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "db/oracle.h"
#include "db/session.h"

namespace lug::admin {

struct SuiteRowError : std::runtime_error {
  int status;
  explicit SuiteRowError(int st) : std::runtime_error(std::to_string(st)), status(st) {}
};

// The accounting group's row of O1001AbrKreis.
struct GroupRow {
  std::string akr, lug;
  int16_t recalcDepth = 0;   // AkrRrm
  int16_t clearStaging = 0;  // AkrSsl: 1 empties the staging tables and starts a fresh log
};

// The payroll interface Hor171Lug.
struct InterfaceDefinition {
  std::string lug, type = "DATEV";
  int16_t dateRule = 0;     // LugDtm
  int16_t monthOffset = 0;  // LugMon
  std::string company, payrollGroup;
};

// An interface line Hor171Lu1, valid from `validFrom` without end.
struct LineDefinition {
  std::string lug, recordKind = "LA", account, wageType, group, validFrom = "2020.01.01";
  int16_t dayByDay = 0, handCostCentre = 1, handCostUnit = 1, checkDays = 0, targetOnly = 0,
          reducesSvt = 0, status = 0, periodAccount = 0;
};

// A day record (TgbZtr 1) or month record (TgbZtr 3) of Hor320Tgb.
struct DayRecord {
  std::string pnr, day;
  int16_t kind = 1;
  int32_t target = 0, unpaid = 0;
  double maximum = 0;
  int32_t balance1 = 0, carry1 = 0, balance2 = 0;
};

// An attendance record Hor327Tag with its day codes.
struct AttendanceRecord {
  std::string pnr, day, wholeDay, firstHalf;
  int16_t present = 1;  // TagOne, TagKom, TagGeh
};

// A booking of Hor331Zkb: a day value (kind 1) or a month value (kind 3).
struct Booking {
  std::string pnr;
  int16_t kind = 1;
  std::string day, kst, ktr, krt, account;
  int32_t minutes = 0, tenths = 0;
};

class SuiteRows {
 public:
  explicit SuiteRows(db::Session& session) : s_(session) {}

  void group(const GroupRow& g);
  void interface(const InterfaceDefinition& i);
  void recordKind(const std::string& type, const std::string& recordKind);
  void line(const LineDefinition& l);
  // The absence code (Lu1Fkz) of the lines of an account.
  void absenceCode(const std::string& lug, const std::string& account, const std::string& code);
  // The employee's name as payroll knows it (Hor300Pnr).
  void name(const std::string& pnr, const std::string& name);
  void dayCode(const std::string& code, const std::string& account);
  void period(const std::string& akr, int32_t number, const db::oracle::DateTime& first,
              const db::oracle::DateTime& last);
  // An employment; an empty `until` is open-ended.
  void employment(const std::string& pnr, const std::string& akr, const std::string& from,
                  const std::string& until, const std::string& payrollPnr);
  void costAssignment(const std::string& pnr, const std::string& kst, const std::string& ktr,
                      const std::string& krt, const std::string& from, const std::string& until);
  void leave(const std::string& pnr, const std::string& day, double remaining, double carried);
  // The site number of a schema that `lug-admin init` registered.
  void site(const std::string& schema, const std::string& number);
  void day(const DayRecord& d);
  void attendance(const AttendanceRecord& a);
  void booking(const Booking& b);

 private:
  void check(int st) const;
  db::Session& s_;
};

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

// 0 = Monday ... 6 = Sunday.
int weekdayOf(const db::oracle::DateTime& d);

}  // namespace lug::admin
