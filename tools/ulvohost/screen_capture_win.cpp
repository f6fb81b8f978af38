#include "tools/ulvohost/screen_capture_win.h"

#include <windows.h>

#include "src/imageio/image_file.h"

namespace ulvo::host {

bool SaveScreenshot(const std::string& path, std::string& error) {
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  if (width <= 0 || height <= 0) {
    error = "no screen to capture";
    return false;
  }
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY) != 0;
    // The pointer is not part of the screen's pixels; draw it as it shows.
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    ICONINFO icon{};
    if (ok && GetCursorInfo(&cursor) && (cursor.flags & CURSOR_SHOWING) != 0 &&
        cursor.hCursor != nullptr && GetIconInfo(cursor.hCursor, &icon)) {
      DrawIconEx(memory, cursor.ptScreenPos.x - left - static_cast<int>(icon.xHotspot),
                 cursor.ptScreenPos.y - top - static_cast<int>(icon.yHotspot), cursor.hCursor, 0, 0,
                 0, nullptr, DI_NORMAL);
      if (icon.hbmMask != nullptr) DeleteObject(icon.hbmMask);
      if (icon.hbmColor != nullptr) DeleteObject(icon.hbmColor);
    }
    GdiFlush();
    SelectObject(memory, old);
  }
  Image image;
  if (ok) {
    image.width = width;
    image.height = height;
    image.channels = 3;
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    const auto* src = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
      image.pixels[i * 3 + 0] = src[i * 4 + 2];
      image.pixels[i * 3 + 1] = src[i * 4 + 1];
      image.pixels[i * 3 + 2] = src[i * 4 + 0];
    }
  } else {
    error = "the screen could not be captured";
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok && WriteImageFile(path, image, error);
}

}  // namespace ulvo::host
