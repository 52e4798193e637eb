// The device picture: hot areas and their hit testing, clicks and cursor, the selection ring,
// and the caption boxes' layout, colours and redrawing.
#include "MainWindowTestSupport.h"

#include "framework/core/LListener.h"
#include "framework/core/LString.h"
#include "framework/ui/UQtText.h"
#include "mainwindow/HotAreaInfo.h"

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kvxtest::MainWindowTest;
using kvxtest::Assign;
using kvxtest::StoredRecord;

constexpr std::int16_t kPictureWidth = 712;
constexpr std::int16_t kPictureHeight = 206;

QRect ToQRect(const Rect& rect) {
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Point At(int h, int v) { return Point{static_cast<std::int16_t>(v), static_cast<std::int16_t>(h)}; }

// Keeps the clicked message's controller indexes.
class CClickListener final : public LListener {
 public:
  void ListenToMessage(MessageT message, void* param) override {
    if (message == msg_ControllerClicked) clicked.push_back(*static_cast<const std::int32_t*>(param));
  }
  std::vector<std::int32_t> clicked;
};

// --- the table

TEST(HotAreaInfo, TheDevicePicturesDataHoldsTheSameRows) {
  QFile file(QStringLiteral(KVX_RESOURCES_DIR "/device/hot-areas.json"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonArray rows = QJsonDocument::fromJson(file.readAll()).array();
  ASSERT_EQ(rows.size(), kControllerCount);
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    const QJsonObject row = rows.at(index).toObject();
    const SHotAreaInfo& info = kHotAreaInfo[index];
    EXPECT_EQ(row.value(QLatin1String("index")).toInt(), index);
    EXPECT_EQ(row.value(QLatin1String("top")).toInt(), info.hotRect.top);
    EXPECT_EQ(row.value(QLatin1String("left")).toInt(), info.hotRect.left);
    EXPECT_EQ(row.value(QLatin1String("bottom")).toInt(), info.hotRect.bottom);
    EXPECT_EQ(row.value(QLatin1String("right")).toInt(), info.hotRect.right);
    EXPECT_EQ(row.value(QLatin1String("lines")).toInt(), info.lines);
    EXPECT_EQ(row.value(QLatin1String("row")).toInt(), info.row);
    Str255 descriptor;
    LString::CopyPStr(kControllerInfo[index].descriptor, descriptor);
    EXPECT_EQ(row.value(QLatin1String("descriptor")).toString().toStdString(), LString::ToStd(descriptor));
  }
}

TEST(HotAreaInfo, AreasLieInsideThePictureAndNeverOverlap) {
  const QRect picture(0, 0, kPictureWidth, kPictureHeight);
  for (long a = 0; a < kControllerCount; ++a) {
    SCOPED_TRACE(a);
    const QRect area = ToQRect(kHotAreaInfo[a].hotRect);
    EXPECT_FALSE(area.isEmpty());
    EXPECT_TRUE(picture.contains(area));
    for (long b = a + 1; b < kControllerCount; ++b) EXPECT_FALSE(area.intersects(ToQRect(kHotAreaInfo[b].hotRect))) << b;
  }
}

// --- hit testing

TEST_F(MainWindowTest, EveryHotAreaIsHitInsideAndOnItsTopLeftEdgesButNotOnItsBottomRightEdges) {
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    const Rect& r = kHotAreaInfo[index].hotRect;
    EXPECT_EQ(picture->FindHotAreaHitBy(At(r.left, r.top)), index);
    EXPECT_EQ(picture->FindHotAreaHitBy(At(r.right - 1, r.bottom - 1)), index);
    EXPECT_EQ(picture->FindHotAreaHitBy(At((r.left + r.right) / 2, (r.top + r.bottom) / 2)), index);
    EXPECT_EQ(picture->FindHotAreaHitBy(At(r.right - 1, r.top)), index);
    EXPECT_EQ(picture->FindHotAreaHitBy(At(r.left, r.bottom - 1)), index);
    EXPECT_NE(picture->FindHotAreaHitBy(At(r.right, r.top)), index);
    EXPECT_NE(picture->FindHotAreaHitBy(At(r.left, r.bottom)), index);
    EXPECT_NE(picture->FindHotAreaHitBy(At(r.left - 1, r.top)), index);
    EXPECT_NE(picture->FindHotAreaHitBy(At(r.left, r.top - 1)), index);
  }
}

TEST_F(MainWindowTest, GapsAndPointsOutsideHitNothing) {
  struct SRow {
    const char* name;
    Point point;
  };
  const SRow rows[] = {
      {"between R1 and R2", At(55, 30)},     {"between R1 and A1", At(30, 60)},
      {"between S1 and S2", At(490, 50)},    {"below R1's right edge", At(51, 30)},
      {"below AFT's bottom edge", At(180, 184)}, {"top left corner", At(0, 0)},
      {"bottom right corner", At(711, 205)}, {"left of the picture", At(-1, 30)},
      {"far outside", At(3000, 3000)},       {"between the pedals", At(400, 176)},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(picture->FindHotAreaHitBy(row.point), -1);
  }
}

TEST_F(MainWindowTest, AClickOnAControllerBroadcastsItsIndexAndAClickInAGapNothing) {
  CClickListener listener;
  picture->AddListener(&listener);
  ClickPicture(At(30, 30));    // R1
  ClickPicture(At(180, 170));  // AFT
  ClickPicture(At(55, 30));    // gap
  EXPECT_EQ(listener.clicked, (std::vector<std::int32_t>{0, 49}));

  picture->SetClickedMessage(0);
  ClickPicture(At(30, 30));
  EXPECT_EQ(listener.clicked.size(), 2u) << "without a clicked message nothing is broadcast";
}

TEST_F(MainWindowTest, TheHotCursorShowsOverControllersAndTheArrowElsewhere) {
  // Through the window system; moves to where the mouse already is are dropped on the way.
  auto moveTo = [&](int h, int v) { QTest::mouseMove(window->windowHandle(), picture->mapTo(window, QPoint(h, v))); };
  moveTo(1, 1);
  moveTo(30, 30);
  EXPECT_EQ(picture->cursor().shape(), Qt::PointingHandCursor);
  moveTo(55, 30);
  EXPECT_EQ(picture->cursor().shape(), Qt::ArrowCursor);
  moveTo(180, 170);
  EXPECT_EQ(picture->cursor().shape(), Qt::PointingHandCursor);
}

// --- selection

QRegion RingOf(long index) {
  const QRect hot = ToQRect(kHotAreaInfo[index].hotRect);
  return QRegion(hot).subtracted(QRegion(hot.adjusted(2, 2, -2, -2)));
}

TEST_F(MainWindowTest, SelectingRedrawsOnlyTheOldAndTheNewRing) {
  kvxtest::CPaintRecorder paints(*picture);
  picture->SetHiliteArea(5);
  EXPECT_EQ(picture->GetHiliteArea(), 5);
  EXPECT_TRUE(picture->HasHiliteArea());
  EXPECT_EQ(paints.Flush(), RingOf(5));

  paints.Clear();
  picture->SetHiliteArea(40);
  EXPECT_EQ(paints.Flush(), RingOf(5) + RingOf(40));
}

TEST_F(MainWindowTest, SelectingAnythingButAControllerClearsTheSelection) {
  for (long index : {-1L, 50L, 1000L}) {
    SCOPED_TRACE(index);
    picture->SetHiliteArea(12);
    kvxtest::CPaintRecorder paints(*picture);
    paints.Flush();
    paints.Clear();
    picture->SetHiliteArea(index);
    EXPECT_FALSE(picture->HasHiliteArea());
    EXPECT_EQ(picture->GetHiliteArea(), -1);
    EXPECT_EQ(paints.Flush(), RingOf(12));
  }
}

TEST_F(MainWindowTest, TheRingIsRedWithinTheHotAreaAndGoneWhenDeselected) {
  const Rect& hot = kHotAreaInfo[0].hotRect;
  const QPoint onRing(hot.left + 13, hot.top);  // the middle of the top edge
  const QColor before = picture->grab().toImage().pixelColor(onRing);
  picture->SetHiliteArea(0);
  EXPECT_EQ(picture->grab().toImage().pixelColor(onRing), QColor(Qt::red));
  picture->SetHiliteArea(-1);
  EXPECT_EQ(picture->grab().toImage().pixelColor(onRing), before);
}

// --- captions

struct SCaptionMetrics {
  int ascent;
  int lineHeight;
  QFontMetrics metrics;
};

SCaptionMetrics MetricsOf(const CMainPicture& picture) {
  const QFontMetrics metrics(picture.GetCaptionFont());
  return {metrics.ascent(), metrics.ascent() + metrics.descent(), metrics};
}

TEST_F(MainWindowTest, CaptionBoxesFollowTheLayoutRules) {
  Assign(patch, 0, StoredRecord(msgType_FixedBankPC, 15, 0, {127, 127, 127}));
  Assign(patch, 12, StoredRecord(msgType_CC, 0, 0, {7}));
  Assign(patch, 17, StoredRecord(msgType_FixedBankPC, 15, 0, {127, 127, 127}));
  Assign(patch, 47, StoredRecord(msgType_Tempo, 0, 0, {}));
  picture->DrawCaptionBoxes(true);

  const SCaptionMetrics m = MetricsOf(*picture);
  const int lh = m.lineHeight;
  auto width = [&](const char* text) { return m.metrics.horizontalAdvance(QString::fromLatin1(text)); };
  const int wide = width("Bnk 127/127, PC 128:16");
  ASSERT_GT(wide, 80) << "the caption must be wide enough to be pushed back into the pane";

  struct SRow {
    const char* name;
    long index;
    int width;  // of the caption text
    int top;
    int left;
  };
  const SRow rows[] = {
      // centred in a 2-line block in R1's 28-pixel area, pushed right to 2 pixels from the edge
      {"wide caption at the left edge", 0, wide, 24 + (28 - 2 * lh) / 2, 2},
      // R2 sits one line lower than R1
      {"unassigned, one line down", 1, width("N/A"), 24 + (28 - 2 * lh) / 2 + lh, 72 - width("N/A") / 2 - 3},
      // S4: a 1-line block in a 96-pixel slider, moved up 2 lines
      {"slider moved up two lines", 12, width("CC 7:1"), 28 + (96 - lh) / 2 - 2 * lh, 553 - width("CC 7:1") / 2 - 3},
      // S9 moved up 3 lines and pushed left to 2 pixels from the right edge
      {"wide caption at the right edge", 17, wide, 28 + (96 - lh) / 2 - 3 * lh, kPictureWidth - 2 - wide - 6},
      {"short area, 1-line block", 47, width("TEMPO"), 177 + (19 - lh) / 2, 404 - width("TEMPO") / 2 - 3},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const Rect& box = picture->GetCaptionRect(row.index);
    EXPECT_EQ(box.top, row.top);
    EXPECT_EQ(box.left, row.left);
    EXPECT_EQ(box.bottom - box.top, lh + 1);
    EXPECT_EQ(box.right - box.left, row.width + 6);
  }
}

TEST_F(MainWindowTest, ATallBlockInAShortAreaIsCentredAroundIt) {
  // B-row pads are 22 pixels high: a 2-line block is taller when a line is over 11 pixels.
  const SCaptionMetrics m = MetricsOf(*picture);
  picture->DrawCaptionBoxes(true);
  const int blockHeight = 2 * m.lineHeight;
  const int expectedTop = blockHeight < 22 ? 72 + (22 - blockHeight) / 2 : 72 - (blockHeight - 22) / 2;
  EXPECT_EQ(picture->GetCaptionRect(19).top, expectedTop);           // B2, row 0
  EXPECT_EQ(picture->GetCaptionRect(18).top, expectedTop + m.lineHeight);  // B1, row 1
}

TEST_F(MainWindowTest, CaptionColoursFollowThePortOfAssignedControllersOnly) {
  struct SRow {
    const char* name;
    long index;
    SPatchParam record;
    long colorIndex;
  };
  const SRow rows[] = {
      {"port 1", 0, StoredRecord(msgType_CC, 0, 0, {1}), 0},
      {"port 2", 2, StoredRecord(msgType_CC, 0, 1, {2}), 1},
      {"both ports", 4, StoredRecord(msgType_CC, 0, 2, {3}), 2},
      {"unassigned, port 2 set", 6, [] { SPatchParam r{}; r.outputPort = 1; return r; }(), 3},
      {"unassigned, both ports set", 8, [] { SPatchParam r{}; r.outputPort = 2; return r; }(), 3},
  };
  for (const SRow& row : rows) patch.GetParam(row.index)[0] = row.record;
  window->ObeyCommand(cmd_ShowCaptions, nullptr);
  const QImage image = picture->grab().toImage();
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(picture->GetCaptionColorIndex(row.index), row.colorIndex);
    const Rect& box = picture->GetCaptionRect(row.index);
    EXPECT_EQ(image.pixelColor(box.left, box.top), color_MsgBoxFrame[row.colorIndex].ToQColor());
    EXPECT_EQ(image.pixelColor(box.right - 1, box.bottom - 1), color_MsgBoxFrame[row.colorIndex].ToQColor());
    EXPECT_EQ(image.pixelColor(box.left + 1, box.top + 1), color_MsgBoxContent[row.colorIndex].ToQColor());
  }
}

