// A device to draw on during a paint: what a window's portable object may do
// when the platform asks it to paint.
#pragma once

#include <cstdint>

#include "src/editor/bitmap_header.h"
#include "src/editor/geometry.h"

namespace ulvo {

class Canvas {
 public:
  virtual ~Canvas() = default;
  // Halftone stretching for the following StretchBitmap calls.
  virtual void SetHalftone() = 0;
  // Stretches the part src of a 24-bit bottom-up bitmap onto dst (source copy).
  virtual void StretchBitmap(const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                             Rect src) = 0;
  // The device's viewport origin (negative while the view is scrolled):
  // where the drawing's (0, 0) lands in the window.
  virtual Point ViewportOrigin() const = 0;
  virtual void SetViewportOrigin(Point origin) = 0;
  // Copies the top-left `size` of a bitmap resource to `at` (straight copy).
  virtual void DrawBitmapResource(int id, Point at, Size size) = 0;
};

}  // namespace ulvo
