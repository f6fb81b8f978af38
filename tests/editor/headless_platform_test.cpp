// The headless platform driven by scripts: bad lines are logged and skipped,
// time passes only in sleeps, and any mix of commands ends the editor cleanly.
#include "src/editor/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "src/editor/modal_loop.h"
#include "src/editor/run_editor.h"
#include "tests/support/test_job.h"

namespace ulvo {
namespace {

// A job whose input bytes are all `fill`: a render of it gives back the
// same bytes.
TestJob UniformJob(int32_t width, int32_t height, int32_t planes, uint8_t fill) {
  TestJob work(width, height, planes);
  work.in.assign(work.in.size(), fill);
  return work;
}

TEST(HeadlessScript, BadLinesAreLoggedAndTheRunGoesOn) {
  std::ostringstream log;
  HeadlessPlatform platform("bogus 1\nanswer ok\ncommand 57665\n", log);
  TestJob work = UniformJob(2, 2, 3, 9);
  RunEditorOn(platform, work.job, DepthBuffer{});
  EXPECT_NE(log.str().find("ui: script line 1 ignored: bogus: unknown command"), std::string::npos);
  EXPECT_NE(log.str().find("without a dialog, ignored"), std::string::npos);
  EXPECT_EQ(work.job.accepted, 1);
  EXPECT_EQ(work.out, work.in);
}

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
  while (platform.queue().NextMessage(msg, quitCode)) platform.queue().Dispatch(msg);
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
  const WindowId id = platform.windows().CreateEditorWindow({WindowKind::kFrame, &window, 0, 101});
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(platform.queue().SetTimer(id, 3, 1200));
  ASSERT_TRUE(platform.queue().SetTimer(id, 1, 1000));
  EXPECT_EQ(PumpTimers(platform, window), std::vector<uintptr_t>{1});

  // A long sleep delivers a due timer once; a killed timer never fires.
  HeadlessPlatform later("sleep 1\nsleep 5000\n", log);
  RecordingWindow other;
  const WindowId otherId = later.windows().CreateEditorWindow({WindowKind::kFrame, &other, 0, 101});
  ASSERT_TRUE(later.queue().SetTimer(otherId, 3, 1200));
  ASSERT_TRUE(later.queue().SetTimer(otherId, 4, 10));
  later.queue().KillTimer(otherId, 4);
  EXPECT_EQ(PumpTimers(later, other), std::vector<uintptr_t>{3});
  EXPECT_FALSE(later.queue().SetTimer(0x9999, 1, 10));  // no such window
}

TEST(ModalLoop, DispatchesTheEndMessageBeforeEndingAndFiltersFirst) {
  std::ostringstream log;
  HeadlessPlatform platform("post frame 0x10\npost frame 0x404 5\npost frame 0x405 1 2\nsleep 1\n",
                            log);
  RecordingWindow window;
  const WindowId id = platform.windows().CreateEditorWindow({WindowKind::kFrame, &window, 0, 101});
  ModalLoop loop(
      platform.queue(), [](const Message& msg) { return msg.id == kMsgClose; }, kMsgEndEditor);
  EXPECT_EQ(loop.Run(), -1);
  const std::vector<std::pair<uint32_t, uintptr_t>> expected = {{0x404, 5}, {0x405, 1}};
  EXPECT_EQ(window.received, expected);  // the close was filtered out
  EXPECT_EQ(platform.player().remainingSteps(), 1u);
  EXPECT_FALSE(loop.running());
  EXPECT_TRUE(platform.windows().windowExists(id));
}

// Long work pumps what is waiting and goes on: the script's steps count as
// waiting input, an exhausted script does not end the editor there, and a
// quit stops the pump and stays for the loop that owns the thread.
TEST(ModalLoop, PumpHandsOutWhatIsWaitingWithoutEndingTheScript) {
  std::ostringstream log;
  HeadlessPlatform platform("post frame 0x404 7\nsleep 1\npost frame 0x10\n", log);
  RecordingWindow window;
  platform.windows().CreateEditorWindow({WindowKind::kFrame, &window, 0, 101});
  platform.queue().Post(window.window(), 0x404, 3, 0);
  const auto dropClose = [](const Message& msg) { return msg.id == kMsgClose; };
  EXPECT_TRUE(PumpWaitingMessages(platform.queue(), dropClose));
  const std::vector<std::pair<uint32_t, uintptr_t>> expected = {{0x404, 3}, {0x404, 7}};
  EXPECT_EQ(window.received, expected);
  EXPECT_EQ(platform.player().remainingSteps(), 0u);
  EXPECT_EQ(log.str().find("script ended"), std::string::npos);
  EXPECT_TRUE(PumpWaitingMessages(platform.queue(), dropClose));  // nothing more, no waiting

  HeadlessPlatform quitting("post frame 0x404 1\nquit\npost frame 0x404 2\n", log);
  RecordingWindow other;
  quitting.windows().CreateEditorWindow({WindowKind::kFrame, &other, 0, 101});
  EXPECT_FALSE(PumpWaitingMessages(quitting.queue(), {}));
  EXPECT_EQ(other.received.size(), 1u);
  Message msg;
  int code = -1;
  EXPECT_FALSE(quitting.queue().NextMessage(msg, code));  // the quit, posted again
  EXPECT_EQ(msg.id, kMsgQuit);
}

// Scripts mixing real commands with junk, from a fixed seed: every run must
// end, with the host window enabled again and the job either finished or not.
TEST(HeadlessScript, RandomScriptsAlwaysEndCleanly) {
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
    TestJob work = UniformJob(8, 3, 4, 7);
    RunEditorOn(platform, work.job, DepthBuffer{});
    ASSERT_TRUE(platform.windows().hostEnabled()) << script;
    ASSERT_FALSE(platform.windows().windowExists(platform.windows().frameWindow()) &&
                 platform.windows().frameWindow() != 0);
    ASSERT_TRUE(work.job.accepted == 0 || work.job.accepted == 1);
    if (work.job.accepted == 1) {
      ASSERT_EQ(work.out, work.in) << script;
    }
  }
}

}  // namespace
}  // namespace ulvo
