// The file writers of the PAISY exporter: each file is read from its staging
// table by a statement that pads every column to its final width.
#include <string>

#include "export/layout.h"
#include "export/paisy/paisy_steps.h"

namespace lug::exporters::paisy {
namespace {

constexpr char kP1Lines[] =
    "select LPAD(NVL(Ps1Stz,' '),2,' ') ,LPAD(NVL(Ps1Frm,' '),2,' ') ,LPAD(NVL(Ps1F02,' '),2,' ') "
    ",RPAD(NVL(Ps1Prs,' '),6,' ') ,LPAD(NVL(Ps1F04,' '),4,' ') ,LPAD(NVL(Ps1Abt,'0'),2,'0') "
    ",LPAD(NVL(Ps1Abd,'0'),4,'0') ,LPAD(NVL(Ps1Abn,'0'),1,' ') ,LPAD(NVL(Ps1Dne,' '),1,' ') "
    ",LPAD(NVL(Ps1Lhn,'0'),6,'0') ,Ps1Ztd ,RPAD(NVL(Ps1Lhg,' '),4,' ') ,Ps1Btr "
    ",LPAD(NVL(Ps1F05,' '),5,' ') ,LPAD(NVL(Ps1Kst,' '),6,' ') ,LPAD(NVL(Ps1F25,' '),25,' ')  from "
    "HOR333PS1  order by Ps1Prs,Ps1Abd,Ps1Lhn,Ps1Lhg";
constexpr char kP3Lines[] =
    "select lpad(NVL(Ps3Stz,' '),2,' ') ,lpad(NVL(Ps3Frm,' '),2,' ') ,lpad(NVL(Ps3F02,' '),2,' ') "
    ",rpad(NVL(Ps3Prs,' '),6,' ') ,lpad(NVL(Ps3F04,' '),4,' ') ,lpad(NVL(Ps3Bdt,' '),6,' ') "
    ",lpad(NVL(Ps3Abn,' '),1,' ') ,lpad(NVL(Ps3F01,' '),1,' ') ,lpad(NVL(Ps3Lna,' '),3,' ') "
    ",lpad(NVL(Ps3Zet,' '),5,' ') ,lpad(NVL(Ps3F05,' '),5,' ') ,lpad(NVL(Ps3Edt,' '),6,' ') "
    ",lpad(NVL(Ps3Res,' '),37,' ')  from HOR333Ps3  order by Ps3Prs,Ps3Zet desc";
constexpr char kP4Lines[] =
    "select lpad(NVL(Ps4Stz,' '),2,' ') ,lpad(NVL(Ps4Frm,' '),2,' ') ,lpad(NVL(Ps4F02,' '),2,' ') "
    ",rpad(NVL(Ps4Prs,' '),6,' ') ,lpad(NVL(Ps4F06,' '),6,' ') ,lpad(NVL(Ps4Abd,'0'),4,'0') "
    ",lpad(NVL(Ps4Abn,'0'),1,' ') ,lpad(NVL(Ps4Dne,' '),1,' ') ,lpad(NVL(Ps4F37,'0'),2,' ') "
    ",lpad(NVL(Ps4Bta,'0'),3,' ') ,lpad(NVL(Ps4St1,' '),1,' ') ,lpad(NVL(Ps4F33,'0'),2,' ') "
    ",lpad(NVL(Ps4Bas,'0'),5,' ') ,lpad(NVL(Ps4St2,' '),1,' ') ,lpad(NVL(Ps4F12,'0'),2,' ') "
    ",rpad(Ps4Sta,3,' ') ,lpad(NVL(Ps4St3,' '),1,' ') ,lpad(NVL(Ps4F13,'0'),2,' ') "
    ",rpad(Ps4Sva,3,' ') "
    ",lpad(NVL(Ps4St4,' '),1,' ') ,lpad(NVL(Ps4F14,'0'),2,' ') ,lpad(NVL(Ps4Ana,'0'),3,' ') "
    ",lpad(NVL(Ps4St5,' '),1,' ') ,lpad(NVL(Ps4F15,'0'),2,' ') ,lpad(NVL(Ps4Kra,'0'),3,'0') "
    ",lpad(NVL(Ps4St6,' '),1,' ') ,lpad(NVL(Ps4F22,'0'),2,' ') ,lpad(NVL(Ps4Arn,' '),1,' ') "
    ",lpad(NVL(Ps4St7,' '),1,' ') ,lpad(NVL(Ps4F80,' '),14,' ')  from HOR333Ps4  order by Ps4Prs";

constexpr char kP1OpenFailure[] = "Schnittstellendatei P1 kann nicht geoeffnet werden !";
constexpr char kP3OpenFailure[] = "Schnittstellendatei P3 kann nicht geoeffnet werden !";
constexpr char kP4OpenFailure[] = "Schnittstellendatei P4 kann nicht geoeffnet werden !";
constexpr char kHoursOverflow[] = "   ->Pnr %s : Überlauf Stundenwert !!!";

// A P1 row: the record head padded by the statement, the quantities as numbers.
struct P1Line {
  std::string stz, frm, f02, prs, f04, abt, abd, abn, dne, lhn;
  double ztd = 0;
  std::string lhg;
  double btr = 0;
  std::string f05, kst, f25;
};
const Query<P1Line> kP1{
    .sql = kP1Lines,
    .columns = {&P1Line::stz, &P1Line::frm, &P1Line::f02, &P1Line::prs, &P1Line::f04, &P1Line::abt,
                &P1Line::abd, &P1Line::abn, &P1Line::dne, &P1Line::lhn, &P1Line::ztd, &P1Line::lhg,
                &P1Line::btr, &P1Line::f05, &P1Line::kst, &P1Line::f25}};

// Hours × 100 in five characters ("%05.0f", the minus sign at the end) and
// amounts × 100 in nine.
constexpr NumberFormat kHours{.width = 5, .signAtEnd = true};
constexpr NumberFormat kAmount{.width = 9, .scale = 2, .signAtEnd = true};
constexpr double kMostHundredths = 99999, kLeastHundredths = -9999;

std::string hoursField(RunContext& ctx, const P1Line& row) {
  double hundredths = row.ztd * 100;
  if (hundredths > kMostHundredths || hundredths < kLeastHundredths) {
    hundredths = hundredths > 0 ? kMostHundredths : kLeastHundredths;
    ctx.log(kHoursOverflow, row.prs.c_str());
  }
  return formatNumber(hundredths, kHours);
}

// The record head and the variable fields 10, 11, 13, 14 and 20, each as
// field number, value and a star.
std::string p1Line(RunContext& ctx, const P1Line& r) {
  std::string line = r.stz + r.frm + r.f02 + r.prs + r.f04 + (r.abt == "00" ? "  " : r.abt) +
                     r.abd + r.abn + r.dne + "10" + r.lhn + "*";
  if (r.ztd != 0) line += "11" + hoursField(ctx, r) + "*";
  if (!fullTrim(r.lhg).empty()) line += "13" + r.lhg + "*";
  if (r.btr != 0) line += "14" + formatNumber(r.btr, kAmount) + "*";
  if (!fullTrim(r.kst).empty()) line += "20" + r.kst + "*";
  return line + "\n";
}

struct P3Line {
  std::string stz, frm, f02, prs, f04, bdt, abn, f01, lna, zet, f05, edt, res;
  std::string text() const {
    return stz + frm + f02 + prs + f04 + bdt + abn + f01 + lna + zet + f05 + edt + res + "\n";
  }
};
const Query<P3Line> kP3{
    .sql = kP3Lines,
    .columns = {&P3Line::stz, &P3Line::frm, &P3Line::f02, &P3Line::prs, &P3Line::f04, &P3Line::bdt,
                &P3Line::abn, &P3Line::f01, &P3Line::lna, &P3Line::zet, &P3Line::f05, &P3Line::edt,
                &P3Line::res}};

struct P4Line {
  std::string stz, frm, f02, prs, f06, abd, abn, dne;
  std::string f37, bta, st1, f33, bas, st2, f12, sta, st3, f13, sva, st4;
  std::string f14, ana, st5, f15, kra, st6, f22, arn, st7, f80;
  // Ps4Sta and Ps4Sva left-justified to three characters, blanks when null.
  std::string text() const {
    const FieldWidth counter{.width = 3};
    return stz + frm + f02 + prs + f06 + abd + abn + dne + f37 + bta + st1 + f33 + bas + st2 + f12 +
           *fitField(sta, counter) + st3 + f13 + *fitField(sva, counter) + st4 + f14 + ana + st5 +
           f15 + kra + st6 + f22 + arn + st7 + f80 + "\n";
  }
};
const Query<P4Line> kP4{
    .sql = kP4Lines,
    .columns = {&P4Line::stz, &P4Line::frm, &P4Line::f02, &P4Line::prs, &P4Line::f06,
                &P4Line::abd, &P4Line::abn, &P4Line::dne, &P4Line::f37, &P4Line::bta,
                &P4Line::st1, &P4Line::f33, &P4Line::bas, &P4Line::st2, &P4Line::f12,
                &P4Line::sta, &P4Line::st3, &P4Line::f13, &P4Line::sva, &P4Line::st4,
                &P4Line::f14, &P4Line::ana, &P4Line::st5, &P4Line::f15, &P4Line::kra,
                &P4Line::st6, &P4Line::f22, &P4Line::arn, &P4Line::st7, &P4Line::f80}};

}  // namespace

void writeFiles(Handover& h) {
  TransferFile& p1 = h.file("PaisyP1.txt", kP1OpenFailure);
  P1Line movement;
  h.writeRows(kP1, {}, movement, [&] {
    // A row whose quantities add up to nothing hands nothing over.
    if (movement.ztd != 0 || movement.btr != 0) p1.write(p1Line(h.ctx, movement));
  });

  TransferFile& p3 = h.file("PaisyP3.txt", kP3OpenFailure);
  P3Line absence;
  h.writeRows(kP3, {}, absence, [&] { p3.write(absence.text()); });

  TransferFile& p4 = h.file("PaisyP4.txt", kP4OpenFailure);
  P4Line counters;
  h.writeRows(kP4, {}, counters, [&] { p4.write(counters.text()); });
}

}  // namespace lug::exporters::paisy
