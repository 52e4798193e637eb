// The class registry: layouts name pane classes by four-character class ID, and the registry
// creates them.
#pragma once

#include "framework/ui/LPaneData.h"

class LPane;

using PaneCreatorFunc = LPane* (*)(const LPaneData& data);

class URegistrar {
 public:
  // Registers (or replaces) the creator of `classID`.
  static void RegisterClass(ClassIDT classID, PaneCreatorFunc creator);
  template <class T>
  static void RegisterClass(ClassIDT classID) {
    RegisterClass(classID, &Create<T>);
  }
  template <class T>
  static void RegisterClass() {
    RegisterClass(T::class_ID, &Create<T>);
  }

  static bool IsRegistered(ClassIDT classID);
  // Creates the pane of `data`'s class; an unregistered class throws err_ResourceData.
  static LPane* CreateObject(const LPaneData& data);

 private:
  template <class T>
  static LPane* Create(const LPaneData& data) {
    return new T(data);
  }
};
