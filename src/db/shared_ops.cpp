#include "db/shared_ops.h"

namespace lug::db {
namespace {

constexpr char kClockLong[] =
    "select TO_CHAR(SYSDATE,'dd.mm.yyyy hh24:mi:ss') into :b0  from dual ";
constexpr char kClockTime[] = "select TO_CHAR(SYSDATE,'hh24:mi:ss') into :b0  from dual ";
constexpr char kClockIso[] = "select TO_CHAR(SYSDATE,'yyyy-mm-dd') into :b0  from dual ";
constexpr char kDateFormat[] = "alter SESSION SET NLS_DATE_FORMAT = 'yyyy.mm.dd'";
constexpr char kSite[] =
    "select MndSto into :b0:b1  from Horsystem.Hor112Mnd where upper(MndSch)=:b2";

// The schema is bound as a text of at most 20 characters.
constexpr size_t kSiteSchemaWidth = 20;
constexpr size_t kSiteWidth = 5;

}  // namespace

int clockLong(Session& s, std::string& out) {
  return s.exec(kClockLong, {}, {out});
}
int clockTime(Session& s, std::string& out) {
  return s.exec(kClockTime, {}, {out});
}
int clockIsoDate(Session& s, std::string& out) {
  return s.exec(kClockIso, {}, {out});
}
int setDateFormat(Session& s) {
  return s.execDynamic(kDateFormat);
}

int siteNumber(Session& s, const std::string& schema, std::string& site) {
  std::string value;
  int st = s.exec(kSite, {schema.substr(0, kSiteSchemaWidth)}, {value});
  site = value.size() <= kSiteWidth ? value : std::string();
  return st;
}

}  // namespace lug::db
