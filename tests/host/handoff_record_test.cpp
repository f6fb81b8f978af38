#include "src/host/handoff_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace ulvo {
namespace {

std::filesystem::path AbsoluteDepthFile() {
  return std::filesystem::temp_directory_path() / "some folder" / "alpha.dat";
}

HandOffRecord SampleRecord() {
  HandOffRecord record;
  record.process = {4242, "boot-7:12345"};
  record.width = 1200;
  record.height = 900;
  record.file = AbsoluteDepthFile();
  record.fileBytes = 1080016;
  record.fileTime = -4640907855323887597;
  return record;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(HandOffRecord, RoundTripsThroughItsText) {
  const HandOffRecord record = SampleRecord();
  const std::string text = EncodeHandOffRecord(record);
  EXPECT_EQ(text.rfind("UlvoFilter depth hand-off 1\nprocess 4242\n", 0), 0u) << text;
  const std::optional<HandOffRecord> parsed = ParseHandOffRecord(text);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, record);

  // Field order is free; the file path may hold spaces and any UTF-8.
  HandOffRecord unusual = record;
  unusual.file = AbsoluteDepthFile().parent_path() / u8"写真 2" / "alpha.dat";
  unusual.fileTime = 0;
  const std::optional<HandOffRecord> again = ParseHandOffRecord(EncodeHandOffRecord(unusual));
  ASSERT_TRUE(again);
  EXPECT_EQ(*again, unusual);
}

// Every way a note can be damaged or forged leaves nothing to trust.
TEST(HandOffRecord, MalformedTextsAreRefused) {
  const std::string good = EncodeHandOffRecord(SampleRecord());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  const std::string file =
      "file " + std::string(reinterpret_cast<const char*>(AbsoluteDepthFile().u8string().c_str()));
  const std::vector<std::string> bad = {
      "",
      "\n",
      good.substr(0, good.size() - 1),     // no final line end
      good.substr(0, good.find("file ")),  // a field missing
      good + "width 5\n",                  // a field twice
      good + "colour red\n",               // an unknown field
      good + "\n",                         // an empty line
      replaced("UlvoFilter depth hand-off 1", "UlvoFilter depth hand-off 2"),
      replaced("process 4242", "process 0"),
      replaced("process 4242", "process -4242"),
      replaced("process 4242", "process 4242x"),
      replaced("process 4242", "process 99999999999999999999999"),
      replaced("process 4242", "process  4242"),
      replaced("width 1200", "width 0"),
      replaced("width 1200", "width 32768"),
      replaced("height 900", "height -900"),
      replaced("height 900", "height +900"),
      replaced("bytes 1080016", "bytes 15"),
      replaced("written -4640907855323887597", "written -0"),
      replaced("written -4640907855323887597", "written 99999999999999999999"),
      replaced("started boot-7:12345", "started "),
      replaced("started boot-7:12345", "started two words"),
      replaced("started boot-7:12345", "started " + std::string(65, 't')),
      replaced(file, "file relative/alpha.dat"),
      replaced(file, "file " + (AbsoluteDepthFile().parent_path() / "passwords.txt").string()),
      replaced(file, "file "),
      replaced(file, file + "\t"),
      replaced(file, "file /" + std::string(1100, 'a') + "/alpha.dat"),
      good + std::string(kHandOffRecordMaxBytes, '#'),  // larger than a note is
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_FALSE(ParseHandOffRecord(bad[i])) << "case " << i << ":\n" << bad[i];
  }
}

TEST(HandOffRecord, FilesAreWrittenWholeAndReadWithCare) {
  TempDir dir;
  const std::filesystem::path folder = dir / "notes";
  const HandOffRecord record = SampleRecord();
  ASSERT_TRUE(WriteHandOffRecord(folder, record));  // makes the folder
  const std::filesystem::path path = HandOffRecordPath(folder, 4242);
  EXPECT_EQ(path.filename(), "handoff-4242.txt");
  EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));

  HandOffRecord read;
  EXPECT_EQ(ReadHandOffRecord(path, &read), RecordRead::kFound);
  EXPECT_EQ(read, record);
  EXPECT_EQ(ReadHandOffRecord(HandOffRecordPath(folder, 4243), &read), RecordRead::kMissing);

  WriteText(path, EncodeHandOffRecord(record) + std::string(5000, 'x'));
  EXPECT_EQ(ReadHandOffRecord(path, &read), RecordRead::kDamaged);
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);  // not a file at all
  EXPECT_EQ(ReadHandOffRecord(path, &read), RecordRead::kDamaged);
  std::filesystem::remove(path);

  // A process whose start cannot be told writes no note.
  HandOffRecord unknown = record;
  unknown.process.started.clear();
  EXPECT_FALSE(WriteHandOffRecord(folder, unknown));
  EXPECT_FALSE(WriteHandOffRecord({}, record));

  ASSERT_TRUE(WriteHandOffRecord(folder, record));
  RemoveHandOffRecord(folder, 4242);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(HandOffRecord, PruningKeepsOnlyNotesOfRunningHosts) {
  TempDir dir;
  const std::filesystem::path folder = dir.path();
  auto note = [&](uint64_t id, const std::string& started) {
    HandOffRecord record = SampleRecord();
    record.process = {id, started};
    EXPECT_TRUE(WriteHandOffRecord(folder, record));
  };
  note(1, "alive");
  note(2, "ended");
  note(3, "ended");  // this process: its note is its own business
  // A note under another process's name is forged.
  HandOffRecord forged = SampleRecord();
  forged.process = {4, "alive"};
  WriteText(HandOffRecordPath(folder, 5), EncodeHandOffRecord(forged));
  WriteText(HandOffRecordPath(folder, 6), "damaged");
  WriteText(folder / "handoff-x.txt", "not a note's name");
  WriteText(folder / "alpha.dat", "other files stay");

  PruneHandOffRecords(folder, 3,
                      [](const ProcessIdentity& process) { return process.started == "alive"; });
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"alpha.dat", "handoff-1.txt", "handoff-3.txt",
                                            "handoff-x.txt"}));
  PruneHandOffRecords(dir / "missing", 3, [](const ProcessIdentity&) { return false; });
}

TEST(ProcessIdentity, TellsThisProcessFromOthers) {
  const ProcessIdentity self = CurrentProcessIdentity();
  ASSERT_TRUE(self.known());
  EXPECT_EQ(CurrentProcessIdentity(), self);
  EXPECT_TRUE(ProcessIsRunning(self));

  ProcessIdentity earlier = self;
  earlier.started += "0";  // same id, another start: an earlier process
  EXPECT_FALSE(ProcessIsRunning(earlier));
  EXPECT_FALSE(ProcessIsRunning({self.id, ""}));
  EXPECT_FALSE(ProcessIsRunning({}));
}

TEST(HandOffFile, SizeAndTimeAreLookedAt) {
  TempDir dir;
  const std::filesystem::path file = dir / "alpha.dat";
  EXPECT_FALSE(LookAtHandOffFile(file));
  WriteText(file, std::string(40, 'a'));
  const std::optional<HandOffFileState> first = LookAtHandOffFile(file);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->bytes, 40u);
  std::filesystem::last_write_time(
      file, std::filesystem::last_write_time(file) + std::chrono::seconds(3));
  const std::optional<HandOffFileState> later = LookAtHandOffFile(file);
  ASSERT_TRUE(later);
  EXPECT_NE(later->time, first->time);
}

}  // namespace
}  // namespace ulvo
