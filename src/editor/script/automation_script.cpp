#include "src/editor/script/automation_script.h"

#include <charconv>
#include <limits>
#include <optional>
#include <utility>

namespace ulvo {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> SplitWords(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    const size_t start = i;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

// A decimal or 0x-hex integer, optionally negative, within [low, high].
std::optional<int64_t> ParseNumber(std::string_view word, int64_t low, int64_t high) {
  bool negative = false;
  if (!word.empty() && word.front() == '-') {
    negative = true;
    word.remove_prefix(1);
  }
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    base = 16;
    word.remove_prefix(2);
  }
  if (word.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), magnitude, base);
  if (ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
  if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
  const int64_t value =
      negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (value < low || value > high) return std::nullopt;
  return value;
}

constexpr int64_t kMaxMessageParam = std::numeric_limits<uint32_t>::max();
constexpr int64_t kMinMessageParam = std::numeric_limits<int32_t>::min();

// Parses one line that holds a command; returns the reason when it is malformed.
std::string ParseStep(const std::vector<std::string_view>& w, ScriptStep& step) {
  const std::string_view name = w[0];
  const size_t args = w.size() - 1;
  auto number = [&](size_t index, int64_t low, int64_t high) {
    return ParseNumber(w[index], low, high);
  };

  if (name == "wait-editor" || name == "close-box" || name == "quit" || name == "expect-open" ||
      name == "status") {
    if (args != 0) return "takes no arguments";
    step.op = name == "wait-editor"   ? ScriptOp::kWaitEditor
              : name == "close-box"   ? ScriptOp::kCloseBox
              : name == "quit"        ? ScriptOp::kQuit
              : name == "expect-open" ? ScriptOp::kExpectOpen
                                      : ScriptOp::kStatus;
    return {};
  }
  if (name == "sleep") {
    if (args != 1) return "needs MS";
    const auto ms = number(1, 0, 3600000);
    if (!ms) return "bad time";
    step.op = ScriptOp::kSleep;
    step.value = *ms;
    return {};
  }
  if (name == "command") {
    if (args != 1) return "needs ID";
    const auto id = number(1, 0, 0xFFFF);
    if (!id) return "bad command id";
    step.op = ScriptOp::kCommand;
    step.value = *id;
    return {};
  }
  if (name == "post") {
    if (args < 2 || args > 4) return "needs TARGET MSG [WPARAM [LPARAM]]";
    if (w[1] == "frame") {
      step.target = PostTarget::kFrame;
    } else if (w[1] == "view") {
      step.target = PostTarget::kView;
    } else if (w[1] == "thread") {
      step.target = PostTarget::kThread;
    } else {
      return "unknown target";
    }
    const auto msg = number(2, 0, 0xFFFF);
    if (!msg) return "bad message";
    step.op = ScriptOp::kPost;
    step.message = static_cast<uint32_t>(*msg);
    if (args >= 3) {
      const auto wp = number(3, kMinMessageParam, kMaxMessageParam);
      if (!wp) return "bad WPARAM";
      step.wParam = static_cast<uintptr_t>(*wp);
    }
    if (args >= 4) {
      const auto lp = number(4, kMinMessageParam, kMaxMessageParam);
      if (!lp) return "bad LPARAM";
      step.lParam = static_cast<intptr_t>(*lp);
    }
    return {};
  }
  if (name == "key") {
    if (args < 1) return "needs VK";
    const auto vk = number(1, 1, 0xFE);
    if (!vk) return "bad key code";
    step.op = ScriptOp::kKey;
    step.value = *vk;
    for (size_t i = 2; i < w.size(); ++i) {
      if (w[i] == "ctrl") {
        step.ctrl = true;
      } else if (w[i] == "shift") {
        step.shift = true;
      } else if (w[i] == "alt") {
        step.alt = true;
      } else {
        return "unknown modifier";
      }
    }
    return {};
  }
  if (name == "click") {
    if (args != 2 && args != 3) return "needs X Y [right]";
    const auto x = number(1, -32768, 32767);
    const auto y = number(2, -32768, 32767);
    if (!x || !y) return "bad coordinates";
    if (args == 3 && w[3] != "right") return "unknown button";
    step.op = ScriptOp::kClick;
    step.x = static_cast<int32_t>(*x);
    step.y = static_cast<int32_t>(*y);
    step.right = args == 3;
    return {};
  }
  if (name == "answer") {
    if (args != 1) return "needs BUTTON";
    if (w[1] == "ok") {
      step.button = DialogButton::kOk;
    } else if (w[1] == "cancel") {
      step.button = DialogButton::kCancel;
    } else if (w[1] == "yes") {
      step.button = DialogButton::kYes;
    } else if (w[1] == "no") {
      step.button = DialogButton::kNo;
    } else {
      return "unknown button";
    }
    step.op = ScriptOp::kAnswer;
    return {};
  }
  if (name == "check") {
    if (args != 2) return "needs ID on|off";
    const auto id = number(1, 1, 0xFFFF);
    if (!id) return "bad control id";
    if (w[2] != "on" && w[2] != "off") return "needs on or off";
    step.op = ScriptOp::kCheck;
    step.control = static_cast<int32_t>(*id);
    step.index = w[2] == "on" ? 1 : 0;
    return {};
  }
  if (name == "choose") {
    if (args != 2) return "needs ID INDEX";
    const auto id = number(1, 1, 0xFFFF);
    if (!id) return "bad control id";
    const auto index = number(2, 0, 0xFFFF);
    if (!index) return "bad index";
    step.op = ScriptOp::kChoose;
    step.control = static_cast<int32_t>(*id);
    step.index = static_cast<int32_t>(*index);
    return {};
  }
  if (name == "drop") {
    if (args != 1) return "needs ID";
    const auto id = number(1, 1, 0xFFFF);
    if (!id) return "bad control id";
    step.op = ScriptOp::kDrop;
    step.control = static_cast<int32_t>(*id);
    return {};
  }
  // A screenshot line with a file name never gets here; one whose rest is
  // only a comment does.
  if (name == "screenshot" || name == "open-file") return "needs FILE";
  if (name == "type") return "needs ID [TEXT]";
  return "unknown command";
}

}  // namespace

