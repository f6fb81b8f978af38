
// The common controls header needs <windows.h> first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <span>

#include "src/editor/command_text.h"
#include "src/editor/editor.h"
#include "src/editor/win32/win32_platform.h"
#include "src/editor/window_dispatch.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

namespace {

constexpr wchar_t kFrameClass[] = L"UlvoPiFrame";
constexpr wchar_t kViewClass[] = L"UlvoFilterView";
constexpr UINT kViewId = 0xE900;  // the framework's first pane id
// Pixels left free at the toolbar's left end for its gripper.
constexpr int kGripperSpace = 8;

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
  if (binding.object != nullptr) DeliverWindowDestroyed(*binding.platform, *binding.object);
  binding.object = nullptr;
}

// Lets the portable object handle the message; falls back to the default
// handling when it declines or is already gone.
LRESULT ForwardToObject(Win32Platform::Binding& binding, HWND window, UINT msg, WPARAM wParam,
                        LPARAM lParam) {
  if (binding.object != nullptr) {
    if (const auto result = DeliverMessage(*binding.platform, *binding.object, msg, wParam,
                                           static_cast<intptr_t>(lParam)))
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

// A modeless dialog of a portable object: the binding rides in the dialog's
// user data from WM_INITDIALOG on.
INT_PTR CALLBACK ModelessDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* binding = reinterpret_cast<Win32Platform::Binding*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    if (binding != nullptr && binding->object != nullptr)
      binding->object->AttachWindow(ToId(dialog));
    return TRUE;
  }
  auto* binding = reinterpret_cast<Win32Platform::Binding*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (binding == nullptr || binding->platform == nullptr) return FALSE;
  return binding->platform->ModelessProc(*binding, dialog, msg, wParam, lParam);
}

// A window's text as UTF-8.
std::string WindowText(HWND window) {
  if (window == nullptr) return {};
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return Narrow(text);
}

// The bytes of a resource of the module; empty when it is missing.
std::span<const uint8_t> ResourceBytes(HINSTANCE instance, int id, LPCWSTR type) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), type);
  HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {static_cast<const uint8_t*>(data), SizeofResource(instance, found)};
}

// The controls of a dialog window for a portable dialog.
class DialogWindowControls : public DialogControls {
 public:
  explicit DialogWindowControls(HWND dialog) : dialog_(dialog) {}
  std::string Text(int id) override { return WindowText(GetDlgItem(dialog_, id)); }
  void SetText(int id, const std::string& text) override {
    SetDlgItemTextW(dialog_, id, Widen(text).c_str());
  }
  bool Checked(int id) override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void SetChecked(int id, bool checked) override {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  void Focus(int id) override {
    if (HWND control = GetDlgItem(dialog_, id)) {
      // As the dialog's own keyboard handling does: focus, text selected.
      SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
  }

 private:
  HWND dialog_;
};

// A portable dialog's window: it fills the controls when it opens and
// closes on OK only when the dialog takes the values. Nothing thrown may
// leave the callback: a failure closes the dialog as cancelled.
INT_PTR CALLBACK PortableDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  auto* handler = reinterpret_cast<DialogHandler*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (handler == nullptr) return FALSE;
  try {
    DialogWindowControls controls(dialog);
    if (msg == WM_INITDIALOG) {
      handler->OnInit(controls);
      return TRUE;  // the system sets the focus
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
      if (handler->OnOk(controls)) EndDialog(dialog, IDOK);
      return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
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

// A portable bitmap header as the system's.
BITMAPINFO BitmapInfoFrom(const BitmapInfoHeader& header) {
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
  return info;
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
    const BITMAPINFO info = BitmapInfoFrom(header);
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
  void DrawBitmapResource(int id, Point at, Size size) override {
    UniqueGdiObject bitmap(LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(id)));
    UniqueMemoryDc memory(CreateCompatibleDC(dc_));
    if (!bitmap || !memory) return;
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BitBlt(dc_, at.x, at.y, size.width, size.height, memory.get(), 0, 0, SRCCOPY);
    SelectObject(memory.get(), previous);
  }

 private:
  HDC dc_;
};

// Lets a window's portable object paint the window's invalid part.
void PaintObject(Win32Platform::Binding& binding, HWND window) {
  PaintDc dc(window);
  if (binding.object != nullptr && dc.get() != nullptr) {
    GdiCanvas canvas(dc.get());
    DeliverPaint(*binding.object, canvas);
  }
}

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
  // The frame shows only behind its bars, which take the button face.
  frameClass_ = RegisterEditorClass(instance_, kFrameClass, FrameWindowProc,
                                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
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
  frame_ = window.release();
  return ToId(frame_);
}

// A modeless dialog is shown without taking the activation from the editor,
// whose keyboard it must not take: it is made from a copy of its template
// without the visible style and then shown inactive.
WindowId Win32Platform::CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) {
  const auto bytes = ResourceBytes(instance_, resource, RT_DIALOG);
  if (bytes.size() < 16) return 0;
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());
  // An extended template (signature 0xFFFF) keeps its style after version,
  // signature, help id and extended style; a plain one starts with it.
  const bool extended = copy[2] == 0xFF && copy[3] == 0xFF;
  DWORD style = 0;
  std::memcpy(&style, copy.data() + (extended ? 12 : 0), sizeof(style));
  const bool visible = (style & WS_VISIBLE) != 0;
  style &= ~static_cast<DWORD>(WS_VISIBLE);
  std::memcpy(copy.data() + (extended ? 12 : 0), &style, sizeof(style));

  Binding& binding = bindings_.emplace_back(Binding{this, &dialog, false});
  HWND window = CreateDialogIndirectParamW(
      instance_, reinterpret_cast<const DLGTEMPLATE*>(copy.data()), ToHwnd(owner),
      ModelessDialogProc, reinterpret_cast<LPARAM>(&binding));
  if (window == nullptr) {
    dialog.AttachWindow(0);
    return 0;
  }
  if (visible) ShowWindow(window, SW_SHOWNOACTIVATE);
  return ToId(window);
}

INT_PTR Win32Platform::ModelessProc(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintObject(binding, window);
      return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, DWLP_USER, 0);
      if (binding.object != nullptr) DeliverWindowDestroyed(*this, *binding.object);
      binding.object = nullptr;
      return FALSE;
    default:
      break;
  }
  if (binding.object == nullptr) return FALSE;
  const auto result =
      DeliverMessage(*this, *binding.object, msg, wParam, static_cast<intptr_t>(lParam));
  if (!result) return FALSE;
  SetWindowLongPtrW(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(*result));
  return TRUE;
}

