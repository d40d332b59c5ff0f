// The message store as the converter sees it: the folder list (six standard folders, then the
// user folders of the old folders file), each folder backed by a directory under the user data
// folder, and the names index. ConvertDatabase converts the whole store from 3.0 to 3.1 and logs
// every outcome.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "database/folders_plan.h"
#include "database/tv_database_names_index.h"
#include "database/tv_folder.h"
#include "database/walk_listener.h"
#include "foundation/data_paths.h"
#include "foundation/existing_list.h"
#include "foundation/lock.h"
#include "foundation/ptr_array.h"
#include "foundation/tv_log.h"
#include "foundation/types.h"
#include "foundation/utilities.h"
#include "messages/tv_folder_lookup.h"
#include "messages/tv_message.h"

// An entry of the database's user name list, which the conversion never fills.
struct NET_USER_NAME {
  char name[64];
};

class TvDatabase : public TvFolderLookup {
 public:
  // log takes every line of the conversion; paths gives the data folder and the standard folder
  // directories. Both outlive the database.
  TvDatabase(TvLog& log, const TvDataPaths& paths);
  ~TvDatabase() override;
  TvDatabase(const TvDatabase&) = delete;
  TvDatabase& operator=(const TvDatabase&) = delete;

  // Appends Inbox, Outbox, "Sent items", Deleted, Drafts and Temp (ids 0 to 5) to the list.
  TvBool CreateStandardFolders();
  // The whole conversion: folders list, names index, every folder's message files. Always 0.
  int32_t ConvertDatabase(TvBool deleteOld);
  // The message part of the conversion's walk, read-only, over the folders PlanFoldersList put in
  // the list (call it first): each old message file is read and planned as the conversion plans
  // it, in the same order, with nothing created, written or deleted (no staging either) and
  // nothing logged. The listener hears every verdict.
  void PlanMessages();
  // listener hears every verdict of the walk; it outlives the conversion.
  void SetListener(TvWalkListener* listener) { m_listener = listener ? listener : &m_noListener; }

  // What the conversion does with the folders list and the names index, read from disk without
  // creating, changing or deleting any file. Reads the folders the walk takes into the list
  // (after the standard folders, with the dropping rules): from the old folders file, or from
  // "Folders.List" when the old file is gone and it is there (a run interrupted after deleting
  // the old file), whose folders are then walked without writing either file again.
  TvFoldersPlan PlanFoldersList();
  // Carries out plan's names index and folders list: the names index is read (created when
  // missing) and rewritten when the plan says so, then the list plan is applied. False when a
  // write or deletion failed.
  bool ApplyFoldersPlan(const TvFoldersPlan& plan, TvBool deleteOld);
  // The folders list as "Folders.List" holds it.
  std::string EncodeFoldersList();
  // What a folders file's bytes hold.
  static TvListContent ReadFoldersListContent(const std::string& bytes);

  // The id of the first folder with that name (case-insensitive), else the standard folder of
  // that name ("Sent" for id 2), else FOLDER_NONE.
  int32_t FolderIdByName(const std::string& name);
  // The first folder with that id (FOLDER_CURRENT allowed), or null.
  TvFolder* FindFolder(int32_t id);
  // The folder's directory, ending in a separator (made by the conversion, not here); the data
  // folder for an unknown id; empty for a folder whose directory cannot be used
  // (HasUsableDirectory).
  void FolderDirectory(std::string& out, int32_t id);
  // The first folder whose directory equals path (case-insensitive), or FOLDER_NONE.
  int32_t FolderIdByDirectory(const std::string& path);
  int32_t FolderIdByFilePath(const std::string& path) override;
  void MessageFilePath(std::string& out, uint64_t messageId, int32_t folderId) override;

  // The folders the last plan dropped, in file order.
  const std::vector<TvDroppedFolder>& DroppedFolders() const { return m_dropped; }
  // Empty when directory can be listed or does not exist, else the line that says why it cannot
  // be read (for the folder named name).
  static std::string UnreadableFolderLine(const std::string& name, const std::string& directory);
  // Bare names of the old-format message files of a directory (".Message", 40 characters), in
  // the platform's listing order.
  static TvStringList OldMessageFileNames(const std::string& directory);

