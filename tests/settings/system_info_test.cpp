// The system facts of the platform layer that the settings rely on.
#include "platform/system_info.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "support/scratch_dir.h"

namespace {

TEST(SystemInfo, NamesAreThereAndTheComputerNameIsShort) {
  std::string name;
  ASSERT_TRUE(platform::ComputerName(&name));
  EXPECT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
  std::string user;
  EXPECT_TRUE(platform::LogonUserName(&user));
  EXPECT_FALSE(user.empty());
  platform::OsVersionInfo version;
  ASSERT_TRUE(platform::GetOsVersion(&version));
  EXPECT_EQ(version.size, 148u);
  EXPECT_EQ(version.platformId, platform::kPlatformNt);
  EXPECT_GE(version.majorVersion, 4u);
}

TEST(SystemInfo, TheApplicationDataFolderExists) {
  std::string folder;
  ASSERT_TRUE(platform::AppDataFolder(&folder));
  EXPECT_FALSE(folder.empty());
  EXPECT_FALSE(platform::IsPathSeparator(folder.back()));
  EXPECT_TRUE(platform::IsDirectory(folder));
}

#ifndef _WIN32
class XdgDataTest : public tvtest::ScratchTest {
 protected:
  tvtest::ScopedEnvironment m_dataHome{"XDG_DATA_HOME"}, m_home{"HOME"};
};

TEST_F(XdgDataTest, TheXdgFolderIsCreatedWhenMissing) {
  std::string wanted = scratch.File("data/home");
  ::setenv("XDG_DATA_HOME", wanted.c_str(), 1);
  std::string folder;
  ASSERT_TRUE(platform::AppDataFolder(&folder));
  EXPECT_EQ(folder, wanted);
  EXPECT_TRUE(platform::IsDirectory(wanted));
}

TEST_F(XdgDataTest, HomeGivesTheDefaultAndNoHomeGivesNothing) {
  ::unsetenv("XDG_DATA_HOME");
  std::string home = scratch.MakeDir("home");
  ::setenv("HOME", home.c_str(), 1);
  std::string folder;
  ASSERT_TRUE(platform::AppDataFolder(&folder));
  EXPECT_EQ(folder, home + "/.local/share");
  EXPECT_TRUE(platform::IsDirectory(folder));
  ::unsetenv("HOME");
  folder.clear();
  EXPECT_FALSE(platform::AppDataFolder(&folder));
  EXPECT_EQ(folder, "");
  // A relative XDG folder is ignored.
  ::setenv("XDG_DATA_HOME", "relative", 1);
  EXPECT_FALSE(platform::AppDataFolder(&folder));
}

TEST(SystemInfoPosix, FixedFactsStandInForTheWindowsOnes) {
  EXPECT_EQ(platform::SystemColor(platform::SystemColorId::kWindow), 0x00FFFFFFu);
  EXPECT_EQ(platform::SystemColor(platform::SystemColorId::kWindowText), 0u);
  std::string group = "unchanged";
  EXPECT_FALSE(platform::WorkgroupName(&group));
  EXPECT_EQ(group, "unchanged");
}
#endif

}  // namespace
