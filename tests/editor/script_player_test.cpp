// The two halves of the headless platform on their own: the script player
// turns steps into a user's doings on a screen that records them, and the
// fake window system keeps what hangs on a window only while the window
// lives and asks its input source when its queue runs dry.
#include "src/editor/headless/script_player.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "src/editor/headless/headless_controls.h"
#include "src/editor/headless/headless_queue.h"
#include "src/editor/headless/headless_windows.h"

namespace ulvo {
namespace {

constexpr WindowId kFrame = 0x100;
constexpr WindowId kView = 0x101;

// Records what the player does to the screen.
class RecordingScreen : public PlayerScreen {
 public:
  WindowId frame() const override { return kFrame; }
  WindowId view() const override { return kView; }
  void Post(const Message& msg) override { posted.push_back(msg); }
  void PassTime(uint64_t milliseconds) override { passed += milliseconds; }
  bool EditorBusy() const override { return busy; }
  WindowId BusyDialog() const override { return busyDialog; }
  int DialogTemplate(WindowId /*dialog*/) const override { return 106; }
  void Choose(int control, int index) override {
    done.push_back("choose " + std::to_string(control) + " " + std::to_string(index));
  }
  void Type(int control, const std::string& text) override {
    done.push_back("type " + std::to_string(control) + " " + text);
  }
  void Drop(int control) override { done.push_back("drop " + std::to_string(control)); }
  void LogStatusBar() override { done.push_back("status"); }
  void PaintView(Canvas& /*canvas*/) override { done.push_back("paint"); }

