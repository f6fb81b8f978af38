#include "tools/ulvohost/filter_session.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tools/ulvohost/host_log.h"

namespace ulvo::host {
namespace {

constexpr pi::OSType FourCC(char a, char b, char c, char d) {
  return (static_cast<pi::OSType>(static_cast<uint8_t>(a)) << 24) |
         (static_cast<pi::OSType>(static_cast<uint8_t>(b)) << 16) |
         (static_cast<pi::OSType>(static_cast<uint8_t>(c)) << 8) |
         static_cast<pi::OSType>(static_cast<uint8_t>(d));
}

constexpr pi::Fixed kResolution72 = 72 * pi::kFixedOne;

const char* SelectorName(int16_t selector) {
  switch (selector) {
    case pi::kSelectorAbout:
      return "about";
    case pi::kSelectorParameters:
      return "parameters";
    case pi::kSelectorPrepare:
      return "prepare";
    case pi::kSelectorStart:
      return "start";
    case pi::kSelectorContinue:
      return "continue";
    case pi::kSelectorFinish:
      return "finish";
    default:
      return nullptr;
  }
}

std::string CallName(int16_t selector) {
  const char* name = SelectorName(selector);
  return name ? name : "selector " + std::to_string(selector);
}

std::string RectText(const pi::Rect& r) {
  return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
}

// Colour planes of a mode; the remaining planes of the image are extra
// (non-layer) channels such as a depth plane.
int ColourPlanes(int16_t mode, int channels) {
  int colour = 0;
  switch (mode) {
    case pi::kModeBitmap:
    case pi::kModeGray:
    case pi::kModeIndexed:
    case pi::kModeDuotone:
    case pi::kModeGray16:
    case pi::kModeDuotone16:
    case pi::kModeGray32:
      colour = 1;
      break;
    case pi::kModeCMYK:
    case pi::kModeCMYK64:
      colour = 4;
      break;
    case pi::kModeMultichannel:
    case pi::kModeDeepMultichannel:
      colour = channels;
      break;
    default:
      colour = 3;
      break;
  }
  return std::min(colour, channels);
}

pi::Boolean AbortProc() {
  return 0;
}
void ProgressProc(int32_t, int32_t) {}

}  // namespace

// Everything that belongs to one run: the record and the host's buffers.
struct FilterSession::Run {
  FilterSession* session = nullptr;
  pi::FilterRecord record{};
  pi::ReadImageDocumentDesc documentDesc{};
  pi::ReadChannelDesc selectionDesc{};
  Image source;       // the document as it was before the run
  Image destination;  // the document with the module's output so far
  const Image* mask = nullptr;
  int rowAlign = 4;
  bool clipRects = false;
  RegionRequest inRequest, outRequest, maskRequest;
  HostRegion in, out, maskRegion;
  bool failed = false;
  std::string error;

