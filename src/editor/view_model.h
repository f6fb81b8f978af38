// Zoom, scrolling and point mapping of the editor's view, without any
// window: the platforms only show the scroll bars this model describes,
// report the view's client size and scroll requests, and draw at the
// viewport origin it gives.
#pragma once

#include <cstdint>

#include "src/editor/geometry.h"

namespace ulvo {

enum class ScrollAxis { kHorizontal, kVertical };

// What a scroll bar asks for, with the system's codes (SB_LINEUP ..
// SB_ENDSCROLL) so that both platforms pass them through unchanged.
enum class ScrollRequest : uint32_t {
  kLineUp = 0,
  kLineDown = 1,
  kPageUp = 2,
  kPageDown = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kTop = 6,
  kBottom = 7,
  kEnd = 8,
};

// A scroll bar as the platform shows it: positions 0 .. maximum, a thumb as
// wide as the page (the client size), hidden when everything fits.
struct ScrollBarState {
  int32_t maximum = 0;  // content size − 1; nothing to scroll when below page
  int32_t page = 0;
  int32_t position = 0;
  bool shown() const { return maximum >= page && page > 0; }
};

class ViewModel {
 public:
  // Scroll steps of a page and a line click, in client pixels.
  static constexpr int32_t kPage = 90;
  static constexpr int32_t kLine = 50;
  static constexpr int32_t kActualSize = 100;

  // The zoom steps: in by 20 up to 300 (from below 20 first to 10, then 20),
  // out by 20 down to 40, then 20 → 10 → 5; 6 .. 9 stay.
  static int32_t ZoomedIn(int32_t zoom);
  static int32_t ZoomedOut(int32_t zoom);

  int32_t zoom() const { return zoom_; }
  Size image() const { return image_; }
  Size client() const { return client_; }
  // The image at the zoom, truncated.
  Size content() const;
  // Top-left content pixel shown at the client's top left.
  Point scroll() const { return scroll_; }
  // Where drawing starts: minus the scroll position.
  Point viewportOrigin() const { return {-scroll_.x, -scroll_.y}; }

  void SetImageSize(Size image);
  void SetClientSize(Size client);

  // Zoom changes keep the content point under `anchor` (client
  // coordinates) where it was, as far as the scroll range allows; the menu
  // and toolbar commands anchor at the client's centre. True when the zoom
  // changed.
  bool ZoomIn(Point anchor);
  bool ZoomOut(Point anchor);
  bool ActualSize(Point anchor);
  Point centre() const { return {client_.width / 2, client_.height / 2}; }

  // A scroll bar's request; `track` is the thumb position of the thumb
  // requests. True when the position changed.
  bool Scroll(ScrollAxis axis, ScrollRequest request, int32_t track = 0);
  // Scrolls by client pixels (the mouse wheel); true when it moved.
  bool ScrollBy(int32_t dx, int32_t dy);

  ScrollBarState bar(ScrollAxis axis) const;

  // The viewport origin of the last paint, in image pixels (0 or negative
  // when scrolled): recorded by every paint, read by every point mapping.
  void RecordPaintOrigin(Point viewportOrigin);
  Point paintOrigin() const { return paintOrigin_; }
  // Image column and bottom-up row under a client point, through the origin
  // of the last paint: column = x × 100 / zoom − origin x, display row =
  // y × 100 / zoom − origin y, row = height − 1 − display row.
  Point ImagePixelAt(Point client) const;

 private:
  bool SetZoom(int32_t zoom, Point anchor);
  // Keeps the scroll position inside 0 .. content − client.
  void Clamp();

  int32_t zoom_ = kActualSize;
  Size image_;
  Size client_;
  Point scroll_;
  Point paintOrigin_;
};

}  // namespace ulvo
