// The view's commands end to end on the headless platform: loading the
// aperture pattern, previews and full runs compared with the same regions
// rendered alone, cancelling a render, picking the focus and the keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "src/editor/display_image.h"
#include "src/render/job_render.h"
#include "tests/editor/frame_run.h"
#include "tests/support/apertures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"

namespace ulvo {
namespace {

// A white ellipse filling a width × height colour pattern.
std::string WriteDisc(const TempDir& dir, const std::string& name, int width, int height) {
  const std::string path = dir.file(name);
  EXPECT_TRUE(WriteDiscTiff(path, width, height));
  return path;
}

// An editor on a 160 × 140 picture (big enough for the progress window)
// whose bytes mostly differ, with a disc stored as the last pattern. The
// script is followed by finishing.
struct ViewRun : TestJob {
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 140;

  explicit ViewRun(int planes = 4, int patternWidth = 9, int patternHeight = 9)
      : TestJob(kWidth, kHeight, planes) {
    disc = WriteDisc(dir, "disc.tif", patternWidth, patternHeight);
    run.store.values["OldPatName"] = disc;
    run.store.values["KeepPattern"] = 0;
  }

  void Go(const std::string& script, const std::function<void(CUlvoFilterView&)>& atEnd = {}) {
    run.Go(
        script,
        [&](HeadlessPlatform&, CUlvoPiFrame& frame) {
          frame.GetActiveView()->SetJob(&job, &depth);
          frame.GetActiveView()->TakeOverJob();
        },
        [&](HeadlessPlatform& platform, CUlvoPiFrame& frame) {
          CUlvoFilterView& view = *frame.GetActiveView();
          remainingSteps = platform.player().remainingSteps();
          focusPick = view.focusPick();
          maxBlur = view.settings().MaxDMapSize;
          patternWidth = view.pattern().loaded() ? view.pattern().width() : 0;
          if (atEnd) atEnd(view);
        });
  }

  // What finishing writes after `region` of the source alone is rendered
  // with the view's pattern and the run's values.
  std::vector<uint8_t> RenderedAlone(const CUlvoFilterView& view, DisplayRegion region, int blur,
                                     int16_t skip) const {
    RenderSource source{in.data(), job.planes, job.rowBytes, kWidth, kHeight};
    const ViewPattern& p = view.pattern();
    RenderValues values;
    values.large_levels = view.settings().Ndepth;
    values.max_blur = blur;
    values.focus_depth = run.active.ActiveFocusDepth;
    values.hardness = run.active.ActiveHardness;
    values.brightness = run.active.ActiveBrightness;
    values.skip = skip;
    DisplayImage display;
    EXPECT_TRUE(display.TakeIn(job));
    RenderJobRegion(source, RenderPattern{p.pixels(), p.width(), p.height(), p.stride()}, values,
                    region, RenderTarget{display.pixels(), static_cast<int>(display.stride())},
                    nullptr);
    std::vector<uint8_t> result(in.size(), 0);
    FilterJob copy = job;
    copy.outData = result.data();
    display.CopyToOutput(copy);
    return result;
  }

