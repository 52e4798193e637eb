// Sends SysEx requests one after the other on a thread of its own, so that the caller's
// SendSysex returns at once and learns of the end from the request's `complete` flag.
#pragma once

#include "midi/platform/CMidiBackEnd.h"
#include "midi/platform/MIDITypes.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class CMidiErrorRelay;

class CMidiSysexSender {
 public:
  // Sends the bytes of one request; called on the sender thread.
  using SendFn = std::function<OSStatus(const MIDISysexSendRequest& request,
                                        const SMidiPortNames& names)>;

  CMidiSysexSender(SendFn send, CMidiErrorRelay& errors);
  ~CMidiSysexSender();  // requests still waiting are completed without being sent

  // Main thread. The request must have `complete` cleared by the caller.
  void Enqueue(const void* owner, MIDISysexSendRequest& request, SMidiPortNames names);

  // Main thread: completes the owner's waiting requests without sending them and waits until
  // none of its requests is being sent.
  void CancelOwner(const void* owner);

  // While held, requests wait (for tests and diagnosis).
  void SetHeld(bool held);

 private:
  struct SEntry {
    const void* owner;
    MIDISysexSendRequest* request;
    SMidiPortNames names;
  };

  void Run() noexcept;
  void SendNext(std::unique_lock<std::mutex>& lock);
  static void Complete(MIDISysexSendRequest& request);

  SendFn mSend;
  CMidiErrorRelay& mErrors;
  std::mutex mMutex;
  std::condition_variable mWake;
  std::condition_variable mIdle;
  std::deque<SEntry> mQueue;
  const void* mSendingOwner = nullptr;
  bool mHeld = false;
  bool mStop = false;
  std::thread mThread;  // last: starts when everything above exists
};
