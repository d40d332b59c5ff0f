// The canned replies: fast replies (offered in a popup menu) and auto answers, two lists of texts
// in the user data folder.
//
// Old (".Array") and new (".List") files share one layout (replies_format.h). Converting keeps
// the header value, the count, each item's texts and status, in their order, and writes 0 into
// the header word, each item's type code and data word and its trailing value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/data_paths.h"
#include "foundation/existing_list.h"
#include "foundation/list_plan.h"
#include "foundation/ptr_array.h"
#include "foundation/tv_log.h"
#include "foundation/tv_object.h"
#include "foundation/types.h"
#include "platform/popup_menu.h"
#include "replies/replies_format.h"

class TvTextMessageItem : public TvObject {
 public:
  TvTextMessageItem() { m_dwordImage = 3; }
  ~TvTextMessageItem() override = default;

  // Takes a record's texts and status; its type code, data word and trailing value are dropped.
  void TakeRecord(const TvTextMessageImage& record);
  // The item's record as the new list holds it.
  TvTextMessageImage Record();

  uint32_t m_dwordValue = 0;  // written as the trailing value; never changed by the conversion
};

class TvTextMessagesArray : public TvPtrAutoArray<TvTextMessageItem*> {
 public:
  // log and paths must outlive the array.
  TvTextMessagesArray(TvLog& log, const TvDataPaths& paths);
  ~TvTextMessagesArray() override;

  // What the conversion does with the old file oldName and the list newName of the data folder
  // (fixed names found in any letter case), decided by reading only (a damaged old file's short
  // read is shown as the file's error, as any reading shows it):
  // - the old file gone and the list there (a rerun after delete-old): left alone;
  // - the old file missing: created empty, and an empty list written from it;
  // - damaged: nothing written, both kept;
  // - an old file without texts never replaces a list that holds texts (or cannot be read): that
  //   list stays, an Info line says so, and the old file may go;
  // - a list that holds other texts is kept with the old file, and an Error line starting with
  //   label ("Fast replies") names both;
  // - otherwise the list is written from the old file, which may then go.
  // The items, header value and ReadProblem are those of the old file afterwards.
  TvListPlan Plan(const std::string& oldName, const std::string& newName, const char* label);
  // ApplyListPlan(Plan(oldName, newName, label)).
  void Convert(const std::string& oldName, const std::string& newName, TvBool deleteOld,
               const char* label);
  // Why the last Plan could not read the old file (kNone when it could).
  const TextListReadProblem& ReadProblem() const { return m_problem; }

  // Appends the items of the file name in the data folder; a missing file is created empty and
  // gives no items. Items read before a failure stay.
  TvBool LoadOld(const std::string& name);
  // Writes the file name in the data folder, replacing an earlier one only once the new one is
  // completely written and flushed.
  TvBool Save(const std::string& name);

  // The same for a full path: LoadFile reads an existing file only (it never creates one).
  TvBool LoadFile(const std::string& path);
  // Appends the items of a file's records and takes its header value.
  void TakeRecords(const TvTextListFile& records);
  // Reads the file at path opened with mode, with one read call, into out. kCannotOpen when it
  // cannot be opened or read, kLengthUnknown when its length cannot be learnt; a short read is
  // shown as the file's error.
  static TextListReadProblem ReadRecords(const std::string& path, uint32_t mode,
                                         TvTextListFile& out);
  TvBool SaveFile(const std::string& path);
  // The list as its 3.1 file holds it.
  std::string Encode();
  // What the bytes of a list hold.
  static TvListContent ListContent(const std::string& bytes);

  std::string DataFilePath(const std::string& name) const;

  uint32_t m_dwordHeaderValue = 0;  // the second word of the file, carried unchanged
  int32_t m_intSecondValue = -1;    // not used by the conversion

 protected:
  TvLog& m_log;
  const TvDataPaths& m_paths;

 private:
  // Reads the file at path (opened with mode) and appends its items.
  TvBool ReadFrom(const std::string& path, uint32_t mode);

  TextListReadProblem m_problem;
};

class TvFastReplysService : public TvTextMessagesArray {
 public:
  static constexpr const char* kOldFileName = "FastReplys.Array";
  static constexpr const char* kFileName = "FastReplys.List";

  // Popup menu ids: an empty first item, a separator, then one item per reply.
  static constexpr uint32_t kMenuFirstCommand = 1;
  static constexpr uint32_t kMenuSeparator = 2;
  static constexpr uint32_t kMenuFirstReply = 3;

  TvFastReplysService(TvLog& log, const TvDataPaths& paths);
  ~TvFastReplysService() override;

  void Convert(TvBool deleteOld);

  // Pops up the fast replies under rect (at its left and bottom edges), owned by owner, and hands
  // the chosen reply's index to OnReplyChosen together with target. Returns 0.
  virtual int32_t ShowMenu(void* target, const platform::ScreenRect& rect,
                           platform::WindowHandle owner);

  // The menu ShowMenu shows: id 1 with an empty text, separator id 2, then 3 + index per reply.
  std::vector<platform::PopupMenuItem> BuildMenu() const;
  // The reply index of a menu command: command - 3 for a reply, -1 otherwise.
  static int32_t ReplyIndexOf(uint32_t command);

 protected:
  // Shows the menu and returns the chosen command, 0 when none.
  virtual uint32_t TrackMenu(const std::vector<platform::PopupMenuItem>& items, int32_t x,
                             int32_t y, platform::WindowHandle owner);
  // What a chosen reply does with the target; nothing in this tool.
  virtual void OnReplyChosen(void* /*target*/, int32_t /*index*/) {}
  // What the empty first item does; nothing in this tool.
  virtual void OnFirstCommand() {}
};

class TvAutoAnswersService : public TvTextMessagesArray {
 public:
  static constexpr const char* kOldFileName = "AutoAnswers.Array";
  static constexpr const char* kFileName = "AutoAnswers.List";

  TvAutoAnswersService(TvLog& log, const TvDataPaths& paths);
  ~TvAutoAnswersService() override;

  void Convert(TvBool deleteOld);
};
