// Out of memory anywhere in a filter run: whole runs through the entry point
// with the real editor on the headless platform, the settings in a file and
// the depth hand-off in the run's folder, once for every allocation the run
// makes, with that one allocation failing. Every such run must end in a
// result the host understands or a message the user sees, give back every
// block it allocated, and never touch the host's buffers beyond their ends
// (the sanitizer build checks that).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "src/editor/headless/headless_platform.h"
#include "src/editor/run_editor.h"
#include "src/editor/window_dispatch.h"
#include "src/host/selectors.h"
#include "src/imageio/user_messages.h"
#include "src/settings/file_profile_store.h"
#include "tests/failure/failing_new.h"
#include "tests/support/apertures.h"
#include "tests/support/fake_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_tiff.h"

namespace ulvo {
namespace {

using testing::AllocationFailureHappened;
using testing::CountingScope;
using testing::LiveAllocations;
using testing::SetAllocationFailure;

// A log in a buffer allocated up front: writing to it allocates nothing, so
// it neither takes part in the count nor loses lines after a failure.
class FixedLog : private std::streambuf, public std::ostream {
 public:
  FixedLog() : std::ostream(this), buffer_(size_t{1} << 22) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  std::string str() const { return std::string(pbase(), pptr()); }

 private:
  std::vector<char> buffer_;
};

// The module's services with the headless editor: its log, its settings file
// and its hand-off files all belong to the test.
class HeadlessServices final : public HostServices {
 public:
  HeadlessServices(const TempDir& dir, std::string script)
      : dir_(dir), script_(std::move(script)) {}

  EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth, DepthNotice notice) override {
    FileProfileStore settings(dir_.file("settings.ini"));
    HeadlessOptions options;
    options.profile = &settings;
    HeadlessPlatform platform(script_, log, options);
    return RunEditorOn(platform, job, depth, notice);
  }
  void ShowAboutBox() override {}
  void ShowDepthTransferred(const std::filesystem::path& elsewhere) override {
    log << "depth transferred" << (elsewhere.empty() ? "" : " elsewhere") << "\n";
  }
  void ShowDepthNotSaved() override { log << "depth not saved\n"; }
  std::string HostExecutablePath() override { return "/opt/editor/bin/editor"; }
  void Print(const char* text) override { log << text; }
  std::filesystem::path DepthFilePath() override { return dir_ / "alpha.dat"; }
  std::filesystem::path FallbackDepthFilePath() override { return dir_ / "user" / "alpha.dat"; }
  std::filesystem::path HandOffRecordFolder() override { return dir_ / "user"; }
  ProcessIdentity CurrentProcess() override { return {4242, "test-process"}; }
  bool ProcessRunning(const ProcessIdentity&) override { return false; }

  FixedLog log;

 private:
  const TempDir& dir_;
  std::string script_;
};

bool ToldOutOfMemory(const std::string& log) {
  return log.find(kOutOfMemoryText) != std::string::npos ||
         log.find(kPatternOutOfMemoryText) != std::string::npos;
}

uint8_t Pixel(int x, int y, int k) {
  return static_cast<uint8_t>(x * 7 + y * 3 + k * 50 + ((x / 9 + y / 7) % 2) * 120);
}

// What one run left behind for the host and the user.
struct RunOutcome {
  // The first result other than 0 (the host stops there, without finish),
  // or 0 for a run whose every selector succeeded.
  int16_t result = 0;
  int64_t blocksLeft = 0;  // allocated by the module and not freed
  bool handOffMisreported =
      false;  // the user was told of a hand-off that did not happen, or not told of one that did
  std::vector<uint8_t> out;
  std::string log;
};

// Plays a host: the selectors in order, its buffers delivered for continue,
// and no further call after a failure. Only the module's allocations count.
class HostRun {
 public:
  HostRun(EntryState& state, HostServices& services, FakeHost& host)
      : state_(state), services_(services), host_(host) {}

  // Parameters, prepare and start; false when one of them failed.
  bool Begin() {
    for (int16_t selector : {pi::kSelectorParameters, pi::kSelectorPrepare, pi::kSelectorStart}) {
      if (!Call(selector)) return false;
    }
    return true;
  }
  // Continue, then finish when continue succeeded.
  void End() {
    if (Call(pi::kSelectorContinue)) Call(pi::kSelectorFinish);
  }
  RunOutcome& outcome() { return outcome_; }

 private:
  bool Call(int16_t selector) {
    const int64_t before = LiveAllocations();
    int16_t result = 0;
    {
      const CountingScope counted;
      result = host_.Call(state_, services_, selector);
    }
    outcome_.blocksLeft += LiveAllocations() - before;
    if (result != 0 && outcome_.result == 0) outcome_.result = result;
    return result == 0;
  }

