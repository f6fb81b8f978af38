// The settings dialog: what it opens with, how its fields are read and
// refused, and what a confirmed dialog changes and writes.
#include "src/editor/settings_dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/editor/frame_run.h"

namespace ulvo {
namespace {

TEST(DialogIntegers, ReadLikeTheFrameworkReadsThem) {
  int32_t v = 0;
  EXPECT_TRUE(ParseDialogInteger(" 12 ", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(ParseDialogInteger("+5", v));
  EXPECT_EQ(v, 5);
  EXPECT_TRUE(ParseDialogInteger("-3", v));
  EXPECT_EQ(v, -3);
  for (const char* bad : {"", "  ", "12abc", "1 2", "abc", "99999999999", "+", "0x10"}) {
    EXPECT_FALSE(ParseDialogInteger(bad, v)) << bad;
  }
  EXPECT_EQ(FormatRangeMessage("%1 から %2 までの整数を入力してください。", 0, 63),
            "0 から 63 までの整数を入力してください。");
}

TEST(SettingsDialogValues, OpenWithTheSettingsAndGiveThemBack) {
  PluginSettings s;
  s.PrevSkip = 4;
  s.FullSkip = 9;  // outside 1..5: no button checked
  s.Ndepth = 20;
  const SettingsDialogValues v = SettingsDialogOpening(s, 77, SettingsBlurLimit(64, 40));
  EXPECT_EQ(v.previewIndex, 3);
  EXPECT_EQ(v.fullIndex, 8);
  EXPECT_EQ(v.focusDepth, 77);
  EXPECT_EQ(v.blurLimit, 63);
  EXPECT_EQ(v.save, 0);
  EXPECT_EQ(SettingsBlurLimit(0, 0), kBlurLimitWithoutPattern);

  SettingsDialogValues confirmed = v;
  confirmed.previewIndex = 1;
  confirmed.fullIndex = -1;  // none checked: the factor stays
  confirmed.focusDepth = 300;
  uint8_t focus = 0;
  ApplySettingsDialog(confirmed, s, focus);
  EXPECT_EQ(s.PrevSkip, 2);
  EXPECT_EQ(s.FullSkip, 9);
  EXPECT_EQ(focus, 300 & 0xff);
}

// Controls held in maps, as a test fills them.
class FakeControls : public DialogControls {
 public:
  std::string Text(int id) override { return texts[id]; }
  void SetText(int id, const std::string& text) override { texts[id] = text; }
  bool Checked(int id) override { return checks[id]; }
  void SetChecked(int id, bool checked) override { checks[id] = checked; }
  void Focus(int id) override { focus = id; }
  void SetListItems(int id, const std::vector<std::string>& items) override { lists[id] = items; }
  int ListSelection(int id) override { return selections.count(id) ? selections[id] : -1; }
  void SetListSelection(int id, int index) override { selections[id] = index; }
  std::map<int, std::string> texts;
  std::map<int, bool> checks;
  std::map<int, std::vector<std::string>> lists;
  std::map<int, int> selections;
  int focus = 0;
};

TEST(SettingsDialog, RefusesTheFirstBadFieldAndTakesNothing) {
  PluginSettings s;
  std::vector<std::string> complaints;
  SettingsDialog dialog(SettingsDialogOpening(s, 0, SettingsBlurLimit(64, 40)),
                        {"整数を入力してください。", "%1 から %2 までの整数を入力してください。"},
                        [&](const std::string& m) { complaints.push_back(m); });
  FakeControls controls;
  dialog.OnInit(controls);
  EXPECT_EQ(controls.texts[1017], "24");
  EXPECT_TRUE(controls.checks[1007]);  // preview precision 1

  controls.texts[1017] = "64";  // one above the pattern's limit
  controls.texts[1016] = "0";   // would fail too, but the exchange stops first
  EXPECT_FALSE(dialog.OnOk(controls));
  ASSERT_EQ(complaints.size(), 1u);
  EXPECT_EQ(complaints[0], "0 から 63 までの整数を入力してください。");
  EXPECT_EQ(controls.focus, 1017);
  EXPECT_EQ(dialog.values().maxBlur, 24);

  controls.texts[1017] = "63";
  controls.texts[1013] = "wide";
  EXPECT_FALSE(dialog.OnOk(controls));
  EXPECT_EQ(complaints.back(), "整数を入力してください。");
  EXPECT_EQ(controls.focus, 1013);

  controls.texts[1013] = "-40";  // any integer is a preview size
  controls.texts[1016] = "128";
  EXPECT_TRUE(dialog.OnOk(controls));
  EXPECT_EQ(dialog.values().maxBlur, 63);
  EXPECT_EQ(dialog.values().previewWidth, -40);
  EXPECT_EQ(dialog.values().depthPrecision, 128);
}

// The dialog in a headless editor run, from the settings command to what
// the view and the store hold afterwards.
struct SettingsRun : FrameRun {
  void Go(const std::string& script) {
    FrameRun::Go(script, {}, [&](HeadlessPlatform& platform, CUlvoPiFrame& frame) {
      settings = frame.GetActiveView()->settings();
      focus = active.ActiveFocusDepth;
      field = platform.controls().ControlText(platform.controls().FindControl(1020));
    });
  }
  PluginSettings settings;
  uint8_t focus = 0;
  std::string field;
};

TEST(SettingsDialogRun, OkAppliesAtOnceAndWritesOnlyKeepPattern) {
  SettingsRun run;
  run.Go(
      "command 32790\n"
      "type 1016 129\nanswer ok\nanswer ok\n"  // refused: 1 .. 128
      "type 1016 128\n"
      "type 1019 256\nanswer ok\nanswer ok\n"  // refused: 0 .. 255
      "type 1019 255\n"
      "check 1004 on\n"   // the fourth preview button
      "check 1026 off\n"  // keep pattern off
      "answer ok");
  EXPECT_NE(run.log.find("\"1 から 128 までの整数を入力してください。\" -> ok"), std::string::npos)
      << run.log;
  EXPECT_NE(run.log.find("\"0 から 255 までの整数を入力してください。\" -> ok"), std::string::npos);
  EXPECT_NE(run.log.find("dialog 135 stays open, focus on 1016"), std::string::npos);
  EXPECT_EQ(run.settings.Ndepth, 128);
  EXPECT_EQ(run.settings.PrevSkip, 4);
  EXPECT_EQ(run.settings.KeepPattern, 0);
  EXPECT_EQ(run.focus, 255);
  EXPECT_EQ(run.field, "255");  // the toolbar's field follows
  // Only "KeepPattern" reaches the store (the tone selections are written
  // when the frame closes).
  EXPECT_EQ(std::get<int32_t>(run.store.values["KeepPattern"]), 0);
  EXPECT_EQ(run.store.values.count("Ndepth"), 0u);
  EXPECT_EQ(run.log.find("All Parameters Saved"), std::string::npos);
}

TEST(SettingsDialogRun, TheSaveBoxWritesEverythingAndCancelNothing) {
  SettingsRun saved;
  saved.Go("command 32781\ntype 1016 30\ncheck 1021 on\nanswer ok\nanswer ok");
  EXPECT_NE(saved.log.find("\"All Parameters Saved\" -> ok"), std::string::npos) << saved.log;
  EXPECT_EQ(std::get<int32_t>(saved.store.values["Ndepth"]), 30);
  EXPECT_EQ(saved.store.values.count("PrevSkip"), 1u);

  SettingsRun cancelled;
  cancelled.Go("command 32802\ntype 1016 30\nanswer cancel");
  EXPECT_EQ(cancelled.settings.Ndepth, 10);
  EXPECT_EQ(cancelled.store.values.count("KeepPattern"), 0u);
  EXPECT_NE(cancelled.log.find("dialog 135 -> cancel"), std::string::npos);
}

// The language list shows the stored choice and hands back the one chosen.
TEST(SettingsDialog, TheLanguageListHoldsTheChoice) {
  PluginSettings s;
  SettingsDialog dialog(SettingsDialogOpening(s, 0, 63, LanguageChoice::kEnglish), {"", ""},
                        [](const std::string&) {}, {"自動", "日本語", "English"});
  FakeControls controls;
  dialog.OnInit(controls);
  EXPECT_EQ(controls.lists[1027], (std::vector<std::string>{"自動", "日本語", "English"}));
  EXPECT_EQ(controls.selections[1027], 2);
  controls.selections[1027] = 1;
  ASSERT_TRUE(dialog.OnOk(controls));
  EXPECT_EQ(ChosenLanguage(dialog.values()), LanguageChoice::kJapanese);
  // No entry chosen (or one the list does not have) is automatic.
  for (const int none : {-1, 3}) {
    controls.selections[1027] = none;
    ASSERT_TRUE(dialog.OnOk(controls));
    EXPECT_EQ(ChosenLanguage(dialog.values()), LanguageChoice::kAutomatic);
  }
}

}  // namespace
}  // namespace ulvo
