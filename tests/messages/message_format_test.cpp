// Reading the 3.1 message file: every broken rule is named with the offset where the broken part
// starts, the same over memory and over a file, and the parts read before the damage are kept.
#include "messages/message_format.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "support/new_message_bytes.h"
#include "support/scratch_dir.h"

namespace tvtest {
namespace {

using msg31::ProblemKind;

// How far the reader got before it stopped: each step includes the ones before it.
enum class Reached { kNothing, kHeader, kRecipients, kRecords, kEverything };

class MessageLayoutTest : public ScratchTest {
 protected:
  const NewMessageBytes sound = BuildNewMessage({"alice", "bob"}, "Hello, world", {"abc", "defgh"});
};

TEST_F(MessageLayoutTest, EachBrokenRuleIsNamedWhereTheBrokenPartStarts) {
  const uint64_t size = sound.bytes.size();
  const uint64_t second = sound.attachmentsAt + 281;  // the second attachment record
  // Writes value as width little-endian bytes at offset.
  const auto put = [](uint64_t offset, uint64_t value, int width) {
    return [=](NewMessageBytes& m) { m.Put(offset, value, width); };
  };
  using K = ProblemKind;
  struct Case {
    const char* what;
    std::function<void(NewMessageBytes&)> damage;
    ProblemKind kind;
    uint64_t offset;
    Reached reached;
  };
  const Case cases[] = {
      {"sound", [](NewMessageBytes&) {}, K::kNone, 0, Reached::kEverything},
      {"empty", [](NewMessageBytes& m) { m.bytes.clear(); }, K::kTooShort, 0, Reached::kNothing},
      {"cut in the header", [](NewMessageBytes& m) { m.bytes.resize(511); }, K::kTooShort, 0,
       Reached::kNothing},
      {"bad magic", [](NewMessageBytes& m) { m.bytes[3] = '0'; }, K::kBadMagic, 0,
       Reached::kHeader},
      {"recipient record size", put(38, 47, 2), K::kBadRecordSize, 38, Reached::kHeader},
      {"attachment record size", put(32, 280, 2), K::kBadRecordSize, 32, Reached::kHeader},
      {"recipient count", put(34, 0xFFFFFFFF, 4), K::kSectionPastEnd, 512, Reached::kHeader},
      {"attachment count", put(28, 100, 4), K::kSectionPastEnd, sound.attachmentsAt,
       Reached::kRecipients},
      {"body size", put(16, 10000, 4), K::kSectionPastEnd, sound.bodyAt, Reached::kRecords},
      {"extra section past the end", put(68, 9, 4), K::kSectionPastEnd, sound.extraAt,
       Reached::kEverything},
      {"extra section moves the contents", put(68, 3, 4), K::kAttachmentMisplaced,
       sound.attachmentsAt, Reached::kEverything},
      {"second attachment misplaced", put(second + 12, sound.contentsAt + 4, 8),
       K::kAttachmentMisplaced, second, Reached::kEverything},
      {"second attachment too long", put(second + 4, 6, 8), K::kAttachmentPastEnd, second,
       Reached::kEverything},
      {"cut in the contents", [](NewMessageBytes& m) { m.bytes.pop_back(); }, K::kAttachmentPastEnd,
       second, Reached::kEverything},
      {"attachment total", put(20, 7, 8), K::kAttachmentTotalDiffers, 20, Reached::kEverything},
      {"total size", put(8, size - 1, 8), K::kTotalSizeDiffers, 8, Reached::kEverything},
      {"trailing bytes",
       [](NewMessageBytes& m) {
         m.bytes += 'x';
         m.Put(8, m.bytes.size(), 8);
       },
       K::kTrailingBytes, size, Reached::kEverything},
  };
  for (const Case& c : cases) {
    NewMessageBytes damaged = sound;
    c.damage(damaged);
    const std::string path = scratch.File("case.Message");
    ASSERT_TRUE(WriteWholeFile(path, damaged.bytes));
    BufferSource memory(damaged.bytes);
    msg31::MessageFile fromMemory, fromFile;
    msg31::Problem fileProblem;
    EXPECT_EQ(msg31::ReadMessageFile(path, fromFile, &fileProblem), c.kind == ProblemKind::kNone);
    for (const msg31::Problem& p : {msg31::ReadLayout(memory, fromMemory), fileProblem}) {
      SCOPED_TRACE(std::string(c.what) + ": " + p.text);
      EXPECT_EQ(p.kind, c.kind) << msg31::ProblemKey(p.kind);
      EXPECT_EQ(p.offset, c.offset);
      EXPECT_EQ(p.text.empty(), c.kind == ProblemKind::kNone);
    }
    for (const msg31::MessageFile* f : {&fromMemory, &fromFile}) {
      SCOPED_TRACE(c.what);
      const bool body = c.reached == Reached::kEverything;
      EXPECT_EQ(f->headerRead, c.reached >= Reached::kHeader);
      EXPECT_EQ(f->recipients.size(), c.reached >= Reached::kRecipients ? 2u : 0u);
      EXPECT_EQ(f->attachments.size(), c.reached >= Reached::kRecords ? 2u : 0u);
      EXPECT_EQ(f->bodyOffset, body ? sound.bodyAt : 0u);
      EXPECT_EQ(f->body, body ? "Hello, world" : "");
      EXPECT_EQ(f->fileLength, damaged.bytes.size());
    }
  }
}

TEST_F(MessageLayoutTest, ASoundFileGivesItsRecordsAndEveryKindHasItsOwnKey) {
  BufferSource source(sound.bytes);
  msg31::MessageFile f;
  ASSERT_TRUE(msg31::ReadLayout(source, f).Ok());
  EXPECT_EQ(f.header.totalSize, sound.bytes.size());
  EXPECT_EQ(f.recipients[1].name, "bob");
  EXPECT_EQ(f.recipients[1].kind, 1);
  EXPECT_EQ(f.attachments[1].name, "file2.txt");
  EXPECT_EQ(f.attachments[1].size, 5u);
  EXPECT_EQ(f.attachments[1].offset, sound.contentsAt + 3);

  std::set<std::string> keys;
  const int kinds = static_cast<int>(ProblemKind::kTrailingBytes) + 1;
  for (int k = 0; k < kinds; ++k) keys.insert(msg31::ProblemKey(static_cast<ProblemKind>(k)));
  EXPECT_EQ(keys.size(), static_cast<size_t>(kinds));
  EXPECT_EQ(keys.count("unknown"), 0u);
}

// A reader that trusted a size before checking it would read past the end or accept the file.
TEST_F(MessageLayoutTest, EveryCutOfTheFileIsRefusedAtOrBeforeTheCut) {
  for (size_t cut = 0; cut < sound.bytes.size(); ++cut) {
    BufferSource source(sound.bytes.data(), cut);
    msg31::MessageFile f;
    const msg31::Problem p = msg31::ReadLayout(source, f);
    EXPECT_FALSE(p.Ok()) << cut;
    EXPECT_LE(p.offset, cut) << p.text;
  }
}

TEST_F(MessageLayoutTest, KeepsTheBodyUpToTheLimitAndStillChecksTheRest) {
  const NewMessageBytes misplaced = [&] {
    NewMessageBytes m = sound;
    m.Put(sound.attachmentsAt + 281 + 12, 0, 8);
    return m;
  }();
  for (const NewMessageBytes* m : {&sound, &misplaced}) {
    BufferSource source(m->bytes);
    msg31::MessageFile f;
    const msg31::Problem p = msg31::ReadLayout(source, f, 5);
    EXPECT_EQ(p.kind, m == &sound ? ProblemKind::kNone : ProblemKind::kAttachmentMisplaced);
    EXPECT_EQ(f.body, "Hello");
    EXPECT_EQ(f.header.bodySize, 12u);
  }
  // A body larger than what the file reader holds in memory is read from the file.
  const NewMessageBytes large = BuildNewMessage({"a"}, std::string(100000, 'b') + "end", {"c"});
  const std::string path = scratch.File("large.Message");
  ASSERT_TRUE(WriteWholeFile(path, large.bytes));
  msg31::MessageFile whole;
  EXPECT_TRUE(msg31::ReadMessageFile(path, whole, nullptr));
  EXPECT_EQ(whole.body, large.bytes.substr(large.bodyAt, 100003));

  msg31::MessageFile missing;
  msg31::Problem p;
  EXPECT_FALSE(msg31::ReadMessageFile(scratch.File("none.Message"), missing, &p));
  EXPECT_EQ(p.kind, ProblemKind::kCannotOpen);
  EXPECT_FALSE(missing.headerRead);
}

}  // namespace
}  // namespace tvtest
