// Points, sizes and rectangles in pixels, shared by the portable editor and
// its platforms.
#pragma once

#include <cstdint>

namespace ulvo {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
};

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

}  // namespace ulvo
