// Scenes and helpers shared by the engine tests: generated images and depth
// maps, a recording progress reporter and a one-call engine render. Their
// aperture patterns come from tests/support/apertures.h.
#pragma once

#include <cstdint>
#include <vector>

#include "src/engine/defocus_engine.h"
#include "tests/engine/reference_render.h"
#include "tests/support/apertures.h"

namespace ulvo::testing {

// Deterministic noise, 3 bytes a pixel.
std::vector<uint8_t> NoiseImage(int width, int height, uint32_t seed);

// Depth that changes in blocks and along a ramp, so that several levels and
// occlusion both occur.
std::vector<uint8_t> BlockDepth(int width, int height, uint32_t seed);

std::vector<uint8_t> UniformImage(int width, int height, uint8_t value);

class RecordingReporter : public ProgressReporter {
 public:
  bool Report(int percent) override;
  bool ConfirmCancel() override;

  std::vector<int> reports;
  int cancel_at = -1;    // Report answers false for this percent
  bool confirm = false;  // answer of ConfirmCancel
  int confirm_questions = 0;
};

struct EngineRun {
  std::vector<uint8_t> output;
  RenderStatus status = RenderStatus::kDone;
  int cancelled = 0;
  int allocations = 0;
  RunStats stats;
};

// Where and how the engine writes its output: SetOutput's arguments.
struct OutputLayout {
  int order_flag = 0;
  int pixel_stride = 3;
  int row_stride = 0;
};

// The scene's values as Run takes them.
RenderValues SceneValues(const ReferenceScene& scene);

// Renders the scene into an output of that layout, every byte `fill` before
// the render.
EngineRun RenderSceneInto(const ReferenceScene& scene, const OutputLayout& layout,
                          ProgressReporter* reporter, const EngineOptions& options, uint8_t fill);

// Renders the scene with the engine the way the editor calls it; the output
// buffer starts filled with `fill`.
EngineRun RenderScene(const ReferenceScene& scene, ProgressReporter* reporter = nullptr,
                      const EngineOptions& options = {}, uint8_t fill = 0);

// A 16-bit scene: the scene's depth, pattern and values, and colour of its
// own (the scene's is not used).
struct Scene16 {
  ReferenceScene scene;
  std::vector<uint16_t> colour;  // 3 samples a pixel, rows packed
};

// Every sample of an 8-bit image times 257: the same intensities at 16 bits.
std::vector<uint16_t> Times257(const std::vector<uint8_t>& image);
Scene16 Times257(const ReferenceScene& scene);

struct EngineRun16 {
  std::vector<uint16_t> output;  // 3 samples a pixel, rows packed
  RenderStatus status = RenderStatus::kDone;
  int cancelled = 0;
  int allocations = 0;
  RunStats stats;
};

// RenderSceneInto at 16 bits: the layout's strides count bytes, every byte
// `fill` before the render.
EngineRun RenderScene16Into(const Scene16& scene, const OutputLayout& layout,
                            ProgressReporter* reporter, const EngineOptions& options, uint8_t fill);

// RenderScene at 16 bits: output order flag 0, 6 bytes a pixel, every byte
// `fill` before the render (a sample left alone reads fill × 257).
EngineRun16 RenderScene16(const Scene16& scene, ProgressReporter* reporter = nullptr,
                          const EngineOptions& options = {}, uint8_t fill = 0);

}  // namespace ulvo::testing
