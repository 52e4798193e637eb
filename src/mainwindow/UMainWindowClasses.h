// Registers the pane classes the main window's layout creates: the framework's views and
// controls, the patch edit fields, the window and its device picture.
#pragma once

class UMainWindowClasses {
 public:
  static void RegisterClasses();
};
