// A Windows helper of the end-to-end tests, run under Wine beside the program:
//   hold <mutex name>     creates the named mutex owned, says "held" on stderr, keeps it until
//                         its input ends
//   lock <file>           opens the file without sharing it, says "held" on stderr, keeps it
//                         open until its input ends
//   dialog <window title> waits for the top-level window, then gives its place and whether it
//                         takes input, lists its controls in creation (template) order and
//                         the control that has the keyboard focus
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Says "held" on stderr and waits until the test closes the input.
void HoldUntilInputEnds() {
  std::fprintf(stderr, "held\n");
  std::fflush(stderr);
  char buffer[256];
  while (std::fgets(buffer, sizeof(buffer), stdin) != nullptr) {
  }
}

int Hold(const char* name) {
  HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name);
  if (mutex == nullptr || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    std::fprintf(stderr, "cannot hold the mutex\n");
    return 1;
  }
  HoldUntilInputEnds();
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
  return 0;
}

int Lock(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot open the file\n");
    return 1;
  }
  HoldUntilInputEnds();
  ::CloseHandle(file);
  return 0;
}

std::string Clean(const char* text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '|' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

int Dialog(const char* title) {
  HWND window = nullptr;
  for (int i = 0; i < 600 && window == nullptr; ++i) {
    window = ::FindWindowA(nullptr, title);
    if (window == nullptr) ::Sleep(100);
  }
  if (window == nullptr) {
    std::fprintf(stderr, "no window \"%s\"\n", title);
    return 1;
  }
  RECT rect;
  ::GetWindowRect(window, &rect);
  std::printf("window|%ld|%ld|%ld|%ld|%d\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top, ::IsWindowEnabled(window) ? 1 : 0);
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    char className[64] = {};
    char text[256] = {};
    ::GetClassNameA(child, className, sizeof(className));
    ::GetWindowTextA(child, text, sizeof(text));
    ::GetWindowRect(child, &rect);
    LONG style = ::GetWindowLongA(child, GWL_STYLE);
    int check = -1;
    LONG kind = style & BS_TYPEMASK;
    if (std::strcmp(className, "Button") == 0 && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX)) {
      check = static_cast<int>(::SendMessageA(child, BM_GETCHECK, 0, 0));
    }
    bool defaultButton = std::strcmp(className, "Button") == 0 && kind == BS_DEFPUSHBUTTON;
    std::printf("control|%d|%s|%s|%ld|%ld|%ld|%ld|%d|%d|%d|%d\n", ::GetDlgCtrlID(child), className,
                Clean(text).c_str(), rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, (style & WS_VISIBLE) ? 1 : 0, (style & WS_TABSTOP) ? 1 : 0,
                check, defaultButton ? 1 : 0);
  }
  GUITHREADINFO info;
  std::memset(&info, 0, sizeof(info));
  info.cbSize = sizeof(info);
  DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  int focus = 0;
  for (int i = 0; i < 50; ++i) {
    if (::GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) break;
    ::Sleep(100);
  }
  if (info.hwndFocus != nullptr) focus = ::GetDlgCtrlID(info.hwndFocus);
  std::printf("focus|%d\n", focus);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "lock") == 0) return Lock(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "dialog") == 0) return Dialog(argv[2]);
  std::fprintf(stderr, "usage: hold <mutex> | lock <file> | dialog <title>\n");
  return 2;
}
