// zvtool end to end: the built binary on generated data folders, beside the conversion itself
// (the real converter binary natively; the conversion's stores in process under Wine, where the
// converter would need the prefix's registry).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "database/folders_format.h"
#include "foundation/coding.h"
#include "support/conversion_log_reader.h"
#include "support/old_contacts_writer.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"
#include "support/test_helpers.h"
#include "tools/tool_fixture.h"

namespace {

using nlohmann::json;
using testing::Contains;
using testing::HasSubstr;
using tooltest::kSep;
using tooltest::RunResult;

class ZvtoolTest : public tvtest::ScratchTest {
 protected:
  RunResult Zvtool(const std::vector<std::string>& arguments) {
    return tooltest::Run(tooltest::Binary("zvtool"), arguments, scratch.Path());
  }

  // A sample 3.0 data folder; returns its path with a separator at the end.
  std::string Sample(const std::string& where, int messages, int seed) {
    RunResult r = Zvtool({"sample", where, "--messages", std::to_string(messages), "--folders", "2",
                          "--seed", std::to_string(seed)});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return where + kSep;
  }

  // The data folder the converter binary uses in a private home (its parents made here):
  // natively under XDG_DATA_HOME; under Wine the in-process conversion takes any folder.
  std::string ConverterDataFolder() {
#ifdef _WIN32
    return scratch.File("data");
#else
    std::filesystem::create_directories(scratch.File("home/.local/share/Tarvo software"));
    return scratch.File("home/.local/share/Tarvo software/Zorvane");
#endif
  }

  // Converts the folder that ConverterDataFolder names, deleting old files. The converter ends
  // with 1 when it logged an error, 0 otherwise.
  void Convert(int expectedExit) {
#ifdef _WIN32
    (void)expectedExit;
    tooltest::ConvertInProcess(ConverterDataFolder(), scratch.File("staging"), true);
#else
    const std::string home = scratch.File("home");
    tvtest::RemoveTree(scratch.File("tmp"));
    scratch.MakeDir("tmp");
    RunResult r = tooltest::Run(tooltest::Binary("zv30to31"), {"/SILENT"}, scratch.Path(),
                                {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                                 "XDG_DATA_HOME=" + home + "/.local/share",
                                 "XDG_RUNTIME_DIR=" + home, "TMPDIR=" + scratch.File("tmp")});
    ASSERT_EQ(r.exitCode, expectedExit) << r.err;
#endif
  }

  // A sample that the converter converted, and its 3.0 copy in backup taken before.
  void ConvertSampleKeepingBackup(int messages, int seed) {
    converted = Sample(ConverterDataFolder(), messages, seed);
    ASSERT_TRUE(tooltest::CopyTree(converted, backup));
    Convert(0);
  }

  const std::string backup = scratch.File("Zorvane BackUp");
  std::string converted;
};

TEST_F(ZvtoolTest, HelpListsEveryCommandAndBadPathsAreClearErrors) {
  RunResult help = Zvtool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"sample", "dump", "check", "verify"}) {
    EXPECT_THAT(help.out, HasSubstr(command));
  }
  RunResult checkHelp = Zvtool({"check", "--help"});
  EXPECT_EQ(checkHelp.exitCode, 0);
  EXPECT_THAT(checkHelp.out, HasSubstr("Changes nothing"));

  const std::string missing = scratch.File("no such folder");
  for (const std::vector<std::string>& command : {std::vector<std::string>{"check", missing},
                                                  {"verify", missing, scratch.Path()},
                                                  {"dump", missing}}) {
    RunResult r = Zvtool(command);
    EXPECT_EQ(r.exitCode, 2) << command[0];
    EXPECT_THAT(r.err, HasSubstr(missing)) << command[0];
  }
  EXPECT_EQ(Zvtool({"frobnicate"}).exitCode, 2);
  EXPECT_EQ(Zvtool({"sample"}).exitCode, 2);
}

