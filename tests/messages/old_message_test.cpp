// Reading 3.0 message files: the layout reader's problem and offset for each way a file breaks
// (and that LoadOld fails for the same reason), every header rule, recipient kinds, the attachment
// entries, and no allocation larger than the file. Truncation at every length is swept over the
// whole conversion in reliability/hostile_input_test.cpp.
#include <gtest/gtest.h>

#include "foundation/byte_source.h"
#include "foundation/coding.h"
#include "messages/allocation_probe.h"
#include "messages/message_fixture.h"
#include "support/new_format_reader.h"

namespace tvtest {
namespace {

using OldMessageTest = MessageTest;

// Offsets in the file FullMessage() writes, from its parts.
struct FullOffsets {
  uint64_t recipients = msg30::kHeaderSize;
  uint64_t body = 0;
  std::vector<uint64_t> entries;   // where each entry's length byte is
  std::vector<uint64_t> contents;  // where each entry's contents start
};
FullOffsets OffsetsOf(const OldMessage& m) {
  FullOffsets o;
  o.body = o.recipients + m.recipients.size() * msg30::RecipientRecordSize(m.kind);
  uint64_t at = o.body + m.body.size();
  for (const OldAttachment& a : m.attachments) {
    o.entries.push_back(at);
    o.contents.push_back(at + 1 + a.name.size() + 8);
    at = o.contents.back() + a.contents.size();
  }
  return o;
}

msg30::Problem ReadBytes(const std::string& bytes, msg30::Layout& layout,
                         const msg30::Limits& limits = {}) {
  BufferSource source(bytes);
  return msg30::ReadLayout(source, layout, limits);
}

TEST_F(OldMessageTest, LayoutHoldsEveryPartWhereTheFileHasIt) {
  const OldMessage m = FullMessage();
  const std::string bytes = EncodeOldMessage(m);
  const FullOffsets at = OffsetsOf(m);
  msg30::Layout layout;
  ASSERT_TRUE(ReadBytes(bytes, layout).Ok());
  EXPECT_EQ(layout.length, bytes.size());
  EXPECT_TRUE(layout.headerRead);
  EXPECT_TRUE(layout.entriesRead);
  EXPECT_EQ(layout.header.texts[1], m.texts[1]);
  ASSERT_EQ(layout.recipients.size(), m.recipients.size());
  EXPECT_EQ(layout.recipients[1].name, m.recipients[1].name);
  EXPECT_EQ(layout.recipients[0].number1, m.recipients[0].number1);
  EXPECT_EQ(layout.bodyOffset, at.body);
  EXPECT_EQ(layout.body, m.body);
  ASSERT_EQ(layout.attachments.size(), m.attachments.size());
  for (size_t i = 0; i < m.attachments.size(); ++i) {
    EXPECT_EQ(layout.attachments[i].name, m.attachments[i].name) << i;
    EXPECT_EQ(layout.attachments[i].size, m.attachments[i].contents.size()) << i;
    EXPECT_EQ(layout.attachments[i].entryOffset, at.entries[i]) << i;
    EXPECT_EQ(layout.attachments[i].contentOffset, at.contents[i]) << i;
    EXPECT_EQ(bytes.substr(at.contents[i], m.attachments[i].contents.size()),
              m.attachments[i].contents)
        << i;
  }

  // Limits keep fewer recipients and body bytes and change nothing else.
  msg30::Limits limits;
  limits.recipients = 1;
  limits.bodyBytes = 5;
  msg30::Layout limited;
  ASSERT_TRUE(ReadBytes(bytes, limited, limits).Ok());
  EXPECT_EQ(limited.recipients.size(), 1u);
  EXPECT_EQ(limited.body, m.body.substr(0, 5));
  ASSERT_EQ(limited.attachments.size(), m.attachments.size());
  EXPECT_EQ(limited.attachments[1].contentOffset, at.contents[1]);
}

// Each way a file breaks: the kind and the offset where the broken part starts, LoadOld failing
// for the same reason, and only the last attachment running past the end reaching the copy.
TEST_F(OldMessageTest, EachBrokenPartIsNamedWhereItStartsAndLoadOldFailsForIt) {
  const OldMessage full = FullMessage();
  const std::string sound = EncodeOldMessage(full);
  const FullOffsets at = OffsetsOf(full);
  auto edited = [](std::function<void(OldMessage&)> edit) {
    OldMessage m = FullMessage();
    edit(m);
    return EncodeOldMessage(m);
  };
  auto headerByte = [&](size_t offset, uint8_t value) {
    return edited(
        [=](OldMessage& m) { m.editHeaderBytes = [=](uint8_t* h) { h[offset] = value; }; });
  };
  auto withSize = [](msg30::Header& h) { h.totalSize = msg30::ExpectedTotalSize(h); };
  using K = msg30::ProblemKind;
  struct Case {
    const char* what;
    std::string bytes;
    K kind;
    uint64_t offset;
    bool copyFails;  // LoadOld reaches the copy and logs "Problems with file"
  };
  OldMessage onlyHeader;
  OldMessage sectionOnly;
  sectionOnly.body = "body";
  sectionOnly.editHeader = [](msg30::Header& h) {
    h.attachmentSectionSize = 10;
    h.totalSize = msg30::ExpectedTotalSize(h);
  };
  const Case cases[] = {
      {"sound", sound, K::kNone, 0, false},
      {"empty", "", K::kTooShort, 0, false},
      {"magic", headerByte(3, 'X'), K::kHeaderRule, msg30::kMagic, false},
      {"kind 0", headerByte(4, 0), K::kHeaderRule, msg30::kKind, false},
      {"kind 4", headerByte(4, 4), K::kHeaderRule, msg30::kKind, false},
      {"total size one more",
       edited([](OldMessage& m) { m.editHeader = [](msg30::Header& h) { h.totalSize += 1; }; }),
       K::kHeaderRule, msg30::kTotalSize, false},
      {"total size one less",
       edited([](OldMessage& m) { m.editHeader = [](msg30::Header& h) { h.totalSize -= 1; }; }),
       K::kHeaderRule, msg30::kTotalSize, false},
      {"section without attachments", EncodeOldMessage(sectionOnly) + std::string(10, '\0'),
       K::kHeaderRule, msg30::kAttachmentSectionSize, false},
      {"text at 56 not terminated", headerByte(88, 'Z'), K::kHeaderRule, 56, false},
      {"text at 89 not terminated", headerByte(121, 'Z'), K::kHeaderRule, 89, false},
      {"text at 122 not terminated", headerByte(138, 'Z'), K::kHeaderRule, 122, false},
      {"text at 139 not terminated", headerByte(203, 'Z'), K::kHeaderRule, 139, false},
      {"only a header", EncodeOldMessage(onlyHeader), K::kTooShort, 0, false},
      {"cut in the recipients", sound.substr(0, at.body - 10), K::kRecipientsCut, at.recipients,
       false},
      {"cut in the body", sound.substr(0, at.body + 4), K::kBodyCut, at.body, false},
      {"entries cannot fit", edited([&](OldMessage& m) {
         m.editHeader = [&](msg30::Header& h) {
           h.attachmentCount = 1000;
           withSize(h);
         };
       }),
       K::kAttachmentsCut, at.entries[0], false},
      {"name length 0", edited([](OldMessage& m) {
         m.attachments.push_back({"third", "3"});
         m.attachments[2].nameLength = 0;
       }),
       K::kAttachmentNameZero, sound.size(), false},
      {"entry cut in its name", sound.substr(0, at.entries[1] + 4), K::kAttachmentEntryCut,
       at.entries[1], false},
      {"first attachment past the end", edited([&](OldMessage& m) {
         m.attachments[0].declaredSize = 5000;
         m.editHeader = withSize;
       }),
       K::kAttachmentPastEnd, at.contents[0], false},
      {"last attachment past the end", sound.substr(0, sound.size() - 3), K::kAttachmentPastEnd,
       at.contents[1], true},
  };
  for (const Case& c : cases) {
    msg30::Layout layout;
    const msg30::Problem problem = ReadBytes(c.bytes, layout);
    EXPECT_EQ(problem.kind, c.kind) << c.what << ": " << problem.text;
    EXPECT_EQ(problem.offset, c.offset) << c.what << ": " << problem.text;
    EXPECT_EQ(problem.text.empty(), c.kind == K::kNone) << c.what;
    EXPECT_LE(problem.offset, layout.length) << c.what;

    ASSERT_TRUE(WriteWholeFile(inbox + full.FileName(), c.bytes));
    const size_t logLines = LogEntries().size();
    EXPECT_EQ(message.LoadOld(inbox + full.FileName()) != 0, c.kind == K::kNone) << c.what;
    EXPECT_EQ(message.LoadProblem().kind, problem.kind) << c.what;
    EXPECT_EQ(message.LoadProblem().offset, problem.offset) << c.what;
    EXPECT_EQ(message.LoadProblem().text, problem.text) << c.what;
    EXPECT_EQ(LogEntries().size() - logLines, c.copyFails ? 1u : 0u) << c.what;
    // Read without staging (zvtool check's plan), it fails for the same reason.
    EXPECT_EQ(message.ReadOld(inbox + full.FileName()) != 0, c.kind == K::kNone) << c.what;
    EXPECT_EQ(message.LoadProblem().kind, problem.kind) << c.what;
  }
  EXPECT_FALSE(message.LoadOld(inbox + "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF.Message")) << "missing";
  EXPECT_TRUE(ui.boxes.empty()) << "reading a 3.0 file reports nothing";
}

TEST_F(OldMessageTest, TotalSizeRuleKeepsRecipientBytesTo32Bits) {
  msg30::Header h;
  h.kind = 3;
  h.recipientCount = 0x80000000u;  // 42 * 2^31 wraps to 2^32 * 21 -> 0 in 32 bits
  h.bodySize = 5;
  EXPECT_EQ(msg30::ExpectedTotalSize(h), 208u + 0u + 5u);
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

// A recipient name keeps at most 32 characters; a 32-character text becomes text C whole.
TEST_F(OldMessageTest, RecipientNameKeepsAtMost32CharactersAndA32CharacterTextIsTextC) {
  OldMessage m;
  m.body = "b";
  m.recipients = {{std::string(33, 'n'), 1, 0, 0}};  // byte 32 is not 0 in the file
  m.texts[1] = std::string(32, 's');
  ASSERT_TRUE(message.LoadOld(WriteOld(m)));
  EXPECT_EQ(message.Recipients()[0]->m_name, std::string(32, 'n'));
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
  EXPECT_EQ(message.LoadProblem().kind, msg30::ProblemKind::kAttachmentPastEnd);
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
