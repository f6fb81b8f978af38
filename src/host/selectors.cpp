#include "src/host/selectors.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "src/host/delivered_buffers.h"
#include "src/host/donor_handoff.h"
#include "src/host/host_kind.h"
#include "src/host/job_buffers.h"
#include "src/host/rect_ops.h"

namespace ulvo {

namespace {

void SetResult(int16_t* result, int16_t value) {
  if (result != nullptr) *result = value;
}

void SetRequest(pi::FilterRecord& record, const pi::Rect& rect) {
  CopyRect(&record.inRect, &rect);
  CopyRect(&record.outRect, &rect);
  CopyRect(&record.maskRect, &rect);
}

bool SameRect(const pi::Rect& a, const pi::Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

void ClearRequest(pi::FilterRecord& record) {
  SetRequest(record, pi::Rect{0, 0, 0, 0});
}

struct DepthRelease {
  EntryState& state;
  ~DepthRelease() { state.ReleaseDepth(); }
};

void About(HostServices& services, int16_t* result) {
  services.ShowAboutBox();
  SetResult(result, pi::kNoErr);
}

void Parameters(EntryState& state, HostServices& services, int16_t* result) {
  const std::string path = services.HostExecutablePath();
  const size_t n = std::min(path.size(), sizeof(state.hostPath) - 1);
  std::memcpy(state.hostPath, path.data(), n);
  state.hostPath[n] = '\0';
  state.hostKind = DetectHostKind(state.hostPath, state.hostKind);
  state.repeatMarker = 0;
  SetResult(result, pi::kNoErr);
}

void Prepare(EntryState& state, pi::FilterRecord& record, int16_t* result) {
  record.bufferSpace = 0;
  record.maxSpace = kPreparedMaxSpace;
  state.job.repeat = state.repeatMarker == kRepeatMarkerIdle ? 1 : 0;
  SetResult(result, pi::kNoErr);
}

void Start(EntryState& state, pi::FilterRecord& record, int16_t* result) {
  state.started = false;
  const int32_t planes = static_cast<int16_t>(record.inLayerPlanes + record.inNonLayerPlanes);
  if (!ImageAccepted(state.hostKind, record.imageMode, planes)) {
    SetResult(result, pi::kFilterBadMode);
    return;
  }
  record.wantsAbsolute = 0;
  record.inLoPlane = record.outLoPlane = 0;
  record.inHiPlane = record.outHiPlane = static_cast<int16_t>(planes - 1);

  pi::Rect rect = record.filterRect;
  const pi::ReadImageDocumentDesc* document = record.documentInfo;
  if (document != nullptr && document->selection != nullptr) {
    RectFromBounds(&rect, &document->selection->bounds);
  }
  record.inputRate = record.maskRate = pi::kFixedOne;

  const int32_t width = RectWidth(rect);
  const int32_t pad = RowPad(width);
  rect.right = static_cast<int16_t>(rect.right + pad);
  SetRequest(record, rect);

  record.inputPadding = record.outputPadding = record.maskPadding = 0;
  const int32_t sampleBytes = SampleBytesOfMode(record.imageMode);
  const int32_t rowBytes = 3 * (width + pad) * sampleBytes;
  record.inRowBytes = record.outRowBytes = record.maskRowBytes = rowBytes;

  FilterJob& job = state.job;
  job.width = width;
  job.paddedWidth = RectWidth(record.inRect);
  job.height = RectHeight(record.inRect);
  job.left = record.inRect.left;
  job.right = record.inRect.right;
  job.bottom = record.inRect.bottom;
  job.top = record.inRect.top;
  job.planes = record.inHiPlane - record.inLoPlane + 1;
  job.sampleBytes = sampleBytes;
  job.rowBytes = 0;
  job.inData = job.outData = nullptr;
  job.maskData = nullptr;
  job.maskRowBytes = 0;
  job.accepted = 0;

  state.editorDone = false;
  state.requestedFilterRect = false;
  state.started = true;
  SetResult(result, pi::kNoErr);
}

void Continue(EntryState& state, HostServices& services, pi::FilterRecord& record, intptr_t* data,
              int16_t* result) {
  const intptr_t slot = data != nullptr ? *data : 0;
  // A depth block serves one continue call: hosts that skip finish (after a
  // cancel, or at all) get it back too, and so does an error on the way.
  state.ReleaseDepth();
  const DepthRelease release{state};

  FilterJob& job = state.job;
  if (state.editorDone) {
    // Only one host calls again after the editor: hand back the parts of its
    // rectangle that the job did not cover, then end the calls.
    if (state.hostKind == HostKind::kPhotosle) services.Print("Second time");
    // The buffers cover filterRect only when this run asked for it, the host
    // delivered that rectangle and filterRect is still the same.
    if (state.requestedFilterRect && SameRect(record.filterRect, state.requestedRect) &&
        SameRect(record.inRect, state.requestedRect) &&
        SameRect(record.outRect, state.requestedRect)) {
      CopyUnfilteredMargins(record, job);
    }
    state.requestedFilterRect = false;
    ClearRequest(record);
    SetResult(result, pi::kNoErr);
    return;
  }
  if (!state.started) {
    ClearRequest(record);
    SetResult(result, pi::kFilterBadParameters);
    return;
  }

  // One continue call does the whole job: a later one (after a donor run, a
  // refusal or the editor) finds nothing started and no buffers to trust.
  state.started = false;
  // The samples' size was settled at start; a host whose mode has changed
  // since then delivers buffers of another size than the job would read.
  const DeliveredBuffers delivered = BuffersOf(record, job);
  if (SampleBytesOfMode(record.imageMode) != job.sampleBytes || !BuffersUsable(delivered, job)) {
    ClearRequest(record);
    SetResult(result, pi::kFilterBadParameters);
    return;
  }
  // Buffers the job cannot use in place are copied; the copy goes with this call.
  JobCopy copy;
  if (BuffersFitInPlace(delivered, job)) {
    job.rowBytes = record.inRowBytes;
    job.maskRowBytes = record.maskRowBytes;
    job.inData = static_cast<uint8_t*>(record.inData);
    job.outData = static_cast<uint8_t*>(record.outData);
    job.maskData = static_cast<const uint8_t*>(record.maskData);
  } else if (!copy.Take(job, delivered)) {
    ClearRequest(record);
    SetResult(result, pi::kMemFullErr);
    return;
  }

  FlipJobBuffer(job, JobBuffer::kInput);
  // The editor and the engine take 16-bit samples as 0..65535.
  SamplesToEngineRange(job, JobBuffer::kInput);

  if (job.planes == 1) {
    const bool done = StoreDonorDepth(state, services, data);
    ClearRequest(record);
    SetResult(result, done ? pi::kNoErr : pi::kMemFullErr);
    return;
  }

  DepthNotice notice = DepthNotice::kNone;
  if (job.planes > 3) {
    // This image carries its own depth plane; forget the hand-off.
    ForgetDonorDepth(state, services, data);
  } else if (job.planes == 3) {
    const DonorDepthLoad load = LoadDonorDepth(state, services, data, slot);
    if (!load.memory) {
      ClearRequest(record);
      SetResult(result, pi::kMemFullErr);
      return;
    }
    notice = load.notice;
  } else {
    notice = DepthNotice::kNoDepth;
  }

  job.accepted = 0;
  const EditorResult editor = services.RunEditor(job, state.depth, notice);
  state.editorDone = true;
  if (editor == EditorResult::kOutOfMemory) {
    // The editor could not open on the image; the host tells the user.
    ClearRequest(record);
    SetResult(result, pi::kMemFullErr);
    return;
  }

  state.requestedFilterRect = state.hostKind == HostKind::kPhotosle;
  if (state.requestedFilterRect) {
    state.requestedRect = record.filterRect;
    SetRequest(record, record.filterRect);
  } else {
    ClearRequest(record);
  }

  if (job.accepted == 1) {
    BlendWithMask(job);
    SamplesToHostRange(job, JobBuffer::kOutput);
    FlipJobBuffer(job, JobBuffer::kOutput);
    copy.ReturnOutput(job);
    SetResult(result, pi::kNoErr);
  } else {
    SetResult(result, kResultCancelled);
  }
}

void Finish(EntryState& state, int16_t* result) {
  state.repeatMarker = kRepeatMarkerIdle;
  state.started = false;
  SetResult(result, pi::kNoErr);
  state.ReleaseDepth();
}

}  // namespace

void RunSelector(EntryState& state, HostServices& services, int16_t selector, void* record,
                 intptr_t* data, int16_t* result) noexcept {
  if (record == nullptr) return;
  try {
    auto& filter = *static_cast<pi::FilterRecord*>(record);
    switch (selector) {
      case pi::kSelectorAbout:
        About(services, result);
        break;
      case pi::kSelectorParameters:
        Parameters(state, services, result);
        break;
      case pi::kSelectorPrepare:
        Prepare(state, filter, result);
        break;
      case pi::kSelectorStart:
        Start(state, filter, result);
        break;
      case pi::kSelectorContinue:
        Continue(state, services, filter, data, result);
        break;
      case pi::kSelectorFinish:
        Finish(state, result);
        break;
      default:
        SetResult(result, pi::kNoErr);
        break;
    }
  } catch (const std::bad_alloc&) {
    SetResult(result, pi::kMemFullErr);
  } catch (...) {
    SetResult(result, pi::kParamErr);
  }
}

}  // namespace ulvo
