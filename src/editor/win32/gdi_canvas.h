// Painting through GDI: the canvas of one paint's device context, and the
// system's header of a portable bitmap.
#pragma once

#include <windows.h>

#include "src/editor/bitmap_header.h"
#include "src/editor/canvas.h"

namespace ulvo::win32 {

// A portable bitmap header as the system's.
BITMAPINFO BitmapInfoFrom(const BitmapInfoHeader& header);

// Draws on the device context of one paint.
class GdiCanvas : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}
  void SetHalftone() override;
  void StretchBitmap(const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                     Rect src) override;
  Point ViewportOrigin() const override;
  void SetViewportOrigin(Point origin) override;
  void DrawBitmapResource(int id, Point at, Size size) override;

 private:
  HDC dc_;
};

}  // namespace ulvo::win32
