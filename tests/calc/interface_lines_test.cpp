#include "calc/interface_lines.h"

#include <gtest/gtest.h>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

constexpr char kLinesOfKind[] =
    "select Lu1Num ,Lu1Stz ,Lu1Ztk ,Lu1Lna ,Lu1Lgr ,Lu1Gvo ,Lu1Gbi ,Lu1Rre ,Lu1Tgw ,Lu1Kst ,Lu1Ktr "
    ",Lu1Krt ,Lu1Tge ,Lu1Sol ,Lu1Svk ,Lu1Flg ,Lu1Lfn ,Lu1Sts ,Lu1Fkt ,Lu1Ztr ,Lu1Mog ,Lu1Sta  from "
    "Hor171Lu1 where (((Lu1Num=:b0 and Lu1Stz=:b1) and Lu1Gvo<=:b2) and (Lu1Gbi is null  or "
    "Lu1Gbi>=:b3)) order by Lu1Ztk,Lu1Lna,Lu1Gvo desc";
constexpr char kLineOfKey[] =
    "select Lu1Lna ,Lu1Ztk ,Lu1Stz into :b0:b1,:b2:b3,:b4:b5  from Hor171lu1 where (((Lu1Num=:b6 "
    "and Lu1Lgr=:b7) and Lu1Gvo<=:b8) and (Lu1Gbi is null  or Lu1Gbi>=:b9))";

std::string described(const InterfaceLine& l) {
  return l.num + "|" + l.stz + "|" + l.ztk + "|" + l.lna + "|" + l.gvo + "|" + l.gbi + "|" +
         std::to_string(l.ztr);
}

// The lines served from memory are the lines the statements read: validity
// dates with a time of day, open and missing ends, empty keys, other
// interfaces and record kinds, and a key found twice.
class InterfaceLinesTest : public CalcTest {
 protected:
  InterfaceLinesTest() {
    addLine(inst, {.ztk = "NORM", .lna = "1000", .gvo = "2020.01.01", .ztr = 1});
    addLine(inst, {.ztk = "NORM", .lna = "1000", .gvo = "2023.06.01", .ztr = 2});
    addLine(inst, {.ztk = "NORM", .lna = "1001", .gvo = "2024.01.15"});
    addLine(inst, {.ztk = "URL", .lna = "2000", .gvo = "2023.12.31 10:00:00"});
    addLine(inst, {.ztk = "URL", .lna = "2001", .gvo = "2024.01.01 10:00:00"});
    addLine(inst, {.ztk = "GLZ", .lna = "3000", .lgr = "K1", .gbi = "2024.01.31"});
    addLine(inst, {.ztk = "GLZ", .lna = "3001", .lgr = "K2", .gbi = "2024.01.30 23:00:00"});
    addLine(inst, {.ztk = "GLZ", .lna = "3002", .lgr = "K1", .gbi = "2024.01.31 08:00:00"});
    addLine(inst, {.ztk = "ANW", .lna = "4000", .lgr = "K3", .gvo = ""});
    addLine(inst, {.stz = "", .ztk = "ANW", .lna = "4001"});
    addLine(inst, {.stz = "LB", .ztk = "ANW", .lna = "4002", .lgr = "K3"});
    addLine(inst, {.ztk = "ANW", .lna = "4003", .lgr = "K4", .lug = "L2"});
  }

  std::vector<std::string> fromStatement(const std::string& num, const std::string& stz,
                                         const std::string& von, const std::string& bis) {
    db::Cursor c(ctx.db, kLinesOfKind);
    EXPECT_EQ(c.open({num, stz, von, bis}), db::kOk);
    std::vector<std::string> out;
    InterfaceLine l;
    while (fetchLine(c, l) == db::kOk) out.push_back(described(l));
    return out;
  }

  std::vector<std::string> fromMemory(const std::string& num, const std::string& stz,
                                      const std::string& von, const std::string& bis) {
    LineCursor c(ctx, kLinesOfKind, [&](const InterfaceLines::Line& l) {
      return InterfaceLines::equal(l.values.num, num) && InterfaceLines::equal(l.values.stz, stz) &&
             InterfaceLines::validIn(l, von, bis);
    });
    EXPECT_EQ(c.open({num, stz, von, bis}), db::kOk);
    std::vector<std::string> out;
    InterfaceLine l;
    while (c.fetch(l) == db::kOk) out.push_back(described(l));
    return out;
  }
};

TEST_F(InterfaceLinesTest, LinesOfARecordKindAsTheStatementReadsThem) {
  const struct {
    std::string num, stz, von, bis;
  } cases[] = {
      {"L1", "LA", "2024.01.01", "2024.01.31"}, {"L1", "LA", "2024.01.15", "2024.01.30"},
      {"L1", "LA", "2023.12.31", "2024.01.31"}, {"L1", "LB", "2024.01.01", "2024.01.31"},
      {"L1", "", "2024.01.01", "2024.01.31"},   {"L2", "LA", "2024.01.01", "2024.01.31"},
      {"", "LA", "2024.01.01", "2024.01.31"},   {"L1", "LA", "", "2024.01.31"},
      {"L1", "LA", "2024.01.01", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.num + "/" + c.stz + "/" + c.von + "/" + c.bis);
    EXPECT_EQ(fromMemory(c.num, c.stz, c.von, c.bis), fromStatement(c.num, c.stz, c.von, c.bis));
  }
  EXPECT_EQ(fromMemory("L1", "LA", "2024.01.01", "2024.01.31").size(), 5u);
}

TEST_F(InterfaceLinesTest, OneLineOfAKeyWithTheStatementsStatuses) {
  const InterfaceLines& lines = InterfaceLines::of(ctx);
  ASSERT_TRUE(lines.inMemory());
  for (const std::string key : {"K1", "K2", "K3", "K4", ""}) {
    for (const std::string bis : {"2024.01.30", "2024.01.31"}) {
      SCOPED_TRACE(key + "/" + bis);
      std::string lna, ztk, stz;
      const int expected = ctx.db.exec(kLineOfKey, {"L1", key, "2024.01.01", bis}, {lna, ztk, stz});
      const InterfaceLine* line = nullptr;
      const int st = lines.selectOne(
          [&](const InterfaceLines::Line& l) {
            return InterfaceLines::equal(l.values.num, "L1") &&
                   InterfaceLines::equal(l.values.lgr, key) &&
                   InterfaceLines::validIn(l, "2024.01.01", bis);
          },
          line);
      EXPECT_EQ(st, expected);
      EXPECT_EQ(line ? line->lna + "|" + line->ztk + "|" + line->stz : "||",
                lna + "|" + ztk + "|" + stz);
    }
  }
}

}  // namespace
}  // namespace lug::calc::test
