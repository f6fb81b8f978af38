#include "src/editor/headless/headless_platform.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "src/editor/editor.h"
#include "src/editor/headless/headless_strings.h"
#include "src/editor/headless/snapshot_writer.h"
#include "src/editor/window_dispatch.h"
#include "src/settings/memory_profile_store.h"

namespace ulvo {

namespace {

// Records the picture a paint draws, so that a screenshot can be written.
class CaptureCanvas : public Canvas {
 public:
  void SetHalftone() override {}
  void StretchBitmap(const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                     Rect /*src*/) override {
    header_ = header;
    bits_ = bits;
    dst_ = dst;
  }
  Point ViewportOrigin() const override { return origin_; }
  void SetViewportOrigin(Point origin) override { origin_ = origin; }
  void DrawBitmapResource(int /*id*/, Point /*at*/, Size /*size*/) override {}

  Snapshot Take() const {
    if (bits_ == nullptr || header_.bitCount != 24 || header_.height <= 0) return {};
    return ScaleSnapshot(bits_, header_.width, header_.height,
                         static_cast<size_t>(Stride24(header_.width)), dst_.width, dst_.height);
  }

 private:
  BitmapInfoHeader header_;
  const uint8_t* bits_ = nullptr;
  Rect dst_;
  Point origin_;
};

// The low half of a key message's second parameter: repeat count 1; key-up
// messages also carry the previous-state and transition bits.
constexpr intptr_t kKeyDownParam = 1;
constexpr intptr_t kKeyUpParam = static_cast<intptr_t>(static_cast<int32_t>(0xC0000001u));

}  // namespace

HeadlessPlatform::HeadlessPlatform(std::string_view script, std::ostream& log,
                                   HeadlessOptions options)
    : log_(log), options_(options) {
  ParsedScript parsed = ParseScript(script);
  for (const ScriptProblem& problem : parsed.problems)
    Log("script line " + std::to_string(problem.line) + " ignored: " + problem.reason);
  script_.assign(std::make_move_iterator(parsed.steps.begin()),
                 std::make_move_iterator(parsed.steps.end()));
}

std::unique_ptr<HeadlessPlatform> HeadlessPlatform::FromEnvironment(std::ostream& log) {
  const char* path = std::getenv("ULVO_EDITOR_SCRIPT");
  std::unique_ptr<HeadlessPlatform> platform;
  if (path == nullptr || *path == '\0') {
    platform = std::make_unique<HeadlessPlatform>(kDefaultEditorScript, log);
  } else {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (in) {
      platform = std::make_unique<HeadlessPlatform>(text.str(), log);
    } else {
      // An unreadable script ends the editor as a script that ran out would:
      // nothing is accepted by accident.
      log << "ui: cannot read script " << path << std::endl;
      platform = std::make_unique<HeadlessPlatform>("", log);
    }
  }
  // The module's own settings, as on Windows under the module's file name.
  platform->ownProfile_ = OpenUserProfileStore(FileBaseName(ModuleFilePath()));
  return platform;
}

void HeadlessPlatform::Log(std::string_view line) {
  log_ << "ui: " << line << std::endl;
}

WindowId HeadlessPlatform::ActiveWindow() {
  return frameShown_ && frame_ != 0 ? frame_ : kHostWindow;
}

void HeadlessPlatform::EnableHostWindow(WindowId window, bool enable) {
  if (window != kHostWindow) {
    if (windows_.count(window) == 0) return;
    const bool changed = enable ? disabled_.erase(window) != 0 : disabled_.insert(window).second;
    if (changed) {
      Log(std::string(window == frame_ ? "editor" : "window") +
          (enable ? " enabled" : " disabled"));
    }
    return;
  }
  hostEnabled_ = enable;
  Log(enable ? "host window enabled" : "host window disabled");
}

bool HeadlessPlatform::WindowEnabled(WindowId window) {
  if (window == kHostWindow) return hostEnabled_;
  return windows_.count(window) != 0 && disabled_.count(window) == 0;
}

void HeadlessPlatform::SetWindowCaption(WindowId window, const std::string& text) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return;
  Log("caption of dialog " + std::to_string(it->second.dialog) + " \"" + text + "\"");
}

Point HeadlessPlatform::ClientToScreen(WindowId window, Point client) {
  // The view's client area starts at the frame's place.
  const auto it = windows_.find(window);
  const Rect place = it == windows_.end() ? Rect{} : it->second.place;
  return Point{place.left + client.x, place.top + client.y};
}

