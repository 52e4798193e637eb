// The device picture: hot areas and hit testing, clicks and cursor, the selection ring, and
// the caption boxes' layout, colours and redrawing.
#include "MainWindowTestSupport.h"

#include "framework/core/LListener.h"
#include "framework/core/LString.h"
#include "mainwindow/HotAreaInfo.h"

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

using kvxtest::Assign;
using kvxtest::MainWindowTest;
using kvxtest::StoredRecord;

QRect ToQRect(const Rect& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }
Point At(int h, int v) { return Point{static_cast<std::int16_t>(v), static_cast<std::int16_t>(h)}; }
QRegion RingOf(long index) {
  const QRect hot = ToQRect(kHotAreaInfo[index].hotRect);
  return QRegion(hot).subtracted(QRegion(hot.adjusted(2, 2, -2, -2)));
}

TEST(HotAreaInfo, ThePictureDataHoldsTheSameRowsAndNoAreasOverlap) {
  QFile file(QStringLiteral(KVX_RESOURCES_DIR "/device/hot-areas.json"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonArray rows = QJsonDocument::fromJson(file.readAll()).array();
  ASSERT_EQ(rows.size(), kControllerCount);
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    const QJsonObject row = rows.at(index).toObject();
    const SHotAreaInfo& info = kHotAreaInfo[index];
    const auto value = [&](const char* key) { return row.value(QLatin1String(key)).toInt(-999); };
    EXPECT_EQ((std::vector<int>{value("index"), value("top"), value("left"), value("bottom"),
                                value("right"), value("lines"), value("row")}),
              (std::vector<int>{static_cast<int>(index), info.hotRect.top, info.hotRect.left,
                                info.hotRect.bottom, info.hotRect.right, info.lines, info.row}));
    EXPECT_EQ(row.value(QLatin1String("descriptor")).toString().toStdString(),
              LString::ToStd(kControllerInfo[index].descriptor));
    EXPECT_TRUE(QRect(0, 0, 712, 206).contains(ToQRect(info.hotRect)));
    for (long other = index + 1; other < kControllerCount; ++other)
      EXPECT_FALSE(ToQRect(info.hotRect).intersects(ToQRect(kHotAreaInfo[other].hotRect))) << other;
  }
}

TEST_F(MainWindowTest, HotAreasAreHalfOpenAndGapsHitNothing) {
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    const Rect& r = kHotAreaInfo[index].hotRect;
    for (Point inside : {At(r.left, r.top), At(r.right - 1, r.bottom - 1), At(r.right - 1, r.top),
                         At(r.left, r.bottom - 1)})
      EXPECT_EQ(picture->FindHotAreaHitBy(inside), index);
    for (Point outside :
         {At(r.right, r.top), At(r.left, r.bottom), At(r.left - 1, r.top), At(r.left, r.top - 1)})
      EXPECT_NE(picture->FindHotAreaHitBy(outside), index);
  }
  // between R1 and R2, R1 and A1, S1 and S2, the pedals; corners; outside the picture
  for (Point gap : {At(55, 30), At(30, 60), At(490, 50), At(400, 176), At(0, 0), At(711, 205),
                    At(-1, 30), At(3000, 3000)})
    EXPECT_EQ(picture->FindHotAreaHitBy(gap), -1) << gap.h << "," << gap.v;
}

// Keeps the clicked message's controller indexes.
class CClickListener final : public LListener {
 public:
  void ListenToMessage(MessageT message, void* param) override {
    if (message == msg_ControllerClicked)
      clicked.push_back(*msg_ControllerClicked.Param(param));
  }
  std::vector<std::int32_t> clicked;
};

