#include "export/sap/sap.h"

#include <optional>
#include <string>

#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kClearHours[] = "delete  from Hor333S10 ";
constexpr char kClearAbsences[] = "delete  from Hor333S01 ";
// Zk1Rre is read for the handling mark of recalculation records. The order
// ends in the columns that tell records of one staging row apart, so that
// the to-date an absence keeps and its handling mark are the same on every
// engine.
constexpr char kPeriodRecords[] =
    "select trim(NVL(Zk1Stz,' ')) ,trim(NVL(Zk1Zkt,' ')) ,trim(NVL(Zk1Lna,' ')) "
    ",to_char(Zk1Von,'dd.mm.yyyy') ,to_char(Zk1Bis,'dd.mm.yyyy') ,NVL(Zk1Std,0) "
    ",trim(NVL(Zk1Upn,' ')) ,trim(NVL(Zk1Lgr,' ')) ,NVL(Zk1Rre,0)  from HOR331Zk1 where "
    "(Zk1Abr=:b0 and ZK1Lfn=:b1) order by Zk1Upn,Zk1Lna,Zk1Von,Zk1Bis,Zk1Rre,Zk1Stz,Zk1Zkt,Zk1Std";
constexpr char kAbsenceCode[] =
    "select Lu1Fkz ,Lu1Mog into :b0:b1,:b2:b3  from Hor171Lu1 where (((Lu1Num=:b4 and "
    "Lu1Lna=:b5) and Lu1Stz=:b6) and Lu1Ztk=:b7)";
constexpr char kEmployeeName[] = "select PnrNam into :b0:b1  from Hor300Pnr where PnrNum=:b2";
constexpr char kInsertHours[] =
    "insert into Hor333S10 (S10Art,S10Mnd,S10Pnr,S10Nam,S10Lna,S10Von,S10Std,S10Btr,S10Hnd,"
    "S10Fil) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9)";
constexpr char kAddHours[] =
    "update Hor333S10  set S10Std=(S10Std+:b0),S10Btr=:b1 where (((S10Mnd=:b2 and S10Pnr=:b3) "
    "and S10Lna=:b4) and S10Von=:b5)";
constexpr char kInsertAbsence[] =
    "insert into Hor333S01 (S01Art,S01Mnd,S01Pnr,S01Nam,S01Lna,S01Von,S01Bis,S01Uzv,S01Hnd,"
    "S01Fil) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9)";
constexpr char kReplaceAbsenceEnd[] =
    "update Hor333S01  set S01Bis=:b0 where (((S01Mnd=:b1 and S01Pnr=:b2) and S01Lna=:b3) and "
    "S01Von=:b4)";
// The writers' orders end in the staging key: the same lines in the same
// order on every engine.
constexpr char kHoursFile[] =
    "select S10Art ,S10Mnd ,S10Pnr ,S10Nam ,S10Lna ,S10Von ,S10Std ,S10Btr ,S10Hnd ,S10Fil  from "
    "Hor333S10  order by S10Pnr,S10Mnd,S10Lna,S10Von";
constexpr char kAbsenceFile[] =
    "select S01Art ,S01Mnd ,S01Pnr ,S01Nam ,S01Lna ,S01Von ,S01Bis ,S01Uzv ,S01Uzb ,S01Hnd ,S01Fil "
    " from HOR333S01  order by S01Pnr,S01Mnd,S01Lna,S01Von";

constexpr char kStartLine[] = "\nSAP-Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "SAP-Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Sap, Sqlfhl: %d";
constexpr char kNoAbsenceCode[] = "kein Fehltagekennz. für Lohnart %s";
constexpr char kHoursFailed[] = "Hor333S10 Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kAbsenceFailed[] = "Hor333S01 Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kHoursTooLarge[] = "Pnr %s: Std. zu groß f.Übergabe (%.2f)";
constexpr char kHoursTxt[] = "SAP2010.txt";
constexpr char kHoursCsv[] = "SAP2010.csv";
constexpr char kAbsenceTxt[] = "SAP2001.txt";
constexpr char kAbsenceCsv[] = "SAP2001.csv";
constexpr char kHoursOpenFailure[] = "Exportdatei SAP2010 kann nicht geoeffnet werden !";
constexpr char kAbsenceOpenFailure[] = "Exportdatei SAP2001 kann nicht geoeffnet werden !";

