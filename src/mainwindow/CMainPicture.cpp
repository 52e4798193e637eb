#include "mainwindow/CMainPicture.h"

#include "document/CPatch.h"
#include "mainwindow/HotAreaInfo.h"
#include "framework/ui/UQtText.h"
#include "framework/ui/UTextTraits.h"
#include "document/UControllerSummary.h"
#include "framework/ui/UEventGuard.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/UHotAreaNavigation.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <optional>

const RGBColor color_MsgBoxFrame[kCaptionColorCount] = {
    {0x1919, 0x7B7B, 0x3030},
    {0x1919, 0x3030, 0x7B7B},
    {0x7B7B, 0x1919, 0x3030},
    {0x7B7B, 0x1919, 0x3030},
};
const RGBColor color_MsgBoxContent[kCaptionColorCount] = {
    {0xFFFF, 0xF7F7, 0x9999},
    {0x9999, 0xF7F7, 0xFFFF},
    {0x9999, 0xFFFF, 0x9999},
    {0xFFFF, 0x9999, 0xF7F7},
};
const RGBColor color_Hilite = {0xFFFF, 0x0000, 0x0000};

namespace {

constexpr std::int16_t kRingWidth = 2;
constexpr qreal kRingCornerRadius = 2;      // corner ovals of 4 by 4 pixels
constexpr std::int16_t kCaptionMargin = 3;  // text to box edge, left and right
constexpr std::int16_t kPaneMargin = 2;     // boxes keep this far inside the pane

QRect ToQRect(const Rect& rect) {
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Rect Inset(const Rect& rect, std::int16_t by) {
  return Rect{static_cast<std::int16_t>(rect.top + by), static_cast<std::int16_t>(rect.left + by),
              static_cast<std::int16_t>(rect.bottom - by),
              static_cast<std::int16_t>(rect.right - by)};
}

void Offset(Rect& rect, std::int16_t horizontal, std::int16_t vertical) {
  rect.left = static_cast<std::int16_t>(rect.left + horizontal);
  rect.right = static_cast<std::int16_t>(rect.right + horizontal);
  rect.top = static_cast<std::int16_t>(rect.top + vertical);
  rect.bottom = static_cast<std::int16_t>(rect.bottom + vertical);
}

// The whole pixels that lie entirely inside `rect`.
QRect InwardRect(const QRectF& rect) {
  const int left = static_cast<int>(std::ceil(rect.left()));
  const int top = static_cast<int>(std::ceil(rect.top()));
  return {left, top, static_cast<int>(std::floor(rect.right())) - left,
          static_cast<int>(std::floor(rect.bottom())) - top};
}

std::int16_t ToCoordinate(double value) {
  return static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0));
}

Rect ToRect(const QRect& rect) {
  return Rect{ToCoordinate(rect.top()), ToCoordinate(rect.left()),
              ToCoordinate(rect.top() + rect.height()), ToCoordinate(rect.left() + rect.width())};
}

bool Contains(const Rect& rect, const Point& point) {
  return point.v >= rect.top && point.v < rect.bottom && point.h >= rect.left &&
         point.h < rect.right;
}

// Text traits give points; the captions are laid out in pixels of this pane.
QFont CaptionFont(const QWidget& pane) {
  QFont font = UTextTraits::GetFont(CMainPicture::kCaptionTraitsID);
  if (font.pixelSize() <= 0) {
    const int pixels = static_cast<int>(std::lround(font.pointSizeF() * pane.logicalDpiY() / 72.0));
    font.setPixelSize(pixels > 0 ? pixels : 1);
  }
  return font;
}

std::optional<UHotAreaNavigation::EDirection> ArrowDirection(int key) {
  using EDirection = UHotAreaNavigation::EDirection;
  switch (key) {
    case Qt::Key_Left: return EDirection::Left;
    case Qt::Key_Right: return EDirection::Right;
    case Qt::Key_Up: return EDirection::Up;
    case Qt::Key_Down: return EDirection::Down;
    default: return std::nullopt;
  }
}

QString CaptionText(const CPatch& patch, long index) {
  Str255 caption;
  patch.GetShortParamCaption(index, caption);
  return UQtText::FromPStr(caption);
}

}  // namespace

CMainPicture::CMainPicture(const LPaneData& data)
    : LPicture(data), mHotCursor(kHotCursorID), mCaptionFont(CaptionFont(*this)) {
  setFocusPolicy(Qt::StrongFocus);
}

CMainPicture::~CMainPicture() = default;

