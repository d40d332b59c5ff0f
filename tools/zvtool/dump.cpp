// zvtool dump: prints any 3.0 or 3.1 file of a data folder field by field. The file kind is told
// by its name and confirmed by its content; records are read with the formats' own decoders and
// readers. A damaged file is printed up to the damage, with the offset and the reason it stopped.
#include <cstring>
#include <vector>

#include "contacts/tv_contact_list.h"
#include "database/folders_format.h"
#include "foundation/byte_source.h"
#include "foundation/coding.h"
#include "foundation/data_paths.h"
#include "foundation/tv_file.h"
#include "foundation/tv_log.h"
#include "messages/message_format.h"
#include "messages/old_message_format.h"
#include "messages/plain_names.h"
#include "platform/recording_ui.h"
#include "replies/tv_text_messages.h"
#include "zvtool/commands.h"
#include "zvtool/tool_common.h"

namespace zvtool {

namespace {

constexpr uint32_t kBodyPreview = 256;
// A 3.0 message is read through a buffer of this size; the rest of a larger file is streamed.
constexpr uint32_t kMessagePrefetch = 1u << 16;

enum class Kind {
  kUnknown,
  kFolders30,
  kFolders31,
  kNamesIndex,
  kMessage30,
  kMessage31,
  kContacts30,
  kContacts31,
  kReplies30,
  kReplies31,
};

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && EqualNoCase(text.substr(text.size() - tail.size()), tail);
}

std::string Magic(const std::string& path) {
  TvFile file(0, 0);
  char magic[4] = {};
  if (!file.Open(path, kModeReadShared) || !file.Read(magic, 4)) return std::string();
  return std::string(magic, 4);
}

Kind KindOf(const std::string& path) {
  const std::string name = BaseName(path);
  if (EqualNoCase(name, folders::kOldFileName)) return Kind::kFolders30;
  if (EqualNoCase(name, folders::kNewFileName)) return Kind::kFolders31;
  if (EqualNoCase(name, folders::kNamesIndexFileName)) return Kind::kNamesIndex;
  if (EqualNoCase(name, TvContactList::kOldFileName)) return Kind::kContacts30;
  if (EqualNoCase(name, TvContactList::kFileName)) return Kind::kContacts31;
  if (EqualNoCase(name, TvFastReplysService::kOldFileName) ||
      EqualNoCase(name, TvAutoAnswersService::kOldFileName)) {
    return Kind::kReplies30;
  }
  if (EqualNoCase(name, TvFastReplysService::kFileName) ||
      EqualNoCase(name, TvAutoAnswersService::kFileName)) {
    return Kind::kReplies31;
  }
  // Message files are told apart by their magic, whatever their name.
  const std::string magic = Magic(path);
  if (magic == "ZV30") return Kind::kMessage30;
  if (magic == "ZV31") return Kind::kMessage31;
  if (EndsWithNoCase(name, ".Message")) return name.size() == 40 ? Kind::kMessage30 : Kind::kMessage31;
  return Kind::kUnknown;
}

void Damage(Json& doc, uint64_t offset, const std::string& reason) {
  doc["complete"] = false;
  doc["stopped_at"] = offset;
  doc["reason"] = JsonText(reason);
}

std::string Boxes(const platform::RecordingUserInterface& ui) {
  std::string text;
  for (const auto& box : ui.boxes) text += (text.empty() ? "" : "; ") + box.text;
  return text.empty() ? std::string("the record is cut short") : text;
}

// --- folders files and names index -------------------------------------------------------------

void DamageFromReader(Json& doc, const folders::Problem& problem) {
  if (problem.Ok()) return;
  Damage(doc, problem.offset, problem.text);
  doc["problem"] = folders::ProblemKey(problem.kind);
}

void DumpFolders(const std::string& path, Json& doc) {
  std::string bytes;
  if (!folders::ReadWholeFile(path, bytes)) return Damage(doc, 0, "the file cannot be read");
  folders::FoldersFile file;
  BufferSource source(bytes);
  const folders::Problem problem = folders::ReadFoldersFile(source, file);
  if (bytes.size() >= 8) {
    doc["header_word"] = Hex32(file.headerWord);
    doc["count"] = file.count;
  }
  Json records = Json::array();
  uint64_t offset = 8;
  for (const folders::FolderRecord& r : file.records) {
    Json f;
    f["offset"] = offset;
    f["version_word"] = Hex32(r.version);
    f["type"] = r.type;
    f["data"] = r.data;
    f["name"] = JsonText(r.name);
    f["text"] = JsonText(r.text);
    f["status"] = r.status;
    f["flags"] = r.flags;
    f["id"] = r.id;
    records.push_back(f);
    offset += folders::FolderRecordSize(r);
  }
  doc["folders"] = records;
  DamageFromReader(doc, problem);
}

void DumpNamesIndex(const std::string& path, Json& doc) {
  std::string bytes;
  if (!folders::ReadWholeFile(path, bytes)) return Damage(doc, 0, "the file cannot be read");
  folders::NamesIndexFile file;
  BufferSource source(bytes);
  const folders::Problem problem = folders::ReadNamesIndex(source, file);
  if (bytes.size() >= 8) {
    doc["header_word"] = Hex32(file.headerWord);
    doc["count"] = file.count;
  }
  Json records = Json::array();
  uint64_t offset = 8;
  for (const std::string& r : file.records) {
    Json e;
    e["offset"] = offset;
    e["bytes"] = HexBytes(r);
    records.push_back(e);
    offset += folders::kNamesIndexRecordSize;
  }
  doc["records"] = records;
  uint64_t end = 8 + uint64_t{folders::kNamesIndexRecordSize} * file.records.size();
  if (problem.Ok() && bytes.size() > end) doc["bytes_after_records"] = bytes.size() - end;
  DamageFromReader(doc, problem);
}

// --- message files ---------------------------------------------------------------------------

// Recipient records of either message format, the first at offset, one every recordSize bytes.
template <typename Recipient>
Json RecipientsJson(const std::vector<Recipient>& recipients, uint64_t offset,
                    uint32_t recordSize) {
  Json out = Json::array();
  for (const Recipient& r : recipients) {
    Json e;
    e["offset"] = offset;
    e["name"] = JsonText(r.name);
    e["kind"] = r.kind;
    e["number1"] = Hex32(r.number1);
    e["number2"] = Hex32(r.number2);
    out.push_back(e);
    offset += recordSize;
  }
  return out;
}

void DumpMessage30(const std::string& path, Json& doc) {
  TvFile file(0, 0);
  if (!file.Open(path, kModeReadShared)) return Damage(doc, 0, "the file cannot be opened");
  std::vector<uint8_t> buffer(kMessagePrefetch);
  FileSource source(file, buffer.data());
  if (!source.Prefetch(kMessagePrefetch)) return Damage(doc, 0, "the file cannot be read");
  msg30::Layout d;
  msg30::Limits limits;
  limits.bodyBytes = kBodyPreview;
  const msg30::Problem problem = msg30::ReadLayout(source, d, limits);
  if (d.headerRead) {
    Json h;
    h["magic"] = JsonText(Magic(path));
    h["recipient_kind"] = d.header.kind;
    h["total_size"] = d.header.totalSize;
    h["attachment_section_size"] = d.header.attachmentSectionSize;
    h["recipient_count"] = d.header.recipientCount;
    h["body_size"] = d.header.bodySize;
    h["attachment_count"] = d.header.attachmentCount;
    static const char* const kValueNames[4] = {"value_36", "value_40", "value_44", "value_48"};
    for (int i = 0; i < 4; ++i) h[kValueNames[i]] = Hex32(d.header.values[i]);
    static const char* const kTextNames[4] = {"text_56", "text_89", "text_122", "text_139"};
    for (int i = 0; i < 4; ++i) h[kTextNames[i]] = JsonText(d.header.texts[i]);
    doc["header"] = h;
  }
  doc["recipients"] =
      RecipientsJson(d.recipients, msg30::kHeaderSize, msg30::RecipientRecordSize(d.header.kind));
  if (d.bodyOffset != 0) {
    Json body;
    body["offset"] = d.bodyOffset;
    body["size"] = d.header.bodySize;
    body["preview"] = JsonText(d.body);
    doc["body"] = body;
  }
  Json attachments = Json::array();
  for (const msg30::AttachmentEntry& a : d.attachments) {
    Json e;
    e["entry_offset"] = a.entryOffset;
    e["name"] = JsonText(a.name);
    e["size"] = a.size;
    e["contents_offset"] = a.contentOffset;
    if (!IsPlainName(a.name)) e["note"] = "no plain file name: staged under a safe name";
    attachments.push_back(e);
  }
  doc["attachments"] = attachments;
  if (!problem.Ok()) Damage(doc, problem.offset, problem.text);
}

void DumpMessage31(const std::string& path, Json& doc) {
  msg31::MessageFile file;
  msg31::Problem problem;
  msg31::ReadMessageFile(path, file, &problem, kBodyPreview);
  if (file.headerRead) {
    const msg31::Header& h = file.header;
    Json header;
    header["magic"] = JsonText(h.magic);
    header["format_bytes"] = HexBytes(std::string(reinterpret_cast<const char*>(h.formatBytes), 4));
    header["total_size"] = h.totalSize;
    header["body_size"] = h.bodySize;
    header["attachment_total"] = h.attachmentTotal;
    header["attachment_count"] = h.attachmentCount;
    header["attachment_record_size"] = h.attachmentRecordSize;
    header["recipient_count"] = h.recipientCount;
    header["recipient_record_size"] = h.recipientRecordSize;
    for (int i = 0; i < 4; ++i) header["carried_" + std::to_string(i + 1)] = Hex32(h.carried[i]);
    header["extra_section_size"] = h.extraSize;
    header["flag_bytes"] = HexBytes(std::string(reinterpret_cast<const char*>(h.flagBytes), 4));
    header["text_a"] = JsonText(h.textA);
    header["text_b"] = JsonText(h.textB);
    header["text_c"] = JsonText(h.textC);
    header["text_d"] = JsonText(h.textD);
    doc["header"] = header;

    doc["recipients"] =
        RecipientsJson(file.recipients, msg31::kHeaderSize, msg31::kRecipientRecordSize);
    uint64_t offset = msg31::kHeaderSize + uint64_t{h.recipientCount} * msg31::kRecipientRecordSize;
    Json attachments = Json::array();
    for (const msg31::AttachmentRecord& a : file.attachments) {
      Json e;
      e["record_offset"] = offset;
      e["name"] = JsonText(a.name);
      e["size"] = a.size;
      e["contents_offset"] = a.offset;
      attachments.push_back(e);
      offset += msg31::kAttachmentRecordSize;
    }
    doc["attachments"] = attachments;
  }
  if (file.bodyOffset != 0) {
    Json body;
    body["offset"] = file.bodyOffset;
    body["size"] = file.header.bodySize;
    body["preview"] = JsonText(file.body);
    doc["body"] = body;
  }
  if (!problem.Ok()) {
    Damage(doc, problem.offset, problem.text);
    doc["problem"] = msg31::ProblemKey(problem.kind);
  }
}

// --- contact lists and canned replies --------------------------------------------------------
// Read by the engine's own readers, which hand back every record as the file holds it and, for a
// damaged file, where and why they stopped.

Json ObjectFields(uint64_t offset, uint32_t type, uint32_t data, const std::string& name,
                  const std::string& text, uint32_t status) {
  Json e;
  e["offset"] = offset;
  e["type"] = type;
  e["data"] = data;
  e["name"] = JsonText(name);
  e["text"] = JsonText(text);
  e["status"] = status;
  return e;
}

Json ContactFields(const TvContactRecord& r) {
  return ObjectFields(r.offset, r.type, r.data, r.name, r.text, r.status);
}

Json UserValues(const TvContactRecord& r, Json e) {
  e["value1"] = Hex32(r.value1);
  e["value2"] = Hex32(r.value2);
  e["text_value1"] = JsonText(r.textValue1);
  e["text_value2"] = JsonText(r.textValue2);
  return e;
}

// The reader's problem, with the boxes the engine's file showed on the way.
template <typename Kind>
void ContactsOrTextsDamage(Json& doc, const ReadProblem<Kind>& problem,
                           const platform::RecordingUserInterface& ui) {
  std::string reason = problem.text;
  if (!ui.boxes.empty()) reason += ": " + Boxes(ui);
  Damage(doc, problem.offset, reason);
  doc["problem"] = ProblemKey(problem.kind);
}

void DumpContacts30(const std::string& path, Json& doc) {
  platform::ScopedRecordingUI recording;
  TvContactListFile layout;
  const ContactListReadProblem problem =
      TvContactList::ReadRecords(path, kModeReadShared, true, layout);
  if (problem.kind == ContactListProblem::kCannotOpen) {
    return ContactsOrTextsDamage(doc, problem, recording.ui);
  }
  if (layout.length == 0) {
    doc["groups"] = Json::array();
    doc["note"] = "empty file: no contact list";
    return;
  }
  if (layout.versionRead) doc["version"] = layout.version;
  if (layout.versionRead && layout.version == 0) {
    doc["note"] = "version 0: an empty list";
    return;
  }
  if (layout.headerValueRead) doc["value_after_version"] = Hex32(layout.headerValue);
  if (layout.groupCountRead) doc["group_count"] = layout.groupCount;
  Json groups = Json::array();
  for (const TvContactRecord& group : layout.records) {
    Json e = ContactFields(group);
    e["user_count"] = group.count;
    Json users = Json::array();
    for (const TvContactRecord& user : group.children) {
      Json ue = ContactFields(user);
      ue["flags"] = Hex32(user.flags);
      if (user.flags & kContactFlagHidden) ue["note"] = "hidden (flag 0x8): not converted";
      users.push_back(UserValues(user, ue));
    }
    e["users"] = users;
    groups.push_back(e);
  }
  if (layout.groupCountRead) doc["groups"] = groups;
  if (!problem.Ok()) return ContactsOrTextsDamage(doc, problem, recording.ui);
  if (layout.end != layout.length) doc["bytes_after_groups"] = layout.length - layout.end;
}

// One record of the new file's tree with its descendants; null when it was cut short. The reader
// takes a child for a group when the type code before it says so, else for a user.
Json ContactRecord31(const TvContactRecord& r, bool group) {
  if (!r.read) return Json();
  Json out = ContactFields(r);
  out["flags"] = Hex32(r.flags);
  out["item_text"] = JsonText(r.itemText);
  if (!group) return UserValues(r, out);
  out["child_count"] = r.count;
  Json children = Json::array();
  for (const TvContactRecord& c : r.children) {
    Json child;
    child["preceding_type"] = c.precedingType;
    child["path_text"] = JsonText(c.pathText);
    child["record"] = ContactRecord31(c, c.precedingType == kContactTypeGroup);
    children.push_back(child);
  }
  out["children"] = children;
  return out;
}

void DumpContacts31(const std::string& path, Json& doc) {
  platform::ScopedRecordingUI recording;
  TvContactListFile layout;
  const ContactListReadProblem problem =
      TvContactList::ReadRecords(path, kModeReadShared, false, layout);
  if (layout.versionRead) doc["version"] = layout.version;
  if (layout.headerValueRead) doc["reserved"] = Hex32(layout.headerValue);
  if (!layout.records.empty()) doc["root"] = ContactRecord31(layout.records[0], true);
  if (!problem.Ok()) return ContactsOrTextsDamage(doc, problem, recording.ui);
  if (layout.end != layout.length) Damage(doc, layout.end, "bytes follow the root record");
}

void DumpReplies(const std::string& path, Json& doc) {
  platform::ScopedRecordingUI recording;
  TvTextListFile layout;
  const TextListReadProblem problem =
      TvTextMessagesArray::ReadRecords(path, kModeReadShared, layout);
  if (problem.kind == TextListProblem::kCannotOpen ||
      problem.kind == TextListProblem::kLengthUnknown) {
    return ContactsOrTextsDamage(doc, problem, recording.ui);
  }
  if (layout.length == 0) {
    doc["texts"] = Json::array();
    doc["note"] = "empty file: no texts";
    return;
  }
  if (!layout.headerRead) return ContactsOrTextsDamage(doc, problem, recording.ui);
  doc["header_word"] = Hex32(layout.image.headerWord);
  doc["header_value"] = Hex32(layout.image.headerValue);
  doc["count"] = layout.image.count.value_or(0);
  Json items = Json::array();
  for (const TvTextMessageImage& r : layout.image.items) {
    Json e = ObjectFields(r.offset, r.type, r.data, r.name, r.text, r.status);
    e["value"] = Hex32(r.trailing);
    items.push_back(e);
  }
  doc["texts"] = items;
  if (!problem.Ok()) return ContactsOrTextsDamage(doc, problem, recording.ui);
  if (layout.end != layout.length) doc["bytes_after_texts"] = layout.length - layout.end;
}

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kFolders30: return "3.0 folders file";
    case Kind::kFolders31: return "3.1 folders list";
    case Kind::kNamesIndex: return "names index";
    case Kind::kMessage30: return "3.0 message file";
    case Kind::kMessage31: return "3.1 message file";
    case Kind::kContacts30: return "3.0 contact list";
    case Kind::kContacts31: return "3.1 contact list";
    case Kind::kReplies30: return "3.0 canned replies";
    case Kind::kReplies31: return "3.1 canned replies";
    case Kind::kUnknown: break;
  }
  return "unknown";
}

}  // namespace