TEST_F(ZvtoolTest, DumpJsonOfEveryFileKindParses) {
  const std::string data = Sample(scratch.File("data"), 12, 5);
  // Converted without deleting: old and new files side by side.
  tooltest::ConvertInProcess(data, scratch.File("staging"), false);
  std::string oldMessage, newMessage;
  for (const std::string& name : tooltest::FilesIn(data + "Inbox")) {
    if (name.size() == 40) oldMessage = data + "Inbox" + kSep + name;
    if (name.size() == 24) newMessage = data + "Inbox" + kSep + name;
  }
  ASSERT_FALSE(oldMessage.empty());
  ASSERT_FALSE(newMessage.empty());
  const std::vector<std::pair<std::string, std::string>> files = {
      {data + "Database.Folders", "3.0 folders file"},
      {data + "Folders.List", "3.1 folders list"},
      {data + "Names.Index", "names index"},
      {oldMessage, "3.0 message file"},
      {newMessage, "3.1 message file"},
      {data + "ContactList.Users", "3.0 contact list"},
      {data + "Contacts.List", "3.1 contact list"},
      {data + "FastReplys.Array", "3.0 canned replies"},
      {data + "AutoAnswers.List", "3.1 canned replies"},
  };
  for (const auto& [path, kind] : files) {
    RunResult r = Zvtool({"dump", path, "--json"});
    EXPECT_EQ(r.exitCode, 0) << path << "\n" << r.out << r.err;
    json doc = json::parse(r.out, nullptr, false);
    ASSERT_FALSE(doc.is_discarded()) << path << "\n" << r.out;
    EXPECT_EQ(doc["kind"], kind) << path;
    EXPECT_EQ(doc["complete"], true) << path;
  }
  // Content checks on two kinds: the tree and the folders as written.
  json contacts = json::parse(Zvtool({"dump", data + "Contacts.List", "--json"}).out);
  EXPECT_EQ(contacts["root"]["type"], 1);
  EXPECT_EQ(contacts["root"]["children"][0]["record"]["name"], "Friends");
  json list = json::parse(Zvtool({"dump", data + "Folders.List", "--json"}).out);
  ASSERT_EQ(list["folders"].size(), 8u);
  EXPECT_EQ(list["folders"][2]["name"], "Sent items");
  EXPECT_EQ(list["folders"][6]["id"], 10);

  // A damaged file is dumped up to the damage, with where and why it stopped.
  const std::string cut = scratch.File("cut.Message");
  ASSERT_TRUE(tvtest::WriteWholeFile(cut, tvtest::ReadWholeFile(oldMessage).substr(0, 230)));
  RunResult damaged = Zvtool({"dump", cut, "--json"});
  EXPECT_EQ(damaged.exitCode, 1);
  json doc = json::parse(damaged.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << damaged.out;
  EXPECT_EQ(doc["complete"], false);
  EXPECT_TRUE(doc.contains("stopped_at"));
  EXPECT_TRUE(doc["header"].contains("recipient_count"));
  RunResult text = Zvtool({"dump", cut});
  EXPECT_THAT(text.out, HasSubstr("stopped_at: "));
  EXPECT_THAT(text.out, HasSubstr("reason: "));
}

TEST_F(ZvtoolTest, CheckReportsAFolderWhoseNameIsNoPlainNameAsTheConversionDoes) {
  const std::string data = Sample(scratch.File("data"), 3, 4);
  RunResult clean = Zvtool({"check", data, "--json"});
  ASSERT_EQ(clean.exitCode, 0) << clean.out;
  EXPECT_EQ(json::parse(clean.out)["result"], "everything converts");

  // One more user folder, whose name would not stay a single folder under the data folder.
  folders::FoldersFile file;
  std::string problem;
  ASSERT_TRUE(
      folders::DecodeFoldersFile(tvtest::ReadWholeFile(data + "Database.Folders"), file, &problem))
      << problem;
  file.records.push_back(tvtest::Folder("bad:name", 20));
  ASSERT_TRUE(
      tvtest::WriteWholeFile(data + "Database.Folders", folders::EncodeFoldersFile(file.records)));
  RunResult check = Zvtool({"check", data, "--json"});
  EXPECT_EQ(check.exitCode, 1);
  json report = json::parse(check.out);
  ASSERT_EQ(report["unsafe_folders"].size(), 1u);
  EXPECT_THAT(report["unsafe_folders"][0].get<std::string>(), HasSubstr("'bad:name'"));

  tooltest::ConvertInProcess(data, scratch.File("staging"), false);
  EXPECT_THAT(tvtest::ConversionLogEntries(data + "Conversion3.0-3.1.Log.Txt"),
              Contains(HasSubstr("Folder: 'bad:name' , NOT converted")));
}

TEST_F(ZvtoolTest, VerifyPassesAfterACleanConversionAndNamesEachLoss) {
  ASSERT_NO_FATAL_FAILURE(ConvertSampleKeepingBackup(24, 11));
  const std::string& data = converted;
  RunResult clean = Zvtool({"verify", backup, data});
  EXPECT_EQ(clean.exitCode, 0) << clean.out << clean.err;
  EXPECT_THAT(clean.out, HasSubstr("result: nothing lost"));
  json table = json::parse(Zvtool({"verify", backup, data, "--json"}).out);
  for (const json& store : table["stores"]) {
    EXPECT_EQ(store["found"], store["converted"]) << store.dump();
  }
  EXPECT_EQ(table["stores"][2]["found"], 24);

  // Each kind of loss on its own copy of the converted folder.
  std::vector<std::string> oldInbox;
  for (const std::string& name : tooltest::FilesIn(backup + kSep + "Inbox")) {
    if (name.size() == 40) oldInbox.push_back(name);
  }
  ASSERT_FALSE(oldInbox.empty());
  const std::string victimOld = backup + kSep + "Inbox" + kSep + oldInbox[0];
  const std::string newName = tvtest::NewMessageName(oldInbox[0].substr(0, 32));
  struct Damage {
    const char* what;
    const char* expected;
  };
  const Damage damages[] = {
      {"removed", "missing: "},
      {"truncated", "different: "},
      {"body byte", "body differs at byte 3"},
      {"trailing byte", "the 3.1 file is damaged: bytes after the last attachment at byte "}};
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    const std::string copy = scratch.File(std::string("after ") + damage.what);
    ASSERT_TRUE(tooltest::CopyTree(data, copy));
    const std::string victim = copy + kSep + "Inbox" + kSep + newName;
    ASSERT_TRUE(tvtest::PathExists(victim)) << victim;
    const std::string bytes = tvtest::ReadWholeFile(victim);
    std::string expected = damage.expected;
    if (std::string(damage.what) == "removed") {
      ASSERT_TRUE(tvtest::RemoveTree(victim));
    } else if (std::string(damage.what) == "truncated") {
      ASSERT_TRUE(tooltest::Truncate(victim, bytes.size() - 1));
    } else if (std::string(damage.what) == "trailing byte") {
      // One byte more, with the header's total size saying so: the problem is at the old end.
      std::string longer = bytes + 'x';
      std::string total;
      PutFixed64(&total, longer.size());
      ASSERT_TRUE(tvtest::WriteWholeFile(victim, longer.replace(8, 8, total)));
      expected += std::to_string(bytes.size());
    } else {
      json dumped = json::parse(Zvtool({"dump", victim, "--json"}).out);
      ASSERT_TRUE(tooltest::FlipByte(victim, dumped["body"]["offset"].get<uint64_t>() + 3));
    }
    RunResult r = Zvtool({"verify", backup, copy});
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_THAT(r.out, HasSubstr(victimOld));
    EXPECT_THAT(r.out, HasSubstr(expected));
    EXPECT_THAT(r.out, HasSubstr("LOSS OR DIFFERENCE FOUND"));
  }
}

