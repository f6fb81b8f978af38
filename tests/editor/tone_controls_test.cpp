// The frame's tone controls: the lists, the selection a run starts with, the
// focus field's reading and the pattern name of the status bar; then the
// controls at work in a headless editor run.
#include "src/editor/tone_controls.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "src/editor/depth_notice_text.h"
#include "src/editor/headless/headless_strings.h"
#include "src/resources/editor_ids.h"
#include "tests/editor/frame_run.h"

namespace ulvo {
namespace {

TEST(ToneControls, ListsHoldTheToolbarValues) {
  const std::vector<std::string> hardness = HardnessTexts();
  ASSERT_EQ(hardness.size(), 20u);
  EXPECT_EQ(hardness.front(), "0.5");
  EXPECT_EQ(hardness[11], "1.6");
  EXPECT_EQ(hardness.back(), "6.0");
  EXPECT_EQ(BrightnessTexts(), (std::vector<std::string>{"0.3", "0.5", "1.0", "1.5", "2.0", "2.5",
                                                         "3.0", "3.5", "4.0"}));
  EXPECT_EQ(HardnessValue(11), 1.6f);
  EXPECT_GE(HardnessValue(11), 1.55f);  // the exponential curve from here on
  EXPECT_LT(HardnessValue(10), 1.55f);
  EXPECT_EQ(HardnessValue(kDefaultHardnessIndex), 1.0f);
  EXPECT_EQ(BrightnessValue(kDefaultBrightnessIndex), 1.0f);
}

TEST(ToneControls, OnlyARepeatedRunStartsWithTheStoredSelection) {
  EXPECT_EQ(StartIndex(true, 11, kHardnessCount, 5), 11);
  EXPECT_EQ(StartIndex(false, 11, kHardnessCount, 5), 5);
  EXPECT_EQ(StartIndex(true, 12, kBrightnessCount, 2), 2);
  EXPECT_EQ(StartIndex(true, -1, kBrightnessCount, 2), 2);
  EXPECT_EQ(StartIndex(true, std::nullopt, kBrightnessCount, 2), 2);
}

TEST(ToneControls, FocusFieldIsReadLikePercentDAndHeldToADepth) {
  EXPECT_EQ(ReadFocusField("300", 7).value, 255);
  EXPECT_TRUE(ReadFocusField("300", 7).rewrite);
  EXPECT_EQ(ReadFocusField("-5", 7).value, 0);
  EXPECT_TRUE(ReadFocusField("-5", 7).rewrite);
  EXPECT_EQ(ReadFocusField("12x", 7).value, 12);
  EXPECT_FALSE(ReadFocusField("12x", 7).rewrite);
  EXPECT_EQ(ReadFocusField("abc", 7).value, 7);
  EXPECT_EQ(ReadFocusField("", 7).value, 7);
  EXPECT_EQ(ReadFocusField("99999", 7).value, 255);  // only three characters are read: 999
}

TEST(ToneControls, PatternNameIsItsFolderAndFile) {
  EXPECT_EQ(ShortPatternName("C:\\patterns\\disc\\f2.tif"), "disc\\f2.tif");
  EXPECT_EQ(ShortPatternName("C:\\f2.tif"), "C:\\f2.tif");
  EXPECT_EQ(ShortPatternName("f2.tif"), "f2.tif");
  EXPECT_EQ(ShortPatternName("/home/me/patterns/hex.tif"), "patterns/hex.tif");
  EXPECT_EQ(ShortPatternName(""), "");
}

// What the tone controls showed at the start of a run and at its end.
struct ToneRun : FrameRun {
  explicit ToneRun(bool repeated = false, bool depth = true) {
    active.ActiveRepeat = repeated ? 1 : 0;
    active.DepthAvailable = depth;
  }
  void Go(const std::string& script) {
    FrameRun::Go(
        script,
        [&](HeadlessPlatform& platform, CUlvoPiFrame& frame) {
          startHardness = frame.hardnessIndex();
          startBrightness = frame.brightnessIndex();
          const WindowId field = platform.controls().FindControl(IDC_ULVO_FOCUS);
          readOnly = platform.controls().readOnly(field);
          fieldAtStart = platform.controls().ControlText(field);
          hardnessItems = platform.controls()
                              .listItems(platform.controls().FindControl(IDC_ULVO_HARDNESS))
                              .size();
          statusPane = platform.controls().statusText(0);
          noticePane = platform.controls().statusText(1);
        },
        [&](HeadlessPlatform& platform, CUlvoPiFrame& frame) {
          field_ = platform.controls().ControlText(platform.controls().FindControl(IDC_ULVO_FOCUS));
          toolbarShown = platform.controls().BarShown(frame.toolbar());
        });
  }
  int startHardness = -1, startBrightness = -1;
  bool readOnly = false, toolbarShown = true;
  std::string fieldAtStart, field_, statusPane, noticePane;
  size_t hardnessItems = 0;
};

TEST(FrameToneControls, ARepeatedRunTakesUpTheStoredSelections) {
  ToneRun repeated(true);
  repeated.store.values["NomKatasa"] = 11;
  repeated.store.values["NomAkarusa"] = 12;  // not an entry: the default
  repeated.Go("");
  EXPECT_EQ(repeated.startHardness, 11);
  EXPECT_EQ(repeated.startBrightness, 2);
  EXPECT_EQ(repeated.active.ActiveHardness, 1.6f);
  EXPECT_EQ(repeated.hardnessItems, 20u);

  ToneRun fresh(false);
  fresh.store.values["NomKatasa"] = 11;
  fresh.Go("");
  EXPECT_EQ(fresh.startHardness, 5);
  EXPECT_EQ(fresh.active.ActiveHardness, 1.0f);
}

TEST(FrameToneControls, ChoosingSetsTheToneAndIsKeptForTheNextRun) {
  ToneRun run;
  run.Go("choose 1005 16\nchoose 1004 7");
  EXPECT_EQ(run.active.ActiveHardness, 3.0f);
  EXPECT_EQ(run.active.ActiveBrightness, 3.5f);
  EXPECT_EQ(std::get<int32_t>(run.store.values["NomKatasa"]), 16);
  EXPECT_EQ(std::get<int32_t>(run.store.values["NomAkarusa"]), 7);
  EXPECT_NE(run.log.find("ui: choose 1005 \"3.0\""), std::string::npos) << run.log;
}

TEST(FrameToneControls, TheFocusFieldHoldsDepthsAndShowsWhatItHeld) {
  ToneRun high;
  high.store.values["OnFocusDepth"] = 40;
  high.Go("type 1020 300");
  EXPECT_EQ(high.fieldAtStart, "40");
  EXPECT_EQ(high.active.ActiveFocusDepth, 255);
  EXPECT_EQ(high.field_, "255");

  ToneRun low;
  low.Go("type 1020 -5");
  EXPECT_EQ(low.active.ActiveFocusDepth, 0);
  EXPECT_EQ(low.field_, "0");

  ToneRun plain;
  plain.Go("type 1020 77");
  EXPECT_EQ(plain.active.ActiveFocusDepth, 77);
  EXPECT_EQ(plain.field_, "77");
}

TEST(FrameToneControls, WithoutDepthTheFocusFieldIsEmptyAndReadOnly) {
  ToneRun run(false, false);
  run.store.values["OnFocusDepth"] = 90;
  run.Go("type 1020 12");
  EXPECT_TRUE(run.readOnly);
  EXPECT_EQ(run.fieldAtStart, "");
  EXPECT_EQ(run.field_, "");
  EXPECT_EQ(run.active.ActiveFocusDepth, 90);
  EXPECT_NE(run.log.find("ui: type 1020: the field is read-only"), std::string::npos);
}

// Without depth the whole image is blurred evenly; the second pane says so
// before anything is rendered, with the reason when one is known.
TEST(FrameToneControls, WithoutDepthTheStatusBarSaysWhy) {
  ToneRun withDepth;
  withDepth.active.depthNotice = DepthNotice::kHandOffOtherRun;  // has its depth all the same
  withDepth.Go("");
  EXPECT_EQ(withDepth.noticePane, "");

  std::set<std::string> texts;
  for (const DepthNotice notice :
       {DepthNotice::kNone, DepthNotice::kNoDepth, DepthNotice::kHandOffMissing,
        DepthNotice::kHandOffOtherSize, DepthNotice::kHandOffOtherRun, DepthNotice::kHandOffChanged,
        DepthNotice::kHandOffDamaged}) {
    ToneRun run(false, false);
    run.active.depthNotice = notice;
    run.Go("status");
    EXPECT_EQ(run.noticePane,
              HeadlessStringResource(DepthNoticeTextId(notice), UiLanguage::kJapanese));
    EXPECT_NE(run.noticePane.find("画像全体を均一にぼかします"), std::string::npos);
    EXPECT_NE(run.log.find("ui: status 1 \"" + run.noticePane + "\""), std::string::npos)
        << run.log;
    texts.insert(run.noticePane);
  }
  // kNone and kNoDepth say the same; every reason has its own text.
  EXPECT_EQ(texts.size(), 6u);
}

TEST(FrameToneControls, StatusBarShowsThePatternAndBarsCanBeSwitched) {
  ToneRun run;
  run.store.values["OldPatName"] = std::string("C:\\patterns\\disc\\f2.tif");
  run.Go("command 59392");
  EXPECT_EQ(run.statusPane, "disc\\f2.tif");
  EXPECT_FALSE(run.toolbarShown);
  EXPECT_NE(run.log.find("ui: bar 59392 hidden"), std::string::npos) << run.log;
}

// Pointing at a menu item shows its prompt in the second pane until the
// menu closes; the right-click menu's items too. The View menu's bar items
// carry a check while their bar shows.
TEST(FrameToneControls, MenuItemsPromptAndTheBarItemsShowTheirState) {
  ToneRun run(false, false);
  run.Go(
      "post frame 0x11F 32772 1\npost frame 0x11F 0x00100002 1\npost view 0x11F 32800 1\n"
      "post frame 0x11F 0xFFFF0000 0\ncommand 59393\ncommand 59393\n");
  const std::string prompts[] = {"ui: prompt \"全体にUlvoFilterを実行する\"", "ui: prompt ended",
                                 "ui: prompt \"絞りパターンを読み込む\"", "ui: prompt ended"};
  size_t at = 0;
  for (const std::string& line : prompts) {
    at = run.log.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << "\n" << run.log;
    ++at;
  }
  for (const char* check :
       {"ui: menu check 59392 on", "ui: menu check 59393 on", "ui: menu check 59393 off"}) {
    EXPECT_NE(run.log.find(check), std::string::npos) << check << "\n" << run.log;
  }
  EXPECT_LT(run.log.find("ui: menu check 59393 off"), run.log.rfind("ui: menu check 59393 on"));
  // The notice of the run without depth is the pane's own text throughout.
  EXPECT_EQ(run.noticePane,
            HeadlessStringResource(IDS_ULVO_NOTICE_NO_DEPTH, UiLanguage::kJapanese));
}

}  // namespace
}  // namespace ulvo
