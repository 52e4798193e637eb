// Attachments: objects hooked to a host (an LAttachable) that run before the host acts on a
// message. An attachment for msg_Event added to the application's event dispatcher sees every
// mouse press and key press before it is dispatched, and may let it go on or stop it.
#pragma once

#include "framework/core/EventRecord.h"
#include "framework/core/MacTypes.h"
#include "framework/core/TMessage.h"

#include <vector>

constexpr MessageT msg_AnyMessage = -1;
// param: the event.
constexpr TMessage<const EventRecord> msg_Event{810};

class LAttachable;

class LAttachment {
 public:
  explicit LAttachment(MessageT message = msg_AnyMessage, bool executeHost = true)
      : mMessage(message), mExecuteHost(executeHost) {}
  LAttachment(const LAttachment&) = delete;
  LAttachment& operator=(const LAttachment&) = delete;
  // Leaves its host.
  virtual ~LAttachment();

  MessageT GetMessage() const { return mMessage; }
  LAttachable* GetOwnerHost() const { return mOwnerHost; }
  // Runs ExecuteSelf for its message; returns whether the host should go on.
  bool Execute(MessageT message, void* param);

 protected:
  virtual void ExecuteSelf(MessageT message, void* param) = 0;
  void SetExecuteHost(bool executeHost) { mExecuteHost = executeHost; }

 private:
  friend class LAttachable;
  MessageT mMessage;
  bool mExecuteHost;
  LAttachable* mOwnerHost = nullptr;
};

class LAttachable {
 public:
  LAttachable() = default;
  LAttachable(const LAttachable&) = delete;
  LAttachable& operator=(const LAttachable&) = delete;
  // Lets its attachments go (they are not owned).
  virtual ~LAttachable();

  void AddAttachment(LAttachment* attachment);
  void RemoveAttachment(LAttachment* attachment);
  // Runs every attachment for `message` in the order added; false when one stops the host.
  bool ExecuteAttachments(MessageT message, void* param);

 private:
  std::vector<LAttachment*> mAttachments;
};
