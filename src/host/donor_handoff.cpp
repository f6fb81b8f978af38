#include "src/host/donor_handoff.h"

#include <new>
#include <system_error>
#include <vector>

#include "src/host/depth_handoff.h"
#include "src/host/handoff_record.h"

namespace ulvo {
namespace {

// Where a marked hand-off's file may be: the place this module's last donor
// run wrote it (or, after the module was loaded anew, the one this process's
// note names), then the current folder, then the per-user folder.
std::vector<std::filesystem::path> DepthFileCandidates(const std::filesystem::path& known,
                                                       HostServices& services) {
  std::vector<std::filesystem::path> places;
  if (!known.empty()) places.push_back(known);
  for (std::filesystem::path place : {services.DepthFilePath(), services.FallbackDepthFilePath()}) {
    if (!place.empty() && (places.empty() || place != places.front())) places.push_back(place);
  }
  return places;
}

bool AnyDepthFile(HostServices& services) {
  std::error_code error;
  for (const std::filesystem::path& place :
       {services.DepthFilePath(), services.FallbackDepthFilePath()}) {
    if (!place.empty() && std::filesystem::exists(place, error)) return true;
  }
  return false;
}

DepthNotice NoticeOf(DepthFileStatus status) {
  switch (status) {
    case DepthFileStatus::kOk:
      return DepthNotice::kNone;
    case DepthFileStatus::kCannotOpen:
    case DepthFileStatus::kWriteFailed:
      return DepthNotice::kHandOffMissing;
    case DepthFileStatus::kMismatch:
    case DepthFileStatus::kTooLarge:
      return DepthNotice::kHandOffOtherSize;
    case DepthFileStatus::kBadHeader:
    case DepthFileStatus::kTruncated:
      break;
  }
  return DepthNotice::kHandOffDamaged;
}

// This process's note, when the host gave the module a folder for notes.
RecordRead ReadOwnNote(HostServices& services, const ProcessIdentity& self, HandOffRecord* note) {
  const std::filesystem::path folder = services.HandOffRecordFolder();
  if (folder.empty() || self.id == 0) return RecordRead::kMissing;
  return ReadHandOffRecord(HandOffRecordPath(folder, self.id), note);
}

// Notes the donor run's file for later colour runs of this process; the
// notes of hosts that have ended are cleared away on the way.
void WriteOwnNote(HostServices& services, const FilterJob& job, const std::filesystem::path& file) {
  const std::filesystem::path folder = services.HandOffRecordFolder();
  const ProcessIdentity self = services.CurrentProcess();
  if (folder.empty() || !self.known()) return;
  PruneHandOffRecords(folder, self.id, [&services](const ProcessIdentity& process) {
    return services.ProcessRunning(process);
  });
  const std::optional<HandOffFileState> now = LookAtHandOffFile(file);
  if (!now) {
    RemoveHandOffRecord(folder, self.id);
    return;
  }
  HandOffRecord note;
  note.process = self;
  note.width = job.width;
  note.height = job.height;
  note.file = file;
  note.fileBytes = now->bytes;
  note.fileTime = now->time;
  // Without the note a reloaded module cannot find the map again; the data
  // slot and the module's memory still carry the hand-off where hosts keep them.
  if (!WriteHandOffRecord(folder, note)) RemoveHandOffRecord(folder, self.id);
}

// Whether a colour run of a module without the slot's mark or memory of the
// donor may read the file this process's note names: only the note of this
// very process, of an image of this size, of a file nobody has changed since.
DepthNotice CheckOwnNote(RecordRead read, const HandOffRecord& note, const ProcessIdentity& self,
                         const FilterJob& job, HostServices& services) {
  if (read == RecordRead::kDamaged) return DepthNotice::kHandOffDamaged;
  if (read == RecordRead::kMissing) {
    return AnyDepthFile(services) ? DepthNotice::kHandOffOtherRun : DepthNotice::kNoDepth;
  }
  if (!self.known() || note.process != self) return DepthNotice::kHandOffOtherRun;
  if (note.width != job.width || note.height != job.height) return DepthNotice::kHandOffOtherSize;
  const std::optional<HandOffFileState> now = LookAtHandOffFile(note.file);
  if (!now) return DepthNotice::kHandOffMissing;
  if (now->bytes != note.fileBytes || now->time != note.fileTime) {
    return DepthNotice::kHandOffChanged;
  }
  return DepthNotice::kNone;
}

}  // namespace

bool StoreDonorDepth(EntryState& state, HostServices& services, intptr_t* data) {
  const FilterJob& job = state.job;
  // Rows as long as their pixels: the host's row distance may hold far more
  // than the picture, and a colour run takes rows of at most its width + 12.
  const int64_t bytes = int64_t{job.paddedWidth} * job.height;
  if (!state.AllocateDepthBlock(bytes)) return false;
  state.depth.size = static_cast<int32_t>(bytes);
  state.depth.rowBytes = job.paddedWidth;
  // The current folder first; where a host's current folder refuses new files,
  // the per-user folder.
  std::filesystem::path written = services.DepthFilePath();
  if (!WriteJobDepthFile(job, state.depth, written)) {
    written = services.FallbackDepthFilePath();
    std::error_code error;
    if (!written.empty()) std::filesystem::create_directories(written.parent_path(), error);
    if (written.empty() || !WriteJobDepthFile(job, state.depth, written)) {
      services.ShowDepthNotSaved();
      return true;
    }
  }
  try {
    // Remembered for the life of the module, and noted for the life of the
    // host process: some hosts keep no data slot, some unload the module.
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(written, error);
    if (error) absolute = written;
    WriteOwnNote(services, job, absolute);
    const bool usualPlace = written == services.DepthFilePath();
    services.ShowDepthTransferred(usualPlace ? std::filesystem::path() : absolute);
    state.donorFile = std::move(absolute);
  } catch (const std::bad_alloc&) {
    // The user was not told, so the file must not be there either: a later
    // colour run would take depth from a hand-off nobody knows of.
    std::error_code ignored;
    std::filesystem::remove(written, ignored);
    const ProcessIdentity self = services.CurrentProcess();
    RemoveHandOffRecord(services.HandOffRecordFolder(), self.id);
    state.donorFile.clear();
    return false;
  }
  // The slot only marks the hand-off; the file carries the map.
  if (data != nullptr) *data = reinterpret_cast<intptr_t>(state.depth.data);
  return true;
}

DonorDepthLoad LoadDonorDepth(EntryState& state, HostServices& services, intptr_t* data,
                              intptr_t slot) {
  const FilterJob& job = state.job;
  const ProcessIdentity self = services.CurrentProcess();
  HandOffRecord note;
  const RecordRead read = ReadOwnNote(services, self, &note);
  const bool ownNote = read == RecordRead::kFound && self.known() && note.process == self;

  std::vector<std::filesystem::path> places;
  const bool marked = slot != 0 || !state.donorFile.empty();
  if (marked) {
    // This host process did hand a map over; the file's header decides.
    places = DepthFileCandidates(!state.donorFile.empty() ? state.donorFile
                                 : ownNote                ? note.file
                                                          : std::filesystem::path(),
                                 services);
  } else {
    const DepthNotice refused = CheckOwnNote(read, note, self, job, services);
    if (refused != DepthNotice::kNone) return {true, refused};
    places.push_back(note.file);
  }

  const int64_t capacity = (int64_t{job.width} + 12) * job.height;
  DepthFileStatus why = DepthFileStatus::kCannotOpen;
  for (const std::filesystem::path& place : places) {
    if (!state.AllocateDepthBlock(capacity)) return {false, DepthNotice::kNone};
    const DepthFileStatus status = ReadJobDepthFile(job, state.depth, place);
    if (status == DepthFileStatus::kOk) {
      if (data != nullptr) *data = reinterpret_cast<intptr_t>(state.depth.data);
      return {true, DepthNotice::kNone};
    }
    // The first file that is there tells why it was not taken.
    if (why == DepthFileStatus::kCannotOpen) why = status;
  }
  // A marked hand-off stays marked for the next runs, as hosts keep the slot.
  if (marked && data != nullptr && state.depth.data != nullptr) {
    *data = reinterpret_cast<intptr_t>(state.depth.data);
  }
  return {true, NoticeOf(why)};
}

void ForgetDonorDepth(EntryState& state, HostServices& services, intptr_t* data) {
  if (data != nullptr) *data = 0;
  state.donorFile.clear();
  RemoveHandOffRecord(services.HandOffRecordFolder(), services.CurrentProcess().id);
}

}  // namespace ulvo
