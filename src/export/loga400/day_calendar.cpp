#include "export/loga400/day_calendar.h"

#include <array>
#include <cstddef>

#include "export/framework.h"

namespace lug::exporters::loga400 {
namespace {

constexpr int kDays = 31;
constexpr char kEndMarker[] = "0";

// One statement text per day column: the template's "##" replaced by the two
// digits of the day, at compile time. Index 0 is unused.
template <size_t N>
using PerDay = std::array<std::array<char, N>, kDays + 1>;

template <size_t N>
constexpr PerDay<N> perDayColumn(const char (&text)[N]) {
  PerDay<N> all{};
  for (int day = 1; day <= kDays; ++day) {
    for (size_t i = 0; i < N; ++i) all[day][i] = text[i];
    for (size_t i = 0; i + 1 < N; ++i)
      if (text[i] == '#' && text[i + 1] == '#') {
        all[day][i] = static_cast<char>('0' + day / 10);
        all[day][i + 1] = static_cast<char>('0' + day % 10);
        break;
      }
  }
  return all;
}

constexpr auto kInsertTexts =
    perDayColumn("INSERT INTO Hor333Bzr (BzrFir,BzrPnr,BzrBdt,BzrT##) VALUES (:b0,:b1,:b2,:b3)");
constexpr auto kUpdateTexts = perDayColumn(
    "UPDATE Hor333Bzr SET BzrT##=:b0 WHERE BzrFir = :b1 AND BzrPnr = :b2 AND BzrBdt = :b3");
constexpr char kFirstDay[] =
    "select BzrT01 into :b0:b1  from HOR333BZR where ((BzrFir=:b2 and BzrPnr=:b3) and BzrBdt=:b4)";
constexpr char kFirstDayFailed[] = "Fehler Lesen Hor333Bzr (1): %d";

bool isDay(int day) {
  return day >= 1 && day <= kDays;
}

}  // namespace

int dayOf(const std::string& date) {
  return dateNumber(date) % 100;
}

int DayCalendar::insert(const CalendarRow& row, int day, const std::string& value) {
  return ctx_.status = ctx_.db.exec(kInsertTexts[day].data(), {row.fir, row.pnr, row.month, value});
}

int DayCalendar::update(const CalendarRow& row, int day, const std::string& value) {
  return ctx_.status = ctx_.db.exec(kUpdateTexts[day].data(), {value, row.fir, row.pnr, row.month});
}

void DayCalendar::mark(const CalendarRow& row, int startDay, int endDay, const std::string& code,
                       const CalendarMessages& m, const std::string& pnr, ExistingRow existing) {
  if (endDay == kDays + 1) {
    markEndInFollowingMonth(row, m, pnr);
    endDay = 0;
  }
  if (!isDay(startDay)) startDay = 0;
  if (!isDay(endDay)) endDay = 0;
  if (startDay == 0 && endDay == 0) return;

  // The row is inserted with its first day; the end marker of a span that
  // starts in it is then set on the row.
  const int first = startDay ? startDay : endDay;
  const std::string& value = startDay ? code : std::string(kEndMarker);
  int st = insert(row, first, value);
  if (st == db::kDupKey && existing == ExistingRow::Update) {
    st = update(row, first, value);
    if (st != db::kOk) return ctx_.fail(st, m.updateFailed, pnr.c_str(), st);
  } else if (st != db::kOk) {
    return ctx_.fail(st, m.insertFailed, pnr.c_str(), st);
  }
  if (startDay && endDay) {
    st = update(row, endDay, kEndMarker);
    if (st != db::kOk) ctx_.fail(st, m.updateFailed, pnr.c_str(), st);
  }
}

void DayCalendar::markEndInFollowingMonth(const CalendarRow& row, const CalendarMessages& m,
                                          const std::string& pnr) {
  const CalendarRow next{.fir = row.fir, .pnr = row.pnr, .month = shiftMonth(row.month, 1)};
  std::string first;
  const int st = ctx_.status = ctx_.db.exec(kFirstDay, {next.fir, next.pnr, next.month}, {first});
  if (st != db::kOk && st != db::kNoData) return ctx_.fail(st, kFirstDayFailed, st);
  if (st == db::kOk && !first.empty()) return;
  mark(next, 1, 0, kEndMarker, m, pnr);
}

}  // namespace lug::exporters::loga400