TEST_F(ZvtoolTest, VerifyTellsTheSidesApartAndARerunApartFromLoss) {
  ASSERT_NO_FATAL_FAILURE(ConvertSampleKeepingBackup(12, 5));
  const std::string& data = converted;
  RunResult swapped = Zvtool({"verify", data, backup});
  EXPECT_EQ(swapped.exitCode, 0) << swapped.out << swapped.err;
  EXPECT_THAT(swapped.out, HasSubstr("result: nothing lost"));
  EXPECT_THAT(swapped.err, HasSubstr("taking it as the converted folder"));

  struct Mismatch {
    std::string oldSide, newSide, why;
  };
  const std::string other = Sample(scratch.File("other"), 6, 99);
  for (const Mismatch& m :
       {Mismatch{backup, backup, "neither folder holds 3.1 files"},
        Mismatch{data, data, "holds no 3.0 data"},
        Mismatch{other, data, "not an old and a new folder of the same data"}}) {
    RunResult r = Zvtool({"verify", m.oldSide, m.newSide});
    EXPECT_EQ(r.exitCode, 2) << m.why << "\n" << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr(m.why));
  }

  // An interrupted run: one message's new file is not there yet and its old file still is.
  std::string oldName;
  for (const std::string& name : tooltest::FilesIn(backup + kSep + "Inbox")) {
    if (name.size() == 40) oldName = name;
  }
  ASSERT_FALSE(oldName.empty());
  const std::string interrupted = scratch.File("interrupted");
  ASSERT_TRUE(tooltest::CopyTree(data, interrupted));
  const std::string inbox = interrupted + kSep + "Inbox" + kSep;
  ASSERT_TRUE(tvtest::RemoveTree(inbox + tvtest::NewMessageName(oldName.substr(0, 32))));
  ASSERT_TRUE(tvtest::WriteWholeFile(
      inbox + oldName, tvtest::ReadWholeFile(backup + kSep + "Inbox" + kSep + oldName)));
  RunResult rerun = Zvtool({"verify", backup, interrupted, "--json"});
  EXPECT_EQ(rerun.exitCode, 1);
  json report = json::parse(rerun.out);
  EXPECT_EQ(report["stores"][2]["not_converted_yet"], 1);
  EXPECT_EQ(report["stores"][2]["missing"], 0);
  EXPECT_EQ(report["result"], "NOT COMPLETE: nothing lost, but see the problems above");
  EXPECT_THAT(
      report["stores"][2]["problems"][0].get<std::string>(),
      HasSubstr("not converted yet, old file present: rerun the conversion: " + inbox + oldName))
      << report.dump(1);

  // A damaged folders header promises far more folders than the file holds: counts come from
  // the records read.
  std::string folders = tvtest::ReadWholeFile(backup + kSep + "Database.Folders");
  folders.replace(4, 4, std::string("\xFF\xFF\xFF\x7F", 4));
  ASSERT_TRUE(tvtest::WriteWholeFile(backup + kSep + "Database.Folders", folders));
  report = json::parse(Zvtool({"verify", backup, data, "--json"}).out);
  EXPECT_LT(report["stores"][0]["found"].get<uint64_t>(), 100u) << report.dump(1);
  EXPECT_NE(report["result"], "nothing lost");
}

