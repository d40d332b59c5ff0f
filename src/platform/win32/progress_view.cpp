// The progress window: a small window of its own above the main dialog, with the folder being
// converted, a progress bar and the counts. The conversion runs on the user-interface thread,
// so the window repaints only when Show pumps the thread's messages; input is thrown away
// meanwhile, and the owner is disabled for the window's life, so no command can start while
// the conversion runs.
#include "platform/progress_view.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <string>

namespace platform {

namespace {

constexpr const char* kClassName = "ZorvaneConversionProgress";
constexpr const char* kTitle = "Converting 3.0 -> 3.1";
constexpr int kClientWidth = 360;
constexpr int kClientHeight = 96;
constexpr int kMargin = 12;
constexpr int kTextHeight = 18;
constexpr int kBarHeight = 18;
constexpr int kBarRange = 1000;

LRESULT CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // No way to close it: it goes when the conversion ends.
  if (message == WM_CLOSE) return 0;
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterProgressClass(HINSTANCE instance) {
  WNDCLASSA existing;
  if (::GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof(windowClass));
  windowClass.lpfnWndProc = ProgressProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_WAIT);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  return ::RegisterClassA(&windowClass) != 0;
}

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

class ProgressWindow : public ProgressView {
 public:
  ProgressWindow() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterProgressClass(instance)) return;
    m_owner = ::GetActiveWindow();
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER;
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred on the owner (on the screen when there is none).
    RECT area;
    if (m_owner == nullptr || !::GetWindowRect(m_owner, &area)) {
      area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Whole on the screen, also when the owner sits at its edge.
    RECT work;
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
      x = x + width > work.right ? work.right - width : x;
      y = y + height > work.bottom ? work.bottom - height : y;
      x = x < work.left ? work.left : x;
      y = y < work.top ? work.top : y;
    }
    m_window = ::CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, kTitle, style, x, y, width,
                                 height, m_owner, nullptr, instance, nullptr);
    if (m_window == nullptr) return;

    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const int inner = kClientWidth - 2 * kMargin;
    m_folder = Child("STATIC", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kMargin, kMargin, inner,
                     kTextHeight, font);
    m_bar = Child(PROGRESS_CLASSA, 0, kMargin, kMargin + kTextHeight + 4, inner, kBarHeight, font);
    m_counts = Child("STATIC", SS_LEFT | SS_NOPREFIX, kMargin,
                     kMargin + kTextHeight + 4 + kBarHeight + 8, inner, kTextHeight, font);
    ::SendMessageA(m_bar, PBM_SETRANGE32, 0, kBarRange);

    if (m_owner != nullptr) ::EnableWindow(m_owner, FALSE);
    ::ShowWindow(m_window, SW_SHOW);
    ::UpdateWindow(m_window);
  }

  ~ProgressWindow() override {
    // The owner first, so the activation goes back to it when this window goes.
    if (m_owner != nullptr) ::EnableWindow(m_owner, TRUE);
    if (m_window != nullptr) ::DestroyWindow(m_window);
    Pump();
  }

  void Show(uint64_t done, uint64_t total, const std::string& counts,
            const std::string& folder) override {
    if (m_window == nullptr) return;
    SetText(m_folder, folder.empty() ? std::string() : "Folder: " + folder, m_shownFolder);
    SetText(m_counts, counts, m_shownCounts);
    const WPARAM position =
        total == 0 ? 0 : static_cast<WPARAM>(done >= total ? kBarRange : done * kBarRange / total);
    ::SendMessageA(m_bar, PBM_SETPOS, position, 0);
    Pump();
  }

 private:
  HWND Child(const char* className, DWORD style, int x, int y, int width, int height, HFONT font) {
    HWND child = ::CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, x, y, width,
                                   height, m_window, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (child != nullptr) ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
  }

  static void SetText(HWND control, const std::string& text, std::string& shown) {
    if (control == nullptr || text == shown) return;
    ::SetWindowTextA(control, text.c_str());
    shown = text;
  }

  // Lets every window of the thread repaint. Keyboard and mouse input is dropped: a click or a
  // key may neither start a command nor enter a move loop that would hold the conversion.
  static void Pump() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      if (IsInput(message.message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }

  HWND m_owner = nullptr;
  HWND m_window = nullptr;
  HWND m_folder = nullptr;
  HWND m_bar = nullptr;
  HWND m_counts = nullptr;
  std::string m_shownFolder;
  std::string m_shownCounts;
};

}  // namespace

std::unique_ptr<ProgressView> OpenProgressView(bool windowed) {
  if (!windowed) return nullptr;
  return std::make_unique<ProgressWindow>();
}

}  // namespace platform
