// The module must end cleanly whatever a host or a stale file hands it: bad
// depth hand-off files, null records, unknown selectors and selectors out of
// order. Under the sanitizer build these runs also check memory use.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_images.h"

namespace ulvo::e2e {
namespace {

std::vector<uint8_t> Header(int32_t size, int32_t rowBytes, int32_t width, int32_t height) {
  std::vector<uint8_t> bytes;
  for (int32_t v : {size, rowBytes, width, height}) {
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> shift));
    }
  }
  return bytes;
}

std::vector<uint8_t> WithBody(std::vector<uint8_t> bytes, size_t body) {
  bytes.resize(bytes.size() + body, 0x80);
  return bytes;
}

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TargetFromEnvironment().valid()) {
      GTEST_SKIP() << "ULVO_E2E_HOST and ULVO_E2E_MODULE are not set";
    }
  }

  void ExpectCleanExit(const HostReport& report) {
    EXPECT_FALSE(report.process.timedOut) << report.Dump();
    EXPECT_EQ(report.process.exitCode, 0) << report.Dump();
    EXPECT_EQ(report.process.err.find("Sanitizer"), std::string::npos) << report.Dump();
    EXPECT_EQ(report.process.err.find("runtime error"), std::string::npos) << report.Dump();
  }

  TempDir dir_{kKeepFolders};
};

TEST_F(HostileInput, BadDepthFilesAreIgnoredByTheColourRun) {
  // A donor run in a folder of its own marks the data slot; the colour run
  // then reads whatever "alpha.dat" lies in its own working directory.
  std::filesystem::create_directory(dir_.file("donor"));
  SaveImage(dir_, "donor/grey.png", MakeImage(20, 10, 1));
  const Image colour = MakeImage(20, 10, 3);
  SaveImage(dir_, "rgb.png", colour);
  WriteScript(dir_, "donor/donor.txt", "answer ok\n");
  WriteScript(dir_, "finish.txt", "wait-editor\ncommand 57665\n");

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"empty file", {}},
      {"header cut short", {200, 0, 0, 0, 20, 0}},
      {"header only", Header(200, 20, 20, 10)},
      {"body shorter than announced", WithBody(Header(200, 20, 20, 10), 37)},
      {"negative size", WithBody(Header(-200, 20, 20, 10), 200)},
      {"negative row distance", WithBody(Header(200, -20, 20, 10), 200)},
      {"row distance times height overflows", WithBody(Header(200, 0x40000000, 20, 4), 200)},
      {"huge size", WithBody(Header(0x7FFFFFFF, 20, 20, 10), 64)},
      {"other width", WithBody(Header(220, 22, 22, 10), 220)},
      {"other height", WithBody(Header(220, 20, 20, 11), 220)},
      {"zero everything", Header(0, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(dir_.file("alpha.dat"), c.bytes);
    const HostReport report =
        RunHost(TargetFromEnvironment(), dir_,
                {"--image", "grey.png", "--cwd", "donor", "--script", "donor.txt", "--image",
                 "rgb.png", "--cwd", "..", "--script", "finish.txt", "--out", "out.png"});
    ExpectCleanExit(report);
    EXPECT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
    const Image out = LoadImage(dir_, "out.png");
    EXPECT_TRUE(out.pixels == colour.pixels);
    // The hostile file is read, never rewritten, by a colour run.
    EXPECT_EQ(ReadFileBytes(dir_.file("alpha.dat")), c.bytes);
  }
}

