#include <gtest/gtest.h>

#include <cstring>

#include "tools/ulvohost/filter_session.h"

namespace ulvo::host {
namespace {

class NoPlatform final : public HostPlatform {
 public:
  intptr_t HostWindow() override { return 0; }
  bool BeginRun(const RunPlan&, std::string&) override { return true; }
  bool EndRun() override { return true; }
};

// A scripted stand-in for a module; the entry point has no context of its own.
struct FakeModule {
  enum class Mode { kTwoTiles, kNeverDone, kAdvanceBadPlanes, kWide } mode = Mode::kTwoTiles;
  int continues = 0;
  int finishes = 0;
  int16_t advanceResult = 0;
  bool pointersClearedAfterFailure = false;
  pi::Rect seenRect{};
  int32_t seenRowBytes = 0;
};
FakeModule fake;

void Invert(pi::FilterRecord& r) {
  const int width = r.outRect.right - r.outRect.left;
  const int planes = r.outHiPlane - r.outLoPlane + 1;
  auto* out = static_cast<uint8_t*>(r.outData);
  for (int y = 0; y < r.outRect.bottom - r.outRect.top; ++y) {
    for (int i = 0; i < width * planes; ++i) out[y * r.outRowBytes + i] ^= 0xFF;
  }
}

void FakeEntry(int16_t selector, void* record, intptr_t* data, int16_t* result) {
  auto& r = *static_cast<pi::FilterRecord*>(record);
  *result = 0;
  if (selector == pi::kSelectorStart) {
    r.inRect = r.outRect = pi::Rect{0, 0, 2, r.imageSize.h};  // the top two rows first
    if (fake.mode == FakeModule::Mode::kWide) {
      r.inRect = r.outRect = pi::Rect{0, 0, r.imageSize.v, static_cast<int16_t>(r.imageSize.h + 3)};
    }
    r.inHiPlane = r.outHiPlane = static_cast<int16_t>(r.planes - 1);
  } else if (selector == pi::kSelectorContinue) {
    ++fake.continues;
    ++*data;
    if (fake.mode == FakeModule::Mode::kAdvanceBadPlanes) {
      r.outHiPlane = r.planes;  // one plane too many
      fake.advanceResult = r.advanceState();
      fake.pointersClearedAfterFailure = !r.inData && !r.outData && r.outRowBytes == 0;
      r.inRect = r.outRect = pi::Rect{};
      return;
    }
    if (fake.mode == FakeModule::Mode::kWide) {
      fake.seenRect = r.inRect;
      fake.seenRowBytes = r.inRowBytes;
      r.inRect = r.outRect = pi::Rect{};
      return;
    }
    Invert(r);
    if (fake.mode == FakeModule::Mode::kNeverDone) return;
    if (r.outRect.top == 0) {
      r.inRect = r.outRect = pi::Rect{2, 0, r.imageSize.v, r.imageSize.h};
    } else {
      r.inRect = r.outRect = pi::Rect{};
    }
  } else if (selector == pi::kSelectorFinish) {
    ++fake.finishes;
  }
}

Image Pattern() {
  Image image;
  image.width = 5;
  image.height = 4;
  image.channels = 3;
  image.pixels.resize(60);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 3);
  return image;
}

class FilterSessionTest : public ::testing::Test {
 protected:
  void SetUp() override { fake = FakeModule{}; }
  NoPlatform platform_;
  FilterSession session_{&FakeEntry, platform_, 10};
};

TEST_F(FilterSessionTest, ContinuesUntilNothingIsRequestedAndKeepsEveryTile) {
  Image document = Pattern();
  const RunOutcome outcome = session_.RunFilter(RunPlan{}, document, nullptr);
  EXPECT_TRUE(outcome.hostOk) << outcome.error;
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.continueCalls, 2);
  EXPECT_EQ(fake.finishes, 1);
  const Image source = Pattern();
  for (size_t i = 0; i < document.pixels.size(); ++i) {
    ASSERT_EQ(document.pixels[i], source.pixels[i] ^ 0xFF) << i;
  }
  // The data slot belongs to the process, not to a run.
  session_.RunFilter(RunPlan{}, document, nullptr);
  EXPECT_EQ(session_.dataSlot(), 4);
}

// The hosts that behave differently: one that clips requests to the image and
// says so in the record, one without a data slot, one that never calls finish.
TEST_F(FilterSessionTest, OtherHostBehaviours) {
  fake.mode = FakeModule::Mode::kWide;
  RunPlan plan;
  plan.clipRects = true;
  plan.rowAlign = 1;
  plan.dataSlot = false;
  plan.finish = false;
  Image document = Pattern();
  session_.RunFilter(plan, document, nullptr);
  const pi::Rect clipped{0, 0, 4, 5};
  EXPECT_EQ(std::memcmp(&fake.seenRect, &clipped, sizeof clipped), 0);
  EXPECT_EQ(fake.seenRowBytes, 15);
  EXPECT_EQ(fake.finishes, 0);
  session_.RunFilter(plan, document, nullptr);
  EXPECT_EQ(session_.dataSlot(), 1);  // zeroed before the second run

  // Without clipping the request stands, filled beyond the image.
  plan.clipRects = false;
  EXPECT_TRUE(session_.RunFilter(plan, document, nullptr).hostOk);
  EXPECT_EQ(fake.seenRect.right, 8);
  EXPECT_EQ(fake.seenRowBytes, 24);
}

TEST_F(FilterSessionTest, AModuleThatNeverFinishesFailsTheRunAndChangesNothing) {
  fake.mode = FakeModule::Mode::kNeverDone;
  Image document = Pattern();
  const RunOutcome outcome = session_.RunFilter(RunPlan{}, document, nullptr);
  EXPECT_FALSE(outcome.hostOk);
  EXPECT_EQ(outcome.continueCalls, 10);
  EXPECT_EQ(fake.finishes, 0);
  EXPECT_TRUE(document.pixels == Pattern().pixels);
}

TEST_F(FilterSessionTest, AdvanceStateRefusesABadRequestWithoutStalePointers) {
  fake.mode = FakeModule::Mode::kAdvanceBadPlanes;
  Image document = Pattern();
  const RunOutcome outcome = session_.RunFilter(RunPlan{}, document, nullptr);
  EXPECT_EQ(fake.advanceResult, pi::kParamErr);
  EXPECT_TRUE(fake.pointersClearedAfterFailure);
  EXPECT_FALSE(outcome.hostOk);
  EXPECT_TRUE(document.pixels == Pattern().pixels);
}

}  // namespace
}  // namespace ulvo::host
