#pragma once
// Test fixtures for the database engines: BothEngines runs a test once on the
// embedded engine and once on the PostgreSQL test server; PgOnly runs it on
// the server. Server cases are skipped when no server is configured.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/installation.h"
#include "support/pg_test_database.h"

namespace lug::test {

inline void skipWithoutServer() {
  if (!pgTestServerAvailable()) GTEST_SKIP() << "no PostgreSQL test server (LUG_TEST_PG)";
}

class BothEngines : public ::testing::TestWithParam<TestEngine> {
 protected:
  void SetUp() override {
    if (GetParam() == TestEngine::Postgres) skipWithoutServer();
    if (IsSkipped()) return;
    inst_ = std::make_unique<Installation>("TEST", GetParam());
  }
  Installation& inst() { return *inst_; }
  db::Session& db() { return inst_->db(); }

  std::unique_ptr<Installation> inst_;
};

class PgOnly : public ::testing::Test {
 protected:
  void SetUp() override {
    skipWithoutServer();
    if (IsSkipped()) return;
    inst_ = std::make_unique<Installation>("TEST", TestEngine::Postgres);
  }
  Installation& inst() { return *inst_; }
  db::Session& db() { return inst_->db(); }

  std::unique_ptr<Installation> inst_;
};

inline std::string engineName(const ::testing::TestParamInfo<TestEngine>& info) {
  return info.param == TestEngine::Postgres ? "Postgres" : "Sqlite";
}

// Insert-or-add on a table with a unique key (Hor155Sfr: SfrMod).
inline constexpr char kInsertMode[] = "insert into Hor155Sfr (SfrMod,SfrAnz) values (:b0,:b1)";
inline constexpr char kAddMode[] = "update Hor155Sfr  set SfrAnz=(SfrAnz+:b0) where SfrMod=:b1";

// Accounting group A with a LOGA interface that recalculates one period:
// periods 1 (January) and 2 (February 2024), a masked period record of
// period 1 and an old recalculation record in Hor331Zk4.
inline void addLogaGroup(Installation& inst) {
  inst.insert("O1001AbrKreis", {{"AkrNum", "A"}, {"AkrLug", "L1"}, {"AkrRrm", 1}, {"AkrAdt", 0}});
  inst.insert("Hor171Lug", {{"LugLug", "L1"}, {"LugLgp", "LOGA"}});
  inst.insert("Hor330Abr", {{"AbrAkr", "A"},
                            {"AbrNum", 1},
                            {"AbrVon", "2024.01.01"},
                            {"AbrBis", "2024.01.31"},
                            {"AbrSts", 0}});
  inst.insert("Hor330Abr", {{"AbrAkr", "A"},
                            {"AbrNum", 2},
                            {"AbrVon", "2024.02.01"},
                            {"AbrBis", "2024.02.29"},
                            {"AbrSts", 0}});
  inst.insert("Hor331Zk1", {{"Zk1Abr", 1}, {"Zk1Lfn", 0}, {"Zk1Pnr", "4711"}, {"Zk1Rre", -2}});
  inst.insert("Hor331Zk4", {{"Zk4Key", "old"}, {"Zk4Stz", "XX"}});
}

#define LUG_ON_BOTH_ENGINES(Suite)                                                           \
  INSTANTIATE_TEST_SUITE_P(                                                                  \
      Engines, Suite,                                                                        \
      ::testing::Values(::lug::test::TestEngine::Sqlite, ::lug::test::TestEngine::Postgres), \
      ::lug::test::engineName)

}  // namespace lug::test
