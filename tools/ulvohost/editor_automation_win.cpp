#include "tools/ulvohost/editor_automation_win.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "tools/ulvohost/host_log.h"
#include "tools/ulvohost/screen_capture_win.h"
#include "tools/ulvohost/text_win.h"

namespace ulvo::host {
namespace {

// Every wait for the module is bounded: a stuck editor must not hang the host.
constexpr DWORD kWaitMs = 20000;
constexpr DWORD kPollMs = 25;

constexpr wchar_t kFrameClass[] = L"UlvoPiFrame";
constexpr wchar_t kViewClass[] = L"UlvoFilterView";
constexpr wchar_t kDialogClass[] = L"#32770";

bool HasClass(HWND window, const wchar_t* className) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return std::wcscmp(name, className) == 0;
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int n = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

struct Search {
  const wchar_t* className = nullptr;
  int buttonId = 0;  // when set, the window must have a control with this id
  const std::set<HWND>* skip = nullptr;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (!IsWindowVisible(window) || !HasClass(window, search->className)) return TRUE;
  if (search->skip && search->skip->count(window)) return TRUE;
  if (search->buttonId && !GetDlgItem(window, search->buttonId)) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CollectStaticText(HWND window, LPARAM context) {
  auto* text = reinterpret_cast<std::wstring*>(context);
  if (!HasClass(window, L"Static")) return TRUE;
  // A picture's "text" is the resource it shows, not words.
  const LONG type = GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK;
  if (type == SS_BITMAP || type == SS_ICON || type == SS_ENHMETAFILE) return TRUE;
  const std::wstring part = WindowText(window);
  if (part.empty()) return TRUE;
  if (!text->empty()) *text += L' ';
  *text += part;
  return TRUE;
}

// Lets the main thread work through what was posted to it.
void Settle(HWND window) {
  for (int i = 0; i < 2; ++i) {
    Sleep(100);
    DWORD_PTR ignored = 0;
    if (window) SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
  }
}

}  // namespace

EditorAutomation::EditorAutomation(std::vector<ScriptStep> commands, DWORD mainThreadId,
                                   DWORD returnWaitMs)
    : commands_(std::move(commands)),
      mainThreadId_(mainThreadId),
      returnWaitMs_(returnWaitMs),
      runEnded_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

EditorAutomation::~EditorAutomation() {
  if (thread_.joinable()) {
    RunEnded();
    thread_.join();
  }
  CloseHandle(runEnded_);
}

void EditorAutomation::Start() {
  thread_ = std::thread([this] { ThreadMain(); });
}

void EditorAutomation::RunEnded() {
  SetEvent(runEnded_);
}

bool EditorAutomation::Finish() {
  if (thread_.joinable()) thread_.join();
  return !failed_;
}

bool EditorAutomation::Fail(const std::string& message) {
  failed_ = true;
  Say("ui: error: " + message);
  SayError(message);
  return false;
}

void EditorAutomation::GiveUp() {
  PostThreadMessageW(mainThreadId_, WM_QUIT, 0, 0);
}

HWND EditorAutomation::Frame() const {
  Search search{kFrameClass};
  EnumThreadWindows(mainThreadId_, &MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND EditorAutomation::View() const {
  HWND frame = Frame();
  if (!frame) return nullptr;
  Search search{kViewClass};
  EnumChildWindows(frame, &MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND EditorAutomation::Dialog(int buttonId) const {
  Search search{kDialogClass, buttonId, &answered_};
  EnumThreadWindows(mainThreadId_, &MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

struct ControlSearch {
  int id = 0;
  HWND found = nullptr;
};

BOOL CALLBACK MatchControl(HWND window, LPARAM lparam) {
  auto* search = reinterpret_cast<ControlSearch*>(lparam);
  if (GetDlgCtrlID(window) == search->id && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK SearchTopLevel(HWND window, LPARAM lparam) {
  auto* search = reinterpret_cast<ControlSearch*>(lparam);
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  // Dialogs first: their controls are what a user works with while they show.
  if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
    EnumChildWindows(window, &MatchControl, lparam);
  }
  return search->found == nullptr;
}

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return Narrow(name);
}

}  // namespace

namespace {

BOOL CALLBACK MatchStatusBar(HWND window, LPARAM lparam) {
  if (ClassOf(window) != "msctls_statusbar32") return TRUE;
  *reinterpret_cast<HWND*>(lparam) = window;
  return FALSE;
}

// Asks the status bar on the module's thread, bounded in time.
LRESULT AskStatusBar(HWND bar, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(bar, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &answer)) {
    return 0;
  }
  return static_cast<LRESULT>(answer);
}

}  // namespace

// Logs the text of each pane of the editor frame's status bar.
bool EditorAutomation::Status() {
  HWND frame = WaitForWindow([&] { return Frame(); }, "the editor");
  if (!frame) return stopped_;
  HWND bar = nullptr;
  EnumChildWindows(frame, &MatchStatusBar, reinterpret_cast<LPARAM>(&bar));
  if (bar == nullptr) return Fail("status: the editor has no status bar");
  const auto panes = static_cast<int>(AskStatusBar(bar, SB_GETPARTS, 0, 0));
  for (int pane = 0; pane < panes; ++pane) {
    const auto length = LOWORD(AskStatusBar(bar, SB_GETTEXTLENGTHW, pane, 0));
    std::wstring text(length + 1u, L'\0');
    AskStatusBar(bar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    Say("ui: status " + std::to_string(pane) + " \"" + Narrow(text) + "\"");
  }
  return true;
}

HWND EditorAutomation::Control(int id) const {
  ControlSearch search{id};
  EnumThreadWindows(mainThreadId_, &SearchTopLevel, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    if (HWND frame = Frame())
      EnumChildWindows(frame, &MatchControl, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

// A list entry is picked as a user picks it: the list shows it and tells its
// window that the selection changed.
bool EditorAutomation::Choose(const ScriptStep& command) {
  HWND list = WaitForWindow([&] { return Control(command.control); }, "the control");
  if (!list) return stopped_;  // a run that ended meanwhile is no failure
  const std::string kind = ClassOf(list);
  const std::string id = std::to_string(command.control);
  if (_stricmp(kind.c_str(), "ComboBox") != 0) return Fail("choose " + id + ": not a list");
  DWORD_PTR count = 0;
  SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_BLOCK, kWaitMs, &count);
  if (command.index >= static_cast<int32_t>(count)) {
    Say("ui: choose " + id + ": no entry " + std::to_string(command.index));
    return true;
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(list, CB_SETCURSEL, command.index, 0, SMTO_BLOCK, kWaitMs, &ignored);
  wchar_t text[256] = {};
  SendMessageTimeoutW(list, CB_GETLBTEXT, command.index, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                      kWaitMs, &ignored);
  Say("ui: choose " + id + " \"" + Narrow(text) + "\"");
  // Picking closes a list that a drop step opened.
  SendMessageTimeoutW(list, CB_SHOWDROPDOWN, FALSE, 0, SMTO_BLOCK, kWaitMs, &ignored);
  return PostAndSettle(GetParent(list), WM_COMMAND, MAKEWPARAM(command.control, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
}

// The list shows its entries until the next step closes it (a choice, a
// click elsewhere, a key).
bool EditorAutomation::Drop(const ScriptStep& command) {
  HWND list = WaitForWindow([&] { return Control(command.control); }, "the control");
  if (!list) return stopped_;
  const std::string id = std::to_string(command.control);
  if (_stricmp(ClassOf(list).c_str(), "ComboBox") != 0) return Fail("drop " + id + ": not a list");
  Say("ui: drop " + id);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(list, CB_SHOWDROPDOWN, TRUE, 0, SMTO_BLOCK, kWaitMs, &ignored);
  Settle(Frame());
  return true;
}

// A check box or radio button is set as by clicking it, if it is not as
// wanted already; a radio button cannot be clicked off, so it is just cleared.
bool EditorAutomation::Check(const ScriptStep& command) {
  HWND button = WaitForWindow([&] { return Control(command.control); }, "the control");
  if (!button) return stopped_;
  const std::string id = std::to_string(command.control);
  if (_stricmp(ClassOf(button).c_str(), "Button") != 0)
    return Fail("check " + id + ": not a button");
  const bool wanted = command.index != 0;
  Say("ui: check " + id + (wanted ? " on" : " off"));
  DWORD_PTR state = 0;
  SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_BLOCK, kWaitMs, &state);
  if ((state == BST_CHECKED) == wanted) return true;
  const LONG style = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
  const bool radio = style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON;
  DWORD_PTR ignored = 0;
  if (radio && !wanted) {
    SendMessageTimeoutW(button, BM_SETCHECK, BST_UNCHECKED, 0, SMTO_BLOCK, kWaitMs, &ignored);
  } else {
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_BLOCK, kWaitMs, &ignored);
  }
  Settle(button);
  return true;
}

// A field's text is replaced as by typing: the field itself tells its window.
bool EditorAutomation::Type(const ScriptStep& command) {
  HWND field = WaitForWindow([&] { return Control(command.control); }, "the control");
  if (!field) return stopped_;
  const std::string id = std::to_string(command.control);
  if (_stricmp(ClassOf(field).c_str(), "Edit") != 0) return Fail("type " + id + ": not a field");
  if ((GetWindowLongW(field, GWL_STYLE) & ES_READONLY) != 0) {
    Say("ui: type " + id + ": the field is read-only");
    return true;
  }
  DWORD_PTR limit = 0;
  SendMessageTimeoutW(field, EM_GETLIMITTEXT, 0, 0, SMTO_BLOCK, kWaitMs, &limit);
  std::wstring text = Widen(command.text);
  if (limit > 0 && text.size() > limit) text.resize(limit);  // typing stops at the limit
  Say("ui: type " + id + " \"" + Narrow(text) + "\"");
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_BLOCK,
                      kWaitMs, &ignored);
  Settle(field);
  return true;
}

template <typename Find>
HWND EditorAutomation::WaitForWindow(Find find, const char* what) {
  const ULONGLONG deadline = GetTickCount64() + kWaitMs;
  for (;;) {
    if (HWND window = find()) return window;
    if (WaitForSingleObject(runEnded_, 0) == WAIT_OBJECT_0) {
      // Nothing can appear any more. Dialogs such as confirmations depend on
      // settings, so this ends the script without failing the run; the
      // module's result tells what happened.
      Say(std::string("ui: script ended: the module returned without showing ") + what);
      stopped_ = true;
      return nullptr;
    }
    if (GetTickCount64() >= deadline) {
      Fail(std::string("timed out after 20 s waiting for ") + what);
      GiveUp();
      return nullptr;
    }
    Sleep(kPollMs);
  }
}

bool EditorAutomation::Answer(const ScriptStep& command) {
  const int id = static_cast<int>(command.button);
  HWND dialog = WaitForWindow([&] { return Dialog(id); }, "a dialog");
  if (!dialog) return false;
  std::wstring text;
  EnumChildWindows(dialog, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
  Say("ui: dialog \"" + Narrow(WindowText(dialog)) + "\" \"" + Narrow(text) + "\" -> " +
      ButtonName(command.button));
  answered_.insert(dialog);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  // The same window may not be answered twice; wait until it has gone, or
  // until it shows a message of its own (a field that failed validation):
  // then it stays open, to be answered again after that message.
  const ULONGLONG deadline = GetTickCount64() + kWaitMs;
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (Dialog(0) != nullptr) {
      answered_.erase(dialog);
      return true;
    }
    if (GetTickCount64() >= deadline) {
      Fail("the dialog did not close within 20 s");
      GiveUp();
      return false;
    }
    Sleep(kPollMs);
  }
  if (!IsWindow(dialog)) answered_.erase(dialog);
  return true;
}

namespace {
// The file name field of the common open-file dialog: the combo box of the
// dialog with places, the plain field of the older one.
constexpr int kFileNameCombo = 0x047C;
constexpr int kFileNameEdit = 0x0480;
}  // namespace

// A file is chosen as a user chooses it: its name typed into the dialog's
// name field, then Open.
bool EditorAutomation::OpenFile(const ScriptStep& command) {
  HWND dialog = WaitForWindow(
      [&] {
        HWND found = Dialog(kFileNameCombo);
        return found ? found : Dialog(kFileNameEdit);
      },
      "the open-file dialog");
  if (!dialog) return stopped_;
  HWND field = GetDlgItem(dialog, kFileNameCombo);
  if (field == nullptr) field = GetDlgItem(dialog, kFileNameEdit);
  Say("ui: open-file \"" + Narrow(WindowText(dialog)) + "\" -> \"" + command.file + "\"");
  const std::wstring file = Widen(command.file);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()), SMTO_BLOCK,
                      kWaitMs, &ignored);
  answered_.insert(dialog);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  const ULONGLONG deadline = GetTickCount64() + kWaitMs;
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (GetTickCount64() >= deadline) {
      Fail("the open-file dialog did not close within 20 s");
      GiveUp();
      return false;
    }
    Sleep(kPollMs);
  }
  answered_.erase(dialog);
  Settle(Frame());
  return true;
}

bool EditorAutomation::Key(const ScriptStep& command) {
  HWND view = WaitForWindow([&] { return View(); }, "the editor view");
  if (!view) return false;
  // Modifier keys are read from the keyboard state of the main thread, which
  // this thread shares while attached to its input.
  const DWORD self = GetCurrentThreadId();
  const bool attached = AttachThreadInput(self, mainThreadId_, TRUE) != 0;
  BYTE saved[256] = {};
  GetKeyboardState(saved);
  BYTE state[256];
  std::copy(std::begin(saved), std::end(saved), std::begin(state));
  if (command.ctrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  if (command.shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  if (command.alt) state[VK_MENU] = state[VK_LMENU] = 0x80;
  SetKeyboardState(state);

  // Real input sends the modifiers' own key messages around the key, and a
  // view may follow them instead of the keyboard state.
  std::vector<WPARAM> modifiers;
  if (command.ctrl) modifiers.push_back(VK_CONTROL);
  if (command.shift) modifiers.push_back(VK_SHIFT);
  if (command.alt) modifiers.push_back(VK_MENU);
  auto post = [&](WPARAM key, bool down) {
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    LPARAM flags = 1 | (static_cast<LPARAM>(scan) << 16);
    if (command.alt) flags |= LPARAM{1} << 29;
    if (!down) flags |= static_cast<LPARAM>(3u << 30);
    UINT message = down ? WM_KEYDOWN : WM_KEYUP;
    if (command.alt) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    PostMessageW(view, message, key, flags);
  };
  for (WPARAM modifier : modifiers) post(modifier, true);
  const auto vk = static_cast<WPARAM>(command.value);
  post(vk, true);
  post(vk, false);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) post(*it, false);
  Settle(view);

  SetKeyboardState(saved);
  if (attached) AttachThreadInput(self, mainThreadId_, FALSE);
  return true;
}

// Posts a message and gives the main thread a moment to act on it, as a user
// would before the next step; a window that has closed meanwhile ends the script.
bool EditorAutomation::PostAndSettle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!window) return false;
  if (!PostMessageW(window, message, wparam, lparam)) {
    Say("ui: script ended: the window closed before the message reached it");
    stopped_ = true;
    return false;
  }
  Settle(window);
  return true;
}

bool EditorAutomation::Execute(const ScriptStep& command) {
  auto frame = [&] { return WaitForWindow([&] { return Frame(); }, "the editor"); };
  switch (command.op) {
    case ScriptOp::kWaitEditor:
      return frame() != nullptr;
    case ScriptOp::kOpenFile:
      return OpenFile(command);
    case ScriptOp::kSleep:
      Sleep(static_cast<DWORD>(command.value));
      return true;
    case ScriptOp::kCommand: {
      return PostAndSettle(frame(), WM_COMMAND, MAKEWPARAM(command.value, 0), 0);
    }
    case ScriptOp::kCloseBox: {
      return PostAndSettle(frame(), WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    case ScriptOp::kPost: {
      const auto msg = static_cast<UINT>(command.message);
      const auto wp = static_cast<WPARAM>(command.wParam);
      const auto lp = static_cast<LPARAM>(command.lParam);
      if (command.target == PostTarget::kThread) {
        if (!PostThreadMessageW(mainThreadId_, msg, wp, lp)) {
          return Fail("cannot post to the main thread");
        }
        Settle(Frame());
        return true;
      }
      HWND target = command.target == PostTarget::kFrame
                        ? frame()
                        : WaitForWindow([&] { return View(); }, "the editor view");
      return PostAndSettle(target, msg, wp, lp);
    }
    case ScriptOp::kKey:
      return Key(command);
    case ScriptOp::kClick: {
      HWND view = WaitForWindow([&] { return View(); }, "the editor view");
      if (!view) return false;
      const LPARAM at = MAKELPARAM(command.x, command.y);
      // The pointer goes where the user clicks, so the view's cursor shows.
      POINT screen{command.x, command.y};
      if (ClientToScreen(view, &screen)) SetCursorPos(screen.x, screen.y);
      PostMessageW(view, WM_MOUSEMOVE, 0, at);
      // As the system does when the pointer moves over a window.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(view, WM_SETCURSOR, reinterpret_cast<WPARAM>(view),
                          MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), SMTO_BLOCK, kWaitMs, &ignored);
      if (command.right) {
        PostMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, at);
        PostMessageW(view, WM_RBUTTONUP, 0, at);
      } else {
        PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(view, WM_LBUTTONUP, 0, at);
      }
      Settle(view);
      return true;
    }
    case ScriptOp::kAnswer:
      return Answer(command);
    case ScriptOp::kQuit:
      if (!PostThreadMessageW(mainThreadId_, WM_QUIT, 0, 0)) {
        return Fail("cannot post the quit message");
      }
      Sleep(200);
      return true;
    case ScriptOp::kScreenshot: {
      std::string error;
      // Sharing the module thread's input state lets the shot show the
      // cursor that thread set.
      const DWORD self = GetCurrentThreadId();
      const bool attached = AttachThreadInput(self, mainThreadId_, TRUE) != 0;
      const bool saved = SaveScreenshot(command.file, error);
      if (attached) AttachThreadInput(self, mainThreadId_, FALSE);
      if (!saved) return Fail("screenshot: " + error);
      Say("ui: screenshot " + command.file);
      return true;
    }
    case ScriptOp::kChoose:
      return Choose(command);
    case ScriptOp::kCheck:
      return Check(command);
    case ScriptOp::kType:
      return Type(command);
    case ScriptOp::kDrop:
      return Drop(command);
    case ScriptOp::kStatus:
      return Status();
    case ScriptOp::kExpectOpen: {
      Settle(Frame());
      if (!Frame())
        return Fail("the editor is not open (line " + std::to_string(command.line) + ")");
      return true;
    }
  }
  return true;
}

void EditorAutomation::ThreadMain() {
  for (const ScriptStep& command : commands_) {
    if (!Execute(command) || stopped_) break;
  }
  // The script is done; the module now has to return on its own.
  if (WaitForSingleObject(runEnded_, returnWaitMs_) == WAIT_OBJECT_0) return;
  Fail("the module did not return within " + std::to_string(returnWaitMs_ / 1000) +
       " s after the script ended");
  GiveUp();
  if (WaitForSingleObject(runEnded_, kWaitMs) == WAIT_OBJECT_0) return;
  SayError("the module does not return even after a quit message; ending the host");
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), 4);
}

}  // namespace ulvo::host
