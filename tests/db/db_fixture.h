#pragma once
// A session on a fresh test schema, and helpers to evaluate Oracle
// expressions through it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "db/session.h"
#include "support/installation.h"

namespace lug::db::testing {

// The session prepares a text once and finds it again by the address of the
// text; a test that builds its texts keeps one lasting copy of each.
inline const char* statement(const std::string& text) {
  static std::set<std::string> texts;
  return texts.insert(text).first->c_str();
}

class DbTest : public ::testing::Test {
 protected:
  explicit DbTest(test::TestEngine engine = test::defaultTestEngine()) : inst("TEST", engine) {}

  Session& db() { return inst.db(); }

  // "select <expr> into :o0:o1  from dual " with the inputs bound.
  int eval(const std::string& expr, Ins in, std::string& out) {
    return db().exec(statement("select " + expr + " into :o0:o1  from dual "), in, {out});
  }
  // The expression's value as text; a status other than 0 fails the test.
  std::string text(const std::string& expr, Ins in = {}) {
    std::string out;
    const int st = eval(expr, in, out);
    EXPECT_EQ(st, kOk) << expr;
    return out;
  }

  test::Installation inst;
};

}  // namespace lug::db::testing
