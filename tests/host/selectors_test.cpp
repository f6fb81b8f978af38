#include "src/host/selectors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <vector>

#include "src/host/depth_file.h"
#include "tests/imageio/temp_dir.h"

namespace ulvo {
namespace {

using pi::kSelectorContinue;
using pi::kSelectorFinish;
using pi::kSelectorParameters;
using pi::kSelectorPrepare;
using pi::kSelectorStart;

// Records what the module asked of the outside world; the editor's behaviour
// is whatever the test puts in `editor`.
class FakeServices final : public HostServices {
 public:
  explicit FakeServices(std::filesystem::path depthFile) : depthFile_(std::move(depthFile)) {}

  void RunEditor(FilterJob& job, const DepthBuffer& depth) override {
    ++editorRuns;
    seenRepeat = job.repeat;
    seenDepthSize = depth.present() ? depth.size : 0;
    seenDepth.assign(depth.data, depth.data + (depth.present() ? depth.size : 0));
    if (job.inData != nullptr) seenInput.assign(job.inData, job.inData + job.rowBytes * job.height);
    if (editor) editor(job);
  }
  void ShowAboutBox() override { ++aboutBoxes; }
  void ShowDepthTransferred() override { ++depthMessages; }
  std::string HostExecutablePath() override { return hostPath; }
  void Print(const char* text) override { printed += text; }
  std::filesystem::path DepthFilePath() override { return depthFile_; }

  std::function<void(FilterJob&)> editor;
  std::string hostPath = "C:\\Program Files\\Editor\\editor.exe";
  int editorRuns = 0;
  int aboutBoxes = 0;
  int depthMessages = 0;
  int32_t seenRepeat = -1;
  int32_t seenDepthSize = -1;
  std::vector<uint8_t> seenDepth;
  std::vector<uint8_t> seenInput;
  std::string printed;

 private:
  std::filesystem::path depthFile_;
};

// What a host keeps for one image: the record, its buffers and the data slot.
struct FakeHost {
  pi::FilterRecord record{};
  pi::ReadImageDocumentDesc document{};
  pi::ReadChannelDesc selection{};
  std::vector<uint8_t> in, out, mask;
  intptr_t slot = 0;
  int16_t result = 0;

  FakeHost(int16_t mode, int16_t planes, int16_t width, int16_t height) {
    record.imageMode = mode;
    record.inLayerPlanes = planes;
    record.filterRect = {0, 0, height, width};
  }

  int16_t Call(EntryState& state, HostServices& services, int16_t selector) {
    result = 0x5555;  // hosts pre-set the result
    RunSelector(state, services, selector, &record, &slot, &result);
    return result;
  }

  // Delivers the requested rectangle: pixel (x, y) plane k holds f(x, y, k).
  void Deliver(int32_t planes, const std::function<uint8_t(int, int, int)>& f) {
    const pi::Rect r = record.inRect;
    const int32_t width = r.right - r.left, height = r.bottom - r.top;
    const int32_t rowBytes = width * planes;
    in.assign(static_cast<size_t>(rowBytes) * height, 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        for (int k = 0; k < planes; ++k) in[y * rowBytes + x * planes + k] = f(x, y, k);
      }
    }
    out = in;
    record.inData = in.data();
    record.outData = out.data();
    record.inRowBytes = record.outRowBytes = rowBytes;
  }

  bool RequestCleared() const {
    const pi::Rect zero{0, 0, 0, 0};
    for (const pi::Rect* r : {&record.inRect, &record.outRect, &record.maskRect}) {
      if (std::memcmp(r, &zero, sizeof zero) != 0) return false;
    }
    return true;
  }
};

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

TEST_F(Selectors, DonorRunThatCannotWriteShowsNothingAndMarksNothing) {
  std::filesystem::create_directory(dir / "alpha.dat.tmp");
  FakeHost grey(pi::kModeGray, 1, 4, 2);
  EXPECT_EQ(Run(grey, 1), 0);
  EXPECT_EQ(services.depthMessages, 0);
  EXPECT_EQ(grey.slot, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "alpha.dat"));
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

TEST_F(Selectors, NothingEscapesTheSelectorFunction) {
  FakeHost host(pi::kModeRGB, 3, 4, 2);
  services.editor = [](FilterJob&) { throw std::bad_alloc(); };
  EXPECT_EQ(Run(host, 3), pi::kMemFullErr);
  services.editor = [](FilterJob&) { throw 5; };
  EXPECT_EQ(Run(host, 3), pi::kParamErr);
}

}  // namespace
}  // namespace ulvo
