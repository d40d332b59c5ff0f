// check, the conversion and verify agree on generated 3.0 data folders: what check foretells for
// each old message and list file is what the conversion then does and logs, check changes
// nothing, and verify finds nothing lost and exactly what the conversion left undone.
//
// Each case is drawn from a seed; the seed and the folder's description are printed with any
// failure. ZV_AGREEMENT_CASES and ZV_AGREEMENT_SEED run more cases or other seeds by hand.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include "database/folders_format.h"
#include "foundation/run_outcome.h"
#include "support/conversion_log_reader.h"
#include "support/old_contacts_writer.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"
#include "support/small_contact_list.h"
#include "tools/tool_fixture.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using tooltest::RunResult;

// A list store as each tool names it: verify's store name, check's key, the old and new files,
// and the head of the Error lines the conversion writes about the store's items.
struct ListStore {
  const char* verifyName;
  const char* checkKey;
  const char* oldName;
  const char* newName;
  const char* errorHead;
};
const ListStore kListStores[] = {
    {"folders list", "folders_list", "Database.Folders", "Folders.List", "Folder: "},
    {"contact list", "contact_list", "ContactList.Users", "Contacts.List", "Contact: "},
    {"fast replies", "fast_replies", "FastReplys.Array", "FastReplys.List", "Fast replies"},
    {"auto answers", "auto_answers", "AutoAnswers.Array", "AutoAnswers.List", "Auto answers"},
};
const char* const kFixedNames[] = {"Database.Folders", "Names.Index",       "ContactList.Users",
                                   "FastReplys.Array", "AutoAnswers.Array", "Folders.List",
                                   "Contacts.List",    "FastReplys.List",   "AutoAnswers.List"};

enum class Rerun { kFresh, kHalfConverted, kConvertedBefore, kListEditedSince };
const char* const kRerunNames[] = {"nothing converted yet", "half converted",
                                   "converted before, run again", "a 3.1 list edited since"};

// One generated case, drawn from its seed.
struct Description {
  uint32_t seed = 0;
  int messages = 0, userFolders = 0;
  Rerun rerun = Rerun::kFresh;
  bool earlierRunDeletedOld = false;            // for "converted before, run again"
  int editedLists = 0;                          // a mask over kListStores
  int letterCase[std::size(kFixedNames)] = {};  // 0 as written, 1 upper, 2 lower
  bool cutMessage = false, cutList = false, mergeDrop = false, stranded = false, collision = false;
  bool foreignNewFile = false;  // another 3.1 file already under a message's new name
  int cutListIndex = 1;
  bool deleteOld = true;

  static Description Draw(uint32_t seed) {
    std::mt19937 rng(seed);
    auto pick = [&rng](uint32_t n) { return static_cast<int>(rng() % n); };
    Description d;
    d.seed = seed;
    d.messages = 2 + pick(6);
    d.userFolders = pick(3);
    d.rerun = static_cast<Rerun>(pick(4));
    d.earlierRunDeletedOld = pick(2) == 0;
    d.editedLists = 1 + pick(15);
    for (int& c : d.letterCase) c = pick(3);
    d.cutMessage = pick(3) == 0;
    d.cutList = pick(4) == 0;
    d.cutListIndex = 1 + pick(3);
    d.mergeDrop = pick(4) == 0;
    d.stranded = pick(4) == 0;
    d.collision = pick(4) == 0;
    d.foreignNewFile = pick(5) == 0;
    d.deleteOld = pick(3) != 0;
    return d;
  }

  std::string Text() const {
    std::ostringstream out;
    out << "seed " << seed << ": " << messages << " messages, " << userFolders << " user folders, "
        << kRerunNames[static_cast<int>(rerun)];
    if (rerun == Rerun::kConvertedBefore) {
      out << (earlierRunDeletedOld ? " (old deleted)" : " (old kept)");
    }
    for (size_t i = 0; rerun == Rerun::kListEditedSince && i < std::size(kListStores); ++i) {
      if (editedLists & (1 << i)) out << " " << kListStores[i].newName;
    }
    out << "; letter case";
    for (int c : letterCase)
      out << " "
          << "=UL"[c];
    if (cutMessage) out << "; a cut message";
    if (cutList) out << "; cut " << kListStores[cutListIndex].oldName;
    if (mergeDrop) out << "; Work/work merge drop";
    if (stranded) out << "; a stranded folder";
    if (collision) out << "; a new-name collision";
    if (foreignNewFile) out << "; a foreign 3.1 file under a new name";
    out << "; delete-old " << (deleteOld ? "on" : "off");
    return out.str();
  }
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The file of that name in directory in any letter case, or an empty text.
std::string FindAnyCase(const std::string& directory, const std::string& name) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    if (Lower(entry.path().filename().string()) == Lower(name)) return entry.path().string();
  }
  return std::string();
}

