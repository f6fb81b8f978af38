// Every text of the module's dialogs fits its control, in both languages:
// each dialog is made from its template as the editor makes it, and each
// static text, button, check box, radio button and group box's text is
// measured in the control's own font against the room the control gives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "src/editor/win32/win32_resources.h"
#include "src/resources/editor_ids.h"
#include "src/win32/text_convert.h"

namespace ulvo {
namespace {

// Room a button's frame and a group box's corners take beside the text, pixels.
constexpr int kPushButtonMargin = 2 * 4;
constexpr int kGroupBoxMargin = 2 * 8;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

struct Cut {
  int id;
  std::wstring text;
  int needed;     // pixels
  int available;  // pixels
};

// The text's size in the control's font: one line, or wrapped at `wrapWidth`.
// A one-line text's width ends with its last character's ink: a glyph that
// keeps blank room on its right (a full-width bracket) is not cut when only
// that room is.
SIZE Measure(HWND control, const std::wstring& text, UINT format, int wrapWidth) {
  HDC dc = GetDC(control);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT rect{0, 0, wrapWidth, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
  ABC last{};
  const bool inked = (format & DT_SINGLELINE) != 0 && !text.empty() &&
                     GetCharABCWidthsW(dc, text.back(), text.back(), &last) && last.abcC > 0;
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(control, dc);
  return SIZE{rect.right - rect.left - (inked ? last.abcC : 0), rect.bottom - rect.top};
}

// The room a check box or radio button takes before its text: the box, 12
// pixels at 96 dots per inch and one more, and half a digit's width of the
// control's font, as the system's buttons lay themselves out.
int CheckBoxIndent(HWND control) {
  HDC dc = GetDC(control);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  INT digit = 0;
  GetCharWidthW(dc, L'0', L'0', &digit);
  const int box = 12 * GetDeviceCaps(dc, LOGPIXELSX) / 96 + 1;
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(control, dc);
  return box + digit / 2;
}

// What does not fit in one control; nothing when it fits or shows no text.
std::vector<Cut> Check(HWND control) {
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  const std::wstring text = TextOf(control);
  if ((style & WS_VISIBLE) == 0 || text.empty()) return {};
  RECT client{};
  GetClientRect(control, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int id = GetDlgCtrlID(control);
  const std::wstring kind = ClassOf(control);
  if (kind == L"Static") {
    if ((style & SS_TYPEMASK) > SS_RIGHT) return {};  // pictures, frames
    const UINT noPrefix = (style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0;
    const SIZE size = Measure(control, text, DT_WORDBREAK | DT_EXPANDTABS | noPrefix, width);
    if (size.cx > width) return {Cut{id, text, size.cx, width}};
    if (size.cy > height) return {Cut{id, text, size.cy, height}};
    return {};
  }
  if (kind != L"Button") return {};
  const SIZE size = Measure(control, text, DT_SINGLELINE, 0);
  int room = width;
  switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX:
      room -= kGroupBoxMargin;
      break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      room -= CheckBoxIndent(control);
      break;
    default:
      room -= kPushButtonMargin;
      break;
  }
  if (size.cx > room) return {Cut{id, text, size.cx, room}};
  return {};
}

class DialogFit : public ::testing::TestWithParam<UiLanguage> {};

TEST_P(DialogFit, EveryTextFitsItsControl) {
  win32::Win32Resources resources;
  resources.SetLanguage(GetParam());
  for (const int dialogId : {IDD_ULVO_PROGRESS, IDD_ULVO_ABOUT, IDD_ULVO_SETTINGS,
                             IDD_ULVO_DEPTH_TRANSFERRED, IDD_ULVO_PATTERN_WINDOW}) {
    SCOPED_TRACE("dialog " + std::to_string(dialogId));
    const DLGTEMPLATE* dialogTemplate = resources.DialogTemplate(dialogId);
    ASSERT_NE(dialogTemplate, nullptr);
    HWND dialog = CreateDialogIndirectParamW(resources.instance(), dialogTemplate, nullptr,
                                             QuietDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      controls.push_back(child);
    }
    EXPECT_FALSE(controls.empty());
    for (HWND control : controls) {
      for (const Cut& cut : Check(control)) {
        ADD_FAILURE() << "control " << cut.id << " \"" << win32::Narrow(cut.text) << "\" needs "
                      << cut.needed << " pixels, has " << cut.available;
      }
    }
    DestroyWindow(dialog);
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogFit,
                         ::testing::Values(UiLanguage::kJapanese, UiLanguage::kEnglish),
                         [](const ::testing::TestParamInfo<UiLanguage>& info) {
                           return info.param == UiLanguage::kEnglish ? std::string("English")
                                                                     : std::string("Japanese");
                         });

}  // namespace
}  // namespace ulvo