void HeadlessPlatform::ShowWaitCursor(bool wait) {
  Log(wait ? "wait cursor" : "arrow cursor");
}

void HeadlessPlatform::DrawOnWindow(WindowId /*window*/, const BitmapInfoHeader& /*header*/,
                                    const uint8_t* /*bits*/, Rect dst, Rect /*src*/, RasterOp op) {
  Log(std::string("pattern drawn ") + (op == RasterOp::kAnd ? "and" : "copy") + " at " +
      std::to_string(dst.left) + "," + std::to_string(dst.top) + " " + std::to_string(dst.width) +
      "x" + std::to_string(dst.height));
}

void HeadlessPlatform::SetDialogItemText(WindowId dialog, int item, const std::string& text) {
  const auto it = windows_.find(dialog);
  if (it == windows_.end()) return;
  itemTexts_[{dialog, item}] = text;
  Log("dialog " + std::to_string(it->second.dialog) + " item " + std::to_string(item) + " \"" +
      text + "\"");
}

std::string HeadlessPlatform::DialogItemText(WindowId dialog, int item) {
  const auto it = itemTexts_.find({dialog, item});
  return it == itemTexts_.end() ? std::string() : it->second;
}

void HeadlessPlatform::SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) {
  if (windows_.count(dialog) != 0) progress_[{dialog, item}] = state;
}

bool HeadlessPlatform::DialogMessage(WindowId /*dialog*/, const Message& /*msg*/) {
  return false;  // the script presses a dialog's buttons with commands
}

std::optional<std::string> HeadlessPlatform::AskOpenFile(WindowId /*owner*/,
                                                         const OpenFileRequest& request) {
  const std::string shown = "open-file \"" + request.title + "\" in \"" + request.initialFolder +
                            "\" (" + request.filter + ")";
  SkipPauses();
  if (!script_.empty() && script_.front().op == ScriptOp::kOpenFile) {
    const std::string file = script_.front().file;
    script_.pop_front();
    Log(shown + " -> \"" + file + "\"");
    return file;
  }
  if (!script_.empty() && script_.front().op == ScriptOp::kAnswer) {
    const DialogButton button = script_.front().button;
    script_.pop_front();
    if (button != DialogButton::kCancel) {
      Log(shown + ": answer " + ButtonName(button) + " does not fit, cancelled");
    } else {
      Log(shown + " -> cancel");
    }
    return std::nullopt;
  }
  Log(shown + ": no file in the script, cancelled");
  return std::nullopt;
}

bool HeadlessPlatform::ShellOpen(WindowId /*owner*/, const std::string& target) {
  Log("shell open \"" + target + "\"");
  return true;
}

WindowId HeadlessPlatform::FindDialog(int resource) const {
  WindowId found = 0;
  for (const auto& [id, entry] : windows_) {
    if (entry.object != nullptr && entry.dialog == resource) found = id;
  }
  return found;
}

WindowId HeadlessPlatform::DialogForAnswer() const {
  // Only while the editor is disabled, as it is while a render's progress
  // window is up: the pattern window takes no answers.
  if (disabled_.empty()) return 0;
  WindowId found = 0;
  for (const auto& [id, entry] : windows_) {
    if (entry.object != nullptr && entry.dialog != 0 && disabled_.count(id) == 0) found = id;
  }
  return found;
}

bool HeadlessPlatform::StepWaitsForEditor(const ScriptStep& step) const {
  if (disabled_.empty()) return false;
  if (step.op == ScriptOp::kSleep) return false;
  return !(step.op == ScriptOp::kAnswer && step.button == DialogButton::kCancel &&
           DialogForAnswer() != 0);
}

WindowId HeadlessPlatform::CreateFrameWindow(EditorWindow& frame, int /*menuId*/) {
  if (options_.failFrameCreation) {
    Log("frame window creation failed");
    return 0;
  }
  const WindowId id = nextWindow_++;
  windows_[id] = WindowEntry{&frame, 0, 0, Rect{}};
  frame.AttachWindow(id);
  frame_ = id;
  return id;
}

