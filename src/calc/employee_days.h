#pragma once
// The rows of one employee over a span that the day counts ask about again
// and again: the attendance records (Hor327Tag), the day records (Hor320Tgb,
// TgbZtr 1) and the day bookings (Hor331Zkb, ZkbZtr 1). Each kind is read
// with one cursor at its first use instead of one statement per question.
// Every answer is the one the statement it stands for would give (status,
// values, NULL and empty text, days compared as stored text). A single day
// outside the span, a day with more rows than a single-row statement allows,
// and every question after a read that failed go to the statements: the
// day questions here, the span questions (std::nullopt) at the caller.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "calc/day_counts.h"
#include "calc/interface_lines.h"
#include "calc/rows_ahead.h"
#include "calc/source_rows.h"

namespace lug::calc {

// The rows of each kind as the employee's statements fetch them.
struct DaysRows {
  struct AttendanceRow {
    std::string day;  // as stored
    std::string whole, first, second;
  };
  struct DayRecord {
    std::string day;  // as stored
    std::optional<double> sol, unb;
  };
  struct DayBooking {
    std::string day;  // as stored
    std::string zkt, kst, ktr, krt;
    std::optional<double> std, tge, stg, sta;
    std::string dat;  // as fetched
  };
};

// The rows of the employees the walk reaches next that the period run and
// the recalculation read for every employee, each kind read for several
// employees at once (calc/rows_ahead.h).
class DaysAhead {
 public:
  explicit DaysAhead(RunContext& ctx);

  RowsAhead<DaysRows::AttendanceRow>::Rows attendance(const std::string& pnr, const Span& span);
  RowsAhead<DaysRows::DayRecord>::Rows dayRecords(const std::string& pnr, const Span& span);
  RowsAhead<DaysRows::DayBooking>::Rows dayBookings(const std::string& pnr, const Span& span);
  // The employee's month values (ZkbZtr 3) in the span, ordered by account and
  // day, as a cursor of all the booking's columns fetches them (see
  // EmployeeDays::accountDays); std::nullopt when the statement must answer.
  std::optional<std::vector<Booking>> monthValues(const std::string& pnr, const Span& span);
  // The employee's day values (ZkbZtr 1) of the account in the span, summed
  // by cost assignment, value type and status, as the period run's grouped
  // cursor fetches them (groups ordered by their columns, no day);
  // std::nullopt when the statement must answer.
  std::optional<std::vector<Booking>> summedDayValues(const std::string& pnr,
                                                      const std::string& zkt, const Span& span);

  // The answers of single-row selects: the status (0 or 1403) and the
  // values, or std::nullopt when the statement must answer (more than one
  // row, a NULL without indicator, the employee not read ahead).
  // TgbMax of the employee's month value (TgbZtr 3) of the day.
  std::optional<int> monthMaximum(const std::string& pnr, const std::string& day, double& max);
  // The cost assignment of the employee's master row valid in the span.
  std::optional<int> masterCost(const std::string& pnr, const Span& span, CostAssignment& cost);
  // The single-row select `statement` of up to kNumbers numbers (balances,
  // stored day summaries) answered from `ahead`, the same select for the
  // employees of a window (`values` its values after the personnel
  // numbers), read on the connection `on` names: 0 or 1403 with `out` filled
  // as the statement fills it, or std::nullopt when the statement must
  // answer (more than one row, a value that its outputs refuse, the employee
  // not read ahead).
  static constexpr size_t kNumbers = 9;
  std::optional<int> numbers(const char* statement, const char* ahead, const std::string& pnr,
                             const std::vector<db::In>& values, db::Outs out,
                             WindowOn on = WindowOn::Aside);

 private:
  struct MonthMaximum {
    std::optional<double> max;
  };
  using Numbers = std::array<std::optional<double>, kNumbers>;

  RunContext& ctx_;
  RowsAhead<DaysRows::AttendanceRow> attendance_;
  RowsAhead<DaysRows::DayRecord> records_;
  RowsAhead<DaysRows::DayBooking> bookings_;
  RowsAhead<DaysRows::DayBooking> monthValues_;
  RowsAhead<MonthMaximum> monthMaximum_;
  RowsAhead<CostAssignment> masterCost_;
  struct NumbersAhead {
    std::vector<bool> indicators;  // of the statement's outputs
    std::unique_ptr<RowsAhead<Numbers>> window;
  };
  std::map<const char*, NumbersAhead> numbers_;                                     // by statement
  std::map<std::string, std::unique_ptr<RowsAhead<DaysRows::DayBooking>>> summed_;  // by account
};

class EmployeeDays {
 public:
  EmployeeDays(RunContext& ctx, const std::string& pnr, const Span& span)
      : ctx_(ctx), pnr_(pnr), span_(span) {}

