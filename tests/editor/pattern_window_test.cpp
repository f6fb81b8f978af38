// The aperture pattern window on the headless platform: when it opens, where
// it goes, what it saves, and what its hidden buttons ask of the view.
#include "src/editor/pattern_window.h"

#include <gtest/gtest.h>

#include "src/resources/editor_ids.h"
#include "tests/editor/frame_run.h"

namespace ulvo {
namespace {

// Hands out what was posted after the editor's loop ended.
void Pump(HeadlessPlatform& platform) {
  Message msg;
  int quit = 0;
  while (platform.queue().pendingMessages() > 0 && platform.queue().NextMessage(msg, quit))
    platform.queue().Dispatch(msg);
}

TEST(PatternWindow, OpensASecondAfterStartWhenKeptOpen) {
  FrameRun run;
  run.store.values["SGUIleft"] = 50;
  run.store.values["SGUItop"] = 60;
  run.Go("sleep 900\nexpect-open\nsleep 200");
  EXPECT_TRUE(run.Logged("dialog 150 opened")) << run.log;
  EXPECT_TRUE(run.Logged("window 150 at 50,60 200x200")) << run.log;
  EXPECT_TRUE(run.Logged("editor activated"));
  // Finishing saves where it is.
  EXPECT_EQ(std::get<int32_t>(run.store.values["SGUIleft"]), 50);
  EXPECT_EQ(std::get<int32_t>(run.store.values["SGUItop"]), 60);

  FrameRun closed;
  closed.store.values["KeepPattern"] = 0;
  closed.Go("sleep 2000");
  EXPECT_FALSE(closed.Logged("dialog 150 opened"));
  EXPECT_EQ(closed.store.values.count("SGUIleft"), 0u);  // nothing to save
}

TEST(PatternWindow, ToggleSavesItsPlaceAndReopensThere) {
  FrameRun run;
  run.store.values["KeepPattern"] = 0;
  bool openAtEnd = true;
  run.Go("command 32789\ncommand 32789\ncommand 32789", {},
         [&](HeadlessPlatform&, CUlvoPiFrame& frame) {
           openAtEnd = frame.GetActiveView()->patternWindow().open();
         });
  EXPECT_TRUE(openAtEnd);
  EXPECT_TRUE(run.Logged("window 150 at 200,200 200x200"));  // the default place
  EXPECT_TRUE(run.Logged("dialog 150 closed"));
  EXPECT_EQ(std::get<int32_t>(run.store.values["SGUIleft"]), 200);
}

TEST(PatternWindow, ItsButtonsAskTheView) {
  FrameRun run;
  run.store.values["KeepPattern"] = 0;
  run.Go("command 32789", {}, [&](HeadlessPlatform& platform, CUlvoPiFrame& frame) {
    PatternWindow& window = frame.GetActiveView()->patternWindow();
    ASSERT_TRUE(window.open());
    platform.windows().Send(window.window(), kMsgCommand, 1023, 0);  // the view's menu
    platform.windows().Send(window.window(), kMsgCommand, ID_ULVO_POPUP_ZOOM_IN,
                            0);  // picked from it
    // Cancel closes it without saving its place (finishing has saved the old one).
    platform.windows().MoveWindowTo(window.window(), Rect{10, 10, 200, 200}, false);
    platform.windows().Send(window.window(), kMsgCommand, 2, 0);
    Pump(platform);
    EXPECT_FALSE(window.open());
    EXPECT_EQ(frame.GetActiveView()->zoomPercent(), 120);
  });
  EXPECT_TRUE(run.Logged("menu 147/0 at -100,-100"));
  EXPECT_EQ(std::get<int32_t>(run.store.values["SGUIleft"]), 200);
}

TEST(PatternWindow, TheSettingsBoxOpensAndClosesIt) {
  FrameRun opened;
  opened.store.values["KeepPattern"] = 0;
  opened.Go("command 32790\ncheck 1026 on\nanswer ok");
  EXPECT_TRUE(opened.Logged("dialog 150 opened"));
  EXPECT_FALSE(opened.Logged("window 150 at"));  // where its template puts it

  FrameRun closed;
  closed.Go("command 32789\ncommand 32790\ncheck 1026 off\nanswer ok");
  EXPECT_TRUE(closed.Logged("dialog 150 closed"));
  EXPECT_EQ(closed.store.values.count("SGUIleft"), 0u);  // closed without saving
}

}  // namespace
}  // namespace ulvo
