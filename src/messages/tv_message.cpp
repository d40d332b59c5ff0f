#include "messages/tv_message.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "foundation/byte_source.h"
#include "foundation/coding.h"
#include "foundation/replacing_file.h"
#include "foundation/tv_error.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "messages/old_message_format.h"
#include "messages/plain_names.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/ui.h"

namespace {

// Moves the file position forward; 64-bit, so a skipped part of 2 GiB or more stays exact.
TvBool SkipForward(TvFile& file, uint64_t count) {
  if (count == 0) return 1;
  return file.Seek(count, 1, 1);
}

// Adds b to a; false when the 64-bit sum overflows.
bool AddChecked(uint64_t& a, uint64_t b) {
  uint64_t sum = a + b;
  if (sum < a) return false;
  a = sum;
  return true;
}

// Texts of the 3.0 header and where they go in the 3.1 header (field offset and width).
struct TextMove {
  int oldIndex;
  uint32_t offset;
  uint32_t width;
};
constexpr TextMove kTextMoves[4] = {
    {0, msg31::kTextA, msg31::kTextAWidth},
    {1, msg31::kTextC, msg31::kTextCWidth},
    {2, msg31::kTextB, msg31::kTextBWidth},
    {3, msg31::kTextD, msg31::kTextDWidth},
};

// The longest staged path the Windows API takes without extended-length names.
constexpr size_t kMaxStagedPath = 259;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Recipients and attachments

uint32_t TvMessageRecipient::GetImage() {
  switch (m_kind) {
    case 0:
    case 1:
      return 5;
    case 2:
      return 1;
    case 3:
      return 6;
    default:
      return 0;
  }
}

void TvMessageRecipient::EncodeRecord(uint8_t* record) const {
  msg31::RecipientRecord r;
  r.reserved = m_dwordReserved;
  r.number2 = m_dwordNumber2;
  r.number1 = m_dwordNumber1;
  r.kind = m_kind;
  r.name = m_name;
  r.Encode(record);
}

TvBool TvMessageAttachment::FillDisplayInfo(TvListItemInfo& item) {
  if (item.mask & TvListItemInfo::kText) {
    if (item.subItem == 0) item.text = m_csName;
    if (item.subItem == 1) item.text = m_csText;
  }
  if (item.mask & TvListItemInfo::kImage) item.image = GetImage();
  return 1;
}

void TvMessageAttachment::SetFromPath(const std::string& path) {
  std::string name;
  FileNameFromPath(name, path);
  SetFromPath(path, name);
}

void TvMessageAttachment::SetFromPath(const std::string& path, const std::string& storedName) {
  m_csText = path;
  m_fileName = storedName.substr(0, 260);
  m_dword64Size = GetFileSizeByName(path);
  BuildDisplayText();
}

void TvMessageAttachment::SetSize(uint64_t size) {
  m_dword64Size = size;
  BuildDisplayText();
}

void TvMessageAttachment::BuildDisplayText() {
  std::string size;
  FormatSize(size, static_cast<int64_t>(m_dword64Size));
  m_csName = m_fileName + " ( " + size + " )";
}

void TvMessageAttachment::EncodeRecord(uint8_t* record) const {
  msg31::AttachmentRecord a;
  a.reserved = m_dwordReserved;
  a.size = m_dword64Size;
  a.offset = m_dword64Offset;
  a.name = m_fileName;
  a.Encode(record);
}

void TvOldMessageFileIndex::BuildDisplayText() {
  std::string size;
  FormatSize(size, static_cast<int64_t>(m_dword64Size));
  m_csDisplay = m_csName + " ( " + size + " )";
}

// ---------------------------------------------------------------------------------------------
// The message

TvMessage::TvMessage(TvLog& log, TvFolderLookup& folders)
    : m_log(log), m_folders(folders), m_stagingFolder(DefaultStagingFolder()) {
  Reset(1);
}

TvMessage::~TvMessage() { Reset(1); }

void TvMessage::Reset(TvBool clearHeader) {
  m_folderId = FOLDER_NONE;
  FreeBody();
  if (clearHeader) {
    std::memset(m_header, 0, sizeof(m_header));
    m_header[msg31::kFlagBytes + 2] = 1;
  }
  for (std::string& text : m_csTexts) text.clear();
  m_dwordProperty = 0;
  m_attachments.DeleteAll();
  m_recipients.DeleteAll();
}

void TvMessage::AllocateBody(uint32_t size) {
  FreeBody();
  m_body.reset(new uint8_t[size == 0 ? 1 : size]);
  m_dwordBodySize = size;
}

void TvMessage::FreeBody() {
  m_body.reset();
  m_dwordBodySize = 0;
}

void TvMessage::SetStagingFolder(const std::string& folder) {
  m_stagingReady = false;
  m_stagingFolder = folder;
  AppendBackslash(m_stagingFolder);
}

std::string TvMessage::DefaultStagingFolder() {
  std::string folder = platform::TempDirectory() + kStagingFolderName;
  AppendBackslash(folder);
  return folder;
}

uint64_t TvMessage::IdentifierFromOldName(const std::string& fileName) {
  uint8_t b[16] = {};
  HexToBytes(b, 16, fileName);
  uint32_t high = DecodeFixed32(b);
  uint32_t low = DecodeFixed32(b + 8);
  return (uint64_t{high} << 32) | low;
}

TvBool TvMessage::TotalAttachmentSize(uint64_t& total) const {
  uint64_t sum = 0;
  for (uint32_t i = 0; i < m_attachments.GetSize(); ++i) {
    if (!AddChecked(sum, m_attachments.GetAt(i)->m_dword64Size)) {
      total = 0;
      return 0;
    }
  }
  total = sum;
  return 1;
}

TvBool TvMessage::ComputeTotalSize(uint64_t attachmentTotal, uint64_t& total) const {
  uint64_t size = msg31::kHeaderSize;
  bool ok = AddChecked(size, uint64_t{msg31::kAttachmentRecordSize} * m_attachments.GetSize()) &&
            AddChecked(size, uint64_t{msg31::kRecipientRecordSize} * m_recipients.GetSize()) &&
            AddChecked(size, DecodeFixed32(m_header + msg31::kExtraSize)) &&
            AddChecked(size, m_dwordBodySize) && AddChecked(size, attachmentTotal);
  total = size;
  return ok ? 1 : 0;
}

void TvMessage::AssignDataOffsets() {
  uint64_t start = msg31::kHeaderSize +
                   uint64_t{msg31::kAttachmentRecordSize} * m_attachments.GetSize() +
                   uint64_t{msg31::kRecipientRecordSize} * m_recipients.GetSize() +
                   DecodeFixed32(m_header + msg31::kExtraSize) + m_dwordBodySize;
  uint32_t n = std::min(DecodeFixed32(m_header + msg31::kAttachmentCount), m_attachments.GetSize());
  for (uint32_t i = 0; i < n; ++i) {
    TvMessageAttachment* attachment = m_attachments[i];
    attachment->m_dword64Offset = start;
    start += attachment->m_dword64Size;
  }
}

TvBool TvMessage::WriteParts(TvFile& file, uint32_t parts) {
  const uint32_t recipientCount = DecodeFixed32(m_header + msg31::kRecipientCount);
  const uint32_t recipientSize = DecodeFixed16(m_header + msg31::kRecipientRecord);
  const uint32_t attachmentCount = DecodeFixed32(m_header + msg31::kAttachmentCount);
  const uint32_t attachmentSize = DecodeFixed16(m_header + msg31::kAttachmentRecord);

  if (parts & msg31::kPartHeader) {
    if (!file.Write(m_header, msg31::kHeaderSize)) return 0;
  } else if (!SkipForward(file, msg31::kHeaderSize)) {
    return 0;
  }

  if (parts & msg31::kPartRecipients) {
    // The record as held, zero-padded when the header gives a larger record size.
    std::vector<uint8_t> record(std::max<uint32_t>(recipientSize, msg31::kRecipientRecordSize));
    for (uint32_t i = 0; i < recipientCount; ++i) {
      if (i >= m_recipients.GetSize()) return 0;
      std::fill(record.begin(), record.end(), 0);
      m_recipients[i]->EncodeRecord(record.data());
      if (!file.Write(record.data(), recipientSize)) return 0;
    }
  } else if (!SkipForward(file, uint64_t{recipientCount} * recipientSize)) {
    return 0;
  }

  if (parts & msg31::kPartAttachmentRecords) {
    std::vector<uint8_t> record(std::max<uint32_t>(attachmentSize, msg31::kAttachmentRecordSize));
    for (uint32_t i = 0; i < attachmentCount; ++i) {
      if (i >= m_attachments.GetSize()) return 0;
      std::fill(record.begin(), record.end(), 0);
      m_attachments[i]->EncodeRecord(record.data());
      if (!file.Write(record.data(), attachmentSize)) return 0;
    }
  } else if (!SkipForward(file, uint64_t{attachmentCount} * attachmentSize)) {
    return 0;
  }

  if (parts & msg31::kPartBody) {
    if (!file.Write(m_body.get(), m_dwordBodySize)) return 0;
  } else if (!SkipForward(file, m_dwordBodySize)) {
    return 0;
  }

  if ((parts & msg31::kPartContents) == 0) return 1;

  // The extra section is empty in every file written here; skip it all the same, so the contents
  // land where the offsets say.
  if (!SkipForward(file, DecodeFixed32(m_header + msg31::kExtraSize))) return 0;
  bool sizeChanged = false;
  if (!WriteContents(file, sizeChanged)) return 0;
  if (!sizeChanged) return 1;

  // A staged file changed length after it was staged: its record, the offsets after it and the
  // header's totals were written with the old size. Rewrite header and attachment records.
  uint64_t total = 0;
  TvBool result = TotalAttachmentSize(total);
  EncodeFixed64(m_header + msg31::kAttachmentTotal, total);
  uint64_t size = 0;
  if (!ComputeTotalSize(total, size)) result = 0;
  EncodeFixed64(m_header + msg31::kTotalSize, size);
  if (!result) return 0;
  if (!file.SeekRaw(0, 0)) return 0;
  return WriteParts(file, msg31::kPartHeader | msg31::kPartAttachmentRecords);
}

TvBool TvMessage::WriteContents(TvFile& file, bool& sizeChanged) {
  uint32_t n = DecodeFixed32(m_header + msg31::kAttachmentCount);
  for (uint32_t i = 0; i < n; ++i) {
    if (i >= m_attachments.GetSize()) return 0;
    TvMessageAttachment* attachment = m_attachments[i];
    TvFile source(0, 1);
    if (!source.OpenMakingRoom(attachment->m_csText, kModeReadShared, m_makeRoom)) return 0;
    // GetLength gives 0 both for an empty file and after a failed query (already reported): a
    // failed query must fail the save, not write the attachment as empty.
    const uint32_t savedError = platform::LastError();
    platform::SetLastError(0);
    uint64_t length = source.GetLength();
    if (length == 0 && platform::LastError() != 0) return 0;
    platform::SetLastError(savedError);
    if (length != attachment->m_dword64Size) {
      attachment->SetSize(length);
      AssignDataOffsets();
      sizeChanged = true;
    }
    if (!CopyFileRange(source, file, length)) return 0;
    source.Close();
  }
  return 1;
}

TvBool TvMessage::VerifyWritten(TvFile& file) const {
  if (file.GetLength() != DecodeFixed64(m_header + msg31::kTotalSize)) return 0;
  uint8_t header[msg31::kHeaderSize];
  if (!file.SeekTo(0) || !file.Read(header, msg31::kHeaderSize)) return 0;
  return std::memcmp(header, m_header, msg31::kHeaderSize) == 0 ? 1 : 0;
}

TvBool TvMessage::Save(const std::string& oldPath) {
  TvMessagePlan plan = Plan(oldPath, m_batch.Names());
  if (plan.verdict == TvMessagePlan::Verdict::kCommitFirst) {
    m_batch.Commit();
    plan = Plan(oldPath, m_batch.Names());
  }
  if (!plan.Converts() || !Stage(plan, 0)) return 0;
  std::vector<TvMessageBatch::Outcome> outcomes = m_batch.Commit();
  return !outcomes.empty() && outcomes.back().committed ? 1 : 0;
}

TvBool TvMessage::PrepareHeader() {
  // The texts and carried values were taken from the old file; the layout fields are this file's.
  msg31::Header header = msg31::Header::Decode(m_header);
  header.magic = "ZV31";
  const uint8_t format[4] = {4, 0, 2, 0};
  std::memcpy(header.formatBytes, format, 4);
  header.bodySize = m_dwordBodySize;
  header.attachmentCount = m_attachments.GetSize();
  header.attachmentRecordSize = msg31::kAttachmentRecordSize;
  header.recipientCount = m_recipients.GetSize();
  header.recipientRecordSize = msg31::kRecipientRecordSize;
  header.extraSize = 0;
  header.flagBytes[0] = header.flagBytes[1] = header.flagBytes[3] = 0;
  header.Encode(m_header);

  TvBool result = 1;
  uint64_t total = 0;
  if (!TotalAttachmentSize(total)) result = 0;
  EncodeFixed64(m_header + msg31::kAttachmentTotal, total);
  uint64_t size = 0;
  if (!ComputeTotalSize(total, size)) result = 0;
  EncodeFixed64(m_header + msg31::kTotalSize, size);
  AssignDataOffsets();
  return result;
}

namespace {

// A write target that writes nothing: each write is held against the next bytes of an existing
// file, read in bounded pieces, and fails at the first difference.
class ExistingFileComparer : public TvFile {
 public:
  ExistingFileComparer() : TvFile(0, 0), m_existing(0, 0) {}
  bool Open(const std::string& path) { return m_existing.Open(path, kModeReadShared) != 0; }
  TvBool Write(const void* buffer, uint32_t count) override {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    while (count != 0) {
      const uint32_t piece = std::min<uint32_t>(count, kPiece);
      if (!m_piece) m_piece.reset(new uint8_t[kPiece]);
      if (!m_existing.Read(m_piece.get(), piece)) return 0;
      if (std::memcmp(m_piece.get(), bytes, piece) != 0) return 0;
      bytes += piece;
      count -= piece;
    }
    return 1;
  }

