#pragma once
// The run context: what the run driver fixes at the start of a run and every
// later phase reads (accounting group, period, kind of run, interface row,
// export directory ...), together with the run's database session and log.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/run_log.h"
#include "db/session.h"

namespace lug {

namespace calc {
class Calendar;
class DaysAhead;
class EmployeeDays;
class InterfaceLines;
}  // namespace calc

// The accounting group's payroll-interface row (Hor171Lug).
struct InterfaceRow {
  std::string lug;  // LugLug: interface key
  std::string lgp;  // LugLgp: payroll-system type, selects the exporter
  int16_t anz = 0;
  int16_t dtm = 0;  // 2: records carry the period's last day as booking date
  int16_t mon = 0;
  int16_t unt = 0;
  std::string fir;
  std::string akr;
  int16_t pnr = 0;  // != 0: only employees with a payroll personnel number
  int16_t sta = 0;

  // Whether the payroll-system type begins with `prefix`.
  bool typeIs(std::string_view prefix) const { return lgp.rfind(prefix, 0) == 0; }
};

class RunContext {
 public:
  RunContext(db::Session& session, base::RunLog& log) : db(session), runLog(log) {}

  db::Session& db;
  base::RunLog& runLog;

  std::string akr;     // accounting group, at most 5 characters
  int32_t abrnr = 0;   // accounting period
  std::string schema;  // upper case; also the export subdirectory
  std::string service;
  int32_t interim = 0;     // 1: interim run ("Zwischenabrechnung")
  int16_t lfn = 0;         // run number: 0 final, 1..999 interim, 2 partial TOPAS run
  int32_t highestLfn = 0;  // highest run number below 1000 stored before this run
  int16_t topas = 0;       // interface type begins with "TOPAS"
  std::string pnrFilter;   // one personnel number, or empty for all
  std::string abrVon, abrBis;
  std::string site;    // installation number, empty when unknown
  int16_t akrSsl = 0;  // 1: "Schnittstelle leeren"
  int16_t akrAzr = 0;
  InterfaceRow lug;
  std::string startTime;  // "dd.mm.yyyy hh24:mi:ss"; also the run key
  std::array<int32_t, 12> recalcPeriods{};
  int recalcCount = 0;
  std::string exportDir;
  // A check run: the transfer files go only into exportDir (the former
  // transfer directory is left alone) and nothing stays in the database.
  bool checkRun = false;
  int status = 0;           // status of the last statement
  int rejectedRecords = 0;  // records a field check of the exporter left out
  // Reference data read once per run and served from memory: the interface
  // lines (calc/interface_lines.h) and the calendar (calc/calendar.h), read
  // at their first use.
  std::shared_ptr<calc::InterfaceLines> interfaceLines;
  std::shared_ptr<calc::Calendar> calendar;
  // The day rows of the employee being computed, while the calculation
  // keeps them (calc/employee_days.h).
  std::shared_ptr<calc::EmployeeDays> employeeDays;
  bool keepEmployeeDays = false;
  // The personnel numbers the employee walk reaches next, the current one
  // first, and the day rows read for several of them at once while the
  // calculation keeps day rows (calc/employee_days.h).
  std::vector<std::string> walkAhead;
  std::shared_ptr<calc::DaysAhead> daysAhead;

  // One line in the run log (a printf format and its values; control
  // characters in text values become "?").
  void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Logs a failed statement's line; the fatal status -9999 then ends the run
  // through the abort routine with code 60.
  void fail(int st, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // For statements whose step has no message of its own: a fatal status is
  // logged with the statement that met it ("Fehler Lesen Hor171Lu1: -9999")
  // and then ends the run through the abort routine with code 60.
  void abortIfFatal(int st);
  // Sets the accounting group's run status AkrAdt (98 at the normal end).
  int setRunStatus(int16_t code);
  // The abort routine: records the code as the group's run status, logs it,
  // commits the work done so far and ends the process with exit status 1.
  [[noreturn]] void abort(int16_t code);

  // The run key of the work tables: the start time.
  const std::string& runKey() const { return startTime; }
};

}  // namespace lug
