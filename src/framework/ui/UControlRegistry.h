// Registration of the framework's control and pane classes with URegistrar.
#pragma once

class UControlRegistry {
 public:
  // Push button 'push', check box 'cbox', pop-up button 'popb', pop-up group box 'pgbx', text
  // group box 'tgbx', little arrows 'larr', progress bar 'pbar', static text 'stxt', edit
  // text 'etxt', multi-panel view 'mpvw', picture 'pict'.
  static void RegisterAMClasses();
  // The window and view classes: 'view', 'wind', 'dlog', 'tabg'.
  static void RegisterViewClasses();
};
