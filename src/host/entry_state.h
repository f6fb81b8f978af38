// What the entry point keeps between the host's calls, and everything it
// needs from outside (editor, dialogs, host path, where the hand-off files
// go, which process this is), so that whole runs can be driven in tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "src/host/filter_record.h"
#include "src/host/host_kind.h"
#include "src/host/process_identity.h"
#include "src/job/depth_notice.h"
#include "src/job/filter_job.h"

namespace ulvo {

inline constexpr int32_t kRepeatMarkerIdle = 9999;  // after loading and after every finish
inline constexpr int16_t kResultCancelled = 2;      // positive: the host shows nothing
inline constexpr int32_t kPreparedMaxSpace = 512;

class HostServices {
 public:
  virtual ~HostServices() = default;
  // Runs the modal editor on the job; it sets job.accepted and writes the
  // output. `notice` says why the run has no depth map, when it has none.
  virtual EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth, DepthNotice notice) = 0;
  virtual void ShowAboutBox() = 0;
  // Tells the user that the donor run's depth map was stored; `elsewhere` is
  // where, when that is not the usual place (empty otherwise).
  virtual void ShowDepthTransferred(const std::filesystem::path& elsewhere) = 0;
  // Tells the user that the donor run's depth map could be stored nowhere.
  virtual void ShowDepthNotSaved() = 0;
  virtual std::string HostExecutablePath() = 0;
  // Diagnostic text on standard output, without a line end.
  virtual void Print(const char* text) = 0;
  // The hand-off file in the usual place, and in the per-user folder that
  // takes it where the usual place refuses new files (empty: none).
  virtual std::filesystem::path DepthFilePath() = 0;
  virtual std::filesystem::path FallbackDepthFilePath() = 0;
  // The folder of the donor runs' notes (handoff_record.h); empty: none.
  virtual std::filesystem::path HandOffRecordFolder() = 0;
  // The host process the module runs in, and whether another one still runs.
  virtual ProcessIdentity CurrentProcess() = 0;
  virtual bool ProcessRunning(const ProcessIdentity& process) = 0;
};

struct EntryState {
  FilterJob job;
  DepthBuffer depth;
  std::unique_ptr<uint8_t[]> depthBlock;  // owns depth.data while a run holds a block
  HostKind hostKind = HostKind::kGeneric;
  int32_t repeatMarker = kRepeatMarkerIdle;
  bool started = false;              // a start of this run succeeded
  bool editorDone = false;           // the editor of this run has returned
  bool requestedFilterRect = false;  // asked for filterRect once more after the editor
  pi::Rect requestedRect{};          // the rectangle asked for then
  char hostPath[256] = {};
  // The file of this module's last donor run, for as long as the module is
  // loaded: the hand-off then also reaches hosts that keep no data slot.
  std::filesystem::path donorFile;

  // A depth block of 4 * floor(bytes / 4) + 4 bytes with that capacity in
  // depth.size, replacing any earlier one; false when it cannot be had.
  bool AllocateDepthBlock(int64_t bytes);
  void ReleaseDepth();
};

}  // namespace ulvo
