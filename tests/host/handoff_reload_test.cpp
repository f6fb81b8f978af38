// The depth hand-off in hosts that unload the module between runs and give
// it a fresh, zeroed data slot each time: the donor's note carries the
// hand-off to the colour run of the same host process, nothing else does, and
// a colour run without depth always says why.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "src/host/handoff_record.h"
#include "src/host/selectors.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_services.h"
#include "tests/support/temp_dir.h"

namespace ulvo {
namespace {

uint8_t DonorPixel(int x, int y, int) {
  return static_cast<uint8_t>(10 * y + x + 1);
}

class Reload : public ::testing::Test {
 protected:
  Reload() { services.recordFolder = dir / "notes"; }

  // The host frees the module and loads it again: its memory is gone.
  void ReloadModule() { module = std::make_unique<EntryState>(); }

  // A whole run with a host's data slot as given; returns the continue result.
  int16_t RunOn(FakeHost& host, int32_t planes,
                const std::function<uint8_t(int, int, int)>& pixel) {
    for (int16_t selector : {pi::kSelectorParameters, pi::kSelectorPrepare, pi::kSelectorStart}) {
      EXPECT_EQ(host.Call(*module, services, selector), 0);
    }
    host.Deliver(planes, pixel);
    const int16_t result = host.Call(*module, services, pi::kSelectorContinue);
    EXPECT_EQ(host.Call(*module, services, pi::kSelectorFinish), 0);
    return result;
  }

  void Donor(int16_t width, int16_t height) {
    FakeHost grey(pi::kModeGray, 1, width, height);
    ASSERT_EQ(RunOn(grey, 1, DonorPixel), 0);
    ASSERT_EQ(services.depthMessages, ++donorRuns);
  }

  // A colour run with a fresh, zeroed slot, as such hosts give; returns the
  // slot as the module left it.
  intptr_t Colour(int16_t width, int16_t height, intptr_t slot = 0) {
    FakeHost colour(pi::kModeRGB, 3, width, height);
    colour.slot = slot;
    services.seenDepthSize = -1;
    services.seenNotice = DepthNotice::kNone;
    EXPECT_EQ(RunOn(colour, 3, [](int, int, int) { return uint8_t(0); }), kResultCancelled);
    return colour.slot;
  }

