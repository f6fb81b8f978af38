// The automation script's parser, as the headless platform (skipping bad
// lines) and the stand-in host (refusing the script) use it.
#include "src/editor/script/automation_script.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ulvo {
namespace {

using namespace std::string_literals;

TEST(AutomationScript, ParsesEveryCommand) {
  const std::string text =
      "# comment line\n"                        // 1
      "wait-editor\r\n"                         // 2
      "  sleep 250   # settle\n"                // 3
      "command 0xE141\n"                        // 4
      "\n"                                      // 5
      "close-box\n"                             // 6
      "post thread 0x405 57665 -1\n"            // 7
      "post view 1031\n"                        // 8
      "post frame 18 0xFFFFFFFF -0x80000000\n"  // 9
      "key 69 ctrl shift\n"                     // 10
      "key 0x1B alt\n"                          // 11
      "click -3 40 right\n"                     // 12
      "click 10 -20\n"                          // 13
      "answer yes\n"                            // 14
      "quit\n"                                  // 15
      "screenshot out dir/shot #1.png \n"       // 16
      "status\n"                                // 17
      "expect-open";                            // 18, no final newline
  std::vector<ScriptStep> s;
  std::string error;
  ASSERT_TRUE(ParseScriptStrictly(text, s, error)) << error;
  const ParsedScript lenient = ParseScript(text);
  EXPECT_TRUE(lenient.problems.empty());
  EXPECT_EQ(lenient.steps.size(), s.size());

  ASSERT_EQ(s.size(), 16u);
  EXPECT_EQ(s[0].op, ScriptOp::kWaitEditor);
  EXPECT_EQ(s[0].line, 2);
  EXPECT_EQ(s[1].op, ScriptOp::kSleep);
  EXPECT_EQ(s[1].value, 250);
  EXPECT_EQ(s[2].op, ScriptOp::kCommand);
  EXPECT_EQ(s[2].value, 57665);
  EXPECT_EQ(s[2].line, 4);
  EXPECT_EQ(s[3].op, ScriptOp::kCloseBox);
  EXPECT_EQ(s[3].line, 6);
  EXPECT_EQ(s[4].op, ScriptOp::kPost);
  EXPECT_EQ(s[4].target, PostTarget::kThread);
  EXPECT_EQ(s[4].message, 0x405u);
  EXPECT_EQ(s[4].wParam, 57665u);
  EXPECT_EQ(s[4].lParam, -1);
  EXPECT_EQ(s[5].target, PostTarget::kView);
  EXPECT_EQ(s[5].wParam, 0u);
  EXPECT_EQ(s[5].lParam, 0);
  // The widest parameters a message takes on every build.
  EXPECT_EQ(s[6].target, PostTarget::kFrame);
  EXPECT_EQ(s[6].wParam, uintptr_t{0xFFFFFFFF});
  EXPECT_EQ(s[6].lParam, intptr_t{INT32_MIN});
  EXPECT_EQ(s[7].op, ScriptOp::kKey);
  EXPECT_EQ(s[7].value, 69);
  EXPECT_TRUE(s[7].ctrl && s[7].shift && !s[7].alt);
  EXPECT_TRUE(!s[8].ctrl && !s[8].shift && s[8].alt);
  EXPECT_EQ(s[9].op, ScriptOp::kClick);
  EXPECT_EQ(s[9].x, -3);
  EXPECT_EQ(s[9].y, 40);
  EXPECT_TRUE(s[9].right);
  EXPECT_EQ(s[10].y, -20);
  EXPECT_FALSE(s[10].right);
  EXPECT_EQ(s[11].op, ScriptOp::kAnswer);
  EXPECT_EQ(s[11].button, DialogButton::kYes);
  EXPECT_EQ(s[12].op, ScriptOp::kQuit);
  // A file name is the rest of the line: spaces and '#' belong to it.
  EXPECT_EQ(s[13].op, ScriptOp::kScreenshot);
  EXPECT_EQ(s[13].file, "out dir/shot #1.png");
  EXPECT_EQ(s[14].op, ScriptOp::kStatus);
  EXPECT_EQ(s[15].op, ScriptOp::kExpectOpen);
  EXPECT_EQ(s[15].line, 18);
}

// A driver of real windows presses buttons by their control ids; logs and
// scripts name them.
TEST(AutomationScript, ButtonsAreNamedAndCarryTheirControlIds) {
  const struct {
    const char* name;
    int id;
  } buttons[] = {{"ok", 1}, {"cancel", 2}, {"yes", 6}, {"no", 7}};
  for (const auto& b : buttons) {
    const ParsedScript s = ParseScript("answer "s + b.name);
    ASSERT_EQ(s.steps.size(), 1u) << b.name;
    EXPECT_EQ(static_cast<int>(s.steps[0].button), b.id) << b.name;
    EXPECT_STREQ(ButtonName(s.steps[0].button), b.name);
  }
}

// Each malformed line: the lenient parse drops it alone and says why; the
// strict parse refuses the script and names the line.
TEST(AutomationScript, MalformedLinesAreSkippedOrRefused) {
  const std::string bad[] = {
      "command",
      "command 12 13",
      "command x",
      "command 99999999999999999999999",
      "command -1",
      "command 0x",
      "command 12abc",
      "command 0x10000",
      "sleep -5",
      "sleep 3600001",
      "post nowhere 5",
      "post frame",
      "post frame 0x405 1 2 3",
      "post frame 0x10000",
      "post frame 0x405 0x1FFFFFFFF",
      "post frame 0x405 0 -0x80000001",
      "key 0",
      "key 0xFF",
      "key 65 meta",
      "click 1",
      "click 70000 1",
      "click 1 2 middle",
      "answer",
      "answer maybe",
      "screenshot   ",
      "screenshot # a comment, not a file",
      "screenshot#shot.png",
      "screenshot a\0b.png"s,
      "check 1021",
      "check 1021 yes",
      "check 0 on",
      "choose 1005",
      "choose 0 1",
      "choose 1005 -1",
      "drop",
      "drop 1005 1",
      "status 1",
      "type 0x10000 text",
      "type x 12",
      "type 1020 a\0b"s,
      "launch rockets",
      "quit now",
      "wait-editor now",
      "command 5\0 6"s,
      std::string(10000, 'x'),
  };
  for (const std::string& line : bad) {
    const std::string text = "wait-editor\n" + line + "\ncommand 57665\n";
    const ParsedScript lenient = ParseScript(text);
    ASSERT_EQ(lenient.steps.size(), 2u) << line;
    EXPECT_EQ(lenient.steps[1].line, 3) << line;
    ASSERT_EQ(lenient.problems.size(), 1u) << line;
    EXPECT_EQ(lenient.problems[0].line, 2) << line;
    EXPECT_FALSE(lenient.problems[0].reason.empty()) << line;

    std::vector<ScriptStep> steps(3);
    std::string error;
    EXPECT_FALSE(ParseScriptStrictly(text, steps, error)) << line;
    EXPECT_EQ(error, "line 2: " + lenient.problems[0].reason);
    EXPECT_TRUE(steps.empty()) << line;
  }
}

// A field's text is the rest of its line, spaces and '#' included.
TEST(AutomationScript, ControlStepsNameTheirControl) {
  const std::string text =
      "choose 1005 16\n"
      "type 1020 300\n"
      "type 0x3FA C:\\My Patterns # 2 \n"
      "type 1013\n"
      "check 1021 on\n"
      "check 1004 off\n"
      "drop 1004\n";
  std::vector<ScriptStep> s;
  std::string error;
  ASSERT_TRUE(ParseScriptStrictly(text, s, error)) << error;
  ASSERT_EQ(s.size(), 7u);
  EXPECT_EQ(s[6].op, ScriptOp::kDrop);
  EXPECT_EQ(s[6].control, 1004);
  EXPECT_EQ(s[4].op, ScriptOp::kCheck);
  EXPECT_EQ(s[4].control, 1021);
  EXPECT_EQ(s[4].index, 1);
  EXPECT_EQ(s[5].index, 0);
  EXPECT_EQ(s[0].op, ScriptOp::kChoose);
  EXPECT_EQ(s[0].control, 1005);
  EXPECT_EQ(s[0].index, 16);
  EXPECT_EQ(s[1].op, ScriptOp::kType);
  EXPECT_EQ(s[1].control, 1020);
  EXPECT_EQ(s[1].text, "300");
  EXPECT_EQ(s[2].control, 1018);
  EXPECT_EQ(s[2].text, "C:\\My Patterns # 2");
  EXPECT_EQ(s[3].text, "");  // empties the field
  EXPECT_EQ(s[3].line, 4);
}

TEST(AutomationScript, CountsLinesAcrossCommentsBlanksAndLineEnds) {
  const std::string text =
      "# a script\r\n"    // 1
      "\r\n"              // 2
      "bogus\r\n"         // 3
      "   \t\n"           // 4
      "quit  # later\n"   // 5
      "sleep x # note\n"  // 6
      "command 57665";    // 7
  const ParsedScript s = ParseScript(text);
  ASSERT_EQ(s.steps.size(), 2u);
  EXPECT_EQ(s.steps[0].line, 5);
  EXPECT_EQ(s.steps[1].line, 7);
  ASSERT_EQ(s.problems.size(), 2u);
  EXPECT_EQ(s.problems[0].line, 3);
  EXPECT_EQ(s.problems[0].reason, "bogus: unknown command");
  EXPECT_EQ(s.problems[1].line, 6);
  // The strict parse names the first bad line.
  std::vector<ScriptStep> steps;
  std::string error;
  EXPECT_FALSE(ParseScriptStrictly(text, steps, error));
  EXPECT_EQ(error, "line 3: bogus: unknown command");

  for (const char* empty : {"", "\n\n", "# only a comment", "  # two\n#\n"}) {
    EXPECT_TRUE(ParseScriptStrictly(empty, steps, error)) << empty;
    EXPECT_TRUE(steps.empty()) << empty;
  }
}

TEST(AutomationScript, DefaultScriptsFinishTheEditorAndCloseTheAboutBox) {
  std::vector<ScriptStep> steps;
  std::string error;
  ASSERT_TRUE(ParseScriptStrictly(kDefaultEditorScript, steps, error)) << error;
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].op, ScriptOp::kWaitEditor);
  EXPECT_EQ(steps[1].op, ScriptOp::kCommand);
  EXPECT_EQ(steps[1].value, 57665);
  ASSERT_TRUE(ParseScriptStrictly(kDefaultAboutScript, steps, error)) << error;
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].op, ScriptOp::kAnswer);
  EXPECT_EQ(steps[0].button, DialogButton::kOk);
}

}  // namespace
}  // namespace ulvo
