
// The common controls header needs <windows.h> first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "src/editor/editor.h"
#include "src/editor/win32/win32_platform.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

namespace {

constexpr wchar_t kFrameClass[] = L"UlvoPiFrame";
constexpr wchar_t kViewClass[] = L"UlvoFilterView";
constexpr UINT kStatusBarId = 0xE801;  // the framework's standard status bar id
constexpr UINT kViewId = 0xE900;       // the framework's first pane id
constexpr int kStatusPaneWidth = 150;

HWND ToHwnd(WindowId window) {
  return reinterpret_cast<HWND>(window);
}
WindowId ToId(HWND window) {
  return reinterpret_cast<WindowId>(window);
}

Win32Platform::Binding* BindingOf(HWND window) {
  return reinterpret_cast<Win32Platform::Binding*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Stores the binding passed to CreateWindowEx in the window's user data and
// tells the portable object its window.
Win32Platform::Binding* Bind(HWND window, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* binding = static_cast<Win32Platform::Binding*>(create->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(binding));
    if (binding != nullptr && binding->object != nullptr)
      binding->object->AttachWindow(ToId(window));
    return binding;
  }
  return BindingOf(window);
}

// Clears the window's user data and tells the portable object its window is
// gone; the binding stays in the list but no longer forwards anything.
void Unbind(Win32Platform::Binding& binding, HWND window) {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (binding.object != nullptr) binding.object->OnWindowDestroyed();
  binding.object = nullptr;
}

// Lets the portable object handle the message; falls back to the default
// handling when it declines or is already gone.
LRESULT ForwardToObject(Win32Platform::Binding& binding, HWND window, UINT msg, WPARAM wParam,
                        LPARAM lParam) {
  if (binding.object != nullptr) {
    if (const auto result = binding.object->OnMessage(msg, wParam, static_cast<intptr_t>(lParam)))
      return static_cast<LRESULT>(*result);
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK FrameWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  Win32Platform::Binding* binding = Bind(window, msg, lParam);
  if (binding == nullptr || binding->platform == nullptr)
    return DefWindowProcW(window, msg, wParam, lParam);
  return binding->platform->FrameProc(*binding, window, msg, wParam, lParam);
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  Win32Platform::Binding* binding = Bind(window, msg, lParam);
  if (binding == nullptr || binding->platform == nullptr)
    return DefWindowProcW(window, msg, wParam, lParam);
  return binding->platform->ViewProc(*binding, window, msg, wParam, lParam);
}

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

WindowClassRegistration RegisterEditorClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc,
                                            HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  ATOM atom = RegisterClassExW(&wc);
  if (atom == 0 && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    // Left behind by an earlier run that did not end cleanly: its window
    // procedure may no longer be valid, so register ours afresh.
    UnregisterClassW(name, instance);
    atom = RegisterClassExW(&wc);
  }
  return WindowClassRegistration(instance, name, atom);
}

// The thumb position of a scroll message from a window's own scroll bar. The
// message carries only its low 16 bits; while the thumb is dragged the
// system knows it at full width.
LPARAM ThumbPosition(HWND window, int bar, WPARAM wParam) {
  const int16_t request = static_cast<int16_t>(LOWORD(wParam));
  if (request != SB_THUMBTRACK && request != SB_THUMBPOSITION) return 0;
  const int low = HIWORD(wParam);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_TRACKPOS;
  if (GetScrollInfo(window, bar, &info) && (info.nTrackPos & 0xFFFF) == low) {
    return info.nTrackPos;
  }
  return low;  // a message posted by another program
}

// Draws on the device context of one paint.
class GdiCanvas : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}
  void SetHalftone() override {
    SetStretchBltMode(dc_, HALFTONE);
    SetBrushOrgEx(dc_, 0, 0, nullptr);
  }
  void StretchBitmap(const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                     Rect src) override {
    static_assert(sizeof(BITMAPINFOHEADER) == sizeof(BitmapInfoHeader));
    BITMAPINFO info{};
    info.bmiHeader.biSize = header.size;
    info.bmiHeader.biWidth = header.width;
    info.bmiHeader.biHeight = header.height;
    info.bmiHeader.biPlanes = header.planes;
    info.bmiHeader.biBitCount = header.bitCount;
    info.bmiHeader.biCompression = header.compression;
    info.bmiHeader.biSizeImage = header.sizeImage;
    info.bmiHeader.biXPelsPerMeter = header.xPelsPerMeter;
    info.bmiHeader.biYPelsPerMeter = header.yPelsPerMeter;
    info.bmiHeader.biClrUsed = header.clrUsed;
    info.bmiHeader.biClrImportant = header.clrImportant;
    StretchDIBits(dc_, dst.left, dst.top, dst.width, dst.height, src.left, src.top, src.width,
                  src.height, bits, &info, DIB_RGB_COLORS, SRCCOPY);
  }
  Point ViewportOrigin() const override {
    POINT origin{};
    GetViewportOrgEx(dc_, &origin);
    return Point{origin.x, origin.y};
  }
  void SetViewportOrigin(Point origin) override {
    SetViewportOrgEx(dc_, origin.x, origin.y, nullptr);
  }

 private:
  HDC dc_;
};

}  // namespace

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
  return module;
}

