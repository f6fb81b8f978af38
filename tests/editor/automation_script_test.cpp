#include "src/editor/headless/automation_script.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "src/editor/headless/headless_platform.h"
#include "src/editor/modal_loop.h"
#include "src/editor/run_editor.h"

namespace ulvo {
namespace {

TEST(AutomationScript, ParsesEveryCommand) {
  const ParsedScript s = ParseScript(
      "# comment line\n"
      "wait-editor\r\n"
      "sleep 250   # trailing comment\n"
      "command 0xE141\n"
      "close-box\n"
      "post thread 0x405 57665 -1\n"
      "post view 1031\n"
      "key 0x45 ctrl shift\n"
      "click -3 40 right\n"
      "answer cancel\n"
      "quit\n"
      "screenshot out dir/shot #1.png\n"
      "expect-open\n");
  ASSERT_TRUE(s.problems.empty());
  ASSERT_EQ(s.steps.size(), 12u);
  EXPECT_EQ(s.steps[0].op, ScriptOp::kWaitEditor);
  EXPECT_EQ(s.steps[0].line, 2);
  EXPECT_EQ(s.steps[1].value, 250);
  EXPECT_EQ(s.steps[2].value, 57665);
  EXPECT_EQ(s.steps[3].op, ScriptOp::kCloseBox);
  EXPECT_EQ(s.steps[4].target, PostTarget::kThread);
  EXPECT_EQ(s.steps[4].message, 0x405u);
  EXPECT_EQ(s.steps[4].wParam, 57665u);
  EXPECT_EQ(s.steps[4].lParam, -1);
  EXPECT_EQ(s.steps[5].target, PostTarget::kView);
  EXPECT_EQ(s.steps[5].wParam, 0u);
  EXPECT_TRUE(s.steps[6].ctrl && s.steps[6].shift && !s.steps[6].alt);
  EXPECT_EQ(s.steps[7].x, -3);
  EXPECT_TRUE(s.steps[7].right);
  EXPECT_EQ(s.steps[8].button, DialogButton::kCancel);
  EXPECT_EQ(s.steps[9].op, ScriptOp::kQuit);
  EXPECT_EQ(s.steps[10].file, "out dir/shot #1.png");
  EXPECT_EQ(s.steps[11].op, ScriptOp::kExpectOpen);
}

TEST(AutomationScript, SkipsMalformedLinesAndNamesThem) {
  const ParsedScript s = ParseScript(
      "command\n"                             // 1 missing id
      "command 99999999999999999999999\n"     // 2 overflow
      "command -1\n"                          // 3 negative id
      "command 0x\n"                          // 4 empty hex
      "command 12abc\n"                       // 5 trailing junk
      "post nowhere 5\n"                      // 6 target
      "post frame 0x405 1 2 3\n"              // 7 too many
      "post frame 0x405 0x1FFFFFFFF\n"        // 8 parameter too wide
      "key 0\n"                               // 9 no such key
      "key 0x41 meta\n"                       // 10 modifier
      "click 5\n"                             // 11 no y
      "click 70000 1\n"                       // 12 out of range
      "answer maybe\n"                        // 13 button
      "screenshot   \n"                       // 14 no file
      "launch rockets\n"                      // 15 unknown
      "quit now\n"                            // 16 argument
      "sleep -5\n"                            // 17 negative
      + std::string("command 5\0 6\n", 13) +  // 18 NUL
      std::string(10000, 'x') +
      "\n"               // 19 very long
      "command 57665");  // 20 fine, no final newline
  ASSERT_EQ(s.steps.size(), 1u);
  EXPECT_EQ(s.steps[0].line, 20);
  ASSERT_EQ(s.problems.size(), 19u);
  for (int i = 0; i < 19; ++i) EXPECT_EQ(s.problems[i].line, i + 1) << s.problems[i].reason;
}

TEST(AutomationScript, HeadlessRunLogsBadLinesAndGoesOn) {
  std::ostringstream log;
  HeadlessPlatform platform("bogus 1\nanswer ok\ncommand 57665\n", log);
  std::vector<uint8_t> in(12, 9), out(12, 0);
  FilterJob job;
  job.width = job.paddedWidth = 2;
  job.height = 2;
  job.planes = 3;
  job.rowBytes = 6;
  job.inData = in.data();
  job.outData = out.data();
  RunEditorOn(platform, job, DepthBuffer{});
  EXPECT_NE(log.str().find("ui: script line 1 ignored: bogus: unknown command"), std::string::npos);
  EXPECT_NE(log.str().find("without a dialog, ignored"), std::string::npos);
  EXPECT_EQ(job.accepted, 1);
  EXPECT_EQ(out, in);
}

}  // namespace
}  // namespace ulvo

