#include <gtest/gtest.h>

#include "platform/recording_ui.h"
#include "platform/ui.h"

namespace {

using namespace platform;

TEST(RecordingUI, RecordsBoxesWithTheCaptionAndAnswersFromTheScript) {
  std::string previous = ApplicationName();
  SetApplicationName("Zorvane Database Tool");
  ScopedRecordingUI recording;
  recording.ui.yesNoAnswers = {BoxAnswer::kYes};
  EXPECT_EQ(UI().MessageBox("first?", BoxButtons::kYesNo, BoxIcon::kQuestion), BoxAnswer::kYes);
  EXPECT_EQ(UI().MessageBox("second?", BoxButtons::kYesNo, BoxIcon::kQuestion), BoxAnswer::kNo);
  EXPECT_EQ(UI().MessageBox("done", BoxButtons::kOk, BoxIcon::kInformation), BoxAnswer::kOk);
  SetApplicationName(previous);
  ASSERT_EQ(recording.ui.boxes.size(), 3u);
  EXPECT_EQ(recording.ui.boxes[0].caption, "Zorvane Database Tool");
  EXPECT_EQ(recording.ui.boxes[0].text, "first?");
  EXPECT_EQ(recording.ui.boxes[2].buttons, BoxButtons::kOk);
  EXPECT_EQ(recording.ui.boxes[2].icon, BoxIcon::kInformation);
}

TEST(RecordingUI, FolderChoicesAndWaitCursor) {
  ScopedRecordingUI recording;
  recording.ui.folderChoices = {"/a", ""};
  std::string path = "keep";
  EXPECT_TRUE(UI().ChooseFolder("Select a folder:", &path));
  EXPECT_EQ(path, "/a");
  path = "keep";
  EXPECT_FALSE(UI().ChooseFolder("t2", &path));  // an empty choice cancels
  EXPECT_FALSE(UI().ChooseFolder("t3", &path));  // none left
  EXPECT_EQ(path, "keep");
  EXPECT_EQ(recording.ui.folderTitles, std::vector<std::string>({"Select a folder:", "t2", "t3"}));
  UI().SetWaitCursor(true);
  UI().SetWaitCursor(true);
  UI().SetWaitCursor(false);
  EXPECT_EQ(recording.ui.waitCursorDepth, 1);
}

TEST(RecordingUI, ScopesNestAndRestore) {
  ScopedRecordingUI outer;
  {
    ScopedRecordingUI inner;
    UI().MessageBox("inner", BoxButtons::kOk, BoxIcon::kNone);
    EXPECT_EQ(inner.ui.boxes.size(), 1u);
  }
  UI().MessageBox("outer", BoxButtons::kOk, BoxIcon::kNone);
  ASSERT_EQ(outer.ui.boxes.size(), 1u);
  EXPECT_EQ(outer.ui.boxes[0].text, "outer");
}

TEST(RecordingUI, InstalledInterfaceIsInForce) {
  RecordingUserInterface mine;
  UserInterface* previous = SetUserInterface(&mine);
  EXPECT_EQ(&UI(), &mine);
  SetUserInterface(previous);
  EXPECT_NE(&UI(), &mine);
}

}  // namespace