long CMainPicture::FindHotAreaHitBy(const Point& picturePoint) const {
  for (long index = 0; index < kControllerCount; ++index) {
    if (Contains(kHotAreaInfo[index].hotRect, picturePoint)) return index;
  }
  return -1;
}

double CMainPicture::GetPictureScale() const {
  const QSize natural = GetNaturalSize();
  return natural.isEmpty() ? 1.0 : double(GetPictureRect().width()) / natural.width();
}

Point CMainPicture::LocalToPicturePoint(Point localPoint) const {
  const QRectF pixel = LocalToPictureRect(localPoint);
  // The picture pixel under the local pixel's centre; rounded down, so that a point left of
  // or above the picture stays outside it.
  return Point{ToCoordinate(std::floor(pixel.center().y())),
               ToCoordinate(std::floor(pixel.center().x()))};
}

QRectF CMainPicture::PictureToLocalRect(const Rect& pictureRect) const {
  const QSize natural = GetNaturalSize();
  const QRect area = GetPictureRect();
  const QRectF rect(pictureRect.left, pictureRect.top, pictureRect.right - pictureRect.left,
                    pictureRect.bottom - pictureRect.top);
  if (natural.isEmpty()) return rect;
  const double sx = double(area.width()) / natural.width();
  const double sy = double(area.height()) / natural.height();
  return {area.left() + rect.left() * sx, area.top() + rect.top() * sy, rect.width() * sx,
          rect.height() * sy};
}

Point CMainPicture::PictureToLocalPoint(Point picturePoint) const {
  // The local pixel under the picture pixel's centre: the two conversions undo each other at
  // every scale of 1 or more.
  const Rect pixel{picturePoint.v, picturePoint.h, static_cast<std::int16_t>(picturePoint.v + 1),
                   static_cast<std::int16_t>(picturePoint.h + 1)};
  const QPointF centre = PictureToLocalRect(pixel).center();
  return Point{ToCoordinate(std::floor(centre.y())), ToCoordinate(std::floor(centre.x()))};
}

QRectF CMainPicture::LocalToPictureRect(Point localPoint) const {
  const QSize natural = GetNaturalSize();
  const QRect area = GetPictureRect();
  const QRectF pixel(localPoint.h, localPoint.v, 1, 1);
  if (natural.isEmpty() || area.isEmpty()) return pixel;
  const double sx = double(natural.width()) / area.width();
  const double sy = double(natural.height()) / area.height();
  return {(pixel.left() - area.left()) * sx, (pixel.top() - area.top()) * sy, sx, sy};
}

Rect CMainPicture::LocalHotRect(long index) const {
  const QRectF local = PictureToLocalRect(kHotAreaInfo[index].hotRect);
  return Rect{ToCoordinate(std::round(local.top())), ToCoordinate(std::round(local.left())),
              ToCoordinate(std::round(local.bottom())), ToCoordinate(std::round(local.right()))};
}

qreal CMainPicture::RingWidth() const { return kRingWidth * GetPictureScale(); }

QFont CMainPicture::GetCaptionFont() const {
  // Smaller than at scale 1 would be hard to read: the boxes then overlap a little more.
  QFont font = mCaptionFont;
  const int basePixels = mCaptionFont.pixelSize();
  font.setPixelSize(std::max(basePixels, int(std::lround(basePixels * GetPictureScale()))));
  return font;
}

void CMainPicture::SetPatch(CPatch* patch) {
  if (mPatch != nullptr) mPatch->RemoveListener(this);
  mPatch = patch;
  if (mPatch != nullptr) mPatch->AddListener(this);
  Refresh();
}

void CMainPicture::SetHiliteArea(long index) {
  if (HasHiliteArea()) {
    RefreshHilite(mHiliteArea);
    mHiliteArea = -1;
  }
  if (ValidArea(index)) {
    mHiliteArea = static_cast<std::int32_t>(index);
    RefreshHilite(mHiliteArea);
  }
}

void CMainPicture::RefreshHilite(long index) {
  if (!ValidArea(index)) return;
  const QRectF hot = PictureToLocalRect(kHotAreaInfo[index].hotRect);
  const qreal width = RingWidth();
  Point portOrigin{0, 0};
  LocalToPortPoint(portOrigin);
  const QRect inside = InwardRect(hot.adjusted(width, width, -width, -width));
  const QRegion ring = QRegion(hot.toAlignedRect()).subtracted(QRegion(inside));
  InvalPortRgn(ring.translated(portOrigin.h, portOrigin.v));
}

