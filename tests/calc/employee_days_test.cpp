#include "calc/employee_days.h"

#include <gtest/gtest.h>

#include "calc/day_summary.h"
#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

// The days read at once must answer every day as the single-row statements
// do: status, codes, target.
// A booking as the tests compare it: every field.
std::string bookingText(const Booking& b) {
  return b.pnr + " " + std::to_string(b.ztr) + " " + b.dtm + " " + b.kst + "/" + b.ktr + "/" +
         b.krt + " " + b.zkt + " " + std::to_string(b.std) + " " + std::to_string(b.tge) + " " +
         std::to_string(b.stg) + " " + std::to_string(b.sta) + " " + b.dat + "\n";
}

// A booking of 4711 without minutes, booked with a time of day.
void addBookingWithoutMinutes(Installation& inst, int ztr, const std::string& day,
                              const std::string& zkt) {
  inst.insert("Hor331Zkb", {{"ZkbPnr", "4711"},
                            {"ZkbZtr", ztr},
                            {"ZkbDtm", day},
                            {"ZkbZkt", zkt},
                            {"ZkbSta", 3},
                            {"ZkbDat", "2024.01.20 10:30:00"}});
}

class EmployeeDaysTest : public CalcTest {
 protected:
  EmployeeDaysTest() { usePeriod(1, "2024.01.01", "2024.01.31"); }

  std::string codesByStatement(const std::string& pnr, const std::string& day) {
    DayCodes c;
    const int st = readDayCodes(ctx, pnr, day, c);
    return std::to_string(st) + "|" + c.whole + "|" + c.first + "|" + c.second;
  }
  std::string codesRead(EmployeeDays& days, const std::string& pnr, const std::string& day) {
    DayCodes c{"x", "y", "z"};
    const int st = days.dayCodes(pnr, day, c);
    return std::to_string(st) + "|" + c.whole + "|" + c.first + "|" + c.second;
  }
  std::string targetByStatement(const std::string& pnr, const std::string& day) {
    int32_t sol = 0;
    const int st = readDayTarget(ctx, pnr, day, sol);
    return std::to_string(st) + "|" + std::to_string(sol);
  }
  std::string targetRead(EmployeeDays& days, const std::string& pnr, const std::string& day) {
    int32_t sol = 77;
    const int st = days.dayTarget(pnr, day, sol);
    return std::to_string(st) + "|" + std::to_string(sol);
  }

  // Days of the month and either side of it, as the statements compare them.
  std::vector<std::string> probes() {
    std::vector<std::string> days = daysOf("2023.12.30", "2024.02.02");
    days.push_back("");
    days.push_back("2024.01.10 10:00:00");
    return days;
  }

  const Span month{"2024.01.01", "2024.01.31"};
};

TEST_F(EmployeeDaysTest, DayCodesAnswerAsTheStatement) {
  addAttendance(inst, "4711", "2024.01.02", "K");
  addAttendance(inst, "4711", "2024.01.03", "", "KH", "UH");
  addAttendance(inst, "4711", "2024.01.04", "", "", "");  // no code: not a row of either read
  addAttendance(inst, "4711", "2024.01.05", "K");
  addAttendance(inst, "4711", "2024.01.05", "U");  // twice: too many rows
  addAttendance(inst, "4711", "2024.01.31", "", "", "UH");
  addAttendance(inst, "4711", "2024.02.01", "K");  // after the span
  addAttendance(inst, "4712", "2024.01.08", "K");  // another employee
  inst.db().exec(
      "insert into Hor327Tag (TagPnr,TagTag,TagTgb) values ('4711','2024.01.10 10:00:00','K')");
  inst.db().exec(
      "insert into Hor327Tag (TagPnr,TagTag,TagTgb) values ('4711','2024.01.11 00:00:00','K')");
  inst.db().exec("insert into Hor327Tag (TagPnr,TagTag,TagTgb) values ('4711','2024.01.12','')");
  EmployeeDays days(ctx, "4711", month);
  for (const char* pnr : {"4711", "4712"})
    for (const std::string& day : probes())
      EXPECT_EQ(codesRead(days, pnr, day), codesByStatement(pnr, day)) << pnr << " " << day;
  EXPECT_EQ(codesRead(days, "4711", "2024.01.05"), "-1422|||");
  EXPECT_EQ(codesRead(days, "4711", "2024.01.03"), "0||KH|UH");
}

