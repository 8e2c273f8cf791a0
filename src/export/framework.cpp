#include "export/framework.h"

#include <cstdlib>

#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kHeaderFull[] =
    "select LugLug ,LugMon ,LugFir ,LugAkr into :b0,:b1:b2,:b3:b4,:b5:b6  from Hor171Lug where "
    "LugLug=(select AkrLug  from O1001AbrKreis where AkrNum=:b7)";
constexpr char kHeaderShort[] =
    "select LugLug ,LugFir into :b0,:b1:b2  from Hor171Lug where LugLug=(select AkrLug  from "
    "O1001AbrKreis where AkrNum=:b3)";
constexpr char kHeaderWithGroup[] =
    "select LugLug ,LugFir ,LugAkr into :b0,:b1:b2,:b3:b4  from Hor171Lug where LugLug=(select "
    "AkrLug  from O1001AbrKreis where AkrNum=:b5)";
constexpr char kPeriodStart[] =
    "select AbrVon into :b0  from Hor330Abr where (AbrAkr=:b1 and AbrNum=:b2)";
constexpr char kInterfaceLine[] =
    "select Lu1Kst ,Lu1Ktr ,Lu1Krt ,Lu1Mog ,Lu1Fkt ,Lu1Bau  from Hor171Lu1 where ((((Lu1Num=:b0 "
    "and Lu1Stz=:b1) and Lu1Ztk=:b2) and Lu1Lna=:b3) and Lu1Gvo<=:b4)";

void blankIfOff(int16_t flag, const char* blank, std::string& field) {
  if (flag == 0 && blank) field = blank;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

int readInterfaceHeader(RunContext& ctx, HeaderForm form, InterfaceHeader& h) {
  h = InterfaceHeader{};
  switch (form) {
    case HeaderForm::Full:
      return ctx.status = ctx.db.exec(kHeaderFull, {ctx.akr}, {h.lug, h.mon, h.fir, h.akr});
    case HeaderForm::Short:
      return ctx.status = ctx.db.exec(kHeaderShort, {ctx.akr}, {h.lug, h.fir});
    case HeaderForm::WithGroup:
      return ctx.status = ctx.db.exec(kHeaderWithGroup, {ctx.akr}, {h.lug, h.fir, h.akr});
  }
  return ctx.status;
}

int readPeriodStart(RunContext& ctx, std::string& periodStart) {
  return ctx.status = ctx.db.exec(kPeriodStart, {ctx.akr, ctx.abrnr}, {periodStart});
}

void applyCostFlags(const LineFlags& flags, const CostBlanks& blanks, PeriodRecord& record) {
  blankIfOff(flags.kst, blanks.kst, record.kst);
  blankIfOff(flags.ktr, blanks.ktr, record.ktr);
  blankIfOff(flags.krt, blanks.krt, record.krt);
}

int applyInterfaceLine(RunContext& ctx, const std::string& lug, const CostBlanks& blanks,
                       PeriodRecord& record, LineFlags& flags) {
  flags = LineFlags{};
  db::Cursor line(ctx.db, kInterfaceLine);
  int st = line.open({lug, record.stz, record.zkt, record.lna, record.bdt});
  if (st == db::kOk)
    st = line.fetch({flags.kst, flags.ktr, flags.krt, flags.mog, flags.fkt, flags.bau});
  line.close();
  if (st == db::kOk) applyCostFlags(flags, blanks, record);
  return ctx.status = st;
}

bool passes(std::initializer_list<FieldCheck> checks) {
  for (const FieldCheck& check : checks) {
    if (!check.failed) continue;
    check.report();
    return false;
  }
  return true;
}

bool exceedsWidth(std::string_view text, size_t width) {
  return payrollWidth(text) > width;
}

int32_t dateNumber(std::string_view date) {
  auto part = [&](size_t pos, size_t count) {
    return pos < date.size() ? std::string(date.substr(pos, count)) : std::string();
  };
  return static_cast<int32_t>(std::atol((part(0, 4) + part(5, 2) + part(8, 2)).c_str()));
}

int32_t shiftMonth(int32_t yyyymm, int offset) {
  if (offset == 0) return yyyymm;
  const int64_t months = int64_t{yyyymm / 100} * 12 + (yyyymm % 100 - 1) + offset;
  const int64_t year = months >= 0 ? months / 12 : (months - 11) / 12;
  return static_cast<int32_t>(year * 100 + (months - year * 12) + 1);
}

int32_t shiftDate(int32_t yyyymmdd, int offset) {
  return shiftMonth(yyyymmdd / 100, offset) * 100 + yyyymmdd % 100;
}

std::string rightTrim(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && isBlank(text[end - 1])) --end;
  return std::string(end == 0 ? text : text.substr(0, end));
}

std::string fullTrim(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

double hoursOf(int32_t minutes) {
  return minutes * (1.0 / 60);
}

double daysOf(int32_t tenths) {
  return tenths * 0.1;
}

}  // namespace lug::exporters