  bool busy = false;
  WindowId busyDialog = 0;
  std::vector<Message> posted;
  std::vector<std::string> done;
  uint64_t passed = 0;
};

bool SameMessage(const Message& a, const Message& b) {
  return a.window == b.window && a.id == b.id && a.wParam == b.wParam && a.lParam == b.lParam;
}

TEST(ScriptPlayer, KeysWithModifiersArePressedAndReleasedAroundTheKey) {
  std::ostringstream log;
  RecordingScreen screen;
  ScriptPlayer player("key 0x45 ctrl shift\n", screen, UiLog(log));
  ASSERT_TRUE(player.FeedNext());
  const intptr_t up = static_cast<intptr_t>(static_cast<int32_t>(0xC0000001u));
  const std::vector<Message> expected = {
      {kView, kMsgKeyDown, kVkControl, 1}, {kView, kMsgKeyDown, kVkShift, 1},
      {kView, kMsgKeyDown, 0x45, 1},       {kView, kMsgKeyUp, 0x45, up},
      {kView, kMsgKeyUp, kVkShift, up},    {kView, kMsgKeyUp, kVkControl, up}};
  ASSERT_EQ(screen.posted.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_TRUE(SameMessage(screen.posted[i], expected[i])) << "message " << i;
}

// While a render's progress window is up, waiting input is only what a user
// could do then: pause, or press the progress window's Cancel.
TEST(ScriptPlayer, ABusyEditorTakesOnlyPausesAndTheBusyDialogsCancel) {
  std::ostringstream log;
  RecordingScreen screen;
  screen.busy = true;
  ScriptPlayer player("sleep 50\nanswer cancel\ncommand 57665\n", screen, UiLog(log));
  EXPECT_TRUE(player.FeedWaiting());
  EXPECT_EQ(screen.passed, 50u);
  EXPECT_FALSE(player.FeedWaiting());  // no dialog to take the cancel yet
  screen.busyDialog = 0x200;
  EXPECT_TRUE(player.FeedWaiting());
  ASSERT_EQ(screen.posted.size(), 1u);
  EXPECT_TRUE(SameMessage(screen.posted[0], {0x200, kMsgCommand, 2, 0}));
  EXPECT_NE(log.str().find("ui: answer cancel -> dialog 106\n"), std::string::npos);
  EXPECT_FALSE(player.FeedWaiting());  // the command waits for the render
  EXPECT_EQ(player.remainingSteps(), 1u);

  screen.busy = false;
  EXPECT_TRUE(player.FeedWaiting());
  EXPECT_TRUE(SameMessage(screen.posted.back(), {kFrame, kMsgCommand, 57665, 0}));
  EXPECT_FALSE(player.FeedWaiting());  // an empty script does not end here
  EXPECT_EQ(log.str().find("script ended"), std::string::npos);
}

TEST(ScriptPlayer, ControlStepsGoToTheScreenAndTheEndIsLoggedOnce) {
  std::ostringstream log;
  RecordingScreen screen;
  ScriptPlayer player("choose 1005 4\ntype 1020 180\ndrop 1004\nstatus\nscreenshot x.bmp\n", screen,
                      UiLog(log));
  while (player.FeedNext()) {
  }
  EXPECT_FALSE(player.FeedNext());
  const std::vector<std::string> expected = {"choose 1005 4", "type 1020 180", "drop 1004",
                                             "status", "paint"};
  EXPECT_EQ(screen.done, expected);
  EXPECT_NE(log.str().find("ui: screenshot x.bmp: nothing to show\n"), std::string::npos);
  const std::string text = log.str();
  EXPECT_EQ(text.find("ui: script ended\n"), text.rfind("ui: script ended\n"));
  EXPECT_NE(text.find("ui: script ended\n"), std::string::npos);
}

TEST(ScriptPlayer, AModalWindowWaitsThroughPausesForItsAnswer) {
  std::ostringstream log;
  RecordingScreen screen;
  ScriptPlayer player("wait-editor\nsleep 30\nanswer no\ncommand 1\n", screen, UiLog(log));
  DialogButton button = DialogButton::kOk;
  ASSERT_TRUE(player.TakeAnswer(button));
  EXPECT_EQ(button, DialogButton::kNo);
  EXPECT_EQ(screen.passed, 30u);
  EXPECT_FALSE(player.TakeAnswer(button));  // a command is no answer; it stays
  EXPECT_EQ(player.remainingSteps(), 1u);
  EXPECT_TRUE(screen.posted.empty());
}

// Input of a few messages to the frame, then none.
class ListedInput : public InputSource {
 public:
  bool FeedNext() override { return FeedWaiting(); }
  bool FeedWaiting() override {
    if (left == 0) return false;
    queue->Post(kFrame, 0x404, static_cast<uintptr_t>(left--), 0);
    return true;
  }
  HeadlessQueue* queue = nullptr;
  int left = 2;
};

// Tells the user nothing; no object here runs out of memory.
class SilentDialogs : public ModalDialogs {
 public:
  DialogButton ShowMessageBox(WindowId, const std::string&, const std::string&, MessageBoxButtons,
                              MessageBoxIcon) override {
    return DialogButton::kOk;
  }
  void ShowDialog(WindowId, int) override {}
  DialogResult RunDialog(WindowId, DialogHandler&) override { return DialogResult::kCancel; }
  std::optional<std::string> AskOpenFile(WindowId, const OpenFileRequest&) override { return {}; }
  bool ShellOpen(WindowId, const std::string&) override { return false; }
  UiLanguage language() const override { return UiLanguage::kJapanese; }
};

class RecordingWindow : public EditorWindow {
 public:
  std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
    received.push_back({window(), msg, wParam, lParam});
    return 0;
  }
  void OnWindowDestroyed() override {
    destroyed = true;
    EditorWindow::OnWindowDestroyed();
  }
  std::vector<Message> received;
  bool destroyed = false;
};

ControlDescription Control(ControlKind kind, WindowId parent, int id) {
  ControlDescription description;
  description.kind = kind;
  description.parent = parent;
  description.id = id;
  return description;
}

// The window system without a player: windows, controls and queue.
struct FakeWindowSystem {
  FakeWindowSystem()
      : windows(UiLog(log), dialogs, HeadlessOptions{}),
        queue(windows, input),
        controls(windows, queue, UiLog(log)) {
    input.queue = &queue;
  }
  std::ostringstream log;
  SilentDialogs dialogs;
  ListedInput input;
  HeadlessWindows windows;
  HeadlessQueue queue;
  HeadlessControls controls;
};

TEST(HeadlessWindowSystem, AWindowTakesItsChildrenControlsAndTimersWithIt) {
  FakeWindowSystem system;
  RecordingWindow frame, dialog;
  const WindowId frameId = system.windows.CreateEditorWindow({WindowKind::kFrame, &frame, 0, 101});
  const WindowId dialogId =
      system.windows.CreateEditorWindow({WindowKind::kModelessDialog, &dialog, frameId, 106});
  ASSERT_NE(dialogId, 0u);
  const WindowId bar =
      system.controls.CreateControl(Control(ControlKind::kToolbar, frameId, 59392));
  ASSERT_NE(bar, 0u);
  system.controls.SetDialogItemText(dialogId, 1004, "37%");
  ASSERT_TRUE(system.queue.SetTimer(frameId, 1, 10));
  ASSERT_TRUE(system.queue.SetTimer(dialogId, 2, 10));

  system.windows.DestroyEditorWindow(frameId);
  EXPECT_TRUE(frame.destroyed);
  EXPECT_TRUE(dialog.destroyed);
  EXPECT_FALSE(system.windows.windowExists(dialogId));
  EXPECT_EQ(system.controls.FindControl(59392), 0u);
  EXPECT_EQ(system.controls.DialogItemText(dialogId, 1004), "");
  system.queue.AdvanceTime(100);
  EXPECT_EQ(system.queue.pendingMessages(), 0u);
  EXPECT_NE(system.log.str().find("ui: dialog 106 closed\nui: editor closed\n"), std::string::npos);
}

// A field's window hears of every new text at once (before it shows), a
// list's of a user's choice through the queue; a read-only field takes no
// typing, and a list has only the entries it was given.
TEST(HeadlessWindowSystem, FieldsNotifyAtOnceAndListsThroughTheQueue) {
  FakeWindowSystem system;
  RecordingWindow frame;
  const WindowId frameId = system.windows.CreateEditorWindow({WindowKind::kFrame, &frame, 0, 101});
  const WindowId bar =
      system.controls.CreateControl(Control(ControlKind::kToolbar, frameId, 59392));
  ControlDescription field = Control(ControlKind::kEdit, bar, 1020);
  field.maxChars = 3;
  const WindowId fieldId = system.controls.CreateControl(field);
  const WindowId listId =
      system.controls.CreateControl(Control(ControlKind::kDropDownList, bar, 1005));
  system.controls.SetListItems(listId, {"a", "b"}, 0);

  system.controls.Type(1020, "12345");
  EXPECT_EQ(system.controls.ControlText(fieldId), "123");
  ASSERT_EQ(frame.received.size(), 1u);
  EXPECT_TRUE(
      SameMessage(frame.received[0], {frameId, kMsgCommand, (uintptr_t{kEditUpdated} << 16) | 1020,
                                      static_cast<intptr_t>(fieldId)}));
  system.controls.SetReadOnly(fieldId, true);
  system.controls.Type(1020, "9");
  EXPECT_EQ(system.controls.ControlText(fieldId), "123");

  system.controls.Choose(1005, 2);
  EXPECT_EQ(system.queue.pendingMessages(), 0u);
  system.controls.Choose(1005, 1);
  EXPECT_EQ(system.controls.ListSelection(listId), 1);
  EXPECT_EQ(frame.received.size(), 1u);
  EXPECT_EQ(system.queue.pendingMessages(), 1u);
  EXPECT_NE(system.log.str().find("ui: choose 1005: no entry 2\n"), std::string::npos);
  EXPECT_NE(system.log.str().find("ui: type 1020: the field is read-only\n"), std::string::npos);
}

TEST(HeadlessWindowSystem, AnEmptyQueueAsksItsInputAndQuitsWhenThereIsNone) {
  FakeWindowSystem system;
  RecordingWindow frame;
  system.windows.CreateEditorWindow({WindowKind::kFrame, &frame, 0, 101});
  Message msg;
  int code = -1;
  ASSERT_TRUE(system.queue.NextMessage(msg, code));
  EXPECT_EQ(msg.wParam, 2u);
  ASSERT_EQ(system.queue.PeekNextMessage(msg, code), PeekResult::kMessage);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(system.queue.PeekNextMessage(msg, code), PeekResult::kNone);
  EXPECT_FALSE(system.queue.NextMessage(msg, code));
  EXPECT_EQ(msg.id, kMsgQuit);
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace ulvo
