#include "platform/process.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/scratch_dir.h"

namespace {

using namespace platform;

std::string ChildProgram() {
  std::string path = ProgramPath();
  size_t cut = path.find_last_of(kPathSeparator);
  std::string name = "tv_test_child";
#ifdef _WIN32
  name += ".exe";
#endif
  return path.substr(0, cut + 1) + name;
}

class Process : public tvtest::ScratchTest {};

TEST_F(Process, RunsToTheEndWithTheArgumentsSplitAsOnWindows) {
  std::string out = scratch.File("out.txt");
  std::string command = "\"" + ChildProgram() + "\" \"" + out + "\" plain \"two words\" a\\\"b";
  ASSERT_TRUE(RunProcessAndWait(command)) << ErrorText(LastError());
  // The child writes only after a pause: the file is whole because the call waited.
  EXPECT_EQ(tvtest::ReadWholeFile(out), "plain\ntwo words\na\"b\n");
}

TEST_F(Process, TheExitCodeIsHandedBack) {
  uint32_t exitCode = 99;
  ASSERT_TRUE(
      RunProcessAndWait("\"" + ChildProgram() + "\" \"" + scratch.File("out") + "\"", &exitCode));
  EXPECT_EQ(exitCode, 0u);
  // Without arguments the child ends with exit code 2.
  ASSERT_TRUE(RunProcessAndWait("\"" + ChildProgram() + "\"", &exitCode));
  EXPECT_EQ(exitCode, 2u);
}

TEST_F(Process, MissingProgramFailsWithTheSystemsReason) {
  SetLastError(0);
  EXPECT_FALSE(RunProcessAndWait("zv-no-such-program-anywhere argument"));
  EXPECT_EQ(LastError(), ErrorCode(SysError::kFileNotFound));
  EXPECT_FALSE(RunProcessAndWait(""));
  EXPECT_NE(LastError(), 0u);
}

TEST_F(Process, NoShellInterpretsTheCommandLine) {
  std::string out = scratch.File("out.txt");
  std::string marker = scratch.File("marker");
  std::string command =
      "\"" + ChildProgram() + "\" \"" + out + "\" ; touch \"" + marker + "\" $HOME";
  ASSERT_TRUE(RunProcessAndWait(command));
  EXPECT_FALSE(tvtest::PathExists(marker));
  EXPECT_EQ(tvtest::ReadWholeFile(out), ";\ntouch\n" + marker + "\n$HOME\n");
}

}  // namespace
