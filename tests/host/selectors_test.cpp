#include "src/host/selectors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <vector>

#include "src/host/depth_file.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_services.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace ulvo {
namespace {

using pi::kSelectorContinue;
using pi::kSelectorFinish;
using pi::kSelectorParameters;
using pi::kSelectorPrepare;
using pi::kSelectorStart;

class Selectors : public ::testing::Test {
 protected:
  TempDir dir;
  EntryState state;
  FakeServices services{dir / "alpha.dat"};

  // One whole run: start and continue, then finish. Returns the continue result.
  int16_t Run(FakeHost& host, int32_t planes, bool withParameters = true) {
    if (withParameters) {
      EXPECT_EQ(host.Call(state, services, kSelectorParameters), 0);
    }
    EXPECT_EQ(host.Call(state, services, kSelectorPrepare), 0);
    EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
    host.Deliver(planes, [](int x, int y, int k) { return uint8_t(x * 16 + y * 4 + k); });
    const int16_t result = host.Call(state, services, kSelectorContinue);
    EXPECT_EQ(host.Call(state, services, kSelectorFinish), 0);
    return result;
  }
};

TEST_F(Selectors, NullRecordAndUnknownSelectors) {
  int16_t result = 77;
  intptr_t slot = 0;
  for (int16_t selector = -1; selector <= 7; ++selector) {
    RunSelector(state, services, selector, nullptr, &slot, &result);
  }
  EXPECT_EQ(result, 77);
  EXPECT_EQ(services.aboutBoxes, 0);

  FakeHost host(pi::kModeRGB, 3, 8, 8);
  for (int16_t selector : {-1, 6, 100, 32767}) {
    EXPECT_EQ(host.Call(state, services, selector), 0);
  }
  EXPECT_EQ(host.record.maxSpace, 0);
  EXPECT_EQ(services.editorRuns, 0);

  pi::AboutRecord about{};
  RunSelector(state, services, pi::kSelectorAbout, &about, &slot, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(services.aboutBoxes, 1);
  // Null result and data pointers are tolerated.
  RunSelector(state, services, pi::kSelectorAbout, &about, nullptr, nullptr);
  RunSelector(state, services, kSelectorFinish, &host.record, nullptr, nullptr);
}

TEST_F(Selectors, PrepareAnswersMemoryAndRepeatFlag) {
  FakeHost host(pi::kModeRGB, 3, 8, 8);
  host.record.maxSpace = 0x7FFFFFFF;
  host.record.bufferSpace = 1234;
  EXPECT_EQ(host.Call(state, services, kSelectorPrepare), 0);
  EXPECT_EQ(host.record.maxSpace, 512);
  EXPECT_EQ(host.record.bufferSpace, 0);
  // The first run after loading without parameters repeats the last filter.
  EXPECT_EQ(state.job.repeat, 1);
  EXPECT_EQ(host.Call(state, services, kSelectorFinish), 0);

  Run(host, 3, true);
  EXPECT_EQ(services.seenRepeat, 0);
  for (int i = 0; i < 3; ++i) {
    Run(host, 3, false);
    EXPECT_EQ(services.seenRepeat, 1);
  }
  Run(host, 3, true);
  EXPECT_EQ(services.seenRepeat, 0);
}

TEST_F(Selectors, StartRequestsPaddedRectangleWithAllPlanes) {
  FakeHost host(pi::kModeRGB, 3, 5, 7);
  host.record.inNonLayerPlanes = 1;
  host.record.filterRect = {2, 10, 9, 15};
  host.record.wantsAbsolute = 1;
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  const pi::Rect expect{2, 10, 9, 18};  // width 5 gets 3 pixels of pad
  for (const pi::Rect* r : {&host.record.inRect, &host.record.outRect, &host.record.maskRect}) {
    EXPECT_EQ(std::memcmp(r, &expect, sizeof expect), 0);
  }
  EXPECT_EQ(host.record.inRowBytes, 24);
  EXPECT_EQ(host.record.outRowBytes, 24);
  EXPECT_EQ(host.record.maskRowBytes, 24);
  EXPECT_EQ(host.record.inLoPlane, 0);
  EXPECT_EQ(host.record.inHiPlane, 3);
  EXPECT_EQ(host.record.outHiPlane, 3);
  EXPECT_EQ(host.record.wantsAbsolute, 0);
  EXPECT_EQ(host.record.inputRate, 0x10000);
  EXPECT_EQ(host.record.maskRate, 0x10000);
  EXPECT_EQ(host.record.inputPadding, 0);
  const FilterJob& job = state.job;
  EXPECT_EQ(job.width, 5);
  EXPECT_EQ(job.paddedWidth, 8);
  EXPECT_EQ(job.height, 7);
  EXPECT_EQ(job.left, 10);
  EXPECT_EQ(job.right, 18);
  EXPECT_EQ(job.top, 2);
  EXPECT_EQ(job.bottom, 9);
  EXPECT_EQ(job.planes, 4);

  // With a selection the request follows its bounds, truncated to 16 bits.
  host.record.documentInfo = &host.document;
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  EXPECT_EQ(host.record.inRect.right, 18);  // no selection descriptor yet
  host.document.selection = &host.selection;
  host.selection.bounds = {0x10001, 4, 0x10003, 10};
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  const pi::Rect selected{1, 4, 3, 12};  // width 6 gets 2 pixels of pad
  EXPECT_EQ(std::memcmp(&host.record.maskRect, &selected, sizeof selected), 0);
}

TEST_F(Selectors, StartRefusesModesPerHost) {
  FakeHost grey(pi::kModeGray, 1, 8, 8);
  FakeHost cmyk(pi::kModeCMYK, 4, 8, 8);
  EXPECT_EQ(grey.Call(state, services, kSelectorStart), 0);
  EXPECT_EQ(cmyk.Call(state, services, kSelectorStart), pi::kFilterBadMode);
  EXPECT_EQ(cmyk.record.inRect.right, 0);  // nothing else changed

  services.hostPath = "C:\\Tools\\psp.exe";
  grey.Call(state, services, kSelectorParameters);
  EXPECT_EQ(cmyk.Call(state, services, kSelectorStart), 0);

  services.hostPath = "C:\\Tools\\PHOTOSLE.EXE";
  grey.Call(state, services, kSelectorParameters);
  EXPECT_EQ(grey.Call(state, services, kSelectorStart), pi::kFilterBadMode);

  // An unrecognised path keeps the kind recognised before.
  services.hostPath = "C:\\Tools\\other.exe";
  grey.Call(state, services, kSelectorParameters);
  EXPECT_EQ(state.hostKind, HostKind::kPhotosle);

  FakeHost noPlanes(pi::kModeRGB, 0, 8, 8);
  EXPECT_EQ(noPlanes.Call(state, services, kSelectorStart), pi::kFilterBadMode);
}

TEST_F(Selectors, AcceptedRunBlendsAndReturnsHostOrder) {
  FakeHost host(pi::kModeRGB, 3, 4, 2);
  services.editor = [](FilterJob& job) {
    std::memset(job.outData, 200, static_cast<size_t>(job.rowBytes * job.height));
    job.accepted = 1;
  };
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  host.Deliver(3, [](int, int, int) { return uint8_t(100); });
  host.mask = {0, 128, 255, 255, /* row 1 */ 255, 255, 255, 255};
  host.record.maskData = host.mask.data();
  host.record.maskRowBytes = 4;
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), 0);
  EXPECT_TRUE(host.RequestCleared());
  const uint8_t expectRow0[] = {100, 150, 200, 200};
  for (int x = 0; x < 4; ++x) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(host.out[x * 3 + k], expectRow0[x]);
      EXPECT_EQ(host.out[12 + x * 3 + k], 200);
    }
  }
  EXPECT_EQ(host.Call(state, services, kSelectorFinish), 0);
}

