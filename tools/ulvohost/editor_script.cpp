#include "tools/ulvohost/editor_script.h"

#include <charconv>
#include <sstream>

namespace ulvo::host {
namespace {

bool ParseNumber(const std::string& text, int64_t& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  bool negative = false;
  if (first != last && *first == '-') {
    negative = true;
    ++first;
  }
  int base = 10;
  if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
    base = 16;
    first += 2;
  }
  uint64_t magnitude = 0;
  auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
  if (first == last || ec != std::errc() || ptr != last || magnitude > (uint64_t{1} << 62)) {
    return false;
  }
  value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

}  // namespace

const char* DefaultEditorScript() {
  return "wait-editor\ncommand 57665\n";
}
const char* DefaultAboutScript() {
  return "answer ok\n";
}

const char* ButtonName(DialogButton button) {
  switch (button) {
    case DialogButton::kOk:
      return "ok";
    case DialogButton::kCancel:
      return "cancel";
    case DialogButton::kYes:
      return "yes";
    case DialogButton::kNo:
      return "no";
  }
  return "?";
}

bool ParseEditorScript(const std::string& text, std::vector<ScriptCommand>& commands,
                       std::string& error) {
  commands.clear();
  std::istringstream lines(text);
  std::string line;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;

    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    ScriptCommand c;
    c.line = lineNumber;
    auto want = [&](size_t min, size_t max) {
      if (w.size() - 1 < min || w.size() - 1 > max) {
        error = where + "'" + w[0] + "' takes " +
                (min == max ? std::to_string(min)
                            : std::to_string(min) + " to " + std::to_string(max)) +
                " arguments";
        return false;
      }
      return true;
    };
    auto number = [&](size_t index, int64_t& out) {
      if (!ParseNumber(w[index], out)) {
        error = where + "'" + w[index] + "' is not a number";
        return false;
      }
      return true;
    };

    const std::string& op = w[0];
    if (op == "wait-editor" || op == "close-box" || op == "quit" || op == "expect-open") {
      if (!want(0, 0)) return false;
      c.op = op == "wait-editor" ? ScriptOp::kWaitEditor
             : op == "close-box" ? ScriptOp::kCloseBox
             : op == "quit"      ? ScriptOp::kQuit
                                 : ScriptOp::kExpectOpen;
    } else if (op == "sleep" || op == "command") {
      if (!want(1, 1) || !number(1, c.number)) return false;
      c.op = op == "sleep" ? ScriptOp::kSleep : ScriptOp::kCommand;
      if (c.number < 0 || c.number > 0xFFFF * (op == "sleep" ? 100 : 1)) {
        error = where + "'" + w[1] + "' is out of range";
        return false;
      }
    } else if (op == "post") {
      if (!want(2, 4)) return false;
      if (w[1] == "frame") {
        c.target = PostTarget::kFrame;
      } else if (w[1] == "view") {
        c.target = PostTarget::kView;
      } else if (w[1] == "thread") {
        c.target = PostTarget::kThread;
      } else {
        error = where + "post target must be frame, view or thread, not '" + w[1] + "'";
        return false;
      }
      if (!number(2, c.number)) return false;
      if (w.size() > 3 && !number(3, c.wparam)) return false;
      if (w.size() > 4 && !number(4, c.lparam)) return false;
      c.op = ScriptOp::kPost;
    } else if (op == "key") {
      if (!want(1, 4) || !number(1, c.number)) return false;
      for (size_t i = 2; i < w.size(); ++i) {
        if (w[i] == "ctrl") {
          c.ctrl = true;
        } else if (w[i] == "shift") {
          c.shift = true;
        } else if (w[i] == "alt") {
          c.alt = true;
        } else {
          error = where + "unknown key modifier '" + w[i] + "'";
          return false;
        }
      }
      if (c.number <= 0 || c.number > 0xFF) {
        error = where + "virtual key " + w[1] + " is out of range";
        return false;
      }
      c.op = ScriptOp::kKey;
    } else if (op == "click") {
      if (!want(2, 3) || !number(1, c.number) || !number(2, c.wparam)) return false;
      if (w.size() == 4) {
        if (w[3] != "right") {
          error = where + "click takes 'right' as its third argument, not '" + w[3] + "'";
          return false;
        }
        c.right = true;
      }
      if (c.number < -32768 || c.number > 32767 || c.wparam < -32768 || c.wparam > 32767) {
        error = where + "click position out of range";
        return false;
      }
      c.op = ScriptOp::kClick;
    } else if (op == "answer") {
      if (!want(1, 1)) return false;
      if (w[1] == "ok") {
        c.button = DialogButton::kOk;
      } else if (w[1] == "cancel") {
        c.button = DialogButton::kCancel;
      } else if (w[1] == "yes") {
        c.button = DialogButton::kYes;
      } else if (w[1] == "no") {
        c.button = DialogButton::kNo;
      } else {
        error = where + "answer takes ok, cancel, yes or no, not '" + w[1] + "'";
        return false;
      }
      c.op = ScriptOp::kAnswer;
    } else if (op == "screenshot") {
      if (!want(1, 1)) return false;
      c.path = w[1];
      c.op = ScriptOp::kScreenshot;
    } else {
      error = where + "unknown command '" + op + "'";
      return false;
    }
    commands.push_back(std::move(c));
  }
  return true;
}

}  // namespace ulvo::host
