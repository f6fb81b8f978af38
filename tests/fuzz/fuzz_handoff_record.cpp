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
#include "tests/support/fake_host.h"
#include "tests/support/fake_services.h"
#include "tests/support/temp_dir.h"

namespace ulvo::fuzz {
namespace {

constexpr int16_t kWidth = 8;  // a multiple of 4: no row pad
constexpr int16_t kHeight = 4;
const ProcessIdentity kSelf{77, "boot:fuzz"};

void Require(bool condition) {
  if (!condition) std::abort();
}

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
void PlayColourRun(FakeServices& services) {
  EntryState state;
  FakeHost host(pi::kModeRGB, 3, kWidth, kHeight);
  Require(host.Call(state, services, pi::kSelectorStart) == 0);
  host.Deliver(3, [](int, int, int) { return uint8_t{50}; });
  host.Call(state, services, pi::kSelectorContinue);
  host.Call(state, services, pi::kSelectorFinish);
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

  // The module's world: its hand-off file and notes in the folder, this
  // process the only one running.
  FakeServices services(folder.path() / kDepthFileName);
  services.hostPath = "/opt/editor/bin/editor";
  services.recordFolder = folder.path();
  services.process = kSelf;
  PlayColourRun(services);
  if (services.seenDepthSize != 0) {
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
