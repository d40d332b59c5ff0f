// The companion tool's library in process: the sample writer, the new names of 3.0 messages,
// dump's report of a damaged 3.1 file, check's promise to change nothing, and the text
// helpers.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "app/run_report.h"
#include "database/folders_format.h"
#include "messages/tv_message.h"
#include "replies/replies_format.h"
#include "support/conversion_log_reader.h"
#include "support/new_message_bytes.h"
#include "support/old_contacts_writer.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"
#include "support/small_contact_list.h"
#include "support/test_helpers.h"
#include "tools/tool_fixture.h"
#include "zvtool/commands.h"
#include "zvtool/message_reader.h"
#include "zvtool/tool_common.h"

namespace {

using tooltest::kSep;

class ToolTest : public tvtest::ScratchTest {
 protected:
  // A sample 3.0 data folder written into the scratch folder's subfolder name.
  void WriteSample(const std::string& name, const zvtool::SampleOptions& options) {
    std::ostringstream out, err;
    ASSERT_EQ(zvtool::RunSample(scratch.File(name), options, out, err), zvtool::kExitOk)
        << err.str();
  }

  // A data folder (path ending in a separator) holding one 3.0 message in Inbox and nothing
  // else: no folders file, names index, contact list or canned replies.
  void WriteOneMessageFolder(const std::string& data) {
    tvtest::OldMessage message;
    message.recipients.push_back({"OLGA", 1, 0xC0A80102u, 0});
    message.body = "body";
    message.attachments.push_back({"file0.txt", "xyz"});
    std::filesystem::create_directories(data + "Inbox");
    ASSERT_TRUE(tvtest::WriteWholeFile(data + "Inbox" + kSep + message.FileName(),
                                       tvtest::EncodeOldMessage(message)));
  }
};

// The ".Message" files of a snapshot, counted; each must start with magic.
size_t CountMessages(const std::map<std::string, std::string>& files, const std::string& magic) {
  size_t count = 0;
  for (const auto& [path, bytes] : files) {
    if (!tvtest::EndsWith(path, ".Message")) continue;
    ++count;
    EXPECT_EQ(bytes.substr(0, 4), magic) << path;
  }
  return count;
}

// ---------------------------------------------------------------------------------------------
// Sample

using SampleTest = ToolTest;

TEST_F(SampleTest, SameSeedGivesTheSameFolderAndAnotherSeedDoesNot) {
  ASSERT_NO_FATAL_FAILURE(WriteSample("a", {.messages = 25, .userFolders = 2, .seed = 9}));
  ASSERT_NO_FATAL_FAILURE(WriteSample("b", {.messages = 25, .userFolders = 2, .seed = 9}));
  ASSERT_NO_FATAL_FAILURE(WriteSample("c", {.messages = 25, .userFolders = 2, .seed = 10}));

  auto a = tooltest::Snapshot(scratch.File("a"));
  auto b = tooltest::Snapshot(scratch.File("b"));
  auto c = tooltest::Snapshot(scratch.File("c"));
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  // Every file kind of a 3.0 folder is there, and the messages are where the folders say.
  for (const char* name : {"Database.Folders", "Names.Index", "ContactList.Users",
                           "FastReplys.Array", "AutoAnswers.Array"}) {
    EXPECT_TRUE(a.count(name)) << name;
  }
  EXPECT_EQ(CountMessages(a, "ZV30"), 25u);
}

TEST_F(SampleTest, NeverWritesIntoAFolderThatHoldsFiles) {
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("precious.txt"), "keep me"));
  std::ostringstream out, err;
  EXPECT_EQ(zvtool::RunSample(scratch.Path(), zvtool::SampleOptions(), out, err),
            zvtool::kExitError);
  EXPECT_NE(err.str().find("not empty"), std::string::npos);
  EXPECT_EQ(tooltest::FilesIn(scratch.Path()), std::vector<std::string>{"precious.txt"});
}

// ---------------------------------------------------------------------------------------------
// The new names of 3.0 message files

using NewNameTest = ToolTest;

TEST_F(NewNameTest, NewNameComesFromBytesZeroToThreeAndEightToEleven) {
  EXPECT_EQ(zvtool::NewMessageFileName("0A1B2C3D4E5F60718293A4B5C6D7E8F9.Message"),
            "3D2C1B0AB5A49382.Message");
}

