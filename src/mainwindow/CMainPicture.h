// The device picture of the main window (pane ID 2, class 'Mpct'). It knows the hot area of
// each of the 50 controllers (kHotAreaInfo), shows the hot cursor (colour cursor 1000) over
// them, broadcasts its clicked message with a pointer to the std::int32_t controller index
// when one is clicked, rings the selected controller in red, and can show a caption box per
// controller with the assignment in short form, coloured by the assignment's output port.
//
// The pane may have any size: the picture scales with it (LPicture), its aspect ratio kept,
// and so do the hot areas, the ring and the caption boxes. Picture coordinates are those of
// the drawing at its own size (712 by 206), in which kHotAreaInfo is given; every hit test
// goes through LocalToPicturePoint, and what is drawn over the picture through
// PictureToLocalPoint/PictureToLocalRect. The caption font grows with the picture but never
// gets smaller than at the drawing's own size.
//
// It listens to its patch: while captions are shown, 'Init' redraws the pane and 'Pchg' or
// 'Prcv' (param: long* controller index) redraw that controller's caption, old and new box.
// The picture takes the keyboard focus (a dashed ring round the pane shows it): the arrow keys
// ask for the neighbouring controller with 'Cstp' (msg_ControllerStepped), Return and Enter
// report the selected controller as a click does. Hovering a controller shows what it does in
// a tool tip; a right-click on one asks for its context menu with 'Cmnu'.
// Main thread only.
#pragma once

#include "document/SPatchParam.h"
#include "framework/core/LBroadcaster.h"
#include "framework/core/LListener.h"
#include "framework/ui/LPicture.h"
#include "framework/ui/UCursor.h"

#include <QColor>
#include <QFont>

#include <array>
#include <cstdint>

class CPatch;
class QContextMenuEvent;
class QHelpEvent;
class QKeyEvent;

// A colour with 16-bit components.
struct RGBColor {
  std::uint16_t red;
  std::uint16_t green;
  std::uint16_t blue;

  QColor ToQColor() const { return QColor::fromRgba64(red, green, blue); }
};

// Caption box colours by colour index: the output port (0 port 1, 1 port 2, 2 both ports) of
// an assigned controller, kUnassignedColorIndex for one without an assignment.
constexpr long kCaptionColorCount = 4;
constexpr long kUnassignedColorIndex = 3;
extern const RGBColor color_MsgBoxFrame[kCaptionColorCount];
extern const RGBColor color_MsgBoxContent[kCaptionColorCount];
// The selection ring.
extern const RGBColor color_Hilite;

class CMainPicture : public LPicture, public LBroadcaster, public LListener {
 public:
  static constexpr ClassIDT class_ID = FourCC("Mpct");
  static constexpr ResIDT kHotCursorID = 1000;
  static constexpr ResIDT kCaptionTraitsID = 132;

  explicit CMainPicture(const LPaneData& data);
  ~CMainPicture() override;

  // The controller whose hot area holds the point in picture coordinates (the first from 0
  // up; rectangles are half-open: top and left edges inside, bottom and right edges outside),
  // or -1.
  virtual long FindHotAreaHitBy(const Point& picturePoint) const;
  // Invalidates the selection ring of a valid controller: its hot area less the same area
  // inset by the ring's width (2 pixels at the picture's own size).
  virtual void RefreshHilite(long index);
  // Lays out the 50 caption boxes (kept for GetCaptionRect) and, unless `measureOnly`, draws
  // them. Needs a patch; draws only inside DrawSelf.
  virtual void DrawCaptionBoxes(bool measureOnly);

  static bool ValidArea(long index) { return index >= 0 && index < kControllerCount; }

  // Not owned; null shows no captions. The picture listens to the patch.
  void SetPatch(CPatch* patch);
  CPatch* GetPatch() const { return mPatch; }

  // Selects a controller (0..49); any other value leaves none selected. The old and the new
  // ring are redrawn.
  void SetHiliteArea(long index);
  bool HasHiliteArea() const { return ValidArea(mHiliteArea); }
  long GetHiliteArea() const { return mHiliteArea; }

  void ShowMessages(bool show);
  bool IsMessageVisible() const { return mMessageVisible; }

  // Between the pane's local coordinates and picture coordinates. A local point in the margin
  // around the picture maps outside the picture (negative, or beyond 712 by 206).
  Point LocalToPicturePoint(Point localPoint) const;
  Point PictureToLocalPoint(Point picturePoint) const;
  QRectF PictureToLocalRect(const Rect& pictureRect) const;
  // Local pixels per picture pixel: 1 at the drawing's own size.
  double GetPictureScale() const;

  // 0 broadcasts nothing on clicks.
  void SetClickedMessage(MessageT message) { mClickedMessage = message; }
  MessageT GetClickedMessage() const { return mClickedMessage; }

  // The caption box of a controller as last laid out (local coordinates, at the scale of
  // that layout).
  const Rect& GetCaptionRect(long index) const;
  // Which colours the controller's caption box takes.
  long GetCaptionColorIndex(long index) const;
  // The font of the captions: text traits 132 at a pixel size, so that measuring and drawing
  // agree on every paint device; scaled with the picture, never below its size at scale 1.
  QFont GetCaptionFont() const;

  void ListenToMessage(MessageT message, void* param) override;

 protected:
  void ClickSelf(const SMouseDownEvent& event) override;
  void AdjustMouseSelf(Point portPoint, const EventRecord& event) override;
  void DrawSelf() override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Where a point of the widget (from a Qt event) lies on the picture, for FindHotAreaHitBy.
  Point PictureHitPoint(const QPoint& widgetPoint) const;
  void ReportClick(long index);
  void ShowToolTip(const QHelpEvent& help) const;
  void DrawHiliteRing() const;
  void DrawFocusRing() const;
  void RefreshCaption(long index);
  Rect LayOutCaptionBox(long index, std::int16_t textWidth, std::int16_t lineHeight) const;
  // The hot area of a controller in local coordinates, whole pixels.
  Rect LocalHotRect(long index) const;
  qreal RingWidth() const;
  // The area of the picture that a local pixel covers.
  QRectF LocalToPictureRect(Point localPoint) const;

  CPatch* mPatch = nullptr;
  std::int32_t mHiliteArea = -1;
  MessageT mClickedMessage = 0;
  bool mMessageVisible = false;
  std::array<Rect, kControllerCount> mCaptionRects{};
  LColorCursor mHotCursor;
  QFont mCaptionFont;  // at scale 1
};
