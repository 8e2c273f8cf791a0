// The file writers of the PAISY(Br) exporter. The statements round hours and
// counters to the columns' implied decimals before padding: the unrounded
// number text of 100 minutes (166.666…) would be cut into the field.
#include <cmath>
#include <string>

#include "export/paisy_br/paisy_br_steps.h"

namespace lug::exporters::paisy_br {
namespace {

constexpr char kP1Lines[] =
    "select LPAD(NVL(Ps1Stz,' '),2,' ') ,LPAD(NVL(Ps1Frm,' '),2,' ') ,LPAD(NVL(Ps1F02,' '),2,' ') "
    ",LPAD(NVL(Ps1Prs,' '),6,' ') ,LPAD(NVL(Ps1F04,' '),4,' ') ,LPAD(NVL(Ps1Abt,'0'),2,'0') "
    ",LPAD(NVL(Ps1Abd,'0'),4,'0') ,LPAD(NVL(Ps1Abn,'0'),1,'0') ,LPAD(NVL(Ps1Dne,' '),1,' ') "
    ",LPAD(NVL(Ps1F10,'0'),2,'0') ,LPAD(NVL(Ps1Lhn,'0'),3,'0') ,LPAD(NVL(Ps1St1,' '),1,' ') "
    ",LPAD(NVL(Ps1F11,'0'),2,' ') ,LPAD(ROUND(NVL(Ps1Ztd,0)* 100),6,'0') "
    ",LPAD(NVL(Ps1St2,' '),1,' ') ,LPAD(NVL(Ps1F13,'0'),2,' ') ,LPAD(NVL(Ps1Lhg,' '),3,' ') "
    ",LPAD(NVL(Ps1St3,' '),1,' ') ,LPAD(NVL(Ps1F14,' '),6,' ') ,LPAD(NVL(Ps1Kst,' '),5,' ') "
    ",LPAD(NVL(Ps1F25,' '),25,' ') ,ROUND(NVL(Ps1Ztd,0)* 100)  from Hor333PS1b  order by "
    "Ps1Prs,Ps1Abd,Ps1Lhn,Ps1Lhg";
constexpr char kP3Lines[] =
    "select lpad(NVL(Ps3Stz,' '),2,' ') ,lpad(NVL(Ps3Frm,' '),2,' ') ,lpad(NVL(Ps3F02,' '),2,' ') "
    ",lpad(NVL(Ps3Prs,' '),6,' ') ,lpad(NVL(Ps3F04,' '),4,' ') ,lpad(NVL(Ps3Bdt,' '),6,' ') "
    ",lpad(NVL(Ps3Abn,' '),1,' ') ,lpad(NVL(Ps3F01,' '),1,' ') ,lpad(NVL(Ps3Aln,' '),2,' ') "
    ",lpad(NVL(Ps3Lna,' '),3,' ') ,lpad(NVL(Ps3Eln,' '),1,' ') ,lpad(NVL(Ps3Azt,' '),2,' ') "
    ",lpad(NVL(Ps3Zet,' '),5,' ') ,lpad(NVL(Ps3Ezt,' '),1,' ') ,lpad(NVL(Ps3Aen,' '),2,' ') "
    ",lpad(NVL(Ps3Edt,' '),6,' ') ,lpad(NVL(Ps3Een,' '),1,' ') ,Ps3Res  from HOR333Ps3b  order by "
    "Ps3Prs";
constexpr char kP4Lines[] =
    "select lpad(NVL(Ps4Stz,' '),2,' ') ,lpad(NVL(Ps4Frm,' '),2,' ') ,lpad(NVL(Ps4F02,' '),2,' ') "
    ",lpad(NVL(Ps4Prs,' '),6,' ') ,lpad(NVL(Ps4F06,' '),6,' ') ,lpad(NVL(Ps4Abd,'0'),4,'0') "
    ",lpad(NVL(Ps4Abn,'0'),1,' ') ,lpad(NVL(Ps4Dne,' '),1,' ') ,lpad(NVL(Ps4F37,'0'),2,' ') "
    ",lpad(ROUND(NVL(Ps4Bta,0)* 10),3,'0') ,lpad(NVL(Ps4St1,' '),1,' ') "
    ",lpad(NVL(Ps4F33,'0'),2,' ') ,lpad(ROUND(NVL(Ps4Bas,0)* 100),5,'0') "
    ",lpad(NVL(Ps4St2,' '),1,' ') ,lpad(NVL(Ps4F12,'0'),2,' ') ,lpad(ROUND(NVL(Ps4Sta,0)* "
    "10),3,'0') "
    ",lpad(NVL(Ps4St3,' '),1,' ') ,lpad(NVL(Ps4F13,'0'),2,' ') ,lpad(ROUND(NVL(Ps4Sva,0)* "
    "10),3,'0') "
    ",lpad(NVL(Ps4St4,' '),1,' ') ,lpad(NVL(Ps4F14,'0'),2,' ') ,lpad(ROUND(NVL(Ps4Ana,0)* "
    "10),3,'0') "
    ",lpad(NVL(Ps4St5,' '),1,' ') ,lpad(NVL(Ps4F15,'0'),2,' ') ,lpad(ROUND(NVL(Ps4Kra,0)* "
    "10),3,'0') "
    ",lpad(NVL(Ps4St6,' '),1,' ') ,lpad(NVL(Ps4F19,'0'),19,' ')  from HOR333Ps4b  order by Ps4Prs";

constexpr char kOpenFailure[] = "Schnittstellendatei P1b kann nicht geoeffnet werden !";
constexpr char kHoursTooLarge[] = "PNR %s: Stundenwert zu groß f.Übergabe (%.2f)";

// The hours column holds five characters: hundredths of at most 99999.
constexpr double kLargestHundredths = 99999;

struct P1Line {
  std::string stz, frm, f02, prs, f04, abt, abd, abn, dne, f10, lhn, st1, f11, ztd, st2, f13, lhg,
      st3, f14, kst, f25;
  double hundredths = 0;  // the hours as the column carries them
  // The day is always written as "00", Ps1Dne as a blank.
  std::string text() const {
    return stz + frm + f02 + prs + f04 + "00" + abd + abn + " " + f10 + lhn + st1 + f11 +
           hoursColumn(ztd) + st2 + f13 + lhg + st3 + f14 + kst + f25 + "\n";
  }
};
const Query<P1Line> kP1{
    .sql = kP1Lines,
    .columns = {&P1Line::stz, &P1Line::frm,       &P1Line::f02, &P1Line::prs, &P1Line::f04,
                &P1Line::abt, &P1Line::abd,       &P1Line::abn, &P1Line::dne, &P1Line::f10,
                &P1Line::lhn, &P1Line::st1,       &P1Line::f11, &P1Line::ztd, &P1Line::st2,
                &P1Line::f13, &P1Line::lhg,       &P1Line::st3, &P1Line::f14, &P1Line::kst,
                &P1Line::f25, &P1Line::hundredths}};

// Hours of 1,000 or more do not fit the hours column: cut, they would be paid
// as another number. Such a row is not written; the log names it.
bool fitsHoursColumn(Handover& h, const P1Line& line) {
  if (std::fabs(line.hundredths) <= kLargestHundredths) return true;
  reject(h.ctx, kHoursTooLarge, fullTrim(line.prs).c_str(), line.hundredths / 100);
  return false;
}

struct P3Line {
  std::string stz, frm, f02, prs, f04, bdt, abn, f01, aln, lna, eln, azt, zet, ezt, aen, edt, een,
      res;
  // The time columns are written for reversals ("00000") only.
  std::string text() const {
    const std::string time = zet == "00000" ? azt + zet + ezt : std::string();
    return stz + frm + f02 + prs + f04 + bdt + abn + f01 + aln + lna + eln + time + aen + edt +
           een + res + "\n";
  }
};
const Query<P3Line> kP3{
    .sql = kP3Lines,
    .columns = {&P3Line::stz, &P3Line::frm, &P3Line::f02, &P3Line::prs, &P3Line::f04, &P3Line::bdt,
                &P3Line::abn, &P3Line::f01, &P3Line::aln, &P3Line::lna, &P3Line::eln, &P3Line::azt,
                &P3Line::zet, &P3Line::ezt, &P3Line::aen, &P3Line::edt, &P3Line::een,
                &P3Line::res}};

// The record is the first 17 columns, up to Ps4St3; the statement's further
// columns are read and not written.
struct P4Line {
  std::string stz, frm, f02, prs, f06, abd, abn, dne, f37, bta, st1, f33, bas, st2, f12, sta, st3;
  std::string unwritten;
  std::string text() const {
    return stz + frm + f02 + prs + f06 + abd + abn + dne + f37 + bta + st1 + f33 + bas + st2 + f12 +
           sta + st3 + "\n";
  }
};
const Query<P4Line> kP4{
    .sql = kP4Lines,
    .columns = {&P4Line::stz,       &P4Line::frm,       &P4Line::f02,       &P4Line::prs,
                &P4Line::f06,       &P4Line::abd,       &P4Line::abn,       &P4Line::dne,
                &P4Line::f37,       &P4Line::bta,       &P4Line::st1,       &P4Line::f33,
                &P4Line::bas,       &P4Line::st2,       &P4Line::f12,       &P4Line::sta,
                &P4Line::st3,       &P4Line::unwritten, &P4Line::unwritten, &P4Line::unwritten,
                &P4Line::unwritten, &P4Line::unwritten, &P4Line::unwritten, &P4Line::unwritten,
                &P4Line::unwritten, &P4Line::unwritten, &P4Line::unwritten}};

template <class Line>
void write(Handover& h, const char* name, const Query<Line>& query,
           bool (*written)(Handover&, const Line&) = nullptr) {
  TransferFile& file = h.file(name, kOpenFailure);
  Line line;
  h.writeRows(query, {}, line, [&] {
    if (!written || written(h, line)) file.write(line.text());
  });
}

}  // namespace

std::string hoursColumn(std::string padded) {
  if (const size_t minus = padded.find('-'); minus != std::string::npos) {
    padded[minus] = '0';
    char& last = padded.back();
    if (last >= '0' && last <= '9') last = static_cast<char>('p' + (last - '0'));
  }
  return padded.empty() ? padded : padded.substr(1);
}

void writeFiles(Handover& h) {
  write(h, "PaisyP1b.txt", kP1, fitsHoursColumn);
  write(h, "PaisyP3b.txt", kP3);
  write(h, "PaisyP4b.txt", kP4);
}

}  // namespace lug::exporters::paisy_br