TEST_F(EmployeeDaysTest, DayTargetsAnswerAsTheStatement) {
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  addDay(inst, {.dtm = "2024.01.09", .ztr = 3, .sol = 99});  // not a day record
  addDay(inst, {.dtm = "2024.01.15", .sol = 240});           // twice: too many rows
  addDay(inst, {.dtm = "2024.02.01", .sol = 300});
  addDay(inst, {.pnr = "4712", .dtm = "2024.01.09", .sol = 120});
  inst.db().exec("update Hor320Tgb set TgbSol=NULL where TgbPnr='4711' and TgbDtm='2024.01.10'");
  inst.db().exec(
      "update Hor320Tgb set TgbDtm='2024.01.11 10:00:00' where TgbPnr='4711' and "
      "TgbDtm='2024.01.11'");
  EmployeeDays days(ctx, "4711", month);
  for (const char* pnr : {"4711", "4712"})
    for (const std::string& day : probes())
      EXPECT_EQ(targetRead(days, pnr, day), targetByStatement(pnr, day)) << pnr << " " << day;
  EXPECT_EQ(targetRead(days, "4711", "2024.01.10"), "-1405|0");
  EXPECT_EQ(targetRead(days, "4711", "2024.01.08"), "0|480");
}

TEST_F(EmployeeDaysTest, TheDaysOfTheSpanCostOneStatementForEachKind) {
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  for (const std::string& day : daysOf("2024.01.01", "2024.01.31"))
    addAttendance(inst, "4711", day, "K");
  EmployeeDays days(ctx, "4711", month);
  const int64_t before = inst.db().counters().statements;
  for (const std::string& day : daysOf("2024.01.01", "2024.01.31")) {
    EXPECT_EQ(codesRead(days, "4711", day), "0|K||");
    EXPECT_EQ(targetRead(days, "4711", day), isWeekend(day) ? "0|0" : "0|480");
  }
  EXPECT_EQ(inst.db().counters().statements - before, 2);
}

// The day summary's figures from the rows read at once, as the statements
// count them: minutes NULL or 0 on lines with and without Lu1Art 1, one day
// booked twice, an account named by two lines (its minutes count once per
// line), a booking day with a time, another interface, another employee,
// month values, days outside the span.
TEST_F(EmployeeDaysTest, SummaryFiguresCountAsTheStatements) {
  addGroup(inst);
  addLine(inst, {.ztk = "URL", .lna = "1", .sts = 103});
  addLine(inst, {.ztk = "FREI", .lna = "2", .sts = 103, .art = 1});
  addLine(inst, {.ztk = "UNB", .lna = "3", .sts = 104});
  addLine(inst, {.ztk = "UNB", .lna = "4", .sts = 4});
  addLine(inst, {.ztk = "ANW", .lna = "5", .sts = 102, .art = 1});
  addLine(inst, {.ztk = "ANW2", .lna = "6", .sts = 102});
  addLine(inst, {.ztk = "URL", .lna = "7", .sts = 104, .lug = "L2"});
  for (const BookingData& b :
       std::vector<BookingData>{{.dtm = "2024.01.02", .zkt = "URL", .std = 480},
                                {.dtm = "2024.01.03", .zkt = "URL", .std = 480},
                                {.dtm = "2024.01.04", .zkt = "URL", .std = 0},
                                {.dtm = "2024.01.05", .zkt = "FREI", .std = 0},
                                {.dtm = "2024.01.08", .zkt = "ANW", .std = 0},
                                {.dtm = "2024.01.10", .zkt = "ANW", .std = 60, .kst = "K1"},
                                {.dtm = "2024.01.10", .zkt = "ANW", .std = 60, .kst = "K2"},
                                {.dtm = "2024.01.11", .zkt = "ANW2", .std = 0},
                                {.dtm = "2024.01.12", .zkt = "ANW2", .std = 30},
                                {.dtm = "2024.01.15", .zkt = "UNB", .std = 120},
                                {.dtm = "2024.01.17 10:00:00", .zkt = "UNB", .std = 30},
                                {.dtm = "2024.01.31", .zkt = "UNB", .std = 45},
                                {.dtm = "2024.02.01", .zkt = "URL", .std = 480},
                                {.dtm = "2024.01.02", .zkt = "URL", .std = 999, .ztr = 3},
                                {.pnr = "4712", .dtm = "2024.01.02", .zkt = "URL", .std = 480}})
    addBooking(inst, b);
  addBooking(inst, {.dtm = "2024.01.06", .zkt = "FREI"});
  addBooking(inst, {.dtm = "2024.01.09", .zkt = "ANW"});
  addBooking(inst, {.dtm = "2024.01.16", .zkt = "UNB"});
  inst.db().exec(
      "update Hor331Zkb set ZkbStd=NULL where ZkbDtm in "
      "('2024.01.06','2024.01.09','2024.01.16')");
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  addDay(inst, {.dtm = "2024.01.02", .ztr = 3, .sol = 99});
  inst.db().exec("update Hor320Tgb set TgbSol=NULL where TgbDtm='2024.01.10'");

  struct Case {
    Span span;
    DayFigures want;  // slt, sln, ant, uns, bzt, unt
  };
  const Case cases[] = {
      {{"2024.01.01", "2024.01.31"},
       {.slt = 22,
        .ant = 40,
        .sln = 22 * 480,
        .uns = 2 * 120 + 2 * 30 + 2 * 45,
        .bzt = 3,
        .unt = 3}},
      {{"2024.01.03", "2024.01.10"}, {.slt = 5, .ant = 30, .sln = 5 * 480, .bzt = 2}},
  };
  for (const Case& c : cases) {
    const SummaryInput in{.pnr = "4711", .span = c.span, .period = month, .akr = "A1"};
    double employed = 0;
    DayFigures f = employmentFigures(ctx, in, employed);
    bookingFigures(ctx, in, f);
    const DayFigures got{
        .slt = f.slt, .ant = f.ant, .sln = f.sln, .uns = f.uns, .bzt = f.bzt, .unt = f.unt};
    EXPECT_EQ(got, c.want) << c.span.von << " " << got.slt << " " << got.ant << " " << got.sln
                           << " " << got.uns << " " << got.bzt << " " << got.unt;
  }
}