TEST_F(Selectors, CancelledRunReportsTwoAndLeavesOutputAlone) {
  FakeHost host(pi::kModeRGB, 3, 4, 2);
  services.editor = [](FilterJob& job) { job.outData[0] = 42; };
  EXPECT_EQ(Run(host, 3), kResultCancelled);
  EXPECT_EQ(host.out[0], 42);
  EXPECT_TRUE(host.RequestCleared());
}

// An editor that could not open for lack of memory is the host's
// out-of-memory result, even for the host that is asked for a second call.
TEST_F(Selectors, EditorOutOfMemoryReportsMemFull) {
  services.hostPath = "C:\\Tools\\Photosle.exe";
  services.editorResult = EditorResult::kOutOfMemory;
  FakeHost host(pi::kModeRGB, 3, 4, 2);
  EXPECT_EQ(Run(host, 3), pi::kMemFullErr);
  EXPECT_TRUE(host.RequestCleared());
  EXPECT_EQ(services.printed, "");
}

TEST_F(Selectors, ContinueOutOfOrderOrWithoutBuffersIsRefused) {
  FakeHost host(pi::kModeRGB, 3, 4, 2);
  host.Deliver(3, [](int, int, int) { return uint8_t(1); });
  host.record.inRect = {0, 0, 2, 4};
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), pi::kFilterBadParameters);
  EXPECT_TRUE(host.RequestCleared());
  EXPECT_EQ(services.editorRuns, 0);

  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  host.record.inData = nullptr;
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), pi::kFilterBadParameters);
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  host.Deliver(3, [](int, int, int) { return uint8_t(1); });
  host.record.outRowBytes = 8;  // output rows shorter than input rows
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), pi::kFilterBadParameters);
  EXPECT_EQ(services.editorRuns, 0);
  EXPECT_EQ(host.in, std::vector<uint8_t>(24, 1));

  // Finish without start, twice: nothing to free, nothing breaks.
  EXPECT_EQ(host.Call(state, services, kSelectorFinish), 0);
  EXPECT_EQ(host.Call(state, services, kSelectorFinish), 0);
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), pi::kFilterBadParameters);
}