  // The rows of the employee over the span. While a Keeping lives, they are
  // kept for the next question: the kept ones answer when they cover the
  // span, else new ones over both spans (for the same employee) are kept.
  static std::shared_ptr<EmployeeDays> of(RunContext& ctx, const std::string& pnr,
                                          const Span& span);

  // Keeps the rows read for the next question while it lives; the period run
  // and the recalculation keep them for the whole call (they write none of
  // these tables), so each kind is read once per employee and period, for
  // several employees at once where the engine reads ahead (DaysAhead).
  class Keeping {
   public:
    explicit Keeping(RunContext& ctx) : ctx_(ctx) {
      ctx.keepEmployeeDays = true;
      if (ctx.db.readsAhead()) ctx.daysAhead = std::make_shared<DaysAhead>(ctx);
    }
    ~Keeping() {
      ctx_.keepEmployeeDays = false;
      ctx_.employeeDays.reset();
      ctx_.daysAhead.reset();
    }
    Keeping(const Keeping&) = delete;
    Keeping& operator=(const Keeping&) = delete;

   private:
    RunContext& ctx_;
  };

  // readDayCodes and readDayTarget.
  int dayCodes(const std::string& pnr, const std::string& day, DayCodes& codes);
  int dayTarget(const std::string& pnr, const std::string& day, int32_t& sol);

  // Target days (TgbSol > 0) of the span and their minutes.
  struct Targets {
    int32_t days = 0;
    double minutes = 0;
  };
  std::optional<Targets> targets(const Span& span);
  // Days of the span with TgbSol <> 0 and TgbSol <= TgbUnb, in order.
  std::optional<std::vector<std::string>> unpaidDays(const Span& span);

  // Booked days of the span, in order, on accounts that group `akr`'s
  // interface lines of status `sts` name. A day counts with minutes above 0,
  // or with a line of Lu1Art 1 and minutes of 0 (Minutes::ZeroOnly) or of
  // any value, NULL included (Minutes::Any).
  enum class Minutes { ZeroOnly, Any };
  std::optional<std::vector<std::string>> bookedDays(const std::string& akr, int16_t sts,
                                                     const Span& span, Minutes withoutMinutes);
  // Minutes booked in the span on accounts of lines of status 4 or 104,
  // once for every such line (0 when none).
  std::optional<double> unpaidMinutes(const std::string& akr, const Span& span);
  // The attendance records (day, first and second half code; distinct) of
  // the days of the span booked on the account, cost centre and cost unit
  // with minutes above 0 or with a line of Lu1Art 1 and minutes of 0.
  struct Attendance {
    std::string day, first, second;
  };
  std::optional<std::vector<Attendance>> bookedAttendance(const std::string& akr,
                                                          const Booking& account, const Span& span);
  // The day bookings of the account in the span ordered by day, each as a
  // cursor of all the booking's columns fetches it (day and Zkbdat without
  // time, NULL numbers as 0), bookings of one day in the order they were
  // read; Bookings::PositiveMinutes keeps those with minutes above 0 only.
  // std::nullopt unless the bookings came from the window read ahead (which
  // reads all their columns), and when a number would not fit its output:
  // the cursor then answers.
  enum class Bookings { All, PositiveMinutes };
  std::optional<std::vector<Booking>> accountDays(const std::string& zkt, const Span& span,
                                                  Bookings which);

 private:
  enum class Load { NotYet, Done, Ahead, Failed };
  struct Target {
    int status = 0;  // 0, or -1405 for a NULL target
    int32_t sol = 0;
    int rows = 0;
  };
  struct Codes {
    DayCodes codes;
    int rows = 0;
  };
  using AttendanceRow = DaysRows::AttendanceRow;
  using DayRecord = DaysRows::DayRecord;
  using DayBooking = DaysRows::DayBooking;

  bool covers(const std::string& pnr, const std::string& day) const;
  bool within(const Span& span) const;
  bool inSpan(const std::string& day, const Span& span) const;
  template <class Row, class Keep>
  bool load(Load& state, std::shared_ptr<const std::vector<Row>>& into,
            std::shared_ptr<const std::vector<Row>> (DaysAhead::*ahead)(const std::string&,
                                                                        const Span&),
            const char* statement, Keep keep);
  bool loadCodes();
  bool loadTargets();
  bool loadBookings();
  static bool booked(const DayBooking& b, const InterfaceLines::Line& l, Minutes withoutMinutes);

  RunContext& ctx_;
  const std::string pnr_;
  const Span span_;
  Load codesLoad_ = Load::NotYet;
  Load targetsLoad_ = Load::NotYet;
  Load bookingsLoad_ = Load::NotYet;
  std::map<std::string, Codes> codes_;
  RowsAhead<AttendanceRow>::Rows attendance_;
  std::map<std::string, Target> targets_;
  RowsAhead<DayRecord>::Rows records_;
  RowsAhead<DayBooking>::Rows bookings_;
};

}  // namespace lug::calc