int RunDump(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
  if (!IsExistingFile(path)) {
    err << "zvtool dump: '" << path << "' is no file (or cannot be read)\n";
    return kExitError;
  }
  TvFile probe(0, 0);
  if (!probe.Open(path, kModeReadShared)) {
    err << "zvtool dump: '" << path << "' cannot be opened for reading\n";
    return kExitError;
  }
  probe.Close();
  const Kind kind = KindOf(path);
  Json doc;
  doc["file"] = JsonText(path);
  doc["kind"] = KindName(kind);
  doc["size"] = FileLength(path);
  doc["complete"] = true;
  switch (kind) {
    case Kind::kFolders30:
    case Kind::kFolders31: DumpFolders(path, doc); break;
    case Kind::kNamesIndex: DumpNamesIndex(path, doc); break;
    case Kind::kMessage30: DumpMessage30(path, doc); break;
    case Kind::kMessage31: DumpMessage31(path, doc); break;
    case Kind::kContacts30: DumpContacts30(path, doc); break;
    case Kind::kContacts31: DumpContacts31(path, doc); break;
    case Kind::kReplies30:
    case Kind::kReplies31: DumpReplies(path, doc); break;
    case Kind::kUnknown:
      doc["complete"] = false;
      doc["reason"] = "not a file of the data folder that zvtool knows";
      break;
  }
  if (json) {
    out << doc.dump(2) << '\n';
  } else {
    PrintReadable(out, doc);
  }
  return doc["complete"].get<bool>() ? kExitOk : kExitNo;
}

}  // namespace zvtool
