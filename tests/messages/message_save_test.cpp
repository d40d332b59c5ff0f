// Writing the 3.1 message file: exact bytes, the file name from the old name, sizes and offsets,
// the size correction, and what a failed save leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "foundation/coding.h"
#include "foundation/replacing_file.h"
#include "messages/message_fixture.h"
#include "platform/system_error.h"
#include "support/fault_sweep.h"
#include "support/new_format_reader.h"

namespace tvtest {
namespace {

// Little-endian bytes of a value, written out by hand for the expectations below.
void Put(std::string& bytes, size_t offset, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void PutText(std::string& bytes, size_t offset, const std::string& text) {
  bytes.replace(offset, text.size(), text);
}

using MessageSaveTest = MessageTest;

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
  old.attachments = {{"a.txt", "xyz"}};
  std::string newPath = Convert(WriteOld(old));
  ASSERT_EQ(newPath, inbox + "3D2C1B0AB5A49382.Message");

  // 512 header + 46 recipient + 281 attachment + 3 body + 3 contents = 845.
  std::string expected(845, '\0');
  PutText(expected, 0, "ZV31");
  expected[4] = 4;
  expected[6] = 2;
  Put(expected, 8, 845, 8);
  Put(expected, 16, 3, 4);
  Put(expected, 20, 3, 8);
  Put(expected, 28, 1, 4);
  Put(expected, 32, 281, 2);
  Put(expected, 34, 1, 4);
  Put(expected, 38, 46, 2);
  Put(expected, 40, 0x33333333, 4);
  Put(expected, 44, 0x44444444, 4);
  Put(expected, 48, 0x11111111, 4);
  Put(expected, 52, 0x22222222, 4);
  expected[78] = 1;
  PutText(expected, 140, "alice");
  PutText(expected, 173, "B");
  PutText(expected, 190, "subject");
  PutText(expected, 447, "D");
  // Recipient: reserved, number 2, number 1 (little-endian now), kind, name.
  PutText(expected, 512 + 4, std::string("\x04\x03\x02\x01", 4));
  PutText(expected, 512 + 8, std::string("\x02\x01\xA8\xC0", 4));
  expected[512 + 12] = 2;
  PutText(expected, 512 + 13, "bob");
  // Attachment: reserved, size 3, offset 842, name.
  Put(expected, 558 + 4, 3, 8);
  Put(expected, 558 + 12, 842, 8);
  PutText(expected, 558 + 20, "a.txt");
  PutText(expected, 839, "Hi!");
  PutText(expected, 842, "xyz");

  EXPECT_EQ(ReadWholeFile(newPath), expected);
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
  std::string newPath = Convert(WriteOld(old));
  ASSERT_FALSE(newPath.empty());
  std::string bytes = ReadWholeFile(newPath);
  ASSERT_EQ(bytes.size(), 812u);
  EXPECT_EQ(DecodeFixed64(reinterpret_cast<const uint8_t*>(bytes.data()) + 8), 812u);
  EXPECT_EQ(bytes.substr(512), old.body);
}

TEST_F(MessageSaveTest, EmptyBodyLeavesRecordsAndContentsBackToBack) {
  OldMessage old = FullMessage();
  old.body.clear();
  std::string newPath = Convert(WriteOld(old));
  ASSERT_FALSE(newPath.empty());
  NewMessage m = ReadNewMessage(newPath);
  ASSERT_TRUE(m.ok) << m.problem;
  EXPECT_EQ(m.file.header.bodySize, 0u);
  EXPECT_EQ(m.file.attachments[0].offset, 512u + 2 * 46 + 2 * 281);
  EXPECT_EQ(m.contents[0], "contents one");
  EXPECT_EQ(m.contents[1], std::string(1000, 'x'));
}

TEST_F(MessageSaveTest, HeaderByte78IsOneAndBytes84To91AreZero) {
  OldMessage old = FullMessage();
  std::string oldPath = WriteOld(old);
  ASSERT_TRUE(message.LoadOld(oldPath));
  std::memset(message.Header() + 76, 0xEE, 16);  // whatever was there before Save
  ASSERT_TRUE(message.Save(oldPath));
  std::string bytes = ReadWholeFile(NewPath(old));
  ASSERT_GE(bytes.size(), 512u);
  EXPECT_EQ(bytes.substr(76, 4), std::string("\0\0\xEE\0", 4)) << "byte 78 keeps what it held";
  EXPECT_EQ(bytes.substr(80, 12), std::string(12, '\0'));

  // A freshly loaded message has byte 78 set to 1.
  ASSERT_TRUE(message.LoadOld(oldPath));
  EXPECT_EQ(message.Header()[78], 1);
}

TEST_F(MessageSaveTest, RecordsTotalsAndOffsetsAgreeForAFullMessage) {
  OldMessage old = FullMessage();
  std::string newPath = Convert(WriteOld(old));
  NewMessage m = ReadNewMessage(newPath);
  ASSERT_TRUE(m.ok) << m.problem;
  const msg31::Header& h = m.file.header;
  EXPECT_EQ(h.recipientCount, 2u);
  EXPECT_EQ(h.attachmentCount, 2u);
  EXPECT_EQ(h.attachmentTotal, 12u + 1000u);
  EXPECT_EQ(h.carried[0], 3u);
  EXPECT_EQ(h.carried[1], 4u);
  EXPECT_EQ(h.carried[2], 1u);
  EXPECT_EQ(h.carried[3], 2u);
  EXPECT_EQ(h.textA, "From");
  EXPECT_EQ(h.textB, "B");
  EXPECT_EQ(h.textC, "Subject");
  EXPECT_EQ(h.textD, "D text");
  EXPECT_EQ(m.file.recipients[0].name, "alice");
  EXPECT_EQ(m.file.recipients[0].number1, 0xC0A80102u);
  EXPECT_EQ(m.file.recipients[0].number2, 0x10u);
  EXPECT_EQ(m.file.attachments[0].name, "first.txt");
  EXPECT_EQ(m.file.attachments[1].name, "second.bin");
  EXPECT_EQ(m.file.body, old.body);
  EXPECT_EQ(m.contents[1], std::string(1000, 'x'));
}

TEST_F(MessageSaveTest, StagedFileThatChangedLengthIsWrittenWithItsRealLength) {
  OldMessage old = FullMessage();
  std::string oldPath = WriteOld(old);
  ASSERT_TRUE(message.LoadOld(oldPath));
  // The first staged attachment grows, the second shrinks, after staging and before Save.
  ASSERT_TRUE(WriteWholeFile(message.Attachments()[0]->m_csText, "contents one, and more"));
  ASSERT_TRUE(WriteWholeFile(message.Attachments()[1]->m_csText, "short"));
  ASSERT_TRUE(message.Save(oldPath));

  NewMessage m = ReadNewMessage(NewPath(old));
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
  OldMessage old = FullMessage();
  std::string oldPath = WriteOld(old);
  ASSERT_TRUE(message.LoadOld(oldPath));
  ASSERT_TRUE(RemoveTree(message.Attachments()[1]->m_csText));
  EXPECT_FALSE(message.Save(oldPath));
  EXPECT_FALSE(PathExists(NewPath(old)));
  EXPECT_FALSE(PathExists(NewPath(old) + TvReplacingFile::kTempSuffix));
  EXPECT_EQ(ui.boxes.size(), 1u) << "the open of the staged file reports once";
  EXPECT_TRUE(PathExists(oldPath));
}

TEST_F(MessageSaveTest, AttachmentTotalOverflowFailsWithoutAFile) {
  OldMessage old;
  old.body = "x";
  std::string oldPath = WriteOld(old);
  ASSERT_TRUE(message.LoadOld(oldPath));
  for (uint64_t size : {~uint64_t{0} - 5, uint64_t{10}}) {
    auto* a = new TvMessageAttachment;
    a->m_dword64Size = size;
    message.Attachments().Add(a);
  }
  uint64_t total = 123;
  EXPECT_FALSE(message.TotalAttachmentSize(total));
  EXPECT_EQ(total, 0u);
  EXPECT_FALSE(message.Save(oldPath));
  EXPECT_FALSE(PathExists(NewPath(old)));
  EXPECT_FALSE(PathExists(NewPath(old) + TvReplacingFile::kTempSuffix));
}

TEST_F(MessageSaveTest, FileSizeOverflowFailsWithoutAFile) {
  OldMessage old;
  old.body = "x";
  std::string oldPath = WriteOld(old);
  ASSERT_TRUE(message.LoadOld(oldPath));
  auto* a = new TvMessageAttachment;
  a->m_dword64Size = ~uint64_t{0} - 600;  // the total fits, the file size does not
  message.Attachments().Add(a);
  uint64_t total = 0;
  EXPECT_TRUE(message.TotalAttachmentSize(total));
  EXPECT_FALSE(message.Save(oldPath));
  EXPECT_FALSE(PathExists(NewPath(old)));
}

TEST_F(MessageSaveTest, AssignDataOffsetsPlacesContentsAfterEveryPart) {
  OldMessage old = FullMessage();
  ASSERT_TRUE(message.LoadOld(WriteOld(old)));
  message.AssignDataOffsets();
  uint64_t start = 512 + 2 * 281 + 2 * 46 + old.body.size();
  EXPECT_EQ(message.Attachments()[0]->m_dword64Offset, start);
  EXPECT_EQ(message.Attachments()[1]->m_dword64Offset, start + 12);
}

TEST_F(MessageSaveTest, FailureAtAnyFileOperationKeepsTheEarlierNewFile) {
  OldMessage old = FullMessage();
  std::string oldPath = WriteOld(old);
  const std::string earlier = "an earlier 3.1 file of this name";
  std::optional<TvMessage> fresh;
  TvBool saved = false;
  const auto prepare = [&] {
    ASSERT_TRUE(WriteWholeFile(NewPath(old), earlier));
    fresh.emplace(log, folders);  // a new run each time: no name is taken yet
    fresh->SetStagingFolder(staging);
    ASSERT_TRUE(fresh->LoadOld(oldPath));
  };
  // A different earlier file is never replaced, with a fault or without one.
  const auto check = [&](const std::string& where) {
    EXPECT_FALSE(PathExists(NewPath(old) + TvReplacingFile::kTempSuffix)) << where;
    EXPECT_FALSE(saved) << where;
    EXPECT_EQ(ReadWholeFile(NewPath(old)), earlier) << where;
  };
  // Every operation that puts the new file in place: writes, the flush, the move.
  const FaultMode diskFull{"disk full", platform::SysError::kDiskFull, false,
                           static_cast<uint32_t>(platform::FileOp::kWrite) |
                               static_cast<uint32_t>(platform::FileOp::kFlush) |
                               static_cast<uint32_t>(platform::FileOp::kMove)};
  const auto save = [&] { saved = fresh->Save(oldPath); };
  const auto checkPoint = [&](const FaultPoint& point) { check(point.Where()); };
  SweepFaults({diskFull}, prepare, save, checkPoint, 1, 200);
  check("the last run, which reached no fault");
}

TEST_F(MessageSaveTest, NewFileThatCannotBeCreatedFailsWithOneReport) {
  OldMessage old = FullMessage();
  std::string oldPath = WriteOld(old);
  ASSERT_TRUE(message.LoadOld(oldPath));
  {
    tvtest::ScopedFault fault(platform::FileOp::kOpen, platform::SysError::kAccessDenied);
    EXPECT_FALSE(message.Save(oldPath));
  }
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find(NewPath(old)), std::string::npos) << ui.boxes[0].text;
  EXPECT_FALSE(PathExists(NewPath(old)));
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

  // Nor does the next run (the rerun the refusal invites): a 3.1 file already there is replaced
  // only by the same bytes.
  TvMessage nextRun(log, folders);
  nextRun.SetStagingFolder(staging);
  ASSERT_TRUE(nextRun.LoadOld(secondPath));
  EXPECT_FALSE(nextRun.Save(secondPath));
  EXPECT_EQ(ReadWholeFile(NewPath(first)), firstBytes);
  EXPECT_FALSE(PathExists(NewPath(first) + TvReplacingFile::kTempSuffix));
  // The same old file converted again gives the same bytes, which may take the place.
  TvMessage thirdRun(log, folders);
  thirdRun.SetStagingFolder(staging);
  const std::string firstPath = WriteOld(first);
  ASSERT_TRUE(thirdRun.LoadOld(firstPath));
  EXPECT_TRUE(thirdRun.Save(firstPath));
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
