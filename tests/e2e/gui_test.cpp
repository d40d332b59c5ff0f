// The Windows dialog on a screen: Wine on a private X server, driven by clicks.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_fixture.h"

namespace tvtest::e2e {
namespace {

struct Control {
  int id;
  std::string className, text;
  int x, y, width, height;
  bool visible, tabStop;
  int check;
  bool defaultButton;
};

struct Probe {
  std::vector<Control> controls;
  int focus = 0;
};

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, '|');) fields.push_back(field);
  return fields;
}

bool ParseProbe(const std::string& output, Probe* probe) {
  std::stringstream in(output);
  bool focusSeen = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f = Split(line);
    if (f.size() == 12 && f[0] == "control") {
      probe->controls.push_back({std::stoi(f[1]), f[2], f[3], std::stoi(f[4]), std::stoi(f[5]),
                                 std::stoi(f[6]), std::stoi(f[7]), f[8] == "1", f[9] == "1",
                                 std::stoi(f[10]), f[11] == "1"});
    } else if (f.size() == 2 && f[0] == "focus") {
      probe->focus = std::stoi(f[1]);
      focusSeen = true;
    }
  }
  return focusSeen;
}

class GuiTest : public E2eTest {
 protected:
  void SetUp() override {
    if (!TV_E2E_WINE) GTEST_SKIP() << "the Windows dialog runs under Wine (windows preset)";
    if (!VirtualScreen::Available()) GTEST_SKIP() << "Xvfb is not installed";
    if (!HaveProgram("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    E2eTest::SetUp();
    if (IsSkipped()) return;
    // A Wine session keeps the display it started with: begin a fresh one on the screen.
    RestartWine();
    ASSERT_TRUE(screen.Start()) << "Xvfb did not start";
    harness->SetDisplay(screen.Display());
    // No window manager runs on the private screen: Wine draws the frames and captions itself.
    harness->RunInEnvironment(
        {"wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f"});
  }

  void TearDown() override {
    // Later tests run without a display: they must not inherit this session's screen.
    if (harness) RestartWine();
  }

  void RestartWine() {
    harness->RunInEnvironment({"wineserver", "-k"}, 60000);
    harness->RunInEnvironment({"wineserver", "-w"}, 60000);
  }

  // True once the X server shows a window with the dialog's title; its id in windowId.
  bool WaitForWindow(int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      Result found = RunCommand({"xdotool", "search", "--name", "^Zorvane Database Tool$"},
                                {"DISPLAY=" + screen.Display()}, "", 30000);
      if (found.exitStatus == 0 && !found.out.empty()) {
        windowId = found.out.substr(0, found.out.find('\n'));
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
  }

  bool Click(int x, int y) {
    return RunCommand({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"},
                      {"DISPLAY=" + screen.Display()}, "", 30000)
               .exitStatus == 0;
  }

  Probe ProbeDialog() {
    Probe probe;
    Result r = harness->RunInEnvironment({"wine", TV_E2E_PROBE, "dialog", "Zorvane Database Tool"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(ParseProbe(r.out, &probe)) << r.out;
    return probe;
  }

  VirtualScreen screen;
  std::string windowId;
};

TEST_F(GuiTest, TheDialogOpensInTemplateOrderAndExitWritesNoVersion) {
  std::unique_ptr<Child> app = harness->StartProgram({});
  ASSERT_TRUE(WaitForWindow(400)) << "the dialog did not appear";
  Probe probe = ProbeDialog();
  ASSERT_EQ(probe.controls.size(), 7u);
  const struct {
    int id;
    const char* className;
    const char* text;
  } expected[] = {
      {1, "Button", "Convert 3.0 -> 3.1"},
      {2, "Button", "Exit"},
      {1003, "Button", "BackUp Database"},
      {1004, "Button", "Restore Database"},
      {-1, "Static", ""},
      {1005, "Button", "Delete old database when done"},
      {1007, "Button", "Launch Zorvane when done"},
  };
  for (size_t i = 0; i < 7; ++i) {
    const Control& c = probe.controls[i];
    if (expected[i].id == -1) {
      EXPECT_TRUE(c.id == -1 || c.id == 0xFFFF) << c.id;
      EXPECT_FALSE(c.tabStop);
    } else {
      EXPECT_EQ(c.id, expected[i].id) << i;
      EXPECT_TRUE(c.tabStop) << c.text;
    }
    EXPECT_EQ(c.className, expected[i].className) << i;
    EXPECT_EQ(c.text, expected[i].text) << i;
    EXPECT_TRUE(c.visible) << i;
    EXPECT_FALSE(c.defaultButton) << i;
  }
  // Both boxes start checked; read top to bottom: backup, restore, convert, boxes, line, exit.
  EXPECT_EQ(probe.controls[5].check, 1);
  EXPECT_EQ(probe.controls[6].check, 1);
  EXPECT_LT(probe.controls[2].y, probe.controls[3].y);
  EXPECT_LT(probe.controls[3].y, probe.controls[0].y);
  EXPECT_LT(probe.controls[0].y, probe.controls[5].y);
  EXPECT_LT(probe.controls[6].y, probe.controls[4].y);
  EXPECT_LT(probe.controls[4].y, probe.controls[1].y);
  EXPECT_EQ(probe.focus, 1);

  std::string artifacts = TV_E2E_ARTIFACTS;
  std::filesystem::create_directories(artifacts);
  EXPECT_TRUE(screen.Screenshot(artifacts + "/dialog.png", windowId));

  const Control& exitButton = probe.controls[1];
  ASSERT_TRUE(Click(exitButton.x + exitButton.width / 2, exitButton.y + exitButton.height / 2));
  Result ended = app->Wait(60000);
  EXPECT_FALSE(ended.timedOut);
  EXPECT_EQ(ended.exitStatus, 0);
  EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
  EXPECT_TRUE(harness->StoredDataFolder().has_value());
}

TEST_F(GuiTest, LowerCaseSilentShowsTheDialogAndASecondCopyEndsAtOnce) {
  std::unique_ptr<Child> app = harness->StartProgram({"/silent"});
  ASSERT_TRUE(WaitForWindow(400)) << "\"/silent\" did not show the dialog";
  Result second = harness->Run({"/SILENT"}, "", 60000);
  EXPECT_EQ(second.exitStatus, 3);
  EXPECT_EQ(second.out, "");
  Probe probe = ProbeDialog();
  ASSERT_EQ(probe.controls.size(), 7u);
  const Control& exitButton = probe.controls[1];
  ASSERT_TRUE(Click(exitButton.x + exitButton.width / 2, exitButton.y + exitButton.height / 2));
  Result ended = app->Wait(60000);
  EXPECT_EQ(ended.exitStatus, 0);
  EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
}

}  // namespace
}  // namespace tvtest::e2e