// A host whose rows lie far apart: the donor stores rows as long as their
// pixels, so the file stays small and a colour run of the same size reads it.
TEST_F(Selectors, DonorRunStoresRowsAsLongAsTheirPixels) {
  FakeHost grey(pi::kModeGray, 1, 6, 3);
  EXPECT_EQ(grey.Call(state, services, kSelectorStart), 0);
  grey.in.assign(1000 * 2 + 8, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) grey.in[static_cast<size_t>(y) * 1000 + x] = uint8_t(10 * y + x);
  }
  grey.out = grey.in;
  grey.record.inData = grey.in.data();
  grey.record.outData = grey.out.data();
  grey.record.inRowBytes = grey.record.outRowBytes = 1000;
  EXPECT_EQ(grey.Call(state, services, kSelectorContinue), 0);
  EXPECT_EQ(services.depthMessages, 1);
  EXPECT_EQ(std::filesystem::file_size(dir / "alpha.dat"), 16u + 3u * 8u);

  FakeHost colour(pi::kModeRGB, 3, 6, 3);
  colour.slot = grey.slot;
  Run(colour, 3);
  ASSERT_EQ(services.seenDepthSize, 24);
  EXPECT_EQ(services.seenDepth[0], 20);  // image row 2, column 0
  EXPECT_EQ(services.seenDepth[16 + 5], 5);
}