  EntryState& state_;
  HostServices& services_;
  FakeHost& host_;
  RunOutcome outcome_;
};

class AllocationFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    // A 9 x 9 grey disc; the full run's widest blur follows its size.
    TestTiff disc;
    disc.width = disc.height = 9;
    disc.data = EllipsePattern(9, 9, 1, false);
    ASSERT_TRUE(WriteTestTiff(dir_.file("disc.tif"), disc));
  }

  // The stored settings every run starts from.
  void ResetSettings() {
    std::ofstream(dir_.file("settings.ini"), std::ios::binary | std::ios::trunc)
        << "[UlvoFilter]\nPrevWidth=40\nPrevHeight=30\nNdepth=4\n";
  }

  // Loads the pattern through the dialog, saves the settings with the pattern
  // window kept open, picks the focus, previews, renders the whole image and
  // finishes.
  std::string EditorScript() const {
    return "wait-editor\n"
           "command 32778\n"
           "open-file " +
           dir_.file("disc.tif") +
           "\n"
           "command 32790\ncheck 1021 on\ncheck 1026 on\nanswer ok\nanswer ok\n"
           "command 40013\nclick 20 20\n"
           "click 70 60\n"
           "command 32779\n"
           "command 57665\n";
  }

  // A colour image 141 x 126 (more than 120 x 120, so renders show the
  // progress window) with its depth in a fourth plane and a selection mask,
  // from a host that cannot pad rows: the module works on a copy.
  RunOutcome ColourRun(EntryState& state) {
    ResetSettings();
    FakeHost host(pi::kModeRGB, 4, 141, 126);
    HeadlessServices services(dir_, EditorScript());
    HostRun run(state, services, host);
    if (run.Begin()) {
      host.DeliverClipped(4, 141, Pixel);
      host.mask.assign(host.in.size() / 4, 255);
      for (size_t k = 0; k < host.mask.size(); k += 5) host.mask[k] = 0;
      host.record.maskData = host.mask.data();
      host.record.maskRowBytes = host.record.inRowBytes / 4;
      run.End();
    }
    run.outcome().out = host.out;
    run.outcome().log = services.log.str();
    return run.outcome();
  }

  // A grey donor run hands its picture over as depth, then a colour run of
  // the same size (its rows padded in place) renders with it.
  RunOutcome DonorThenColourRun(EntryState& state) {
    ResetSettings();
    std::filesystem::remove(dir_ / "alpha.dat");
    HeadlessServices services(dir_, EditorScript());
    RunOutcome outcome;
    intptr_t slot = 0;
    {
      FakeHost grey(pi::kModeGray, 1, 144, 122);
      HostRun donor(state, services, grey);
      if (donor.Begin()) {
        grey.Deliver(1, Pixel);
        donor.End();
      }
      outcome = donor.outcome();
      slot = grey.slot;
    }
    // The file exists exactly when the user was told it was handed over.
    const bool told = services.log.str().find("depth transferred") != std::string::npos;
    outcome.log = services.log.str();
    outcome.handOffMisreported = told != std::filesystem::exists(dir_ / "alpha.dat");
    if (outcome.result != 0) return outcome;
    FakeHost colour(pi::kModeRGB, 3, 144, 122);
    colour.slot = slot;
    HostRun run(state, services, colour);
    if (run.Begin()) {
      colour.Deliver(3, Pixel);
      run.End();
    }
    run.outcome().blocksLeft += outcome.blocksLeft;
    run.outcome().handOffMisreported = outcome.handOffMisreported;
    run.outcome().out = colour.out;
    run.outcome().log = services.log.str();
    return run.outcome();
  }

  // Plays `play` on a freshly loaded module, which is unloaded afterwards:
  // what the module keeps between runs counts as given back then.
  template <typename Play>
  static RunOutcome OnFreshModule(Play play) {
    std::optional<EntryState> state(std::in_place);
    RunOutcome outcome = play(*state);
    const int64_t before = LiveAllocations();
    state.reset();
    outcome.blocksLeft += LiveAllocations() - before;
    return outcome;
  }

  // Plays `play` once for every allocation it makes, failing that one, and
  // checks each outcome against the run without failures.
  template <typename Play>
  void FailEveryAllocation(Play play) {
    const auto run = [&] { return OnFreshModule(play); };
    SetAllocationFailure(UINT64_MAX);
    run();  // first uses of the standard library allocate once for good
    const RunOutcome clean = run();
    ASSERT_EQ(clean.result, pi::kNoErr) << clean.log;
    ASSERT_EQ(clean.blocksLeft, 0) << "the run without failures leaks";
    uint64_t failed = 0;
    for (uint64_t index = 0;; ++index) {
      SetAllocationFailure(index);
      const RunOutcome outcome = run();
      if (!AllocationFailureHappened()) break;  // the run made fewer allocations than that
      ++failed;
      SCOPED_TRACE("allocation " + std::to_string(index) + " failed\n" + outcome.log);
      EXPECT_EQ(outcome.blocksLeft, 0) << "blocks left allocated";
      // The host hears of memory running out, or of nothing at all.
      EXPECT_TRUE(outcome.result == pi::kNoErr || outcome.result == pi::kMemFullErr)
          << "result " << outcome.result;
      EXPECT_FALSE(outcome.handOffMisreported)
          << "the hand-off was reported otherwise than it happened";
      // A finished run equals the clean one unless the user was told.
      if (outcome.result == pi::kNoErr && !ToldOutOfMemory(outcome.log)) {
        EXPECT_TRUE(outcome.out == clean.out) << "a different picture without a word to the user";
      }
      if (HasFailure()) break;  // one broken run says enough
    }
    SetAllocationFailure(UINT64_MAX);
    EXPECT_GT(failed, 100u) << "the runs allocated suspiciously little";
    std::cout << failed << " runs, each with one allocation failing\n";
  }

  TempDir dir_;
};

TEST_F(AllocationFailure, EveryFailureInAColourRunEndsCleanly) {
  FailEveryAllocation([this](EntryState& state) { return ColourRun(state); });
}

TEST_F(AllocationFailure, EveryFailureInADepthHandOffEndsCleanly) {
  FailEveryAllocation([this](EntryState& state) { return DonorThenColourRun(state); });
}

}  // namespace
}  // namespace ulvo
