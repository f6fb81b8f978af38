#include "src/editor/win32/win32_dialogs.h"

// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cwchar>

#include "src/editor/win32/win32_window_id.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
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
  void SetListItems(int id, const std::vector<std::string>& items) override {
    SendDlgItemMessageW(dialog_, id, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
      const std::wstring wide = Widen(item);
      SendDlgItemMessageW(dialog_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
  }
  int ListSelection(int id) override {
    const LRESULT index = SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
  }
  void SetListSelection(int id, int index) override {
    SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
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

// The owner of a modal window: the one asked for, or the active window.
HWND OwnerWindow(WindowId owner) {
  return owner != 0 ? ToHwnd(owner) : GetActiveWindow();
}

}  // namespace

DialogButton Win32Dialogs::ShowMessageBox(WindowId owner, const std::string& text,
                                          const std::string& caption, MessageBoxButtons buttons,
                                          MessageBoxIcon icon) {
  UINT type = MB_OK;
  if (buttons == MessageBoxButtons::kOkCancel) type = MB_OKCANCEL;
  if (buttons == MessageBoxButtons::kYesNo) type = MB_YESNO;
  if (icon == MessageBoxIcon::kWarning) type |= MB_ICONEXCLAMATION;
  if (icon == MessageBoxIcon::kInformation) type |= MB_ICONINFORMATION;
  HWND parent = OwnerWindow(owner);
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

void Win32Dialogs::ShowDialog(WindowId owner, int dialogId) {
  HWND parent = OwnerWindow(owner);
  const DLGTEMPLATE* dialog = resources_.DialogTemplate(dialogId);
  if (dialog != nullptr) {
    DialogBoxIndirectParamW(resources_.instance(), dialog, parent, PlainDialogProc, 0);
  }
}

DialogResult Win32Dialogs::RunDialog(WindowId owner, DialogHandler& dialog) {
  HWND parent = OwnerWindow(owner);
  const DLGTEMPLATE* resource = resources_.DialogTemplate(dialog.resource());
  if (resource == nullptr) return DialogResult::kFailed;
  const INT_PTR result =
      DialogBoxIndirectParamW(resources_.instance(), resource, parent, PortableDialogProc,
                              reinterpret_cast<LPARAM>(&dialog));
  if (result == IDOK) return DialogResult::kOk;
  return result == IDCANCEL ? DialogResult::kCancel : DialogResult::kFailed;
}

std::optional<std::string> Win32Dialogs::AskOpenFile(WindowId owner,
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

bool Win32Dialogs::ShellOpen(WindowId owner, const std::string& target) {
  const HINSTANCE result =
      ShellExecuteW(ToHwnd(owner), L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}
}  // namespace ulvo::win32