TEST_F(Selectors, DonorRunHandsDepthToLaterColourRuns) {
  FakeHost grey(pi::kModeGray, 1, 6, 3);
  EXPECT_EQ(grey.Call(state, services, kSelectorStart), 0);
  grey.Deliver(1, [](int x, int y, int) { return uint8_t(x < 6 ? 10 * y + x : 0); });
  EXPECT_EQ(grey.Call(state, services, kSelectorContinue), 0);
  EXPECT_TRUE(grey.RequestCleared());
  EXPECT_EQ(services.editorRuns, 0);
  EXPECT_EQ(services.depthMessages, 1);
  EXPECT_NE(grey.slot, 0);
  EXPECT_EQ(grey.Call(state, services, kSelectorFinish), 0);

  DepthFileInfo info;
  ASSERT_EQ(ReadDepthFileInfo(dir / "alpha.dat", &info), DepthFileStatus::kOk);
  EXPECT_EQ(info.width, 6);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.rowBytes, 8);  // 6 pixels + 2 of pad

  // A colour run of the same size in the same host process reads it back,
  // bottom row first like its own input.
  FakeHost colour(pi::kModeRGB, 3, 6, 3);
  colour.slot = grey.slot;
  EXPECT_EQ(Run(colour, 3), kResultCancelled);
  ASSERT_EQ(services.seenDepthSize, 24);
  EXPECT_EQ(services.seenDepth[0], 20);  // image row 2, column 0
  EXPECT_EQ(services.seenDepth[8 + 5], 15);
  EXPECT_EQ(services.seenDepth[16 + 6], 0);  // pad pixels come from the host as zero

  // Other sizes run without a depth map.
  FakeHost other(pi::kModeRGB, 3, 7, 3);
  other.slot = grey.slot;
  Run(other, 3);
  EXPECT_EQ(services.seenDepthSize, 0);

  // An image with its own depth plane forgets the hand-off.
  FakeHost four(pi::kModeRGB, 4, 6, 3);
  four.slot = grey.slot;
  Run(four, 4);
  EXPECT_EQ(four.slot, 0);
  EXPECT_EQ(services.seenDepthSize, 0);

  // Without the mark in the slot the file is not looked at.
  FakeHost unmarked(pi::kModeRGB, 3, 6, 3);
  Run(unmarked, 3);
  EXPECT_EQ(services.seenDepthSize, 0);
}

TEST_F(Selectors, DonorRunThatCannotWriteAnywhereSaysSoAndMarksNothing) {
  std::filesystem::create_directory(dir / "alpha.dat.tmp");
  FakeHost grey(pi::kModeGray, 1, 4, 2);
  EXPECT_EQ(Run(grey, 1), 0);
  EXPECT_EQ(services.depthMessages, 0);
  EXPECT_EQ(services.notSavedMessages, 1);
  EXPECT_EQ(grey.slot, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "alpha.dat"));

  // Nor does a per-user folder that cannot be made.
  std::ofstream(dir / "user").put('x');
  services.fallbackFile = dir / "user" / "alpha.dat";
  EXPECT_EQ(Run(grey, 1), 0);
  EXPECT_EQ(services.depthMessages, 0);
  EXPECT_EQ(services.notSavedMessages, 2);
  EXPECT_EQ(grey.slot, 0);
  FakeHost colour(pi::kModeRGB, 3, 4, 2);
  Run(colour, 3);
  EXPECT_EQ(services.seenDepthSize, 0);
}

// Where the current folder refuses new files the map goes to the per-user
// folder, the user is told where, and colour runs find it there.
TEST_F(Selectors, DonorRunFallsBackToThePerUserFolder) {
  std::filesystem::create_directory(dir / "alpha.dat.tmp");
  services.fallbackFile = dir / "user" / "state" / "alpha.dat";
  FakeHost grey(pi::kModeGray, 1, 4, 2);
  EXPECT_EQ(Run(grey, 1), 0);
  EXPECT_EQ(services.depthMessages, 1);
  EXPECT_EQ(services.depthElsewhere, std::filesystem::absolute(services.fallbackFile));
  EXPECT_NE(grey.slot, 0);
  DepthFileInfo info;
  ASSERT_EQ(ReadDepthFileInfo(services.fallbackFile, &info), DepthFileStatus::kOk);

  // A later colour run in a fresh module (a host that unloaded it) looks in
  // the current folder first, then the per-user folder.
  EntryState reloaded;
  FakeHost colour(pi::kModeRGB, 3, 4, 2);
  colour.slot = grey.slot;
  colour.Call(reloaded, services, kSelectorStart);
  colour.Deliver(3, [](int, int, int) { return uint8_t(0); });
  colour.Call(reloaded, services, kSelectorContinue);
  EXPECT_EQ(services.seenDepthSize, 8);

  // In the usual place the message names no folder.
  std::filesystem::remove(dir / "alpha.dat.tmp");
  Run(grey, 1);
  EXPECT_EQ(services.depthMessages, 2);
  EXPECT_TRUE(services.depthElsewhere.empty());
}

