#include "framework/ui/LWindow.h"

#include "framework/ui/LEditText.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UKeyboard.h"
#include "framework/ui/UReanimator.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The nearest window up the commander chain of `commander`, if any.
QWidget* windowOfChain(LCommander* commander) {
  for (LCommander* link = commander; link != nullptr; link = link->GetSuperCommander()) {
    if (auto* widget = dynamic_cast<QWidget*>(link)) return widget->window();
  }
  return nullptr;
}

}  // namespace

LWindow::LWindow(const LPaneData& data) : LView(data), LCommander(data.GetSuperCommander()) {
  const QString kind = data.GetString("kind", QStringLiteral("document"));
  Qt::WindowFlags flags = Qt::Window;
  if (kind == QLatin1String("dialog"))
    flags = Qt::Dialog;
  else if (kind == QLatin1String("tool"))
    flags = Qt::Tool;
  else if (kind != QLatin1String("document"))
    data.Fail(QStringLiteral("unknown window 'kind' '%1'").arg(kind));
  PlaceInFrontOfSuperWindow(flags);
  SetDescriptorText(data.GetString("title"));
  const QString closeBox = data.GetString("closeBox", QStringLiteral("close"));
  if (closeBox != QLatin1String("close") && closeBox != QLatin1String("quit"))
    data.Fail(QStringLiteral("unknown 'closeBox' '%1'").arg(closeBox));
  mCloseBoxQuits = closeBox == QLatin1String("quit");
  mHasMenuBar = data.GetBool("menuBar", false);
  mResizable = data.GetBool("resizable", true);
}

LWindow::LWindow(LCommander* superCommander, Qt::WindowFlags flags)
    : LView(nullptr, 0), LCommander(superCommander) {
  PlaceInFrontOfSuperWindow(flags);
}

LWindow::~LWindow() {
  // The sub-commanders (fields, dialogs) go while this window is still whole.
  DeleteAllSubCommanders();
}

void LWindow::PlaceInFrontOfSuperWindow(Qt::WindowFlags flags) {
  setParent(windowOfChain(GetSuperCommander()), flags);
}

LWindow* LWindow::CreateWindow(ResIDT layoutID, LCommander* superCommander) {
  return UReanimator::CreateView<LWindow>(layoutID, nullptr, superCommander);
}

LWindow* LWindow::FetchWindowObject(const QWidget* widget) {
  return widget != nullptr ? dynamic_cast<LWindow*>(widget->window()) : nullptr;
}

QString LWindow::GetDescriptorText() const {
  return mMarksModified ? mTitle : windowTitle();
}

void LWindow::SetDescriptorText(const QString& text) {
  mTitle = text;
  ApplyTitle();
}

void LWindow::ShowModified(bool modified) {
  if (!mMarksModified) {
    mTitle = windowTitle();
    mMarksModified = true;
    ApplyTitle();
  }
  setWindowModified(modified);
}

void LWindow::ApplyTitle() {
  if (!mMarksModified) {
    setWindowTitle(mTitle);
    return;
  }
  // Qt takes "[*][*]" for a literal "[*]", so a name holding one stays as it is.
  QString title = mTitle;
  title.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
  setWindowTitle(title + QLatin1String("[*]"));
}

void LWindow::Show() {
  // A resizable window opens at the size its layout asks for unless it was given one: Qt's
  // own first size shrinks a window holding wrapped text to its minimum width.
  if (mResizable && !isVisible() && !testAttribute(Qt::WA_Resized)) resize(sizeHint());
  show();
}

void LWindow::Select() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void LWindow::Collapse(bool collapse) {
  if (collapse)
    showMinimized();
  else
    showNormal();
}

void LWindow::ClickInContent(const EventRecord& event) {
  if (!IsActive()) Select();
  SMouseDownEvent mouseDown = MakeMouseDown(event);
  Click(mouseDown);
}

void LWindow::AdjustContentMouse(Point portPoint, const EventRecord& event) {
  LPane* pane = FindDeepestSubPaneHitBy(portPoint.h, portPoint.v);
  (pane != nullptr ? pane : this)->AdjustMouse(portPoint, event);
}

void LWindow::AttemptClose() {
  LCommander* super = GetSuperCommander();
  if (super != nullptr && !super->AllowSubRemoval(this)) return;
  mSuperAgreedToClose = true;
  DoClose();
}

