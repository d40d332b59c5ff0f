// CZV30TO31Dlg: the main dialog (resource 102) and its commands: convert, back up, restore, exit.
#pragma once

#include "app/backup_restore.h"
#include "foundation/types.h"
#include "platform/dialog.h"

// Control ids of the main dialog.
enum MainDialogControl : int {
  kIdConvert = platform::kDialogOk,
  kIdExit = platform::kDialogCancel,
  kIdBackUp = 1003,
  kIdRestore = 1004,
  kIdDeleteOld = 1005,
  kIdLaunch = 1007,
};
inline constexpr int kMainDialogResource = 102;
inline constexpr int kApplicationIcon = 128;

// The dialog's template: what the resource script holds, and what the terminal rendition shows.
const platform::DialogTemplate& MainDialogTemplate();

class CZV30TO31Dlg : public platform::DialogHandler {
 public:
  // parent: none here. copier: the copies of backup and restore (the system's by default).
  explicit CZV30TO31Dlg(void* parent = nullptr, TvFolderCopier* copier = nullptr);

  // Runs the dialog modally; the result that ended it (kDialogOk after a conversion).
  int DoModal();

  void OnInitDialog(platform::DialogWindow& window) override;
  void OnCommand(platform::DialogWindow& window, int controlId) override;

  void OnConvert();
  // A failed backup or restore shows a box saying so; a backup counts only when it was made.
  // Restore refuses a folder that holds none of the messenger's files.
  void OnBackUpDatabase();
  void OnRestoreDatabase();

  TvBool m_bDeleteOld = 1;
  TvBool m_bLaunch = 1;
  int m_hIcon = kApplicationIcon;  // the icon resource; the window shows it large and small
  TvBool m_bBackedUp = 0;

 private:
  enum class TvCopyOutcome { kDone, kCancelled, kFailed };
  // The backup command: folder choice, copy, and a box when the copy failed (saying, when asked
  // for by the convert command, that nothing was converted).
  TvCopyOutcome BackUp(bool beforeConversion);
  // Check boxes to members (save) or members to check boxes.
  void ExchangeData(bool save);
  std::string DataFolder() const;

  platform::DialogWindow* m_window = nullptr;
  TvFolderCopier& m_copier;
};