constexpr int16_t kRecalculation = 2;  // Zk1Rre of a difference record
constexpr size_t kClientWidth = 3;
constexpr size_t kNameWidth = 30;
constexpr size_t kWageTypeWidth = 4;

// A record of infotype 2010 (Hor333S10): hours per employee, wage type and start.
struct Hours {
  std::string art = "2010", mnd, pnr, nam, lna, von;
  double std = 0;
  std::string btr, hnd, fil;
};

// A record of infotype 2001 (Hor333S01): an absence from and to a date.
struct Absence {
  std::string art = "2001", mnd, pnr, nam, lna, von, bis, uzv, uzb, hnd, fil;
};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::stz, &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::von,
                &PeriodRecord::bis, &PeriodRecord::minutes, &PeriodRecord::upn, &PeriodRecord::lgr,
                &PeriodRecord::rre}};

const Staging<Hours> kHoursTable{
    .statements = {.insert = kInsertHours, .add = kAddHours},
    .insertColumns = {&Hours::art, &Hours::mnd, &Hours::pnr, &Hours::nam, &Hours::lna, &Hours::von,
                      &Hours::std, &Hours::btr, &Hours::hnd, &Hours::fil},
    .addColumns = {&Hours::std, &Hours::btr, &Hours::mnd, &Hours::pnr, &Hours::lna, &Hours::von}};
const Staging<Absence> kAbsenceTable{
    .statements = {.insert = kInsertAbsence, .add = kReplaceAbsenceEnd},
    .insertColumns = {&Absence::art, &Absence::mnd, &Absence::pnr, &Absence::nam, &Absence::lna,
                      &Absence::von, &Absence::bis, &Absence::uzv, &Absence::hnd, &Absence::fil},
    .addColumns = {&Absence::bis, &Absence::mnd, &Absence::pnr, &Absence::lna, &Absence::von}};

const Query<Hours> kHoursRows{
    .sql = kHoursFile,
    .columns = {&Hours::art, &Hours::mnd, &Hours::pnr, &Hours::nam, &Hours::lna, &Hours::von,
                &Hours::std, &Hours::btr, &Hours::hnd, &Hours::fil}};
const Query<Absence> kAbsenceRows{
    .sql = kAbsenceFile,
    .columns = {&Absence::art, &Absence::mnd, &Absence::pnr, &Absence::nam, &Absence::lna,
                &Absence::von, &Absence::bis, &Absence::uzv, &Absence::uzb, &Absence::hnd,
                &Absence::fil}};

// "%7.2f" with a decimal comma; a sum that cancels out is "0,00", never
// "-0,00". Hours that need more than seven characters are refused: they
// would move every later field of the fixed-width line.
std::string hoursText(const Hours& row) {
  return formatNumber(roundedTo(row.std, 2) + 0.0, {.decimals = 2, .point = ','});
}

// Both files of an infotype carry the same field texts, the .txt file side
// by side and the .csv file separated by semicolons.
const FixedLayout<Hours> kHoursLine{
    {text(&Hours::art), {.width = 4}},
    {text(&Hours::mnd), {.width = kClientWidth}},
    {text(&Hours::pnr), {.width = 8}},
    {text(&Hours::nam), {.width = kNameWidth}},
    {text(&Hours::lna), {.width = kWageTypeWidth}},
    {text(&Hours::von), {.width = 10}},
    {hoursText, {.width = 7, .align = Align::Right, .overflow = Overflow::Reject}},
    {text(&Hours::btr), {.width = 13}},
    {text(&Hours::hnd), {.width = 1}},
    {text(&Hours::fil), {.width = 14}}};
const FixedLayout<Absence> kAbsenceLine{{text(&Absence::art), {.width = 4}},
                                        {text(&Absence::mnd), {.width = kClientWidth}},
                                        {text(&Absence::pnr), {.width = 8}},
                                        {text(&Absence::nam), {.width = kNameWidth}},
                                        {text(&Absence::lna), {.width = kWageTypeWidth}},
                                        {text(&Absence::von), {.width = 10}},
                                        {text(&Absence::bis), {.width = 10}},
                                        {text(&Absence::uzv), {.width = 5}},
                                        {text(&Absence::uzb), {.width = 5}},
                                        {text(&Absence::hnd), {.width = 1}},
                                        {text(&Absence::fil), {.width = 14}}};

// dd.mm.yyyy as the infotypes write a date: ddmmyyyy and two blanks.
std::string dateText(const std::string& date) {
  if (date.size() != 10) return date;
  return date.substr(0, 2) + date.substr(3, 2) + date.substr(6, 4) + "  ";
}