// ---------------------------------------------------------------------------------------------
// check changes nothing

using CheckTest = ToolTest;

TEST_F(CheckTest, CreatesNoneOfTheFilesTheConversionWouldCreate) {
  // Only messages: no folders file, names index, contact list or canned replies, which the
  // conversion's open-or-create mode would make.
  const std::string data = scratch.File("data") + kSep;
  ASSERT_NO_FATAL_FAILURE(WriteOneMessageFolder(data));
  auto before = tooltest::Snapshot(data);
  std::ostringstream out, err;
  int code = zvtool::RunCheck(data, true, out, err);
  EXPECT_EQ(tooltest::Snapshot(data), before);
  // The missing folders file is reported as a problem; the message itself converts.
  EXPECT_EQ(code, zvtool::kExitNo);
  auto report = nlohmann::json::parse(out.str());
  EXPECT_EQ(report["messages"]["convert"], 1);
  EXPECT_EQ(report["folders_list"]["state"], "NOT converted");
  EXPECT_NE(report["contact_list"]["state"].get<std::string>().find("missing"), std::string::npos);
}

// Every file and directory under root: relative path -> size and modification time, so a file
// made and removed again shows in its directory's time.
std::map<std::string, std::string> NamesSizesTimes(const std::string& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative =
        std::filesystem::relative(entry.path(), std::filesystem::path(root)).generic_string();
    const auto time = entry.last_write_time().time_since_epoch().count();
    entries[relative] =
        (entry.is_directory() ? std::string("<dir>") : std::to_string(entry.file_size())) + " " +
        std::to_string(time);
  }
  return entries;
}