// What the stores cannot convert, item by item, is named by check and by verify. (That check
// foretells it and the conversion keeps and tells it is the agreement property test's and the
// stores' own tests'.)
TEST_F(ZvtoolTest, WhatTheStoresCannotConvertIsNamedByCheckAndVerify) {
  const std::string data = ConverterDataFolder() + kSep;
  tvtest::OldDataFolder old(data);
  old.Folders({tvtest::Folder("Archive", 12), tvtest::Folder("Projects", 12)});
  old.Message("Projects", tvtest::OldMessage());
  TvOldContactUserImage first = contacts_support::OldUser("Sales");
  first.value1 = 0xC0A801B3;
  TvOldContactUserImage second = contacts_support::OldUser("Sales");
  second.value1 = 0xC0A80194;
  contacts_support::WriteOldContactList(data, {2,
                                               0,
                                               std::nullopt,
                                               {contacts_support::OldGroup("Work", {first}),
                                                contacts_support::OldGroup("work", {second})}});
  ASSERT_TRUE(tooltest::CopyTree(data, backup));

  json report = json::parse(Zvtool({"check", data, "--json"}).out);
  // Projects' id is taken by Archive, listed before it: its message would be left behind.
  ASSERT_EQ(report["folders_list"]["messages_left_behind"].size(), 1u) << report.dump(1);
  EXPECT_THAT(report["folders_list"]["messages_left_behind"][0].get<std::string>(),
              HasSubstr("'Projects' (id 12): 1 message file(s)"));

  Convert(1);
  RunResult verify = Zvtool({"verify", backup, data});
  EXPECT_EQ(verify.exitCode, 1) << verify.out;
  EXPECT_THAT(verify.out, HasSubstr("result: NOT COMPLETE"));
  EXPECT_THAT(verify.out,
              HasSubstr("not convertible: user 'Sales' (192.168.1.148) of group 'work'"));
  EXPECT_THAT(verify.out, HasSubstr("not convertible: folder 'Projects' (id 12)"));
}

}  // namespace