WindowId HeadlessPlatform::CreateViewWindow(EditorWindow& view, WindowId frame) {
  if (options_.failViewCreation || windows_.count(frame) == 0) {
    Log("view window creation failed");
    return 0;
  }
  const WindowId id = nextWindow_++;
  windows_[id] = WindowEntry{&view, frame, 0, Rect{}};
  view.AttachWindow(id);
  view_ = id;
  // The view is laid out in the frame at once, as a real frame does.
  Send(id, kMsgSize, 0, PackPoint(options_.viewSize.width, options_.viewSize.height));
  return id;
}

void HeadlessPlatform::ShowFrameWindow(WindowId frame) {
  if (frame != frame_ || frame_ == 0) return;
  frameShown_ = true;
  Log("editor shown");
}

void HeadlessPlatform::DestroyEditorWindow(WindowId window) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return;
  std::vector<WindowId> children;
  for (const auto& [id, entry] : windows_)
    if (entry.parent == window) children.push_back(id);
  for (const WindowId child : children) DestroyEditorWindow(child);
  EditorWindow* object = windows_[window].object;
  if (windows_[window].dialog != 0)
    Log("dialog " + std::to_string(windows_[window].dialog) + " closed");
  windows_.erase(window);
  controls_.erase(window);
  disabled_.erase(window);
  std::erase_if(itemTexts_, [&](const auto& item) { return item.first.first == window; });
  std::erase_if(progress_, [&](const auto& item) { return item.first.first == window; });
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
  if (window == frame_) {
    frame_ = 0;
    frameShown_ = false;
    Log("editor closed");
  }
  if (window == view_) view_ = 0;
  if (object != nullptr) DeliverWindowDestroyed(*this, *object);
}

void HeadlessPlatform::DisableCloseMenuItem(WindowId frame) {
  if (frame == frame_ && frame_ != 0) closeItemDisabled_ = true;
}

void HeadlessPlatform::Invalidate(WindowId /*window*/, bool /*erase*/) {}

WindowId HeadlessPlatform::CreateModelessDialog(EditorWindow& dialog, int resource,
                                                WindowId owner) {
  if (windows_.count(owner) == 0) return 0;
  const WindowId id = nextWindow_++;
  windows_[id] = WindowEntry{&dialog, owner, resource, Rect{}};
  dialog.AttachWindow(id);
  Log("dialog " + std::to_string(resource) + " opened");
  return id;
}

Rect HeadlessPlatform::WindowRect(WindowId window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? Rect{} : it->second.place;
}

void HeadlessPlatform::MoveWindowTo(WindowId window, Rect place, bool /*repaint*/) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.place = place;
  Log("window " + std::to_string(it->second.dialog) + " at " + std::to_string(place.left) + "," +
      std::to_string(place.top) + " " + std::to_string(place.width) + "x" +
      std::to_string(place.height));
}

void HeadlessPlatform::ActivateWindow(WindowId window) {
  if (window == frame_ && frame_ != 0) Log("editor activated");
}

void HeadlessPlatform::ShowPopupMenu(WindowId /*owner*/, int menu, int index, Point screen) {
  Log("menu " + std::to_string(menu) + "/" + std::to_string(index) + " at " +
      std::to_string(screen.x) + "," + std::to_string(screen.y));
}

void HeadlessPlatform::ShowCursorResource(int id) {
  Log("cursor " + std::to_string(id));
}

WindowId HeadlessPlatform::CreateControl(const ControlDescription& description) {
  const auto parent = windows_.find(description.parent);
  if (parent == windows_.end()) return 0;
  const WindowId id = nextWindow_++;
  windows_[id] = WindowEntry{nullptr, description.parent, 0, Rect{}};
  Control& control = controls_[id];
  control.description = description;
  // Controls in a toolbar report to the toolbar's window, which passes
  // their notifications on to the frame.
  const auto bar = controls_.find(description.parent);
  control.notify = bar != controls_.end() ? bar->second.notify : description.parent;
  return id;
}

void HeadlessPlatform::SetListItems(WindowId list, const std::vector<std::string>& items,
                                    int selected) {
  const auto it = controls_.find(list);
  if (it == controls_.end()) return;
  it->second.items = items;
  it->second.selected = selected >= 0 && selected < static_cast<int>(items.size()) ? selected : -1;
}

int HeadlessPlatform::ListSelection(WindowId list) {
  const auto it = controls_.find(list);
  return it == controls_.end() ? -1 : it->second.selected;
}