 private:
  static constexpr uint32_t kPiece = 1u << 20;
  TvFile m_existing;
  std::unique_ptr<uint8_t[]> m_piece;
};

}  // namespace

bool TvMessage::SameAsExisting(const std::string& path) {
  ExistingFileComparer existing;
  if (!existing.Open(path)) return false;
  const uint32_t front = msg31::kPartHeader | msg31::kPartRecipients |
                         msg31::kPartAttachmentRecords | msg31::kPartBody;
  if (!WriteParts(existing, front)) return false;
  // The contents come from the old file, from memory when it was read whole.
  TvFile old(0, 0);
  if (!m_oldHeld && !old.Open(m_oldPath, kModeReadShared)) return false;
  const uint32_t n = std::min(DecodeFixed32(m_header + msg31::kAttachmentCount),
                              m_oldAttachments.GetSize());
  for (uint32_t i = 0; i < n; ++i) {
    const TvOldMessageFileIndex& entry = *m_oldAttachments[i];
    if (m_oldHeld) {
      if (!existing.Write(m_readBuffer.get() + entry.m_dword64Position,
                          static_cast<uint32_t>(entry.m_dword64Size))) {
        return false;
      }
    } else if (!old.SeekTo(entry.m_dword64Position) ||
               !CopyFileRange(old, existing, entry.m_dword64Size)) {
      return false;
    }
  }
  return true;
}

TvMessagePlan TvMessage::Plan(const std::string& oldPath, const TvNewNames& names) {
  using Verdict = TvMessagePlan::Verdict;
  TvMessagePlan plan;
  plan.oldPath = oldPath;
  std::string name;
  FileNameFromPath(name, oldPath);
  uint64_t identifier = IdentifierFromOldName(name);
  m_dwordIdHigh = static_cast<uint32_t>(identifier >> 32);
  m_dwordIdLow = static_cast<uint32_t>(identifier);

  m_folderId = m_folders.FolderIdByFilePath(oldPath);
  m_folders.MessageFilePath(plan.newPath, identifier, m_folderId);
  if (plan.newPath.empty()) return plan;
  // Two old files of one run that map to one new name: the first keeps its file.
  plan.key = FoldCase(plan.newPath);
  if (names.Pending(plan.key)) {
    plan.verdict = Verdict::kCommitFirst;
    return plan;
  }
  if (names.Committed(plan.key)) {
    plan.verdict = Verdict::kNameTaken;
    return plan;
  }
  if (!PrepareHeader()) return plan;
  plan.bytes = DecodeFixed64(m_header + msg31::kTotalSize);
  // A 3.1 file of that name is there only on a rerun: only the very bytes may replace it.
  uint64_t existing = 0;
  if (platform::FileSizeByPath(plan.newPath, &existing)) {
    if (existing != plan.bytes || !SameAsExisting(plan.newPath)) {
      plan.verdict = Verdict::kExistingDiffers;
      return plan;
    }
    plan.replacedBytes = existing;
  }
  plan.verdict = Verdict::kConverts;
  return plan;
}

TvBool TvMessage::Stage(const TvMessagePlan& plan, size_t tag) {
  std::unique_ptr<TvReplacingFile> file = m_batch.OpenNewFile(plan.newPath, m_makeRoom);
  if (!file) return 0;
  // Header, records and body reach the system in one write.
  file->BufferWrites(kWholeReadLimit);
  TvBool result = PrepareHeader();
  if (result) result = WriteParts(*file, msg31::kPartsAll);
  if (result) result = VerifyWritten(*file);
  if (!result) {
    file->Abandon();
    return 0;
  }
  // The totals may have been rewritten for a staged file that changed length.
  m_batch.Add(std::move(file), plan.oldPath, plan.newPath,
              DecodeFixed64(m_header + msg31::kTotalSize), tag);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Reading the 3.0 file

TvBool TvMessage::LoadOld(const std::string& path) { return ReadOldFile(path, true); }

TvBool TvMessage::ReadOld(const std::string& path) { return ReadOldFile(path, false); }

TvBool TvMessage::ReadOldFile(const std::string& path, bool stage) {
  Reset(1);
  m_oldAttachments.DeleteAll();
  m_oldPath.clear();
  m_oldHeld = false;
  m_oldLength = 0;
  m_loadProblem = msg30::Problem{};

  // The 3.0 file is read silently: a file that is not a valid message just fails to load.
  TvFile file(0, 0);
  if (!file.OpenMakingRoom(path, kModeReadShared, m_makeRoom)) {
    return Fail(msg30::ProblemKind::kCannotOpen, 0,
                "the file cannot be opened: " + LastErrorReason());
  }
  if (!m_readBuffer) m_readBuffer.reset(new uint8_t[kWholeReadLimit]);
  FileSource source(file, m_readBuffer.get());
  if (!source.Prefetch(kWholeReadLimit)) {
    return Fail(msg30::ProblemKind::kCannotOpen, 0,
                "the file cannot be read: " + LastErrorReason());
  }
  msg30::Layout layout;
  m_loadProblem = msg30::ReadLayout(source, layout);
  if (layout.headerRead && m_loadProblem.kind != msg30::ProblemKind::kHeaderRule) {
    TakeHeader(layout.header);
  }
  TakeParts(layout);
  // Only the last attachment's contents running past the end lets the load go on: its entry was
  // read whole, and staging fails at its copy with a log line of its own.
  const bool stageAnyway =
      m_loadProblem.kind == msg30::ProblemKind::kAttachmentPastEnd && layout.entriesRead;
  m_oldPath = path;
  m_oldHeld = source.Held(0, source.Length()) != nullptr;
  m_oldLength = source.Length();
  if (stage) {
    if (!m_loadProblem.Ok() && !stageAnyway) return 0;
    return ExtractAttachments(path, source);
  }
  // Staging copies each attachment's contents whole: the one that runs past the end fails it.
  if (!m_loadProblem.Ok()) return 0;
  for (uint32_t i = 0; i < m_oldAttachments.GetSize(); ++i) {
    const TvOldMessageFileIndex& entry = *m_oldAttachments[i];
    auto* attachment = new TvMessageAttachment;
    attachment->m_fileName = entry.m_csName.substr(0, 260);
    attachment->SetSize(entry.m_dword64Size);
    m_attachments.Add(attachment);
  }
  return 1;
}

TvBool TvMessage::Fail(msg30::ProblemKind kind, uint64_t offset, std::string text) {
  // The first problem stands: the last attachment running past the end fails its staging too.
  if (m_loadProblem.Ok()) m_loadProblem = msg30::Problem{kind, offset, std::move(text)};
  return 0;
}

TvBool TvMessage::FailStaging(uint32_t index, const TvOldMessageFileIndex& entry,
                              const std::string& why) {
  return Fail(msg30::ProblemKind::kStaging, entry.m_dword64Position,
              "attachment " + std::to_string(uint64_t{index} + 1) + " '" + entry.m_csName +
                  "' cannot be staged: " + why);
}

void TvMessage::TakeHeader(const msg30::Header& old) {
  for (const TextMove& move : kTextMoves) {
    std::memset(m_header + move.offset, 0, move.width);
    CopyToFixedField(m_header + move.offset, move.width - 1, old.texts[move.oldIndex]);
  }
  EncodeFixed32(m_header + msg31::kCarried3, old.values[0]);
  EncodeFixed32(m_header + msg31::kCarried4, old.values[1]);
  EncodeFixed32(m_header + msg31::kCarried1, old.values[2]);
  EncodeFixed32(m_header + msg31::kCarried2, old.values[3]);
  EncodeFixed32(m_header + msg31::kRecipientCount, old.recipientCount);
  EncodeFixed32(m_header + msg31::kBodySize, old.bodySize);
  EncodeFixed32(m_header + msg31::kAttachmentCount, old.attachmentCount);
}

void TvMessage::TakeParts(const msg30::Layout& layout) {
  for (const msg30::Recipient& r : layout.recipients) {
    auto* recipient = new TvMessageRecipient;
    recipient->m_name = r.name;
    recipient->m_kind = r.kind;
    recipient->m_dwordNumber1 = r.number1;
    recipient->m_dwordNumber2 = r.number2;
    m_recipients.Add(recipient);
  }
  if (layout.bodyOffset != 0) {
    AllocateBody(static_cast<uint32_t>(layout.body.size()));
    std::memcpy(m_body.get(), layout.body.data(), layout.body.size());
  }
  for (const msg30::AttachmentEntry& a : layout.attachments) {
    auto* entry = new TvOldMessageFileIndex;
    entry->m_csName = a.name;
    entry->m_dword64Size = a.size;
    entry->m_dword64Position = a.contentOffset;
    entry->BuildDisplayText();
    m_oldAttachments.Add(entry);
  }
}

std::string TvMessage::StagedName(const std::string& storedName, uint32_t index,
                                  std::set<std::string>& used) const {
  size_t room =
      m_stagingFolder.size() < kMaxStagedPath - 32 ? kMaxStagedPath - m_stagingFolder.size() : 32;
  auto taken = [&](const std::string& name) {
    return used.count(FoldCase(name)) != 0 || FileExists(m_stagingFolder + name);
  };
  std::string name = storedName;
  if (!IsPlainName(name) || name.size() > room || taken(name)) {
    name = FallbackAttachmentName(storedName, index, static_cast<uint32_t>(room) - 8);
    for (uint32_t k = 2; taken(name); ++k) {
      name = "Attachment " + std::to_string(uint64_t{index} + 1) + "-" + std::to_string(k);
    }
  }
  used.insert(FoldCase(name));
  return name;
}

TvBool TvMessage::PrepareStagingFolder() {
  if (m_stagingReady) {
    RemoveStagedFiles();
    return 1;
  }
  std::string bare = m_stagingFolder;
  if (bare.size() > 1 && platform::IsPathSeparator(bare.back())) bare.pop_back();
  // The folder may sit in a shared temporary directory: one planted there by someone else (or a
  // link) is refused like one that cannot be made.
  if (!platform::EnsurePrivateDirectory(bare)) {
    platform::UI().MessageBox("Can't create temp folder", platform::BoxButtons::kOk,
                              platform::BoxIcon::kWarning);
    return Fail(msg30::ProblemKind::kStaging, 0, "the temporary folder cannot be made");
  }
  TvStringList staleFiles;
  ListFiles(staleFiles, m_stagingFolder, "*.*");
  for (const std::string& stale : staleFiles) DeleteFileIfExists(stale);
  m_stagedFiles.clear();
  m_stagingReady = true;
  return 1;
}

void TvMessage::RemoveStagedFiles() {
  for (const std::string& staged : m_stagedFiles) DeleteFileIfExists(staged);
  m_stagedFiles.clear();
}

TvBool TvMessage::ExtractAttachments(const std::string& path, FileSource& source) {
  if (!PrepareStagingFolder()) return 0;
  const std::string& folder = m_stagingFolder;
  // From here on a failing read or seek of the old file is shown, as any staging failure is.
  source.File().ShowErrors(1);
  // Stored names are text: each attachment is staged under a plain name of its own, so nothing
  // is written outside the folder and no attachment overwrites another.
  std::set<std::string> used;
  for (uint32_t i = 0; i < m_oldAttachments.GetSize(); ++i) {
    TvOldMessageFileIndex* entry = m_oldAttachments[i];
    const std::string staged = folder + StagedName(entry->m_csName, i, used);
    TvFile target(0, 1);
    // A new file only, no link followed: nothing planted in the folder is written through.
    if (!target.OpenMakingRoom(staged, kModeReadWriteCreateMessage | platform::kOpenNewOnly,
                               m_makeRoom)) {
      TvFileError error(staged.c_str(), 1);
      return FailStaging(i, *entry, "the staged file cannot be created");
    }
    m_stagedFiles.push_back(staged);
    if (!source.CopyTo(target, entry->m_dword64Position, entry->m_dword64Size, path)) {
      target.Close();
      m_log.Add("Problems with file: " + staged + " , message " + path, kLogError, kLogNoCategory);
      return FailStaging(i, *entry, "its contents cannot be copied");
    }
    target.Close();
    auto* attachment = new TvMessageAttachment;
    attachment->SetFromPath(staged, entry->m_csName);
    m_attachments.Add(attachment);
  }
  return 1;
}
