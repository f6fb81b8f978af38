// Jobs of the host's 16-bit modes: two bytes a sample in the machine's byte
// order, 0..32768 at the host and 0..65535 while the editor runs.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "src/host/depth_file.h"
#include "src/host/host_kind.h"
#include "src/host/job_buffers.h"
#include "src/host/selectors.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_services.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"

namespace ulvo {
namespace {

uint16_t Sample(const std::vector<uint8_t>& bytes, size_t index) {
  uint16_t value = 0;
  std::memcpy(&value, bytes.data() + 2 * index, sizeof value);
  return value;
}

void SetSample(std::vector<uint8_t>& bytes, size_t index, uint16_t value) {
  std::memcpy(bytes.data() + 2 * index, &value, sizeof value);
}

// A job of `planes` two-byte samples a pixel over a TestJob's bytes.
TestJob WideJob(int32_t width, int32_t height, int32_t planes) {
  TestJob picture(width, height, 2 * planes);
  picture.job.planes = planes;
  picture.job.sampleBytes = 2;
  return picture;
}

TEST(SixteenBitSamples, TheHostsRangeGoesThereAndBackUnchanged) {
  EXPECT_EQ(EngineSampleOfHost(0), 0);
  EXPECT_EQ(EngineSampleOfHost(32768), 65535);
  EXPECT_EQ(EngineSampleOfHost(16384), 32768);  // 32767.5 rounds up
  EXPECT_EQ(EngineSampleOfHost(40000), 65535);  // beyond white counts as white
  EXPECT_EQ(HostSampleOfEngine(65535), 32768);
  uint16_t previous = 0;
  for (uint32_t host = 0; host <= 32768; ++host) {
    const uint16_t engine = EngineSampleOfHost(static_cast<uint16_t>(host));
    ASSERT_EQ(HostSampleOfEngine(engine), host);
    ASSERT_GE(engine, previous);
    previous = engine;
  }
  for (uint32_t engine = 0; engine <= 65535; engine += 7) {
    const uint16_t host = HostSampleOfEngine(static_cast<uint16_t>(engine));
    ASSERT_LE(std::abs(int(EngineSampleOfHost(host)) - int(engine)), 1) << engine;
  }
}

TEST(SixteenBitSamples, FlipReversesSamplesNotBytes) {
  for (int32_t height : {1, 2, 3}) {
    TestJob picture = WideJob(3, height, 4);
    const std::vector<uint8_t> original = picture.in;
    FlipJobBuffer(picture.job, JobBuffer::kInput);
    for (int32_t row = 0; row < height; ++row) {
      for (int32_t x = 0; x < 3; ++x) {
        for (int32_t k = 0; k < 4; ++k) {
          const size_t flipped = (static_cast<size_t>(row) * 3 + x) * 4 + k;
          const size_t source = (static_cast<size_t>(height - 1 - row) * 3 + x) * 4 + (3 - k);
          ASSERT_EQ(Sample(picture.in, flipped), Sample(original, source));
        }
      }
    }
    FlipJobBuffer(picture.job, JobBuffer::kInput);
    EXPECT_EQ(picture.in, original);
  }
}

TEST(SixteenBitSamples, TheMaskIsSixteenBitsInTheHostsRange) {
  // A 16-bit document's selection comes in two-byte samples, 0..32768;
  // anything above full counts as fully selected.
  TestJob picture = WideJob(4, 1, 3);
  for (size_t i = 0; i < 12; ++i) {
    SetSample(picture.in, i, 20000);
    SetSample(picture.out, i, 60000);
  }
  std::vector<uint8_t> mask(8);
  for (const auto& [x, weight] : {std::pair{0, 0}, {1, 16384}, {2, 32768}, {3, 65535}}) {
    SetSample(mask, static_cast<size_t>(x), static_cast<uint16_t>(weight));
  }
  picture.job.maskData = mask.data();
  picture.job.maskRowBytes = 8;
  BlendWithMask(picture.job);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(Sample(picture.out, k), 20000);
    EXPECT_EQ(Sample(picture.out, 3 + k), 40000);
    EXPECT_EQ(Sample(picture.out, 6 + k), 60000);
    EXPECT_EQ(Sample(picture.out, 9 + k), 60000);
  }
}

TEST(SixteenBitModes, GreyAndRgbAreTakenThirtyTwoBitsAreNot) {
  EXPECT_EQ(SampleBytesOfMode(pi::kModeRGB), 1);
  EXPECT_EQ(SampleBytesOfMode(pi::kModeGray16), 2);
  EXPECT_EQ(SampleBytesOfMode(pi::kModeRGB48), 2);
  EXPECT_EQ(SampleBytesOfMode(pi::kModeRGB96), 4);
  for (const HostKind host : {HostKind::kGeneric, HostKind::kPhotosle, HostKind::kPsp}) {
    EXPECT_TRUE(ImageAccepted(host, pi::kModeRGB48, 3));
    EXPECT_TRUE(ImageAccepted(host, pi::kModeRGB48, 4));
    EXPECT_FALSE(ImageAccepted(host, pi::kModeRGB96, 3));
    EXPECT_FALSE(ImageAccepted(host, pi::kModeGray32, 1));
  }
  EXPECT_TRUE(ImageAccepted(HostKind::kGeneric, pi::kModeGray16, 1));
  EXPECT_FALSE(ImageAccepted(HostKind::kPhotosle, pi::kModeGray16, 1));
  EXPECT_FALSE(ImageAccepted(HostKind::kGeneric, pi::kModeLab48, 3));
}

class SixteenBitRuns : public ::testing::Test {
 protected:
  TempDir dir;
  EntryState state;
  FakeServices services{dir / "alpha.dat"};
  std::vector<uint8_t> delivered;