  void Fail(const std::string& message) {
    if (!failed) error = message;
    failed = true;
  }
};

namespace {
// The run whose selectors are being called: the advance-state callback of the
// interface carries no context of its own.
thread_local FilterSession::Run* activeRun = nullptr;
}  // namespace

FilterSession::FilterSession(pi::EntryPointProc entry, HostPlatform& platform, int continueCap)
    : entry_(entry), platform_(platform), continueCap_(continueCap) {}

FilterSession::~FilterSession() = default;

int16_t FilterSession::Call(int16_t selector, void* record, int16_t preset) {
  int16_t result = preset;
  std::fflush(stdout);
  entry_(selector, record, &data_, &result);
  std::fflush(stdout);
  Say("call: " + CallName(selector) + " result " + std::to_string(result));
  return result;
}

void FilterSession::ResetRecord(Run& run, const RunPlan& plan, const Image& document,
                                const Image* mask) {
  pi::FilterRecord& r = run.record;
  std::memset(&r, 0, sizeof r);
  platformData_.hwnd = platform_.HostWindow();

  const bool sixteen = document.bits == 16;
  const int16_t rgb = sixteen ? pi::kModeRGB48 : pi::kModeRGB;
  const int16_t grey = sixteen ? pi::kModeGray16 : pi::kModeGray;
  const int16_t mode = plan.mode ? *plan.mode : (document.channels >= 3 ? rgb : grey);
  const int colour = ColourPlanes(mode, document.channels);
  const auto w = static_cast<int16_t>(document.width);
  const auto h = static_cast<int16_t>(document.height);

  r.serialNumber = 0x1F2E3D4C;
  r.abortProc = &AbortProc;
  r.progressProc = &ProgressProc;
  r.parameters = parameters_;
  r.imageSize = pi::Point{h, w};
  r.planes = static_cast<int16_t>(document.channels);
  if (plan.rect) {
    r.filterRect = pi::Rect{plan.rect->top, plan.rect->left, plan.rect->bottom, plan.rect->right};
  } else {
    r.filterRect = pi::Rect{0, 0, h, w};
  }
  r.background = pi::RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  r.foreground = pi::RGBColor{0, 0, 0};
  r.maxSpace = 0x7FFFFFFF;
  r.maxSpace64 = int64_t{1} << 33;
  r.haveMask = mask != nullptr;
  r.autoMask = 0;  // this host never masks the output itself
  std::memset(r.backColor, 0xFF, 3);
  r.hostSig = FourCC('U', 'L', 'V', 'H');
  r.imageMode = mode;
  r.imageHRes = kResolution72;
  r.imageVRes = kResolution72;
  r.wholeSize = r.imageSize;
  r.monitor.gamma = 2 * pi::kFixedOne + pi::kFixedOne / 5;
  r.platformData = &platformData_;
  r.filterCase = mask ? 2 : 1;
  r.advanceState = &FilterSession::AdvanceStateProc;
  r.supportsPadding = 1;
  r.inputPadding = r.outputPadding = r.maskPadding = kPaddingNone;
  r.inputRate = r.maskRate = pi::kFixedOne;
  r.inLayerPlanes = r.outLayerPlanes = r.absLayerPlanes = static_cast<int16_t>(colour);
  r.inNonLayerPlanes = r.outNonLayerPlanes = r.absNonLayerPlanes =
      static_cast<int16_t>(document.channels - colour);
  r.depth = document.bits;

  run.mask = mask;
  pi::VRect selection{};
  if (mask && plan.documentInfo && MaskBounds(*mask, selection)) {
    pi::ReadImageDocumentDesc& d = run.documentDesc;
    std::memset(&d, 0, sizeof d);
    d.minVersion = 0;
    d.maxVersion = 1;
    d.imageMode = mode;
    d.depth = document.bits;
    d.bounds = pi::VRect{0, 0, document.height, document.width};
    d.hResolution = d.vResolution = kResolution72;
    for (int i = 0; i < 256; ++i) {
      d.redLUT[i] = d.greenLUT[i] = d.blueLUT[i] = static_cast<uint8_t>(i);
    }
    pi::ReadChannelDesc& s = run.selectionDesc;
    std::memset(&s, 0, sizeof s);
    s.minVersion = 0;
    s.maxVersion = 1;
    s.bounds = selection;
    s.depth = document.bits;
    s.tileSize = pi::VPoint{selection.bottom - selection.top, selection.right - selection.left};
    s.name = "Selection";
    d.selection = &s;
    r.documentInfo = &d;
  }
}

namespace {

// What a host that cannot pad does with a request reaching beyond the image.
void ClipToImage(pi::Rect& rect, const Image& image) {
  if (RectIsEmpty(rect)) return;
  rect.top = static_cast<int16_t>(std::max<int>(rect.top, 0));
  rect.left = static_cast<int16_t>(std::max<int>(rect.left, 0));
  rect.bottom = static_cast<int16_t>(std::min<int>(rect.bottom, image.height));
  rect.right = static_cast<int16_t>(std::min<int>(rect.right, image.width));
  if (RectIsEmpty(rect)) rect = pi::Rect{0, 0, 0, 0};
}

}  // namespace

bool FilterSession::DeliverBuffers(Run& run) {
  pi::FilterRecord& r = run.record;
  if (run.clipRects) {
    ClipToImage(r.inRect, run.source);
    ClipToImage(r.outRect, run.source);
    ClipToImage(r.maskRect, run.source);
  }
  run.inRequest =
      RegionRequest{r.inRect, r.inLoPlane, r.inHiPlane, r.inputPadding, r.inputRate, run.rowAlign};
  run.outRequest = RegionRequest{r.outRect,       r.outLoPlane,  r.outHiPlane,
                                 r.outputPadding, pi::kFixedOne, run.rowAlign};
  run.maskRequest = RegionRequest{r.maskRect, 0, 0, r.maskPadding, r.maskRate, run.rowAlign};

  // The old buffers go away below: no pointer to them may stay in the record,
  // whether or not the new request can be served.
  r.inData = r.outData = r.maskData = nullptr;
  r.inRowBytes = r.outRowBytes = r.maskRowBytes = 0;

  std::string error;
  if (!ExtractRegion(run.source, run.inRequest, run.in, error)) {
    run.Fail("input request " + RectText(r.inRect) + ": " + error);
    return false;
  }
  if (!ExtractRegion(run.destination, run.outRequest, run.out, error)) {
    run.Fail("output request " + RectText(r.outRect) + ": " + error);
    return false;
  }
  run.maskRegion = HostRegion{};
  if (run.mask && !ExtractRegion(*run.mask, run.maskRequest, run.maskRegion, error)) {
    run.Fail("mask request " + RectText(r.maskRect) + ": " + error);
    return false;
  }
  r.inData = run.in.data();
  r.inRowBytes = run.in.rowBytes;
  r.outData = run.out.data();
  r.outRowBytes = run.out.rowBytes;
  r.maskData = run.maskRegion.data();
  r.maskRowBytes = run.maskRegion.rowBytes;
  return true;
}

void FilterSession::CollectOutput(Run& run) {
  StoreRegion(run.out, run.outRequest, run.destination);
}

int16_t FilterSession::AdvanceStateProc() {
  Run* run = activeRun;
  if (!run) return pi::kParamErr;
  run->session->CollectOutput(*run);
  return run->session->DeliverBuffers(*run) ? pi::kNoErr : pi::kParamErr;
}

RunOutcome FilterSession::DriveSequence(Run& run, const RunPlan& plan) {
  RunOutcome outcome;
  pi::FilterRecord* record = &run.record;
  auto call = [&](int16_t selector) {
    outcome.result = Call(selector, record, plan.presetResult);
    return outcome.result == 0;
  };

  if (plan.parameters && !call(pi::kSelectorParameters)) return outcome;
  parameters_ = record->parameters;
  if (!call(pi::kSelectorPrepare)) return outcome;
  if (!call(pi::kSelectorStart)) return outcome;

  // Continue for as long as the module leaves any request standing.
  for (;;) {
    const pi::FilterRecord& r = *record;
    if (RectIsEmpty(r.inRect) && RectIsEmpty(r.outRect) && RectIsEmpty(r.maskRect)) break;
    if (outcome.continueCalls >= continueCap_) {
      run.Fail("the module still requests rectangles after " + std::to_string(continueCap_) +
               " continue calls");
      break;
    }
    if (!DeliverBuffers(run)) break;
    Say("request: in " + RectText(r.inRect) + " planes " + std::to_string(r.inLoPlane) + ".." +
        std::to_string(r.inHiPlane) + " padding " + std::to_string(r.inputPadding) + " rowBytes " +
        std::to_string(r.inRowBytes) + "; out " + RectText(r.outRect) + " rowBytes " +
        std::to_string(r.outRowBytes) + "; mask " + RectText(r.maskRect) +
        (r.maskData ? " rowBytes " + std::to_string(r.maskRowBytes) : " none"));
    ++outcome.continueCalls;
    const bool ok = call(pi::kSelectorContinue);
    CollectOutput(run);
    if (!ok) return outcome;
  }
  if (run.failed || !plan.finish) return outcome;
  call(pi::kSelectorFinish);
  return outcome;
}

RunOutcome FilterSession::DriveRaw(Run& run, const RunPlan& plan) {
  RunOutcome outcome;
  static const std::vector<int16_t> kSequence = {1, 2, 3, 4, 5};
  const std::vector<int16_t>& selectors = plan.rawSelectors.empty() ? kSequence : plan.rawSelectors;
  for (int16_t selector : selectors) {
    void* record = plan.nullRecord ? nullptr : &run.record;
    if (record && selector == pi::kSelectorContinue) {
      if (!DeliverBuffers(run)) break;
      ++outcome.continueCalls;
    }
    if (record && selector == pi::kSelectorAbout) {
      // The about selector takes an about record, whatever else was asked for.
      pi::AboutRecord about{};
      about.platformData = &platformData_;
      outcome.result = Call(selector, &about, plan.presetResult);
      continue;
    }
    outcome.result = Call(selector, record, plan.presetResult);
    if (record && selector == pi::kSelectorContinue) CollectOutput(run);
  }
  return outcome;
}

RunOutcome FilterSession::RunFilter(const RunPlan& plan, Image& document, const Image* mask) {
  auto run = std::make_unique<Run>();
  run->session = this;
  run->source = document;
  run->destination = document;
  run->rowAlign = plan.rowAlign;
  run->clipRects = plan.clipRects;
  if (!plan.dataSlot) data_ = 0;
  ResetRecord(*run, plan, document, mask);

  RunOutcome outcome;
  std::string error;
  if (!platform_.BeginRun(plan, error)) {
    outcome.hostOk = false;
    outcome.error = error;
    return outcome;
  }
  Run* previous = activeRun;
  activeRun = run.get();
  const bool raw = !plan.rawSelectors.empty() || plan.nullRecord;
  outcome = raw ? DriveRaw(*run, plan) : DriveSequence(*run, plan);
  activeRun = previous;
  if (!platform_.EndRun()) {
    outcome.hostOk = false;
    if (outcome.error.empty()) outcome.error = "the editor script failed";
  }
  if (run->failed) {
    outcome.hostOk = false;
    outcome.error = run->error;
  }
  Say("continue calls: " + std::to_string(outcome.continueCalls));
  Say("result: " + std::to_string(outcome.result));
  if (outcome.hostOk && outcome.result == 0 && !raw) document = std::move(run->destination);
  return outcome;
}

RunOutcome FilterSession::RunAbout(const RunPlan& plan) {
  RunOutcome outcome;
  std::string error;
  if (!platform_.BeginRun(plan, error)) {
    outcome.hostOk = false;
    outcome.error = error;
    return outcome;
  }
  platformData_.hwnd = platform_.HostWindow();
  pi::AboutRecord about{};
  about.platformData = &platformData_;
  outcome.result = Call(pi::kSelectorAbout, plan.nullRecord ? nullptr : &about, plan.presetResult);
  if (!platform_.EndRun()) {
    outcome.hostOk = false;
    outcome.error = "the editor script failed";
  }
  Say("result: " + std::to_string(outcome.result));
  return outcome;
}

}  // namespace ulvo::host
