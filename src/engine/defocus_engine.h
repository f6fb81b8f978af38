// DefocusEngine: one object per render. The caller hands it the source
// image, an optional depth map, the aperture pattern and the output buffer
// through the setters (in this order: SetDepthMap when a depth map exists,
// SetImage, SetPattern, SetOutput), calls Run once with the render's values
// and destroys it. Pointers are borrowed and must stay valid until Run
// returns. Everything a render ends with, a failed allocation included, is
// in the status Run returns and in the object itself.
#pragma once

#include <cstdint>
#include <memory>

#include "src/engine/engine_options.h"
#include "src/engine/progress_reporter.h"
#include "src/engine/render_values.h"

namespace ulvo {

// Measurements of one Run.
struct RunStats {
  // Bytes of working buffers (pattern copy, bands, kernel sets) allocated;
  // they all live until the render ends.
  uint64_t working_bytes = 0;
  uint64_t kernel_bytes = 0;  // of those, the kernel sets
  // One kernel cell of one channel added into its colour sum together with
  // the matching weight cell; counted by the fast path only (0 otherwise).
  uint64_t cell_additions = 0;
  int threads = 1;  // threads that scattered
  // Levels whose kernels the outline path added as runs (0 otherwise).
  int run_levels = 0;
};

// Outcome of Run.
enum class RenderStatus {
  kDone,          // every output row was written
  kCancelled,     // the user confirmed an abort; rows written so far stay
  kOutOfMemory,   // a working buffer could not be allocated
  kEmptyPattern,  // the aperture pattern has no non-zero byte; output untouched
  kNoLevels,      // maximum blur below 2 after the clamps: output = source
};

class DefocusEngine {
 public:
  DefocusEngine();
  ~DefocusEngine();
  DefocusEngine(const DefocusEngine&) = delete;
  DefocusEngine& operator=(const DefocusEngine&) = delete;

  // Depth of pixel (x, y) lies at depth + x * pixelStride + y * rowStride,
  // one byte, whatever the image's samples are.
  void SetDepthMap(const uint8_t* depth, int pixelStride, int rowStride);
  // orderFlag 0: engine channel c is colour sample 2 - c of a pixel. The
  // image and the output hold samples of RenderValues::sample_bits: bytes,
  // or native-endian 16-bit values (65535 full intensity); strides count
  // bytes either way.
  void SetImage(int orderFlag, int pixelStride, int width, int height, const uint8_t* colour,
                int rowStride);
  void SetPattern(int orderFlag, int planes, int width, int height, const uint8_t* pattern,
                  int rowStride);
  void SetOutput(int orderFlag, int pixelStride, uint8_t* output, int rowStride);
  // Optional; without one the render runs without progress or cancellation.
  void SetProgressReporter(ProgressReporter* reporter);

  // Renders into the output. Missing pattern pixels count as an empty pattern;
  // an empty region, or no image or output buffer (or an output pixel stride
  // below three samples), leaves nothing to write and returns kDone, and so
  // does a sample size other than 8 or 16 bits, which is refused before
  // anything else. A kernel set that cannot be built makes its pixels
  // contribute nothing, and Run then returns kOutOfMemory although every row
  // was written.
  RenderStatus Run(const RenderValues& values);

  // 1 after the user confirmed an abort during Run.
  int cancelled() const;

  // Optional; call before Run.
  void SetOptions(const EngineOptions& options);
  // Working-buffer allocations attempted by Run so far (for tests of the
  // out-of-memory paths together with EngineOptions::fail_allocation).
  int allocation_count() const;
  // What the last Run did, for benchmarks and tests.
  const RunStats& stats() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace ulvo