void CMainPicture::ShowMessages(bool show) {
  if (show == mMessageVisible) return;
  mMessageVisible = show;
  Refresh();
}

const Rect& CMainPicture::GetCaptionRect(long index) const {
  static const Rect kNone{};
  return ValidArea(index) ? mCaptionRects[static_cast<std::size_t>(index)] : kNone;
}

long CMainPicture::GetCaptionColorIndex(long index) const {
  if (mPatch == nullptr || mPatch->GetAssignMessage(index) == 0) return kUnassignedColorIndex;
  const long port = mPatch->GetOutputPort(index);
  // A damaged record may name a port that does not exist.
  return port >= 0 && port < kUnassignedColorIndex ? port : kUnassignedColorIndex;
}

void CMainPicture::ListenToMessage(MessageT message, void* param) {
  if (!mMessageVisible) return;
  if (message == msg_PatchInit) {
    Refresh();
  } else if (message == msg_PatchChanged || message == msg_ParamReceived) {
    // 'Pchg' and 'Prcv' both carry the controller index.
    if (param != nullptr) RefreshCaption(*msg_PatchChanged.Param(param));
  }
}

void CMainPicture::RefreshCaption(long index) {
  if (!ValidArea(index) || mPatch == nullptr) return;
  RefreshRect(mCaptionRects[static_cast<std::size_t>(index)]);
  DrawCaptionBoxes(true);
  RefreshRect(mCaptionRects[static_cast<std::size_t>(index)]);
}

void CMainPicture::ClickSelf(const SMouseDownEvent& event) {
  ReportClick(FindHotAreaHitBy(LocalToPicturePoint(event.whereLocal)));
}

void CMainPicture::ReportClick(long index) {
  if (!ValidArea(index) || mClickedMessage == 0) return;
  TMessage<const std::int32_t>(mClickedMessage).Send(*this, static_cast<std::int32_t>(index));
}

Point CMainPicture::PictureHitPoint(const QPoint& widgetPoint) const {
  return LocalToPicturePoint(Point{static_cast<std::int16_t>(widgetPoint.y()),
                                   static_cast<std::int16_t>(widgetPoint.x())});
}

bool CMainPicture::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      ShowToolTip(*static_cast<QHelpEvent*>(event));
      return true;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      Refresh();  // the focus ring
      break;
    default:
      break;
  }
  return LPicture::event(event);
}

void CMainPicture::ShowToolTip(const QHelpEvent& help) const {
  const long index = FindHotAreaHitBy(PictureHitPoint(help.pos()));
  if (mPatch == nullptr || index < 0) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(help.globalPos(),
                     QString::fromStdString(UControllerSummary::Describe(*mPatch, index)));
}

void CMainPicture::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  const auto direction = ArrowDirection(event->key());
  if (plain && direction.has_value()) {
    const auto next = static_cast<std::int32_t>(UHotAreaNavigation::Step(mHiliteArea, *direction));
    if (next != mHiliteArea) UEventGuard::Run([&] { msg_ControllerStepped.Send(*this, next); });
  } else if (plain && HasHiliteArea() &&
             (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    UEventGuard::Run([this] { ReportClick(mHiliteArea); });
  } else {
    event->ignore();  // for the window: Ctrl-F, Ctrl-B, Backspace and the rest
  }
}

void CMainPicture::contextMenuEvent(QContextMenuEvent* event) {
  // From the keyboard's menu key the menu is for the selected controller.
  const long index = event->reason() == QContextMenuEvent::Mouse
                         ? FindHotAreaHitBy(PictureHitPoint(event->pos()))
                         : mHiliteArea;
  if (!ValidArea(index)) {
    event->ignore();
    return;
  }
  const SControllerMenuRequest request{static_cast<std::int32_t>(index), event->globalPos()};
  UEventGuard::Run([&] { msg_ControllerMenuRequested.Send(*this, request); });
}

void CMainPicture::AdjustMouseSelf(Point portPoint, const EventRecord&) {
  PortToLocalPoint(portPoint);
  if (FindHotAreaHitBy(LocalToPicturePoint(portPoint)) >= 0) {
    mHotCursor.Set();
  } else {
    UCursor::SetArrow();
  }
}

void CMainPicture::DrawSelf() {
  LPicture::DrawSelf();
  if (HasHiliteArea()) DrawHiliteRing();
  if (hasFocus()) DrawFocusRing();
  if (mPatch != nullptr && mMessageVisible) DrawCaptionBoxes(false);
}

