#include "base/run_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/run_exit.h"
#include "support/scratch_dir.h"

namespace lug::base {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

class RunLogTest : public ::testing::Test {
 protected:
  std::string oldLog(int number) const {
    return dir_.file("log#lug_" + std::to_string(number) + ".txt");
  }
  ScratchDir dir_;
  RunLog log_{dir_.file("log#lug.txt")};
};

TEST(RunLogPath, DefaultsToSuiteLogDirectory) {
  EXPECT_EQ(RunLog().path(), "../Horavia_php/log/log#lug.txt");
}

TEST_F(RunLogTest, AppendsWindows1252LinesWithCrLf) {
  log_.writef("\n\nProtokollierung gestartet, V%s", "5.80");
  log_.write("Übergabe für Akr 'A1'\nzweite Zeile");
  log_.writef("Fehler beim Lesen, Status: %d", -1403);
  EXPECT_EQ(readBytes(log_.path()),
            "\r\n\r\nProtokollierung gestartet, V5.80\r\n"
            "\xDC"
            "bergabe f\xFCr Akr 'A1'\r\nzweite Zeile\r\n"
            "Fehler beim Lesen, Status: -1403\r\n");
}

TEST_F(RunLogTest, LineReachingTheLimitIsNotAnOverflow) {
  writeBytes(log_.path(), "");
  fs::resize_file(log_.path(), RunLog::kSizeLimit - 12);
  EXPECT_NO_THROW(log_.write("1234567890"));
  EXPECT_EQ(fs::file_size(log_.path()), RunLog::kSizeLimit);
}

TEST_F(RunLogTest, LineCrossingTheLimitEndsTheRun) {
  writeBytes(log_.path(), "");
  fs::resize_file(log_.path(), RunLog::kSizeLimit - 11);
  try {
    log_.write("1234567890");
    FAIL() << "no RunExit";
  } catch (const RunExit& exit) {
    EXPECT_EQ(exit.status, 1);
  }
  const std::string tail =
      "1234567890\r\nAbbruch wegen LogFile-\xDC"
      "berlaufs !!";
  const std::string content = readBytes(log_.path());
  ASSERT_EQ(content.size(), RunLog::kSizeLimit - 11 + tail.size());
  EXPECT_EQ(content.substr(content.size() - tail.size()), tail);
  EXPECT_THROW(log_.write("x"), RunExit);
}

TEST_F(RunLogTest, RotationMovesOnlyLogToNumberOne) {
  log_.write("alt");
  log_.rotate();
  EXPECT_FALSE(fs::exists(log_.path()));
  EXPECT_EQ(readBytes(oldLog(1)), "alt\r\n");
  EXPECT_FALSE(fs::exists(oldLog(2)));
  log_.write("neu");
  EXPECT_EQ(readBytes(log_.path()), "neu\r\n");
}

TEST_F(RunLogTest, RotationDropsNumberNineAndShiftsTheRest) {
  for (int number = 1; number <= 9; ++number) writeBytes(oldLog(number), std::to_string(number));
  writeBytes(log_.path(), "current");
  log_.rotate();
  EXPECT_EQ(readBytes(oldLog(1)), "current");
  for (int number = 2; number <= 9; ++number) {
    EXPECT_EQ(readBytes(oldLog(number)), std::to_string(number - 1));
  }
  EXPECT_FALSE(fs::exists(oldLog(10)));
  EXPECT_FALSE(fs::exists(log_.path()));
}

TEST_F(RunLogTest, RotationSkipsMissingOldLogs) {
  writeBytes(oldLog(2), "two");
  writeBytes(oldLog(5), "five");
  log_.rotate();
  EXPECT_EQ(readBytes(oldLog(3)), "two");
  EXPECT_EQ(readBytes(oldLog(6)), "five");
  EXPECT_FALSE(fs::exists(oldLog(2)));
  EXPECT_FALSE(fs::exists(oldLog(1)));
}

// Another run of the suite may rotate or remove the log while this run
// writes to it: the next line goes to the file then at the log's path.
TEST_F(RunLogTest, LogMovedAsideOrRemovedGetsTheNextLineInANewFile) {
  log_.write("eins");
  fs::rename(log_.path(), oldLog(1));
  log_.write("zwei");
  fs::remove(log_.path());
  log_.write("drei");
  log_.rotate();
  log_.write("vier");
  EXPECT_EQ(readBytes(oldLog(2)), "eins\r\n");
  EXPECT_EQ(readBytes(oldLog(1)), "drei\r\n");
  EXPECT_EQ(readBytes(log_.path()), "vier\r\n");
}

TEST_F(RunLogTest, LinesToMissingDirectoryAreDropped) {
  RunLog lost(dir_.file("missing/log#lug.txt"));
  EXPECT_NO_THROW(lost.write("verloren"));
  EXPECT_NO_THROW(lost.rotate());
  EXPECT_FALSE(fs::exists(dir_.file("missing")));
}

TEST_F(RunLogTest, LinkPlantedAsTheLogIsNotFollowed) {
  const std::string victim = dir_.file("victim.txt");
  writeBytes(victim, "keep");
  fs::create_symlink(victim, log_.path());
  log_.write("Zeile");
  EXPECT_EQ(readBytes(victim), "keep");
  EXPECT_TRUE(fs::is_symlink(log_.path()));
}

TEST_F(RunLogTest, LinkPlantedInPlaceOfTheOpenLogIsNotFollowed) {
  const std::string victim = dir_.file("victim.txt");
  writeBytes(victim, "keep");
  log_.write("eins");
  fs::rename(log_.path(), oldLog(1));
  fs::create_symlink(victim, log_.path());
  log_.write("zwei");
  EXPECT_EQ(readBytes(victim), "keep");
  EXPECT_EQ(readBytes(oldLog(1)), "eins\r\n");
}

}  // namespace
}  // namespace lug::base