// A rerun over a folder with every kind of message outcome: check writes nothing, in the data
// folder or the temporary folder, and names why each failing message fails. The 3.1 files
// already there are compared with what would be written, from memory for a small old
// file and streamed for one larger than a single read.
TEST_F(CheckTest, EveryMessageOutcomeIsForetoldAndNothingIsWritten) {
  const std::string data = scratch.File("data") + kSep;
  const std::string temporary = scratch.File("tmp") + kSep;
  std::filesystem::create_directories(temporary);
  const tvtest::ScopedEnvironment tmpdir("TMPDIR", temporary.c_str());
  const tvtest::ScopedEnvironment tmp("TMP", temporary.c_str());
  const tvtest::ScopedEnvironment temp("TEMP", temporary.c_str());
  const std::string inbox = data + "Inbox" + kSep;
  auto message = [](uint64_t number, uint64_t attachmentSize) {
    tvtest::OldMessage m;
    m.hexName = tvtest::HexName(number);
    m.body = "body " + std::to_string(number);
    tvtest::OldAttachment a;
    a.name = "file.bin";
    a.generated = true;
    a.generatedSize = attachmentSize;
    a.seed = static_cast<uint32_t>(number);
    m.attachments.push_back(a);
    return m;
  };
  struct Case {
    const char* what;
    tvtest::OldMessage old;
    // What is done to its 3.1 file after the first run: nothing, replaced, or one byte flipped.
    enum { kSame, kOther, kLastByteFlipped, kNoNewFile } newFile;
    const char* problem;  // in check's failing list; "" when it converts
  };
  const uint64_t large = TvMessage::kWholeReadLimit + 4096;
  std::vector<Case> cases = {
      {"same bytes, small", message(1, 10), Case::kSame, ""},
      {"same bytes, large", message(2, large), Case::kSame, ""},
      {"other bytes", message(3, 10), Case::kOther, "existing-new-file-differs"},
      {"last content byte differs", message(4, large), Case::kLastByteFlipped,
       "existing-new-file-differs"},
      {"new", message(5, 10), Case::kNoNewFile, ""},
  };
  std::filesystem::create_directories(inbox);
  for (const Case& c : cases) {
    if (c.newFile != Case::kNoNewFile) {
      ASSERT_TRUE(tvtest::WriteOldMessage(inbox + c.old.FileName(), c.old)) << c.what;
    }
  }
  tooltest::ConvertInProcess(data, scratch.File("staging"), false);
  for (const Case& c : cases) {
    const std::string newFile = inbox + tvtest::NewMessageName(c.old.hexName);
    if (c.newFile == Case::kOther) {
      ASSERT_TRUE(tvtest::WriteWholeFile(newFile, "other"));
    }
    if (c.newFile == Case::kLastByteFlipped) {
      ASSERT_TRUE(tooltest::FlipByte(newFile, std::filesystem::file_size(newFile) - 1));
    }
    if (c.newFile == Case::kNoNewFile) {
      ASSERT_TRUE(tvtest::WriteOldMessage(inbox + c.old.FileName(), c.old)) << c.what;
    }
  }
  // Two old files of one new name, one that is no message, and two cut short: in the body and
  // in an attachment's contents.
  tvtest::OldMessage first = message(6, 10), second = message(7, 10), broken = message(8, 10);
  first.hexName = "0A1B2C3D4E5F60718293A4B5C6D7E8F9";
  second.hexName = "0A1B2C3D000000008293A4B500000000";
  broken.editHeaderBytes = [](uint8_t* h) { h[0] = 'X'; };
  for (const tvtest::OldMessage* m : {&first, &second, &broken}) {
    ASSERT_TRUE(tvtest::WriteOldMessage(inbox + m->FileName(), *m));
  }
  tvtest::OldMessage cutBody = message(9, 10), cutAttachment = message(10, 10);
  cutBody.attachments.clear();
  cutBody.body = std::string(200, 'b');
  const std::map<std::string, std::string> cut = {
      {inbox + cutBody.FileName(), tvtest::EncodeOldMessage(cutBody)},
      {inbox + cutAttachment.FileName(), tvtest::EncodeOldMessage(cutAttachment)}};
  for (const auto& [path, bytes] : cut) {
    ASSERT_TRUE(tvtest::WriteWholeFile(path, bytes.substr(0, bytes.size() - 4)));
  }

  const auto dataBefore = NamesSizesTimes(data);
  const auto temporaryBefore = NamesSizesTimes(temporary);
  std::ostringstream out, err;
  zvtool::RunCheck(data, true, out, err);
  EXPECT_EQ(NamesSizesTimes(data), dataBefore);
  EXPECT_EQ(NamesSizesTimes(temporary), temporaryBefore);

  auto report = nlohmann::json::parse(out.str());
  std::map<std::string, std::string> problems;
  for (const auto& f : report["messages"]["failing"]) {
    problems[f["file"].get<std::string>()] = f["problem"].get<std::string>();
  }
  for (const Case& c : cases) {
    const auto found = problems.find(inbox + c.old.FileName());
    EXPECT_EQ(found == problems.end() ? "" : found->second, c.problem) << c.what;
  }
  EXPECT_EQ(problems[inbox + broken.FileName()], "header");
  EXPECT_EQ(problems[inbox + cutBody.FileName()], "body-cut");
  EXPECT_EQ(problems[inbox + cutAttachment.FileName()], "attachment-past-end");
  const std::string loser =
      problems.count(inbox + first.FileName()) ? first.FileName() : second.FileName();
  EXPECT_EQ(problems[inbox + loser], "new-name-collision");
  EXPECT_EQ(problems.size(), 6u);
  EXPECT_EQ(report["messages"]["convert"], 4);
  size_t writtenAgain = 0;
  for (const auto& warning : report["warnings"]) {
    writtenAgain += warning.get<std::string>().find("written again") != std::string::npos;
  }
  EXPECT_EQ(writtenAgain, 2u);
}

// check reports the conversion's verdict on each leftover temporary file, and touches none.
TEST_F(CheckTest, LeftoverTemporaryFilesGetTheConversionsVerdicts) {
  const std::string data = scratch.File("data") + kSep;
  ASSERT_NO_FATAL_FAILURE(WriteOneMessageFolder(data));
  const std::string message = std::string("Inbox") + kSep + "0000000000000001.Message.zvtmp";
  const std::string sound = tvtest::BuildNewMessage({"someone"}, "only copy", {}).bytes;
  const std::map<std::string, std::string> verdicts = {{message, "recovered"},
                                                       {"AutoAnswers.List.zvtmp", "kept"}};
  ASSERT_TRUE(tvtest::WriteWholeFile(data + message, sound));
  ASSERT_TRUE(tvtest::WriteWholeFile(data + "AutoAnswers.List.zvtmp", "cut"));
  auto before = tooltest::Snapshot(data);
  std::ostringstream out, err;
  EXPECT_EQ(zvtool::RunCheck(data, true, out, err), zvtool::kExitNo);
  EXPECT_EQ(tooltest::Snapshot(data), before);
  auto report = nlohmann::json::parse(out.str());
  std::map<std::string, std::string> reported;
  for (const auto& entry : report["leftovers"]) {
    reported[entry["file"].get<std::string>().substr(data.size())] = entry["verdict"];
  }
  EXPECT_EQ(reported, verdicts) << report["leftovers"].dump(1);
}