// Hosts that hand out a zeroed data slot on every run still get the hand-off
// for as long as the module stays loaded.
TEST_F(Selectors, DonorRunIsRememberedWithoutADataSlot) {
  FakeHost grey(pi::kModeGray, 1, 4, 2);
  FakeHost colour(pi::kModeRGB, 3, 4, 2);
  FakeHost four(pi::kModeRGB, 4, 4, 2);
  // Every run starts with a zeroed slot.
  auto run = [&](FakeHost& host, int32_t planes, EntryState& module) {
    host.slot = 0;
    host.Call(module, services, kSelectorStart);
    host.Deliver(planes, [](int, int, int) { return uint8_t(0); });
    return host.Call(module, services, kSelectorContinue);
  };
  EXPECT_EQ(run(grey, 1, state), 0);
  run(colour, 3, state);
  EXPECT_EQ(services.seenDepthSize, 8);
  run(colour, 3, state);  // and again: the hand-off stays until an image brings its own depth
  EXPECT_EQ(services.seenDepthSize, 8);

  run(four, 4, state);
  run(colour, 3, state);
  EXPECT_EQ(services.seenDepthSize, 0);

  // A fresh module knows of no donor run.
  EXPECT_EQ(run(grey, 1, state), 0);
  EntryState reloaded;
  run(colour, 3, reloaded);
  EXPECT_EQ(services.seenDepthSize, 0);
}

// Nothing a run allocates waits for finish: hosts skip it after a cancel and
// some never call it.
TEST_F(Selectors, DepthBlocksAreFreedByTheContinueCall) {
  FakeHost grey(pi::kModeGray, 1, 4, 2);
  grey.Call(state, services, kSelectorStart);
  grey.Deliver(1, [](int, int, int) { return uint8_t(3); });
  EXPECT_EQ(grey.Call(state, services, kSelectorContinue), 0);
  EXPECT_EQ(state.depthBlock, nullptr);
  EXPECT_NE(grey.slot, 0);

  FakeHost colour(pi::kModeRGB, 3, 4, 2);
  colour.slot = grey.slot;
  for (const bool throws : {false, true}) {
    services.editor = [throws](FilterJob&) {
      if (throws) throw std::bad_alloc();
    };
    colour.Call(state, services, kSelectorStart);
    colour.Deliver(3, [](int, int, int) { return uint8_t(0); });
    EXPECT_EQ(colour.Call(state, services, kSelectorContinue),
              throws ? pi::kMemFullErr : kResultCancelled);
    EXPECT_EQ(services.seenDepthSize, 8);
    EXPECT_EQ(state.depthBlock, nullptr);
    EXPECT_FALSE(state.depth.present());
  }
}

