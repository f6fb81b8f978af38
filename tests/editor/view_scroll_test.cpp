// The view's zoom commands, scroll bars and wheel on the headless platform:
// what the user does reaches the view model, the scroll bars follow it, and
// the paint draws at its origin.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <vector>

#include "src/editor/editor_app.h"
#include "src/editor/headless/headless_platform.h"
#include "src/editor/ulvo_pi_frame.h"
#include "src/resources/editor_ids.h"
#include "tests/support/test_job.h"

namespace ulvo {
namespace {

class RecordingCanvas : public Canvas {
 public:
  void SetHalftone() override {}
  void StretchBitmap(const BitmapInfoHeader&, const uint8_t*, Rect dst, Rect) override {
    drawn = dst;
  }
  Point ViewportOrigin() const override { return origin; }
  void SetViewportOrigin(Point o) override { origin = o; }
  void DrawBitmapResource(int, Point, Size) override {}
  Point origin;
  Rect drawn;
};

// An editor whose view shows an 800 × 600 image in a 400 × 300 client area.
class ScrolledView : public ::testing::Test {
 protected:
  ScrolledView() { options.viewSize = {400, 300}; }
  void SetUp() override {
    platform = std::make_unique<HeadlessPlatform>("", log, options);
    app = std::make_unique<EditorApp>(platform->dialogs());
    frame = std::make_unique<CUlvoPiFrame>(*platform, *app,
                                           std::make_unique<CUlvoPiDoc>(platform->queue()), active);
    ASSERT_TRUE(frame->Create());
    view = frame->GetActiveView();
    view->SetJob(&picture.job, &depth);
    view->TakeOverJob();
  }
  void TearDown() override { frame->Destroy(); }

  intptr_t Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return platform->windows().Send(platform->windows().viewWindow(), msg, wParam, lParam);
  }
  static uintptr_t Wheel(int turn, uintptr_t keys = 0) {
    return (static_cast<uintptr_t>(static_cast<uint16_t>(turn)) << 16) | keys;
  }

  TestJob picture{800, 600, 3};
  DepthBuffer depth;
  HeadlessOptions options;
  std::ostringstream log;
  ActiveValues active;
  std::unique_ptr<HeadlessPlatform> platform;
  std::unique_ptr<EditorApp> app;
  std::unique_ptr<CUlvoPiFrame> frame;
  CUlvoFilterView* view = nullptr;
};

TEST_F(ScrolledView, ScrollBarsFollowTheImageAndTheirRequests) {
  const ScrollBarState& v = platform->windows().scrollBar(ScrollAxis::kVertical);
  EXPECT_TRUE(v.shown());
  EXPECT_EQ(v.maximum, 599);
  EXPECT_EQ(v.page, 300);
  Send(kMsgVScroll, static_cast<uintptr_t>(ScrollRequest::kPageDown), 0);
  EXPECT_EQ(v.position, 90);
  Send(kMsgHScroll, static_cast<uintptr_t>(ScrollRequest::kThumbTrack), 70000);
  EXPECT_EQ(platform->windows().scrollBar(ScrollAxis::kHorizontal).position, 400);  // held in range

  // The wheel: a notch toward the user scrolls down a line, with Shift sideways.
  Send(kMsgMouseWheel, Wheel(-kWheelNotch), PackPoint(10, 10));
  EXPECT_EQ(v.position, 140);
  Send(kMsgMouseWheel, Wheel(kWheelNotch, kMkShift), PackPoint(10, 10));
  EXPECT_EQ(platform->windows().scrollBar(ScrollAxis::kHorizontal).position, 350);

  // A larger window shows more and scrolls less.
  Send(kMsgSize, 0, PackPoint(800, 500));
  EXPECT_FALSE(platform->windows().scrollBar(ScrollAxis::kHorizontal).shown());
  EXPECT_EQ(v.position, 100);
}

TEST_F(ScrolledView, ZoomCommandsAndCtrlWheelKeepTheirAnchor) {
  Send(kMsgVScroll, static_cast<uintptr_t>(ScrollRequest::kThumbPosition), 100);
  ASSERT_TRUE(frame->RouteCommand(ID_ULVO_ZOOM_IN));
  EXPECT_EQ(view->zoomPercent(), 120);
  // The middle row of the view (image row 250 from the top) stays in the middle.
  EXPECT_EQ(view->model().scroll().y, 250 * 120 / 100 - 150);
  EXPECT_EQ(platform->windows().scrollBar(ScrollAxis::kVertical).maximum, 719);

  // Ctrl+wheel zooms about the pointer: the top-left corner stays put.
  const Point before = view->model().scroll();
  Send(kMsgMouseWheel, Wheel(-kWheelNotch, kMkControl), PackPoint(0, 0));
  EXPECT_EQ(view->zoomPercent(), 100);
  EXPECT_EQ(view->model().scroll().y, before.y * 100 / 120);
  EXPECT_TRUE(frame->RouteCommand(ID_ULVO_ZOOM_OUT));
  EXPECT_TRUE(frame->RouteCommand(ID_ULVO_ZOOM_ACTUAL));
  EXPECT_EQ(view->zoomPercent(), 100);
}

TEST_F(ScrolledView, PaintDrawsAtTheScrolledOriginAndRecordsIt) {
  Send(kMsgVScroll, static_cast<uintptr_t>(ScrollRequest::kLineDown), 0);
  frame->RouteCommand(ID_ULVO_ZOOM_IN);  // 120 %
  RecordingCanvas canvas;
  view->Paint(canvas);
  EXPECT_EQ(canvas.origin.y, -view->model().scroll().y);
  EXPECT_EQ(canvas.drawn.width, 960);
  EXPECT_EQ(canvas.drawn.height, 720);
  EXPECT_EQ(view->scrollOrigin().y, canvas.origin.y * 100 / 120);
}

// The focus cursor only shows while picking, and picking only starts where
// a clicked pixel has a depth: a fourth plane or a depth map.
TEST_F(ScrolledView, FocusPickNeedsADepthAndShowsTheFocusCursor) {
  frame->RouteCommand(ID_ULVO_TB_FOCUS_PICK);
  EXPECT_FALSE(view->focusPick());  // three planes, no map
  EXPECT_EQ(Send(kMsgSetCursor, 0, 1), 0);
  EXPECT_EQ(log.str().find("cursor"), std::string::npos);

  std::vector<uint8_t> map(800 * 600, 40);
  depth = DepthBuffer{map.data(), static_cast<int32_t>(map.size()), 800};
  frame->RouteCommand(ID_ULVO_TB_FOCUS_PICK);
  EXPECT_TRUE(view->focusPick());
  EXPECT_EQ(Send(kMsgSetCursor, 0, 1), 1);
  EXPECT_NE(log.str().find("cursor 141"), std::string::npos);

  frame->RouteCommand(ID_ULVO_TB_FOCUS_PICK);  // the same command ends it
  EXPECT_FALSE(view->focusPick());
  depth = DepthBuffer{};
  picture.job.planes = 4;
  frame->RouteCommand(ID_ULVO_TB_FOCUS_PICK);
  EXPECT_TRUE(view->focusPick());
}

}  // namespace
}  // namespace ulvo
