#include "export/topas/topas.h"

#include <cmath>
#include <optional>
#include <string>

#include "export/calendar_days.h"
#include "export/delimited_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"
#include "export/topas/topas_steps.h"

namespace lug::exporters {
namespace {

using topas_steps::AbsenceRow;
using topas_steps::PartialRun;
using topas_steps::WageRow;

constexpr char kExcludeMirroredCorrections[] =
    "update HOR331ZK1 a  set Zk1Sta=8 where ((Zk1Abr=:b0 and Zk1Rre=2) and Zk1Pnr=(select "
    "distinct Zk1Pnr  from Hor331Zk1 b where ((((((((((((b.Zk1Abr=a.Zk1abr and "
    "b.Zk1Lfn=a.Zk1Lfn) and b.Zk1Zkt=a.Zk1Zkt) and b.Zk1Lgr=a.Zk1Lgr) and b.Zk1Stz=a.ZK1STZ) and "
    "b.Zk1Bdt=a.ZK1BDT) and b.Zk1Pnr=a.Zk1PNR) and b.Zk1Lna=a.Zk1Lna) and b.Zk1Von=a.Zk1Von) and "
    "b.Zk1Bis=a.Zk1Bis) and a.Zk1Std=(b.Zk1Std* (-1))) and a.Zk1Tge=(b.Zk1Tge* (-1))) and "
    "(b.Zk1Kst<>a.Zk1Kst or b.Zk1Ktr<>a.Zk1Ktr))))";
// Rows of the same person, kind and booking date come in the order of the
// rest of their group, so that every engine stages them alike.
constexpr char kPeriodRecords[] =
    "select trim(Zk1Stz) ,Zk1Bdt ,trim(Zk1Pnr) ,trim(Zk1Zkt) ,trim(Zk1Lna) ,trim(Zk1Lgr) "
    ",sum(Zk1Std) ,sum(Zk1Tge) ,to_char(Zk1Von,'dd.mm.yyyy') ,to_char(Zk1Bis,'dd.mm.yyyy') "
    ",Zk1Rre ,trim(Zk1Upn)  from HOR331Zk1 where ((Zk1Abr=:b0 and Zk1Lfn=:b1) and Zk1Sta<>8) "
    "group by Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Von,Zk1Bis,Zk1Rre,Zk1Upn order by "
    "Zk1Pnr,Zk1Stz,Zk1Bdt,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Von,Zk1Bis,Zk1Rre,Zk1Upn";
constexpr char kInsertWage[] =
    "insert into Hor333Tp1 (Tp1Fir,Tp1Pnr,Tp1Jmm,Tp1Jmv,Tp1Lna,Tp1Bzt,Tp1Tge,Tp1Fak,Tp1Gbf,Tp1Gsb,"
    "Tp1Stb,Tp1Svb,Tp1Kst,Tp1Ktr,Tp1Bdt) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14)";
constexpr char kAddWage[] =
    "update Hor333Tp1  set Tp1Bzt=(Tp1Bzt+:b0),Tp1Tge=(Tp1Tge+:b1),Tp1Gsb=(Tp1Gsb+:b2) where "
    "(((Tp1Fir=:b3 and Tp1Pnr=:b4) and Tp1Jmm=:b5) and Tp1Lna=:b6)";
constexpr char kInsertAbsence[] =
    "insert into Hor333Tp2 (Tp2Fir,Tp2Pnr,Tp2Von,Tp2Bis,Tp2Fgr,Tp2Fgd,Tp2Tge,Tp2Std) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7)";
constexpr char kSetAbsenceDays[] =
    "update Hor333Tp2  set Tp2Tge=:b0 where (((((Tp2Fir=:b1 and Tp2Pnr=:b2) and Tp2Fgr=:b3) and "
    "Tp2Fgd=:b4) and Tp2Von=:b5) and Tp2Bis=:b6)";
constexpr char kSetAbsenceHours[] =
    "update Hor333Tp2  set Tp2Std=:b0 where (((((Tp2Fir=:b1 and Tp2Pnr=:b2) and Tp2Fgr=:b3) and "
    "Tp2Fgd=:b4) and Tp2Von=:b5) and Tp2Bis=:b6)";

constexpr char kStartLine[] = "\nTOPAS-Lohnexport Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "TOPAS-Lohnexport beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Tp?, Sql-Fehler: %d";
constexpr char kHeaderFailed[] = "Hor171Lug-Lesenfehler: %d";
constexpr char kUnsupportedKind[] = "Satzart nicht unterstützt: %s";
constexpr char kTooLarge[] = "PNR %s: Stundenwert zu groß f.Übergabe";
constexpr char kSeparatorInField[] = "Pnr %s: Trennzeichen im Feld (%s)";
constexpr char kWageWriteFailed[] = "     SQL_Hor333Tp1_Write, ERROR: %ld";
constexpr char kWageStagingFailed[] = "Hor333Tp1 Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kAbsenceWriteFailed[] = "     SQL_Hor333Tp2_Write, ERROR: %ld";
constexpr char kAbsenceStagingFailed[] = "Hor333Tp2 Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kHandedOver[] = "%d Datensätze aus Hor333Zk1 übergeben.";

constexpr int16_t kCorrection = 2;  // Zk1Rre of a difference record
// The installation whose wage types 654 and 655 are handed over as minutes.
constexpr char kMinutesSite[] = "02272";

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::stz, &PeriodRecord::bdt, &PeriodRecord::pnr, &PeriodRecord::zkt,
                &PeriodRecord::lna, &PeriodRecord::lgr, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::von, &PeriodRecord::bis, &PeriodRecord::rre,
                &PeriodRecord::upn}};