Rect Win32Platform::WindowRect(WindowId window) {
  RECT place{};
  if (window != 0) GetWindowRect(ToHwnd(window), &place);
  return Rect{place.left, place.top, place.right - place.left, place.bottom - place.top};
}

void Win32Platform::MoveWindowTo(WindowId window, Rect place, bool repaint) {
  if (window != 0) {
    MoveWindow(ToHwnd(window), place.left, place.top, place.width, place.height,
               repaint ? TRUE : FALSE);
  }
}

namespace {

// Puts a visible window owned by the window in `lParam` back above it.
BOOL CALLBACK RaiseOwned(HWND window, LPARAM owner) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && IsWindowVisible(window)) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return TRUE;
}

}  // namespace

void Win32Platform::ActivateWindow(WindowId window) {
  if (window == 0) return;
  HWND target = ToHwnd(window);
  SetActiveWindow(target);
  // Owned windows stay above their owner; not every window manager keeps
  // them there when the owner is activated.
  EnumThreadWindows(GetCurrentThreadId(), RaiseOwned, reinterpret_cast<LPARAM>(target));
}

void Win32Platform::ShowPopupMenu(WindowId owner, int menu, int index, Point screen) {
  UniqueMenu loaded(LoadMenuW(instance_, MAKEINTRESOURCEW(menu)));
  HMENU popup = loaded ? GetSubMenu(loaded.get(), index) : nullptr;
  if (popup == nullptr) return;
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, ToHwnd(owner),
                 nullptr);
}

void Win32Platform::ShowWaitCursor(bool wait) {
  SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

bool Win32Platform::WindowEnabled(WindowId window) {
  HWND handle = ToHwnd(window);
  return handle != nullptr && IsWindow(handle) && IsWindowEnabled(handle);
}

void Win32Platform::SetWindowCaption(WindowId window, const std::string& text) {
  if (HWND handle = ToHwnd(window)) SetWindowTextW(handle, Widen(text).c_str());
}

Point Win32Platform::ClientToScreen(WindowId window, Point client) {
  POINT point{client.x, client.y};
  ::ClientToScreen(ToHwnd(window), &point);
  return Point{point.x, point.y};
}

void Win32Platform::DrawOnWindow(WindowId window, const BitmapInfoHeader& header,
                                 const uint8_t* bits, Rect dst, Rect src, RasterOp op) {
  WindowDc dc(ToHwnd(window));
  if (dc.get() == nullptr) return;
  const BITMAPINFO info = BitmapInfoFrom(header);
  StretchDIBits(dc.get(), dst.left, dst.top, dst.width, dst.height, src.left, src.top, src.width,
                src.height, bits, &info, DIB_RGB_COLORS, op == RasterOp::kAnd ? SRCAND : SRCCOPY);
}

void Win32Platform::SetDialogItemText(WindowId dialog, int item, const std::string& text) {
  SetDlgItemTextW(ToHwnd(dialog), item, Widen(text).c_str());
}

std::string Win32Platform::DialogItemText(WindowId dialog, int item) {
  return WindowText(GetDlgItem(ToHwnd(dialog), item));
}

void Win32Platform::SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) {
  HWND bar = GetDlgItem(ToHwnd(dialog), item);
  if (bar == nullptr) return;
  SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(state.low), state.high);
  SendMessageW(bar, PBM_SETSTEP, static_cast<WPARAM>(state.step), 0);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(state.position), 0);
}

