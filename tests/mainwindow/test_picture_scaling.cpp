// The device picture at other window sizes: the picture keeps its aspect ratio in the middle
// of its pane, and its hot areas, ring and caption boxes go where it goes.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "MainWindowTestSupport.h"
#include "framework/core/LListener.h"
#include "mainwindow/HotAreaInfo.h"

namespace {

using kvxtest::Assign;
using kvxtest::MainWindowTest;
using kvxtest::StoredRecord;

constexpr double kDrawingWidth = 712;
constexpr double kDrawingHeight = 206;

Point At(double h, double v) {
  return Point{static_cast<std::int16_t>(std::floor(v)), static_cast<std::int16_t>(std::floor(h))};
}

// Where the picture should lie in a pane of this size, worked out here on its own.
struct SExpectedPlace {
  explicit SExpectedPlace(QSize pane)
      : scale(std::min(pane.width() / kDrawingWidth, pane.height() / kDrawingHeight)),
        left((pane.width() - kDrawingWidth * scale) / 2),
        top((pane.height() - kDrawingHeight * scale) / 2) {}

  // The centre of a controller's hot area in the pane.
  Point CentreOf(long index) const {
    const Rect& r = kHotAreaInfo[index].hotRect;
    return At(left + (r.left + r.right) / 2.0 * scale, top + (r.top + r.bottom) / 2.0 * scale);
  }

  double scale, left, top;
};

class CClickListener final : public LListener {
 public:
  void ListenToMessage(MessageT message, void* param) override {
    if (message == msg_ControllerClicked) clicked.push_back(*msg_ControllerClicked.Param(param));
  }
  std::vector<std::int32_t> clicked;
};

struct SWindowSize {
  const char* name;
  int width, height;  // 0: the default size
};

const SWindowSize kWindowSizes[] = {
    {"the default size", 0, 0},
    {"one and a half times", 1100, 420},
    {"twice", 1460, 520},
    {"wide: margins left and right", 1400, 300},
    {"tall: margins above and below", 800, 700},
    {"the smallest it goes", 1, 1},
};

class PictureScalingTest : public MainWindowTest {
 protected:
  void ResizeWindow(const SWindowSize& size) {
    if (size.width > 0) window->resize(size.width, size.height);
    Settle();
  }
};

TEST_F(PictureScalingTest, ClicksAtTheScaledCentresSelectTheirControllersAndMarginsNone) {
  CClickListener listener;
  picture->AddListener(&listener);
  const long controllers[] = {0, 8, 17, 36, 39, 47, 49};  // R1, R9, S9, C1, L1, P1, AFT
  for (const SWindowSize& size : kWindowSizes) {
    SCOPED_TRACE(size.name);
    ResizeWindow(size);
    const SExpectedPlace place(picture->size());
    EXPECT_NEAR(picture->GetPictureScale(), place.scale, 0.01);
    listener.clicked.clear();
    for (long index : controllers) ClickPicture(place.CentreOf(index));
    EXPECT_EQ(listener.clicked,
              std::vector<std::int32_t>(std::begin(controllers), std::end(controllers)));
    // A point in the margin beside or above the picture, where there is one.
    listener.clicked.clear();
    if (place.left >= 2) ClickPicture(At(place.left / 2, picture->height() / 2.0));
    if (place.top >= 2) ClickPicture(At(picture->width() / 2.0, place.top / 2));
    EXPECT_TRUE(listener.clicked.empty());
    EXPECT_EQ(picture->FindHotAreaHitBy(picture->LocalToPicturePoint(At(0, 0))), -1);

    for (long index : controllers) {
      if (place.scale < 1) break;  // then one local pixel covers several of the picture's
      const Rect& r = kHotAreaInfo[index].hotRect;
      const Point corner{r.top, r.left};
      const Point back = picture->LocalToPicturePoint(picture->PictureToLocalPoint(corner));
      EXPECT_EQ(back.h, corner.h);
      EXPECT_EQ(back.v, corner.v);
    }
  }
}

TEST_F(PictureScalingTest, TheRingAndTheCaptionBoxesScaleAndCaptionsNeverShrink) {
  Assign(patch, 4, StoredRecord(msgType_CC, 0, 1, {7}));
  picture->ShowMessages(true);
  const int defaultPixels = picture->GetCaptionFont().pixelSize();
  for (const SWindowSize& size : kWindowSizes) {
    SCOPED_TRACE(size.name);
    ResizeWindow(size);
    const SExpectedPlace place(picture->size());
    const QFont font = picture->GetCaptionFont();
    EXPECT_GE(font.pixelSize(), defaultPixels);
    EXPECT_NEAR(font.pixelSize(), std::max(1.0, place.scale) * defaultPixels, 1.0);

    // R5's box: centred under its scaled hot area, one line high in the caption font.
    picture->DrawCaptionBoxes(true);
    const Rect& box = picture->GetCaptionRect(4);
    const Rect& hot = kHotAreaInfo[4].hotRect;
    EXPECT_NEAR((box.left + box.right) / 2.0,
                place.left + (hot.left + hot.right) / 2.0 * place.scale, 2.0);
    const QFontMetrics metrics(font);
    EXPECT_EQ(box.bottom - box.top, metrics.ascent() + metrics.descent() + 1);

    // The red ring follows the scaled hot area of AFT: across its top edge, halfway along.
    // At scales below 1 no pixel lies wholly under the pen: nearly red will do.
    picture->SetHiliteArea(49);
    const Rect& aft = kHotAreaInfo[49].hotRect;
    const QImage image = picture->grab().toImage();
    const int h = At(place.left + (aft.left + aft.right) / 2.0 * place.scale, 0).h;
    const double ringTop = place.top + aft.top * place.scale;
    int redPixels = 0;
    for (int v = int(ringTop) - 1; v <= int(ringTop + 2 * place.scale) + 1; ++v) {
      const QColor color = image.pixelColor(h, v);
      if (color.red() >= 180 && color.green() <= 80 && color.blue() <= 80) ++redPixels;
    }
    EXPECT_GE(redPixels, 1);
    EXPECT_LE(redPixels, int(2 * place.scale) + 1) << "the ring is as thick as the scale says";
    picture->SetHiliteArea(-1);
  }
}

TEST_F(PictureScalingTest, AResizeShowsAStandInUntilTheSizeHoldsStill) {
  EXPECT_FALSE(picture->IsShowingStandIn(1));
  window->resize(1100, 420);
  Settle();
  EXPECT_TRUE(picture->IsShowingStandIn(1)) << "a size just dragged out";
  kvxtest::CPaintRecorder paints(*picture);
  QTest::qWait(LPicture::kSharpRenderDelayMs + 80);
  EXPECT_EQ(paints.Flush(), QRegion(picture->rect())) << "the sharp rendering follows";
  EXPECT_FALSE(picture->IsShowingStandIn(1));
}

}  // namespace
