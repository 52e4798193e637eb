// The device picture at other window sizes: it keeps its aspect ratio in the middle of its
// pane, and its hot areas, ring and caption boxes go where it goes.
#include "MainWindowTestSupport.h"

#include "mainwindow/HotAreaInfo.h"

#include <QFontMetrics>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using kvxtest::MainWindowTest;

Point At(double h, double v) {
  return Point{static_cast<std::int16_t>(std::floor(v)), static_cast<std::int16_t>(std::floor(h))};
}

class CClickListener final : public LListener {
 public:
  void ListenToMessage(MessageT message, void* param) override {
    if (message == msg_ControllerClicked) clicked.push_back(*msg_ControllerClicked.Param(param));
  }
  std::vector<std::int32_t> clicked;
};

TEST_F(MainWindowTest, HotAreasRingAndCaptionsFollowThePictureAtEveryWindowSize) {
  const struct {
    const char* name;
    QSize window;  // empty: the default size
  } rows[] = {{"the default size", {}},          {"one and a half times", {1100, 420}},
              {"twice", {1460, 520}},            {"wide: margins left and right", {1400, 300}},
              {"tall: margins above and below", {800, 700}}, {"the smallest it goes", {1, 1}}};
  const std::vector<std::int32_t> controllers = {0, 8, 17, 36, 39, 47, 49};  // R1 ... AFT
  CClickListener listener;
  picture->AddListener(&listener);
  kvxtest::Assign(patch, 4, kvxtest::StoredRecord(msgType_CC, 0, 1, {7}));
  picture->ShowMessages(true);
  const int defaultPixels = picture->GetCaptionFont().pixelSize();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (!row.window.isEmpty()) window->resize(row.window);
    Settle();
    // Where the picture should lie, worked out here on its own.
    const double scale = std::min(picture->width() / 712.0, picture->height() / 206.0);
    const double left = (picture->width() - 712 * scale) / 2;
    const double top = (picture->height() - 206 * scale) / 2;
    const auto toLocal = [&](double h, double v) { return At(left + h * scale, top + v * scale); };
    EXPECT_NEAR(picture->GetPictureScale(), scale, 0.01);

    listener.clicked.clear();
    for (long index : controllers) {
      const Rect& r = kHotAreaInfo[index].hotRect;
      ClickPicture(toLocal((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0));
      const Point corner{r.top, r.left};
      const Point back = picture->LocalToPicturePoint(picture->PictureToLocalPoint(corner));
      if (scale >= 1) {
        EXPECT_TRUE(back.h == corner.h && back.v == corner.v) << index;
      }
    }
    EXPECT_EQ(listener.clicked, controllers);
    listener.clicked.clear();
    if (left >= 2) ClickPicture(At(left / 2, picture->height() / 2.0));  // in a margin
    if (top >= 2) ClickPicture(At(picture->width() / 2.0, top / 2));
    EXPECT_TRUE(listener.clicked.empty());

    const QFont font = picture->GetCaptionFont();
    EXPECT_NEAR(font.pixelSize(), std::max(1.0, scale) * defaultPixels, 1.0) << "never smaller";
    picture->DrawCaptionBoxes(true);
    const Rect& box = picture->GetCaptionRect(4);  // R5's: under its hot area's centre
    EXPECT_NEAR((box.left + box.right) / 2.0, toLocal((168 + 194) / 2.0, 0).h, 2.0);
    const QFontMetrics metrics(font);
    EXPECT_EQ(box.bottom - box.top, metrics.ascent() + metrics.descent() + 1);

    // AFT's ring, across its top edge halfway along: 2 pixels scaled, nearly red where the pen
    // covers a pixel only in part.
    picture->SetHiliteArea(49);
    const QImage image = picture->grab().toImage();
    const Point ringTop = toLocal((170 + 218) / 2.0, 162);
    int redPixels = 0;
    for (int v = ringTop.v - 1; v <= ringTop.v + 2 * scale + 1; ++v) {
      const QColor color = image.pixelColor(ringTop.h, v);
      redPixels += color.red() >= 180 && color.green() <= 80 && color.blue() <= 80;
    }
    EXPECT_TRUE(redPixels >= 1 && redPixels <= 2 * scale + 1) << redPixels;
  }
}

TEST_F(MainWindowTest, AResizeShowsAStandInUntilTheSizeHoldsStill) {
  EXPECT_FALSE(picture->IsShowingStandIn(1));
  window->resize(1100, 420);
  Settle();
  EXPECT_TRUE(picture->IsShowingStandIn(1)) << "a size just dragged out";
  kvxtest::CPaintRecorder paints(*picture);
  // The sharp rendering is made on a worker thread once the size has held still.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !picture->IsShowingStandIn(1); }, 10000));
  Settle();
  EXPECT_EQ(paints.Flush(), QRegion(picture->rect())) << "the sharp rendering follows";
}

}  // namespace
