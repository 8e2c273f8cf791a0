#include "export/calendar_days.h"

#include <gtest/gtest.h>

namespace lug::exporters {
namespace {

struct DayCase {
  const char* date;
  const char* next;
  const char* previous;
};

class CalendarDays : public ::testing::TestWithParam<DayCase> {};

TEST_P(CalendarDays, NeighboursAreDaysOfTheCalendar) {
  EXPECT_EQ(nextDay(GetParam().date), GetParam().next);
  EXPECT_EQ(previousDay(GetParam().date), GetParam().previous);
}

INSTANTIATE_TEST_SUITE_P(Dates, CalendarDays,
                         ::testing::Values(DayCase{"15.03.2024", "16.03.2024", "14.03.2024"},
                                           DayCase{"31.01.2024", "01.02.2024", "30.01.2024"},
                                           DayCase{"01.03.2024", "02.03.2024", "29.02.2024"},
                                           DayCase{"01.03.2023", "02.03.2023", "28.02.2023"},
                                           DayCase{"28.02.2024", "29.02.2024", "27.02.2024"},
                                           DayCase{"31.12.2024", "01.01.2025", "30.12.2024"},
                                           DayCase{"01.01.2025", "02.01.2025", "31.12.2024"},
                                           // Texts that are no dates stay as they are.
                                           DayCase{"32.01.2024", "32.01.2024", "32.01.2024"},
                                           DayCase{"29.02.2023", "29.02.2023", "29.02.2023"},
                                           DayCase{"2024.01.31", "2024.01.31", "2024.01.31"},
                                           DayCase{"", "", ""}));

TEST(CalendarDays, ShiftedDateKeptWithinItsMonth) {
  EXPECT_EQ(withinMonth(20240231), 20240229);
  EXPECT_EQ(withinMonth(20230229), 20230228);
  EXPECT_EQ(withinMonth(20241131), 20241130);
  EXPECT_EQ(withinMonth(20241231), 20241231);
  EXPECT_EQ(withinMonth(20240115), 20240115);
  EXPECT_EQ(withinMonth(0), 0);
  EXPECT_EQ(dottedDate(20250107), "07.01.2025");
}

}  // namespace
}  // namespace lug::exporters
