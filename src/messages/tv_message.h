// One message on its way from a 3.0 message file to a 3.1 message file.
//
// LoadOld parses a 3.0 file (header, recipients, body, attachment entries) and stages each
// embedded attachment as its own file in the temporary folder; Save names the new file from the
// old one, asks the folder lookup where it goes and writes header, records, body and the staged
// contents. One TvMessage is reused for every file of a conversion run.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "foundation/tv_file.h"
#include "foundation/tv_log.h"
#include "foundation/tv_object.h"
#include "foundation/types.h"
#include "messages/message_batch.h"
#include "messages/message_format.h"
#include "messages/message_plan.h"
#include "messages/old_message_format.h"
#include "messages/tv_folder_lookup.h"

class FileSource;

// What FillDisplayInfo fills: the portable form of a list-view item.
struct TvListItemInfo {
  static constexpr uint32_t kText = 1;
  static constexpr uint32_t kImage = 2;
  uint32_t mask = 0;
  int32_t subItem = 0;
  std::string text;
  uint32_t image = 0;
};

// One recipient; its own fields are the 46-byte recipient record.
class TvMessageRecipient : public TvObject {
 public:
  ~TvMessageRecipient() override = default;
  // 5 for kind 0 or 1, 1 for kind 2, 6 for kind 3, 0 otherwise.
  uint32_t GetImage() override;
  virtual TvBool FillDisplayInfo(TvListItemInfo& /*item*/) { return 1; }

  void EncodeRecord(uint8_t* record) const;  // msg31::kRecipientRecordSize bytes

  uint32_t m_dwordReserved = 0;
  uint32_t m_dwordNumber2 = 0;
  uint32_t m_dwordNumber1 = 0;
  uint8_t m_kind = 0;
  std::string m_name;  // at most 32 characters are written
};

// One attachment: m_csName is the display text, m_csText the full path of the file that holds
// the contents (the staged copy). Its own fields are the 281-byte attachment record.
class TvMessageAttachment : public TvObject {
 public:
  ~TvMessageAttachment() override = default;
  // Sub-item 0 gets the display text and sub-item 1 the full path (text bit); the image bit gets
  // GetImage.
  virtual TvBool FillDisplayInfo(TvListItemInfo& item);

  // m_csText := path; the name field := the file name of path; size := the file's size.
  void SetFromPath(const std::string& path);
  // As above, but the name field holds storedName: the name the message keeps for a file staged
  // under another name.
  void SetFromPath(const std::string& path, const std::string& storedName);
  // Sets the size and rebuilds the display text.
  void SetSize(uint64_t size);
  // "%s ( %s )" of the name field and the formatted size.
  void BuildDisplayText();

  void EncodeRecord(uint8_t* record) const;  // msg31::kAttachmentRecordSize bytes

  uint32_t m_dwordReserved = 0;
  uint64_t m_dword64Size = 0;
  uint64_t m_dword64Offset = 0;
  std::string m_fileName;  // the name field, at most 260 bytes
};

// One attachment entry of a 3.0 file: m_csName is its stored name.
class TvOldMessageFileIndex : public TvObject {
 public:
  ~TvOldMessageFileIndex() override = default;
  void BuildDisplayText();

  std::string m_csDisplay;
  uint64_t m_dword64Size = 0;
  uint64_t m_dword64Position = 0;
};

// Holds one 3.0 recipient record while it is read.
class TvOldMessageRecepient : public TvObject {
 public:
  ~TvOldMessageRecepient() override = default;
  uint8_t m_buffer[42] = {};
};

class TvMessage {
 public:
  static constexpr const char* kStagingFolderName = "Zorvane Conversion 3.0-3.1";

  // log takes the staging problem lines; folders answers where files belong. Both outlive it.
  TvMessage(TvLog& log, TvFolderLookup& folders);
  virtual ~TvMessage();
  TvMessage(const TvMessage&) = delete;
  TvMessage& operator=(const TvMessage&) = delete;

  // Folder id := FOLDER_NONE, no body, no attachments or recipients; with clearHeader the header
  // is all zero but byte 78, which is 1. The old attachment list is left alone.
  void Reset(TvBool clearHeader);
  void AllocateBody(uint32_t size);
  void FreeBody();

  int32_t GetFolderId() const { return m_folderId; }
  void SetFolderId(int32_t folderId) { m_folderId = folderId; }
  uint64_t GetIdentifier() const { return (uint64_t{m_dwordIdHigh} << 32) | m_dwordIdLow; }

  // Sum of the attachment sizes; false (and total 0) when it overflows 64 bits.
  TvBool TotalAttachmentSize(uint64_t& total) const;
  // Gives each of the first n attachments (n from the header) its contents offset.
  void AssignDataOffsets();
  // Writes the selected parts (msg31::kPart*) from the file's position, skipping the others.
  TvBool WriteParts(TvFile& file, uint32_t parts);
  // Writes the 3.1 file of the message loaded from oldPath and commits it at once (Plan, Stage,
  // then Batch().Commit()). An earlier file of its name is replaced only by identical bytes; a
  // new file that this message object already wrote is never replaced (two old files that map to
  // one new name).
  TvBool Save(const std::string& oldPath);

