// The editor automation script: one command a line, '#' starts a comment,
// numbers decimal or 0x hex. The same script drives the real windows from a
// stand-in host and the headless platform from a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "src/editor/editor_platform.h"

namespace ulvo {

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
  std::string file;                               // screenshot
};

struct ScriptProblem {
  int line = 0;
  std::string reason;
};

struct ParsedScript {
  std::vector<ScriptStep> steps;
  std::vector<ScriptProblem> problems;  // lines that were skipped
};

// Parses the whole script. Malformed lines are skipped and reported.
ParsedScript ParseScript(std::string_view text);

// The script used when none is given: wait for the editor, then finish it.
inline constexpr std::string_view kDefaultScript = "wait-editor\ncommand 57665\n";

// Text of a button as scripts and logs spell it.
const char* ButtonName(DialogButton button);

}  // namespace ulvo
