#include "app/main_dialog.h"

#include "app/conversion_core.h"
#include "app/conversion_run.h"
#include "foundation/utilities.h"
#include "platform/ui.h"

const platform::DialogTemplate& MainDialogTemplate() {
  using platform::ControlKind;
  static const platform::DialogTemplate kTemplate = {
      kMainDialogResource,
      kApplicationIcon,
      "Zorvane Database Tool",
      "Tahoma",
      8,
      178,
      148,
      {
          {kIdConvert, ControlKind::kPushButton, "Convert 3.0 -> 3.1", 48, 70, 80, 14, 'c'},
          {kIdExit, ControlKind::kPushButton, "Exit", 64, 129, 50, 14, 'x'},
          {kIdBackUp, ControlKind::kPushButton, "BackUp Database", 48, 20, 80, 14, 'b'},
          {kIdRestore, ControlKind::kPushButton, "Restore Database", 48, 38, 80, 14, 'r'},
          {-1, ControlKind::kEtchedLine, "", 0, 123, 178, 1, 0},
          {kIdDeleteOld, ControlKind::kAutoCheckBox, "Delete old database when done", 28, 90, 123,
           12, 'd'},
          {kIdLaunch, ControlKind::kAutoCheckBox, "Launch Zorvane when done", 28, 106, 124, 12,
           'l'},
      },
  };
  return kTemplate;
}

CZV30TO31Dlg::CZV30TO31Dlg(void*, TvFolderCopier* copier)
    : m_copier(copier != nullptr ? *copier : SystemFolderCopier()) {}

int CZV30TO31Dlg::DoModal() { return platform::RunModalDialog(MainDialogTemplate(), *this); }

void CZV30TO31Dlg::ExchangeData(bool save) {
  if (m_window == nullptr) return;
  if (save) {
    m_bDeleteOld = m_window->IsChecked(kIdDeleteOld) ? 1 : 0;
    m_bLaunch = m_window->IsChecked(kIdLaunch) ? 1 : 0;
  } else {
    m_window->SetChecked(kIdDeleteOld, m_bDeleteOld != 0);
    m_window->SetChecked(kIdLaunch, m_bLaunch != 0);
  }
}

void CZV30TO31Dlg::OnInitDialog(platform::DialogWindow& window) {
  m_window = &window;
  ExchangeData(false);
}

void CZV30TO31Dlg::OnCommand(platform::DialogWindow& window, int controlId) {
  m_window = &window;
  switch (controlId) {
    case kIdConvert:
      OnConvert();
      break;
    case kIdExit:
      window.End(platform::kDialogCancel);
      break;
    case kIdBackUp:
      OnBackUpDatabase();
      break;
    case kIdRestore:
      OnRestoreDatabase();
      break;
    default:
      break;  // the check boxes keep their own state
  }
}

std::string CZV30TO31Dlg::DataFolder() const {
  std::string data =
      g_pConversionCore != nullptr ? g_pConversionCore->m_settingsRunTime.m_csUserDataFolder : "";
  AppendBackslash(data);
  return data;
}

void CZV30TO31Dlg::OnConvert() {
  platform::UserInterface& ui = platform::UI();
  ExchangeData(true);
  if (m_bBackedUp == 0 &&
      ui.MessageBox("Do the backup before conversion?", platform::BoxButtons::kYesNo,
                    platform::BoxIcon::kQuestion) == platform::BoxAnswer::kYes &&
      BackUp(true) == TvCopyOutcome::kFailed) {
    // The user wanted a backup first and has none: nothing is converted, the dialog stays, and
    // Convert asks again (so the user may still go on without one).
    return;
  }
  ui.MessageBox(
      "Please be patient, the conversion procedure may take some time. You will be notified when "
      "it will be done.",
      platform::BoxButtons::kOk, platform::BoxIcon::kInformation);
  ui.SetWaitCursor(true);
  if (g_pConversionCore != nullptr) {
    RunConversion(*g_pConversionCore, m_bDeleteOld, true);
    g_pConversionCore->m_settingsSystem.launchMessenger = m_bLaunch;
  }
  // A run the user stopped is not done: no done box, the summary on stderr says so.
  if (!RunOutcome().interrupted) {
    ui.MessageBox(DoneBoxText(m_bLaunch), platform::BoxButtons::kOk,
                  platform::BoxIcon::kInformation);
  }
  ui.SetWaitCursor(false);
  // Closing the OK way exchanges the data once more.
  ExchangeData(true);
  if (m_window != nullptr) m_window->End(platform::kDialogOk);
}

void CZV30TO31Dlg::OnBackUpDatabase() { BackUp(false); }

CZV30TO31Dlg::TvCopyOutcome CZV30TO31Dlg::BackUp(bool beforeConversion) {
  platform::UserInterface& ui = platform::UI();
  ui.SetWaitCursor(true);
  std::string data = DataFolder();
  std::string chosen;
  TvCopyOutcome outcome = TvCopyOutcome::kCancelled;
  if (BrowseForFolder(chosen)) {
    AppendBackslash(chosen);
    std::string target = BackupFolder(chosen);
    std::string reason;
    if (m_copier.Copy(BuildBackupCommand(data, chosen), data, target, &reason)) {
      // Only a backup that was made counts.
      m_bBackedUp = 1;
      outcome = TvCopyOutcome::kDone;
    } else {
      ui.MessageBox("The backup into '" + target + "' has failed, because: " + reason + "." +
                        (beforeConversion ? "\nNothing was converted." : ""),
                    platform::BoxButtons::kOk, platform::BoxIcon::kError);
      outcome = TvCopyOutcome::kFailed;
    }
  }
  ui.SetWaitCursor(false);
  return outcome;
}

void CZV30TO31Dlg::OnRestoreDatabase() {
  platform::UserInterface& ui = platform::UI();
  ui.SetWaitCursor(true);
  std::string data = DataFolder();
  ui.MessageBox("Please, select the folder 'Zorvane BackUp'", platform::BoxButtons::kOk,
                platform::BoxIcon::kInformation);
  std::string chosen;
  if (BrowseForFolder(chosen)) {
    AppendBackslash(chosen);
    std::string reason;
    if (!HoldsMessengerData(chosen)) {
      // Copying any folder over the data folder would only mix strange files into it.
      ui.MessageBox("The folder '" + chosen +
                        "' holds none of Zorvane's files, so nothing was restored. Please select "
                        "the folder 'Zorvane BackUp'.",
                    platform::BoxButtons::kOk, platform::BoxIcon::kWarning);
    } else if (!m_copier.Copy(BuildRestoreCommand(chosen, data), chosen, data, &reason)) {
      ui.MessageBox("The restore from '" + chosen + "' has failed, because: " + reason +
                        ".\nThe data folder may hold part of the backup.",
                    platform::BoxButtons::kOk, platform::BoxIcon::kError);
    }
  }
  ui.SetWaitCursor(false);
}
