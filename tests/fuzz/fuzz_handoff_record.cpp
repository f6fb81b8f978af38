// The note a donor run leaves for later colour runs of its host process, as
// the untrusted text it is: parsed, read from a file, and taken up by the
// colour run of a module loaded anew with a zeroed data slot. In the input,
// "@DEPTH@" stands for the run's own hand-off file and "@BYTES@" and "@TIME@"
// for that file's length and time, so that inputs can name a file that is
// really there. A colour run may take depth only from a note of this very
// process, for an image of this size, naming that file as it is.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "src/host/depth_file.h"
#include "src/host/handoff_record.h"
#include "src/host/selectors.h"
#include "tests/imageio/temp_dir.h"

namespace ulvo::fuzz {
namespace {

constexpr int16_t kWidth = 8;  // a multiple of 4: no row pad
constexpr int16_t kHeight = 4;
const ProcessIdentity kSelf{77, "boot:fuzz"};

void Require(bool condition) {
  if (!condition) std::abort();
}

class NoteServices final : public HostServices {
 public:
  explicit NoteServices(std::filesystem::path folder) : folder_(std::move(folder)) {}
  EditorResult RunEditor(FilterJob&, const DepthBuffer& depth, DepthNotice notice) override {
    loaded = depth.present();
    seenNotice = notice;
    return EditorResult::kClosed;
  }
  void ShowAboutBox() override {}
  void ShowDepthTransferred(const std::filesystem::path&) override {}
  void ShowDepthNotSaved() override {}
  std::string HostExecutablePath() override { return "/opt/editor/bin/editor"; }
  void Print(const char*) override {}
  std::filesystem::path DepthFilePath() override { return folder_ / kDepthFileName; }
  std::filesystem::path FallbackDepthFilePath() override { return {}; }
  std::filesystem::path HandOffRecordFolder() override { return folder_; }
  ProcessIdentity CurrentProcess() override { return kSelf; }
  bool ProcessRunning(const ProcessIdentity& process) override { return process == kSelf; }

  bool loaded = false;
  DepthNotice seenNotice = DepthNotice::kNone;

 private:
  std::filesystem::path folder_;
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// A hand-off file of the colour run's size, as a donor run writes it.
std::filesystem::path WriteDepthFileFor(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder / kDepthFileName;
  std::vector<uint8_t> rows(static_cast<size_t>(kWidth) * kHeight, 9);
  DepthFileInfo info{kWidth * kHeight, kWidth, kWidth, kHeight};
  Require(WriteDepthFile(path, info, rows.data(), kWidth) == DepthFileStatus::kOk);
  return path;
}

// The colour run of a freshly loaded module: start, then continue with
// buffers for what it asked, in a host whose data slot is zero.
void PlayColourRun(NoteServices& services) {
  EntryState state;
  pi::FilterRecord record{};
  record.imageMode = pi::kModeRGB;
  record.inLayerPlanes = 3;
  record.filterRect = {0, 0, kHeight, kWidth};
  intptr_t slot = 0;
  int16_t result = 0;
  RunSelector(state, services, pi::kSelectorStart, &record, &slot, &result);
  Require(result == 0);
  std::vector<uint8_t> in(static_cast<size_t>(kWidth) * kHeight * 3, 50), out = in;
  record.inData = in.data();
  record.outData = out.data();
  record.inRowBytes = record.outRowBytes = kWidth * 3;
  RunSelector(state, services, pi::kSelectorContinue, &record, &slot, &result);
  RunSelector(state, services, pi::kSelectorFinish, &record, &slot, &result);
}

}  // namespace
}  // namespace ulvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ulvo;
  using namespace ulvo::fuzz;
  const TempDir folder;
  const std::filesystem::path depthFile = WriteDepthFileFor(folder.path());
  const std::optional<HandOffFileState> state = LookAtHandOffFile(depthFile);
  Require(state.has_value());

  std::string text(reinterpret_cast<const char*>(data), size);
  const std::u8string depthName = depthFile.u8string();
  ReplaceAll(text, "@DEPTH@", std::string(depthName.begin(), depthName.end()));
  ReplaceAll(text, "@BYTES@", std::to_string(state->bytes));
  ReplaceAll(text, "@TIME@", std::to_string(state->time));

  const std::optional<HandOffRecord> parsed = ParseHandOffRecord(text);
  if (parsed) {
    Require(parsed->width >= 1 && parsed->width <= 32767 && parsed->height >= 1);
    Require(parsed->file.is_absolute() && parsed->file.filename() == kDepthFileName);
    Require(ParseHandOffRecord(EncodeHandOffRecord(*parsed)) == parsed);
  }

  const std::filesystem::path notePath = HandOffRecordPath(folder.path(), kSelf.id);
  std::ofstream(notePath, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
  HandOffRecord read;
  const RecordRead status = ReadHandOffRecord(notePath, &read);
  Require((status == RecordRead::kFound) == parsed.has_value());
  if (parsed) Require(read == *parsed);

  NoteServices services(folder.path());
  PlayColourRun(services);
  if (services.loaded) {
    // Only a note that holds up in every part hands a map over.
    std::error_code error;
    Require(parsed && parsed->process == kSelf && parsed->width == kWidth &&
            parsed->height == kHeight &&
            std::filesystem::equivalent(parsed->file, depthFile, error) &&
            parsed->fileBytes == state->bytes && parsed->fileTime == state->time);
    Require(services.seenNotice == DepthNotice::kNone);
  } else {
    Require(services.seenNotice != DepthNotice::kNone);
  }
  return 0;
}