ParsedScript ParseScript(std::string_view text) {
  ParsedScript script;
  int lineNumber = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;

    line = Trim(line);
    // A screenshot's file name, and the file an open-file dialog is given,
    // is the rest of the line, so it may hold '#' and spaces (but not start
    // with '#': that is a comment); every other line ends at '#'.
    bool fileLine = false;
    for (const auto& [word, op] : {std::pair{std::string_view("screenshot"), ScriptOp::kScreenshot},
                                   std::pair{std::string_view("open-file"), ScriptOp::kOpenFile}}) {
      const bool matches = line.substr(0, word.size()) == word &&
                           (line.size() == word.size() || IsSpace(line[word.size()]));
      const std::string_view file = matches ? Trim(line.substr(word.size())) : "";
      if (!matches || file.starts_with('#')) continue;
      fileLine = true;
      if (file.empty()) {
        script.problems.push_back({lineNumber, std::string(word) + ": needs FILE"});
        break;
      }
      // A file name with a NUL byte would be cut short where it is opened.
      if (file.find('\0') != std::string_view::npos) {
        script.problems.push_back({lineNumber, std::string(word) + ": contains a NUL byte"});
        break;
      }
      ScriptStep step;
      step.op = op;
      step.line = lineNumber;
      step.file = std::string(file);
      script.steps.push_back(std::move(step));
      break;
    }
    if (fileLine) continue;
    // A field's new text is the rest of the line after the control id, so it
    // may hold spaces and '#' too.
    constexpr std::string_view kType = "type";
    if (line.substr(0, kType.size()) == kType && line.size() > kType.size() &&
        IsSpace(line[kType.size()])) {
      const std::string_view rest = Trim(line.substr(kType.size()));
      size_t idEnd = 0;
      while (idEnd < rest.size() && !IsSpace(rest[idEnd])) ++idEnd;
      const std::string_view idWord = rest.substr(0, idEnd);
      const std::string_view text = Trim(rest.substr(idEnd));
      const auto id = ParseNumber(idWord, 1, 0xFFFF);
      if (!id) {
        script.problems.push_back({lineNumber, "type: bad control id"});
        continue;
      }
      if (text.find('\0') != std::string_view::npos) {
        script.problems.push_back({lineNumber, "type: contains a NUL byte"});
        continue;
      }
      ScriptStep step;
      step.op = ScriptOp::kType;
      step.line = lineNumber;
      step.control = static_cast<int32_t>(*id);
      step.text = std::string(text);
      script.steps.push_back(std::move(step));
      continue;
    }
    const size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = Trim(line.substr(0, hash));
    if (line.empty()) continue;
    if (line.find('\0') != std::string_view::npos) {
      script.problems.push_back({lineNumber, "contains a NUL byte"});
      continue;
    }

    const std::vector<std::string_view> words = SplitWords(line);
    ScriptStep step;
    step.line = lineNumber;
    const std::string reason = ParseStep(words, step);
    if (reason.empty()) {
      script.steps.push_back(std::move(step));
    } else {
      script.problems.push_back({lineNumber, std::string(words[0]) + ": " + reason});
    }
  }
  return script;
}

bool ParseScriptStrictly(std::string_view text, std::vector<ScriptStep>& steps,
                         std::string& error) {
  ParsedScript script = ParseScript(text);
  if (!script.problems.empty()) {
    const ScriptProblem& first = script.problems.front();
    error = "line " + std::to_string(first.line) + ": " + first.reason;
    steps.clear();
    return false;
  }
  steps = std::move(script.steps);
  return true;
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
  return "ok";
}

}  // namespace ulvo
