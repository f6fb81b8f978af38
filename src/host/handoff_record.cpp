#include "src/host/handoff_record.h"

#include <array>
#include <charconv>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

#include "src/host/depth_file.h"

namespace ulvo {
namespace {

constexpr std::string_view kMagic = "UlvoFilter depth hand-off 1";
constexpr std::string_view kPrefix = "handoff-";
constexpr std::string_view kSuffix = ".txt";
constexpr size_t kMaxTokenBytes = 64;
constexpr size_t kMaxPathBytes = 1024;
constexpr int32_t kMaxSide = 32767;  // image coordinates of the host interface are 16-bit
constexpr size_t kMaxPrunedNotes = 256;

enum Field { kProcess, kStarted, kWidth, kHeight, kBytes, kWritten, kFile, kFieldCount };
constexpr std::array<std::string_view, kFieldCount> kNames = {
    "process", "started", "width", "height", "bytes", "written", "file"};

template <typename T>
std::optional<T> Number(std::string_view text, T low, T high) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || at != end || value < low || value > high) {
    return std::nullopt;
  }
  // from_chars takes no '+', but it does take "-0"; a note never says that.
  if (text[0] == '-' && value == 0) return std::nullopt;
  return value;
}

bool PrintableToken(std::string_view text) {
  if (text.empty() || text.size() > kMaxTokenBytes) return false;
  for (const char c : text) {
    if (c < 0x21 || c > 0x7e) return false;
  }
  return true;
}

bool PlainPathText(std::string_view text) {
  if (text.empty() || text.size() > kMaxPathBytes) return false;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::filesystem::path PathOfUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8OfPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// The process id named by a note's file name, or 0 when it is no note's name.
uint64_t IdOfNoteName(const std::string& name) {
  if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix)) {
    return 0;
  }
  const std::string_view digits =
      std::string_view(name).substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  if (digits[0] == '-') return 0;
  return Number<uint64_t>(digits, 1, std::numeric_limits<uint64_t>::max()).value_or(0);
}

}  // namespace

std::string EncodeHandOffRecord(const HandOffRecord& record) {
  std::string text(kMagic);
  text += "\nprocess " + std::to_string(record.process.id);
  text += "\nstarted " + record.process.started;
  text += "\nwidth " + std::to_string(record.width);
  text += "\nheight " + std::to_string(record.height);
  text += "\nbytes " + std::to_string(record.fileBytes);
  text += "\nwritten " + std::to_string(record.fileTime);
  text += "\nfile " + Utf8OfPath(record.file);
  text += "\n";
  return text;
}

std::optional<HandOffRecord> ParseHandOffRecord(std::string_view text) {
  if (text.size() > kHandOffRecordMaxBytes || !text.ends_with('\n')) return std::nullopt;
  std::array<std::optional<std::string_view>, kFieldCount> values;
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (first) {
      if (line != kMagic) return std::nullopt;
      first = false;
      continue;
    }
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const std::string_view name = line.substr(0, space);
    size_t field = 0;
    while (field < kFieldCount && kNames[field] != name) ++field;
    if (field == kFieldCount || values[field]) return std::nullopt;
    values[field] = line.substr(space + 1);
  }
  for (const auto& value : values) {
    if (!value) return std::nullopt;
  }

  HandOffRecord record;
  const auto id = Number<uint64_t>(*values[kProcess], 1, std::numeric_limits<uint64_t>::max());
  const auto width = Number<int32_t>(*values[kWidth], 1, kMaxSide);
  const auto height = Number<int32_t>(*values[kHeight], 1, kMaxSide);
  const auto bytes = Number<uint64_t>(*values[kBytes], kDepthFileHeaderBytes,
                                      std::numeric_limits<uint64_t>::max());
  const auto time = Number<int64_t>(*values[kWritten], std::numeric_limits<int64_t>::min(),
                                    std::numeric_limits<int64_t>::max());
  if (!id || !width || !height || !bytes || !time || !PrintableToken(*values[kStarted]) ||
      !PlainPathText(*values[kFile])) {
    return std::nullopt;
  }
  record.process.id = *id;
  record.process.started = std::string(*values[kStarted]);
  record.width = *width;
  record.height = *height;
  record.fileBytes = *bytes;
  record.fileTime = *time;
  record.file = PathOfUtf8(*values[kFile]);
  // Only ever the hand-off file itself, named in full.
  if (!record.file.is_absolute() || record.file.filename() != kDepthFileName) return std::nullopt;
  return record;
}

std::filesystem::path HandOffRecordPath(const std::filesystem::path& folder, uint64_t id) {
  return folder / (std::string(kPrefix) + std::to_string(id) + std::string(kSuffix));
}

RecordRead ReadHandOffRecord(const std::filesystem::path& path, HandOffRecord* record) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::error_code error;
    return std::filesystem::exists(path, error) ? RecordRead::kDamaged : RecordRead::kMissing;
  }
  std::string text(kHandOffRecordMaxBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) return RecordRead::kDamaged;
  text.resize(static_cast<size_t>(file.gcount()));
  std::optional<HandOffRecord> parsed = ParseHandOffRecord(text);
  if (!parsed) return RecordRead::kDamaged;
  if (record != nullptr) *record = std::move(*parsed);
  return RecordRead::kFound;
}

bool WriteHandOffRecord(const std::filesystem::path& folder, const HandOffRecord& record) {
  if (folder.empty() || !record.process.known()) return false;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::filesystem::path path = HandOffRecordPath(folder, record.process.id);
  std::filesystem::path temp = path;
  temp += ".tmp";
  const std::string text = EncodeHandOffRecord(record);
  bool written = false;
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    written = !file.fail();
  }
  if (written) {
    std::filesystem::rename(temp, path, error);
    if (!error) return true;
  }
  std::filesystem::remove(temp, error);
  return false;
}

void RemoveHandOffRecord(const std::filesystem::path& folder, uint64_t id) {
  if (folder.empty() || id == 0) return;
  std::error_code error;
  std::filesystem::remove(HandOffRecordPath(folder, id), error);
}

void PruneHandOffRecords(const std::filesystem::path& folder, uint64_t self,
                         const std::function<bool(const ProcessIdentity&)>& running) {
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) return;
  // Names first: removing while iterating is not well defined.
  std::vector<std::filesystem::path> stale;
  size_t looked = 0;
  for (const std::filesystem::directory_entry& entry : entries) {
    if (++looked > kMaxPrunedNotes) break;
    const std::string name = Utf8OfPath(entry.path().filename());
    const uint64_t id = IdOfNoteName(name);
    if (id == 0 || id == self) continue;
    HandOffRecord record;
    const RecordRead read = ReadHandOffRecord(entry.path(), &record);
    if (read == RecordRead::kDamaged ||
        (read == RecordRead::kFound && (record.process.id != id || !running(record.process)))) {
      stale.push_back(entry.path());
    }
  }
  for (const std::filesystem::path& path : stale) std::filesystem::remove(path, error);
}

std::optional<HandOffFileState> LookAtHandOffFile(const std::filesystem::path& file) {
  std::error_code error;
  HandOffFileState state;
  state.bytes = std::filesystem::file_size(file, error);
  if (error) return std::nullopt;
  const auto time = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  state.time = static_cast<int64_t>(time.time_since_epoch().count());
  return state;
}

}  // namespace ulvo