// The rows read ahead for the employees the walk names answer as each
// employee's statements: rows, statuses, values, cleared outputs without a
// row. A NULL month maximum, two master rows, an employee the walk does not
// name and another span are left to the statements; each kind costs one
// statement for the walked employees it answers.
TEST_F(EmployeeDaysTest, RowsReadAheadAnswerAsTheStatements) {
  const std::vector<std::string> walked{"4711", "4712", "4713", "4714"};
  for (const char* pnr : {"4711", "4712", "4714", "4799"}) {
    addDays(inst, pnr, "2024.01.01", "2024.01.31");
    addDay(inst, {.pnr = pnr, .dtm = "2024.01.01", .ztr = 3, .max = 600});
    addAttendance(inst, pnr, "2024.01.03", "K");
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.03", .zkt = "URL", .std = 480});
    addCost(inst, pnr, "K-" + std::string(pnr), "T", "");
  }
  inst.db().exec("update Hor320Tgb set TgbMax=NULL where TgbPnr='4712' and TgbZtr=3");
  addDay(inst, {.pnr = "4714", .dtm = "2024.01.01", .ztr = 3, .max = 300});
  addCost(inst, "4712", "K2", "", "");
  addAttendance(inst, "4712", "2024.01.04", "", "KH", "UH");
  addGroup(inst);
  addLine(inst, {.ztk = "URL", .lna = "1", .sts = 103});

  struct Answers {
    std::string text;
    int64_t statements = 0;
  };
  const auto answers = [&](const std::vector<std::string>& pnrs, const Span& span) {
    const int64_t before = inst.db().counters().statements;
    std::string text;
    for (const std::string& pnr : pnrs) {
      const SummaryInput in{.pnr = pnr, .span = span, .period = month, .akr = "A1"};
      double employed = 0;
      DayFigures f = employmentFigures(ctx, in, employed);
      bookingFigures(ctx, in, f);
      CostAssignment cost{"x", "y", "z"};
      const int st = readMasterCost(ctx, pnr, span, cost);
      EmployeeDays days(ctx, pnr, span);
      text += pnr + ": " + std::to_string(f.zes) + " " + std::to_string(f.slt) + " " +
              std::to_string(f.sln) + " " + std::to_string(f.bzt) + " " + std::to_string(st) + " " +
              cost.kst + "/" + cost.ktr + "/" + cost.krt + " " +
              codesRead(days, pnr, "2024.01.03") + " " + codesRead(days, pnr, "2024.01.04") + " " +
              targetRead(days, pnr, "2024.01.03") + "\n";
    }
    return Answers{text, inst.db().counters().statements - before};
  };
  const Span part{"2024.01.02", "2024.01.20"};
  const Answers byStatements = answers(walked, month);
  const Answers otherByStatements = answers({"4799"}, month);
  const Answers partByStatements = answers({"4711"}, part);

  ctx.walkAhead = walked;
  ctx.daysAhead = std::make_shared<DaysAhead>(ctx);
  const Answers ahead = answers(walked, month);
  EXPECT_EQ(ahead.text, byStatements.text);
  // Each of the five kinds once, then the month maximum of 4712 and 4714
  // and the master row of 4712 by their statements.
  EXPECT_GT(byStatements.statements, 4 * 5);
  EXPECT_EQ(ahead.statements, 5 + 3);
  EXPECT_EQ(answers({"4799"}, month).text, otherByStatements.text);
  const Answers partAhead = answers({"4711"}, part);
  EXPECT_EQ(partAhead.text, partByStatements.text);
  // Only the month maximum, asked for the period's first day, is read ahead.
  EXPECT_EQ(partAhead.statements, partByStatements.statements - 1);
}