bool IsOldMessageName(const std::string& name) {
  return name.size() == 40 && name.compare(32, 8, ".Message") == 0;
}

// Old message files of the data folder's directories, relative to it ("Inbox/<name>").
std::vector<std::string> OldMessages(const std::string& data) {
  std::vector<std::string> found;
  for (const auto& dir : fs::directory_iterator(data)) {
    if (!dir.is_directory()) continue;
    for (const auto& file : fs::directory_iterator(dir.path())) {
      const std::string name = file.path().filename().string();
      if (IsOldMessageName(name)) found.push_back(dir.path().filename().string() + "/" + name);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// A file's identity, empty when there is none: written again (a new file put in its place) or
// rewritten gives another one.
std::string IdOf(const std::string& path) {
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0) return std::string();
  return std::to_string(info.st_ino) + ":" + tvtest::ReadWholeFile(path);
}

// A 3.1 list with other content than any conversion writes.
std::string EditedList(int store) {
  TvTextMessagesImage texts;
  texts.items = {contacts_support::CannedText("Edited", "in 3.1")};
  using contacts_support::GroupRecord;
  switch (store) {
    case 0:
      return folders::EncodeFoldersFile({tvtest::Folder("Added in 3.1", 40)});
    case 1:
      return contacts_support::ContactsFile(
          GroupRecord(0, "", "", 0, {{1, "Edited", GroupRecord(0, "Edited", "", 0, {})}}));
    default:
      return EncodeTextMessages(texts);
  }
}

// Cases per run: under the sanitizers every process runs several times slower.
#ifdef __SANITIZE_ADDRESS__
constexpr int kDefaultCases = 16;
#else
constexpr int kDefaultCases = 32;
#endif

int EnvironmentNumber(const char* name, int otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : otherwise;
}

class AgreementTest : public tvtest::ScratchTest {
 protected:
  // The data folder the converter binary finds in its private home.
  std::string Home() const { return scratch.File("home"); }
  std::string DataFolder() const { return Home() + "/.local/share/Tarvo software/Zorvane/"; }

  RunResult Zvtool(const std::vector<std::string>& arguments) {
    return tooltest::Run(tooltest::Binary("zvtool"), arguments, scratch.Path());
  }

  // The conversion of the data folder: the converter binary in silent mode (which deletes old
  // files) or, with delete-old off, the same stores in process. Returns its exit status (1 when
  // it met an error); errors holds the Error texts it showed beside its log.
  int Convert(bool deleteOld, std::vector<std::string>& errors) {
    tvtest::RemoveTree(scratch.File("tmp"));
    scratch.MakeDir("tmp");
    if (!deleteOld) {
      ui.boxes.clear();
      ResetRunOutcome();
      tooltest::ConvertInProcess(DataFolder(), scratch.File("tmp"), false);
      for (const auto& box : ui.boxes) errors.push_back(box.text);
      // The converter's exit status: 1 when it reported any failure.
      return RunOutcome().failures != 0 ? 1 : 0;
    }
    RunResult r = tooltest::Run(tooltest::Binary("zv30to31"), {"/SILENT"}, scratch.Path(),
                                {"HOME=" + Home(), "XDG_CONFIG_HOME=" + Home() + "/.config",
                                 "XDG_DATA_HOME=" + Home() + "/.local/share",
                                 "XDG_RUNTIME_DIR=" + Home(), "TMPDIR=" + scratch.File("tmp")});
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);) errors.push_back(line);
    return r.exitCode;
  }

  void Generate(const Description& d);
  void RunCase(const Description& d);
};

