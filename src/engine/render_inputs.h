// The buffers a render reads and writes, as stored by the DefocusEngine
// setters, and how it runs.
#pragma once

#include <cstdint>
#include <cstring>

#include "src/engine/band_output.h"
#include "src/engine/engine_options.h"
#include "src/engine/pattern_trim.h"
#include "src/engine/progress_reporter.h"
#include "src/engine/scatter.h"

namespace ulvo {

struct RenderInputs {
  DepthView depth;  // absent without SetDepthMap

  // Source region: channel k of a pixel is colour sample 2 − k with order
  // flag 0, sample k otherwise; strides count bytes.
  int sample_bytes = 1;  // 1, or 2: native-endian 16-bit samples (source and output)
  int source_order_flag = 0;
  int source_pixel_stride = 3;
  int width = 0;
  int height = 0;
  const uint8_t* colour = nullptr;
  int source_row_stride = 0;

  PatternSource pattern;
  OutputTarget output;
  ProgressReporter* reporter = nullptr;
  EngineOptions options;

  const uint8_t* SourcePixel(int x, int y) const {
    return colour + static_cast<ptrdiff_t>(y) * source_row_stride +
           static_cast<ptrdiff_t>(x) * source_pixel_stride;
  }
  uint8_t SourceChannel(const uint8_t* pixel, int channel) const {
    return source_order_flag == 0 ? pixel[2 - channel] : pixel[channel];
  }
  uint16_t SourceSample16(const uint8_t* pixel, int channel) const {
    uint16_t sample;
    std::memcpy(&sample, pixel + 2 * (source_order_flag == 0 ? 2 - channel : channel),
                sizeof sample);
    return sample;
  }
};

}  // namespace ulvo