// ---------------------------------------------------------------------------------------------
// Dump of a 3.1 message file

using DumpTest = ToolTest;

// dump prints what the format's reader read and, for a damaged file, where the broken part starts.
TEST_F(DumpTest, A31MessageIsPrintedUpToItsDamageWithTheOffsetAndKind) {
  const tvtest::NewMessageBytes sound =
      tvtest::BuildNewMessage({"alice", "bob"}, "Hello, world", {"abc", "defgh"});
  const uint64_t size = sound.bytes.size();
  const uint64_t second = sound.attachmentsAt + 281;  // the second attachment record
  struct Case {
    const char* what;
    std::function<void(tvtest::NewMessageBytes&)> damage;
    const char* problem;  // null for a sound file
    uint64_t stoppedAt;
    size_t recipients;
    bool body;
  };
  const Case cases[] = {
      {"sound", [](tvtest::NewMessageBytes&) {}, nullptr, 0, 2, true},
      {"body past the end", [](tvtest::NewMessageBytes& m) { m.Put(16, 10000, 4); },
       "section-past-end", sound.bodyAt, 2, false},
      {"trailing bytes",
       [](tvtest::NewMessageBytes& m) {
         m.bytes += 'x';
         m.Put(8, m.bytes.size(), 8);
       },
       "trailing-bytes", size, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tvtest::NewMessageBytes damaged = sound;
    c.damage(damaged);
    const std::string path = scratch.File("0011223344556677.Message");
    ASSERT_TRUE(tvtest::WriteWholeFile(path, damaged.bytes));
    std::ostringstream out, err;
    const int code = zvtool::RunDump(path, true, out, err);
    auto doc = nlohmann::json::parse(out.str());
    EXPECT_EQ(doc["kind"], "3.1 message file");
    EXPECT_EQ(code, c.problem ? zvtool::kExitNo : zvtool::kExitOk);
    EXPECT_EQ(doc["complete"], c.problem == nullptr);
    if (c.problem) {
      EXPECT_EQ(doc["problem"], c.problem);
      EXPECT_EQ(doc["stopped_at"], c.stoppedAt);
      EXPECT_FALSE(doc["reason"].get<std::string>().empty());
    }
    EXPECT_EQ(doc["header"]["recipient_count"], 2);
    EXPECT_EQ(doc["recipients"].size(), c.recipients);
    ASSERT_EQ(doc.contains("body"), c.body);
    if (c.body) {
      EXPECT_EQ(doc["body"]["offset"], sound.bodyAt);
      EXPECT_EQ(doc["body"]["preview"], "Hello, world");
      ASSERT_EQ(doc["attachments"].size(), 2u);
      EXPECT_EQ(doc["attachments"][1]["record_offset"], second);
      EXPECT_EQ(doc["attachments"][1]["name"], "file2.txt");
    }
  }
}

// The list files are printed as the readers return them: the records before the damage, and the
// reader's problem with the offset where the broken part starts.
TEST_F(DumpTest, ListsArePrintedUpToTheReadersProblem) {
  using contacts_support::Str;
  using contacts_support::U32;
  auto at = [](const std::string& bytes, uint32_t type, uint32_t data, const std::string& name) {
    return static_cast<uint64_t>(bytes.find(U32(type) + U32(data) + Str(name)));
  };
  const std::string oldList = EncodeOldContactList(contacts_support::SmallOldList(2));
  const std::string newList = contacts_support::SmallNewList();
  TvTextMessagesImage replies;
  replies.items = {contacts_support::CannedText("Later", "Call you back"),
                   contacts_support::CannedText("Busy", "In a meeting")};
  const std::string texts = EncodeTextMessages(replies);
  const uint64_t oldBob = at(oldList, 2, 0, "bob");
  const uint64_t newBob = at(newList, 2, 0, "bob");
  const uint64_t busy = at(texts, 0, 0, "Busy");
  const std::vector<folders::FolderRecord> two = {tvtest::Folder("One", 10),
                                                  tvtest::Folder("Two", 11)};
  const std::string foldersFile = folders::EncodeFoldersFile(two);
  const uint64_t secondFolder = 8 + folders::FolderRecordSize(two[0]);
  const std::string namesIndex =
      folders::EncodeNamesIndex({tvtest::NamesIndexRecord(1), tvtest::NamesIndexRecord(2)});
  const uint64_t secondName = 8 + folders::kNamesIndexRecordSize;
  struct Case {
    const char* file;
    std::string bytes;
    const char* problem;  // null for a sound file
    uint64_t stoppedAt;
    const char* records;  // where the records read are listed
    size_t count;
  };
  const Case cases[] = {
      {"ContactList.Users", oldList, nullptr, 0, "/groups", 3},
      {"ContactList.Users", oldList.substr(0, oldBob + 1), "user-cut", oldBob, "/groups/0/users",
       2},
      {"Contacts.List", newList, nullptr, 0, "/root/children", 2},
      {"Contacts.List", newList.substr(0, newBob + 3), "user-cut", newBob,
       "/root/children/0/record/children", 2},
      {"FastReplys.Array", texts, nullptr, 0, "/texts", 2},
      {"AutoAnswers.List", texts.substr(0, busy + 9), "item-cut", busy, "/texts", 1},
      {"Database.Folders", foldersFile, nullptr, 0, "/folders", 2},
      {"Database.Folders", foldersFile.substr(0, secondFolder + 9), "record-cut", secondFolder,
       "/folders", 1},
      {"Names.Index", namesIndex, nullptr, 0, "/records", 2},
      {"Names.Index", namesIndex.substr(0, secondName + 37), "record-cut", secondName, "/records",
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + (c.problem ? c.problem : "sound"));
    const std::string path = scratch.File(c.file);
    ASSERT_TRUE(tvtest::WriteWholeFile(path, c.bytes));
    std::ostringstream out, err;
    const int code = zvtool::RunDump(path, true, out, err);
    auto doc = nlohmann::json::parse(out.str());
    EXPECT_EQ(code, c.problem ? zvtool::kExitNo : zvtool::kExitOk);
    EXPECT_EQ(doc["complete"], c.problem == nullptr);
    ASSERT_TRUE(doc.contains(nlohmann::json::json_pointer(c.records))) << doc.dump(1);
    EXPECT_EQ(doc[nlohmann::json::json_pointer(c.records)].size(), c.count);
    if (c.problem) {
      EXPECT_EQ(doc["problem"], c.problem);
      EXPECT_EQ(doc["stopped_at"], c.stoppedAt);
      EXPECT_FALSE(doc["reason"].get<std::string>().empty());
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Texts

TEST(ToolTextTest, AnsiBytesSurviveTheWayThroughJson) {
  const std::string ansi =
      "Gr\xFC\xDF"
      "e, caf\xE9 \x80\xFF";
  const std::string text = zvtool::JsonText(ansi);
  auto parsed = nlohmann::json::parse(nlohmann::json(text).dump());
  // Back from UTF-8 to one byte per character: the original bytes.
  std::string utf8 = parsed.get<std::string>();
  std::string back;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      back.push_back(static_cast<char>(c));
    } else {
      back.push_back(static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F)));
    }
  }
  EXPECT_EQ(back, ansi);
}