// Maps the period records onto the rows of the two infotypes.
class InfotypeStaging {
 public:
  explicit InfotypeStaging(Handover& h)
      : h_(h),
        client_(firstCharacters(h.header.fir.empty() ? h.ctx.akr : h.header.fir, kClientWidth)) {}

  // A record whose interface line cannot be read is logged and left out;
  // the records after it are handed over.
  void add(const PeriodRecord& r) {
    std::string code;
    double factor = 0;
    const int st = h_.ctx.status =
        h_.ctx.db.exec(kAbsenceCode, {h_.header.lug, r.lna, r.stz, r.zkt}, {code, factor});
    if (st != db::kOk) return h_.ctx.fail(st, kNoAbsenceCode, r.lna.c_str());
    if (!code.empty() && code != "0") {
      Absence absence = infotypeRow<Absence>(r);
      absence.bis = dateText(r.bis);
      h_.stage(kAbsenceTable, absence, failed(kAbsenceFailed));
    } else if (r.minutes != 0) {
      Hours hours = infotypeRow<Hours>(r);
      hours.std = hoursOf(r.minutes) * (factor != 0 ? factor : 1);
      h_.stage(kHoursTable, hours, failed(kHoursFailed));
    }
  }

 private:
  // The fields both infotypes take from a record.
  template <class Row>
  Row infotypeRow(const PeriodRecord& r) {
    Row row;
    row.mnd = client_, row.pnr = r.upn, row.nam = nameOf(r.upn);
    row.lna = firstCharacters(r.lna, kWageTypeWidth), row.von = dateText(r.von);
    row.hnd = r.rre == kRecalculation ? "X" : " ";
    return row;
  }

  // The first 30 characters of the employee's name, empty when there is
  // none; read once per employee (the records arrive by employee).
  const std::string& nameOf(const std::string& upn) {
    if (namedUpn_ && *namedUpn_ == upn) return name_;
    std::string name;
    h_.ctx.abortIfFatal(h_.ctx.status = h_.ctx.db.exec(kEmployeeName, {upn}, {name}));
    namedUpn_ = upn, name_ = firstCharacters(name, kNameWidth);
    return name_;
  }

  StagingFailure failed(const char* message) {
    return [this, message](db::WriteStep, int st) { h_.ctx.log(message, st); };
  }

  Handover& h_;
  std::string client_;
  std::optional<std::string> namedUpn_;
  std::string name_;
};

// Each row of a staging table as one line of both files of its infotype; a
// row whose line cannot be laid out is logged once and left out of both.
template <class Row>
void writeInfotype(Handover& h, const Query<Row>& rows, const FixedLayout<Row>& layout,
                   TransferFile& txt, TransferFile& csv,
                   const std::function<void(const Row&)>& refused) {
  Row row;
  h.writeRows(rows, {}, row, [&] {
    const std::optional<std::string> fixed = layout.line(row);
    if (!fixed) return refused(row);
    txt.write(*fixed + "\n");
    csv.write(*layout.delimitedLine(row, ';') + "\n");
  });
}

}  // namespace

void exportSap(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine},
             {kHoursTxt, kHoursCsv, kAbsenceTxt, kAbsenceCsv});
  h.clear({{kClearHours, kClearFailed}, {kClearAbsences, kClearFailed}});
  h.readHeader(HeaderForm::Short);
  InfotypeStaging staging(h);
  PeriodRecord r;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] { staging.add(r); });

  TransferFile& hoursTxt = h.file(kHoursTxt, kHoursOpenFailure);
  TransferFile& hoursCsv = h.file(kHoursCsv, kHoursOpenFailure);
  writeInfotype<Hours>(h, kHoursRows, kHoursLine, hoursTxt, hoursCsv, [&](const Hours& row) {
    reject(ctx, kHoursTooLarge, row.pnr.c_str(), row.std);
  });
  TransferFile& absenceTxt = h.file(kAbsenceTxt, kAbsenceOpenFailure);
  TransferFile& absenceCsv = h.file(kAbsenceCsv, kAbsenceOpenFailure);
  writeInfotype<Absence>(h, kAbsenceRows, kAbsenceLine, absenceTxt, absenceCsv,
                         [](const Absence&) {});  // no field of an absence line refuses its value
  h.finish();
}

}  // namespace lug::exporters
