#include "export/transfer_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>

#include "base/run_exit.h"
#include "export/framework.h"
#include "export/transfer_files.h"
#include "support/installation.h"

namespace lug::exporters {
namespace {

namespace fs = std::filesystem;
using test::readFile;

void writeFile(const fs::path& p, const std::string& bytes) {
  std::FILE* f = std::fopen(p.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// Runs `body` in a child process and returns its exit status (128 + signal
// when it was killed).
template <typename Body>
int inChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class TransferFileTest : public ::testing::Test {
 protected:
  TransferFileTest() {
    fs::create_directories(exportDir);
    fs::create_directories(former);
  }

  // Names in the export directory, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(exportDir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::Installation inst;
  fs::path exportDir = inst.exportDir();
  fs::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  fs::path target = exportDir / "datev.csv";
};

TEST_F(TransferFileTest, FormerTransferDirectoryLiesBesideTheExportTree) {
  EXPECT_EQ(formerTransferDir("../Transfer/Lohn und Gehalt/Export/FIRMA"),
            fs::path("../Transfer/Lohn- und Gehaltsübergabe"));
  EXPECT_EQ(formerTransferDir(exportDir), former);
}

TEST_F(TransferFileTest, WritesWindows1252WithCrLfUnderItsNameOnlyAtCommit) {
  writeFile(former / "datev.csv", "old");
  writeFile(former / "other.csv", "kept");
  TransferFile file(exportDir, "datev.csv");
  ASSERT_TRUE(file.open());
  EXPECT_FALSE(fs::exists(former / "datev.csv"));
  EXPECT_TRUE(fs::exists(former / "other.csv"));
  file.write("4711;;Büro\n");
  file.printf("%s;%d;%s\n", "Lohnart", 12, "Überstunden 25 %");
  EXPECT_FALSE(fs::exists(target));
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(readFile(target),
            "4711;;B\xFCro\r\nLohnart;12;\xDC"
            "berstunden 25 %\r\n");
  EXPECT_EQ(entries(), std::vector<std::string>{"datev.csv"});
}

TEST_F(TransferFileTest, MissingFormerFileIsNoError) {
  fs::remove_all(former);
  TransferFile file(exportDir, "datev.csv");
  ASSERT_TRUE(file.open());
  EXPECT_TRUE(file.commit());
  EXPECT_EQ(readFile(target), "");
}

TEST_F(TransferFileTest, FileThatCannotBeCreatedFailsToOpen) {
  TransferFile file(inst.root() / "Transfer" / "missing", "datev.csv");
  EXPECT_FALSE(file.open());
  EXPECT_FALSE(file.commit());
}

TEST_F(TransferFileTest, FailureBeforeTheRenameKeepsThePreviousFile) {
  writeFile(target, "previous\r\n");
  {
    TransferFile file(exportDir, "datev.csv");
    ASSERT_TRUE(file.open());
    file.write("half a line");
    EXPECT_TRUE(fs::exists(file.temporaryPath()));
    // the exporter ends here, e.g. through the abort routine
  }
  EXPECT_EQ(readFile(target), "previous\r\n");
  EXPECT_EQ(entries(), std::vector<std::string>{"datev.csv"});
}

TEST_F(TransferFileTest, WriteErrorFailsTheCommitAndKeepsThePreviousFile) {
  writeFile(target, "previous\r\n");
  // The file system refuses to grow the file beyond 64 bytes.
  const int status = inChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64, 64};
    setrlimit(RLIMIT_FSIZE, &limit);
    TransferFile file(exportDir, "datev.csv");
    if (!file.open()) _exit(2);
    for (int i = 0; i < 100; ++i) file.write("4711;5;;100;8,00;;;;;4100;\n");
    _exit(file.commit() ? 3 : 0);
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(readFile(target), "previous\r\n");
  EXPECT_EQ(entries(), std::vector<std::string>{"datev.csv"});
}

TEST_F(TransferFileTest, ProcessKilledWhileWritingLeavesThePreviousFile) {
  writeFile(target, "previous\r\n");
  const int status = inChild([&] {
    TransferFile file(exportDir, "datev.csv");
    if (!file.open()) _exit(2);
    file.write("4711;5;;100;8,00;;;;;4100;\n");
    std::fflush(nullptr);
    std::raise(SIGKILL);
  });
  EXPECT_EQ(status, 128 + SIGKILL);
  EXPECT_EQ(readFile(target), "previous\r\n");

  // The next run replaces the left-over temporary file and leaves none.
  TransferFile file(exportDir, "datev.csv");
  ASSERT_TRUE(file.open());
  file.write("new\n");
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(readFile(target), "new\r\n");
  EXPECT_EQ(entries(), std::vector<std::string>{"datev.csv"});
}

TEST_F(TransferFileTest, LinkPlantedAsTheTemporaryFileIsReplacedNotFollowed) {
  const fs::path victim = inst.root() / "victim.txt";
  writeFile(victim, "keep");
  TransferFile file(exportDir, "datev.csv");
  fs::create_symlink(victim, file.temporaryPath());
  ASSERT_TRUE(file.open());
  file.write("4711\n");
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(readFile(victim), "keep");
  EXPECT_FALSE(fs::is_symlink(target));
  EXPECT_EQ(readFile(target), "4711\r\n");
  EXPECT_EQ(entries(), std::vector<std::string>{"datev.csv"});
}

TEST_F(TransferFileTest, OnlyTheFileWrittenTakesTheName) {
  writeFile(target, "previous\r\n");
  const fs::path victim = inst.root() / "victim.txt";
  writeFile(victim, "keep");
  TransferFile file(exportDir, "datev.csv");
  ASSERT_TRUE(file.open());
  file.write("4711\n");
  // Swapped in while the file is being written.
  fs::remove(file.temporaryPath());
  fs::create_symlink(victim, file.temporaryPath());
  EXPECT_FALSE(file.commit());
  EXPECT_FALSE(fs::is_symlink(target));
  EXPECT_EQ(readFile(target), "previous\r\n");
  EXPECT_EQ(readFile(victim), "keep");
  EXPECT_EQ(entries(), std::vector<std::string>{"datev.csv"});
}

class TransferFileRuleTest : public TransferFileTest {
 protected:
  TransferFileRuleTest() {
    inst.insert("O1001AbrKreis", {{"AkrNum", "G1"}, {"AkrAdt", 0}});
    ctx.akr = "G1";
  }
  base::RunLog runLog{inst.logPath().string()};
  RunContext ctx{inst.db(), runLog};
};

TEST_F(TransferFileRuleTest, FileThatCannotBeOpenedEndsTheProcessWithoutAbort) {
  ctx.exportDir = (exportDir / "missing").string();
  TransferFiles files(ctx, {"datev.csv"});
  try {
    files.open("datev.csv", "Datevdatei kann nicht geoeffnet werden !");
    FAIL() << "the exporter went on";
  } catch (const base::RunExit& e) {
    EXPECT_EQ(e.status, 1);
  }
  EXPECT_EQ(inst.logText(), "Datevdatei kann nicht geoeffnet werden !\r\n");
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "0");
}

TEST_F(TransferFileRuleTest, FileThatCannotBeCompletedEndsTheProcessWithoutAFile) {
  writeFile(target, "previous\r\n");
  ctx.exportDir = exportDir.string();
  TransferFiles files(ctx, {"datev.csv"});
  files.open("datev.csv", "Datevdatei kann nicht geoeffnet werden !").write("line\n");
  fs::remove_all(exportDir);  // the directory is gone before the rename
  EXPECT_THROW(files.complete(), base::RunExit);
  EXPECT_EQ(inst.logText(),
            "\xDC"
            "bergabedatei datev.csv kann nicht geschrieben werden !\r\n");
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "0");
  EXPECT_FALSE(fs::exists(target));
}

}  // namespace
}  // namespace lug::exporters
