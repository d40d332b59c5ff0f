// Writing the 3.1 message file: exact bytes, the file name from the old name, sizes and offsets,
// the size correction, and what a failed save leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "foundation/replacing_file.h"
#include "messages/message_fixture.h"
#include "platform/system_error.h"
#include "support/fault_sweep.h"
#include "support/new_format_reader.h"
#include "support/new_message_bytes.h"

namespace tvtest {
namespace {

class MessageSaveTest : public MessageTest {
 protected:
  const OldMessage full = FullMessage();
  const std::string fullPath = WriteOld(full);
};

TEST_F(MessageSaveTest, WritesTheHandComputedFileForASmallMessage) {
  OldMessage old;
  old.kind = 3;
  old.recipients = {{"bob", 2, 0xC0A80102, 0x01020304}};
  old.body = "Hi!";
  old.values[0] = 0x11111111;  // old offset 36 -> carried value 3
  old.values[1] = 0x22222222;  // old offset 40 -> carried value 4
  old.values[2] = 0x33333333;  // old offset 44 -> carried value 1
  old.values[3] = 0x44444444;  // old offset 48 -> carried value 2
  old.texts[0] = "alice";      // old 56 -> A at 140
  old.texts[1] = "subject";    // old 89 -> C at 190
  old.texts[2] = "B";          // old 122 -> B at 173
  old.texts[3] = "D";          // old 139 -> D at 447
  old.attachments = {{"file1.txt", "xyz"}};
  std::string newPath = Convert(WriteOld(old));
  ASSERT_EQ(newPath, inbox + "3D2C1B0AB5A49382.Message");

  // 512 header + 46 recipient + 281 attachment + 3 body + 3 contents = 845: the builder lays out
  // the header's sizes and counts, the recipient's name and kind 1, the attachment record (size 3,
  // offset 842, name), the body at 839 and the contents at 842.
  NewMessageBytes expected = BuildNewMessage({"bob"}, "Hi!", {"xyz"});
  ASSERT_EQ(expected.bytes.size(), 845u);
  expected.Put(40, 0x33333333, 4);
  expected.Put(44, 0x44444444, 4);
  expected.Put(48, 0x11111111, 4);
  expected.Put(52, 0x22222222, 4);
  expected.bytes.replace(140, 5, "alice");
  expected.bytes.replace(173, 1, "B");
  expected.bytes.replace(190, 7, "subject");
  expected.bytes.replace(447, 1, "D");
  // Recipient: number 2, number 1 (little-endian now), kind 2.
  expected.Put(512 + 4, 0x01020304, 4);
  expected.Put(512 + 8, 0xC0A80102, 4);
  expected.bytes[512 + 12] = 2;

  EXPECT_EQ(ReadWholeFile(newPath), expected.bytes);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MessageSaveTest, NamesTheNewFileFromBytesZeroToThreeAndEightToEleven) {
  EXPECT_EQ(TvMessage::IdentifierFromOldName("0A1B2C3D4E5F60718293A4B5C6D7E8F9.Message"),
            0x3D2C1B0AB5A49382ull);
  EXPECT_EQ(TvMessage::IdentifierFromOldName("0a1b2c3d4e5f60718293a4b5c6d7e8f9.Message"),
            0x3D2C1B0AB5A49382ull);
  EXPECT_EQ(TvMessage::IdentifierFromOldName("FFFFFFFF0000000001000000FFFFFFFF.Message"),
            0xFFFFFFFF00000001ull);
}

TEST_F(MessageSaveTest, MessageWithOnlyABodyIsHeaderPlusBody) {
  OldMessage old;
  old.body = std::string(300, 'b');
  EXPECT_EQ(ReadWholeFile(Convert(WriteOld(old))), BuildNewMessage({}, old.body, {}).bytes);
}

// Every record of the full message, then its contents straight after them.
TEST_F(MessageSaveTest, EmptyBodyLeavesRecordsAndContentsBackToBack) {
  OldMessage old = FullMessage();
  old.body.clear();
  std::string newPath = Convert(WriteOld(old));
  ASSERT_FALSE(newPath.empty());
  NewMessage m = ReadNewMessage(newPath);
  ASSERT_TRUE(m.ok) << m.problem;
  EXPECT_EQ(m.file.header.bodySize, 0u);
  EXPECT_EQ(m.file.header.recipientCount, 2u);
  EXPECT_EQ(m.file.recipients[1].name, "bob");
  EXPECT_EQ(m.file.attachments[1].name, "second.bin");
  EXPECT_EQ(m.file.header.attachmentTotal, 12u + 1000u);
  EXPECT_EQ(m.file.attachments[0].offset, 512u + 2 * 46 + 2 * 281);
  EXPECT_EQ(m.contents[0], "contents one");
  EXPECT_EQ(m.contents[1], std::string(1000, 'x'));
}

TEST_F(MessageSaveTest, HeaderByte78IsOneAndBytes84To91AreZero) {
  ASSERT_TRUE(message.LoadOld(fullPath));
  std::memset(message.Header() + 76, 0xEE, 16);  // whatever was there before Save
  ASSERT_TRUE(message.Save(fullPath));
  std::string bytes = ReadWholeFile(NewPath(full));
  ASSERT_GE(bytes.size(), 512u);
  EXPECT_EQ(bytes.substr(76, 4), std::string("\0\0\xEE\0", 4)) << "byte 78 keeps what it held";
  EXPECT_EQ(bytes.substr(80, 12), std::string(12, '\0'));

  // A freshly loaded message has byte 78 set to 1.
  ASSERT_TRUE(message.LoadOld(fullPath));
  EXPECT_EQ(message.Header()[78], 1);
}

TEST_F(MessageSaveTest, StagedFileThatChangedLengthIsWrittenWithItsRealLength) {
  ASSERT_TRUE(message.LoadOld(fullPath));
  // The first staged attachment grows, the second shrinks, after staging and before Save.
  ASSERT_TRUE(WriteWholeFile(message.Attachments()[0]->m_csText, "contents one, and more"));
  ASSERT_TRUE(WriteWholeFile(message.Attachments()[1]->m_csText, "short"));
  ASSERT_TRUE(message.Save(fullPath));

  NewMessage m = ReadNewMessage(NewPath(full));
  ASSERT_TRUE(m.ok) << m.problem;
  EXPECT_EQ(m.file.attachments[0].size, 22u);
  EXPECT_EQ(m.file.attachments[1].size, 5u);
  EXPECT_EQ(m.file.header.attachmentTotal, 27u);
  EXPECT_EQ(m.file.header.totalSize, m.file.fileLength);
  EXPECT_EQ(m.contents[0], "contents one, and more");
  EXPECT_EQ(m.contents[1], "short");
  EXPECT_EQ(message.Attachments()[1]->m_csName, "second.bin ( 5.000 b )");
}

TEST_F(MessageSaveTest, VanishedStagedFileFailsAndLeavesNoNewFile) {
  ASSERT_TRUE(message.LoadOld(fullPath));
  ASSERT_TRUE(RemoveTree(message.Attachments()[1]->m_csText));
  EXPECT_FALSE(message.Save(fullPath));
  EXPECT_FALSE(PathExists(NewPath(full)));
  EXPECT_FALSE(PathExists(NewPath(full) + TvReplacingFile::kTempSuffix));
  EXPECT_EQ(ui.boxes.size(), 1u) << "the open of the staged file reports once";
  EXPECT_TRUE(PathExists(fullPath));
}

// Attachment sizes whose total, or the file size they give, does not fit in 64 bits.
TEST_F(MessageSaveTest, SizeOverflowFailsWithoutAFile) {
  struct Case {
    const char* what;
    std::vector<uint64_t> sizes;
    bool totalFits;
  };
  const Case cases[] = {
      {"attachment total overflows", {~uint64_t{0} - 5, 10}, false},
      {"the total fits, the file size does not", {~uint64_t{0} - 600}, true},
  };
  OldMessage old;
  old.body = "x";
  const std::string oldPath = WriteOld(old);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(message.LoadOld(oldPath));
    for (uint64_t size : c.sizes) {
      auto* a = new TvMessageAttachment;
      a->m_dword64Size = size;
      message.Attachments().Add(a);
    }
    uint64_t total = 123;
    EXPECT_EQ(message.TotalAttachmentSize(total), c.totalFits);
    EXPECT_EQ(total, c.totalFits ? c.sizes[0] : 0u);
    EXPECT_FALSE(message.Save(oldPath));
    EXPECT_FALSE(PathExists(NewPath(old)));
    EXPECT_FALSE(PathExists(NewPath(old) + TvReplacingFile::kTempSuffix));
  }
}

TEST_F(MessageSaveTest, FailureAtAnyFileOperationKeepsTheEarlierNewFile) {
  const std::string earlier = "an earlier 3.1 file of this name";
  std::optional<TvMessage> fresh;
  TvBool saved = false;
  const auto prepare = [&] {
    ASSERT_TRUE(WriteWholeFile(NewPath(full), earlier));
    fresh.emplace(log, folders);  // a new run each time: no name is taken yet
    fresh->SetStagingFolder(staging);
    ASSERT_TRUE(fresh->LoadOld(fullPath));
  };
  // A different earlier file is never replaced, with a fault or without one.
  const auto check = [&](const std::string& where) {
    EXPECT_FALSE(PathExists(NewPath(full) + TvReplacingFile::kTempSuffix)) << where;
    EXPECT_FALSE(saved) << where;
    EXPECT_EQ(ReadWholeFile(NewPath(full)), earlier) << where;
  };
  // Every operation that puts the new file in place: writes, the flush, the move.
  const FaultMode diskFull{"disk full", platform::SysError::kDiskFull, false,
                           static_cast<uint32_t>(platform::FileOp::kWrite) |
                               static_cast<uint32_t>(platform::FileOp::kFlush) |
                               static_cast<uint32_t>(platform::FileOp::kMove)};
  const auto save = [&] { saved = fresh->Save(fullPath); };
  const auto checkPoint = [&](const FaultPoint& point) { check(point.Where()); };
  SweepFaults({diskFull}, prepare, save, checkPoint, 1, 200);
  check("the last run, which reached no fault");
}

TEST_F(MessageSaveTest, NewFileThatCannotBeCreatedFailsWithOneReport) {
  ASSERT_TRUE(message.LoadOld(fullPath));
  {
    tvtest::ScopedFault fault(platform::FileOp::kOpen, platform::SysError::kAccessDenied);
    EXPECT_FALSE(message.Save(fullPath));
  }
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find(NewPath(full)), std::string::npos) << ui.boxes[0].text;
  EXPECT_FALSE(PathExists(NewPath(full)));
}

