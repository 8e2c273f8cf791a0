#include "calc/interface_lines.h"

namespace lug::calc {
namespace {

// Every line, with the validity dates once more as stored and the booked-day
// rule, in the order of the statements that read lines with a cursor.
constexpr char kAllLines[] =
    "select Lu1Num ,Lu1Stz ,Lu1Ztk ,Lu1Lna ,Lu1Lgr ,Lu1Gvo ,Lu1Gbi ,Lu1Rre ,Lu1Tgw ,Lu1Kst ,Lu1Ktr "
    ",Lu1Krt ,Lu1Tge ,Lu1Sol ,Lu1Svk ,Lu1Flg ,Lu1Lfn ,Lu1Sts ,Lu1Fkt ,Lu1Ztr ,Lu1Mog ,Lu1Sta "
    ",Lu1Gvo ,Lu1Gbi ,Lu1Art  from Hor171Lu1 order by Lu1Ztk,Lu1Lna,Lu1Gvo desc";

constexpr char kGroupInterface[] = "select AkrLug  from O1001AbrKreis where AkrNum=:b0";

}  // namespace

InterfaceLines& InterfaceLines::of(RunContext& ctx) {
  if (!ctx.interfaceLines) ctx.interfaceLines.reset(new InterfaceLines(ctx));
  return *ctx.interfaceLines;
}

InterfaceLines::InterfaceLines(RunContext& ctx) {
  db::Cursor c(ctx.db, kAllLines);
  int st = openCursor(ctx, c, {});
  Line s;
  InterfaceLine& l = s.values;
  while (st == db::kOk && (st = c.fetch({l.num,
                                         l.stz,
                                         l.ztk,
                                         l.lna,
                                         l.lgr,
                                         l.gvo,
                                         l.gbi,
                                         l.rre,
                                         l.tgw,
                                         l.kst,
                                         l.ktr,
                                         l.krt,
                                         l.tge,
                                         l.sol,
                                         l.svk,
                                         l.flg,
                                         l.lfn,
                                         l.sts,
                                         l.fkt,
                                         l.ztr,
                                         l.mog,
                                         l.sta,
                                         db::Out(s.gvo).asStored(),
                                         db::Out(s.gbi).asStored(),
                                         s.art})) == db::kOk)
    lines_.push_back(s);
  c.close();
  ctx.abortIfFatal(st);
  inMemory_ = st == db::kNoData;
  if (!inMemory_) lines_.clear();
}

bool InterfaceLines::validIn(const Line& line, const std::string& von, const std::string& bis) {
  return !line.gvo.empty() && !von.empty() && line.gvo <= von &&
         (line.gbi.empty() || (!bis.empty() && line.gbi >= bis));
}

std::vector<const InterfaceLine*> InterfaceLines::select(const Keep& keep) const {
  std::vector<const InterfaceLine*> out;
  for (const Line& l : lines_)
    if (keep(l)) out.push_back(&l.values);
  return out;
}

int InterfaceLines::selectOne(const Keep& keep, const InterfaceLine*& line) const {
  line = nullptr;
  int found = 0;
  for (const Line& l : lines_) {
    if (!keep(l)) continue;
    if (++found > 1) {
      line = nullptr;
      return kTooManyRows;
    }
    line = &l.values;
  }
  return found == 1 ? db::kOk : db::kNoData;
}

const std::vector<const InterfaceLines::Line*>* InterfaceLines::ofGroup(RunContext& ctx,
                                                                        const std::string& akr) {
  if (!inMemory_) return nullptr;
  auto [group, added] = groups_.try_emplace(akr);
  if (!added) return group->second ? &*group->second : nullptr;
  db::Cursor c(ctx.db, kGroupInterface);
  int st = openCursor(ctx, c, {akr});
  std::vector<const Line*> lines;
  std::string lug;
  while (st == db::kOk && (st = c.fetch({lug})) == db::kOk)
    for (const Line& l : lines_)
      if (equal(l.values.num, lug)) lines.push_back(&l);
  c.close();
  ctx.abortIfFatal(st);
  if (st == db::kNoData) group->second = std::move(lines);
  return group->second ? &*group->second : nullptr;
}

LineCursor::LineCursor(RunContext& ctx, const char* statement, InterfaceLines::Keep keep)
    : cursor_(ctx.db, statement), lines_(InterfaceLines::of(ctx)), keep_(std::move(keep)) {}

int LineCursor::open(db::Ins in) {
  if (!lines_.inMemory()) return cursor_.open(in);
  selected_ = lines_.select(keep_);
  next_ = 0;
  return db::kOk;
}

int LineCursor::fetch(InterfaceLine& line) {
  if (!lines_.inMemory()) return fetchLine(cursor_, line);
  if (next_ >= selected_.size()) return db::kNoData;
  line = *selected_[next_++];
  return db::kOk;
}

void LineCursor::close() {
  if (!lines_.inMemory()) cursor_.close();
  selected_.clear();
}

}  // namespace lug::calc
