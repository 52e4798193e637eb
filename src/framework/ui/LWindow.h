// A window: a view at the top of a pane tree and a commander.
//   - A window whose super-commander chain holds another window opens in front of that one
//     (a transient Qt child window); others are top-level windows.
//   - When it becomes the active window it makes its latent target (the field that has its
//     focus, else itself) the target.
//   - Keys that reach the window go to the target (when the target is in this window) or to
//     the window, and up the chain from there. Menu shortcuts are the menus' own, except the
//     keys the active window keeps (KeepsMenuKey): those come to it as keys instead.
//   - Its close box, and cmd_Close, call AttemptClose: the super-commander's AllowSubRemoval
//     decides, and DoClose hides the window, takes it out of the chain and deletes it later.
//     A window whose layout says "closeBox": "quit" (the main window of a program that lives
//     as long as it) instead sends cmd_Quit up its chain from the close box (and from the
//     desktop's close keys, Alt+F4): the program quits as its Quit command does.
//     A window owned by another window (its super-commander) tells that window through
//     AllowSubRemoval of every close, also one that did not ask (DoClose called directly),
//     so that the owner can forget it.
//   - Tab and Shift-Tab move through the window's fields in the order of the pane tree, which
//     follows the layout (top to bottom, left to right), panels made later included.
//   - "title" is the window title; "menuBar": true puts the application's menu bar on it;
//     "resizable": false fixes its size to what its layout needs; a resizable window opens at
//     that size unless it was given another before Show.
//   - ShowModified puts the desktop's unsaved-changes marker into the title (Qt's "[*]"); the
//     descriptor text stays the title without it.
#pragma once

#include "framework/core/LCommander.h"
#include "framework/ui/LView.h"

class LWindow : public LView, public LCommander {
 public:
  static constexpr ClassIDT class_ID = FourCC("wind");

  explicit LWindow(const LPaneData& data);
  // A window made in code.
  explicit LWindow(LCommander* superCommander, Qt::WindowFlags flags = Qt::Window);
  ~LWindow() override;

  // Creates the window of layout `layoutID`. Throws as UReanimator does, and err_ResourceData
  // when the layout's root is not a window.
  static LWindow* CreateWindow(ResIDT layoutID, LCommander* superCommander);
  // The framework window that `widget` is in, or null.
  static LWindow* FetchWindowObject(const QWidget* widget);

  QString GetDescriptorText() const override;
  void SetDescriptorText(const QString& text) override;
  // Shows (true) or hides the desktop's unsaved-changes marker in the title.
  void ShowModified(bool modified);

  void Show();
  // Brings the window to the front and activates it.
  void Select();
  bool IsCollapsed() const { return isMinimized(); }
  // Minimises (true) or restores (false) the window.
  void Collapse(bool collapse);

  virtual void ClickInContent(const EventRecord& event);
  virtual void AdjustContentMouse(Point portPoint, const EventRecord& event);

  virtual void AttemptClose();
  virtual void DoClose();

  // Whether the key, a menu shortcut, is this window's own while it is the active window: it
  // then goes to the target chain (HandleKeyPress) instead of the menus. No key by default;
  // a dialog whose Ctrl+W applies its edits before it closes keeps Ctrl+W.
  virtual bool KeepsMenuKey(const EventRecord& /*event*/) const { return false; }

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;

  void SetContentLayout(QLayout* layout) override;

 protected:
  virtual void Activate();
  virtual void Deactivate() {}
  // The commander in this window that should be the target when it is activated.
  LCommander* FindLatentTarget() const;
  // Whether `commander` is this window or a commander below it.
  bool Contains(const LCommander* commander) const;

  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Keys go to the focus widget first: an edit field there has handled the key already.
  bool KeyWentThroughAField() const;
  void closeEvent(QCloseEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void changeEvent(QEvent* event) override;

 private:
  void PlaceInFrontOfSuperWindow(Qt::WindowFlags flags);
  bool KeepsShortcut(const QKeyEvent& key) const;
  void ApplyTitle();

  bool mHasMenuBar = false;
  bool mResizable = true;
  bool mSuperAgreedToClose = false;  // AttemptClose asked the super-commander already
  bool mCloseBoxQuits = false;
  bool mMarksModified = false;  // the title carries the marker's placeholder
  QString mTitle;               // without the placeholder
};