void AgreementTest::Generate(const Description& d) {
  const std::string data = DataFolder();
  fs::create_directories(Home() + "/.local/share/Tarvo software");
  RunResult sample = Zvtool({"sample", data, "--messages", std::to_string(d.messages), "--folders",
                             std::to_string(d.userFolders), "--seed", std::to_string(d.seed)});
  ASSERT_EQ(sample.exitCode, 0) << sample.err;
  std::mt19937 rng(d.seed ^ 0x9E3779B9u);
  const std::vector<std::string> messages = OldMessages(data);
  ASSERT_FALSE(messages.empty());

  if (d.cutMessage) {
    const std::string victim = data + messages[rng() % messages.size()];
    const uint64_t size = fs::file_size(victim);
    ASSERT_TRUE(tooltest::Truncate(victim, 1 + rng() % (size - 1)));
  }
  if (d.collision) {
    // Digit 10 is not part of the new name: the twin maps to the same 3.1 file.
    const std::string original = messages[rng() % messages.size()];
    std::string twin = original;
    twin[twin.find('/') + 11] = twin[twin.find('/') + 11] == 'A' ? 'B' : 'A';
    ASSERT_TRUE(tvtest::WriteWholeFile(data + twin, tvtest::ReadWholeFile(data + original)));
  }
  if (d.foreignNewFile) {
    const std::string message = messages[rng() % messages.size()];
    const std::string dir = message.substr(0, message.find('/') + 1);
    ASSERT_TRUE(tvtest::WriteWholeFile(
        data + dir + tvtest::NewMessageName(message.substr(dir.size())), "someone else's file"));
  }
  if (d.mergeDrop) {
    TvOldContactUserImage first = contacts_support::OldUser("Sales");
    first.value1 = 0xC0A801B3;
    TvOldContactUserImage second = contacts_support::OldUser("Sales");
    second.value1 = 0xC0A80194;
    contacts_support::WriteOldContactList(
        data,
        {2,
         0,
         std::nullopt,
         {contacts_support::OldGroup("Work", {first}), contacts_support::OldGroup("work", {second}),
          contacts_support::OldGroup("Home", {contacts_support::OldUser("Olga")})}});
  }
  if (d.cutList) {
    const std::string list = data + kListStores[d.cutListIndex].oldName;
    const uint64_t size = fs::file_size(list);
    if (size > 1) {
      ASSERT_TRUE(tooltest::Truncate(list, 1 + rng() % (size - 1)));
    }
  }
  if (d.stranded) {
    // A folder whose id an earlier record holds is dropped; its directory holds a message.
    folders::FoldersFile file;
    std::string problem;
    ASSERT_TRUE(folders::DecodeFoldersFile(tvtest::ReadWholeFile(data + "Database.Folders"), file,
                                           &problem))
        << problem;
    file.records.push_back(tvtest::Folder("Stranded", file.records.back().id));
    ASSERT_TRUE(tvtest::WriteWholeFile(data + "Database.Folders",
                                       folders::EncodeFoldersFile(file.records)));
    tvtest::OldMessage left;
    left.hexName = tvtest::HexName(0xABCDEF + d.seed);
    left.body = "left in a dropped folder";
    tvtest::OldDataFolder(data).Message("Stranded", left);
  }

  switch (d.rerun) {
    case Rerun::kFresh:
      break;
    case Rerun::kConvertedBefore:
    case Rerun::kListEditedSince: {
      const bool deleted = d.earlierRunDeletedOld && d.rerun == Rerun::kConvertedBefore;
      tooltest::ConvertInProcess(data, scratch.File("tmp"), deleted);
      for (int i = 0; d.rerun == Rerun::kListEditedSince && i < 4; ++i) {
        if (d.editedLists & (1 << i)) {
          ASSERT_TRUE(tvtest::WriteWholeFile(data + kListStores[i].newName, EditedList(i)));
        }
      }
      break;
    }
    case Rerun::kHalfConverted: {
      // A converted copy gives the new files: every other message is taken over with its old
      // file deleted, and the 3.1 folders list is written.
      const std::string side = scratch.File("converted copy") + "/";
      ASSERT_TRUE(tooltest::CopyTree(data, side));
      tooltest::ConvertInProcess(side, scratch.File("tmp"), true);
      for (size_t i = 0; i < messages.size(); i += 2) {
        const std::string dir = messages[i].substr(0, messages[i].find('/') + 1);
        const std::string newFile = dir + tvtest::NewMessageName(messages[i].substr(dir.size()));
        if (!tvtest::PathExists(side + newFile) || !tvtest::PathExists(data + messages[i]))
          continue;
        ASSERT_TRUE(tvtest::WriteWholeFile(data + newFile, tvtest::ReadWholeFile(side + newFile)));
        ASSERT_TRUE(tvtest::RemoveTree(data + messages[i]));
      }
      if (tvtest::PathExists(side + "Folders.List")) {
        ASSERT_TRUE(tvtest::WriteWholeFile(data + "Folders.List",
                                           tvtest::ReadWholeFile(side + "Folders.List")));
      }
      break;
    }
  }
  tvtest::RemoveTree(data + "Conversion3.0-3.1.Log.Txt");  // an earlier run's log

  for (size_t i = 0; i < std::size(kFixedNames); ++i) {
    if (d.letterCase[i] == 0 || !tvtest::PathExists(data + kFixedNames[i])) continue;
    std::string other = kFixedNames[i];
    for (char& c : other) {
      c = static_cast<char>(d.letterCase[i] == 1 ? std::toupper(c) : std::tolower(c));
    }
    fs::rename(data + kFixedNames[i], data + other);
  }
}

