// The editor automation script: one command a line, '#' starts a comment,
// numbers decimal or 0x hex. The stand-in host plays a script against the
// module's real windows; the headless editor platform reads the same file
// itself. This is the one parser both use; it needs nothing of either.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ulvo {

// Buttons of dialogs and message boxes. The values are the buttons' control
// ids, so a driver of real windows can find and press them.
enum class DialogButton : int { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

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
  kChoose,    // pick an entry of a list
  kType,      // replace the text of a field
  kCheck,     // tick or untick a check box, or choose a radio button
  kDrop,      // show the entries of a list, as a click on its arrow does
  kOpenFile,  // choose a file in the open-file dialog
  kStatus,    // log what the editor's status bar shows
};

enum class PostTarget { kFrame, kView, kThread };

struct ScriptStep {
  ScriptOp op = ScriptOp::kWaitEditor;
  int line = 0;       // 1-based line in the script
  int64_t value = 0;  // sleep ms, command id, key code
  PostTarget target = PostTarget::kFrame;
  uint32_t message = 0;                           // post
  uintptr_t wParam = 0;                           // post
  intptr_t lParam = 0;                            // post
  int32_t x = 0, y = 0;                           // click
  bool ctrl = false, shift = false, alt = false;  // key
  bool right = false;                             // click
  DialogButton button = DialogButton::kOk;        // answer
  std::string file;                               // screenshot, open-file
  int32_t control = 0;                            // choose, type, check, drop: control id
  int32_t index = 0;                              // choose: entry; check: 1 on, 0 off
  std::string text;                               // type: the new text
};

struct ScriptProblem {
  int line = 0;
  std::string reason;  // "COMMAND: what is wrong"
};

struct ParsedScript {
  std::vector<ScriptStep> steps;
  std::vector<ScriptProblem> problems;  // malformed lines, in order; no step for them
};

// Parses the whole script; a malformed line is left out and reported.
ParsedScript ParseScript(std::string_view text);

// For callers that refuse a script with any malformed line: true with every
// step, or false with "line N: REASON" of the first malformed line in error.
bool ParseScriptStrictly(std::string_view text, std::vector<ScriptStep>& steps, std::string& error);

// The script of an editor run when none is given: wait for the editor, then
// finish it and keep the result.
inline constexpr std::string_view kDefaultEditorScript = "wait-editor\ncommand 57665\n";
// The same for an about run: close the about box.
inline constexpr std::string_view kDefaultAboutScript = "answer ok\n";

// Text of a button as scripts and logs spell it.
const char* ButtonName(DialogButton button);

}  // namespace ulvo