const Staging<WageRow> kWages{
    .statements = {.insert = kInsertWage, .add = kAddWage},
    .insertColumns = {&WageRow::fir, &WageRow::pnr, &WageRow::jmm, &WageRow::jmv, &WageRow::lna,
                      &WageRow::bzt, &WageRow::tge, &WageRow::fak, &WageRow::gbf, &WageRow::gsb,
                      &WageRow::stb, &WageRow::svb, &WageRow::kst, &WageRow::ktr, &WageRow::bdt},
    .addColumns = {&WageRow::bzt, &WageRow::tge, &WageRow::gsb, &WageRow::fir, &WageRow::pnr,
                   &WageRow::jmm, &WageRow::lna}};
const db::Columns<AbsenceRow> kAbsenceInsert{&AbsenceRow::fir, &AbsenceRow::pnr, &AbsenceRow::von,
                                             &AbsenceRow::bis, &AbsenceRow::fgr, &AbsenceRow::fgd,
                                             &AbsenceRow::tge, &AbsenceRow::std};
// A stored absence of the same span takes the new days or hours (they are
// not added); when the row has both or neither, the stored row stays.
const Staging<AbsenceRow> kAbsenceDays{
    .statements = {.insert = kInsertAbsence, .add = kSetAbsenceDays},
    .insertColumns = kAbsenceInsert,
    .addColumns = {&AbsenceRow::tge, &AbsenceRow::fir, &AbsenceRow::pnr, &AbsenceRow::fgr,
                   &AbsenceRow::fgd, &AbsenceRow::von, &AbsenceRow::bis}};
const Staging<AbsenceRow> kAbsenceHours{
    .statements = {.insert = kInsertAbsence, .add = kSetAbsenceHours},
    .insertColumns = kAbsenceInsert,
    .addColumns = {&AbsenceRow::std, &AbsenceRow::fir, &AbsenceRow::pnr, &AbsenceRow::fgr,
                   &AbsenceRow::fgd, &AbsenceRow::von, &AbsenceRow::bis}};
const Staging<AbsenceRow> kAbsenceOnce{.statements = {.insert = kInsertAbsence, .add = nullptr},
                                       .insertColumns = kAbsenceInsert,
                                       .addColumns = {}};

// The first `count` characters of a UTF-8 text.
std::string leading(const std::string& text, size_t count) {
  auto continues = [&](size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
  };
  size_t end = 0;
  for (size_t chars = 0; end < text.size() && chars < count; ++chars) {
    ++end;
    while (continues(end)) ++end;
  }
  return text.substr(0, end);
}

std::string codeOrQuestionMark(const std::string& text) {
  return text.empty() ? "?" : leading(text, 3);
}

// The year of a dd.mm.yyyy date (empty when there is none).
std::string yearOf(const std::string& ddmmyyyy) {
  return ddmmyyyy.size() == 10 ? ddmmyyyy.substr(6, 4) : std::string();
}

class Topas {
 public:
  Topas(Handover& h, bool remainder)
      : h_(h),
        ctx_(h.ctx),
        remainder_(remainder),
        company_(leading(h.header.fir.empty() ? ctx_.akr : h.header.fir, 3)) {}

  // Stages one row of the period cursor; false when nothing was left to hand over.
  bool stage(PeriodRecord& r) {
    PartialRun partial;
    if (remainder_ && r.rre != kCorrection) partial = topas_steps::subtractPartialRuns(ctx_, r);
    if (r.minutes == 0 && r.tenths == 0) return false;
    if (r.stz != "LS" && r.stz != "SS") {
      ctx_.log(kUnsupportedKind, r.stz.c_str());
    } else if (const std::optional<std::string> field = separatorIn(r)) {
      reject(ctx_, kSeparatorInField, r.upn.c_str(), field->c_str());
    } else if (r.stz == "LS") {
      stageWage(r);
    } else {
      stageAbsence(r, partial);
    }
    return true;
  }

