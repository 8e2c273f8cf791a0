#include "export/calendar_days.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "export/framework.h"

namespace lug::exporters {
namespace {

namespace chrono = std::chrono;

std::optional<chrono::year_month_day> parsed(const std::string& d) {
  if (d.size() != 10 || d[2] != '.' || d[5] != '.') return std::nullopt;
  for (const size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
    if (d[i] < '0' || d[i] > '9') return std::nullopt;
  const chrono::year_month_day day{chrono::year{std::stoi(d.substr(6, 4))},
                                   chrono::month{static_cast<unsigned>(std::stoi(d.substr(3, 2)))},
                                   chrono::day{static_cast<unsigned>(std::stoi(d.substr(0, 2)))}};
  if (!day.ok()) return std::nullopt;
  return day;
}

std::string text(const chrono::year_month_day& d) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02u.%02u.%04d", static_cast<unsigned>(d.day()),
                static_cast<unsigned>(d.month()), static_cast<int>(d.year()));
  return buffer;
}

std::string movedBy(const std::string& ddmmyyyy, int days) {
  const std::optional<chrono::year_month_day> day = parsed(ddmmyyyy);
  if (!day) return ddmmyyyy;
  return text(chrono::year_month_day{chrono::sys_days{*day} + chrono::days{days}});
}

}  // namespace

std::string nextDay(const std::string& ddmmyyyy) {
  return movedBy(ddmmyyyy, 1);
}

std::string previousDay(const std::string& ddmmyyyy) {
  return movedBy(ddmmyyyy, -1);
}

int16_t lastDayOfMonth(int32_t year, int32_t month) {
  switch (month) {
    case 2:
      return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

int32_t withinMonth(int32_t yyyymmdd) {
  const int32_t month = yyyymmdd / 100 % 100;
  if (yyyymmdd <= 0 || month < 1 || month > 12) return yyyymmdd;
  const int32_t lastDay = lastDayOfMonth(yyyymmdd / 10000, month);
  return yyyymmdd % 100 > lastDay ? yyyymmdd / 100 * 100 + lastDay : yyyymmdd;
}

int32_t shiftCalendarDate(int32_t yyyymmdd, int offset) {
  return withinMonth(shiftDate(yyyymmdd, offset));
}

std::string dottedDate(int32_t yyyymmdd) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", yyyymmdd % 100, yyyymmdd / 100 % 100,
                yyyymmdd / 10000);
  return buffer;
}

}  // namespace lug::exporters
