#include "export/datev/datev.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn  from Hor331Zk1 where Zk1Abr=:b0";
constexpr char kInterfaceLine[] =
    "select Lu1Gvo ,Lu1Kst ,Lu1Ktr ,Lu1Mog ,Lu1Fkt  from Hor171Lu1 where ((((Lu1Num=:b0 and "
    "Lu1Stz=:b1) and Lu1Ztk=:b2) and Lu1Lna=:b3) and Lu1Gvo<=:b4) order by Lu1Gvo desc";

constexpr char kStartLine[] = "\nDatev Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Datev Lohnprogramm beendet";
constexpr char kOpenFailure[] = "Datevdatei kann nicht geoeffnet werden !";
constexpr char kFileName[] = "datev.csv";
constexpr char kHeaderLine[] = "%s;%s;%s\n";
constexpr char kPayrollMonth[] = "%02d/%d";
constexpr char kRecordLine[] = "%s;%s;%s;%s;%s;%s;%s;%s;%s;%s;%s\n";

// A cost field whose flag is 0 stays empty in the file.
constexpr CostBlanks kEmptyCosts{.kst = "", .ktr = ""};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::abr, &PeriodRecord::lfn, &PeriodRecord::stz, &PeriodRecord::bdt,
                &PeriodRecord::pnr, &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::lgr,
                &PeriodRecord::kst, &PeriodRecord::ktr, &PeriodRecord::krt, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::sts, &PeriodRecord::rre,
                &PeriodRecord::sta, &PeriodRecord::upn}};

// The cost flags of the newest interface line valid on the period's first
// day. The lookup reads without null indicators: a null flag fails the fetch,
// and the record keeps its cost centre and cost unit as when no line is found.
// The run never changes the interface lines, so each record kind, account and
// wage type is looked up once and its answer kept (a lost connection is not).
class LineAtPeriodStart {
 public:
  LineAtPeriodStart(RunContext& ctx, std::string lug, std::string periodStart)
      : ctx_(ctx),
        line_(ctx.db, kInterfaceLine),
        lug_(std::move(lug)),
        periodStart_(std::move(periodStart)) {}

  void apply(PeriodRecord& record) {
    const std::string key = record.stz + '\x1f' + record.zkt + '\x1f' + record.lna;
    auto known = answers_.find(key);
    if (known == answers_.end()) {
      const Answer answer = lookUp(record);
      ctx_.status = answer.status;
      if (answer.status == db::kFatal) return;
      known = answers_.emplace(key, answer).first;
    }
    ctx_.status = known->second.status;
    if (ctx_.status == db::kOk) applyCostFlags(known->second.flags, kEmptyCosts, record);
  }

 private:
  struct Answer {
    int status;
    LineFlags flags;
  };

  Answer lookUp(const PeriodRecord& record) {
    std::string validFrom;
    LineFlags flags;
    line_.open({lug_, record.stz, record.zkt, record.lna, periodStart_});
    const int st = line_.fetch({db::Out(validFrom).required(), db::Out(flags.kst).required(),
                                db::Out(flags.ktr).required(), db::Out(flags.mog).required(),
                                db::Out(flags.fkt).required()});
    line_.close();
    return {st, flags};
  }

  RunContext& ctx_;
  db::Cursor line_;
  const std::string lug_, periodStart_;
  std::map<std::string, Answer> answers_;
};

// "%.2f" with a decimal comma; a quantity that rounds to 0.00 is left empty.
// The text is never cut: the file is separated by semicolons, so a number of
// 10,000 hours or more is written whole rather than as a wrong value.
constexpr NumberFormat kQuantity{.decimals = 2, .point = ',', .zeroAsEmpty = true};

// Day of the month of the booking date, without a leading zero.
std::string dayText(const std::string& bookingDate) {
  std::string day = bookingDate.size() > 8 ? bookingDate.substr(8, 2) : std::string();
  if (!day.empty() && day[0] == '0') day.erase(0, 1);
  return day;
}

// The period's month moved by the interface's month offset, as "mm/yyyy".
std::string payrollMonth(const std::string& periodStart, int16_t offset) {
  const int32_t month = shiftMonth(dateNumber(periodStart) / 100, offset);
  char text[32];
  std::snprintf(text, sizeof text, kPayrollMonth, month % 100, month / 100);
  return text;
}

// One line per record with minutes or days; a month value carries its
// quantity in the value field and no day, group, hours or days.
void writeRecord(TransferFile& file, const PeriodRecord& r) {
  std::string day = dayText(r.bdt);
  if (r.minutes == 0 && r.tenths == 0) return;
  std::string group = r.lgr, hours = formatNumber(hoursOf(r.minutes), kQuantity),
              days = formatNumber(daysOf(r.tenths), kQuantity), value;
  if (r.sta == 1) {
    value = r.minutes != 0 ? hours : days;
    day.clear(), group.clear(), hours.clear(), days.clear();
  }
  file.printf(kRecordLine, r.upn.c_str(), day.c_str(), group.c_str(), r.lna.c_str(), hours.c_str(),
              days.c_str(), value.c_str(), "", "", r.kst.c_str(), r.ktr.c_str());
}

}  // namespace

void exportDatev(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {kFileName});
  TransferFile& file = h.file(kFileName, kOpenFailure);
  std::string periodStart;
  readPeriodStart(ctx, periodStart);
  h.readHeader(HeaderForm::Full);
  file.printf(kHeaderLine, h.header.fir.c_str(), h.header.akr.c_str(),
              payrollMonth(periodStart, h.header.mon).c_str());

  PeriodRecord record;
  LineAtPeriodStart line(ctx, h.header.lug, periodStart);
  h.forEach(kRecords, {ctx.abrnr}, record, [&] {
    line.apply(record);
    writeRecord(file, record);
  });
  h.finish();
}

}  // namespace lug::exporters
