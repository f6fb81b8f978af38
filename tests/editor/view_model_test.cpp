// The view's zoom steps, scrolling and point mapping, without a window.
#include "src/editor/view_model.h"

#include <gtest/gtest.h>

#include <set>

namespace ulvo {
namespace {

TEST(ViewModelZoom, StepsAndLimits) {
  EXPECT_EQ(ViewModel::ZoomedIn(280), 300);
  EXPECT_EQ(ViewModel::ZoomedIn(300), 300);
  EXPECT_EQ(ViewModel::ZoomedIn(5), 10);
  EXPECT_EQ(ViewModel::ZoomedIn(10), 20);
  EXPECT_EQ(ViewModel::ZoomedIn(15), 20);
  EXPECT_EQ(ViewModel::ZoomedOut(40), 20);
  EXPECT_EQ(ViewModel::ZoomedOut(20), 10);
  EXPECT_EQ(ViewModel::ZoomedOut(10), 5);
  EXPECT_EQ(ViewModel::ZoomedOut(5), 5);
  EXPECT_EQ(ViewModel::ZoomedOut(7), 7);
  // From 100 the steps reach 5, 10, 20, 40, .., 300 and nothing else.
  std::set<int32_t> reached;
  for (int32_t z = 100; reached.insert(z).second;) z = ViewModel::ZoomedIn(z);
  for (int32_t z = 100; reached.insert(z).second || z != 5;) z = ViewModel::ZoomedOut(z);
  std::set<int32_t> expected = {5, 10};
  for (int32_t z = 20; z <= 300; z += 20) expected.insert(z);
  EXPECT_EQ(reached, expected);
}

TEST(ViewModelZoom, ContentIsTheImageAtTheZoomTruncated) {
  ViewModel model;
  model.SetImageSize({101, 50});
  model.SetClientSize({500, 400});
  for (int i = 0; i < 4; ++i) model.ZoomOut(model.centre());  // 80, 60, 40, 20
  EXPECT_EQ(model.zoom(), 20);
  EXPECT_EQ(model.content().width, 20);
  EXPECT_EQ(model.content().height, 10);
  EXPECT_FALSE(model.bar(ScrollAxis::kHorizontal).shown());
  EXPECT_EQ(model.scroll().x, 0);
}

TEST(ViewModelScroll, StepsStayInsideTheRange) {
  ViewModel model;
  model.SetImageSize({800, 600});
  model.SetClientSize({400, 300});
  EXPECT_TRUE(model.Scroll(ScrollAxis::kVertical, ScrollRequest::kPageDown));
  EXPECT_EQ(model.scroll().y, 90);
  EXPECT_TRUE(model.Scroll(ScrollAxis::kVertical, ScrollRequest::kLineDown));
  EXPECT_EQ(model.scroll().y, 140);
  EXPECT_TRUE(model.Scroll(ScrollAxis::kVertical, ScrollRequest::kBottom));
  EXPECT_EQ(model.scroll().y, 300);
  EXPECT_FALSE(model.Scroll(ScrollAxis::kVertical, ScrollRequest::kLineDown));
  EXPECT_TRUE(model.Scroll(ScrollAxis::kHorizontal, ScrollRequest::kThumbTrack, 1000));
  EXPECT_EQ(model.scroll().x, 400);
  EXPECT_FALSE(model.Scroll(ScrollAxis::kHorizontal, ScrollRequest::kEnd));
  EXPECT_TRUE(model.Scroll(ScrollAxis::kHorizontal, ScrollRequest::kTop));
  EXPECT_EQ(model.scroll().x, 0);
  EXPECT_EQ(model.viewportOrigin().y, -300);

  const ScrollBarState bar = model.bar(ScrollAxis::kVertical);
  EXPECT_TRUE(bar.shown());
  EXPECT_EQ(bar.maximum, 599);
  EXPECT_EQ(bar.page, 300);
  EXPECT_EQ(bar.position, 300);

  // A larger window pulls the position back into the smaller range.
  model.SetClientSize({800, 500});
  EXPECT_EQ(model.scroll().y, 100);
  EXPECT_FALSE(model.bar(ScrollAxis::kHorizontal).shown());
  EXPECT_TRUE(model.ScrollBy(0, -30));
  EXPECT_EQ(model.scroll().y, 70);
}

TEST(ViewModelZoom, KeepsTheAnchoredPointWhereItWas) {
  ViewModel model;
  model.SetImageSize({800, 600});
  model.SetClientSize({400, 300});
  model.ScrollBy(100, 100);
  // The centre shows image point (300, 250); at 120 % it is content (360, 300).
  ASSERT_TRUE(model.ZoomIn(model.centre()));
  EXPECT_EQ(model.zoom(), 120);
  EXPECT_EQ(model.scroll().x, 160);
  EXPECT_EQ(model.scroll().y, 150);
  // Near the edge the range wins: anchored at the top left after scrolling
  // to the far corner, zooming out to 20 % shows the whole image.
  model.Scroll(ScrollAxis::kHorizontal, ScrollRequest::kBottom);
  while (model.ZoomOut({0, 0})) {
  }
  EXPECT_EQ(model.zoom(), 5);
  EXPECT_EQ(model.scroll().x, 0);
  EXPECT_EQ(model.scroll().y, 0);
  EXPECT_TRUE(model.ActualSize({0, 0}));
  EXPECT_EQ(model.zoom(), 100);
  EXPECT_FALSE(model.ActualSize({0, 0}));  // already there
}

TEST(ViewModelMapping, ClientPointsMapThroughTheLastPaintsOrigin) {
  ViewModel model;
  model.SetImageSize({400, 300});
  model.SetClientSize({100, 100});
  model.ZoomIn(model.centre());
  model.ZoomIn(model.centre());
  model.ZoomIn(model.centre());
  model.ZoomIn(model.centre());
  model.ZoomIn(model.centre());  // 200 %
  ASSERT_EQ(model.zoom(), 200);
  model.RecordPaintOrigin({-100, -50});
  EXPECT_EQ(model.paintOrigin().x, -50);
  EXPECT_EQ(model.paintOrigin().y, -25);
  const Point pixel = model.ImagePixelAt({10, 20});
  EXPECT_EQ(pixel.x, 55);
  EXPECT_EQ(pixel.y, 300 - 1 - 35);  // rows count from the bottom
  // Scrolling alone does not move the mapping until the next paint.
  model.ScrollBy(50, 50);
  EXPECT_EQ(model.ImagePixelAt({10, 20}).x, 55);
}

}  // namespace
}  // namespace ulvo