TEST_F(MessageSaveTest, SecondOldFileOfARunNeverReplacesTheFirstOnesNewFile) {
  OldMessage first = FullMessage();
  OldMessage second;
  // Same digits 1-8 and 17-24, so the same new file name.
  first.hexName = "0A1B2C3D4E5F60718293A4B5C6D7E8F9";
  second.hexName = "0A1B2C3D999999998293A4B5AAAAAAAA";
  second.body = "the second message";
  ASSERT_EQ(NewPath(first), NewPath(second));
  ASSERT_FALSE(Convert(WriteOld(first)).empty());
  std::string firstBytes = ReadWholeFile(NewPath(first));

  std::string secondPath = WriteOld(second);
  ASSERT_TRUE(message.LoadOld(secondPath));
  EXPECT_FALSE(message.Save(secondPath));
  EXPECT_EQ(ReadWholeFile(NewPath(first)), firstBytes);
}

TEST_F(MessageSaveTest, RecipientImagesAndAttachmentDisplayText) {
  TvMessageRecipient r;
  const uint32_t expected[] = {5, 5, 1, 6, 0, 0};
  for (uint8_t kind = 0; kind < 6; ++kind) {
    r.m_kind = kind == 5 ? 200 : kind;
    EXPECT_EQ(r.GetImage(), expected[kind]) << int{kind};
  }
  TvMessageAttachment a;
  std::string file = scratch.File("report.doc");
  ASSERT_TRUE(WriteWholeFile(file, std::string(1000, 'r')));
  a.SetFromPath(file);
  EXPECT_EQ(a.m_fileName, "report.doc");
  EXPECT_EQ(a.m_dword64Size, 1000u);
  EXPECT_EQ(a.m_csName, "report.doc ( 0.976 Kb )");
  TvListItemInfo item;
  item.mask = TvListItemInfo::kText;
  item.subItem = 1;
  EXPECT_TRUE(a.FillDisplayInfo(item));
  EXPECT_EQ(item.text, file);
}

}  // namespace
}  // namespace tvtest
