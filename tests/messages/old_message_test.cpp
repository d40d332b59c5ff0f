// Reading 3.0 message files: every header rule, recipient kinds, truncation at every length, the
// attachment entries, and no allocation larger than the file.
#include <gtest/gtest.h>

#include "foundation/coding.h"
#include "messages/allocation_probe.h"
#include "messages/message_fixture.h"
#include "support/new_format_reader.h"

namespace tvtest {
namespace {

using OldMessageTest = MessageTest;

TEST_F(OldMessageTest, EachHeaderRuleRejectsTheFileOnItsOwn) {
  struct Case {
    const char* what;
    std::function<void(uint8_t*)> edit;
  };
  const Case cases[] = {
      {"magic", [](uint8_t* h) { h[3] = '1'; }},
      {"kind 0", [](uint8_t* h) { h[4] = 0; }},
      {"kind 4", [](uint8_t* h) { h[4] = 4; }},
      {"total size one more", [](uint8_t* h) { EncodeFixed64(h + 8, DecodeFixed64(h + 8) + 1); }},
      {"total size one less", [](uint8_t* h) { EncodeFixed64(h + 8, DecodeFixed64(h + 8) - 1); }},
      {"text at 56 unterminated", [](uint8_t* h) { h[88] = 'x'; }},
      {"text at 89 unterminated", [](uint8_t* h) { h[121] = 'x'; }},
      {"text at 122 unterminated", [](uint8_t* h) { h[138] = 'x'; }},
      {"text at 139 unterminated", [](uint8_t* h) { h[203] = 'x'; }},
  };
  OldMessage valid = FullMessage();
  ASSERT_TRUE(message.LoadOld(WriteOld(valid))) << "the unedited file loads";
  for (const Case& c : cases) {
    OldMessage broken = FullMessage();
    broken.editHeaderBytes = c.edit;
    EXPECT_FALSE(message.LoadOld(WriteOld(broken))) << c.what;
  }
  EXPECT_TRUE(ui.boxes.empty()) << "reading a 3.0 file reports nothing";
}

TEST_F(OldMessageTest, AttachmentSectionWithoutAttachmentsIsRejected) {
  OldMessage m;
  m.body = "body";
  m.editHeader = [](msg30::Header& h) {
    h.attachmentSectionSize = 10;
    h.totalSize = msg30::ExpectedTotalSize(h);  // the sum still agrees
  };
  std::string bytes = EncodeOldMessage(m) + std::string(10, '\0');
  ASSERT_TRUE(WriteWholeFile(inbox + m.FileName(), bytes));
  EXPECT_FALSE(message.LoadOld(inbox + m.FileName()));
}

TEST_F(OldMessageTest, TotalSizeRuleKeepsRecipientBytesTo32Bits) {
  msg30::Header h;
  h.kind = 3;
  h.recipientCount = 0x80000000u;  // 42 * 2^31 wraps to 2^32 * 21 -> 0 in 32 bits
  h.bodySize = 5;
  EXPECT_EQ(msg30::ExpectedTotalSize(h), 208u + 0u + 5u);
}

TEST_F(OldMessageTest, FileOf208BytesOrLessIsRejectedEvenWithAValidHeader) {
  OldMessage empty;  // no recipients, body or attachments: exactly the 208-byte header
  std::string bytes = EncodeOldMessage(empty);
  ASSERT_EQ(bytes.size(), 208u);
  std::string path = WriteOld(empty);
  EXPECT_FALSE(message.LoadOld(path));
  EXPECT_FALSE(message.LoadOld(inbox + "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF.Message")) << "missing";
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OldMessageTest, TruncatedFileFailsAtEveryLength) {
  OldMessage m = FullMessage();
  m.attachments[1].contents = "yy";
  const std::string full = EncodeOldMessage(m);
  const std::string path = inbox + m.FileName();
  for (size_t length = 0; length < full.size(); ++length) {
    ASSERT_TRUE(WriteWholeFile(path, full.substr(0, length)));
    EXPECT_FALSE(message.LoadOld(path)) << "cut at " << length << " of " << full.size();
  }
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_TRUE(WriteWholeFile(path, full));
  EXPECT_TRUE(message.LoadOld(path));
}

TEST_F(OldMessageTest, RecipientKindsDecideWhichNumbersArePresent) {
  for (uint8_t kind : {1, 2, 3}) {
    OldMessage m;
    m.kind = kind;
    m.body = "b";
    m.recipients = {{"x", 3, 0xC0A80102, 0x0A0B0C0D}};
    ASSERT_TRUE(message.LoadOld(WriteOld(m))) << int{kind};
    ASSERT_EQ(message.Recipients().GetSize(), 1u);
    TvMessageRecipient* r = message.Recipients()[0];
    EXPECT_EQ(r->m_dwordNumber1, kind >= 2 ? 0xC0A80102u : 0u) << int{kind};
    EXPECT_EQ(r->m_dwordNumber2, kind == 3 ? 0x0A0B0C0Du : 0u) << int{kind};
    EXPECT_EQ(r->m_kind, 3);
    uint8_t record[46];
    r->EncodeRecord(record);
    if (kind >= 2) {
      EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 8), 4), "\x02\x01\xA8\xC0");
    }
  }
}