void HeadlessPlatform::SetControlText(WindowId window, const std::string& text) {
  const auto it = controls_.find(window);
  if (it == controls_.end()) return;
  it->second.text = text;
  // As an edit control does, whoever changed the text.
  if (it->second.description.kind == ControlKind::kEdit) {
    Send(it->second.notify, kMsgCommand,
         (static_cast<uintptr_t>(kEditUpdated) << 16) |
             static_cast<uint32_t>(it->second.description.id),
         static_cast<intptr_t>(window));
  }
}

std::string HeadlessPlatform::ControlText(WindowId window) {
  const auto it = controls_.find(window);
  return it == controls_.end() ? std::string() : it->second.text;
}

void HeadlessPlatform::SetReadOnly(WindowId field, bool readOnly) {
  const auto it = controls_.find(field);
  if (it != controls_.end()) it->second.readOnly = readOnly;
}

void HeadlessPlatform::ShowBar(WindowId bar, bool show) {
  const auto it = controls_.find(bar);
  if (it == controls_.end() || it->second.shown == show) return;
  it->second.shown = show;
  Log("bar " + std::to_string(it->second.description.id) + (show ? " shown" : " hidden"));
}

bool HeadlessPlatform::BarShown(WindowId bar) {
  const auto it = controls_.find(bar);
  return it != controls_.end() && it->second.shown;
}

WindowId HeadlessPlatform::FindControl(int id) const {
  WindowId found = 0;
  for (const auto& [window, control] : controls_) {
    if (control.description.id == id) found = window;
  }
  return found;
}

HeadlessPlatform::Control* HeadlessPlatform::FindControl(int id, ControlKind kind,
                                                         WindowId& window) {
  window = FindControl(id);
  const auto it = controls_.find(window);
  return it != controls_.end() && it->second.description.kind == kind ? &it->second : nullptr;
}

void HeadlessPlatform::Choose(const ScriptStep& step) {
  WindowId window = 0;
  Control* found = FindControl(step.control, ControlKind::kDropDownList, window);
  if (found == nullptr) {
    Log("choose " + std::to_string(step.control) + ": no such list");
    return;
  }
  Control& list = *found;
  if (step.index >= static_cast<int32_t>(list.items.size())) {
    Log("choose " + std::to_string(step.control) + ": no entry " + std::to_string(step.index));
    return;
  }
  list.selected = step.index;
  Log("choose " + std::to_string(step.control) + " \"" + list.items[step.index] + "\"");
  Post(list.notify, kMsgCommand,
       (static_cast<uintptr_t>(kListSelectionChanged) << 16) | static_cast<uint32_t>(step.control),
       static_cast<intptr_t>(window));
}

void HeadlessPlatform::Type(const ScriptStep& step) {
  WindowId window = 0;
  const Control* field = FindControl(step.control, ControlKind::kEdit, window);
  if (field == nullptr) {
    Log("type " + std::to_string(step.control) + ": no such field");
    return;
  }
  if (field->readOnly) {
    Log("type " + std::to_string(step.control) + ": the field is read-only");
    return;
  }
  // Typing stops at the field's limit.
  const int limit = field->description.maxChars;
  std::string text = step.text;
  if (limit > 0 && static_cast<int>(text.size()) > limit) text.resize(static_cast<size_t>(limit));
  Log("type " + std::to_string(step.control) + " \"" + text + "\"");
  SetControlText(window, text);
}

void HeadlessPlatform::SetScrollBars(WindowId window, const ScrollBarState& horizontal,
                                     const ScrollBarState& vertical) {
  if (window != view_ || view_ == 0) return;
  scrollBars_[0] = horizontal;
  scrollBars_[1] = vertical;
}

void HeadlessPlatform::SetStatusText(WindowId frame, int pane, const std::string& text) {
  if (frame == 0 || frame != frame_) return;
  if (pane >= 0 && pane < 2) statusTexts_[pane] = text;
  Log("status " + std::to_string(pane) + " \"" + text + "\"");
}

bool HeadlessPlatform::SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) {
  if (windows_.count(window) == 0) return false;
  KillTimer(window, timerId);
  const uint64_t interval = milliseconds == 0 ? 1 : milliseconds;
  timers_.push_back(Timer{window, timerId, interval, now_ + interval});
  return true;
}

void HeadlessPlatform::KillTimer(WindowId window, uintptr_t timerId) {
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == timerId; });
}

