// The progress window of long renders on the headless platform: it opens at
// the first report with its owner disabled, shows the percentage, passes a
// press of Cancel to the next report, asks before an abort and gives the
// owner back when it closes.
#include "src/editor/progress_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "src/editor/headless/headless_platform.h"
#include "tests/support/text_count.h"

namespace ulvo {
namespace {

class Owner : public EditorWindow {
 public:
  std::optional<intptr_t> OnMessage(uint32_t, uintptr_t, intptr_t) override { return 0; }
};

TEST(ProgressLabel, PercentOfTheRangeWrappingAbove100) {
  EXPECT_EQ(ProgressLabel(37, 0, 100), "37%");
  EXPECT_EQ(ProgressLabel(0, 0, 100), "0%");
  EXPECT_EQ(ProgressLabel(100, 0, 100), "100%");  // exactly 100 stays
  EXPECT_EQ(ProgressLabel(150, 0, 100), "50%");
  EXPECT_EQ(ProgressLabel(200, 0, 100), "0%");
  EXPECT_EQ(ProgressLabel(30, 20, 70), "20%");  // relative to the low end
  EXPECT_EQ(ProgressLabel(1, 0, 3), "33%");     // truncated
  EXPECT_EQ(ProgressLabel(5, 10, 10), "0%");    // an empty range
}

struct Fixture {
  explicit Fixture(const std::string& script) : platform(script, log) {
    owner = platform.windows().CreateEditorWindow({WindowKind::kFrame, &ownerWindow, 0, 101});
  }
  std::ostringstream log;
  HeadlessPlatform platform;
  Owner ownerWindow;
  WindowId owner = 0;
};

TEST(ProgressDialog, OpensAtZeroShowsThePercentageAndClosesAt100) {
  Fixture f("");
  ProgressDialog dialog(
      f.platform, [&] { return f.owner; }, "UlvoFilter");
  EXPECT_TRUE(dialog.Report(-5));  // ignored, nothing opens
  EXPECT_TRUE(dialog.Report(40));  // not open yet: nothing happens either
  EXPECT_EQ(f.platform.windows().FindDialog(ProgressDialog::kResource), 0u);
  EXPECT_TRUE(f.platform.windows().WindowEnabled(f.owner));

  EXPECT_TRUE(dialog.Report(0));
  const WindowId window = f.platform.windows().FindDialog(ProgressDialog::kResource);
  ASSERT_NE(window, 0u);
  EXPECT_TRUE(dialog.shown());
  EXPECT_FALSE(f.platform.windows().WindowEnabled(f.owner));
  EXPECT_NE(f.log.str().find("ui: caption of dialog 106 \"UlvoFilterの実行中\""),
            std::string::npos);
  EXPECT_EQ(f.platform.controls().dialogProgress(window, ProgressDialog::kBar).high, 100);

  EXPECT_TRUE(dialog.Report(37));
  EXPECT_TRUE(dialog.Report(37));
  EXPECT_TRUE(dialog.Report(-1));
  EXPECT_EQ(f.platform.controls().dialogProgress(window, ProgressDialog::kBar).position, 37);
  EXPECT_EQ(f.platform.controls().DialogItemText(window, ProgressDialog::kLabel), "37%");
  EXPECT_EQ(Occurrences(f.log.str(), "item 1004 \"37%\""), 1u);  // set only when it changes

  // Cancel makes the next report say stop, once; OK (Enter) does nothing.
  f.platform.queue().Post(window, kMsgCommand, 2, 0);
  EXPECT_FALSE(dialog.Report(38));
  EXPECT_TRUE(dialog.Report(39));
  f.platform.queue().Post(window, kMsgCommand, 1, 0);
  EXPECT_TRUE(dialog.Report(40));
  EXPECT_TRUE(dialog.shown());

  EXPECT_TRUE(dialog.Report(100));
  EXPECT_FALSE(dialog.shown());
  EXPECT_FALSE(f.platform.windows().windowExists(window));
  EXPECT_TRUE(f.platform.windows().WindowEnabled(f.owner));
  EXPECT_EQ(Occurrences(f.log.str(), "ui: editor disabled\n"), 1u);
  EXPECT_EQ(Occurrences(f.log.str(), "ui: editor enabled\n"), 1u);
}

// The script's Cancel reaches the dialog while the owner is disabled; the
// question that follows takes the next answer; only Yes confirms.
TEST(ProgressDialog, ScriptedCancelAndTheAbortQuestion) {
  Fixture f("answer cancel\nanswer yes\nanswer no\n");
  ProgressDialog dialog(
      f.platform, [&] { return f.owner; }, "UlvoFilter");
  EXPECT_TRUE(dialog.Report(0));
  EXPECT_FALSE(dialog.Report(10));
  EXPECT_EQ(f.platform.player().remainingSteps(), 2u);  // the answers wait for a question
  EXPECT_TRUE(dialog.ConfirmCancel());
  EXPECT_FALSE(dialog.ConfirmCancel());
  const std::string question =
      "ui: dialog \"UlvoFilter\" \"本当にフィルタ作業を中止しますか？\" -> ";
  EXPECT_NE(f.log.str().find(question + "yes"), std::string::npos) << f.log.str();
  EXPECT_NE(f.log.str().find(question + "no"), std::string::npos);
  EXPECT_TRUE(dialog.Report(11));
  EXPECT_TRUE(dialog.Report(100));
  EXPECT_TRUE(f.platform.windows().WindowEnabled(f.owner));
}

// A quit during the render stops it without asking; an owner disabled by
// someone else stays disabled; the dialog goes with its object.
TEST(ProgressDialog, QuitStopsWithoutAskingAndTheOwnerIsLeftAsFound) {
  Fixture f("");
  {
    ProgressDialog dialog(
        f.platform, [&] { return f.owner; }, "UlvoFilter");
    dialog.Report(0);
    f.platform.queue().PostQuit(0);  // the host shuts the thread down
    EXPECT_FALSE(dialog.Report(5));
    EXPECT_TRUE(dialog.ConfirmCancel());
    EXPECT_EQ(f.log.str().find("ui: dialog \""), std::string::npos);
    Message msg;
    int code = 0;
    EXPECT_FALSE(f.platform.queue().NextMessage(msg, code));  // the quit stays for the loop
  }
  EXPECT_EQ(f.platform.windows().FindDialog(ProgressDialog::kResource), 0u);
  EXPECT_TRUE(f.platform.windows().WindowEnabled(f.owner));

  f.platform.windows().EnableHostWindow(f.owner, false);
  ProgressDialog dialog(
      f.platform, [&] { return f.owner; }, "UlvoFilter");
  dialog.Report(0);
  EXPECT_TRUE(dialog.shown());
  dialog.Report(100);
  EXPECT_FALSE(f.platform.windows().WindowEnabled(f.owner));
}

}  // namespace
}  // namespace ulvo
