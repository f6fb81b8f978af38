// The note a donor run leaves beside its depth hand-off file: which host
// process wrote which file, for an image of which size, and what the file
// looked like then. It lets a colour run of the same host process find the
// map after the host unloaded the module (and with it the module's memory
// and, in some hosts, the data slot), and refuse a file that any other
// process, an earlier session or another image left behind.
//
// One small text file per host process, "handoff-<process id>.txt" in the
// per-user folder:
//
//   UlvoFilter depth hand-off 1
//   process 4242
//   started <token of the process's start>
//   width 1200
//   height 900
//   bytes 1080016
//   written <the file's last write time, in the file clock's ticks>
//   file <absolute path of the hand-off file, UTF-8>
//
// Notes are read as untrusted input: anything malformed is damaged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "src/host/process_identity.h"

namespace ulvo {

inline constexpr size_t kHandOffRecordMaxBytes = 4096;

struct HandOffRecord {
  ProcessIdentity process;
  int32_t width = 0;   // the donor image's width before the row pad
  int32_t height = 0;  // its rows
  std::filesystem::path file;
  uint64_t fileBytes = 0;
  int64_t fileTime = 0;

  bool operator==(const HandOffRecord&) const = default;
};

std::string EncodeHandOffRecord(const HandOffRecord& record);

// The record a text holds, or nothing when the text is not a well-formed
// note: every field exactly once and in range, an absolute file path that
// names the hand-off file, nothing else.
std::optional<HandOffRecord> ParseHandOffRecord(std::string_view text);

// Where the note of process `id` lies in `folder`.
std::filesystem::path HandOffRecordPath(const std::filesystem::path& folder, uint64_t id);

enum class RecordRead { kFound, kMissing, kDamaged };

// Reads one note; a file larger than kHandOffRecordMaxBytes is damaged.
RecordRead ReadHandOffRecord(const std::filesystem::path& path, HandOffRecord* record);

// Writes the note of record.process into `folder` (made when missing), under
// a temporary name first so that no reader sees half a note. False when it
// could not be written.
bool WriteHandOffRecord(const std::filesystem::path& folder, const HandOffRecord& record);

void RemoveHandOffRecord(const std::filesystem::path& folder, uint64_t id);

// Removes the notes of processes that no longer run (and damaged notes),
// except `self`'s, so that the folder holds one note per live host at most.
void PruneHandOffRecords(const std::filesystem::path& folder, uint64_t self,
                         const std::function<bool(const ProcessIdentity&)>& running);

// The size and time of a hand-off file as a note keeps them; nothing when
// the file cannot be looked at.
struct HandOffFileState {
  uint64_t bytes = 0;
  int64_t time = 0;
};
std::optional<HandOffFileState> LookAtHandOffFile(const std::filesystem::path& file);

}  // namespace ulvo