// A walk of three windows: the two after the first, sent aside while the
// first is computed, answer as the statements, each window with one statement
// of each kind; so do they when their employees are asked about with another
// span than they were sent with.
TEST_F(EmployeeDaysTest, LaterWindowsAnswerAsTheStatements) {
  std::vector<std::string> walked;
  for (int i = 0; i < 80; ++i) {
    const std::string pnr = std::to_string(5000 + i);
    walked.push_back(pnr);
    addDays(inst, pnr, "2024.01.01", "2024.01.05");
    addBooking(inst, {.pnr = pnr,
                      .dtm = "2024.01.0" + std::to_string(1 + i % 5),
                      .zkt = "URL",
                      .std = 60 * (i + 1)});
    addCost(inst, pnr, "K" + pnr, "", "");
  }
  addGroup(inst);
  addLine(inst, {.ztk = "URL", .lna = "1", .sts = 103});
  const auto answers = [&](size_t from, size_t to, const Span& span) {
    std::string text;
    for (size_t i = from; i < to; ++i) {
      ctx.walkAhead.assign(walked.begin() + static_cast<ptrdiff_t>(i), walked.end());
      const SummaryInput in{.pnr = walked[i], .span = span, .period = span, .akr = "A1"};
      double employed = 0;
      DayFigures f = employmentFigures(ctx, in, employed);
      bookingFigures(ctx, in, f);
      CostAssignment cost;
      readMasterCost(ctx, walked[i], span, cost);
      text += walked[i] + ": " + std::to_string(f.slt) + " " + std::to_string(f.sln) + " " +
              std::to_string(f.bzt) + " " + cost.kst + "\n";
    }
    return text;
  };
  const Span part{"2024.01.02", "2024.01.03"};
  const std::string byStatements = answers(0, 80, month), firstPart = answers(0, 32, part);
  ASSERT_NE(byStatements.substr(0, firstPart.size()), firstPart);
  ctx.daysAhead = std::make_shared<DaysAhead>(ctx);
  const int64_t before = inst.db().counters().statements;
  std::string ahead = answers(0, 32, month);
  const int64_t firstWindow = inst.db().counters().statements - before;
  ahead += answers(32, 64, month);
  ahead += answers(64, 80, month);
  EXPECT_EQ(ahead, byStatements);
  // Four kinds (day records, attendance, bookings, master cost), all three
  // windows sent while the first is computed.
  EXPECT_EQ(firstWindow, 4 * 3);
  EXPECT_EQ(inst.db().counters().statements - before, firstWindow);
  // The later windows were sent for the part, a span too short for the month.
  ctx.daysAhead = std::make_shared<DaysAhead>(ctx);
  ahead = answers(0, 32, part);
  ahead += answers(32, 80, month);
  EXPECT_EQ(ahead, firstPart + byStatements.substr(byStatements.find("5032:")));
}

