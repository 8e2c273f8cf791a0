// The file writers of the TOPAS exporter: one line per staging row, amounts
// in hundredths without decimal point, a zero amount as an empty field.
#include <string>

#include "export/layout.h"
#include "export/topas/topas_steps.h"

namespace lug::exporters::topas_steps {
namespace {

// The staging key after the columns the files are sorted by, so that rows
// that tie there are written in the same order on every engine.
constexpr char kWageRows[] = "select *  from HOR333Tp1  order by Tp1Pnr,Tp1Fir,Tp1Jmm,Tp1Lna";
constexpr char kAbsenceRows[] =
    "select *  from HOR333Tp2  order by Tp2Pnr,Tp2Tge asc ,TO_DATE(Tp2Von,'dd.mm.yyyy'),Tp2Fir,"
    "Tp2Fgr,Tp2Fgd,Tp2Bis";

constexpr char kWageFile[] = "LGD038IM";
constexpr char kAbsenceFile[] = "LGD034IM";
constexpr char kWageOpenFailure[] = "TOPAS-Exportdatei(LS) kann nicht geoeffnet werden !";
constexpr char kAbsenceOpenFailure[] = "TOPAS-Exportdatei(SS) kann nicht geoeffnet werden !";
constexpr char kWageLine[] = "%s;%s;%s;%s;%s;%s;%s;;;;%s;;;%s;%s;;%s;;;;;;;;;\n";
constexpr char kAbsenceLine[] = "%s;%s;%s;%s;%s;%s;%s;%s;;;;;;;;;\n";
constexpr char kWagesWritten[] = "%d Datensätze in Datei LGD038IM (LS) geschrieben.";
constexpr char kAbsencesWritten[] = "%d Datensätze in Datei LGD034IM (SS) geschrieben.";

// Hours or days × 100, "%.0f" (7.5 hours are "750").
constexpr NumberFormat kAmount{.scale = 2, .zeroAsEmpty = true};
// Whole minutes, "%.0f".
constexpr NumberFormat kMinutes{.zeroAsEmpty = true};

const Query<WageRow> kWages{
    .sql = kWageRows,
    .columns = {&WageRow::fir, &WageRow::pnr, &WageRow::jmm, &WageRow::jmv, &WageRow::lna,
                &WageRow::bzt, &WageRow::tge, &WageRow::fak, &WageRow::gbf, &WageRow::stb,
                &WageRow::svb, &WageRow::gsb, &WageRow::kst, &WageRow::ktr, &WageRow::bdt}};
const Query<AbsenceRow> kAbsences{
    .sql = kAbsenceRows,
    .columns = {&AbsenceRow::fir, &AbsenceRow::pnr, &AbsenceRow::von, &AbsenceRow::bis,
                &AbsenceRow::fgr, &AbsenceRow::fgd, &AbsenceRow::tge, &AbsenceRow::std}};

void writeWages(Handover& h) {
  TransferFile& file = h.file(kWageFile, kWageOpenFailure, FormerCopy::Keep);
  WageRow r;
  const int written = h.writeRows(kWages, {}, r, [&] {
    file.printf(kWageLine, r.fir.c_str(), r.pnr.c_str(), r.jmm.c_str(), r.jmv.c_str(),
                r.lna.c_str(), formatNumber(r.bzt, kAmount).c_str(),
                formatNumber(r.tge, kAmount).c_str(), formatNumber(r.gsb, kMinutes).c_str(),
                r.kst.c_str(), r.ktr.c_str(), r.bdt.c_str());
  });
  h.ctx.log(kWagesWritten, written);
}

void writeAbsences(Handover& h) {
  TransferFile& file = h.file(kAbsenceFile, kAbsenceOpenFailure, FormerCopy::Keep);
  AbsenceRow r;
  const int written = h.writeRows(kAbsences, {}, r, [&] {
    file.printf(kAbsenceLine, r.fir.c_str(), r.pnr.c_str(), r.von.c_str(), r.bis.c_str(),
                r.fgr.c_str(), r.fgd.c_str(), formatNumber(r.tge, kAmount).c_str(),
                formatNumber(r.std, kAmount).c_str());
  });
  h.ctx.log(kAbsencesWritten, written);
}

}  // namespace

void writeFiles(Handover& h) {
  writeWages(h);
  writeAbsences(h);
}

}  // namespace lug::exporters::topas_steps
