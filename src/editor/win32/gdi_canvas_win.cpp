#include "src/editor/win32/gdi_canvas.h"
#include "src/editor/win32/win32_handles.h"
#include "src/editor/win32/win32_resources.h"

namespace ulvo::win32 {

BITMAPINFO BitmapInfoFrom(const BitmapInfoHeader& header) {
  static_assert(sizeof(BITMAPINFOHEADER) == sizeof(BitmapInfoHeader));
  BITMAPINFO info{};
  info.bmiHeader.biSize = header.size;
  info.bmiHeader.biWidth = header.width;
  info.bmiHeader.biHeight = header.height;
  info.bmiHeader.biPlanes = header.planes;
  info.bmiHeader.biBitCount = header.bitCount;
  info.bmiHeader.biCompression = header.compression;
  info.bmiHeader.biSizeImage = header.sizeImage;
  info.bmiHeader.biXPelsPerMeter = header.xPelsPerMeter;
  info.bmiHeader.biYPelsPerMeter = header.yPelsPerMeter;
  info.bmiHeader.biClrUsed = header.clrUsed;
  info.bmiHeader.biClrImportant = header.clrImportant;
  return info;
}

void GdiCanvas::SetHalftone() {
  SetStretchBltMode(dc_, HALFTONE);
  SetBrushOrgEx(dc_, 0, 0, nullptr);
}

void GdiCanvas::StretchBitmap(const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                              Rect src) {
  const BITMAPINFO info = BitmapInfoFrom(header);
  StretchDIBits(dc_, dst.left, dst.top, dst.width, dst.height, src.left, src.top, src.width,
                src.height, bits, &info, DIB_RGB_COLORS, SRCCOPY);
}

Point GdiCanvas::ViewportOrigin() const {
  POINT origin{};
  GetViewportOrgEx(dc_, &origin);
  return Point{origin.x, origin.y};
}

void GdiCanvas::SetViewportOrigin(Point origin) {
  SetViewportOrgEx(dc_, origin.x, origin.y, nullptr);
}

void GdiCanvas::DrawBitmapResource(int id, Point at, Size size) {
  UniqueGdiObject bitmap(LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(id)));
  UniqueMemoryDc memory(CreateCompatibleDC(dc_));
  if (!bitmap || !memory) return;
  const SelectedObject selected(memory.get(), bitmap.get());
  BitBlt(dc_, at.x, at.y, size.width, size.height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace ulvo::win32