// A host that clips the padded request to the image: the editor sees the full
// padded width with zero pad pixels, and the result lands in exactly the
// delivered pixels (the buffers hold no byte more, so an overrun shows).
TEST_F(Selectors, ClippedRectanglesAreWorkedOnAsDelivered) {
  FakeHost host(pi::kModeRGB, 3, 5, 2);  // 5 pixels: padded to 8
  std::vector<uint8_t> seen;
  int32_t seenWidth = 0;
  services.editor = [&](FilterJob& job) {
    seenWidth = job.paddedWidth;
    seen.assign(job.inData, job.inData + job.rowBytes * job.height);
    // Display order: reversed bytes, rows bottom-up; write x + 10 * row + 100.
    for (int r = 0; r < job.height; ++r) {
      for (int x = 0; x < job.paddedWidth; ++x) {
        for (int k = 0; k < 3; ++k)
          job.outData[r * job.rowBytes + x * 3 + k] = uint8_t(100 + x + 10 * r);
      }
    }
    job.accepted = 1;
  };
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  EXPECT_EQ(host.record.inRect.right, 8);
  host.DeliverClipped(3, 5, [](int x, int y, int k) { return uint8_t(1 + x * 3 + y * 30 + k); });
  host.mask.assign(10, 255);
  host.mask[1] = 0;  // top row, column 1 unselected
  host.record.maskData = host.mask.data();
  host.record.maskRowBytes = 5;
  const std::vector<uint8_t> source = host.in;
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), 0);
  EXPECT_TRUE(host.RequestCleared());

  EXPECT_EQ(seenWidth, 8);
  ASSERT_EQ(seen.size(), 2u * 24u);
  // Display row 0 is the bottom image row; its pixel 0 reversed: planes 2, 1, 0.
  EXPECT_EQ(seen[0], 1 + 30 + 2);
  EXPECT_EQ(seen[2], 1 + 30);
  for (int x = 5; x < 8; ++x) EXPECT_EQ(seen[x * 3], 0) << x;  // pad pixels are zero

  EXPECT_EQ(host.in, source);  // the host's input is left alone
  ASSERT_EQ(host.out.size(), 30u);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) {
      const uint8_t expect =
          y == 0 && x == 1 ? source[3] : uint8_t(100 + x + 10 * (1 - y));  // row flip back
      EXPECT_EQ(host.out[y * 15 + x * 3], expect) << x << "," << y;
    }
  }
  EXPECT_EQ(host.Call(state, services, kSelectorFinish), 0);
}

TEST_F(Selectors, ClippedBuffersMustStillCoverTheImage) {
  FakeHost host(pi::kModeRGB, 3, 5, 2);
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  host.DeliverClipped(3, 4, [](int, int, int) { return uint8_t(1); });  // narrower than the image
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), pi::kFilterBadParameters);
  EXPECT_EQ(services.editorRuns, 0);

  // The output alone with a row distance of its own is copied, not refused.
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  host.Deliver(3, [](int, int, int) { return uint8_t(7); });
  std::vector<uint8_t> out(2 * 32, 9);
  host.record.outData = out.data();
  host.record.outRowBytes = 32;
  services.editor = [](FilterJob& job) {
    std::memset(job.outData, 50, static_cast<size_t>(job.rowBytes * job.height));
    job.accepted = 1;
  };
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), 0);
  EXPECT_EQ(out[0], 50);
  EXPECT_EQ(out[23], 50);
  EXPECT_EQ(out[24], 9);  // beyond the row's pixels
  EXPECT_EQ(out[32], 50);
}

TEST_F(Selectors, DamagedHandOffFileIsIgnored) {
  {
    std::ofstream file(dir / "alpha.dat", std::ios::binary);
    const int32_t header[] = {1 << 30, 1 << 30, 4, 1};  // announces far more than it holds
    file.write(reinterpret_cast<const char*>(header), sizeof header);
  }
  FakeHost colour(pi::kModeRGB, 3, 4, 1);
  colour.slot = 1;
  Run(colour, 3);
  EXPECT_EQ(services.editorRuns, 1);
  EXPECT_EQ(services.seenDepthSize, 0);
}

TEST_F(Selectors, SecondContinueOfPhotosleCopiesMarginsOnce) {
  services.hostPath = "C:\\Apps\\Photosle.exe";
  FakeHost host(pi::kModeRGB, 3, 6, 4);
  host.record.filterRect = {0, 0, 4, 6};
  host.record.documentInfo = &host.document;
  host.document.selection = &host.selection;
  host.selection.bounds = {1, 0, 3, 4};  // rows 1..2, columns 0..3
  services.editor = [](FilterJob& job) { job.accepted = 1; };
  EXPECT_EQ(host.Call(state, services, kSelectorParameters), 0);
  EXPECT_EQ(host.Call(state, services, kSelectorStart), 0);
  host.Deliver(3, [](int, int, int) { return uint8_t(5); });
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), 0);
  // The host is asked for filterRect once more.
  const pi::Rect whole{0, 0, 4, 6};
  EXPECT_EQ(std::memcmp(&host.record.inRect, &whole, sizeof whole), 0);

  host.Deliver(3, [](int, int, int) { return uint8_t(9); });
  std::fill(host.out.begin(), host.out.end(), 0);
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), 0);
  EXPECT_EQ(services.printed, "Second time");
  EXPECT_TRUE(host.RequestCleared());
  // Rows outside 1..2 and columns right of the padded job (4 + 0 pad) are copied.
  EXPECT_EQ(host.out[0], 9);
  EXPECT_EQ(host.out[18 + 3 * 3], 0);
  EXPECT_EQ(host.out[18 + 4 * 3], 9);
  EXPECT_EQ(host.out[3 * 18], 9);
  EXPECT_EQ(services.editorRuns, 1);
  EXPECT_EQ(host.Call(state, services, kSelectorFinish), 0);
}

