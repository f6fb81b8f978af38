#include "tests/engine/engine_test_support.h"

#include <cstring>
#include <random>

namespace ulvo::testing {

std::vector<uint8_t> NoiseImage(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> image(static_cast<size_t>(width) * height * 3);
  for (auto& byte : image) byte = static_cast<uint8_t>(random() & 0xff);
  return image;
}

std::vector<uint8_t> BlockDepth(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> blocks(64);
  for (auto& b : blocks) b = static_cast<uint8_t>(random() & 0xff);
  std::vector<uint8_t> depth(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int block = ((y / 13) % 8) * 8 + (x / 11) % 8;
      depth[static_cast<size_t>(y) * width + x] =
          static_cast<uint8_t>((blocks[block] + x / 3) & 0xff);
    }
  }
  return depth;
}

std::vector<uint8_t> UniformImage(int width, int height, uint8_t value) {
  return std::vector<uint8_t>(static_cast<size_t>(width) * height * 3, value);
}

bool RecordingReporter::Report(int percent) {
  reports.push_back(percent);
  return percent != cancel_at;
}

bool RecordingReporter::ConfirmCancel() {
  ++confirm_questions;
  return confirm;
}

RenderValues SceneValues(const ReferenceScene& scene) {
  RenderValues values;
  values.large_levels = scene.large_levels;
  values.max_blur = scene.max_blur;
  values.focus_depth = scene.focus;
  values.hardness = scene.hardness;
  values.brightness = scene.brightness;
  values.skip = static_cast<int16_t>(scene.skip);
  return values;
}

EngineRun RenderSceneInto(const ReferenceScene& scene, const OutputLayout& layout,
                          ProgressReporter* reporter, const EngineOptions& options, uint8_t fill) {
  EngineRun run;
  run.output.assign(static_cast<size_t>(layout.row_stride) * scene.height, fill);
  DefocusEngine engine;
  if (!scene.depth.empty()) engine.SetDepthMap(scene.depth.data(), 1, scene.width);
  engine.SetImage(0, 3, scene.width, scene.height, scene.colour.data(), scene.width * 3);
  engine.SetPattern(0, 3, scene.pattern_width, scene.pattern_height, scene.pattern.data(),
                    scene.pattern_width * 3);
  engine.SetOutput(layout.order_flag, layout.pixel_stride, run.output.data(), layout.row_stride);
  engine.SetProgressReporter(reporter);
  engine.SetOptions(options);
  run.status = engine.Run(SceneValues(scene));
  run.cancelled = engine.cancelled();
  run.allocations = engine.allocation_count();
  run.stats = engine.stats();
  return run;
}

EngineRun RenderScene(const ReferenceScene& scene, ProgressReporter* reporter,
                      const EngineOptions& options, uint8_t fill) {
  return RenderSceneInto(scene, OutputLayout{0, 3, scene.width * 3}, reporter, options, fill);
}

std::vector<uint16_t> Times257(const std::vector<uint8_t>& image) {
  std::vector<uint16_t> wide(image.size());
  for (size_t i = 0; i < image.size(); ++i) wide[i] = static_cast<uint16_t>(image[i] * 257);
  return wide;
}

Scene16 Times257(const ReferenceScene& scene) {
  return Scene16{scene, Times257(scene.colour)};
}

EngineRun RenderScene16Into(const Scene16& scene16, const OutputLayout& layout,
                            ProgressReporter* reporter, const EngineOptions& options,
                            uint8_t fill) {
  const ReferenceScene& scene = scene16.scene;
  EngineRun run;
  run.output.assign(static_cast<size_t>(layout.row_stride) * scene.height, fill);
  DefocusEngine engine;
  if (!scene.depth.empty()) engine.SetDepthMap(scene.depth.data(), 1, scene.width);
  engine.SetImage(0, 6, scene.width, scene.height,
                  reinterpret_cast<const uint8_t*>(scene16.colour.data()), scene.width * 6);
  engine.SetPattern(0, 3, scene.pattern_width, scene.pattern_height, scene.pattern.data(),
                    scene.pattern_width * 3);
  engine.SetOutput(layout.order_flag, layout.pixel_stride, run.output.data(), layout.row_stride);
  engine.SetProgressReporter(reporter);
  engine.SetOptions(options);
  RenderValues values = SceneValues(scene);
  values.sample_bits = 16;
  run.status = engine.Run(values);
  run.cancelled = engine.cancelled();
  run.allocations = engine.allocation_count();
  run.stats = engine.stats();
  return run;
}

EngineRun16 RenderScene16(const Scene16& scene, ProgressReporter* reporter,
                          const EngineOptions& options, uint8_t fill) {
  const int width = scene.scene.width;
  const EngineRun run =
      RenderScene16Into(scene, OutputLayout{0, 6, width * 6}, reporter, options, fill);
  EngineRun16 run16;
  run16.output.resize(run.output.size() / 2);
  std::memcpy(run16.output.data(), run.output.data(), run.output.size());
  run16.status = run.status;
  run16.cancelled = run.cancelled;
  run16.allocations = run.allocations;
  run16.stats = run.stats;
  return run16;
}

}  // namespace ulvo::testing