namespace ulvo {
namespace {

// Records what reaches a window.
class RecordingWindow : public EditorWindow {
 public:
  std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t) override {
    received.push_back({msg, wParam});
    return 0;
  }
  std::vector<std::pair<uint32_t, uintptr_t>> received;
};

// Pumps until the script has run out; returns the timer ids that fired.
std::vector<uintptr_t> PumpTimers(HeadlessPlatform& platform, RecordingWindow& window) {
  Message msg;
  int quitCode = 0;
  while (platform.NextMessage(msg, quitCode)) platform.Dispatch(msg);
  std::vector<uintptr_t> fired;
  for (const auto& [id, param] : window.received)
    if (id == kMsgTimer) fired.push_back(param);
  window.received.clear();
  return fired;
}

TEST(HeadlessTimers, FireOnlyWhenScriptTimePassesTheirDueTime) {
  std::ostringstream log;
  HeadlessPlatform platform("sleep 1000\nsleep 199\n", log);
  RecordingWindow window;
  const WindowId id = platform.CreateFrameWindow(window, 101);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(platform.SetTimer(id, 3, 1200));
  ASSERT_TRUE(platform.SetTimer(id, 1, 1000));
  EXPECT_EQ(PumpTimers(platform, window), std::vector<uintptr_t>{1});

  // A long sleep delivers a due timer once; a killed timer never fires.
  HeadlessPlatform later("sleep 1\nsleep 5000\n", log);
  RecordingWindow other;
  const WindowId otherId = later.CreateFrameWindow(other, 101);
  ASSERT_TRUE(later.SetTimer(otherId, 3, 1200));
  ASSERT_TRUE(later.SetTimer(otherId, 4, 10));
  later.KillTimer(otherId, 4);
  EXPECT_EQ(PumpTimers(later, other), std::vector<uintptr_t>{3});
  EXPECT_FALSE(later.SetTimer(0x9999, 1, 10));  // no such window
}

}  // namespace
}  // namespace ulvo

namespace ulvo {
namespace {

TEST(ModalLoop, DispatchesTheEndMessageBeforeEndingAndFiltersFirst) {
  std::ostringstream log;
  HeadlessPlatform platform("post frame 0x10\npost frame 0x404 5\npost frame 0x405 1 2\nsleep 1\n",
                            log);
  RecordingWindow window;
  const WindowId id = platform.CreateFrameWindow(window, 101);
  ModalLoop loop(
      platform, [](const Message& msg) { return msg.id == kMsgClose; }, kMsgEndEditor);
  EXPECT_EQ(loop.Run(), -1);
  const std::vector<std::pair<uint32_t, uintptr_t>> expected = {{0x404, 5}, {0x405, 1}};
  EXPECT_EQ(window.received, expected);  // the close was filtered out
  EXPECT_EQ(platform.remainingSteps(), 1u);
  EXPECT_FALSE(loop.running());
  EXPECT_TRUE(platform.windowExists(id));
}

}  // namespace
}  // namespace ulvo

namespace ulvo {
namespace {

// Scripts mixing real commands with junk, from a fixed seed: every run must
// end, with the host window enabled again and the job either finished or not.
TEST(AutomationScript, RandomScriptsAlwaysEndCleanly) {
  const char* const pieces[] = {"command 57665",
                                "command 40003",
                                "command 57664",
                                "command 0xFFFF",
                                "close-box",
                                "quit",
                                "answer ok",
                                "answer no",
                                "key 0x1B",
                                "key 0x45 ctrl",
                                "key 0x11",
                                "click 3 4",
                                "click -1 9 right",
                                "post view 0x405",
                                "post frame 0x10",
                                "post thread 0x12 7",
                                "sleep 5000",
                                "wait-editor",
                                "expect-open",
                                "screenshot",
                                "post view 0x113 1",
                                "post frame 0x111 57664 0",
                                "\x01\x02\xff",
                                "# note",
                                "key 300",
                                "command",
                                "post",
                                "click 1 2 3 4",
                                "answer",
                                "sleep 99999999999"};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int run = 0; run < 300; ++run) {
    std::string script;
    const int lines = static_cast<int>(next() % 12);
    for (int i = 0; i < lines; ++i) {
      script += pieces[next() % std::size(pieces)];
      script += next() % 5 == 0 ? "\r\n" : "\n";
    }
    std::ostringstream log;
    HeadlessPlatform platform(script, log);
    std::vector<uint8_t> in(8 * 3 * 4, 7), out(in.size(), 0);
    FilterJob job;
    job.width = job.paddedWidth = 8;
    job.height = 3;
    job.planes = 4;
    job.rowBytes = 32;
    job.inData = in.data();
    job.outData = out.data();
    RunEditorOn(platform, job, DepthBuffer{});
    ASSERT_TRUE(platform.hostEnabled()) << script;
    ASSERT_FALSE(platform.windowExists(platform.frameWindow()) && platform.frameWindow() != 0);
    ASSERT_TRUE(job.accepted == 0 || job.accepted == 1);
    if (job.accepted == 1) {
      ASSERT_EQ(out, in) << script;
    }
  }
}

}  // namespace
}  // namespace ulvo
