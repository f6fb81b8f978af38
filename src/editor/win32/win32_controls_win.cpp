#include "src/editor/win32/win32_controls.h"

// The common controls header needs <windows.h> first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "src/editor/win32/win32_handles.h"
#include "src/editor/win32/win32_window_id.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

namespace {

// Pixels left free at the toolbar's left end for its gripper.
constexpr int kGripperSpace = 8;

}  // namespace

Win32Controls::Win32Controls(const Win32Resources& resources, FrameLayout& layout)
    : resources_(resources), layout_(layout) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
}

WindowId Win32Controls::CreateControl(const ControlDescription& d) {
  HWND parent = ToHwnd(d.parent);
  if (parent == nullptr || !IsWindow(parent)) return 0;
  HMENU id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id));
  HWND control = nullptr;
  switch (d.kind) {
    case ControlKind::kToolbar:
      control = CreateToolbar(parent, d);
      if (control != nullptr) layout_.SetToolbar(control);
      break;
    case ControlKind::kStatusBar: {
      control = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                                0, 0, 0, parent, id, resources_.instance(), nullptr);
      if (control == nullptr) break;
      std::vector<int> edges;
      int right = 0;
      for (int width : d.panes) {
        edges.push_back(width == kPaneToRightEdge ? -1 : (right += width));
      }
      SendMessageW(control, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
      layout_.SetStatusBar(control);
      break;
    }
    case ControlKind::kDropDownList:
    case ControlKind::kEdit:
      control = CreateToolbarControl(parent, d);
      break;
  }
  if (control == nullptr) return 0;
  layout_.Layout();
  return ToId(control);
}

// Buttons from the toolbar resource (ids, 0 for a separator) with pictures
// from the bitmap of the same id, as the framework's toolbars load them.
HWND Win32Controls::CreateToolbar(HWND parent, const ControlDescription& d) {
  const auto bytes = resources_.Bytes(d.resource, MAKEINTRESOURCEW(241));
  // version 1, button width, height, count, ids (16-bit words)
  const auto* data = reinterpret_cast<const WORD*>(bytes.data());
  if (bytes.size() < 8 || data[0] != 1 || bytes.size() < 8 + 2u * data[3]) return nullptr;
  const int imageWidth = data[1];
  const int imageHeight = data[2];
  const int count = data[3];
  HWND bar =
      CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_FLAT |
                          TBSTYLE_TOOLTIPS | CCS_TOP,
                      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id)),
                      resources_.instance(), nullptr);
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
  TBADDBITMAP pictures{resources_.instance(), static_cast<UINT_PTR>(d.resource)};
  SendMessageW(bar, TB_ADDBITMAP, images, reinterpret_cast<LPARAM>(&pictures));
  SendMessageW(bar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  return bar;
}

// A list or field at the place of a toolbar button, which becomes a
// separator as wide as the control.
HWND Win32Controls::CreateToolbarControl(HWND bar, const ControlDescription& d) {
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
        place.left, place.top, place.right - place.left, d.dropHeight, bar, id,
        resources_.instance(), nullptr);
  } else {
    control = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_EDITW, L"",
        WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | (d.rightAligned ? ES_RIGHT : ES_LEFT), place.left,
        place.top, place.right - place.left, place.bottom - place.top, bar, id,
        resources_.instance(), nullptr);
    if (control != nullptr) {
      if (d.maxChars > 0) SendMessageW(control, EM_LIMITTEXT, d.maxChars, 0);
      SendMessageW(control, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                   MAKELONG(d.margins, d.margins));
    }
  }
  if (control == nullptr) return nullptr;
  if (!d.fontFace.empty()) {
    const int height = [&] {
      const WindowDc screen(nullptr);
      return -MulDiv(d.fontPoints, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    }();
    HGDIOBJ font = layout_.KeepFont(UniqueGdiObject(CreateFontW(
        height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, Widen(d.fontFace).c_str())));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  return control;
}

void Win32Controls::SetListItems(WindowId list, const std::vector<std::string>& items,
                                 int selected) {
  HWND control = ToHwnd(list);
  if (control == nullptr) return;
  SendMessageW(control, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
  }
  SendMessageW(control, CB_SETCURSEL, selected, 0);
}

int Win32Controls::ListSelection(WindowId list) {
  HWND control = ToHwnd(list);
  return control == nullptr ? -1 : static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
}

void Win32Controls::SetControlText(WindowId window, const std::string& text) {
  if (window != 0) SetWindowTextW(ToHwnd(window), Widen(text).c_str());
}

std::string Win32Controls::ControlText(WindowId window) {
  return WindowText(ToHwnd(window));
}

void Win32Controls::SetReadOnly(WindowId field, bool readOnly) {
  if (field != 0) SendMessageW(ToHwnd(field), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void Win32Controls::ShowBar(WindowId bar, bool show) {
  if (bar == 0) return;
  ShowWindow(ToHwnd(bar), show ? SW_SHOW : SW_HIDE);
  layout_.Layout();
}

bool Win32Controls::BarShown(WindowId bar) {
  return bar != 0 && IsWindowVisible(ToHwnd(bar));
}

void Win32Controls::SetStatusText(WindowId frame, int pane, const std::string& text) {
  if (ToHwnd(frame) != layout_.frame()) return;
  layout_.SetStatusText(pane, Widen(text));
}

void Win32Controls::ShowPrompt(WindowId frame, const std::string& prompt) {
  if (ToHwnd(frame) != layout_.frame()) return;
  layout_.ShowPrompt(Widen(prompt));
}

void Win32Controls::SetDialogItemText(WindowId dialog, int item, const std::string& text) {
  SetDlgItemTextW(ToHwnd(dialog), item, Widen(text).c_str());
}

std::string Win32Controls::DialogItemText(WindowId dialog, int item) {
  return WindowText(GetDlgItem(ToHwnd(dialog), item));
}

void Win32Controls::SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) {
  HWND bar = GetDlgItem(ToHwnd(dialog), item);
  if (bar == nullptr) return;
  SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(state.low), state.high);
  SendMessageW(bar, PBM_SETSTEP, static_cast<WPARAM>(state.step), 0);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(state.position), 0);
}

}  // namespace ulvo::win32
