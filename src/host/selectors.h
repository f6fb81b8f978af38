// The selector protocol of the entry point. The process-wide state lives in one
// EntryState object owned by the entry-point file; everything the module needs
// from outside (editor, dialogs, host path, hand-off file location) comes in
// through HostServices so that a whole run can be driven in tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "src/host/filter_record.h"
#include "src/host/host_kind.h"
#include "src/job/filter_job.h"

namespace ulvo {

inline constexpr int32_t kRepeatMarkerIdle = 9999;  // after loading and after every finish
inline constexpr int16_t kResultCancelled = 2;      // positive: the host shows nothing
inline constexpr int32_t kPreparedMaxSpace = 512;

class HostServices {
 public:
  virtual ~HostServices() = default;
  // Runs the modal editor on the job; it sets job.accepted and writes the output.
  virtual EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth) = 0;
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
};

// Runs one selector. Never throws: anything unexpected becomes an error result.
void RunSelector(EntryState& state, HostServices& services, int16_t selector, void* record,
                 intptr_t* data, int16_t* result) noexcept;

}  // namespace ulvo
