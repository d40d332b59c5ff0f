// zvtool sample: writes a realistic 3.0 data folder, the same for the same seed on every
// platform. Every byte is encoded by the formats' own writers (old message, folders file, names
// index, contact list, canned replies); only the choice of contents is made here.
#include <filesystem>
#include <fstream>
#include <vector>

#include "contacts/contacts_format.h"
#include "database/folders_format.h"
#include "database/standard_folders.h"
#include "foundation/coding.h"
#include "messages/old_message_format.h"
#include "platform/file_system.h"
#include "replies/replies_format.h"
#include "zvtool/commands.h"
#include "zvtool/tool_common.h"

namespace zvtool {

namespace {

// splitmix64: small, fast and defined bit for bit, so a seed gives the same folder everywhere
// (the standard distributions are not specified that exactly).
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(Next() % n); }
  template <size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[Below(N)];
  }

 private:
  uint64_t m_state;
};

const char* const kPeople[] = {"ANNA",       "BORIS-PC",   "Reception", "Sales Team",
                               "m.keller",   "OLGA",       "Warehouse", "IT Support",
                               "J\xF6rg",    "Accounting", "LENA-NB",   "Front Desk"};
const char* const kComputers[] = {"ANNA-PC", "BORIS-PC", "RECEPTION", "SALES01",
                                  "KELLER",  "OLGA-NB",  "STORE2",    "ITDESK"};
const char* const kSubjects[] = {"Lunch today?",        "Invoice 2231",      "Meeting moved to 3pm",
                                 "Server restart",      "Please call back",  "New price list",
                                 "Delivery delayed",    "Holiday plan",      "Re: quarterly report",
                                 "Printer on floor 2",  "Gr\xFC\xDF" "e aus Wien", "Keys at reception"};
const char* const kWords[] = {"the",      "report",   "is",        "ready",    "please",
                              "check",    "before",   "Friday",    "we",       "need",
                              "two",      "more",     "copies",    "of",       "contract",
                              "customer", "called",   "about",     "delivery", "thanks",
                              "meeting",  "tomorrow", "at",        "noon",     "office",
                              "price",    "list",     "attached",  "caf\xE9",  "ok"};
const char* const kAttachmentNames[] = {"report.txt",     "photo.jpg",     "Budget 2026.xls",
                                        "contract.doc",   "price list.pdf", "notes.txt",
                                        "screenshot.png", "invoice.pdf"};
const char* const kUserFolders[] = {"Projects",  "Customers", "Archive 2025", "Suppliers",
                                    "Team Lead", "Travel",    "Invoices",     "Support"};

std::string Body(Random& random) {
  std::string body;
  uint32_t lines = 1 + random.Below(8);
  for (uint32_t l = 0; l < lines; ++l) {
    uint32_t words = 3 + random.Below(14);
    std::string line;
    for (uint32_t w = 0; w < words; ++w) {
      if (!line.empty()) line += ' ';
      line += random.Pick(kWords);
    }
    line[0] = static_cast<char>(line[0] >= 'a' && line[0] <= 'z' ? line[0] - 32 : line[0]);
    body += line + ".\r\n";
  }
  return body;
}