TEST_F(MainWindowTest, ClicksOnControllersAreBroadcastAndTheyShowTheHotCursor) {
  CClickListener listener;
  picture->AddListener(&listener);
  ClickPicture(At(30, 30));    // R1
  ClickPicture(At(180, 170));  // AFT
  ClickPicture(At(55, 30));    // a gap
  EXPECT_EQ(listener.clicked, (std::vector<std::int32_t>{0, 49}));
  picture->SetClickedMessage(0);
  ClickPicture(At(30, 30));
  EXPECT_EQ(listener.clicked.size(), 2u) << "without a clicked message nothing is broadcast";

  // Moves to where the mouse already is are dropped on the way: start elsewhere.
  auto moveTo = [&](int h, int v) {
    QTest::mouseMove(window->windowHandle(), picture->mapTo(window, QPoint(h, v)));
  };
  moveTo(1, 1);
  moveTo(30, 30);
  EXPECT_EQ(picture->cursor().shape(), Qt::PointingHandCursor);
  moveTo(55, 30);
  EXPECT_EQ(picture->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainWindowTest, SelectingRedrawsTheOldAndTheNewRedRingOnly) {
  kvxtest::CPaintRecorder paints(*picture);
  picture->SetHiliteArea(5);
  EXPECT_EQ(paints.Flush(), RingOf(5));
  paints.Clear();
  picture->SetHiliteArea(40);
  EXPECT_EQ(picture->GetHiliteArea(), 40);
  EXPECT_EQ(paints.Flush(), RingOf(5) + RingOf(40));
  const Rect& hot = kHotAreaInfo[40].hotRect;
  EXPECT_EQ(picture->grab().toImage().pixelColor(hot.left + 17, hot.top), QColor(Qt::red));

  for (long invalid : {-1L, 50L}) {
    SCOPED_TRACE(invalid);
    picture->SetHiliteArea(12);
    paints.Flush();
    paints.Clear();
    picture->SetHiliteArea(invalid);
    EXPECT_FALSE(picture->HasHiliteArea());
    EXPECT_EQ(picture->GetHiliteArea(), -1);
    EXPECT_EQ(paints.Flush(), RingOf(12));
  }
}

TEST_F(MainWindowTest, CaptionBoxesFollowTheLayoutRules) {
  const SPatchParam wide =
      StoredRecord(msgType_FixedBankPC, 15, 0, {127, 127, 127});  // Bnk 127/127, PC 128:16
  Assign(patch, 0, wide);
  Assign(patch, 12, StoredRecord(msgType_CC, 0, 0, {7}));
  Assign(patch, 17, wide);
  Assign(patch, 47, StoredRecord(msgType_Tempo, 0, 0, {}));
  picture->DrawCaptionBoxes(true);

  const QFontMetrics metrics(picture->GetCaptionFont());
  const int lh = metrics.ascent() + metrics.descent();
  const auto width = [&](const char* text) {
    return metrics.horizontalAdvance(QString::fromLatin1(text));
  };
  const int w = width("Bnk 127/127, PC 128:16");
  ASSERT_GT(w, 80) << "wide enough to be pushed back into the pane";
  ASSERT_LT(2 * lh, 22) << "a 2-line block fits the pads";
  struct SRow {
    const char* name;
    long index;
    int width, top, left;
  };
  const SRow rows[] = {
      {"R1, wide: pushed right to 2 pixels from the edge", 0, w, 24 + (28 - 2 * lh) / 2, 2},
      {"R2, unassigned, one line down", 1, width("N/A"), 24 + (28 - 2 * lh) / 2 + lh,
       72 - width("N/A") / 2 - 3},
      {"B1, one line down in a pad", 18, width("N/A"), 72 + (22 - 2 * lh) / 2 + lh,
       38 - width("N/A") / 2 - 3},
      {"S4, two lines up", 12, width("CC 7:1"), 28 + (96 - lh) / 2 - 2 * lh,
       553 - width("CC 7:1") / 2 - 3},
      {"S9, wide, three lines up, pushed left", 17, w, 28 + (96 - lh) / 2 - 3 * lh,
       712 - 2 - w - 6},
      {"P1, a 1-line block", 47, width("TEMPO"), 177 + (19 - lh) / 2, 404 - width("TEMPO") / 2 - 3},
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

TEST_F(MainWindowTest, CaptionColoursFollowThePortOfAssignedControllersOnly) {
  SPatchParam unassignedOnPort2{};
  unassignedOnPort2.outputPort = 1;
  const struct {
    long index;
    SPatchParam record;
    long colorIndex;
  } rows[] = {
      {0, StoredRecord(msgType_CC, 0, 0, {1}), 0},
      {2, StoredRecord(msgType_CC, 0, 1, {2}), 1},
      {4, StoredRecord(msgType_CC, 0, 2, {3}), 2},
      {6, unassignedOnPort2, 3},
  };
  for (const auto& row : rows) *patch.GetParam(row.index) = row.record;
  window->ObeyCommand(cmd_ShowCaptions, nullptr);
  const QImage image = picture->grab().toImage();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index);
    EXPECT_EQ(picture->GetCaptionColorIndex(row.index), row.colorIndex);
    const Rect& box = picture->GetCaptionRect(row.index);
    EXPECT_EQ(image.pixelColor(box.left, box.top), color_MsgBoxFrame[row.colorIndex].ToQColor());
    EXPECT_EQ(image.pixelColor(box.right - 1, box.bottom - 1),
              color_MsgBoxFrame[row.colorIndex].ToQColor());
    EXPECT_EQ(image.pixelColor(box.left + 1, box.top + 1),
              color_MsgBoxContent[row.colorIndex].ToQColor());
  }
}

TEST_F(MainWindowTest, ChangesRedrawTheirCaptionOnlyWhileCaptionsShow) {
  kvxtest::CPaintRecorder paints(*picture);
  paints.Flush();
  paints.Clear();
  Assign(patch, 3, StoredRecord(msgType_CC, 0, 0, {7}));
  patch.InitAllParams();
  msg_ParamReceived.Send(patch, 5);
  EXPECT_TRUE(paints.Flush().isEmpty()) << "captions are hidden";
  EXPECT_EQ(picture->GetCaptionRect(3), Rect{}) << "nothing was laid out";

  picture->ShowMessages(true);
  EXPECT_EQ(paints.Flush(), QRegion(picture->rect()));
  const QRect before = ToQRect(picture->GetCaptionRect(3));
  paints.Clear();
  Assign(patch, 3, StoredRecord(msgType_FixedBankPC, 3, 0, {1, 80, 4}));
  const QRect after = ToQRect(picture->GetCaptionRect(3));
  EXPECT_GT(after.width(), before.width());
  EXPECT_EQ(paints.Flush(), QRegion(before) + QRegion(after));
  paints.Clear();
  patch.InitAllParams();
  EXPECT_EQ(paints.Flush(), QRegion(picture->rect()));
}

}  // namespace