// A list store's outcome in a few words: whether the 3.1 list is written and, when there was an
// old file, whether it is kept.
std::string ListOutcome(bool written, bool hadOld, bool oldKept) {
  std::string out = written ? "written" : "not written";
  if (hadOld) out += oldKept ? ", old kept" : ", old deleted";
  return out;
}

// What check's state of a list store foretells, in ListOutcome's words.
std::string ForetoldListOutcome(const json& verdict, bool hadOld, bool deleteOld) {
  const std::string state = verdict["state"];
  auto starts = [&state](const char* head) { return state.rfind(head, 0) == 0; };
  if (starts("converts")) {
    // Users the merge drops keep the old contact list file.
    const bool dropsSome = !verdict.value("dropped_users", json::array()).empty();
    return ListOutcome(true, hadOld, !deleteOld || dropsSome);
  }
  if (starts("missing")) return ListOutcome(true, hadOld, false);
  if (starts("kept")) return ListOutcome(false, hadOld, !deleteOld);
  if (starts("already converted") || starts("NOT converted") || starts("nothing to convert")) {
    return ListOutcome(false, hadOld, true);
  }
  return "unknown state: " + state;
}

void AgreementTest::RunCase(const Description& d) {
  ASSERT_NO_FATAL_FAILURE(Generate(d));
  const std::string data = DataFolder();
  const std::string backup = scratch.File("Zorvane BackUp");
  ASSERT_TRUE(tooltest::CopyTree(data, backup));

  // Before: the list files as they are, for what the conversion then writes.
  std::map<std::string, std::string> newListBefore;
  std::map<std::string, bool> oldListBefore;
  for (const ListStore& store : kListStores) {
    newListBefore[store.checkKey] = IdOf(FindAnyCase(data, store.newName));
    oldListBefore[store.checkKey] = !FindAnyCase(data, store.oldName).empty();
  }

  // check changes nothing.
  const auto before = tooltest::Snapshot(data);
  RunResult check = Zvtool({"check", data, "--json"});
  EXPECT_EQ(tooltest::Snapshot(data), before) << "check changed the data folder";
  const json report = json::parse(check.out, nullptr, false);
  ASSERT_FALSE(report.is_discarded()) << check.out << check.err;

  // check's verdict of each old message: its failing entry, else "Converted" when a walked
  // folder's directory holds it, else left behind.
  std::set<std::string> walked;
  for (const json& folder : report["folders_list"]["folders"]) {
    if (!folder["directory"].is_string()) continue;
    std::string dir = folder["directory"];
    walked.insert(fs::path(dir).parent_path().filename().string());
  }
  std::map<std::string, std::string> failing;
  for (const json& entry : report["messages"]["failing"]) {
    failing[fs::relative(entry["file"].get<std::string>(), data).generic_string()] =
        entry["outcome"];
  }
  std::map<std::string, std::string> foretold;
  size_t inWalkedFolders = 0;
  for (const std::string& file : OldMessages(data)) {
    const bool isWalked = walked.count(file.substr(0, file.find('/'))) != 0;
    inWalkedFolders += isWalked ? 1 : 0;
    foretold[file] = failing.count(file) ? failing[file] : isWalked ? "Converted" : "left behind";
  }
  std::map<std::string, size_t> tally;
  for (const auto& [file, verdict] : foretold) ++tally[verdict];
  EXPECT_EQ(report["messages"]["found"], inWalkedFolders);
  EXPECT_EQ(report["messages"]["convert"], tally["Converted"]);
  EXPECT_EQ(report["messages"]["not_loaded"], tally["NOT loaded"]);
  EXPECT_EQ(report["messages"]["not_saved"], tally["NOT saved"]);

  std::vector<std::string> errors;
  const int converted = Convert(d.deleteOld, errors);
  EXPECT_EQ(check.exitCode, converted) << "check and the conversion end differently\n"
                                       << report.dump(1);

  // The conversion's verdict of each old message: its log line, else (no log: no error) whether
  // its 3.1 file is there.
  const auto log = tvtest::ConversionLogEntries(data + "Conversion3.0-3.1.Log.Txt");
  std::map<std::string, std::string> logged;
  for (const std::string& entry : log) {
    if (entry.rfind("Error: ", 0) == 0) errors.push_back(entry);
    const size_t head = entry.find("Message: ");
    if (head == std::string::npos) continue;
    for (const char* verdict : {"Converted", "NOT loaded", "NOT saved"}) {
      const size_t at = entry.find(std::string(" , ") + verdict, head);
      if (at == std::string::npos) continue;
      logged[fs::relative(entry.substr(head + 9, at - head - 9), data).generic_string()] = verdict;
    }
  }
  std::map<std::string, std::string> done;
  size_t undoneMessages = 0;
  for (const auto& [file, verdict] : foretold) {
    std::string outcome;
    if (logged.count(file)) {
      outcome = logged[file];
    } else if (!log.empty()) {
      outcome = "left behind";
    } else {
      const std::string dir = file.substr(0, file.find('/') + 1);
      outcome = tvtest::PathExists(data + dir + tvtest::NewMessageName(file.substr(dir.size())))
                    ? "Converted"
                    : "no 3.1 file";
    }
    undoneMessages += outcome == "Converted" ? 0 : 1;
    done[file] = outcome;
  }
  EXPECT_EQ(foretold, done) << "check's message verdicts (left) and the conversion's (right)";

  // The list stores: check's state against what the conversion wrote, kept and told.
  std::map<std::string, std::string> foretoldLists, doneLists;
  std::map<std::string, bool> undoneLists;
  for (const ListStore& store : kListStores) {
    const std::string key = store.checkKey;
    const bool hadOld = oldListBefore[key];
    const std::string after = IdOf(FindAnyCase(data, store.newName));
    const bool written = !after.empty() && after != newListBefore[key];
    doneLists[key] = ListOutcome(written, hadOld, !FindAnyCase(data, store.oldName).empty());
    // Messages left behind in a dropped folder keep the old folders file, which lists them.
    const bool leftBehind = key == "folders_list" && !report[key]["messages_left_behind"].empty();
    foretoldLists[key] = ForetoldListOutcome(report[key], hadOld, d.deleteOld && !leftBehind);
    const std::string oldNameLower = Lower(store.oldName);
    undoneLists[store.verifyName] =
        std::any_of(errors.begin(), errors.end(), [&](const std::string& e) {
          return Lower(e).find(oldNameLower) != std::string::npos ||
                 e.find(std::string("Error: ") + store.errorHead) != std::string::npos;
        });
  }
  EXPECT_EQ(foretoldLists, doneLists) << "check's list verdicts (left) and the conversion's\n"
                                      << report.dump(1);
  // The Error lines and boxes check quotes are the ones the conversion then shows.
  std::vector<std::string> quoted;
  for (const ListStore& store : kListStores) {
    const json& verdict = report[store.checkKey];
    if (verdict["state"].get<std::string>().rfind("NOT converted", 0) == 0) {
      std::istringstream parts(
          std::regex_replace(verdict["reason"].get<std::string>(), std::regex("; "), "\n"));
      for (std::string part; std::getline(parts, part);) quoted.push_back(part);
    }
    for (const json& line : verdict.value("dropped_users", json::array())) quoted.push_back(line);
  }
  for (const std::string& line : quoted) {
    EXPECT_TRUE(
        std::any_of(errors.begin(), errors.end(),
                    [&line](const std::string& e) { return e.find(line) != std::string::npos; }))
        << "check quotes an error the conversion does not show: " << line;
  }

  // verify: nothing lost, and undone exactly where the conversion left something undone.
  RunResult verify = Zvtool({"verify", backup, data, "--json"});
  if (verify.err.find("holds no 3.0 data") != std::string::npos) {
    // A copy of a folder converted before with its old files deleted holds nothing to verify.
    EXPECT_EQ(report["messages"]["found"].get<uint64_t>(), 0u) << verify.err;
    for (const ListStore& store : kListStores) {
      EXPECT_EQ(report[store.checkKey]["state"].get<std::string>().rfind("already converted", 0),
                0u)
          << verify.err;
    }
    return;
  }
  const json table = json::parse(verify.out, nullptr, false);
  ASSERT_FALSE(table.is_discarded()) << verify.out << verify.err;
  EXPECT_EQ(verify.exitCode, converted) << table.dump(1);
  std::map<std::string, uint64_t> lost, undone, found;
  std::map<std::string, bool> listUndone;
  for (const json& store : table["stores"]) {
    const std::string name = store["store"];
    lost[name] = store["missing"].get<uint64_t>() + store["different"].get<uint64_t>();
    undone[name] =
        store["not_convertible"].get<uint64_t>() + store["not_converted_yet"].get<uint64_t>();
    if (undoneLists.count(name)) listUndone[name] = undone[name] != 0;
    found[name] = store["found"];
    EXPECT_EQ(store["found"], store["converted"].get<uint64_t>() + lost[name] + undone[name])
        << store.dump();
  }
  // Both tools read the same folder: what check counts in a store it converts, verify finds.
  std::map<std::string, uint64_t> counted, foundToo;
  auto count = [&](const char* name, const char* key, std::initializer_list<const char*> fields) {
    if (report[key]["state"].get<std::string>().rfind("converts", 0) != 0) return;
    for (const char* field : fields) counted[name] += report[key][field].get<uint64_t>();
    counted[name] += report[key].value("dropped_users", json::array()).size();
    foundToo[name] = found[name];
  };
  count("folders list", "folders_list", {"folders_read"});
  count("names index", "names_index", {"records"});
  count("contact list", "contact_list", {"groups", "users"});
  count("fast replies", "fast_replies", {"texts"});
  count("auto answers", "auto_answers", {"texts"});
  EXPECT_EQ(counted, foundToo) << "items check counts (left), verify finds (right)";
  EXPECT_EQ(lost, (std::map<std::string, uint64_t>{{"folders list", 0},
                                                   {"names index", 0},
                                                   {"messages", 0},
                                                   {"contact list", 0},
                                                   {"fast replies", 0},
                                                   {"auto answers", 0}}))
      << table.dump(1);
  EXPECT_EQ(undone["messages"], undoneMessages) << table.dump(1);
  EXPECT_EQ(listUndone, undoneLists) << "verify's undone list stores (left), the conversion's\n"
                                     << table.dump(1);
}

TEST_F(AgreementTest, CheckTheConversionAndVerifyAgreeOnGeneratedFolders) {
  const int cases = EnvironmentNumber("ZV_AGREEMENT_CASES", kDefaultCases);
  const uint32_t first = static_cast<uint32_t>(EnvironmentNumber("ZV_AGREEMENT_SEED", 1));
  for (int i = 0; i < cases; ++i) {
    const Description d = Description::Draw(first + static_cast<uint32_t>(i));
    SCOPED_TRACE(d.Text());
    tvtest::RemoveTree(scratch.File("home"));
    tvtest::RemoveTree(scratch.File("Zorvane BackUp"));
    tvtest::RemoveTree(scratch.File("converted copy"));
    RunCase(d);
    if (HasFailure()) break;  // the first failing case, with its seed, is enough to go on
  }
}

}  // namespace