void CMainPicture::DrawHiliteRing() const {
  QPainter* painter = GetPainter();
  if (painter == nullptr) return;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, true);
  const qreal width = RingWidth();
  painter->setPen(QPen(color_Hilite.ToQColor(), width));
  painter->setBrush(Qt::NoBrush);
  // The pen lies inside the hot rectangle, as a frame drawn with a 2-by-2 pen does.
  const QRectF hot = PictureToLocalRect(kHotAreaInfo[mHiliteArea].hotRect);
  const qreal half = width / 2.0;
  const qreal radius = kRingCornerRadius * GetPictureScale();
  painter->drawRoundedRect(hot.adjusted(half, half, -half, -half), radius, radius);
  painter->restore();
}

void CMainPicture::DrawFocusRing() const {
  QPainter* painter = GetPainter();
  if (painter == nullptr) return;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
  painter->setBrush(Qt::NoBrush);
  // Round the scaled picture, 1 pixel inside it, not round the letterbox margins.
  painter->drawRect(GetPictureRect().adjusted(0, 0, -1, -1));
  painter->restore();
}

Rect CMainPicture::LayOutCaptionBox(long index, std::int16_t textWidth,
                                    std::int16_t lineHeight) const {
  const SHotAreaInfo& info = kHotAreaInfo[index];
  const Rect hot = LocalHotRect(index);
  const auto hotWidth = static_cast<std::int16_t>(hot.right - hot.left);
  const auto hotHeight = static_cast<std::int16_t>(hot.bottom - hot.top);
  const auto blockHeight = static_cast<std::int16_t>(lineHeight * info.lines);

  std::int16_t top = hotHeight > blockHeight
                         ? static_cast<std::int16_t>(hot.top + (hotHeight - blockHeight) / 2)
                         : static_cast<std::int16_t>(hot.top - (blockHeight - hotHeight) / 2);
  top = static_cast<std::int16_t>(top + info.row * lineHeight);
  Rect box;
  box.top = top;
  box.left = static_cast<std::int16_t>(hotWidth / 2 + hot.left - textWidth / 2);
  box.bottom = static_cast<std::int16_t>(top + lineHeight + 1);
  box.right = static_cast<std::int16_t>(box.left + textWidth);
  box.left = static_cast<std::int16_t>(box.left - kCaptionMargin);
  box.right = static_cast<std::int16_t>(box.right + kCaptionMargin);

  // Inside the picture, which is the pane less its margins.
  const Rect frame = Inset(ToRect(GetPictureRect()), kPaneMargin);
  if (box.top < frame.top) Offset(box, 0, static_cast<std::int16_t>(frame.top - box.top));
  if (box.left < frame.left) Offset(box, static_cast<std::int16_t>(frame.left - box.left), 0);
  if (box.bottom > frame.bottom)
    Offset(box, 0, static_cast<std::int16_t>(frame.bottom - box.bottom));
  if (box.right > frame.right) Offset(box, static_cast<std::int16_t>(frame.right - box.right), 0);
  return box;
}

void CMainPicture::DrawCaptionBoxes(bool measureOnly) {
  if (mPatch == nullptr) return;
  QPainter* painter = measureOnly ? nullptr : GetPainter();
  if (!measureOnly && painter == nullptr) return;

  const QFont font = GetCaptionFont();
  const QFontMetrics metrics(font);
  const auto ascent = static_cast<std::int16_t>(metrics.ascent());
  const auto lineHeight = static_cast<std::int16_t>(metrics.ascent() + metrics.descent());
  if (painter != nullptr) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setFont(font);
  }
  for (long index = 0; index < kControllerCount; ++index) {
    const QString caption = CaptionText(*mPatch, index);
    const auto width = static_cast<std::int16_t>(metrics.horizontalAdvance(caption));
    const Rect box = LayOutCaptionBox(index, width, lineHeight);
    mCaptionRects[static_cast<std::size_t>(index)] = box;
    if (painter == nullptr) continue;

    const long colorIndex = GetCaptionColorIndex(index);
    const QRect area = ToQRect(box);
    painter->fillRect(area, color_MsgBoxContent[colorIndex].ToQColor());
    painter->setPen(color_MsgBoxFrame[colorIndex].ToQColor());
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(area.adjusted(0, 0, -1, -1));  // 1 pixel inside the box
    painter->setPen(Qt::black);
    painter->drawText(QPoint(box.left + kCaptionMargin, box.top + ascent), caption);
  }
  if (painter != nullptr) painter->restore();
}
