#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "src/editor/win32/gdi_canvas.h"
#include "src/editor/win32/win32_handles.h"
#include "src/editor/win32/win32_window_id.h"
#include "src/editor/win32/win32_windows.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

namespace {

constexpr UINT kViewId = 0xE900;  // the framework's first pane id

// Puts a visible window owned by the window in `lParam` back above it.
BOOL CALLBACK RaiseOwned(HWND window, LPARAM owner) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && IsWindowVisible(window)) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return TRUE;
}

}  // namespace

Win32Windows::Win32Windows(Win32Resources& resources, ModalDialogs& dialogs, FrameLayout& layout)
    : resources_(resources), layout_(layout), classes_(resources.instance(), dialogs, layout) {}

Win32Windows::~Win32Windows() {
  // Windows go before their classes and the bindings they point to.
  if (layout_.frame() != nullptr && IsWindow(layout_.frame())) ::DestroyWindow(layout_.frame());
  if (layout_.view() != nullptr && IsWindow(layout_.view())) ::DestroyWindow(layout_.view());
}

WindowId Win32Windows::CreateFrameWindow(EditorWindow& frame, int menuId) {
  if (!classes_.registered()) return 0;
  UniqueMenu menu(resources_.Menu(menuId));
  std::wstring title = Widen(resources_.StringResource(menuId));
  if (title.empty()) title = L"UlvoFilter";
  WindowClasses::Binding& binding = classes_.NewBinding(frame);
  UniqueWindow window(CreateWindowExW(0, WindowClasses::kFrameClass, title.c_str(),
                                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 800, 600, nullptr, menu.get(),
                                      resources_.instance(), &binding));
  if (!window) {
    frame.AttachWindow(0);
    return 0;
  }
  menu.release();  // the window owns its menu now
  // The frame's icon in the title bar and the task switcher; icons loaded
  // shared belong to the system and are never destroyed.
  for (const auto& [which, metric] :
       {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const int side = GetSystemMetrics(metric);
    HANDLE icon = LoadImageW(resources_.instance(), MAKEINTRESOURCEW(menuId), IMAGE_ICON, side,
                             side, LR_SHARED);
    if (icon != nullptr)
      SendMessageW(window.get(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
  layout_.SetFrame(window.release());
  return ToId(layout_.frame());
}

// A modeless dialog is shown without taking the activation from the editor,
// whose keyboard it must not take: it is made from a copy of its template
// without the visible style and then shown inactive.
WindowId Win32Windows::CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) {
  const auto bytes = resources_.Bytes(resource, RT_DIALOG);
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

  WindowClasses::Binding& binding = classes_.NewBinding(dialog);
  HWND window = CreateDialogIndirectParamW(
      resources_.instance(), reinterpret_cast<const DLGTEMPLATE*>(copy.data()), ToHwnd(owner),
      WindowClasses::ModelessDialogProc(), reinterpret_cast<LPARAM>(&binding));
  if (window == nullptr) {
    dialog.AttachWindow(0);
    return 0;
  }
  if (visible) ShowWindow(window, SW_SHOWNOACTIVATE);
  return ToId(window);
}

WindowId Win32Windows::CreateViewWindow(EditorWindow& view, WindowId frame) {
  if (frame == 0 || ToHwnd(frame) != layout_.frame()) return 0;
  WindowClasses::Binding& binding = classes_.NewBinding(view);
  HWND window =
      CreateWindowExW(WS_EX_CLIENTEDGE, WindowClasses::kViewClass, L"",
                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 0,
                      layout_.frame(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewId)),
                      resources_.instance(), &binding);
  if (window == nullptr) {
    view.AttachWindow(0);
    return 0;
  }
  layout_.SetView(window);
  layout_.Layout();
  return ToId(window);
}

void Win32Windows::ShowFrameWindow(WindowId frame) {
  HWND window = ToHwnd(frame);
  if (window == nullptr || window != layout_.frame()) return;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetForegroundWindow(window);
  SetActiveWindow(window);
  if (layout_.view() != nullptr) SetFocus(layout_.view());
}

void Win32Windows::DestroyEditorWindow(WindowId window) {
  HWND hwnd = ToHwnd(window);
  if (hwnd != nullptr && IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

WindowId Win32Windows::ActiveWindow() {
  return ToId(GetActiveWindow());
}

void Win32Windows::EnableHostWindow(WindowId window, bool enable) {
  HWND host = ToHwnd(window);
  if (host == nullptr || !IsWindow(host)) return;
  EnableWindow(host, enable ? TRUE : FALSE);
  // Give the activation back to the host once the editor has gone.
  if (enable) SetActiveWindow(host);
}

bool Win32Windows::WindowEnabled(WindowId window) {
  HWND handle = ToHwnd(window);
  return handle != nullptr && IsWindow(handle) && IsWindowEnabled(handle);
}

void Win32Windows::SetWindowCaption(WindowId window, const std::string& text) {
  if (HWND handle = ToHwnd(window)) SetWindowTextW(handle, Widen(text).c_str());
}

void Win32Windows::DisableCloseMenuItem(WindowId frame) {
  HMENU systemMenu = GetSystemMenu(ToHwnd(frame), FALSE);
  if (systemMenu != nullptr) EnableMenuItem(systemMenu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

void Win32Windows::CheckMenuItem(WindowId frame, int id, bool checked) {
  HMENU menu = GetMenu(ToHwnd(frame));
  if (menu != nullptr) {
    ::CheckMenuItem(menu, static_cast<UINT>(id),
                    MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void Win32Windows::Invalidate(WindowId window, bool erase) {
  if (window != 0) InvalidateRect(ToHwnd(window), nullptr, erase ? TRUE : FALSE);
}

void Win32Windows::SetScrollBars(WindowId window, const ScrollBarState& horizontal,
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

Rect Win32Windows::WindowRect(WindowId window) {
  RECT place{};
  if (window != 0) GetWindowRect(ToHwnd(window), &place);
  return Rect{place.left, place.top, place.right - place.left, place.bottom - place.top};
}

void Win32Windows::MoveWindowTo(WindowId window, Rect place, bool repaint) {
  if (window != 0) {
    MoveWindow(ToHwnd(window), place.left, place.top, place.width, place.height,
               repaint ? TRUE : FALSE);
  }
}

void Win32Windows::ActivateWindow(WindowId window) {
  if (window == 0) return;
  HWND target = ToHwnd(window);
  SetActiveWindow(target);
  // Owned windows stay above their owner; not every window manager keeps
  // them there when the owner is activated.
  EnumThreadWindows(GetCurrentThreadId(), RaiseOwned, reinterpret_cast<LPARAM>(target));
}

void Win32Windows::ShowPopupMenu(WindowId owner, int menu, int index, Point screen) {
  UniqueMenu loaded(resources_.Menu(menu));
  HMENU popup = loaded ? GetSubMenu(loaded.get(), index) : nullptr;
  if (popup == nullptr) return;
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, ToHwnd(owner),
                 nullptr);
}

void Win32Windows::ShowWaitCursor(bool wait) {
  SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

void Win32Windows::ShowCursorResource(int id) {
  // A cursor loaded from a module is shared by the system and never destroyed.
  HCURSOR cursor = LoadCursorW(resources_.instance(), MAKEINTRESOURCEW(id));
  if (cursor != nullptr) SetCursor(cursor);
}

Point Win32Windows::ClientToScreen(WindowId window, Point client) {
  POINT point{client.x, client.y};
  ::ClientToScreen(ToHwnd(window), &point);
  return Point{point.x, point.y};
}

void Win32Windows::DrawOnWindow(WindowId window, const BitmapInfoHeader& header,
                                const uint8_t* bits, Rect dst, Rect src, RasterOp op) {
  WindowDc dc(ToHwnd(window));
  if (dc.get() == nullptr) return;
  const BITMAPINFO info = BitmapInfoFrom(header);
  StretchDIBits(dc.get(), dst.left, dst.top, dst.width, dst.height, src.left, src.top, src.width,
                src.height, bits, &info, DIB_RGB_COLORS, op == RasterOp::kAnd ? SRCAND : SRCCOPY);
}

}  // namespace ulvo::win32
