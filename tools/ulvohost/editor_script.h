// Editor automation scripts: one command per line, '#' starts a comment,
// numbers are decimal or 0x hex. The Windows host executes them against the
// module's windows; the Linux module reads the same file itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ulvo::host {

enum class ScriptOp {
  kWaitEditor,
  kSleep,
  kCommand,
  kCloseBox,
  kPost,
  kKey,
  kClick,
  kAnswer,
  kQuit,
  kScreenshot,
  kExpectOpen,
};

enum class PostTarget { kFrame, kView, kThread };

// Buttons of dialogs and message boxes, by their control ids.
enum class DialogButton : int { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

struct ScriptCommand {
  ScriptOp op = ScriptOp::kQuit;
  int line = 0;        // line number in the file, for messages
  int64_t number = 0;  // sleep ms, command id, message, key code, x
  int64_t wparam = 0;  // post: wParam; click: y
  int64_t lparam = 0;  // post: lParam
  PostTarget target = PostTarget::kFrame;
  DialogButton button = DialogButton::kOk;
  bool ctrl = false, shift = false, alt = false, right = false;
  std::string path;  // screenshot file
};

// The script used when none is given: wait for the editor, then finish it and
// keep the result.
const char* DefaultEditorScript();
// The same for an about run: close the about box.
const char* DefaultAboutScript();

bool ParseEditorScript(const std::string& text, std::vector<ScriptCommand>& commands,
                       std::string& error);

const char* ButtonName(DialogButton button);

}  // namespace ulvo::host
