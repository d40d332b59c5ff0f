// Staging attachments in the temporary folder: the folder is made and emptied once per run, and
// a planted one is refused. That stored names never leave it and no attachment overwrites another
// is checked over a whole conversion in reliability/hostile_input_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>

#include "messages/message_fixture.h"
#include "messages/plain_names.h"
#include "platform/file_system.h"
#include "support/new_format_reader.h"

namespace tvtest {
namespace {

using StagingTest = MessageTest;

TEST_F(StagingTest, FolderIsCreatedAndEmptiedOncePerRunButSubfoldersStay) {
  OldMessage plain;
  plain.body = "no attachments";
  ASSERT_TRUE(message.LoadOld(WriteOld(plain)));
  ASSERT_TRUE(std::filesystem::is_directory(staging));
  ASSERT_TRUE(WriteWholeFile(staging + "left over", "x"));
  std::filesystem::create_directory(staging + "sub");
  ASSERT_TRUE(WriteWholeFile(staging + "sub" + platform::kPathSeparator + "kept", "k"));

  OldMessage m = FullMessage();
  m.hexName = HexName(2);
  ASSERT_TRUE(message.LoadOld(WriteOld(m)));
  // Emptied when a run first stages there; later only the run's own staged files come and go.
  EXPECT_EQ(FilesIn(staging), (std::vector<std::string>{"first.txt", "left over", "second.bin"}));
  EXPECT_TRUE(PathExists(staging + "sub" + platform::kPathSeparator + "kept"));
  EXPECT_EQ(ReadWholeFile(staging + "first.txt"), "contents one");
  EXPECT_EQ(message.Attachments()[0]->m_csText, staging + "first.txt");
  EXPECT_EQ(message.Attachments()[0]->m_csName, "first.txt ( 12.00 b )");

  TvMessage nextRun(log, folders);
  nextRun.SetStagingFolder(staging);
  OldMessage third = FullMessage();
  third.hexName = HexName(3);
  ASSERT_TRUE(nextRun.LoadOld(WriteOld(third)));
  EXPECT_EQ(FilesIn(staging), (std::vector<std::string>{"first.txt", "second.bin"}));
  ASSERT_TRUE(nextRun.LoadOld(WriteOld(plain)));
  EXPECT_TRUE(FilesIn(staging).empty());
}

TEST_F(StagingTest, FolderThatCannotBeCreatedFailsEveryMessageWithABox) {
  message.SetStagingFolder(scratch.Path() + "missing" + platform::kPathSeparator + "staging");
  OldMessage plain;
  plain.body = "no attachments";
  OldMessage full = FullMessage();
  full.hexName = HexName(3);
  EXPECT_FALSE(message.LoadOld(WriteOld(plain)));
  EXPECT_FALSE(message.LoadOld(WriteOld(full)));
  EXPECT_EQ(message.LoadProblem().kind, msg30::ProblemKind::kStaging);
  EXPECT_EQ(message.LoadProblem().text, "the temporary folder cannot be made");
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "Can't create temp folder");
  EXPECT_EQ(ui.boxes[1].text, "Can't create temp folder");
}

TEST(PlainNamesTest, AcceptsOrdinaryNamesAndRejectsEverythingElse) {
  for (const char* good :
       {"Work", "Sent items", "a.b.c", "x", "r\xE9sum\xE9.doc", "COM10", "console", "..a"}) {
    EXPECT_TRUE(IsPlainName(good)) << good;
  }
  for (const char* bad :
       {"",    ".",   "..", "a/b", "a\\b", "C:",      "c:x",  "x*",       "x?",  "a\"b",
        "<a>", "a|b", "a.", "a ",  "CON",  "con.txt", "Lpt1", "COM9.log", "NUL", "tab\there"}) {
    EXPECT_FALSE(IsPlainName(bad)) << bad;
  }
  EXPECT_EQ(FallbackAttachmentName("../x.pdf", 0, 100), "Attachment 1.pdf");
  EXPECT_EQ(FallbackAttachmentName("noext", 4, 100), "Attachment 5");
  EXPECT_EQ(FallbackAttachmentName("bad.e/x", 1, 100), "Attachment 2");
}

#ifndef _WIN32
// In a shared temporary directory another user could plant the staging folder: a link, or a
// folder of theirs. Neither is used; the folder the tool makes is private.
TEST_F(StagingTest, PlantedStagingFolderIsRefusedAndAMadeOneIsPrivate) {
  namespace fs = std::filesystem;
  OldMessage plain;
  plain.body = "no attachments";
  const std::string oldPath = WriteOld(plain);

  const std::string elsewhere = scratch.Path() + "elsewhere";
  fs::create_directory(elsewhere);
  const std::string link = scratch.Path() + "linked staging";
  fs::create_directory_symlink(elsewhere, link);
  message.SetStagingFolder(link);
  EXPECT_FALSE(message.LoadOld(oldPath));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Can't create temp folder");

  const std::string fresh = scratch.Path() + "fresh staging";
  message.SetStagingFolder(fresh);
  ASSERT_TRUE(message.LoadOld(oldPath));
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(ui.boxes.size(), 1u);
}
#endif

}  // namespace
}  // namespace tvtest