 private:
  // A text of the files' lines that holds their separator would move the
  // fields after it: the record is not staged.
  std::optional<std::string> separatorIn(const PeriodRecord& r) const {
    for (const std::string& field : {company_, r.upn, leading(r.lna, 3), leading(r.lgr, 3)})
      if (breaksDelimitedLine(field, ';', '\0')) return field;
    return std::nullopt;
  }

  void stageWage(PeriodRecord& r) {
    WageRow row{.fir = company_, .pnr = r.upn, .lna = leading(r.lna, 3)};
    row.jmm = row.jmv = std::to_string(shifted(dateNumber(sessionDateOf(r.von)))).substr(0, 6);
    double value = roundedTo(r.minutes != 0 ? hoursOf(r.minutes) : daysOf(r.tenths), 2);
    value = wageWithinLimit(value, r.upn);
    if (ctx_.site == kMinutesSite) {
      if (row.lna == "654" && yearOf(r.von) != ctx_.abrVon.substr(0, 4)) return;
      if (row.lna == "654" || row.lna == "655") row.gsb = r.minutes, value = 0;
    }
    row.bdt = dottedDate(withinMonth(shifted(dateNumber(r.bdt))));
    LineFlags flags;
    const int st = applyInterfaceLine(ctx_, h_.header.lug, CostBlanks{}, r, flags);
    ctx_.abortIfFatal(st);
    if (st == db::kOk && flags.mog != 0) value *= flags.mog;
    (r.minutes != 0 ? row.bzt : row.tge) = value;
    h_.stage(kWages, row, [&](db::WriteStep, int status) {
      ctx_.log(kWageWriteFailed, static_cast<long>(status));
      ctx_.log(kWageStagingFailed, status);
    });
  }

  void stageAbsence(const PeriodRecord& r, const PartialRun& partial) {
    AbsenceRow row{.fir = company_,
                   .pnr = r.upn,
                   .von = r.von,
                   .bis = r.bis,
                   .fgr = codeOrQuestionMark(r.lgr),
                   .fgd = codeOrQuestionMark(r.lna)};
    if (partial.found) topas_steps::remainderSpan(r.von, r.bis, partial, row);
    const bool hours = r.minutes != 0;
    const double value = roundedTo(hours ? hoursOf(r.minutes) : daysOf(r.tenths), 2);
    (hours ? row.std : row.tge) = absenceWithinLimit(value, hours, r.upn);
    const Staging<AbsenceRow>& table = (row.tge != 0) == (row.std != 0) ? kAbsenceOnce
                                       : row.tge != 0                   ? kAbsenceDays
                                                                        : kAbsenceHours;
    h_.stage(table, row, [&](db::WriteStep step, int status) {
      if (step == db::WriteStep::Insert && status != db::kDupKey)
        ctx_.log(kAbsenceWriteFailed, static_cast<long>(status));
      ctx_.log(kAbsenceStagingFailed, status);
    });
  }

  // A wage value whose amount reaches 10000 (1000 when negative) becomes
  // 9999 (-999).
  double wageWithinLimit(double value, const std::string& upn) {
    if (std::fabs(value) < (value >= 0 ? 10000 : 1000)) return value;
    reject(ctx_, kTooLarge, upn.c_str());
    return value >= 0 ? 9999.0 : -999.0;
  }

  // An absence value beyond its limit becomes the limit, with its sign.
  double absenceWithinLimit(double value, bool hours, const std::string& upn) {
    const double limit = !hours ? 100000 : value >= 0 ? 10000000 : 1000000;
    if (std::fabs(value) <= limit) return value;
    reject(ctx_, kTooLarge, upn.c_str());
    return value >= 0 ? limit : -limit;
  }

  int32_t shifted(int32_t yyyymmdd) const {
    return h_.header.mon != 0 ? shiftDate(yyyymmdd, h_.header.mon) : yyyymmdd;
  }

  Handover& h_;
  RunContext& ctx_;
  const bool remainder_;
  const std::string company_;
};

}  // namespace

void exportTopas(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {"LGD038IM", "LGD034IM"});
  h.clear({{"delete  from Hor333Tp1 ", kClearFailed}, {"delete  from Hor333Tp2 ", kClearFailed}});
  ctx.status = ctx.db.exec(kExcludeMirroredCorrections, {ctx.abrnr});
  ctx.abortIfFatal(ctx.status);
  const bool remainder = topas_steps::remainderMode(ctx);
  if (const int st = h.readHeader(HeaderForm::Full); st != db::kOk) ctx.fail(st, kHeaderFailed, st);
  Topas mapping(h, remainder);
  PeriodRecord record;
  int handedOver = 0;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, record, [&] {
    if (mapping.stage(record)) ++handedOver;
  });
  topas_steps::writeFiles(h);
  ctx.log(kHandedOver, handedOver);
  h.finish();
}

}  // namespace lug::exporters