void HeadlessPlatform::AdvanceTime(uint64_t milliseconds) {
  now_ += milliseconds;
  for (Timer& timer : timers_) {
    if (timer.due > now_) continue;
    Post(timer.window, kMsgTimer, timer.id, 0);
    while (timer.due <= now_) timer.due += timer.interval;
  }
}

bool HeadlessPlatform::NextMessage(Message& msg, int& quitCode) {
  for (;;) {
    if (!queue_.empty()) {
      msg = queue_.front();
      queue_.pop_front();
      if (msg.id == kMsgQuit) {
        quitCode = static_cast<int>(msg.wParam);
        return false;
      }
      return true;
    }
    if (quitPending_) {
      quitPending_ = false;
      msg = Message{0, kMsgQuit, static_cast<uintptr_t>(quitCode_), 0};
      quitCode = quitCode_;
      return false;
    }
    if (script_.empty()) {
      // Nothing left to drive the editor: end it as a quit would.
      if (!scriptEnded_) Log("script ended");
      scriptEnded_ = true;
      msg = Message{0, kMsgQuit, 0, 0};
      quitCode = 0;
      return false;
    }
    const ScriptStep step = std::move(script_.front());
    script_.pop_front();
    Execute(step);
  }
}

// Script steps count as input waiting to be read, as typing does while a
// long task pumps; an exhausted script is left for the blocking loop to end.
PeekResult HeadlessPlatform::PeekNextMessage(Message& msg, int& quitCode) {
  while (queue_.empty() && !quitPending_ && !script_.empty() &&
         !StepWaitsForEditor(script_.front())) {
    const ScriptStep step = std::move(script_.front());
    script_.pop_front();
    Execute(step);
  }
  if (queue_.empty() && !quitPending_) return PeekResult::kNone;
  return NextMessage(msg, quitCode) ? PeekResult::kMessage : PeekResult::kQuit;
}

void HeadlessPlatform::Execute(const ScriptStep& step) {
  switch (step.op) {
    case ScriptOp::kSleep:
      AdvanceTime(static_cast<uint64_t>(step.value));
      break;
    case ScriptOp::kWaitEditor:
    case ScriptOp::kExpectOpen:
      break;
    case ScriptOp::kStatus:
      for (int pane = 0; pane < 2; ++pane) {
        Log("status " + std::to_string(pane) + " \"" + statusTexts_[pane] + "\"");
      }
      break;
    case ScriptOp::kCommand:
      Post(frame_, kMsgCommand, static_cast<uintptr_t>(step.value), 0);
      break;
    case ScriptOp::kCloseBox:
      Post(frame_, kMsgSysCommand, kSysCommandClose, 0);
      break;
    case ScriptOp::kPost: {
      const WindowId target = step.target == PostTarget::kFrame  ? frame_
                              : step.target == PostTarget::kView ? view_
                                                                 : 0;
      queue_.push_back(Message{target, step.message, step.wParam, step.lParam});
      break;
    }
    case ScriptOp::kKey:
      PostKey(step);
      break;
    case ScriptOp::kClick: {
      const intptr_t point = PackPoint(step.x, step.y);
      if (step.right) {
        Post(view_, kMsgRButtonDown, kMkRButton, point);
        Post(view_, kMsgRButtonUp, 0, point);
      } else {
        Post(view_, kMsgLButtonDown, kMkLButton, point);
        Post(view_, kMsgLButtonUp, 0, point);
      }
      break;
    }
    case ScriptOp::kAnswer:
      // A modeless dialog of the editor takes Cancel as its button.
      if (step.button == DialogButton::kCancel && DialogForAnswer() != 0) {
        const WindowId dialog = DialogForAnswer();
        Log("answer cancel -> dialog " + std::to_string(windows_[dialog].dialog));
        Post(dialog, kMsgCommand, static_cast<uintptr_t>(DialogButton::kCancel), 0);
        break;
      }
      Log(std::string("answer ") + ButtonName(step.button) + " on line " +
          std::to_string(step.line) + " without a dialog, ignored");
      break;
    case ScriptOp::kOpenFile:
      Log("open-file on line " + std::to_string(step.line) + " without a dialog, ignored");
      break;
    case ScriptOp::kQuit:
      queue_.push_back(Message{0, kMsgQuit, 0, 0});
      break;
    case ScriptOp::kScreenshot:
      Screenshot(step.file);
      break;
    case ScriptOp::kChoose:
      Choose(step);
      break;
    case ScriptOp::kType:
      Type(step);
      break;
    case ScriptOp::kCheck:
      Log("check " + std::to_string(step.control) + ": no dialog is open");
      break;
    case ScriptOp::kDrop: {
      WindowId window = 0;
      const bool list = FindControl(step.control, ControlKind::kDropDownList, window) != nullptr;
      Log("drop " + std::to_string(step.control) + (list ? "" : ": no such list"));
      break;
    }
  }
}

