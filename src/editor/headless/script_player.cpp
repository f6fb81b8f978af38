#include "src/editor/headless/script_player.h"

#include <iterator>
#include <utility>

#include "src/editor/headless/snapshot_writer.h"

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

ScriptPlayer::ScriptPlayer(std::string_view script, PlayerScreen& screen, UiLog log)
    : screen_(screen), log_(log) {
  ParsedScript parsed = ParseScript(script);
  for (const ScriptProblem& problem : parsed.problems)
    log_("script line " + std::to_string(problem.line) + " ignored: " + problem.reason);
  script_.assign(std::make_move_iterator(parsed.steps.begin()),
                 std::make_move_iterator(parsed.steps.end()));
}

ScriptStep ScriptPlayer::Take() {
  ScriptStep step = std::move(script_.front());
  script_.pop_front();
  return step;
}

bool ScriptPlayer::FeedNext() {
  if (script_.empty()) {
    if (!endLogged_) log_("script ended");
    endLogged_ = true;
    return false;
  }
  Execute(Take());
  return true;
}

bool ScriptPlayer::FeedWaiting() {
  if (script_.empty() || StepWaitsForEditor(script_.front())) return false;
  Execute(Take());
  return true;
}

bool ScriptPlayer::StepWaitsForEditor(const ScriptStep& step) const {
  if (!screen_.EditorBusy()) return false;
  if (step.op == ScriptOp::kSleep) return false;
  return !(step.op == ScriptOp::kAnswer && step.button == DialogButton::kCancel &&
           screen_.BusyDialog() != 0);
}

void ScriptPlayer::SkipPauses() {
  while (!script_.empty() &&
         (script_.front().op == ScriptOp::kWaitEditor || script_.front().op == ScriptOp::kSleep)) {
    if (script_.front().op == ScriptOp::kSleep)
      screen_.PassTime(static_cast<uint64_t>(script_.front().value));
    script_.pop_front();
  }
}

bool ScriptPlayer::TakeAnswer(DialogButton& button) {
  SkipPauses();
  if (script_.empty() || script_.front().op != ScriptOp::kAnswer) return false;
  button = Take().button;
  return true;
}

void ScriptPlayer::Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  screen_.Post(Message{window, msg, wParam, lParam});
}

bool ScriptPlayer::Pause(const ScriptStep& step) {
  if (step.op == ScriptOp::kSleep) screen_.PassTime(static_cast<uint64_t>(step.value));
  return step.op == ScriptOp::kSleep || step.op == ScriptOp::kWaitEditor ||
         step.op == ScriptOp::kExpectOpen;
}

void ScriptPlayer::Execute(const ScriptStep& step) {
  if (Pause(step)) return;
  switch (step.op) {
    case ScriptOp::kSleep:
    case ScriptOp::kWaitEditor:
    case ScriptOp::kExpectOpen:
      break;  // pauses, taken above
    case ScriptOp::kStatus:
      screen_.LogStatusBar();
      break;
    case ScriptOp::kCommand:
      Post(screen_.frame(), kMsgCommand, static_cast<uintptr_t>(step.value), 0);
      break;
    case ScriptOp::kCloseBox:
      Post(screen_.frame(), kMsgSysCommand, kSysCommandClose, 0);
      break;
    case ScriptOp::kPost: {
      const WindowId target = step.target == PostTarget::kFrame  ? screen_.frame()
                              : step.target == PostTarget::kView ? screen_.view()
                                                                 : 0;
      Post(target, step.message, step.wParam, step.lParam);
      break;
    }
    case ScriptOp::kKey:
      PostKey(step);
      break;
    case ScriptOp::kClick: {
      const intptr_t point = PackPoint(step.x, step.y);
      if (step.right) {
        Post(screen_.view(), kMsgRButtonDown, kMkRButton, point);
        Post(screen_.view(), kMsgRButtonUp, 0, point);
      } else {
        Post(screen_.view(), kMsgLButtonDown, kMkLButton, point);
        Post(screen_.view(), kMsgLButtonUp, 0, point);
      }
      break;
    }
    case ScriptOp::kAnswer:
      PressBusyDialogCancel(step);
      break;
    case ScriptOp::kOpenFile:
      log_("open-file on line " + std::to_string(step.line) + " without a dialog, ignored");
      break;
    case ScriptOp::kQuit:
      Post(0, kMsgQuit, 0, 0);
      break;
    case ScriptOp::kScreenshot:
      Screenshot(step.file);
      break;
    case ScriptOp::kChoose:
      screen_.Choose(step.control, step.index);
      break;
    case ScriptOp::kType:
      screen_.Type(step.control, step.text);
      break;
    case ScriptOp::kCheck:
      log_("check " + std::to_string(step.control) + ": no dialog is open");
      break;
    case ScriptOp::kDrop:
      screen_.Drop(step.control);
      break;
  }
}

// An answer outside a modal window: a modeless dialog of the busy editor
// takes Cancel as its button; anything else has nothing to answer.
void ScriptPlayer::PressBusyDialogCancel(const ScriptStep& step) {
  const WindowId dialog = screen_.BusyDialog();
  if (step.button == DialogButton::kCancel && dialog != 0) {
    log_("answer cancel -> dialog " + std::to_string(screen_.DialogTemplate(dialog)));
    Post(dialog, kMsgCommand, static_cast<uintptr_t>(DialogButton::kCancel), 0);
    return;
  }
  log_(std::string("answer ") + ButtonName(step.button) + " on line " + std::to_string(step.line) +
       " without a dialog, ignored");
}

void ScriptPlayer::PostKey(const ScriptStep& step) {
  const WindowId view = screen_.view();
  const uint32_t down = step.alt ? kMsgSysKeyDown : kMsgKeyDown;
  const uint32_t up = step.alt ? kMsgSysKeyUp : kMsgKeyUp;
  if (step.ctrl) Post(view, down, kVkControl, kKeyDownParam);
  if (step.shift) Post(view, down, kVkShift, kKeyDownParam);
  if (step.alt) Post(view, kMsgSysKeyDown, kVkMenu, kKeyDownParam);
  Post(view, down, static_cast<uintptr_t>(step.value), kKeyDownParam);
  Post(view, up, static_cast<uintptr_t>(step.value), kKeyUpParam);
  if (step.alt) Post(view, kMsgKeyUp, kVkMenu, kKeyUpParam);
  if (step.shift) Post(view, up, kVkShift, kKeyUpParam);
  if (step.ctrl) Post(view, up, kVkControl, kKeyUpParam);
}

void ScriptPlayer::Screenshot(const std::string& file) {
  CaptureCanvas canvas;
  screen_.PaintView(canvas);
  const Snapshot shot = canvas.Take();
  if (shot.width == 0) {
    log_("screenshot " + file + ": nothing to show");
    return;
  }
  log_(WriteSnapshot(shot, file) ? "screenshot " + file : "screenshot " + file + ": cannot write");
}

}  // namespace ulvo