// 32 hexadecimal digits whose bytes 0 to 3 hold the message number (so every message of a sample
// gets its own 3.1 name) and the rest come from the seed.
std::string HexName(uint32_t number, Random& random) {
  uint8_t bytes[16];
  EncodeFixed32(bytes, number);
  EncodeFixed32(bytes + 4, static_cast<uint32_t>(random.Next()));
  EncodeFixed64(bytes + 8, random.Next());
  static const char kDigits[] = "0123456789ABCDEF";
  std::string name;
  for (uint8_t b : bytes) {
    name.push_back(kDigits[b >> 4]);
    name.push_back(kDigits[b & 15]);
  }
  return name;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

struct Totals {
  uint32_t attachments = 0;
  uint64_t attachmentBytes = 0;
  uint64_t bytes = 0;
};

// One 3.0 message file: header from its parts, recipients, body, attachment entries.
std::string Message(Random& random, uint32_t number, Totals& totals) {
  msg30::Message message;
  message.header.kind = static_cast<uint8_t>(1 + random.Below(3));
  uint32_t recipientCount = 1 + random.Below(4);
  for (uint32_t i = 0; i < recipientCount; ++i) {
    msg30::Recipient r;
    r.name = random.Pick(kPeople);
    r.kind = static_cast<uint8_t>(random.Below(4));
    r.number1 = 0xC0A80100u | (1 + random.Below(250));  // an address on the office network
    r.number2 = 0x00001000u + random.Below(0x1000);
    message.recipients.push_back(r);
  }
  message.body = Body(random);
  uint32_t attachmentCount = random.Below(100) < 20 ? 1 + random.Below(3) : 0;
  for (uint32_t i = 0; i < attachmentCount; ++i) {
    msg30::MessageAttachment attachment;
    attachment.name = random.Pick(kAttachmentNames);
    // Distinct within the message.
    if (i > 0) attachment.name = std::to_string(i + 1) + " " + attachment.name;
    uint32_t size = random.Below(100) < 80 ? 100 + random.Below(16 * 1024)
                                           : 16 * 1024 + random.Below(192 * 1024);
    std::string& contents = attachment.contents;
    contents.assign(size, '\0');
    for (uint32_t k = 0; k < size; k += 8) {
      uint64_t word = random.Next();
      for (uint32_t b = 0; b < 8 && k + b < size; ++b) contents[k + b] = static_cast<char>(word >> (8 * b));
    }
    message.attachments.push_back(std::move(attachment));
    ++totals.attachments;
    totals.attachmentBytes += size;
  }
  msg30::Header& header = message.header;
  header.values[0] = 1767225600u + number * 3607u + random.Below(3600);  // a time stamp
  header.values[1] = random.Below(4);
  header.values[2] = random.Below(2) ? 0x00000001u : 0x00000101u;
  header.values[3] = static_cast<uint32_t>(random.Next());
  header.texts[0] = random.Pick(kPeople);
  header.texts[1] = random.Pick(kSubjects);
  header.texts[2] = random.Pick(kComputers);
  header.texts[3] = std::string("Thread ") + std::to_string(1000 + random.Below(9000));
  message.FillSizes();
  return message.Encode();
}

TvOldContactUserImage User(Random& random, const std::string& name, uint32_t flags = 0) {
  TvOldContactUserImage user;
  user.name = name;
  user.text = std::string(random.Pick(kComputers));
  user.data = random.Below(100);
  user.status = 1 + random.Below(3);
  user.flags = flags;
  user.statusTime = 29000000u + random.Below(1000000);
  user.value1 = 0xC0A80100u | (1 + random.Below(250));
  user.value2 = random.Below(65536);
  user.textValue1 = "WORKGROUP";
  user.textValue2 = name + "@office";
  return user;
}

}  // namespace