// Stored settings of the wrong type, negative, out of range or far too
// long: the editor opens as usual and the run ends with its result.
TEST_F(HostileInput, DamagedSettingsStillOpenTheEditor) {
  const Target& target = TargetFromEnvironment();
  const std::string huge(30000, 'x');
  if (target.windows()) {
    ASSERT_TRUE(SettingsSandbox::SetRegistryValue("PrevSkip", "REG_SZ", "fast"));
    ASSERT_TRUE(SettingsSandbox::SetRegistryValue("PatDir", "REG_DWORD", "7"));
    ASSERT_TRUE(SettingsSandbox::SetRegistryValue("Ndepth", "REG_DWORD", "4294967295"));
    ASSERT_TRUE(SettingsSandbox::SetRegistryValue("NomKatasa", "REG_DWORD", "99"));
    ASSERT_TRUE(SettingsSandbox::SetRegistryValue("OldPatName", "REG_SZ", huge));
  } else {
    const std::filesystem::path file = SettingsSandbox::NativeFile();
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        << "[UlvoFilter]\nPrevSkip=fast\nNdepth=-1\nNomKatasa=99\nMaxDMapSize=99999999999\n"
        << "OldPatName=" << huge << "\n=\n[UlvoFilter\n\x01\x02\n";
  }
  const Image colour = MakeImage(30, 20, 3);
  SaveImage(dir_, "rgb.png", colour);
  WriteScript(dir_, "finish.txt", "wait-editor\nexpect-open\ncommand 57665\n");
  const HostReport report =
      RunHost(target, dir_, {"--image", "rgb.png", "--out", "out.png", "--script", "finish.txt"});
  ExpectCleanExit(report);
  EXPECT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
}

TEST_F(HostileInput, NullRecordWritesNoResult) {
  SaveImage(dir_, "rgb.png", MakeImage(8, 8, 3));
  const HostReport report = RunHost(TargetFromEnvironment(), dir_,
                                    {"--image", "rgb.png", "--null-record", "--preset-result", "77",
                                     "--raw-selectors", "0,1,2,3,4,5,9"});
  ExpectCleanExit(report);
  const auto calls = report.LinesStartingWith("call: ");
  ASSERT_EQ(calls.size(), 7u) << report.Dump();
  for (const std::string& call : calls)
    EXPECT_NE(call.find(" result 77"), std::string::npos) << call;
}

TEST_F(HostileInput, UnknownSelectorsAreAnsweredWithNoError) {
  SaveImage(dir_, "rgb.png", MakeImage(8, 8, 3));
  const HostReport report = RunHost(
      TargetFromEnvironment(), dir_,
      {"--image", "rgb.png", "--preset-result", "77", "--raw-selectors", "6,-1,99,32767,-32768"});
  ExpectCleanExit(report);
  const auto calls = report.LinesStartingWith("call: ");
  ASSERT_EQ(calls.size(), 5u) << report.Dump();
  for (const std::string& call : calls)
    EXPECT_NE(call.find(" result 0"), std::string::npos) << call;
}

TEST_F(HostileInput, SelectorsOutOfOrderEndCleanly) {
  SaveImage(dir_, "rgb.png", MakeImage(12, 9, 3));
  SaveImage(dir_, "grey.png", MakeImage(12, 9, 1));
  // Out of order, the module may open its editor or its depth message more
  // than once; the scripts see to every one of them.
  WriteScript(dir_, "rgb.txt", "wait-editor\ncommand 57665\nwait-editor\ncommand 57665\n");
  WriteScript(dir_, "grey.txt", "answer ok\nanswer ok\n");
  const char* sequences[] = {
      "5",            // finish alone
      "4",            // continue before anything was requested
      "4,5,4,5",      // repeated continue and finish without a start
      "3,5,5",        // start, then two finishes
      "2,4,3,4,4,5",  // continue before start, then again after the editor
      "1,3,1,3,4,5",  // start twice
  };
  for (const char* sequence : sequences) {
    for (const char* kind : {"rgb", "grey"}) {
      SCOPED_TRACE(std::string(sequence) + " on " + kind);
      const std::string image = std::string(kind) + ".png";
      const std::string script = std::string(kind) + ".txt";
      const HostReport report =
          RunHost(TargetFromEnvironment(), dir_,
                  {"--image", image, "--script", script, "--raw-selectors", sequence});
      ExpectCleanExit(report);
    }
  }
}

}  // namespace
}  // namespace ulvo::e2e
