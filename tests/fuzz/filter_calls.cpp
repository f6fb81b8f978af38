#include "tests/fuzz/filter_calls.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

#include "src/host/host_kind.h"
#include "src/host/rect_ops.h"
#include "src/host/selectors.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_file.h"

namespace ulvo::fuzz {
namespace {

void PutLittleEndian(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

pi::Rect TakeRect(FuzzInput& in) {
  pi::Rect r;
  r.top = in.I16();
  r.left = in.I16();
  r.bottom = in.I16();
  r.right = in.I16();
  return r;
}

class FuzzServices final : public HostServices {
 public:
  FuzzServices(EditorRun editor, std::filesystem::path depthFile)
      : editor_(editor), depthFile_(std::move(depthFile)), notes_(depthFile_) {
    notes_ += ".notes";
  }
  ~FuzzServices() override {
    std::error_code ignored;
    std::filesystem::remove_all(notes_, ignored);
  }
  FuzzServices(const FuzzServices&) = delete;
  FuzzServices& operator=(const FuzzServices&) = delete;

  EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth, DepthNotice) override {
    editor_(job, depth, accept);
    return EditorResult::kClosed;
  }
  void ShowAboutBox() override {}
  void ShowDepthTransferred(const std::filesystem::path&) override {}
  void ShowDepthNotSaved() override {}
  std::string HostExecutablePath() override { return hostPath; }
  void Print(const char*) override {}
  std::filesystem::path DepthFilePath() override { return depthFile_; }
  // Beside the usual file, so that a failed first write tries a second place.
  std::filesystem::path FallbackDepthFilePath() override {
    std::filesystem::path fallback = depthFile_;
    fallback += ".user";
    return fallback;
  }
  // The donor's notes in a folder of this run's own.
  std::filesystem::path HandOffRecordFolder() override { return notes_; }
  ProcessIdentity CurrentProcess() override { return {77, "fuzz"}; }
  bool ProcessRunning(const ProcessIdentity& process) override { return process.id == 77; }

  bool accept = false;
  std::string hostPath;

 private:
  EditorRun editor_;
  std::filesystem::path depthFile_;
  std::filesystem::path notes_;
};

std::string HostPath(uint8_t which) {
  switch (which % 4) {
    case 0:
      return "/opt/editor/bin/editor";
    case 1:
      return "C:\\Program Files\\Photosle\\Photosle.exe";
    case 2:
      return "C:\\Program Files\\Paint\\psp.exe";
    default:
      return std::string(300, 'p') + "Photosle.exe";  // longer than the module keeps
  }
}

// A buffer of `rows` rows `rowBytes` apart, each with `pixelBytes` bytes of
// pixels: whole rows, or with `tight` a last row that ends with its pixels.
// One row for a distance below 1.
int64_t BufferBytes(int32_t rows, int64_t pixelBytes, int32_t rowBytes, bool tight) {
  if (rows <= 0 || pixelBytes <= 0) return 0;
  if (rowBytes <= 0) return pixelBytes;
  const int64_t last = tight || rowBytes < pixelBytes ? pixelBytes : rowBytes;
  return int64_t{rows - 1} * rowBytes + last;
}

// One buffer of the host, filled with a pattern; null when the host delivers
// none or it would be too large.
struct HostBuffer {
  HostBuffer(bool delivered, int64_t bytes, size_t maxBytes, uint8_t fill) {
    if (!delivered || bytes < 0 || static_cast<uint64_t>(bytes) > maxBytes) return;
    data.reset(new uint8_t[static_cast<size_t>(bytes)]);
    for (int64_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(fill + i * 31);
  }
  std::unique_ptr<uint8_t[]> data;
};

}  // namespace

void FilterCall::Encode(std::vector<uint8_t>& out) const {
  for (const uint8_t byte : {selector, flags, overrides, host}) out.push_back(byte);
  for (const int16_t v : {imageMode, inLayerPlanes, inNonLayerPlanes, filterRect.top,
                          filterRect.left, filterRect.bottom, filterRect.right}) {
    PutLittleEndian(out, static_cast<uint16_t>(v), 2);
  }
  for (const int32_t v : {selection.top, selection.left, selection.bottom, selection.right,
                          inRowBytes, outRowBytes, maskRowBytes}) {
    PutLittleEndian(out, static_cast<uint32_t>(v), 4);
  }
  out.push_back(fill);
}

int16_t SelectorOf(const FilterCall& call) {
  static constexpr int16_t kSelectors[8] = {0, 1, 2, 3, 4, 5, 9, -1};
  return kSelectors[call.selector % 8];
}

std::vector<FilterCall> DecodeCalls(const uint8_t* data, size_t size, size_t maxCalls) {
  FuzzInput in(data, size);
  std::vector<FilterCall> calls;
  while (!in.empty() && calls.size() < maxCalls) {
    FilterCall c;
    c.selector = in.U8();
    c.flags = in.U8();
    c.overrides = in.U8();
    c.host = in.U8();
    c.imageMode = in.I16();
    c.inLayerPlanes = in.I16();
    c.inNonLayerPlanes = in.I16();
    c.filterRect = TakeRect(in);
    c.selection.top = in.I32();
    c.selection.left = in.I32();
    c.selection.bottom = in.I32();
    c.selection.right = in.I32();
    c.inRowBytes = in.I32();
    c.outRowBytes = in.I32();
    c.maskRowBytes = in.I32();
    c.fill = in.U8();
    calls.push_back(c);
  }
  return calls;
}

void TouchLikeTheEditor(FilterJob& job, const DepthBuffer& depth, bool accept) {
  job.accepted = accept ? 1 : 0;
  // The editor opens only on what it can display (see JobHasImage).
  if (job.inData == nullptr || job.paddedWidth <= 0 || job.height <= 0 || job.planes < 3 ||
      job.rowBytes < int64_t{job.paddedWidth} * job.pixelBytes()) {
    return;
  }
  const size_t rowPixels = static_cast<size_t>(job.paddedWidth) * job.pixelBytes();
  uint8_t depthSum = 0;
  for (int32_t y = 0; y < job.height; ++y) {
    const size_t row = static_cast<size_t>(job.rowBytes) * y;
    if (job.outData != nullptr) std::memmove(job.outData + row, job.inData + row, rowPixels);
    if (!depth.present()) continue;
    const uint8_t* depthRow = depth.data + static_cast<size_t>(depth.rowBytes) * y;
    for (int32_t x = 0; x < job.paddedWidth; ++x) depthSum += depthRow[x];
  }
  volatile uint8_t sink = depthSum;  // keeps the depth reads
  (void)sink;
}

void PlayFilterCalls(const std::vector<FilterCall>& calls, EditorRun editor,
                     size_t maxBufferBytes) {
  const ScratchFile depthFile("-alpha.dat");
  FuzzServices services(editor, depthFile.path());
  EntryState state;
  auto record = std::make_unique<pi::FilterRecord>();
  intptr_t slot = 0;

  for (const FilterCall& call : calls) {
    const int16_t selector = SelectorOf(call);
    pi::FilterRecord& r = *record;
    r.imageMode = call.imageMode;
    r.inLayerPlanes = call.inLayerPlanes;
    r.inNonLayerPlanes = call.inNonLayerPlanes;
    // A host keeps the filter rectangle for the whole run.
    if (selector != pi::kSelectorContinue && selector != pi::kSelectorFinish) {
      r.filterRect = call.filterRect;
    }
    if (call.overrides & FilterCall::kInRowBytes) r.inRowBytes = call.inRowBytes;
    if (call.overrides & FilterCall::kOutRowBytes) r.outRowBytes = call.outRowBytes;
    if (call.overrides & FilterCall::kMaskRowBytes) r.maskRowBytes = call.maskRowBytes;
    if (call.overrides & FilterCall::kSlotZero) slot = 0;
    if (call.overrides & FilterCall::kSlotGarbage) slot = 0x5eed;

    pi::ReadChannelDesc selectionChannel{};
    pi::ReadImageDocumentDesc document{};
    selectionChannel.bounds = call.selection;
    document.selection = &selectionChannel;
    r.documentInfo = (call.flags & FilterCall::kSelection) ? &document : nullptr;

    // The buffers of the rectangles the module asked for, as the record
    // describes them.
    const bool tight = (call.overrides & FilterCall::kTightLastRow) != 0;
    // Samples take the bytes of the record's mode (two in the 16-bit modes).
    const int32_t sampleBytes = std::max<int32_t>(1, SampleBytesOfMode(r.imageMode));
    const int32_t inPlanes = (int32_t{r.inHiPlane} - r.inLoPlane + 1) * sampleBytes;
    const int32_t outPlanes = (int32_t{r.outHiPlane} - r.outLoPlane + 1) * sampleBytes;
    const HostBuffer in((call.flags & FilterCall::kIn) != 0,
                        BufferBytes(RectHeight(r.inRect), int64_t{RectWidth(r.inRect)} * inPlanes,
                                    r.inRowBytes, tight),
                        maxBufferBytes, call.fill);
    const HostBuffer out(
        (call.flags & FilterCall::kOut) != 0,
        BufferBytes(RectHeight(r.outRect), int64_t{RectWidth(r.outRect)} * outPlanes, r.outRowBytes,
                    tight),
        maxBufferBytes, static_cast<uint8_t>(call.fill ^ 0xff));
    const HostBuffer mask(
        (call.flags & FilterCall::kMask) != 0,
        BufferBytes(RectHeight(r.maskRect), int64_t{RectWidth(r.maskRect)} * sampleBytes,
                    r.maskRowBytes, tight),
        maxBufferBytes, static_cast<uint8_t>(call.fill ^ 0x80));
    r.inData = in.data.get();
    r.outData = out.data.get();
    r.maskData = mask.data.get();

    services.accept = (call.flags & FilterCall::kAccept) != 0;
    services.hostPath = HostPath(call.host);
    int16_t result = -1;
    RunSelector(state, services, selector,
                (call.flags & FilterCall::kNullRecord) ? nullptr : record.get(),
                (call.flags & FilterCall::kNullData) ? nullptr : &slot,
                (call.flags & FilterCall::kNullResult) ? nullptr : &result);

    // The host's buffers and document are gone after the call.
    r.inData = r.outData = r.maskData = nullptr;
    r.documentInfo = nullptr;
  }
}

}  // namespace ulvo::fuzz