Win32Platform::Win32Platform() : instance_(ModuleInstance()) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  frameClass_ = RegisterEditorClass(instance_, kFrameClass, FrameWindowProc,
                                    reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
  viewClass_ = RegisterEditorClass(instance_, kViewClass, ViewWindowProc,
                                   reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

Win32Platform::~Win32Platform() {
  // Windows go before their classes and the bindings they point to.
  if (frame_ != nullptr && IsWindow(frame_)) ::DestroyWindow(frame_);
  if (view_ != nullptr && IsWindow(view_)) ::DestroyWindow(view_);
}

WindowId Win32Platform::ActiveWindow() {
  return ToId(GetActiveWindow());
}

void Win32Platform::EnableHostWindow(WindowId window, bool enable) {
  HWND host = ToHwnd(window);
  if (host == nullptr || !IsWindow(host)) return;
  EnableWindow(host, enable ? TRUE : FALSE);
  // Give the activation back to the host once the editor has gone.
  if (enable) SetActiveWindow(host);
}

WindowId Win32Platform::CreateFrameWindow(EditorWindow& frame, int menuId) {
  if (!frameClass_.registered() || !viewClass_.registered()) return 0;
  UniqueMenu menu(LoadMenuW(instance_, MAKEINTRESOURCEW(menuId)));
  std::wstring title = Widen(StringResource(menuId));
  if (title.empty()) title = L"UlvoFilter";
  Binding& binding = bindings_.emplace_back(Binding{this, &frame, true});
  UniqueWindow window(CreateWindowExW(
      0, kFrameClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
      CW_USEDEFAULT, 800, 600, nullptr, menu.get(), instance_, &binding));
  if (!window) {
    frame.AttachWindow(0);
    return 0;
  }
  menu.release();  // the window owns its menu now

  statusBar_ = CreateWindowExW(
      0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window.get(),
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStatusBarId)), instance_, nullptr);
  if (statusBar_ != nullptr) {
    int edges[2] = {kStatusPaneWidth, 2 * kStatusPaneWidth};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  }
  frame_ = window.release();
  return ToId(frame_);
}

WindowId Win32Platform::CreateViewWindow(EditorWindow& view, WindowId frame) {
  if (frame == 0 || ToHwnd(frame) != frame_) return 0;
  Binding& binding = bindings_.emplace_back(Binding{this, &view, false});
  HWND window = CreateWindowExW(
      WS_EX_CLIENTEDGE, kViewClass, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 0, frame_,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewId)), instance_, &binding);
  if (window == nullptr) {
    view.AttachWindow(0);
    return 0;
  }
  view_ = window;
  LayoutFrame();
  return ToId(view_);
}