TEST(ToolTextTest, ReadableOutputNestsAndEscapesLineBreaks) {
  zvtool::Json doc;
  doc["kind"] = "3.0 message file";
  doc["body"]["preview"] = "one\r\ntwo";
  doc["recipients"] = zvtool::Json::array({{{"name", "ANNA"}, {"kind", 1}}});
  doc["attachments"] = zvtool::Json::array();
  std::ostringstream out;
  zvtool::PrintReadable(out, doc);
  EXPECT_EQ(out.str(),
            "kind: 3.0 message file\n"
            "body:\n"
            "  preview: one\\r\\ntwo\n"
            "recipients:\n"
            "  - name: ANNA\n"
            "    kind: 1\n"
            "attachments: (none)\n");
  EXPECT_EQ(zvtool::Grouped(19168), "19,168");
  EXPECT_EQ(zvtool::Grouped(999), "999");
  EXPECT_EQ(zvtool::Grouped(1000000), "1,000,000");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reports

// Reports as the converter writes them (ReportJson), a damaged and a foreign file, and a file of
// another kind: one row per .json file, damaged and foreign ones named, totals, and CSV quoting.
TEST_F(ToolTest, ReportsTabulatesEveryMachineAndNamesDamagedAndForeignFiles) {
  const std::string dir = scratch.MakeDir("reports");
  const struct {
    const char* computer;
    int exitStatus;
    uint32_t converted, notConverted, errors;
    const char* firstError;
  } kMachines[] = {
      {"PC-01", 0, 10, 0, 0, nullptr},
      {"PC-02", 1, 20, 1, 2, "Message: \"a, b\xE9\" , NOT loaded"},
      {"PC-03", 2, 0, 0, 1, "Core Initialization failed"},
  };
  for (const auto& m : kMachines) {
    TvReportFacts facts;
    facts.version = "1.0.0.137";
    facts.computer = m.computer;
    facts.user = "olga";
    facts.exitStatus = m.exitStatus;
    facts.outcome.messagesConverted = m.converted;
    facts.outcome.messagesNotConverted = m.notConverted;
    facts.outcome.listFilesConverted = 4;
    facts.outcome.failures = m.errors;
    if (m.firstError != nullptr) facts.firstErrors = {m.firstError, "second"};
    ASSERT_TRUE(tvtest::WriteWholeFile(dir + kSep + m.computer + ".json", ReportJson(facts)));
  }
  ASSERT_TRUE(tvtest::WriteWholeFile(dir + kSep + "PC-04.json", "{\"report\": \"ZV30"));
  ASSERT_TRUE(tvtest::WriteWholeFile(dir + kSep + "other.JSON", "{\"kind\": 1}"));
  ASSERT_TRUE(tvtest::WriteWholeFile(dir + kSep + "notes.txt", "not a report"));

  std::ostringstream out, err;
  EXPECT_EQ(zvtool::RunReports(dir, false, out, err), zvtool::kExitNo);
  const std::string table = out.str();
  for (const char* line :
       {"PC-01       olga  0 done ", "PC-02       olga  1 errors ",
        "PC-03       olga  2 could not start ", "NOT loaded\n", "PC-04.json  -     -  ",
        "  damaged: not JSON\n", "  foreign: not a converter report\n",
        "Total: 5 files, 3 reports (1 done, 1 errors, 1 could not start), "
        "2 damaged or foreign",
        "Messages converted 30, not converted 1, list files converted 12, "
        "errors 3"}) {
    EXPECT_NE(table.find(line), std::string::npos) << line << "\n" << table;
  }
  EXPECT_EQ(table.find("notes.txt"), std::string::npos);

  std::ostringstream csv, csvErr;
  EXPECT_EQ(zvtool::RunReports(dir, true, csv, csvErr), zvtool::kExitNo);
  // The byte 0xE9 comes back as the Latin-1 character, in UTF-8.
  EXPECT_NE(csv.str().find("PC-02.json,PC-02,olga,1,errors,20,1,4,2,"
                           "\"Message: \"\"a, b\xC3\xA9\"\" , NOT loaded\",\r\n"),
            std::string::npos)
      << csv.str();
  EXPECT_NE(csv.str().find("PC-04.json,,,,,,,,,,damaged: not JSON\r\n"), std::string::npos);

  // Exit status: 0 when every report says 0; 2 when the folder cannot be read.
  const std::string good = scratch.MakeDir("good");
  std::filesystem::copy_file(dir + kSep + "PC-01.json", good + kSep + "PC-01.json");
  std::ostringstream ignored;
  EXPECT_EQ(zvtool::RunReports(good, false, ignored, ignored), zvtool::kExitOk);
  EXPECT_EQ(zvtool::RunReports(dir + kSep + "missing", false, ignored, ignored),
            zvtool::kExitError);
}
