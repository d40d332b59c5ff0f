// The Windows dialog on a screen: Wine on a private X server, driven by clicks.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_fixture.h"

#ifndef TV_E2E_ZVTOOL
#define TV_E2E_ZVTOOL ""
#endif

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
  int left = 0, top = 0, width = 0, height = 0;
  bool enabled = true;
  std::vector<Control> controls;
  int focus = 0;

  const Control* Find(const std::string& className, const std::regex& text) const {
    for (const Control& c : controls) {
      if (c.className == className && std::regex_search(c.text, text)) return &c;
    }
    return nullptr;
  }
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
    } else if (f.size() == 6 && f[0] == "window") {
      probe->left = std::stoi(f[1]);
      probe->top = std::stoi(f[2]);
      probe->width = std::stoi(f[3]);
      probe->height = std::stoi(f[4]);
      probe->enabled = f[5] == "1";
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
    harness->RunInEnvironment({"wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v",
                               "Managed", "/d", "N", "/f"});
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
    return WaitForWindow(seconds, "Zorvane Database Tool", &windowId);
  }

  // True once the X server shows a window with exactly that title; its X id in *id.
  bool WaitForWindow(int seconds, const std::string& title, std::string* id) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      Result found = RunCommand({"xdotool", "search", "--name", "^" + title + "$"},
                                {"DISPLAY=" + screen.Display()}, "", 30000);
      if (found.exitStatus == 0 && !found.out.empty()) {
        *id = found.out.substr(0, found.out.find('\n'));
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
  }

  Probe ProbeDialog() {
    Probe probe;
    Result r = harness->RunInEnvironment({"wine", TV_E2E_PROBE, "dialog", "Zorvane Database Tool"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(ParseProbe(r.out, &probe)) << r.out;
    return probe;
  }

  // Probes the window of that title until it satisfies the condition (the window may still be
  // an earlier one of the same title); false after the timeout.
  bool ProbeUntil(const std::string& title, int seconds,
                  const std::function<bool(const Probe&)>& condition, Probe* probe) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      Result r = harness->RunInEnvironment({"wine", TV_E2E_PROBE, "dialog", title});
      Probe candidate;
      if (r.exitStatus == 0 && ParseProbe(r.out, &candidate) && condition(candidate)) {
        *probe = candidate;
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return false;
  }

  bool ClickCenter(const Control& c) {
    return RunCommand({"xdotool", "mousemove", std::to_string(c.x + c.width / 2),
                       std::to_string(c.y + c.height / 2), "click", "1"},
                      {"DISPLAY=" + screen.Display()}, "", 30000)
               .exitStatus == 0;
  }

  // Waits for the message box whose text matches, then clicks its button of that text.
  bool AnswerBox(const std::string& text, const std::string& button) {
    Probe box;
    const std::regex wanted(text);
    const std::regex exact("^" + button + "$");
    if (!ProbeUntil(
            "Zorvane", 120,
            [&](const Probe& p) {
              return p.Find("Static", wanted) != nullptr && p.Find("Button", exact) != nullptr;
            },
            &box)) {
      return false;
    }
    return ClickCenter(*box.Find("Button", exact));
  }

  // True once the message box "Zorvane" takes input: its window is mapped on the screen and
  // enabled, and the dialog it belongs to is disabled, which the box's modal loop does on entry.
  // False at once when no such window exists any more.
  bool WaitUntilBoxTakesInput(int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      Result exists = RunCommand({"xdotool", "search", "--name", "^Zorvane$"},
                                 {"DISPLAY=" + screen.Display()}, "", 30000);
      if (exists.exitStatus != 0 || exists.out.empty()) return false;
      Result visible = RunCommand({"xdotool", "search", "--onlyvisible", "--name", "^Zorvane$"},
                                  {"DISPLAY=" + screen.Display()}, "", 30000);
      Probe box, owner;
      if (visible.exitStatus == 0 && !visible.out.empty() &&
          ProbeUntil(
              "Zorvane", 1, [](const Probe& p) { return p.enabled; }, &box) &&
          ProbeUntil(
              "Zorvane Database Tool", 1, [](const Probe& p) { return !p.enabled; }, &owner)) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
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

  ASSERT_TRUE(ClickCenter(probe.controls[1]));
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
  ASSERT_TRUE(ClickCenter(probe.controls[1]));
  Result ended = app->Wait(60000);
  EXPECT_EQ(ended.exitStatus, 0);
  EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
}

// A conversion of a few thousand messages from the dialog: the progress window (pictured for the
// README), a dialog that takes no command meanwhile, and the done box with its line of counts.
// /QUIET on a screen, with the old contact list held open by another program (the box that
// /SILENT would wait on): no window ever appears, the run ends by itself with exit status 1, and
// the report is written.
TEST_F(GuiTest, QuietShowsNoWindowAndEndsByItselfWithItsReport) {
  const std::string data = WithOldData(harness->DefaultDataFolder());
  const std::string contacts = data + "/ContactList.Users";
  Write(contacts, std::string(8, '\0'));
  std::unique_ptr<Child> holder =
      harness->StartInEnvironment({"wine", TV_E2E_PROBE, "lock", harness->ProgramPathOf(contacts)});
  ASSERT_TRUE(holder->WaitForError("held", 120000));
  const std::string report = harness->Scratch() + "/PC.json";
  const auto started = std::chrono::steady_clock::now();
  std::unique_ptr<Child> app =
      harness->StartProgram({"/QUIET", "/REPORT:" + harness->ProgramPathOf(report)});
  std::string windows;
  while (app->Running() && windows.empty() &&
         std::chrono::steady_clock::now() < started + std::chrono::minutes(5)) {
    Result shown = RunCommand({"xdotool", "search", "--onlyvisible", "--name", "."},
                              {"DISPLAY=" + screen.Display()}, "", 30000);
    if (shown.exitStatus == 0) windows = shown.out;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Result ended = app->Wait(60000);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  holder->CloseInput();
  holder->Wait(60000);
  EXPECT_EQ(windows, "") << "a window appeared";
  ASSERT_FALSE(ended.timedOut) << "the quiet run did not end by itself";
  EXPECT_EQ(ended.exitStatus, 1) << ended.err;
  const std::string text = ReadAll(report);
  EXPECT_NE(text.find("\"exitStatus\": 1,"), std::string::npos) << text;
  EXPECT_NE(text.find("ContactList.Users"), std::string::npos) << text;
  std::printf("[ quiet    ] ended by itself with exit status %d in %.1f s\n", ended.exitStatus,
              seconds);
}

TEST_F(GuiTest, ConvertingShowsProgressAndEndsWithTheSummary) {
  if (std::string(TV_E2E_ZVTOOL).empty()) GTEST_SKIP() << "zvtool is not built";
  constexpr int kMessages = 3000;
  const std::string data = harness->DefaultDataFolder();
  std::filesystem::create_directories(data);
  Result made =
      harness->RunInEnvironment({"wine", TV_E2E_ZVTOOL, "sample", harness->ProgramPathOf(data),
                                 "--messages", std::to_string(kMessages), "--seed", "12"},
                                600000);
  ASSERT_EQ(made.exitStatus, 0) << made.err;

  std::unique_ptr<Child> app = harness->StartProgram({});
  ASSERT_TRUE(WaitForWindow(400)) << "the dialog did not appear";
  Probe dialog = ProbeDialog();
  ASSERT_EQ(dialog.controls.size(), 7u);
  // No messenger to start here: clear "Launch Zorvane when done", then convert.
  ASSERT_TRUE(ClickCenter(dialog.controls[6]));
  ASSERT_TRUE(ClickCenter(dialog.controls[0]));
  ASSERT_TRUE(AnswerBox("^Do the backup before conversion\\?$", "&No"));
  ASSERT_TRUE(AnswerBox("^Please be patient", "OK"));

  // The progress window: a bar, the folder, and the counts moving on.
  const std::string title = "Converting 3.0 -> 3.1";
  const std::regex counts("^([0-9]+) of " + std::to_string(kMessages) + " messages$");
  Probe progress;
  ASSERT_TRUE(ProbeUntil(
      title, 300,
      [&](const Probe& p) {
        // A quarter done makes a picture with the bar well on its way.
        const Control* c = p.Find("Static", counts);
        return c != nullptr && std::stoi(c->text) >= kMessages / 4;
      },
      &progress))
      << "no progress window with counts";
  EXPECT_NE(progress.Find("msctls_progress32", std::regex("")), nullptr);
  EXPECT_NE(progress.Find("Static", std::regex("^Folder: .+")), nullptr);
  std::string progressId;
  ASSERT_TRUE(WaitForWindow(30, title, &progressId));

  // The dialog takes no command while converting: it is disabled, and its Exit does nothing.
  Probe busy = ProbeDialog();
  EXPECT_FALSE(busy.enabled);
  ASSERT_EQ(busy.controls.size(), 7u);
  ASSERT_TRUE(ClickCenter(busy.controls[1]));

  std::string artifacts = TV_E2E_ARTIFACTS;
  std::filesystem::create_directories(artifacts);
  // Both windows: the screen cut to the box around the dialog and the progress window.
  const int left = std::min(busy.left, progress.left) - 8;
  const int top = std::min(busy.top, progress.top) - 8;
  const int right = std::max(busy.left + busy.width, progress.left + progress.width) + 8;
  const int bottom = std::max(busy.top + busy.height, progress.top + progress.height) + 8;
  const std::string screen_ = artifacts + "/converting-screen.png";
  ASSERT_TRUE(screen.Screenshot(screen_));
  const std::string geometry = std::to_string(right - left) + "x" + std::to_string(bottom - top) +
                               "+" + std::to_string(std::max(left, 0)) + "+" +
                               std::to_string(std::max(top, 0));
  EXPECT_EQ(
      RunCommand({"convert", screen_, "-crop", geometry, "+repage", artifacts + "/converting.png"},
                 {}, "", 60000)
          .exitStatus,
      0);

  // The done box keeps its words and adds the counts.
  Probe done;
  const std::regex summary("^Done \\[ hit 'OK' \\] to exit +" + std::to_string(kMessages) +
                           " messages converted, 0 not converted, 4 list files converted, 0 "
                           "errors$");
  ASSERT_TRUE(ProbeUntil(
      "Zorvane", 600,
      [&](const Probe& p) { return p.Find("Static", std::regex("^Done ")) != nullptr; }, &done))
      << "no done box";
  EXPECT_NE(done.Find("Static", summary), nullptr) << done.Find("Static", std::regex(""))->text;
  std::string doneId;
  if (WaitForWindow(30, "Zorvane", &doneId)) {
    EXPECT_TRUE(screen.Screenshot(artifacts + "/done.png", doneId));
  }
  // On a loaded machine a click can come before the box takes input: wait until it does (shown
  // on the screen, enabled, its owner disabled by its modal loop), click, and again until it ends.
  const Control ok = *done.Find("Button", std::regex("^OK$"));
  for (int attempt = 0; attempt < 4 && app->Running(); ++attempt) {
    // No box left to click: the program is on its way out.
    if (!WaitUntilBoxTakesInput(120)) break;
    ASSERT_TRUE(ClickCenter(ok));
    for (int wait = 0; wait < 300 && app->Running(); ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  Result ended = app->Wait(60000);
  EXPECT_FALSE(ended.timedOut);
  EXPECT_EQ(ended.exitStatus, 0) << ended.err;
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

}  // namespace
}  // namespace tvtest::e2e