// One account's bookings served from the day bookings read ahead are the rows
// and values its cursors fetch: days in order, two bookings of a day, minutes
// NULL, 0 and negative, a booking date with a time of day, another account
// and a day after the span left out.
TEST_F(EmployeeDaysTest, AccountDaysAnswerAsTheAccountsCursor) {
  static const char kAccountDays[] =
      "select ZkbPnr ,ZkbZtr ,ZkbDtm ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg "
      ",ZkbSta "
      ",ZkbDat  from Hor331Zkb where (((((ZkbPnr=:b0 and ZkbZkt=:b1) and ZkbZtr=1) and "
      "ZkbDtm>=:b2) and ZkbDtm<=:b3) and (ZkbStd>0 or :b4<>0)) order by ZkbDtm";
  addBooking(inst, {.dtm = "2024.01.09",
                    .zkt = "URL",
                    .std = 480,
                    .tge = 1,
                    .stg = 2,
                    .kst = "K1",
                    .ktr = "T",
                    .krt = "A"});
  addBooking(inst, {.dtm = "2024.01.03", .zkt = "URL", .std = 0});
  addBooking(inst, {.dtm = "2024.01.03", .zkt = "URL", .std = -60, .kst = "K2"});
  addBooking(inst, {.dtm = "2024.01.05", .zkt = "URL", .std = 90});
  addBookingWithoutMinutes(inst, 1, "2024.01.04", "URL");
  addBooking(inst, {.dtm = "2024.01.04", .zkt = "KRANK", .std = 30});
  addBooking(inst, {.dtm = "2024.02.01", .zkt = "URL", .std = 30});
  const auto byCursor = [&](int16_t all) {
    db::Cursor c(inst.db(), kAccountDays, db::Cursor::Mode::FewRows);
    EXPECT_EQ(c.open({"4711", "URL", month.von, month.bis, all}), db::kOk);
    std::string out;
    Booking b;
    while (fetchDay(c, b) == db::kOk) out += bookingText(b);
    return out;
  };
  ctx.walkAhead = {"4711"};
  ctx.daysAhead = std::make_shared<DaysAhead>(ctx);
  EmployeeDays days(ctx, "4711", month);
  const auto served = [&](EmployeeDays::Bookings which) {
    std::string out;
    const std::optional<std::vector<Booking>> bookings = days.accountDays("URL", month, which);
    for (const Booking& b : bookings.value()) out += bookingText(b);
    return out;
  };
  EXPECT_EQ(served(EmployeeDays::Bookings::All), byCursor(1));
  EXPECT_EQ(served(EmployeeDays::Bookings::PositiveMinutes), byCursor(0));
  // Bookings read without the window lack columns: the cursor answers.
  ctx.daysAhead.reset();
  EXPECT_FALSE(EmployeeDays(ctx, "4711", month).accountDays("URL", month, {}));
}

// The month values read ahead are the rows and values the employee's month
// value cursor fetches: ordered by account and day, minutes NULL, a booking
// date with a time of day; a value too large for its output leaves the
// employee to the cursor.
TEST_F(EmployeeDaysTest, MonthValuesAnswerAsTheEmployeesCursor) {
  static const char kMonthValues[] =
      "select ZkbPnr ,ZkbZtr ,ZkbDtm ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg "
      ",ZkbSta "
      ",ZkbDat  from Hor331Zkb where (((ZkbPnr=:b0 and ZkbZtr=3) and ZkbDtm>=:b1) and "
      "ZkbDtm<=:b2) order by ZkbZkt,ZkbDtm";
  for (const char* pnr : {"4711", "4712"}) {
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.31", .zkt = "URL", .std = 480, .ztr = 3});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.01", .zkt = "ZZ", .std = 60, .ztr = 3});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.01", .zkt = "URL", .tge = 2, .ztr = 3});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.15", .zkt = "AA", .ztr = 3, .kst = "K"});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.15", .zkt = "AA", .std = 30});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.02.01", .zkt = "AA", .std = 30, .ztr = 3});
  }
  addBookingWithoutMinutes(inst, 3, "2024.01.20", "BB");
  // A counter too large for a short, where the engine stores one.
  const int stored = inst.db().exec(
      "insert into Hor331Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbZkt,ZkbStg) values "
      "('4712',3,to_date('2024.01.20','yyyy.mm.dd'),'BB',40000)");
  inst.db().commit();
  db::Cursor c(inst.db(), kMonthValues, db::Cursor::Mode::FewRows);
  ASSERT_EQ(c.open({"4711", month.von, month.bis}), db::kOk);
  std::string byCursor;
  Booking b;
  while (fetchDay(c, b) == db::kOk) byCursor += bookingText(b);
  ctx.walkAhead = {"4711", "4712"};
  DaysAhead ahead(ctx);
  const std::optional<std::vector<Booking>> served = ahead.monthValues("4711", month);
  ASSERT_TRUE(served);
  std::string servedText;
  for (const Booking& v : *served) servedText += bookingText(v);
  EXPECT_EQ(servedText, byCursor);
  EXPECT_EQ(served->size(), 5u);
  EXPECT_EQ(ahead.monthValues("4712", month).has_value(), stored != db::kOk);
  EXPECT_FALSE(ahead.monthValues("4799", month));  // not walked
}

