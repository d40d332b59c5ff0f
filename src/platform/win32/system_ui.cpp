// Message boxes, the wait cursor and the shell's folder chooser.
#include "platform/system_ui.h"

#include <shlobj.h>
#include <windows.h>
// UserInterface::MessageBox shares its name with the system macro.
#undef MessageBox

namespace platform {

namespace {

UINT IconStyle(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kError:
      return MB_ICONERROR;
    case BoxIcon::kWarning:
      return MB_ICONWARNING;
    case BoxIcon::kInformation:
      return MB_ICONINFORMATION;
    case BoxIcon::kQuestion:
      return MB_ICONQUESTION;
    default:
      return 0;
  }
}

class WindowsUserInterface : public UserInterface {
 public:
  BoxAnswer ShowMessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon) override {
    UINT style = (buttons == BoxButtons::kYesNo ? MB_YESNO : MB_OK) | IconStyle(icon);
    // Owned by the active window (the main dialog while it is up), so the box is modal to it.
    int answer = ::MessageBoxA(::GetActiveWindow(), text.c_str(), ApplicationName().c_str(), style);
    if (buttons == BoxButtons::kOk) return BoxAnswer::kOk;
    return answer == IDYES ? BoxAnswer::kYes : BoxAnswer::kNo;
  }

  bool ChooseFolder(const std::string& title, std::string* path) override {
    IMalloc* shellMalloc = nullptr;
    if (FAILED(::SHGetMalloc(&shellMalloc)) || shellMalloc == nullptr) return false;
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof(info));
    info.hwndOwner = nullptr;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    bool chosen = false;
    LPITEMIDLIST item = ::SHBrowseForFolderA(&info);
    if (item != nullptr) {
      char buffer[MAX_PATH] = {};
      if (::SHGetPathFromIDListA(item, buffer)) {
        *path = buffer;
        chosen = true;
      }
      shellMalloc->Free(item);
    }
    shellMalloc->Release();
    return chosen;
  }

  void SetWaitCursor(bool on) override {
    m_depth += on ? 1 : -1;
    ::SetCursor(::LoadCursor(nullptr, m_depth > 0 ? IDC_WAIT : IDC_ARROW));
  }

 private:
  int m_depth = 0;
};

}  // namespace

UserInterface& SystemUserInterface() {
  static WindowsUserInterface ui;
  return ui;
}

}  // namespace platform
