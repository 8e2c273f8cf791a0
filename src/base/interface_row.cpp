#include "base/interface_row.h"

namespace lug {
namespace {

constexpr char kInterfaceRow[] =
    "select LugLug ,LugLgp ,LugAnz ,LugDtm ,LugMon ,LugUnt ,LugFir ,LugAkr ,LugPnr ,LugSta into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19  from "
    "Hor171Lug where LugLug=(select AkrLug  from O1001AbrKreis where AkrNum=:b20)";

}  // namespace

int readInterfaceRow(db::Session& s, const std::string& akr, InterfaceRow& r) {
  r = InterfaceRow{};
  return s.exec(kInterfaceRow, {akr},
                {r.lug, r.lgp, r.anz, r.dtm, r.mon, r.unt, r.fir, r.akr, r.pnr, r.sta});
}

}  // namespace lug
