#include "src/host/rect_ops.h"

namespace ulvo {

bool SetRect(pi::Rect* rect, int16_t top, int16_t left, int16_t bottom, int16_t right) {
  if (rect == nullptr) return false;
  rect->top = top;
  rect->left = left;
  rect->bottom = bottom;
  rect->right = right;
  return true;
}

bool CopyRect(pi::Rect* to, const pi::Rect* from) {
  if (to == nullptr || from == nullptr) return false;
  *to = *from;
  return true;
}

bool RectFromBounds(pi::Rect* to, const pi::VRect* bounds) {
  if (to == nullptr || bounds == nullptr) return false;
  return SetRect(to, static_cast<int16_t>(bounds->top), static_cast<int16_t>(bounds->left),
                 static_cast<int16_t>(bounds->bottom), static_cast<int16_t>(bounds->right));
}

}  // namespace ulvo