void Win32Platform::LayoutFrame() {
  if (frame_ == nullptr) return;
  RECT client{};
  GetClientRect(frame_, &client);
  int statusHeight = 0;
  if (statusBar_ != nullptr) {
    SendMessageW(statusBar_, WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(statusBar_, &bar);
    statusHeight = bar.bottom - bar.top;
  }
  if (view_ != nullptr)
    MoveWindow(view_, 0, 0, client.right, std::max<LONG>(0, client.bottom - statusHeight), TRUE);
}

void Win32Platform::ShowFrameWindow(WindowId frame) {
  HWND window = ToHwnd(frame);
  if (window == nullptr || window != frame_) return;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetForegroundWindow(window);
  SetActiveWindow(window);
  if (view_ != nullptr) SetFocus(view_);
}

void Win32Platform::DestroyEditorWindow(WindowId window) {
  HWND hwnd = ToHwnd(window);
  if (hwnd != nullptr && IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

void Win32Platform::DisableCloseMenuItem(WindowId frame) {
  HMENU systemMenu = GetSystemMenu(ToHwnd(frame), FALSE);
  if (systemMenu != nullptr) EnableMenuItem(systemMenu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

void Win32Platform::Invalidate(WindowId window, bool erase) {
  if (window != 0) InvalidateRect(ToHwnd(window), nullptr, erase ? TRUE : FALSE);
}

void Win32Platform::SetScrollBars(WindowId window, const ScrollBarState& horizontal,
                                  const ScrollBarState& vertical) {
  if (window == 0) return;
  // A bar whose whole range fits in its page is hidden by the system.
  const auto show = [&](int bar, const ScrollBarState& state) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(state.maximum, 0);
    info.nPage = static_cast<UINT>(std::max(state.page, 0));
    info.nPos = state.position;
    SetScrollInfo(ToHwnd(window), bar, &info, TRUE);
  };
  show(SB_HORZ, horizontal);
  show(SB_VERT, vertical);
}

void Win32Platform::SetStatusText(WindowId frame, int pane, const std::string& text) {
  if (statusBar_ == nullptr || ToHwnd(frame) != frame_) return;
  const std::wstring wide = Widen(text);
  SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(pane),
               reinterpret_cast<LPARAM>(wide.c_str()));
}

bool Win32Platform::SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) {
  return ::SetTimer(ToHwnd(window), timerId, milliseconds, nullptr) != 0;
}

void Win32Platform::KillTimer(WindowId window, uintptr_t timerId) {
  ::KillTimer(ToHwnd(window), timerId);
}

bool Win32Platform::NextMessage(Message& msg, int& quitCode) {
  const BOOL result = GetMessageW(&lastMessage_, nullptr, 0, 0);
  if (result == 0 || result == -1) {
    // The quit message, or a broken queue: either way the loop must end.
    quitCode = result == 0 ? static_cast<int>(lastMessage_.wParam) : 0;
    msg = Message{0, kMsgQuit, lastMessage_.wParam, 0};
    return false;
  }
  msg = Message{ToId(lastMessage_.hwnd), lastMessage_.message, lastMessage_.wParam,
                static_cast<intptr_t>(lastMessage_.lParam)};
  return true;
}

void Win32Platform::Dispatch(const Message& msg) {
  MSG native = lastMessage_;
  if (ToId(native.hwnd) != msg.window || native.message != msg.id || native.wParam != msg.wParam ||
      native.lParam != static_cast<LPARAM>(msg.lParam)) {
    native = MSG{ToHwnd(msg.window),
                 msg.id,
                 msg.wParam,
                 static_cast<LPARAM>(msg.lParam),
                 static_cast<DWORD>(GetMessageTime()),
                 {}};
  }
  TranslateMessage(&native);
  DispatchMessageW(&native);
}

bool Win32Platform::Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  return PostMessageW(ToHwnd(window), msg, wParam, static_cast<LPARAM>(lParam)) != FALSE;
}

void Win32Platform::PostQuit(int exitCode) {
  PostQuitMessage(exitCode);
}

DialogButton Win32Platform::ShowMessageBox(WindowId owner, const std::string& text,
                                           const std::string& caption, MessageBoxButtons buttons) {
  UINT type = MB_OK;
  if (buttons == MessageBoxButtons::kOkCancel) type = MB_OKCANCEL;
  if (buttons == MessageBoxButtons::kYesNo) type = MB_YESNO;
  HWND parent = owner != 0 ? ToHwnd(owner) : GetActiveWindow();
  switch (MessageBoxW(parent, Widen(text).c_str(), Widen(caption).c_str(), type)) {
    case IDOK:
      return DialogButton::kOk;
    case IDYES:
      return DialogButton::kYes;
    case IDNO:
      return DialogButton::kNo;
    default:
      return DialogButton::kCancel;
  }
}

void Win32Platform::ShowDialog(WindowId owner, int dialogId) {
  HWND parent = owner != 0 ? ToHwnd(owner) : GetActiveWindow();
  DialogBoxParamW(instance_, MAKEINTRESOURCEW(dialogId), parent, PlainDialogProc, 0);
}

std::string Win32Platform::StringResource(int id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size the call hands out the resource's own read-only text.
  const int length =
      LoadStringW(instance_, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return Narrow(std::wstring(text, static_cast<size_t>(length)));
}

std::string Win32Platform::HostExecutablePath() {
  return ulvo::HostExecutablePath();
}

ProfileStore& Win32Platform::Profile() {
  if (profile_ == nullptr) profile_ = OpenUserProfileStore(FileBaseName(ulvo::ModuleFilePath()));
  return *profile_;
}

LRESULT Win32Platform::FrameProc(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                 LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      LayoutFrame();
      return 0;
    case WM_SETFOCUS:
      if (view_ != nullptr) SetFocus(view_);
      return 0;
    case WM_NCDESTROY:
      if (window == frame_) {
        frame_ = nullptr;
        statusBar_ = nullptr;
      }
      Unbind(binding, window);
      return DefWindowProcW(window, msg, wParam, lParam);
    default:
      break;
  }
  return ForwardToObject(binding, window, msg, wParam, lParam);
}

LRESULT Win32Platform::ViewProc(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PaintDc dc(window);
      if (binding.object != nullptr && dc.get() != nullptr) {
        GdiCanvas canvas(dc.get());
        binding.object->Paint(canvas);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      SetFocus(window);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      // The view's own scroll bars: the thumb position at full width.
      if (lParam == 0) {
        lParam = ThumbPosition(window, msg == WM_HSCROLL ? SB_HORZ : SB_VERT, wParam);
      }
      break;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      // The portable view wants the pointer in its client coordinates.
      POINT pointer{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
      ScreenToClient(window, &pointer);
      lParam = MAKELPARAM(pointer.x, pointer.y);
      break;
    }
    case WM_NCDESTROY:
      if (window == view_) view_ = nullptr;
      Unbind(binding, window);
      return DefWindowProcW(window, msg, wParam, lParam);
    default:
      break;
  }
  return ForwardToObject(binding, window, msg, wParam, lParam);
}

}  // namespace ulvo::win32