void HeadlessPlatform::PostKey(const ScriptStep& step) {
  const uint32_t down = step.alt ? kMsgSysKeyDown : kMsgKeyDown;
  const uint32_t up = step.alt ? kMsgSysKeyUp : kMsgKeyUp;
  if (step.ctrl) Post(view_, down, kVkControl, kKeyDownParam);
  if (step.shift) Post(view_, down, kVkShift, kKeyDownParam);
  if (step.alt) Post(view_, kMsgSysKeyDown, kVkMenu, kKeyDownParam);
  Post(view_, down, static_cast<uintptr_t>(step.value), kKeyDownParam);
  Post(view_, up, static_cast<uintptr_t>(step.value), kKeyUpParam);
  if (step.alt) Post(view_, kMsgKeyUp, kVkMenu, kKeyUpParam);
  if (step.shift) Post(view_, up, kVkShift, kKeyUpParam);
  if (step.ctrl) Post(view_, up, kVkControl, kKeyUpParam);
}

void HeadlessPlatform::Screenshot(const std::string& file) {
  CaptureCanvas canvas;
  const auto it = windows_.find(view_);
  if (it != windows_.end() && it->second.object != nullptr)
    DeliverPaint(*it->second.object, canvas);
  const Snapshot shot = canvas.Take();
  if (shot.width == 0) {
    Log("screenshot " + file + ": nothing to show");
    return;
  }
  Log(WriteSnapshot(shot, file) ? "screenshot " + file : "screenshot " + file + ": cannot write");
}

void HeadlessPlatform::Dispatch(const Message& msg) {
  if (msg.window == 0) return;  // thread messages have no window to go to
  Send(msg.window, msg.id, msg.wParam, msg.lParam);
}

intptr_t HeadlessPlatform::Send(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  const auto it = windows_.find(window);
  if (it == windows_.end() || it->second.object == nullptr) return 0;
  const std::optional<intptr_t> result =
      DeliverMessage(*this, *it->second.object, msg, wParam, lParam);
  if (result) return *result;
  return DefaultProcessing(window, msg, wParam, lParam).value_or(0);
}

std::optional<intptr_t> HeadlessPlatform::DefaultProcessing(WindowId window, uint32_t msg,
                                                            uintptr_t wParam, intptr_t /*lParam*/) {
  switch (msg) {
    case kMsgSysCommand:
      if ((wParam & 0xFFF0) == kSysCommandClose) return Send(window, kMsgClose, 0, 0);
      return 0;
    case kMsgClose:
      DestroyEditorWindow(window);
      return 0;
    default:
      return 0;
  }
}

bool HeadlessPlatform::Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  queue_.push_back(Message{window, msg, wParam, lParam});
  return true;
}

void HeadlessPlatform::PostQuit(int exitCode) {
  quitPending_ = true;
  quitCode_ = exitCode;
}

void HeadlessPlatform::SkipPauses() {
  while (!script_.empty() &&
         (script_.front().op == ScriptOp::kWaitEditor || script_.front().op == ScriptOp::kSleep)) {
    if (script_.front().op == ScriptOp::kSleep)
      AdvanceTime(static_cast<uint64_t>(script_.front().value));
    script_.pop_front();
  }
}

bool HeadlessPlatform::TakeAnswer(DialogButton& button) {
  SkipPauses();
  if (script_.empty() || script_.front().op != ScriptOp::kAnswer) return false;
  button = script_.front().button;
  script_.pop_front();
  return true;
}