bool Win32Platform::DialogMessage(WindowId dialog, const Message& msg) {
  HWND handle = ToHwnd(dialog);
  if (handle == nullptr || !IsWindow(handle)) return false;
  MSG native = lastMessage_;
  if (ToId(native.hwnd) != msg.window || native.message != msg.id) {
    native = MSG{ToHwnd(msg.window),
                 msg.id,
                 msg.wParam,
                 static_cast<LPARAM>(msg.lParam),
                 static_cast<DWORD>(GetMessageTime()),
                 {}};
  }
  return IsDialogMessageW(handle, &native) != FALSE;
}

std::optional<std::string> Win32Platform::AskOpenFile(WindowId owner,
                                                      const OpenFileRequest& request) {
  // The framework's filter spelling: '|' where the system wants NULs.
  std::wstring filter = Widen(request.filter);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  const std::wstring title = Widen(request.title);
  const std::wstring folder = Widen(request.initialFolder);
  std::wstring file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = ToHwnd(owner);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.c_str();
  // The current folder stays: the depth hand-off file lives there.
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | (request.hideReadOnly ? OFN_HIDEREADONLY : 0) |
                 (request.overwritePrompt ? OFN_OVERWRITEPROMPT : 0);
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  file.resize(std::wcslen(file.c_str()));
  return Narrow(file);
}

bool Win32Platform::ShellOpen(WindowId owner, const std::string& target) {
  const HINSTANCE result =
      ShellExecuteW(ToHwnd(owner), L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void Win32Platform::ShowCursorResource(int id) {
  // A cursor loaded from a module is shared by the system and never destroyed.
  HCURSOR cursor = LoadCursorW(instance_, MAKEINTRESOURCEW(id));
  if (cursor != nullptr) SetCursor(cursor);
}

WindowId Win32Platform::CreateControl(const ControlDescription& d) {
  HWND parent = ToHwnd(d.parent);
  if (parent == nullptr || !IsWindow(parent)) return 0;
  HMENU id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id));
  HWND control = nullptr;
  switch (d.kind) {
    case ControlKind::kToolbar:
      control = CreateToolbar(parent, d);
      if (control != nullptr) toolbar_ = control;
      break;
    case ControlKind::kStatusBar: {
      control = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                                0, 0, 0, parent, id, instance_, nullptr);
      if (control == nullptr) break;
      std::vector<int> edges;
      int right = 0;
      for (int width : d.panes) {
        edges.push_back(width == kPaneToRightEdge ? -1 : (right += width));
      }
      SendMessageW(control, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
      statusBar_ = control;
      break;
    }
    case ControlKind::kDropDownList:
    case ControlKind::kEdit:
      control = CreateToolbarControl(parent, d);
      break;
  }
  if (control == nullptr) return 0;
  LayoutFrame();
  return ToId(control);
}