  // The host's sample of (x, y, plane): within 0..32768.
  static uint16_t HostSample(int x, int y, int k) {
    return static_cast<uint16_t>((x * 3001 + y * 1703 + k * 977) % 32769);
  }

  int16_t RunOn(FakeHost& host, int32_t planes) {
    EXPECT_EQ(host.Call(state, services, pi::kSelectorStart), 0);
    host.Deliver(2 * planes, [planes](int x, int y, int byte) {
      const uint16_t sample = HostSample(x, y, byte / 2);
      uint8_t bytes[2];
      std::memcpy(bytes, &sample, 2);
      (void)planes;
      return bytes[byte % 2];
    });
    delivered = host.in;  // the module works on the buffer in place
    const int16_t result = host.Call(state, services, pi::kSelectorContinue);
    host.Call(state, services, pi::kSelectorFinish);
    return result;
  }
};

// The editor sees display order in the engine's range; what it writes goes
// back to the host in the host's range and order.
TEST_F(SixteenBitRuns, AColourRunWorksInTheEnginesRangeAndGivesBackTheHosts) {
  FakeHost host(pi::kModeRGB48, 3, 5, 3);  // padded to 8 pixels
  std::vector<uint16_t> seen;
  services.editor = [&](FilterJob& job) {
    EXPECT_EQ(job.sampleBytes, 2);
    EXPECT_EQ(job.rowBytes, 8 * 6);
    seen.resize(static_cast<size_t>(job.rowBytes / 2) * job.height);
    std::memcpy(seen.data(), job.inData, seen.size() * 2);
    std::memcpy(job.outData, job.inData, seen.size() * 2);  // the result is the source
    job.accepted = 1;
  };
  ASSERT_EQ(RunOn(host, 3), 0);
  EXPECT_EQ(host.record.inRowBytes, 8 * 6);
  // Display order: the bottom row first, samples of a pixel reversed.
  EXPECT_EQ(seen[0], EngineSampleOfHost(HostSample(0, 2, 2)));
  EXPECT_EQ(seen[1], EngineSampleOfHost(HostSample(0, 2, 1)));
  EXPECT_EQ(seen[24 + 3 * 4], EngineSampleOfHost(HostSample(4, 1, 2)));
  // Back at the host every sample is as it came.
  EXPECT_EQ(host.out, delivered);
}

TEST_F(SixteenBitRuns, AGreyDonorHandsOverItsSamplesRoundedToEightBits) {
  FakeHost grey(pi::kModeGray16, 1, 4, 2);
  ASSERT_EQ(RunOn(grey, 1), 0);
  EXPECT_EQ(services.depthMessages, 1);
  DepthFileInfo info;
  std::vector<uint8_t> rows(8);
  ASSERT_EQ(ReadDepthFile(dir / "alpha.dat", 4, 2, rows.data(), rows.size(), &info),
            DepthFileStatus::kOk);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      const uint16_t engine = EngineSampleOfHost(HostSample(x, 1 - y, 0));
      EXPECT_EQ(rows[static_cast<size_t>(y) * 4 + x], (engine * 255 + 32767) / 65535);
    }
  }
}

// A host whose mode changed between start and continue delivers samples of
// another size than the run was started for: the run is refused, and neither
// the editor nor the hand-off reads the buffers.
TEST_F(SixteenBitRuns, AModeChangedAfterStartIsRefused) {
  FakeHost host(pi::kModeRGB48, 3, 5, 3);
  bool opened = false;
  services.editor = [&](FilterJob&) { opened = true; };
  ASSERT_EQ(host.Call(state, services, pi::kSelectorStart), 0);
  host.record.imageMode = pi::kModeRGB;
  host.Deliver(3, [](int, int, int) { return uint8_t{7}; });
  EXPECT_EQ(host.Call(state, services, pi::kSelectorContinue), pi::kFilterBadParameters);
  EXPECT_FALSE(opened);
  EXPECT_TRUE(host.RequestCleared());

  FakeHost grey(pi::kModeGray, 1, 4, 2);
  ASSERT_EQ(grey.Call(state, services, pi::kSelectorStart), 0);
  grey.record.imageMode = pi::kModeGray16;
  grey.Deliver(1, [](int, int, int) { return uint8_t{7}; });
  EXPECT_EQ(grey.Call(state, services, pi::kSelectorContinue), pi::kFilterBadParameters);
  EXPECT_EQ(services.depthMessages, 0);
}

}  // namespace
}  // namespace ulvo