// The summed day values of an account served from a window: the groups (cost
// assignment, value type, status) in the order the employee's grouped cursor
// fetches them, minutes summed, NULL and lower-case cost centres, bookings of
// another account, of month values and outside the span left out; an
// employee without bookings has no groups.
TEST_F(EmployeeDaysTest, SummedDayValuesAnswerAsTheEmployeesCursor) {
  static const char kSummedDayValues[] =
      "select ZkbPnr ,ZkbZtr ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,sum(ZkbStd) ,sum(ZkbTge) ,ZkbStg "
      ",ZkbSta "
      " from Hor331Zkb where ((((ZkbPnr=:b0 and ZkbZkt=:b1) and ZkbZtr=1) and ZkbDtm>=:b2) and "
      "ZkbDtm<=:b3) group by ZkbPnr,ZkbZtr,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbStg,ZkbSta order by "
      "ZkbZkt";
  for (const char* pnr : {"4711", "4712"}) {
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.05", .zkt = "URL", .std = 60, .kst = "K2"});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.03", .zkt = "URL", .std = 30, .kst = "K10"});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.04", .zkt = "URL", .std = 15, .kst = "K2"});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.06", .zkt = "URL", .tge = 1, .kst = "k1"});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.07", .zkt = "URL", .std = 5, .stg = 2});
    addBooking(inst,
               {.pnr = pnr, .dtm = "2024.01.08", .zkt = "URL", .std = 7, .kst = "K2", .ktr = "T"});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.09", .zkt = "ZZ", .std = 99, .kst = "K2"});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.10", .zkt = "URL", .std = 99, .ztr = 3});
    addBooking(inst, {.pnr = pnr, .dtm = "2024.02.01", .zkt = "URL", .std = 99, .kst = "K2"});
  }
  addBookingWithoutMinutes(inst, 1, "2024.01.20", "URL");
  const auto text = [](const std::vector<Booking>& bookings) {
    std::string all;
    for (const Booking& b : bookings) all += bookingText(b);
    return all;
  };
  const auto byCursor = [&](const std::string& pnr) {
    db::Cursor c(inst.db(), kSummedDayValues, db::Cursor::Mode::FewRows);
    EXPECT_EQ(c.open({pnr, "URL", month.von, month.bis}), db::kOk);
    std::vector<Booking> rows;
    Booking b;
    while (fetchAccountRow(c, b) == db::kOk) rows.push_back(b);
    return rows;
  };
  ctx.walkAhead = {"4711", "4712", "4713"};
  DaysAhead ahead(ctx);
  for (const char* pnr : {"4711", "4712", "4713"}) {
    const std::optional<std::vector<Booking>> served = ahead.summedDayValues(pnr, "URL", month);
    ASSERT_TRUE(served) << pnr;
    EXPECT_EQ(text(*served), text(byCursor(pnr))) << pnr;
  }
  EXPECT_EQ(byCursor("4711").size(), 6u);
  EXPECT_TRUE(byCursor("4713").empty());
  EXPECT_FALSE(ahead.summedDayValues("4799", "URL", month));  // not walked
}

}  // namespace
}  // namespace lug::calc::test
