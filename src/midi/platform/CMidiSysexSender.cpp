#include "midi/platform/CMidiSysexSender.h"

#include "midi/platform/CMidiErrorRelay.h"

#include <exception>
#include <utility>

CMidiSysexSender::CMidiSysexSender(SendFn send, CMidiErrorRelay& errors)
    : mSend(std::move(send)), mErrors(errors), mThread([this] { Run(); }) {}

CMidiSysexSender::~CMidiSysexSender() {
  {
    std::lock_guard lock(mMutex);
    mStop = true;
  }
  mWake.notify_all();
  mThread.join();
  for (auto& entry : mQueue) Complete(*entry.request);
}

void CMidiSysexSender::Enqueue(const void* owner, MIDISysexSendRequest& request,
                               SMidiPortNames names) {
  {
    std::lock_guard lock(mMutex);
    mQueue.push_back({owner, &request, std::move(names)});
  }
  mWake.notify_all();
}

void CMidiSysexSender::CancelOwner(const void* owner) {
  std::unique_lock lock(mMutex);
  std::erase_if(mQueue, [owner](SEntry& entry) {
    if (entry.owner != owner) return false;
    Complete(*entry.request);
    return true;
  });
  mIdle.wait(lock, [this, owner] { return mSendingOwner != owner; });
}

void CMidiSysexSender::SetHeld(bool held) {
  {
    std::lock_guard lock(mMutex);
    mHeld = held;
  }
  mWake.notify_all();
}

void CMidiSysexSender::Run() noexcept {
  std::unique_lock lock(mMutex);
  while (!mStop) {
    mWake.wait(lock, [this] { return mStop || (!mHeld && !mQueue.empty()); });
    if (!mStop) SendNext(lock);
  }
}

void CMidiSysexSender::SendNext(std::unique_lock<std::mutex>& lock) {
  SEntry entry = std::move(mQueue.front());
  mQueue.pop_front();
  mSendingOwner = entry.owner;
  lock.unlock();
  OSStatus status = kMIDISendErr;
  try {
    status = mSend(*entry.request, entry.names);
  } catch (const std::exception& error) {
    mErrors.Report(error.what());
  } catch (...) {
    mErrors.Report("A SysEx send failed.");
  }
  if (status == kMIDINoErr) entry.request->bytesToSend = 0;
  Complete(*entry.request);
  lock.lock();
  mSendingOwner = nullptr;
  mIdle.notify_all();
}

void CMidiSysexSender::Complete(MIDISysexSendRequest& request) {
  if (request.completionProc != nullptr) request.completionProc(&request);
  request.complete.store(true, std::memory_order_release);
}
