// Writes the seed corpora of the fuzz targets with the tests' 3.0 writers (and a 3.1 file):
//   fuzz_make_seeds <fuzz/corpus folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contacts/contacts_format.h"
#include "replies/replies_format.h"
#include "support/new_message_bytes.h"
#include "support/old_contacts_writer.h"
#include "support/old_data_writer.h"

namespace {

namespace fs = std::filesystem;

void Put(const fs::path& folder, const std::string& name, const std::string& bytes) {
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<tvtest::OldMessage> Messages() {
  std::vector<tvtest::OldMessage> out;
  tvtest::OldMessage plain;
  plain.body = "hello";
  plain.recipients.push_back({"alice", 1, 0, 0});
  plain.texts[0] = "sender";
  out.push_back(plain);
  for (uint8_t kind = 1; kind <= 3; ++kind) {
    tvtest::OldMessage m;
    m.kind = kind;
    m.recipients.push_back({"bob", 2, 0xC0A80102u, 0x01020304u});
    m.recipients.push_back({std::string(32, 'r'), 3, 7, 8});
    m.body = std::string(40, 'b');
    m.attachments.push_back({"a.txt", "contents of a"});
    m.attachments.push_back({"..\\evil.txt", "contents of evil"});
    m.attachments.push_back({"CON", "device"});
    m.values[0] = kind;
    m.texts[1] = "subject";
    m.texts[3] = std::string(64, 'd');
    out.push_back(m);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds <corpus folder>\n");
    return 2;
  }
  const fs::path corpus(argv[1]);
  int n = 0;
  for (const tvtest::OldMessage& m : Messages()) {
    const std::string bytes = tvtest::EncodeOldMessage(m);
    Put(corpus / "old_message", "seed" + std::to_string(n), bytes);
    Put(corpus / "round_trip", "seed" + std::to_string(n), bytes);
    ++n;
  }
  // The round trip reads its input as a 3.1 file too.
  Put(corpus / "round_trip", "new_message",
      tvtest::BuildNewMessage({"alice", "bob"}, "hello", {"abc", "de"}).bytes);
  Put(corpus / "folders_file", "standard_and_user",
      folders::EncodeFoldersFile({tvtest::Folder("Inbox", 0, 5), tvtest::Folder("Projects", 7, 1),
                                  tvtest::Folder("..", 8, 1), tvtest::Folder("a/b", 9, 1)}));
  Put(corpus / "folders_file", "count_too_large",
      folders::EncodeFoldersFile({tvtest::Folder("Work", 7, 1)}, 0, 1000));
  Put(corpus / "names_index", "two_records",
      folders::EncodeNamesIndex({tvtest::NamesIndexRecord(1), tvtest::NamesIndexRecord(2)}, 7));
  Put(corpus / "names_index", "count_too_large",
      folders::EncodeNamesIndex({tvtest::NamesIndexRecord(3)}, 0, 5));
  TvOldContactListImage contacts{
      2, 0, std::nullopt,
      {contacts_support::OldGroup("Friends", {contacts_support::OldUser("ann"),
                                              contacts_support::OldUser("gone", 8)}),
       contacts_support::OldGroup("friends", {contacts_support::OldUser("ben")})}};
  Put(corpus / "contact_list", "two_groups", EncodeOldContactList(contacts));
  contacts.version = 1;
  Put(corpus / "contact_list", "version_1", EncodeOldContactList(contacts));
  Put(corpus / "canned_replies", "two_items",
      EncodeTextMessages({0, 5, std::nullopt,
                          {contacts_support::CannedText("On my way", "text", 1),
                           contacts_support::CannedText("Later", "")}}));
  for (const std::string& name : {std::string("notes.txt"), std::string("..\\..\\x"),
                                  std::string("COM1.txt"), std::string("trailing. "),
                                  std::string(300, 'n'), std::string("a/b:c*?")}) {
    Put(corpus / "staging_name", "name" + std::to_string(n++), std::string(1, '\3') + name);
  }
  // The settings file as the POSIX store writes it, and as people and other tools may.
  Put(corpus / "settings_file", "store_export",
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\System Settings]\n"
      "\"m_dwordDatabaseVersion\"=dword:00000301\n\n"
      "[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\RunTime Settings]\n"
      "\"m_csUserDataFolder\"=\"/data/a \\\"b\\\" \\\\c\"\n"
      "\"m_dword64MaxMessageSize\"=hex:01,ab,00\n@=hex(2):41,00\n");
  Put(corpus / "settings_file", "edited_by_hand",
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n; a comment\r\n"
      "[HKEY_CURRENT_USER\\software\\A]\r\n\"Long\"=hex:00,01,\\\r\n  02,03\r\n"
      "\"Gone\"=-\r\n[-HKEY_CURRENT_USER\\software\\B]\r\n[hkey_current_user\\SOFTWARE\\a\\]\r\n"
      "\"long\"=DWORD:FFFFFFFF\r\n");
  Put(corpus / "settings_file", "unfinished_key", "REGEDIT4\n[HKEY_CURRENT_USER\\software\n");
  std::printf("seeds written to %s\n", corpus.string().c_str());
  return 0;
}
