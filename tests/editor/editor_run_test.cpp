#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "src/editor/editor_app.h"
#include "src/editor/headless/headless_platform.h"
#include "src/editor/run_editor.h"
#include "src/editor/ulvo_pi_frame.h"
#include "src/settings/memory_profile_store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"
#include "tests/support/text_count.h"

namespace ulvo {
namespace {

// A small 4-plane job (depth, blue, green, red) with owned buffers.
struct EditorSession : TestJob {
  explicit EditorSession(int32_t width = 4, int32_t height = 3, int32_t planes = 4)
      : TestJob(width, height, planes) {}

  // Runs the editor on the headless platform with the script; returns the log.
  std::string Go(const std::string& script, HeadlessOptions options = {}) {
    std::ostringstream log;
    HeadlessPlatform platform(script, log, options);
    if (chooseLanguage) UseChosenLanguage(platform.resources());
    RunEditorOn(platform, job, depth);
    hostEnabled = platform.windows().hostEnabled();
    remainingSteps = platform.player().remainingSteps();
    windowsLeft = platform.windows().frameWindow() != 0 || platform.windows().viewWindow() != 0;
    return log.str();
  }

  DepthBuffer depth;
  bool chooseLanguage = false;  // as a run by a host does: stored choice, user's language
  bool hostEnabled = false;
  size_t remainingSteps = 0;
  bool windowsLeft = true;
};

void ExpectHostDisabledThenEnabled(const EditorSession& run, const std::string& log) {
  EXPECT_TRUE(run.hostEnabled);
  EXPECT_EQ(Occurrences(log, "ui: host window disabled\n"), 1u) << log;
  EXPECT_EQ(Occurrences(log, "ui: host window enabled\n"), 1u) << log;
  EXPECT_LT(log.find("host window disabled"), log.find("host window enabled"));
  EXPECT_FALSE(run.windowsLeft);
}

TEST(EditorRun, FinishReturnsTheDisplayAndEndsTheEditor) {
  EditorSession run;
  const std::string log = run.Go(std::string(kDefaultEditorScript));
  EXPECT_EQ(run.job.accepted, 1);
  EXPECT_EQ(run.out, run.in);  // no render: the source comes back, depth bytes included
  ExpectHostDisabledThenEnabled(run, log);
  EXPECT_NE(log.find("ui: editor shown"), std::string::npos);
  EXPECT_EQ(log.find("script ended"), std::string::npos);
}

TEST(EditorRun, EndMessageEndsTheLoopWhateverItsTargetAndParameters) {
  for (const char* post : {"post frame 0x405", "post view 0x405 1 2", "post thread 0x405 0 -1",
                           "post frame 1029 57665 0"}) {
    EditorSession run;
    const std::string log = run.Go(std::string(post) + "\ncommand 57665\n");
    EXPECT_EQ(run.job.accepted, 0) << post;
    // The loop ended right after the end message: the finish was never read.
    EXPECT_EQ(run.remainingSteps, 1u) << post;
    ExpectHostDisabledThenEnabled(run, log);
  }
}

TEST(EditorRun, OtherMessagesDoNotEndTheLoop) {
  EditorSession run;
  const std::string log =
      run.Go("post view 0x404\npost frame 0x406\npost thread 0x405\ncommand 57665\n");
  EXPECT_EQ(run.remainingSteps, 1u);  // the thread's 0x405 ended it, nothing before did
  EditorSession run2;
  run2.Go("post view 0x404 0x405\npost frame 0\npost view 0x407\nclick 1 1\ncommand 57665\n");
  EXPECT_EQ(run2.job.accepted, 1);
  EXPECT_EQ(run2.remainingSteps, 0u);
}

TEST(EditorRun, CloseRequestsNeverEndTheEditor) {
  EditorSession run;
  const std::string log = run.Go(
      "close-box\npost frame 0x10\npost view 0x10\npost thread 0x10\n"
      "post frame 0x112 0xF060\nexpect-open\ncommand 57665\n");
  // Only the last line's finish ended the editor; the view was alive for it.
  EXPECT_EQ(run.job.accepted, 1);
  EXPECT_EQ(run.remainingSteps, 0u);
  EXPECT_EQ(run.out, run.in);
  EXPECT_EQ(log.find("editor closed"), log.rfind("editor closed"));
  ExpectHostDisabledThenEnabled(run, log);
}

TEST(EditorRun, QuitEndsTheRunAsCancelled) {
  EditorSession run;
  const std::string log = run.Go("quit\ncommand 57665\n");
  EXPECT_EQ(run.job.accepted, 0);
  EXPECT_EQ(run.remainingSteps, 1u);
  EXPECT_EQ(run.out, std::vector<uint8_t>(run.in.size(), 0));
  ExpectHostDisabledThenEnabled(run, log);

  EditorSession threadQuit;
  threadQuit.Go("post thread 0x12\ncommand 57665\n");
  EXPECT_EQ(threadQuit.job.accepted, 0);
}

TEST(EditorRun, ScriptRunningOutEndsAsCancel) {
  EditorSession run;
  const std::string log = run.Go("wait-editor\nsleep 100\n");
  EXPECT_EQ(run.job.accepted, 0);
  EXPECT_EQ(Occurrences(log, "ui: script ended\n"), 1u);
  ExpectHostDisabledThenEnabled(run, log);
}

TEST(EditorRun, WindowCreationFailureEnablesTheHostAndCancels) {
  for (const bool frameFails : {true, false}) {
    EditorSession run;
    HeadlessOptions options;
    options.failFrameCreation = frameFails;
    options.failViewCreation = !frameFails;
    const std::string log = run.Go(std::string(kDefaultEditorScript), options);
    EXPECT_EQ(run.job.accepted, 0);
    EXPECT_EQ(run.remainingSteps, 2u);  // no loop ran
    EXPECT_EQ(log.find("editor shown"), std::string::npos);
    ExpectHostDisabledThenEnabled(run, log);
  }
}

TEST(EditorRun, KeysFinishAndCancel) {
  EditorSession ctrlE;
  ctrlE.Go("key 0x45\nkey 0x45 ctrl\n");
  EXPECT_EQ(ctrlE.job.accepted, 1);
  EXPECT_EQ(ctrlE.out, ctrlE.in);

  EditorSession plainE;  // E without Ctrl does nothing; the script then runs out
  plainE.Go("key 0x45\nkey 0x23\n");
  EXPECT_EQ(plainE.job.accepted, 0);

  EditorSession escape;  // cancel asks nothing while quick quit is on
  const std::string log = escape.Go("key 0x1B\ncommand 57665\n");
  EXPECT_EQ(escape.job.accepted, 0);
  EXPECT_EQ(escape.remainingSteps, 1u);
  EXPECT_EQ(log.find("ui: dialog"), std::string::npos);

  EditorSession cancelCommand;
  cancelCommand.Go("command 40012\ncommand 57665\n");
  EXPECT_EQ(cancelCommand.job.accepted, 0);
  EXPECT_EQ(cancelCommand.remainingSteps, 1u);
}

TEST(EditorRun, AboutCommandShowsTheAboutBoxAndKeepsTheEditorOpen) {
  EditorSession run;
  const std::string log = run.Go("command 57664\nanswer ok\ncommand 57665\n");
  EXPECT_NE(
      log.find("ui: dialog \"UlvoFiltのﾊﾞｰｼﾞｮﾝ情報\" \"Aperture patterns are read with libtiff. "
               "Depth-of-field rendering: UlvoFilter 2.8 engine.\" -> ok"),
      std::string::npos)
      << log;
  EXPECT_EQ(run.job.accepted, 1);
}

// The cancel question, driven on a frame built by hand so that quick quit can
// be switched off.
std::string CancelWithQuestion(const std::string& script, FilterJob& job, size_t& endMessages) {
  std::ostringstream log;
  HeadlessPlatform platform(script, log);
  EditorApp app(platform.dialogs());
  ActiveValues active;
  CUlvoPiFrame frame(platform, app, std::make_unique<CUlvoPiDoc>(platform.queue()), active);
  EXPECT_TRUE(frame.Create());
  CUlvoFilterView& view = *frame.GetActiveView();
  view.settings().QuickQuit = 0;
  DepthBuffer depth;
  view.SetJob(&job, &depth);
  EXPECT_TRUE(frame.RouteCommand(40003));
  endMessages = platform.queue().pendingMessages();
  return log.str();
}

TEST(EditorRun, CancelAsksFirstWhenQuickQuitIsOff) {
  const std::string question = "ui: dialog \"Quitting\" \"変更を破棄して戻りますか？\" -> ";
  FilterJob job;
  job.accepted = 1;
  size_t ends = 0;
  std::string log = CancelWithQuestion("answer cancel\n", job, ends);
  EXPECT_NE(log.find(question + "cancel"), std::string::npos) << log;
  EXPECT_EQ(job.accepted, 1);  // nothing changed, editor stays open
  EXPECT_EQ(ends, 0u);

  log = CancelWithQuestion("sleep 10\nanswer ok\n", job, ends);
  EXPECT_NE(log.find(question + "ok"), std::string::npos) << log;
  EXPECT_EQ(job.accepted, 0);
  EXPECT_EQ(ends, 1u);

  // No answer in the script: logged, and the default button (OK) is taken.
  job.accepted = 1;
  log = CancelWithQuestion("command 57665\n", job, ends);
  EXPECT_NE(log.find("no answer in the script"), std::string::npos);
  EXPECT_NE(log.find(question + "ok"), std::string::npos);
  EXPECT_EQ(job.accepted, 0);

  // An answer that the box does not offer falls back to the default too.
  log = CancelWithQuestion("answer yes\n", job, ends);
  EXPECT_NE(log.find("does not fit"), std::string::npos);
  EXPECT_NE(log.find(question + "ok"), std::string::npos);
}

// The view's start-up takes the stored settings before any command can run;
// the focus depth becomes the working one (its low 8 bits), and taking in
// an image clears "SaveMemory". Nothing is written back.
TEST(EditorRun, StartUpLoadsTheStoredSettings) {
  MemoryProfileStore store;
  store.values["OnFocusDepth"] = 300;
  store.values["QuickQuit"] = 0;
  store.values["SaveMemory"] = 5;
  std::ostringstream log;
  HeadlessOptions options;
  options.profile = &store;
  HeadlessPlatform platform("", log, options);
  EditorApp app(platform.dialogs());
  ActiveValues active;
  CUlvoPiFrame frame(platform, app, std::make_unique<CUlvoPiDoc>(platform.queue()), active);
  ASSERT_TRUE(frame.Create());
  CUlvoFilterView& view = *frame.GetActiveView();
  EXPECT_EQ(active.ActiveFocusDepth, 44);
  EXPECT_EQ(view.settings().OnFocusDepth, 300);
  EXPECT_EQ(view.settings().QuickQuit, 0);
  EXPECT_EQ(view.settings().SaveMemory, 5);
  EditorSession session;
  view.SetJob(&session.job, &session.depth);
  view.TakeOverJob();
  EXPECT_EQ(view.settings().SaveMemory, 0);
  EXPECT_TRUE(store.writes.empty());
  frame.Destroy();
}

TEST(EditorRun, ScreenshotWritesTheDisplayedImage) {
  EditorSession run(5, 2, 3);
  const TempDir dir;
  const std::string file = dir.file("editor_shot.bmp");
  const std::string log = run.Go("screenshot " + file + "\ncommand 57665\n");
  EXPECT_NE(log.find("ui: screenshot " + file + "\n"), std::string::npos) << log;
  const std::vector<uint8_t> bytes = ReadFileBytes(file);
  ASSERT_EQ(bytes.size(), 54u + 16u * 2u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[18], 5);  // width
  EXPECT_EQ(bytes[22], 2);  // height
  // First pixel of the bottom row is the source's first pixel (already BGR).
  EXPECT_EQ(bytes[54], run.in[0]);
  EXPECT_EQ(bytes[56], run.in[2]);
}

// The editor speaks the user's interface language until the settings say
// otherwise; a new choice is stored when it changes and holds from the next
// editor on, which the user is told.
TEST(EditorRun, TheLanguageFollowsTheUserUnlessTheSettingsChooseOne) {
  MemoryProfileStore store;
  HeadlessOptions english;
  english.profile = &store;
  english.userLanguage = "en-US";
  EditorSession run;
  run.chooseLanguage = true;
  std::string log = run.Go(
      "command 57664\nanswer ok\ncommand 32790\nchoose 1027 1\nanswer ok\n"
      "answer ok\ncommand 57665\n",
      english);
  EXPECT_NE(log.find("ui: dialog \"About UlvoFilter\""), std::string::npos) << log;
  EXPECT_NE(log.find("ui: choose 1027 \"日本語\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"The new language applies the next time the filter window opens.\" -> ok"),
            std::string::npos)
      << log;
  EXPECT_EQ(std::get<std::string>(store.values["Language"]), "ja");

  // The next editor is Japanese; choosing what is stored tells nothing.
  log = run.Go("command 57664\nanswer ok\ncommand 32790\nanswer ok\ncommand 57665\n", english);
  EXPECT_NE(log.find("ui: dialog \"UlvoFiltのﾊﾞｰｼﾞｮﾝ情報\""), std::string::npos) << log;
  EXPECT_EQ(log.find("次にフィルタの画面を開いたとき"), std::string::npos) << log;

  // Back to automatic: stored at once, in effect next time (English again).
  log = run.Go("command 32790\nchoose 1027 0\nanswer ok\nanswer ok\ncommand 57665\n", english);
  EXPECT_NE(log.find("言語の変更は、次にフィルタの画面を開いたときに有効になります。"),
            std::string::npos)
      << log;
  EXPECT_EQ(std::get<std::string>(store.values["Language"]), "auto");

  // A value the editor does not know means automatic and is left alone
  // unless the user picks a language.
  store.values["Language"] = std::string("fr");
  log = run.Go("command 32790\nanswer ok\ncommand 57664\nanswer ok\ncommand 57665\n", english);
  EXPECT_NE(log.find("ui: dialog \"About UlvoFilter\""), std::string::npos) << log;
  EXPECT_EQ(std::get<std::string>(store.values["Language"]), "fr");
}

// Every help command opens the local page in the editor's language; the
// online one, gone from the menu, too, until there is a site.
TEST(EditorRun, HelpOpensTheLocalPageInTheEditorsLanguage) {
  for (const bool english : {false, true}) {
    HeadlessOptions options;
    options.userLanguage = english ? "en-GB" : "ja-JP";
    EditorSession run;
    run.chooseLanguage = true;
    const std::string log =
        run.Go("command 32791\ncommand 32792\ncommand 32811\ncommand 57665\n", options);
    const std::string page = english ? "index-en.html\"" : "index.html\"";
    EXPECT_EQ(Occurrences(log, "ui: shell open \""), 3u) << log;
    EXPECT_EQ(Occurrences(log, "UlvoFilter/help/" + page), 3u) << log;
  }
}

}  // namespace
}  // namespace ulvo