  TempDir dir;
  std::unique_ptr<EntryState> module = std::make_unique<EntryState>();
  FakeServices services{dir / "alpha.dat"};
  int donorRuns = 0;
};

TEST_F(Reload, TheNoteCarriesTheHandOffAcrossAReload) {
  Donor(6, 3);
  ASSERT_TRUE(std::filesystem::exists(HandOffRecordPath(services.recordFolder, 1000)));
  ReloadModule();
  EXPECT_NE(Colour(6, 3), 0);  // and the slot is marked again for hosts that keep it
  ASSERT_EQ(services.seenDepthSize, 24);
  EXPECT_EQ(services.seenNotice, DepthNotice::kNone);
  // Bottom row first, 8 pixels a row (6 and the pad), as the module's memory would give.
  EXPECT_EQ(services.seenDepth[0], DonorPixel(0, 2, 0));
  EXPECT_EQ(services.seenDepth[8 + 5], DonorPixel(5, 1, 0));
  EXPECT_EQ(services.seenDepth[16 + 6], DonorPixel(6, 0, 0));

  // Every later colour run of the same host process finds it too.
  ReloadModule();
  Colour(6, 3);
  EXPECT_EQ(services.seenDepthSize, 24);
}

// Each way the note or the file can be wrong for this run: no depth, and the
// editor is told why.
TEST_F(Reload, ForeignOrStaleHandOffsAreRefusedWithAReason) {
  struct Case {
    const char* what;
    std::function<void(FakeServices&)> change;
    int16_t width = 6;
    DepthNotice notice;
  };
  const std::filesystem::path file = dir / "alpha.dat";
  const std::vector<Case> cases = {
      {"an image of another size", [](FakeServices&) {}, 7, DepthNotice::kHandOffOtherSize},
      {"another host process",
       [](FakeServices& s) {
         s.process = {1001, "boot-1:5001"};
       },
       6, DepthNotice::kHandOffOtherRun},
      {"an earlier process with the same id",
       [](FakeServices& s) { s.process.started = "boot-1:4000"; }, 6,
       DepthNotice::kHandOffOtherRun},
      {"a host that gives no folder for notes", [](FakeServices& s) { s.recordFolder.clear(); }, 6,
       DepthNotice::kHandOffOtherRun},
      {"a file written again since",
       [file](FakeServices&) {
         std::filesystem::last_write_time(
             file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
       },
       6, DepthNotice::kHandOffChanged},
      {"a file of another length",
       [file](FakeServices&) { std::ofstream(file, std::ios::app).put('x'); }, 6,
       DepthNotice::kHandOffChanged},
      {"a file removed", [file](FakeServices&) { std::filesystem::remove(file); }, 6,
       DepthNotice::kHandOffMissing},
      {"a damaged note",
       [](FakeServices& s) {
         std::ofstream(HandOffRecordPath(s.recordFolder, 1000)) << "process 1000\n";
       },
       6, DepthNotice::kHandOffDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    services.process = {1000, "boot-1:5000"};
    services.recordFolder = dir / "notes";
    std::filesystem::remove_all(services.recordFolder);
    Donor(6, 3);
    ReloadModule();
    c.change(services);
    EXPECT_EQ(Colour(c.width, 3), 0);  // nothing handed over, nothing marked
    EXPECT_EQ(services.seenDepthSize, 0);
    EXPECT_EQ(services.seenNotice, c.notice);
  }
}

TEST_F(Reload, WithoutAnyHandOffTheRunSaysItHasNoDepth) {
  Colour(6, 3);
  EXPECT_EQ(services.seenDepthSize, 0);
  EXPECT_EQ(services.seenNotice, DepthNotice::kNoDepth);
  // A file that no note of this process names is another session's.
  std::ofstream(dir / "alpha.dat") << "left over";
  Colour(6, 3);
  EXPECT_EQ(services.seenNotice, DepthNotice::kHandOffOtherRun);
}

// Hosts that keep the module or the slot: the mark still decides, and a map
// that cannot be taken is no longer passed over in silence.
TEST_F(Reload, MarkedHandOffsSayWhyTheyWereNotTaken) {
  Donor(6, 3);
  const intptr_t slot = Colour(6, 3);
  EXPECT_EQ(services.seenDepthSize, 24);
  Colour(5, 3);
  EXPECT_EQ(services.seenNotice, DepthNotice::kHandOffOtherSize);
  std::ofstream(dir / "alpha.dat", std::ios::binary) << std::string(20, '\x7f');
  Colour(6, 3);
  EXPECT_EQ(services.seenNotice, DepthNotice::kHandOffDamaged);
  std::filesystem::remove(dir / "alpha.dat");
  ReloadModule();
  Colour(6, 3, slot);
  EXPECT_EQ(services.seenDepthSize, 0);
  EXPECT_EQ(services.seenNotice, DepthNotice::kHandOffMissing);
}

TEST_F(Reload, AnImageWithItsOwnDepthEndsTheHandOff) {
  Donor(6, 3);
  FakeHost four(pi::kModeRGB, 4, 6, 3);
  RunOn(four, 4, [](int, int, int) { return uint8_t(0); });
  EXPECT_EQ(services.seenNotice, DepthNotice::kNone);
  EXPECT_FALSE(std::filesystem::exists(HandOffRecordPath(services.recordFolder, 1000)));
  ReloadModule();
  Colour(6, 3);
  EXPECT_EQ(services.seenDepthSize, 0);
  EXPECT_EQ(services.seenNotice, DepthNotice::kHandOffOtherRun);
}

TEST_F(Reload, DonorRunsClearAwayTheNotesOfEndedHosts) {
  auto note = [&](uint64_t id, const std::string& started) {
    HandOffRecord record;
    record.process = {id, started};
    record.width = record.height = 4;
    record.file = std::filesystem::absolute(dir / "elsewhere" / "alpha.dat");
    record.fileBytes = 100;
    ASSERT_TRUE(WriteHandOffRecord(services.recordFolder, record));
  };
  note(7, "boot-1:70");
  note(8, "boot-1:80");
  services.runningProcesses = {{8, "boot-1:80"}};
  Donor(4, 2);
  EXPECT_FALSE(std::filesystem::exists(HandOffRecordPath(services.recordFolder, 7)));
  EXPECT_TRUE(std::filesystem::exists(HandOffRecordPath(services.recordFolder, 8)));
  HandOffRecord own;
  ASSERT_EQ(ReadHandOffRecord(HandOffRecordPath(services.recordFolder, 1000), &own),
            RecordRead::kFound);
  EXPECT_EQ(own.process, services.process);
  EXPECT_EQ(own.width, 4);
  EXPECT_EQ(own.height, 2);
  EXPECT_EQ(own.file, std::filesystem::absolute(dir / "alpha.dat"));
}

}  // namespace
}  // namespace ulvo