void LWindow::DoClose() {
  // The owning window may keep a pointer to this one: it hears of the close even when nobody
  // asked it (its answer can no longer stop the close). A document is not told: closing its
  // window would close the document.
  LCommander* super = GetSuperCommander();
  if (!std::exchange(mSuperAgreedToClose, false) && dynamic_cast<LWindow*>(super) != nullptr)
    super->AllowSubRemoval(this);
  hide();
  if (IsOnDuty()) SwitchTarget(GetSuperCommander());
  SetSuperCommander(nullptr);
  // Not now: the close may come from inside one of this window's own event handlers.
  deleteLater();
}

bool LWindow::ObeyCommand(CommandT command, void* param) {
  if (command == cmd_Close) {
    AttemptClose();
    return true;
  }
  return LCommander::ObeyCommand(command, param);
}

void LWindow::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                std::uint16_t& mark, Str255 name) {
  if (command == cmd_Close) {
    enabled = true;
    return;
  }
  LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
}

void LWindow::SetContentLayout(QLayout* layout) {
  LView::SetContentLayout(layout);
  if (mHasMenuBar) {
    if (LMenuBar* menuBar = LMenuBar::GetCurrentMenuBar())
      layout->setMenuBar(menuBar->CreateMenuBarWidget(this));
  }
  if (!mResizable) layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LWindow::Activate() { SwitchTarget(FindLatentTarget()); }

LCommander* LWindow::FindLatentTarget() const {
  for (QWidget* widget = focusWidget(); widget != nullptr && widget != this;
       widget = widget->parentWidget()) {
    auto* commander = dynamic_cast<LCommander*>(widget);
    if (commander != nullptr && Contains(commander)) return commander;
  }
  return const_cast<LWindow*>(this);
}

bool LWindow::Contains(const LCommander* commander) const {
  for (const LCommander* link = commander; link != nullptr; link = link->GetSuperCommander()) {
    if (link == this) return true;
  }
  return false;
}

bool LWindow::event(QEvent* event) {
  // Qt asks before it triggers a shortcut; accepting makes the key an ordinary key press.
  if (event->type() == QEvent::ShortcutOverride &&
      KeepsShortcut(*static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return LView::event(event);
}

bool LWindow::KeepsShortcut(const QKeyEvent& key) const {
  if (!isActiveWindow() || UKeyboard::IsModifierKey(key)) return false;
  const EventRecord record = UKeyboard::FromQKeyEvent(key);
  bool keeps = false;
  UEventGuard::Run([&] { keeps = KeepsMenuKey(record); });
  return keeps;
}

void LWindow::keyPressEvent(QKeyEvent* event) {
  if (UKeyboard::IsModifierKey(*event)) {
    event->ignore();
    return;
  }
  if (KeyWentThroughAField()) {
    // The field has offered the key to the chain already; Qt is only passing it up.
    event->ignore();
    return;
  }
  const EventRecord record = UKeyboard::FromQKeyEvent(*event);
  LCommander* target = GetTarget();
  LCommander* first = Contains(target) ? target : this;
  bool handled = false;
  UEventGuard::Run([&] { handled = first->HandleKeyPress(record); });
  if (!handled) event->ignore();
}

bool LWindow::KeyWentThroughAField() const {
  for (QWidget* widget = focusWidget(); widget != nullptr && widget != this;
       widget = widget->parentWidget()) {
    if (dynamic_cast<LEditText*>(widget) != nullptr) return true;
  }
  return false;
}

void LWindow::closeEvent(QCloseEvent* event) {
  // Ignored either way: the window goes (later) only when its close or the quit goes through.
  event->ignore();
  UEventGuard::Run([this] {
    if (mCloseBoxQuits)
      ObeyCommand(cmd_Quit, nullptr);
    else
      AttemptClose();
  });
}

bool LWindow::focusNextPrevChild(bool next) {
  std::vector<QWidget*> stops;
  for (QWidget* widget : findChildren<QWidget*>()) {
    if (widget->window() != this || widget->focusProxy() != nullptr) continue;
    if ((widget->focusPolicy() & Qt::TabFocus) == 0) continue;
    if (widget->isVisible() && widget->isEnabled()) stops.push_back(widget);
  }
  if (stops.empty()) return false;
  const auto count = static_cast<std::ptrdiff_t>(stops.size());
  const auto found = std::find(stops.begin(), stops.end(), focusWidget());
  std::ptrdiff_t index = found - stops.begin();
  if (found == stops.end()) index = next ? -1 : 0;
  index = (index + (next ? 1 : -1) + count) % count;
  stops[static_cast<std::size_t>(index)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void LWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) {
    UEventGuard::Run([this] {
      if (isActiveWindow())
        Activate();
      else
        Deactivate();
    });
  }
  LView::changeEvent(event);
}
