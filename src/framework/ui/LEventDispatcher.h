// The application's event dispatcher: its attachments for msg_Event see every mouse press and
// key press (as an EventRecord, param) before Qt delivers it to a window; an attachment that
// stops its host keeps the event from the window. There is one current dispatcher.
#pragma once

#include "framework/ui/LAttachment.h"

#include <memory>

class QObject;

class LEventDispatcher : public LAttachable {
 public:
  // Becomes the current dispatcher; needs a QApplication.
  LEventDispatcher();
  ~LEventDispatcher() override;

  static LEventDispatcher* GetCurrentEventDispatcher();

 private:
  std::unique_ptr<QObject> mFilter;
  LEventDispatcher* mPrevious;
};
