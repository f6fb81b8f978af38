// Drives a filter module through its selectors the way a host does: builds
// the record, answers the module's buffer requests, keeps the data slot across
// runs and composites the module's output back into the document.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "src/host/filter_record.h"
#include "src/imageio/image_file.h"
#include "tools/ulvohost/host_options.h"
#include "tools/ulvohost/host_platform.h"
#include "tools/ulvohost/host_region.h"

namespace ulvo::host {

struct RunOutcome {
  bool hostOk = true;  // false when the host itself failed (bad request, cap reached)
  int16_t result = 0;  // the last result the module reported
  int continueCalls = 0;
  std::string error;
};

class FilterSession {
 public:
  FilterSession(pi::EntryPointProc entry, HostPlatform& platform, int continueCap);
  ~FilterSession();
  FilterSession(const FilterSession&) = delete;
  FilterSession& operator=(const FilterSession&) = delete;

  // One filter run on `document` (with an optional selection mask of the same
  // size). When the run ends with result 0, `document` holds the filtered
  // image; otherwise it is left as it was.
  RunOutcome RunFilter(const RunPlan& plan, Image& document, const Image* mask);

  // The about selector with an about record.
  RunOutcome RunAbout(const RunPlan& plan);

  intptr_t dataSlot() const { return data_; }

  // The entry point of a module loaded anew; the data slot stays the host's.
  void SetEntry(pi::EntryPointProc entry) { entry_ = entry; }

  // One run's record and buffers (defined with the session's code).
  struct Run;

 private:
  int16_t Call(int16_t selector, void* record, int16_t preset);
  void ResetRecord(Run& run, const RunPlan& plan, const Image& document, const Image* mask);
  bool DeliverBuffers(Run& run);
  void CollectOutput(Run& run);
  RunOutcome DriveSequence(Run& run, const RunPlan& plan);
  RunOutcome DriveRaw(Run& run, const RunPlan& plan);
  static int16_t AdvanceStateProc();

  pi::EntryPointProc entry_;
  HostPlatform& platform_;
  int continueCap_;
  intptr_t data_ = 0;  // the module's data slot, kept for the whole process
  pi::Handle parameters_ = nullptr;
  pi::PlatformData platformData_{};
};

}  // namespace ulvo::host