// A host calling continue once more after the run's work is done gets a
// refusal, not a second pass over whatever it delivers; the repeated call
// after the editor copies margins only into the rectangle it asked for.
TEST_F(Selectors, ContinueAfterTheWorkIsDoneTouchesNothing) {
  FakeHost grey(pi::kModeGray, 1, 4, 2);
  grey.Call(state, services, kSelectorStart);
  grey.Deliver(1, [](int x, int, int) { return uint8_t(x); });
  EXPECT_EQ(grey.Call(state, services, kSelectorContinue), 0);
  const std::vector<uint8_t> before = grey.in;
  EXPECT_EQ(grey.Call(state, services, kSelectorContinue), pi::kFilterBadParameters);
  EXPECT_EQ(grey.in, before);

  services.hostPath = "C:\\Apps\\Photosle.exe";
  FakeHost host(pi::kModeRGB, 3, 6, 4);
  services.editor = [](FilterJob& job) { job.accepted = 1; };
  host.Call(state, services, kSelectorParameters);
  host.Call(state, services, kSelectorStart);
  host.Deliver(3, [](int, int, int) { return uint8_t(5); });
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), 0);
  host.record.filterRect = {0, 0, 8, 6};  // taller: rows the buffers do not have
  host.Deliver(3, [](int, int, int) { return uint8_t(9); });
  std::fill(host.out.begin(), host.out.end(), 0);
  EXPECT_EQ(host.Call(state, services, kSelectorContinue), 0);
  EXPECT_EQ(host.out, std::vector<uint8_t>(host.out.size(), 0));
}

// The hand-off file holds the donor's pixels and zero bytes after them, never
// the bytes after a host buffer's last pixel.
// Rows of the host 16 bytes apart, the last one cut after its pixels: the
// file holds the pixels only, and nothing past the buffer is read.
TEST_F(Selectors, DonorRowsTakeOnlyThePixels) {
  FakeHost grey(pi::kModeGray, 1, 4, 2);
  grey.Call(state, services, kSelectorStart);
  grey.Deliver(1, [](int, int, int) { return uint8_t(7); });
  std::vector<uint8_t> wide(16 + 4, 0xEE);  // rows of 16 bytes, the last one cut after its pixels
  for (int y = 0; y < 2; ++y) std::fill_n(wide.begin() + y * 16, 4, uint8_t(7));
  grey.record.inData = wide.data();
  grey.record.inRowBytes = 16;
  EXPECT_EQ(grey.Call(state, services, kSelectorContinue), 0);
  const std::vector<uint8_t> bytes = ReadFileBytes(dir / "alpha.dat");
  ASSERT_EQ(bytes.size(), 16u + 8u);
  for (size_t k = 16; k < bytes.size(); ++k) EXPECT_EQ(bytes[k], 7) << k;
}

TEST_F(Selectors, NothingEscapesTheSelectorFunction) {
  FakeHost host(pi::kModeRGB, 3, 4, 2);
  services.editor = [](FilterJob&) { throw std::bad_alloc(); };
  EXPECT_EQ(Run(host, 3), pi::kMemFullErr);
  services.editor = [](FilterJob&) { throw 5; };
  EXPECT_EQ(Run(host, 3), pi::kParamErr);
}

}  // namespace
}  // namespace ulvo