int RunSample(const std::string& dir, const SampleOptions& options, std::ostream& out,
              std::ostream& err) {
  std::error_code error;
  std::filesystem::path root(dir);
  if (std::filesystem::exists(root, error)) {
    if (!std::filesystem::is_directory(root, error)) {
      err << "zvtool sample: '" << dir << "' exists and is no directory\n";
      return kExitError;
    }
    if (!std::filesystem::is_empty(root, error) || error) {
      err << "zvtool sample: '" << dir << "' is not empty; a sample is written only into a new "
          << "or empty folder, never over existing data\n";
      return kExitError;
    }
  } else if (!std::filesystem::create_directories(root, error) || error) {
    err << "zvtool sample: cannot create '" << dir << "': " << error.message() << '\n';
    return kExitError;
  }
  const std::string data = WithSeparator(dir);
  Random random(0x5A563330ull ^ (uint64_t{options.seed} << 17) ^ options.seed);

  // The folders: the six standard ones as the messenger keeps them, then the user folders.
  std::vector<folders::FolderRecord> records;
  std::vector<std::string> directories;
  for (const StandardFolder& standard : kStandardFolders) {
    folders::FolderRecord r;
    r.version = 0x0A280105;
    r.name = standard.listName;
    r.flags = standard.flags;
    r.id = standard.id;
    records.push_back(r);
    directories.push_back(standard.directory);
  }
  for (uint32_t i = 0; i < options.userFolders; ++i) {
    folders::FolderRecord r;
    r.version = 0x0A280105;
    r.name = i < std::size(kUserFolders) ? std::string(kUserFolders[i])
                                         : "Folder " + std::to_string(i + 1);
    r.text = "created by " + std::string(random.Pick(kPeople));
    r.status = random.Below(3);
    r.flags = random.Below(2);
    r.id = static_cast<int32_t>(10 + i);
    records.push_back(r);
    directories.push_back(r.name);
  }
  bool ok = WriteFile(data + folders::kOldFileName, folders::EncodeFoldersFile(records, 1));
  for (const std::string& d : directories) {
    std::filesystem::create_directory(std::filesystem::path(data + d), error);
  }

  // Messages: most in Inbox and Sent, some everywhere else; none in Temp.
  Totals totals;
  std::vector<uint32_t> perFolder(directories.size(), 0);
  Progress progress("writing messages", options.messages);
  for (uint32_t i = 0; i < options.messages && ok; ++i) {
    progress.Step();
    uint32_t pick = random.Below(100);
    size_t folder;
    if (options.userFolders > 0 && pick >= 80) {
      folder = std::size(kStandardFolders) + random.Below(options.userFolders);
    } else {
      static const size_t kWeighted[] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 3, 3, 4, 1};
      folder = kWeighted[random.Below(std::size(kWeighted))];
    }
    const std::string name = HexName(i + 1, random) + ".Message";
    std::string bytes = Message(random, i, totals);
    totals.bytes += bytes.size();
    ok = WriteFile(data + directories[folder] + platform::kPathSeparator + name, bytes);
    ++perFolder[folder];
  }
  // Each folder with messages keeps its old message index (not carried over by the conversion).
  for (size_t f = 0; f < directories.size() && ok; ++f) {
    if (perFolder[f] == 0) continue;
    std::string index;
    PutFixed32(&index, 1);
    PutFixed32(&index, perFolder[f]);
    for (uint32_t k = 0; k < perFolder[f]; ++k) PutFixed64(&index, random.Next());
    ok = WriteFile(data + directories[f] + platform::kPathSeparator + folders::kFolderIndexFileName,
                   index);
  }

  std::vector<std::string> names;
  uint32_t nameCount = options.messages < 500 ? options.messages : 500;
  for (uint32_t i = 0; i < nameCount; ++i) {
    std::string record(folders::kNamesIndexRecordSize, '\0');
    for (char& c : record) c = static_cast<char>(random.Next());
    names.push_back(record);
  }
  ok = ok && WriteFile(data + folders::kNamesIndexFileName, folders::EncodeNamesIndex(names, 3));

  // Contacts: a second "work" group merges into "Work"; one hidden user is dropped on conversion.
  TvOldContactListImage contacts;
  contacts.version = 2;
  contacts.afterVersion = 3;
  const char* const groupNames[] = {"Friends", "Work", "Family", "work"};
  uint32_t users = 0;
  for (const char* groupName : groupNames) {
    TvOldContactGroupImage group;
    group.name = groupName;
    group.text = std::string("group ") + groupName;
    group.status = random.Below(2);
    group.data = random.Below(10);
    uint32_t count = 2 + random.Below(4);
    // Numbered across the whole list: "work" merges into "Work", and a name taken there would
    // be a user the conversion cannot add.
    for (uint32_t u = 0; u < count; ++u) {
      group.users.push_back(User(random, std::string(groupName) + " " + random.Pick(kPeople) + " " +
                                             std::to_string(users + 1)));
      ++users;
    }
    contacts.groups.push_back(group);
  }
  contacts.groups[1].users.push_back(User(random, "Former colleague", 0x8));
  ok = ok && WriteFile(data + "ContactList.Users", EncodeOldContactList(contacts));

  TvTextMessagesImage fast;
  fast.headerValue = 5;
  const char* const fastTexts[][2] = {{"Thanks!", "Thank you very much."},
                                      {"Call back", "I'll call you back in five minutes."},
                                      {"On my way", "On my way, see you in ten minutes."},
                                      {"Busy", "In a meeting, I'll answer later."},
                                      {"Tomorrow", "See you tomorrow."}};
  for (const auto& t : fastTexts) fast.items.push_back({0, 0, t[0], t[1], random.Below(2), 0});
  ok = ok && WriteFile(data + "FastReplys.Array", EncodeTextMessages(fast));
  TvTextMessagesImage answers;
  answers.headerValue = 1;
  const char* const answerTexts[][2] = {{"Away", "I am away from my desk."},
                                        {"Holiday", "I am on holiday until Monday."},
                                        {"Lunch", "Out for lunch, back at 1 pm."}};
  for (const auto& t : answerTexts) answers.items.push_back({0, 0, t[0], t[1], random.Below(2), 0});
  ok = ok && WriteFile(data + "AutoAnswers.Array", EncodeTextMessages(answers));

  if (!ok) {
    err << "zvtool sample: writing into '" << dir << "' failed\n";
    return kExitError;
  }
  out << "wrote a 3.0 data folder in " << data << '\n'
      << "  folders:       6 standard + " << options.userFolders << " user folders\n"
      << "  messages:      " << options.messages << " (" << Grouped(totals.bytes) << " bytes)\n"
      << "  attachments:   " << totals.attachments << " (" << Grouped(totals.attachmentBytes)
      << " bytes)\n"
      << "  names index:   " << nameCount << " records\n"
      << "  contacts:      " << contacts.groups.size() << " groups, " << users + 1 << " users\n"
      << "  fast replies:  " << fast.items.size() << ", auto answers: " << answers.items.size()
      << '\n';
  return kExitOk;
}

}  // namespace zvtool
