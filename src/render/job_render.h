// A render of the filter's picture by the engine, as the editor's commands
// and the command-line tool make it: the source and the result in display
// order (rows bottom-up, the colour bytes of a pixel blue, green, red), the
// depth values from the source's extra plane, from a separate plane or from
// nowhere, and a region of the picture (the whole of it, or a preview's
// rectangle) rendered into the same rectangle of the result.
#pragma once

#include <cstdint>

#include "src/engine/defocus_engine.h"
#include "src/engine/render_values.h"

namespace ulvo {

// The picture to blur, of samples of RenderValues::sample_bits: bytes, or
// native-endian 16-bit values (65535 full intensity) two bytes each; row
// distances count bytes. With four planes or more a pixel holds its depth
// in sample planes - 4 and its colour in the last three samples; with three
// it is only colour, and the depth comes from `depthPlane` if there is one.
// A 16-bit depth sample v counts as the depth (v * 255 + 32767) / 65535.
struct RenderSource {
  const uint8_t* pixels = nullptr;
  int planes = 3;
  int rowBytes = 0;
  int width = 0;
  int height = 0;
  // One byte per pixel whatever the samples, rows bottom-up `depthRowBytes`
  // apart, aligned with `pixels`; used only by three-plane pictures, ignored
  // when the row distance is 0.
  const uint8_t* depthPlane = nullptr;
  int depthRowBytes = 0;
};

// Where the depth values of a render come from.
enum class RenderDepthKind {
  kNone,           // no depth map: the whole picture gets the widest kernel
  kExtraPlane,     // the picture's own extra plane, in front of its colour
  kSeparatePlane,  // a plane of its own (a grey picture's, or the hand-off file's)
};
RenderDepthKind ChooseRenderDepth(const RenderSource& source);

// The aperture pattern as its loader gives it: 24-bit, rows bottom-up.
struct RenderPattern {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int rowStride = 0;
};

// The result: a display bitmap of the source's size, three samples a pixel
// of the source's size (24 or 48 bits).
struct RenderTarget {
  uint8_t* pixels = nullptr;
  int rowStride = 0;
};

// A rectangle of the picture in display order: `bottom` is the first row
// (counted from the bottom), `left` the first column.
struct DisplayRegion {
  int left = 0;
  int bottom = 0;
  int width = 0;
  int height = 0;
};

struct RenderOutcome {
  RenderStatus status = RenderStatus::kDone;
  bool cancelled = false;  // the user confirmed an abort
};

// Renders `region` of the source with `values` into the same rectangle of
// the target; every other byte of the target stays as it was. The region must lie inside
// the picture (callers check it). `reporter` may be null (no progress, no
// cancel); `options` choose how the engine runs, never what it renders. A
// 16-bit picture's depth plane is rounded to bytes in a buffer of the
// region's size first: without the memory for it the render ends out of
// memory with nothing written.
RenderOutcome RenderJobRegion(const RenderSource& source, const RenderPattern& pattern,
                              const RenderValues& values, const DisplayRegion& region,
                              RenderTarget target, ProgressReporter* reporter,
                              const EngineOptions& options = {});

// The whole picture.
inline DisplayRegion WholePicture(const RenderSource& source) {
  return DisplayRegion{0, 0, source.width, source.height};
}

}  // namespace ulvo
