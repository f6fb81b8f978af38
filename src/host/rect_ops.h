// Small operations on the host's 16-bit rectangles. Each one does nothing and
// reports false when a pointer is null.
#pragma once

#include "src/host/filter_record.h"

namespace ulvo {

bool SetRect(pi::Rect* rect, int16_t top, int16_t left, int16_t bottom, int16_t right);
bool CopyRect(pi::Rect* to, const pi::Rect* from);
// Each 32-bit edge is truncated to its low 16 bits, as the host's rectangles hold.
bool RectFromBounds(pi::Rect* to, const pi::VRect* bounds);

inline int32_t RectWidth(const pi::Rect& r) {
  return int32_t{r.right} - r.left;
}
inline int32_t RectHeight(const pi::Rect& r) {
  return int32_t{r.bottom} - r.top;
}

}  // namespace ulvo
