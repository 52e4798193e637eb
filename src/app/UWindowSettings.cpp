#include "app/UWindowSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <algorithm>

#include "framework/ui/UQtText.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "utilities/UFileUtils.h"

namespace {

const QString kX = QStringLiteral("MainWindow/x");
const QString kY = QStringLiteral("MainWindow/y");
const QString kWidth = QStringLiteral("MainWindow/width");
const QString kHeight = QStringLiteral("MainWindow/height");
const QString kShowCaptions = QStringLiteral("MainWindow/showCaptions");

// How much of the window's top edge a screen must show for the user to grab it.
constexpr int kGrabbableWidth = 64;
constexpr int kGrabbableHeight = 32;

std::optional<int> ReadInt(const QSettings& settings, const QString& key) {
  bool ok = false;
  const int value = settings.value(key).toString().trimmed().toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

bool ShowsTopEdge(const QRect& screen, const QRect& window) {
  const int visibleWidth =
      std::min(window.right(), screen.right()) - std::max(window.left(), screen.left()) + 1;
  return window.top() >= screen.top() && window.top() + kGrabbableHeight <= screen.bottom() + 1 &&
         visibleWidth >= kGrabbableWidth;
}

}  // namespace

QString UWindowSettings::FilePath() {
  const auto folder = UFileUtils::FindPreferencesFolder();
  if (!folder) return {};
  return UQtText::FromUTF8((*folder / "kvx-editor" / "kvx-editor.conf").string());
}

UWindowSettings::SWindowState UWindowSettings::Load() {
  SWindowState state;
  const QString path = FilePath();
  if (path.isEmpty()) return state;
  const QSettings settings(path, QSettings::IniFormat);
  const auto x = ReadInt(settings, kX), y = ReadInt(settings, kY);
  const auto width = ReadInt(settings, kWidth), height = ReadInt(settings, kHeight);
  if (x && y && width && height && *width > 0 && *height > 0)
    state.geometry = QRect(*x, *y, *width, *height);
  state.showCaptions = settings.value(kShowCaptions).toString() == QLatin1String("true");
  return state;
}

void UWindowSettings::Save(const SWindowState& state) {
  const QString path = FilePath();
  if (path.isEmpty()) return;
  QSettings settings(path, QSettings::IniFormat);
  if (state.geometry) {
    settings.setValue(kX, state.geometry->x());
    settings.setValue(kY, state.geometry->y());
    settings.setValue(kWidth, state.geometry->width());
    settings.setValue(kHeight, state.geometry->height());
  } else {
    for (const QString& key : {kX, kY, kWidth, kHeight}) settings.remove(key);
  }
  settings.setValue(kShowCaptions, state.showCaptions);
}

std::optional<QRect> UWindowSettings::UsableGeometry(const QRect& stored, QSize minimum,
                                                     const QList<QRect>& screens) {
  if (stored.width() < minimum.width() || stored.height() < minimum.height()) return {};
  for (const QRect& screen : screens) {
    const bool fits = stored.width() <= screen.width() && stored.height() <= screen.height();
    if (fits && ShowsTopEdge(screen, stored)) return stored;
  }
  return {};
}

void UWindowSettings::Restore(CMainWindow& window) {
  const SWindowState state = Load();
  if (state.geometry) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
      screens.push_back(screen->availableGeometry());
    if (const auto usable = UsableGeometry(*state.geometry, window.minimumSizeHint(), screens))
      window.setGeometry(*usable);
  }
  if (CMainPicture* picture = window.GetPicture()) picture->ShowMessages(state.showCaptions);
}

void UWindowSettings::Remember(const CMainWindow& window) {
  SWindowState state;
  const QRect normal = window.normalGeometry();
  state.geometry = normal.isValid() ? normal : window.geometry();
  if (const CMainPicture* picture = window.GetPicture())
    state.showCaptions = picture->IsMessageVisible();
  Save(state);
}