  // A user folder's name becomes a directory under the data folder: only a plain single name can
  // (and an id that names the folder itself, not the current folder). Standard folders always can.
  static bool HasUsableDirectory(const TvFolder& folder);

  void Lock(const char* label);
  void Unlock(const char* label);

  // Where the conversion stages attachments; empty (the default) for the system's temporary
  // directory + "Zorvane Conversion 3.0-3.1".
  void SetStagingFolder(const std::string& folder) { m_stagingFolder = folder; }

  // The data folder with a trailing separator.
  std::string DataFolder() const;

  TvPtrAutoArray<TvFolder*>& Folders() { return m_folders; }
  TvDatabaseNamesIndex& NamesIndex() { return m_namesIndex; }
  int32_t CurrentFolderId() const { return m_currentFolderId; }

 private:
  // Reads the folder records of a folders file into the list, with the dropping rules.
  struct RecordsRead {
    bool opened = false;
    uint64_t length = 0;
    uint32_t count = 0;  // as the file's header gives it
    folders::Problem problem;
  };
  RecordsRead ReadFolderRecords(const std::string& path);
  // The dropped folders whose messages no folder of the list reaches. Reads directories only.
  std::vector<TvStrandedFolder> StrandedFolders();
  // The Error line of a stranded folder.
  static std::string StrandedFolderLine(const TvStrandedFolder& stranded);
  // The walk's folders as the plan lists them, and the names index as it stands.
  void PlanFolders(TvFoldersPlan& plan);
  void PlanNamesIndex(TvNamesIndexPlan& plan);
  // One folder's part of the walk: its directory and its old message files, listed read-only.
  struct FolderWork {
    TvFolder* folder = nullptr;
    bool usable = false;
    std::string directory;
    std::string unreadable;  // the Error line of a directory that cannot be listed
    TvStringList names;
  };
  FolderWork ListFolder(TvFolder& folder);
  // The Error line of a listed folder the walk does not convert; empty for one it walks.
  static std::string SkippedFolderLine(const FolderWork& work);
  // The conversion's preparation of a folder before it is listed: its directory is made, and an
  // earlier run's leftovers in it are settled (a recovered file is no old file).
  void PrepareFolder(TvFolder& folder);
  // Converts one listed folder; false when it stopped early because a stop was requested.
  bool ConvertFolder(TvMessage& message, const FolderWork& work, TvBool deleteOld, uint64_t& done);
  // Tells one message's outcome: its lines to the log (at the place kept for them, or at the end
  // with kNoPlace), its count to the run's tally, the whole of it to the listener.
  static constexpr size_t kNoPlace = ~size_t{0};
  void Emit(const TvMessageOutcome& outcome, size_t place);
  // Commits the message's batch and emits the outcome of each of its files.
  void CommitBatch(TvMessage& message, TvBool deleteOld);
  // Logs the Error line of a folder the walk does not convert.
  void SkipFolder(const std::string& line);
  void Log(const std::string& text, int32_t level);

  TvLog& m_log;
  const TvDataPaths& m_paths;

  TvCriticalSection m_foldersLock;
  TvPtrAutoArray<TvFolder*> m_folders;
  TvPtrAutoArray<TvMessage*> m_messages;
  TvCriticalSection m_messagesLock;
  int32_t m_currentFolderId = FOLDER_NONE;
  TvDatabaseNamesIndex m_namesIndex;
  TvPtrAutoArray<NET_USER_NAME*> m_userNames;
  TvCriticalSection m_userNamesLock;
  uint32_t m_dwordUnused = 0;
  std::string m_stagingFolder;
  std::vector<TvDroppedFolder> m_dropped;
  TvWalkListener m_noListener;
  TvWalkListener* m_listener = &m_noListener;
};