// Buttons from the toolbar resource (ids, 0 for a separator) with pictures
// from the bitmap of the same id, as the framework's toolbars load them.
HWND Win32Platform::CreateToolbar(HWND parent, const ControlDescription& d) {
  const auto bytes = ResourceBytes(instance_, d.resource, MAKEINTRESOURCEW(241));
  // version 1, button width, height, count, ids (16-bit words)
  const auto* data = reinterpret_cast<const WORD*>(bytes.data());
  if (bytes.size() < 8 || data[0] != 1 || bytes.size() < 8 + 2u * data[3]) return nullptr;
  const int imageWidth = data[1];
  const int imageHeight = data[2];
  const int count = data[3];
  HWND bar = CreateWindowExW(
      0, TOOLBARCLASSNAMEW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
          CCS_TOP,
      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id)), instance_, nullptr);
  if (bar == nullptr) return nullptr;
  SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELONG(imageWidth, imageHeight));
  // Room for the gripper, drawn after each paint (see ToolbarCustomDraw).
  SendMessageW(bar, TB_SETINDENT, kGripperSpace, 0);
  std::vector<TBBUTTON> buttons;
  int images = 0;
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    button.idCommand = data[4 + i];
    if (button.idCommand == 0) {
      button.fsStyle = BTNS_SEP;
    } else {
      const auto listed = [&](const std::vector<int>& ids) {
        return std::find(ids.begin(), ids.end(), button.idCommand) != ids.end();
      };
      button.iBitmap = images++;
      button.fsState = listed(d.disabled) ? 0 : TBSTATE_ENABLED;
      if (listed(d.indeterminate)) button.fsState |= TBSTATE_INDETERMINATE;
      button.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(button);
  }
  TBADDBITMAP pictures{instance_, static_cast<UINT_PTR>(d.resource)};
  SendMessageW(bar, TB_ADDBITMAP, images, reinterpret_cast<LPARAM>(&pictures));
  SendMessageW(bar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  return bar;
}

// A list or field at the place of a toolbar button, which becomes a
// separator as wide as the control.
HWND Win32Platform::CreateToolbarControl(HWND bar, const ControlDescription& d) {
  const LRESULT index = SendMessageW(bar, TB_COMMANDTOINDEX, d.placeholder, 0);
  if (index < 0) return nullptr;
  TBBUTTONINFOW info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_STYLE | TBIF_SIZE | TBIF_IMAGE;
  info.fsStyle = BTNS_SEP;
  info.cx = static_cast<WORD>(d.width);
  info.iImage = d.width;  // a separator's width
  SendMessageW(bar, TB_SETBUTTONINFOW, d.placeholder, reinterpret_cast<LPARAM>(&info));
  RECT place{};
  SendMessageW(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&place));
  HMENU id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id));
  HWND control = nullptr;
  if (d.kind == ControlKind::kDropDownList) {
    // Its height is that of the dropped-down list.
    control = CreateWindowExW(
        0, WC_COMBOBOXW, L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | CBS_HASSTRINGS,
        place.left, place.top, place.right - place.left, d.dropHeight, bar, id, instance_, nullptr);
  } else {
    control = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_EDITW, L"",
        WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | (d.rightAligned ? ES_RIGHT : ES_LEFT), place.left,
        place.top, place.right - place.left, place.bottom - place.top, bar, id, instance_, nullptr);
    if (control != nullptr) {
      if (d.maxChars > 0) SendMessageW(control, EM_LIMITTEXT, d.maxChars, 0);
      SendMessageW(control, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                   MAKELONG(d.margins, d.margins));
    }
  }
  if (control == nullptr) return nullptr;
  if (!d.fontFace.empty()) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(d.fontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    fonts_.emplace_back(CreateFontW(
        height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, Widen(d.fontFace).c_str()));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.back().get()), TRUE);
  }
  return control;
}

void Win32Platform::SetListItems(WindowId list, const std::vector<std::string>& items,
                                 int selected) {
  HWND control = ToHwnd(list);
  if (control == nullptr) return;
  SendMessageW(control, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
  }
  SendMessageW(control, CB_SETCURSEL, selected, 0);
}

int Win32Platform::ListSelection(WindowId list) {
  HWND control = ToHwnd(list);
  return control == nullptr ? -1 : static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
}

void Win32Platform::SetControlText(WindowId window, const std::string& text) {
  if (window != 0) SetWindowTextW(ToHwnd(window), Widen(text).c_str());
}

std::string Win32Platform::ControlText(WindowId window) {
  return WindowText(ToHwnd(window));
}