  // The plan of the message loaded (or read) from oldPath, made without writing anything: its new
  // path and length, a new name an earlier old file took (names: the run's new names), and a 3.1
  // file already there, compared byte for byte with what would be written (only on a rerun).
  TvMessagePlan Plan(const std::string& oldPath, const TvNewNames& names);
  // Writes the 3.1 file of a plan that converts under its temporary name and adds it to Batch()
  // with tag; it is in place only once the batch is committed. False (the file abandoned) when it
  // cannot be written.
  TvBool Stage(const TvMessagePlan& plan, size_t tag);
  TvMessageBatch& Batch() { return m_batch; }
  // Asked when a file of LoadOld or Stage cannot be opened for want of file handles: commit the
  // batch, whose new files hold them, and say whether it held any. Unset: no second try.
  void SetMakeRoom(TvFile::MakeRoom makeRoom) { m_makeRoom = std::move(makeRoom); }

  // Reads a 3.0 message file (one read for a file of up to kWholeReadLimit bytes, the rest
  // streamed), then stages its attachments from the same open file.
  TvBool LoadOld(const std::string& path);
  // LoadOld without staging: the attachments are described by their entries in the old file, so
  // Plan can be made and nothing is written. Fails wherever LoadOld fails for the file's bytes.
  TvBool ReadOld(const std::string& path);
  static constexpr uint32_t kWholeReadLimit = 1u << 19;
  // Why the last LoadOld failed: the reader's problem, kCannotOpen (its text ends with the
  // system's reason), or kStaging (the offset is that of the attachment's contents). No problem
  // after a load that succeeded.
  const msg30::Problem& LoadProblem() const { return m_loadProblem; }
  // The length of the old file read last.
  uint64_t OldFileLength() const { return m_oldLength; }

  // The temporary folder for staged attachments, ending in a separator. By default the system's
  // temporary directory + kStagingFolderName.
  const std::string& StagingFolder() const { return m_stagingFolder; }
  void SetStagingFolder(const std::string& folder);
  static std::string DefaultStagingFolder();

  // The 64-bit id of the new file from an old file name of 32 hexadecimal digits: bytes 0 to 3
  // make the high half, bytes 8 to 11 the low half, each least significant byte first.
  static uint64_t IdentifierFromOldName(const std::string& fileName);

  uint8_t* Header() { return m_header; }
  const uint8_t* Header() const { return m_header; }
  const uint8_t* Body() const { return m_body.get(); }
  uint8_t* Body() { return m_body.get(); }
  uint32_t BodySize() const { return m_dwordBodySize; }
  TvPtrAutoArray<TvMessageAttachment*>& Attachments() { return m_attachments; }
  TvPtrAutoArray<TvMessageRecipient*>& Recipients() { return m_recipients; }
  TvPtrAutoArray<TvOldMessageFileIndex*>& OldAttachments() { return m_oldAttachments; }

 private:
  TvBool ReadOldFile(const std::string& path, bool stage);
  // Fills the layout fields, the totals and the offsets of the 3.1 header; false on overflow.
  TvBool PrepareHeader();
  // The 3.1 file at path holds exactly the bytes Stage would write for this message: header,
  // records and body encoded in memory, the attachment contents read from the old file.
  bool SameAsExisting(const std::string& path);
  // 512 + records + extra section + body + attachment total, false on overflow.
  TvBool ComputeTotalSize(uint64_t attachmentTotal, uint64_t& total) const;
  TvBool WriteContents(TvFile& file, bool& sizeChanged);
  // The written file holds what was meant: its length and its header, read back from the open
  // file.
  TvBool VerifyWritten(TvFile& file) const;
  // Sets the load problem, unless one is set already, and fails.
  TvBool Fail(msg30::ProblemKind kind, uint64_t offset, std::string text);
  TvBool FailStaging(uint32_t index, const TvOldMessageFileIndex& entry, const std::string& why);
  // Take what the 3.0 reader found into the 3.1 header, the recipients, the body and the old
  // attachment list.
  void TakeHeader(const msg30::Header& old);
  void TakeParts(const msg30::Layout& layout);
  TvBool ExtractAttachments(const std::string& path, FileSource& source);
  // The staging folder exists and holds nothing of an earlier run; made once per object.
  TvBool PrepareStagingFolder();
  void RemoveStagedFiles();
  std::string StagedName(const std::string& storedName, uint32_t index,
                         std::set<std::string>& used) const;

  TvLog& m_log;
  TvFolderLookup& m_folders;

  uint32_t m_dwordIdLow = 0;
  uint32_t m_dwordIdHigh = 0;
  int32_t m_folderId = FOLDER_NONE;
  uint8_t m_header[msg31::kHeaderSize] = {};
  std::unique_ptr<uint8_t[]> m_body;
  uint32_t m_dwordBodySize = 0;
  std::string m_csTexts[9];
  uint32_t m_dwordProperty = 0;
  TvPtrAutoArray<TvMessageAttachment*> m_attachments;
  TvPtrAutoArray<TvMessageRecipient*> m_recipients;
  TvPtrAutoArray<TvOldMessageFileIndex*> m_oldAttachments;

  std::string m_stagingFolder;
  bool m_stagingReady = false;
  std::unique_ptr<uint8_t[]> m_readBuffer;  // kWholeReadLimit bytes, made at the first read
  std::string m_oldPath;                    // the old file read last
  bool m_oldHeld = false;                   // m_readBuffer holds all of it
  uint64_t m_oldLength = 0;
  msg30::Problem m_loadProblem;
  // Files this object staged for the message it holds; removed before the next one is staged.
  std::vector<std::string> m_stagedFiles;
  // New files written by this object; it knows the names already committed (case-folded), so
  // one is never replaced by another.
  TvMessageBatch m_batch;
  TvFile::MakeRoom m_makeRoom;
};
