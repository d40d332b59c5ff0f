// Staging attachments in the temporary folder: the folder is made and emptied once per run,
// stored names never leave it, and no attachment overwrites another.
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

TEST_F(StagingTest, StoredNamesThatAreNoPlainNamesStayInsideTheFolder) {
  const std::vector<std::string> names = {
      std::string("..") + platform::kPathSeparator + "escaped.txt",
      "../escaped2.txt",
      "..\\escaped3.txt",
      "C:escaped4.txt",
      "CON",
      "nul.txt",
      "..",
      "a:b*c?.txt",
      "trailing dot.",
  };
  OldMessage m;
  m.body = "b";
  for (size_t i = 0; i < names.size(); ++i) {
    m.attachments.push_back({names[i], "contents " + std::to_string(i)});
  }
  std::string oldPath = WriteOld(m);
  ASSERT_TRUE(message.LoadOld(oldPath));
  ASSERT_EQ(message.Attachments().GetSize(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    TvMessageAttachment* a = message.Attachments()[static_cast<uint32_t>(i)];
    EXPECT_EQ(a->m_fileName, names[i]) << "the record keeps the stored name";
    std::string stagedName = a->m_csText.substr(staging.size());
    EXPECT_EQ(a->m_csText.substr(0, staging.size()), staging);
    EXPECT_TRUE(IsPlainName(stagedName)) << stagedName;
    EXPECT_EQ(ReadWholeFile(a->m_csText), "contents " + std::to_string(i));
  }
  EXPECT_EQ(FilesIn(staging).size(), names.size());
  for (const char* escaped : {"escaped.txt", "escaped2.txt", "escaped3.txt", "escaped4.txt"}) {
    EXPECT_FALSE(PathExists(scratch.File(escaped))) << escaped;
  }

  ASSERT_TRUE(message.Save(oldPath));
  NewMessage saved = ReadNewMessage(NewPath(m));
  ASSERT_TRUE(saved.ok) << saved.problem;
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(saved.file.attachments[i].name, names[i]);
    EXPECT_EQ(saved.contents[i], "contents " + std::to_string(i));
  }
}

TEST_F(StagingTest, SameNameTwiceKeepsBothContents) {
  OldMessage m;
  m.body = "b";
  m.attachments = {{"photo.jpg", "first"},
                   {"PHOTO.JPG", "second"},
                   {"photo.jpg", "third"},
                   {"Attachment 3.jpg", "fourth"}};
  std::string oldPath = WriteOld(m);
  ASSERT_TRUE(message.LoadOld(oldPath));
  ASSERT_TRUE(message.Save(oldPath));
  NewMessage saved = ReadNewMessage(NewPath(m));
  ASSERT_TRUE(saved.ok) << saved.problem;
  ASSERT_EQ(saved.contents.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(saved.contents[i], m.attachments[i].contents) << i;
  EXPECT_EQ(saved.file.attachments[1].name, "PHOTO.JPG");
  EXPECT_EQ(FilesIn(staging).size(), 4u);
}

TEST_F(StagingTest, LongStoredNameIsKeptInTheRecordButStagedShorter) {
  OldMessage m;
  m.body = "b";
  m.attachments = {{std::string(255, 'L') + "", "long"}};
  std::string oldPath = WriteOld(m);
  ASSERT_TRUE(message.LoadOld(oldPath));
  EXPECT_EQ(message.Attachments()[0]->m_fileName, std::string(255, 'L'));
  EXPECT_LE(message.Attachments()[0]->m_csText.size(), 259u);
  EXPECT_EQ(ReadWholeFile(message.Attachments()[0]->m_csText), "long");
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
