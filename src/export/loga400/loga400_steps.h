#pragma once
// The steps of the LOGA400 hand-over, shared by its two source files: the
// wage-type and counter tables (loga400.cpp) and the absence calendar with
// its carried and corrected spans (loga400_absences.cpp).
#include <cstdint>
#include <map>
#include <string>

#include "base/run_context.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/loga400/day_calendar.h"

namespace lug::exporters::loga400 {

// Where a record lands in the staging tables: its staging month (yyyymm) and
// day, and the staging personnel number.
struct Staged {
  int32_t month = 0;
  int16_t day = 0;
  std::string pnr;
};

// The employee's day summary (Hor331Zk2) as the counters use it.
struct DaySummary {
  double stt = 0, ant = 0, zes = 0;
};

class Loga400 {
 public:
  explicit Loga400(RunContext& ctx);
  void run();

 private:
  // loga400.cpp
  void readPreviousPeriod();
  void periodRecord(PeriodRecord& r);
  void counters(const PeriodRecord& r, const Staged& s);
  void wageType(PeriodRecord& r, int32_t minutes, bool journal);
  void journalRow(PeriodRecord& r);
  int nextLine(const std::string& pnr);
  Staged staged(const std::string& date, const std::string& upn) const;

  // loga400_absences.cpp
  void carriedSpans();
  void absenceSpan(const PeriodRecord& r, const Staged& s);
  void correctedAbsences();
  void recalculatedSpans(const PeriodRecord& r, const std::string& correctedEnd);

  Handover h_;
  RunContext& ctx_;
  InterfaceRow lug_;
  std::string company_;
  int32_t previous_ = 0;  // the period before the run's one; 0 when there is none
  DayCalendar calendar_;
  std::map<std::string, int> lines_;  // last line number of each staging personnel number
  std::string summaryPnr_;            // whose day summary summary_ holds
  DaySummary summary_;
  double anw_ = 0;  // B01Anw of the employee, kept from its status-102 record on
};

inline constexpr char kAbsence[] = "ZR";
inline constexpr char kEndMarker[] = "0";

// The first three characters of a wage type.
std::string wageTypeCode(const std::string& lna);

}  // namespace lug::exporters::loga400
