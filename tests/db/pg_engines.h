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

#define LUG_ON_BOTH_ENGINES(Suite)                                                           \
  INSTANTIATE_TEST_SUITE_P(                                                                  \
      Engines, Suite,                                                                        \
      ::testing::Values(::lug::test::TestEngine::Sqlite, ::lug::test::TestEngine::Postgres), \
      ::lug::test::engineName)

}  // namespace lug::test
