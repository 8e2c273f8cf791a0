#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/installation.h"

namespace lug::test {

void expectGoldenFile(const std::string& bytes, const std::string& goldenPath) {
  const std::filesystem::path path = std::filesystem::path(LUG_TEST_SOURCE_DIR) / goldenPath;
  if (std::getenv("LUG_UPDATE_GOLDEN")) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  ASSERT_TRUE(std::filesystem::exists(path)) << "no golden file " << path;
  EXPECT_EQ(bytes, readFile(path)) << "differs from " << goldenPath;
}

}  // namespace lug::test