  TempDir dir;
  std::string disc;
  DepthBuffer depth;
  FrameRun run;
  size_t remainingSteps = 0;
  bool focusPick = false;
  int maxBlur = 0;
  int patternWidth = 0;
};

TEST(ViewCommands, TheStoredPatternFirstThenTheOpenFileDialog) {
  ViewRun kept;
  const std::string wide = WriteDisc(kept.dir, "wide.tif", 15, 9);
  kept.run.store.values["PatDir"] = kept.dir.path().string();
  kept.Go("command 32771\nanswer cancel");
  EXPECT_EQ(kept.patternWidth, 9);  // the stored one, kept after the cancel
  EXPECT_EQ(kept.maxBlur, 8);
  EXPECT_TRUE(kept.run.Logged("open-file \"Select an Ulvo file\" in \"" + kept.dir.path().string() +
                              "\" (TIFF (*.TIF)|*.TIF||) -> cancel"))
      << kept.run.log;
  EXPECT_EQ(kept.run.log.find("open-file"), kept.run.log.rfind("open-file"));  // none at start
  EXPECT_EQ(std::get<std::string>(kept.run.store.values["OldPatName"]), kept.disc);

  for (const char* command : {"command 32778", "command 32800"}) {
    ViewRun chosen;
    chosen.run.store.values["MaxDMapSize"] = 3;
    chosen.Go(std::string(command) + "\nopen-file " + wide);
    EXPECT_EQ(chosen.patternWidth, 15) << command;
    EXPECT_EQ(chosen.maxBlur, 14);  // the larger side less one
    EXPECT_EQ(std::get<std::string>(chosen.run.store.values["OldPatName"]), wide);
  }
}

// Without a stored pattern at start the first load asks; so must the next.
TEST(ViewCommands, AfterAChosenPatternTheNextLoadAsksAgain) {
  ViewRun r;
  r.run.store.values.erase("OldPatName");
  const std::string wide = WriteDisc(r.dir, "wide.tif", 15, 9);
  r.Go("command 32771\nopen-file " + r.disc + "\ncommand 32771\nopen-file " + wide);
  EXPECT_EQ(r.patternWidth, 15) << r.run.log;
  EXPECT_EQ(r.run.log.find("without a dialog"), std::string::npos);
}

TEST(ViewCommands, WithoutAPatternAFullRunAsksForOneAndAClickLoadsOne) {
  for (const bool unwanted : {true, false}) {
    ViewRun r;
    if (unwanted) {
      r.run.store.values["UseOldPat"] = 0;
    } else {
      r.run.store.values.erase("OldPatName");
    }
    r.Go("command 32772\nanswer ok\nclick 30 20\nanswer cancel");
    EXPECT_TRUE(r.run.Logged("dialog \"")) << r.run.log;
    EXPECT_NE(r.run.log.find("\"Please read Ulvo Shape File\" -> ok"), std::string::npos);
    EXPECT_TRUE(r.run.Logged("open-file \"Select an Ulvo file\"")) << r.run.log;
    EXPECT_EQ(r.patternWidth, 0);
    EXPECT_EQ(r.out, r.in);  // nothing was rendered
    EXPECT_EQ(r.run.log.find("dialog 106"), std::string::npos);
  }
}

// Client y 20 is row 119 counted from the bottom: the 100 × 100 preview
// covers columns 0..79 and rows 69..139.
TEST(ViewCommands, APreviewRendersItsRectangleAloneAndRestoreUndoesIt) {
  ViewRun r;
  r.run.store.values["PrevSkip"] = 2;
  std::vector<uint8_t> expected;
  r.Go("click 30 20", [&](CUlvoFilterView& view) {
    expected = r.RenderedAlone(view, DisplayRegion{0, 69, 80, 71}, 8, 2);
  });
  EXPECT_EQ(r.job.accepted, 1);
  EXPECT_NE(expected, r.in);
  EXPECT_EQ(r.out, expected);
  EXPECT_TRUE(r.run.Logged("wait cursor"));
  EXPECT_FALSE(r.run.Logged("dialog 106 opened"));

  for (const char* restore : {"command 57643", "command 32780", "command 32803"}) {
    ViewRun undone;
    undone.Go(std::string("click 30 20\n") + restore);
    EXPECT_EQ(undone.out, undone.in) << restore;
  }
}

// A 15 × 9 pattern: loading makes the widest blur 14, the full run fits it
// to 9 - 2.
TEST(ViewCommands, AFullRunRendersThePictureAloneAndEndsTheEditor) {
  for (const char* start :
       {"command 32772", "command 32779", "command 32816", "post view 0x407", "key 0x0D"}) {
    ViewRun r(4, 15, 9);
    r.run.store.values["EnterExec"] = 1;
    r.run.store.values["PrevSkip"] = 3;
    std::vector<uint8_t> expected;
    r.Go(start, [&](CUlvoFilterView& view) {
      expected = r.RenderedAlone(view, DisplayRegion{0, 0, 160, 140}, 7, 1);
    });
    EXPECT_EQ(r.maxBlur, 7) << start;
    EXPECT_EQ(r.job.accepted, 1);
    EXPECT_EQ(r.remainingSteps, 1u);  // quick end finished before the script did
    EXPECT_NE(expected, r.in);
    EXPECT_EQ(r.out, expected) << start;
    EXPECT_TRUE(r.run.Logged("dialog 106 opened"));
    EXPECT_TRUE(r.run.Logged("dialog 106 closed"));
    EXPECT_TRUE(r.run.Logged("editor disabled"));
    EXPECT_TRUE(r.run.Logged("editor enabled"));
  }

  ViewRun noEnter;  // Enter is only a key without EnterExec
  noEnter.Go("key 0x0D");
  EXPECT_EQ(noEnter.remainingSteps, 0u);
  EXPECT_EQ(noEnter.out, noEnter.in);

  ViewRun stays;  // without quick end the editor waits for the finish
  stays.run.store.values["QuickEnd"] = 0;
  stays.Go("command 32772");
  EXPECT_EQ(stays.remainingSteps, 0u);
  EXPECT_EQ(stays.job.accepted, 1);
  EXPECT_NE(stays.out, stays.in);
}

TEST(ViewCommands, ACancelledFullRunRestoresTheSourceAndNoCarriesOn) {
  const std::string question = "\"本当にフィルタ作業を中止しますか？\" -> ";
  ViewRun cancelled(4, 15, 9);
  cancelled.Go("command 32772\nanswer cancel\nanswer yes");
  EXPECT_NE(cancelled.run.log.find(question + "yes"), std::string::npos) << cancelled.run.log;
  EXPECT_EQ(cancelled.remainingSteps, 0u);  // the editor stayed open for the finish
  EXPECT_EQ(cancelled.job.accepted, 1);
  EXPECT_EQ(cancelled.out, cancelled.in);
  EXPECT_TRUE(cancelled.run.Logged("editor enabled"));

  ViewRun carriedOn(4, 15, 9);
  std::vector<uint8_t> expected;
  carriedOn.Go("command 32772\nanswer cancel\nanswer no", [&](CUlvoFilterView& view) {
    expected = carriedOn.RenderedAlone(view, DisplayRegion{0, 0, 160, 140}, 7, 1);
  });
  EXPECT_NE(carriedOn.run.log.find(question + "no"), std::string::npos) << carriedOn.run.log;
  EXPECT_EQ(carriedOn.remainingSteps, 1u);
  EXPECT_EQ(carriedOn.out, expected);
}

TEST(ViewCommands, FocusPickTakesTheClickedPixelsDepth) {
  // Client (10, 20) is column 10 of row 119; the depth is a pixel's first byte.
  ViewRun r;
  r.Go("command 40013\nclick 10 20");
  EXPECT_EQ(r.run.active.ActiveFocusDepth, r.in[119 * r.job.rowBytes + 10 * 4]);
  EXPECT_NE(r.run.active.ActiveFocusDepth, 0);
  EXPECT_FALSE(r.focusPick);
  EXPECT_EQ(r.out, r.in);  // the click previewed nothing

  ViewRun outside;  // beyond the image the mode stays on
  outside.Go("command 40013\nclick 200 20\nclick 10 150");
  EXPECT_TRUE(outside.focusPick);
  EXPECT_EQ(outside.run.active.ActiveFocusDepth, 0);

  ViewRun twice;  // the command toggles
  twice.Go("command 40013\ncommand 40013");
  EXPECT_FALSE(twice.focusPick);

  ViewRun colourOnly(3);  // no depth anywhere: the mode does not go on
  colourOnly.Go("command 40013");
  EXPECT_FALSE(colourOnly.focusPick);

  ViewRun separate(3);  // three planes with a depth map of their own
  std::vector<uint8_t> map(160 * 140);
  for (size_t k = 0; k < map.size(); ++k) map[k] = static_cast<uint8_t>(k * 7 + 3);
  separate.depth = DepthBuffer{map.data(), static_cast<int32_t>(map.size()), 160};
  separate.Go("command 40013\nclick 10 20");
  EXPECT_EQ(separate.run.active.ActiveFocusDepth, map[119 * 160 + 10]);
  EXPECT_FALSE(separate.focusPick);
}

TEST(ViewCommands, EscapeAsksBeforeQuittingWhenQuickQuitIsOff) {
  ViewRun kept;
  kept.run.store.values["QuickQuit"] = 0;
  kept.Go("key 0x1B\nanswer cancel");
  EXPECT_TRUE(kept.run.Logged("dialog \"Quitting\" \"変更を破棄して戻りますか？\" -> cancel"))
      << kept.run.log;
  EXPECT_EQ(kept.remainingSteps, 0u);
  EXPECT_EQ(kept.job.accepted, 1);

  ViewRun left;
  left.run.store.values["QuickQuit"] = 0;
  left.job.accepted = 1;
  left.Go("key 0x1B\nanswer ok");
  EXPECT_EQ(left.remainingSteps, 1u);
  EXPECT_EQ(left.job.accepted, 0);
}

}  // namespace
}  // namespace ulvo