TEST_F(OldMessageTest, RecipientNameKeepsAtMost32Characters) {
  OldMessage m;
  m.body = "b";
  m.recipients = {{std::string(33, 'n'), 1, 0, 0}};  // byte 32 is not 0 in the file
  ASSERT_TRUE(message.LoadOld(WriteOld(m)));
  EXPECT_EQ(message.Recipients()[0]->m_name, std::string(32, 'n'));
}

TEST_F(OldMessageTest, ThirtyTwoCharacterTextBecomesTextC) {
  OldMessage m;
  m.body = "b";
  m.texts[1] = std::string(32, 's');
  ASSERT_TRUE(message.LoadOld(WriteOld(m)));
  const uint8_t* h = message.Header();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h + 190), 33), std::string(32, 's') + '\0');
  EXPECT_EQ(h[190 + 256], 0);
}

TEST_F(OldMessageTest, AttachmentNameLengthZeroFailsAfterEarlierEntries) {
  OldMessage m = FullMessage();
  m.attachments.push_back({"third", "3"});
  m.attachments[2].nameLength = 0;  // the entry's bytes stay, its length byte says 0
  EXPECT_FALSE(message.LoadOld(WriteOld(m)));
  EXPECT_EQ(message.OldAttachments().GetSize(), 2u);
}

TEST_F(OldMessageTest, LastAttachmentRunningPastTheEndFailsAtTheCopyWithALogLine) {
  OldMessage m = FullMessage();
  m.attachments[1].declaredSize = 5000;  // 1000 bytes are there
  m.editHeader = [](msg30::Header& h) { h.totalSize = msg30::ExpectedTotalSize(h); };
  std::string path = WriteOld(m);
  EXPECT_FALSE(message.LoadOld(path));
  EXPECT_EQ(message.OldAttachments().GetSize(), 2u) << "the entry itself was read";
  std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], "Error: Problems with file: " + staging + "second.bin , message " + path);
  EXPECT_EQ(log.m_dwordErrorCount, 1u);
}

TEST_F(OldMessageTest, DeclaredSizesBeyondTheFileAreNeverAllocated) {
  struct Case {
    const char* what;
    std::function<void(msg30::Header&)> edit;
  };
  const Case cases[] = {
      {"body", [](msg30::Header& h) { h.bodySize = 0x7FFFFFF0; }},
      {"recipients", [](msg30::Header& h) { h.recipientCount = 0x10000000; }},
      {"attachments",
       [](msg30::Header& h) {
         h.attachmentCount = 0x40000000;
         h.attachmentSectionSize = 1;
       }},
  };
  for (const Case& c : cases) {
    OldMessage m;
    m.body = "short body";
    m.editHeader = [&c](msg30::Header& h) {
      c.edit(h);
      h.totalSize = msg30::ExpectedTotalSize(h);
    };
    std::string path = WriteOld(m);
    ResetLargestAllocation();
    EXPECT_FALSE(message.LoadOld(path)) << c.what;
    EXPECT_LT(LargestAllocation(), 1u << 20) << c.what;
  }
}

TEST_F(OldMessageTest, LoadReplacesEverythingOfThePreviousMessage) {
  ASSERT_TRUE(message.LoadOld(WriteOld(FullMessage())));
  OldMessage plain;
  plain.hexName = HexName(7);
  plain.body = "only a body";
  ASSERT_TRUE(message.LoadOld(WriteOld(plain)));
  EXPECT_EQ(message.Recipients().GetSize(), 0u);
  EXPECT_EQ(message.Attachments().GetSize(), 0u);
  EXPECT_EQ(message.OldAttachments().GetSize(), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(message.Body()), message.BodySize()),
            "only a body");
  EXPECT_TRUE(FilesIn(staging).empty()) << "the staged files of the previous message are gone";
}

}  // namespace
}  // namespace tvtest