void Win32Platform::SetReadOnly(WindowId field, bool readOnly) {
  if (field != 0) SendMessageW(ToHwnd(field), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void Win32Platform::ShowBar(WindowId bar, bool show) {
  if (bar == 0) return;
  ShowWindow(ToHwnd(bar), show ? SW_SHOW : SW_HIDE);
  LayoutFrame();
}

bool Win32Platform::BarShown(WindowId bar) {
  return bar != 0 && IsWindowVisible(ToHwnd(bar));
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
  // The bars size themselves along the frame's edges; the view takes the rest.
  const auto height = [](HWND bar, UINT resize) {
    if (bar == nullptr || !IsWindowVisible(bar)) return 0L;
    SendMessageW(bar, resize, 0, 0);
    RECT place{};
    GetWindowRect(bar, &place);
    return place.bottom - place.top;
  };
  const LONG top = height(toolbar_, TB_AUTOSIZE);
  const LONG bottom = height(statusBar_, WM_SIZE);
  if (view_ != nullptr)
    MoveWindow(view_, 0, top, client.right, std::max<LONG>(0, client.bottom - top - bottom), TRUE);
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
  // The first pane stands out, as the pattern name it shows should.
  const WPARAM where = static_cast<WPARAM>(pane) | (pane == 0 ? SBT_POPOUT : 0);
  SendMessageW(statusBar_, SB_SETTEXTW, where, reinterpret_cast<LPARAM>(wide.c_str()));
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

PeekResult Win32Platform::PeekNextMessage(Message& msg, int& quitCode) {
  if (!PeekMessageW(&lastMessage_, nullptr, 0, 0, PM_REMOVE)) return PeekResult::kNone;
  msg = Message{ToId(lastMessage_.hwnd), lastMessage_.message, lastMessage_.wParam,
                static_cast<intptr_t>(lastMessage_.lParam)};
  if (lastMessage_.message != WM_QUIT) return PeekResult::kMessage;
  quitCode = static_cast<int>(lastMessage_.wParam);
  return PeekResult::kQuit;
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
                                           const std::string& caption, MessageBoxButtons buttons,
                                           MessageBoxIcon icon) {
  UINT type = MB_OK;
  if (buttons == MessageBoxButtons::kOkCancel) type = MB_OKCANCEL;
  if (buttons == MessageBoxButtons::kYesNo) type = MB_YESNO;
  if (icon == MessageBoxIcon::kWarning) type |= MB_ICONEXCLAMATION;
  if (icon == MessageBoxIcon::kInformation) type |= MB_ICONINFORMATION;
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

DialogResult Win32Platform::RunDialog(WindowId owner, DialogHandler& dialog) {
  HWND parent = owner != 0 ? ToHwnd(owner) : GetActiveWindow();
  const INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(dialog.resource()), parent,
                                         PortableDialogProc, reinterpret_cast<LPARAM>(&dialog));
  if (result == IDOK) return DialogResult::kOk;
  return result == IDCANCEL ? DialogResult::kCancel : DialogResult::kFailed;
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
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (header.code == static_cast<UINT>(NM_CUSTOMDRAW) && header.hwndFrom == toolbar_)
        return ToolbarCustomDraw(reinterpret_cast<NMCUSTOMDRAW&>(header));
      if (OnBarNotify(header)) return 0;
      break;
    }
    case WM_NCDESTROY:
      if (window == frame_) {
        frame_ = nullptr;
        statusBar_ = nullptr;
        toolbar_ = nullptr;
        fonts_.clear();
      }
      Unbind(binding, window);
      return DefWindowProcW(window, msg, wParam, lParam);
    default:
      break;
  }
  return ForwardToObject(binding, window, msg, wParam, lParam);
}

// The gripper at the toolbar's left end: a raised bar three pixels wide,
// drawn over the indent once the toolbar has painted itself.
LRESULT Win32Platform::ToolbarCustomDraw(NMCUSTOMDRAW& draw) {
  if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYPOSTPAINT;
  if (draw.dwDrawStage == CDDS_POSTPAINT) {
    RECT bar{};
    GetClientRect(draw.hdr.hwndFrom, &bar);
    RECT grip{2, bar.top + 2, 5, bar.bottom - 2};
    DrawEdge(draw.hdc, &grip, BDR_RAISEDINNER, BF_RECT);
  }
  return CDRF_DODEFAULT;
}

// Tooltips and the fly-by help of the toolbar's buttons, from the string
// table: the prompt before the line break, the tooltip after it.
bool Win32Platform::OnBarNotify(NMHDR& header) {
  if (header.code == TTN_GETDISPINFOW) {
    auto& tip = reinterpret_cast<NMTTDISPINFOW&>(header);
    tipText_ = Widen(CommandTooltip(StringResource(static_cast<int>(tip.hdr.idFrom))));
    tip.lpszText = tipText_.data();
    return true;
  }
  if (header.code == static_cast<UINT>(TBN_HOTITEMCHANGE) && header.hwndFrom == toolbar_ &&
      statusBar_ != nullptr) {
    const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
    std::wstring prompt;
    if ((hot.dwFlags & HICF_LEAVING) == 0) prompt = Widen(CommandPrompt(StringResource(hot.idNew)));
    SendMessageW(statusBar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(prompt.c_str()));
  }
  return false;
}

LRESULT Win32Platform::ViewProc(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintObject(binding, window);
      return 0;
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