DialogButton HeadlessPlatform::Answer(const std::string& caption, const std::string& text,
                                      bool allowCancel, bool yesNo) {
  const DialogButton fallback = yesNo ? DialogButton::kYes : DialogButton::kOk;
  DialogButton button = fallback;
  if (!TakeAnswer(button)) {
    Log("no answer in the script for \"" + caption + "\", default button taken");
    button = fallback;
  } else {
    const bool fits =
        yesNo ? (button == DialogButton::kYes || button == DialogButton::kNo)
              : (button == DialogButton::kOk || (allowCancel && button == DialogButton::kCancel));
    if (!fits) {
      Log(std::string("answer ") + ButtonName(button) + " does not fit \"" + caption +
          "\", default button taken");
      button = fallback;
    }
  }
  Log("dialog \"" + caption + "\" \"" + text + "\" -> " + ButtonName(button));
  return button;
}

DialogButton HeadlessPlatform::ShowMessageBox(WindowId /*owner*/, const std::string& text,
                                              const std::string& caption, MessageBoxButtons buttons,
                                              MessageBoxIcon /*icon*/) {
  return Answer(caption, text, buttons == MessageBoxButtons::kOkCancel,
                buttons == MessageBoxButtons::kYesNo);
}

void HeadlessPlatform::ShowDialog(WindowId /*owner*/, int dialogId) {
  const DialogTexts texts = HeadlessDialogTexts(dialogId);
  // Escape closes a dialog as its OK button does, so cancel is an answer too.
  Answer(texts.title, texts.text, true, false);
}

namespace {

// The controls of a dialog as the script leaves them; radio buttons behave
// as auto radio buttons of their groups do.
class ScriptedControls : public DialogControls {
 public:
  explicit ScriptedControls(std::vector<std::vector<int>> groups) : groups_(std::move(groups)) {}
  std::string Text(int id) override { return texts_[id]; }
  void SetText(int id, const std::string& text) override { texts_[id] = text; }
  bool Checked(int id) override { return checks_[id]; }
  void SetChecked(int id, bool checked) override {
    if (checked) {
      for (const std::vector<int>& group : groups_) {
        if (std::find(group.begin(), group.end(), id) == group.end()) continue;
        for (int other : group) checks_[other] = false;
      }
    }
    checks_[id] = checked;
  }
  void Focus(int id) override { focus = id; }
  int focus = 0;

 private:
  std::vector<std::vector<int>> groups_;
  std::map<int, std::string> texts_;
  std::map<int, bool> checks_;
};

}  // namespace

DialogResult HeadlessPlatform::RunDialog(WindowId /*owner*/, DialogHandler& dialog) {
  const std::string name = "dialog " + std::to_string(dialog.resource());
  ScriptedControls controls(dialog.radioGroups());
  dialog.OnInit(controls);
  Log(name + " opened");
  while (!script_.empty()) {
    const ScriptStep step = script_.front();
    script_.pop_front();
    const std::string control = std::to_string(step.control);
    switch (step.op) {
      case ScriptOp::kType:
        controls.SetText(step.control, step.text);
        Log("type " + control + " \"" + step.text + "\"");
        break;
      case ScriptOp::kCheck:
        controls.SetChecked(step.control, step.index != 0);
        Log("check " + control + (step.index != 0 ? " on" : " off"));
        break;
      case ScriptOp::kSleep:
        AdvanceTime(static_cast<uint64_t>(step.value));
        break;
      case ScriptOp::kWaitEditor:
      case ScriptOp::kExpectOpen:
        break;
      case ScriptOp::kAnswer:
        if (step.button == DialogButton::kCancel) {
          Log(name + " -> cancel");
          return DialogResult::kCancel;
        }
        if (step.button == DialogButton::kOk) {
          if (dialog.OnOk(controls)) {
            Log(name + " -> ok");
            return DialogResult::kOk;
          }
          Log(name + " stays open, focus on " + std::to_string(controls.focus));
          break;
        }
        Log(std::string("answer ") + ButtonName(step.button) + " does not fit " + name);
        break;
      default:
        Log("script line " + std::to_string(step.line) + " skipped: " + name + " is open");
        break;
    }
  }
  Log("script ended with " + name + " open, cancelled");
  return DialogResult::kCancel;
}

std::string HeadlessPlatform::StringResource(int id) {
  return HeadlessStringResource(id);
}

std::string HeadlessPlatform::HostExecutablePath() {
  return ulvo::HostExecutablePath();
}

ProfileStore& HeadlessPlatform::Profile() {
  if (options_.profile != nullptr) return *options_.profile;
  if (ownProfile_ == nullptr) ownProfile_ = std::make_unique<MemoryProfileStore>();
  return *ownProfile_;
}

}  // namespace ulvo
