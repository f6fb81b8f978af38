#include "src/editor/view_model.h"

#include <algorithm>

namespace ulvo {
namespace {

int32_t Scaled(int32_t pixels, int32_t zoom) {
  return static_cast<int32_t>(static_cast<int64_t>(pixels) * zoom / 100);
}

int32_t& Along(Point& point, ScrollAxis axis) {
  return axis == ScrollAxis::kHorizontal ? point.x : point.y;
}

int32_t Along(Size size, ScrollAxis axis) {
  return axis == ScrollAxis::kHorizontal ? size.width : size.height;
}

}  // namespace

int32_t ViewModel::ZoomedIn(int32_t zoom) {
  if (zoom >= 300) return zoom;
  if (zoom >= 20) return zoom + 20;
  if (zoom >= 10) return 20;
  return 10;
}

int32_t ViewModel::ZoomedOut(int32_t zoom) {
  if (zoom <= 5) return zoom;
  if (zoom >= 40) return zoom - 20;
  if (zoom >= 20) return 10;
  if (zoom >= 10) return 5;
  return zoom;  // 6 .. 9
}

Size ViewModel::content() const {
  return {Scaled(image_.width, zoom_), Scaled(image_.height, zoom_)};
}

void ViewModel::SetImageSize(Size image) {
  image_ = image;
  Clamp();
}

void ViewModel::SetClientSize(Size client) {
  client_ = {std::max(client.width, 0), std::max(client.height, 0)};
  Clamp();
}

bool ViewModel::ZoomIn(Point anchor) {
  return SetZoom(ZoomedIn(zoom_), anchor);
}

bool ViewModel::ZoomOut(Point anchor) {
  return SetZoom(ZoomedOut(zoom_), anchor);
}

bool ViewModel::ActualSize(Point anchor) {
  return SetZoom(kActualSize, anchor);
}

bool ViewModel::SetZoom(int32_t zoom, Point anchor) {
  if (zoom == zoom_) return false;
  // The image point under the anchor, in the old content's scale, lands in
  // the new content at the same proportion.
  const int64_t x = static_cast<int64_t>(scroll_.x) + anchor.x;
  const int64_t y = static_cast<int64_t>(scroll_.y) + anchor.y;
  scroll_.x = static_cast<int32_t>(x * zoom / zoom_ - anchor.x);
  scroll_.y = static_cast<int32_t>(y * zoom / zoom_ - anchor.y);
  zoom_ = zoom;
  Clamp();
  return true;
}

bool ViewModel::Scroll(ScrollAxis axis, ScrollRequest request, int32_t track) {
  int32_t& position = Along(scroll_, axis);
  const int32_t before = position;
  switch (request) {
    case ScrollRequest::kLineUp:
      position -= kLine;
      break;
    case ScrollRequest::kLineDown:
      position += kLine;
      break;
    case ScrollRequest::kPageUp:
      position -= kPage;
      break;
    case ScrollRequest::kPageDown:
      position += kPage;
      break;
    case ScrollRequest::kThumbPosition:
    case ScrollRequest::kThumbTrack:
      position = track;
      break;
    case ScrollRequest::kTop:
      position = 0;
      break;
    case ScrollRequest::kBottom:
      position = Along(content(), axis);
      break;
    case ScrollRequest::kEnd:
      break;
  }
  Clamp();
  return position != before;
}

bool ViewModel::ScrollBy(int32_t dx, int32_t dy) {
  const Point before = scroll_;
  scroll_.x += dx;
  scroll_.y += dy;
  Clamp();
  return scroll_.x != before.x || scroll_.y != before.y;
}

ScrollBarState ViewModel::bar(ScrollAxis axis) const {
  ScrollBarState state;
  state.maximum = Along(content(), axis) - 1;
  state.page = Along(client_, axis);
  state.position = axis == ScrollAxis::kHorizontal ? scroll_.x : scroll_.y;
  return state;
}

void ViewModel::Clamp() {
  const Size whole = content();
  scroll_.x = std::clamp(scroll_.x, 0, std::max(whole.width - client_.width, 0));
  scroll_.y = std::clamp(scroll_.y, 0, std::max(whole.height - client_.height, 0));
}

void ViewModel::RecordPaintOrigin(Point viewportOrigin) {
  paintOrigin_ = {viewportOrigin.x * 100 / zoom_, viewportOrigin.y * 100 / zoom_};
}

Point ViewModel::ImagePixelAt(Point client) const {
  const int32_t column = client.x * 100 / zoom_ - paintOrigin_.x;
  const int32_t displayRow = client.y * 100 / zoom_ - paintOrigin_.y;
  return {column, image_.height - 1 - displayRow};
}

}  // namespace ulvo