TEST_F(MainWindowTest, WhileCaptionsShowAChangeRedrawsTheOldAndNewBoxOfItsController) {
  window->ObeyCommand(cmd_ShowCaptions, nullptr);
  kvxtest::CPaintRecorder paints(*picture);
  paints.Flush();
  const QRect before = ToQRect(picture->GetCaptionRect(3));
  paints.Clear();
  Assign(patch, 3, StoredRecord(msgType_FixedBankPC, 3, 0, {1, 80, 4}));
  const QRect after = ToQRect(picture->GetCaptionRect(3));
  EXPECT_GT(after.width(), before.width());
  EXPECT_EQ(paints.Flush(), QRegion(before) + QRegion(after));
}

TEST_F(MainWindowTest, WhileCaptionsAreHiddenChangesRedrawNothing) {
  kvxtest::CPaintRecorder paints(*picture);
  paints.Flush();
  paints.Clear();
  Assign(patch, 3, StoredRecord(msgType_CC, 0, 0, {7}));
  patch.ClearParam(4);
  patch.InitAllParams();
  long received = 5;
  patch.BroadcastMessage(msg_ParamReceived, &received);
  EXPECT_TRUE(paints.Flush().isEmpty());
  EXPECT_EQ(picture->GetCaptionRect(3), Rect{}) << "nothing was laid out";
}

TEST_F(MainWindowTest, ShowingCaptionsRedrawsThePaneAndAnEmptiedPatchRedrawsItAgain) {
  kvxtest::CPaintRecorder paints(*picture);
  paints.Flush();
  paints.Clear();
  picture->ShowMessages(false);  // no change
  EXPECT_TRUE(paints.Flush().isEmpty());
  picture->ShowMessages(true);
  EXPECT_EQ(paints.Flush(), QRegion(picture->rect()));
  paints.Clear();
  patch.InitAllParams();
  EXPECT_EQ(paints.Flush(), QRegion(picture->rect()));
}

}  // namespace
