// The main window's place and size, and whether it shows the captions, kept between runs in
// the editor's own settings file $XDG_CONFIG_HOME/kvx-editor/kvx-editor.conf (INI; the
// preference file is left as it is). A damaged value, a size below the window's minimum or
// beyond every screen, and a place no screen shows now are dropped: the window then opens at
// its default size where the desktop puts it. Main thread only.
#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <optional>

class CMainWindow;

class UWindowSettings {
 public:
  struct SWindowState {
    std::optional<QRect> geometry;  // the window's content area, in desktop coordinates
    bool showCaptions = false;
  };

  // Empty when there is no configuration folder (neither $XDG_CONFIG_HOME nor $HOME).
  static QString FilePath();
  // What the file holds; nothing (defaults) for what is missing or damaged.
  static SWindowState Load();
  static void Save(const SWindowState& state);

  // The stored geometry when the window can use it: at least `minimum` large, no larger than
  // the available area of a screen, and its top edge on that screen with enough of its width
  // to grab. `screens` are the screens' available areas.
  static std::optional<QRect> UsableGeometry(const QRect& stored, QSize minimum,
                                             const QList<QRect>& screens);

  // Before the window is first shown: its remembered geometry and caption display.
  static void Restore(CMainWindow& window);
  // When the window goes away: its geometry (as it is when not maximised) and captions.
  static void Remember(const CMainWindow& window);
};
