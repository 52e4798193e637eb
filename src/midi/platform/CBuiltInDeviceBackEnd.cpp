#include "midi/platform/CBuiltInDeviceBackEnd.h"

#include "framework/core/TickCount.h"
#include "midi/platform/CMidiDeviceModel.h"
#include "midi/platform/CMidiErrorRelay.h"
#include "midi/platform/CMidiPacketSink.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace {

const std::string kEndpointKey = "built-in";

// While a message is waiting the thread looks at the tick count once per tick, so it follows
// a replaced clock as well as the steady one.
constexpr auto kTickPeriod = std::chrono::microseconds(16667);

}  // namespace

class CBuiltInDeviceBackEnd::CInputLink final : public CMidiInputLink {
 public:
  CInputLink(CBuiltInDeviceBackEnd& owner, CMidiPacketSink& sink) : mOwner(owner), mSink(sink) {
    mOwner.Attach(&mSink);
  }
  ~CInputLink() override { mOwner.Detach(&mSink); }

 private:
  CBuiltInDeviceBackEnd& mOwner;
  CMidiPacketSink& mSink;
};

class CBuiltInDeviceBackEnd::COutputLink final : public CMidiOutputLink {
 public:
  explicit COutputLink(CBuiltInDeviceBackEnd& owner) : mOwner(owner) {}
  OSStatus SendMessage(std::span<const std::uint8_t> message) override {
    mOwner.Post(message);
    return kMIDINoErr;
  }

 private:
  CBuiltInDeviceBackEnd& mOwner;
};

CBuiltInDeviceBackEnd::CBuiltInDeviceBackEnd(std::unique_ptr<CMidiDeviceModel> model,
                                             CMidiErrorRelay& errors)
    : mModel(std::move(model)), mErrors(errors), mThread([this] { Run(); }) {}

CBuiltInDeviceBackEnd::~CBuiltInDeviceBackEnd() {
  {
    std::lock_guard lock(mInboxMutex);
    mStop = true;
  }
  mWake.notify_all();
  mThread.join();
}

void CBuiltInDeviceBackEnd::ListEndpoints(EMidiDirection /*direction*/,
                                          std::vector<SMidiEndpointInfo>& out) {
  out.push_back({kEndpointKey, kEndpointName});
}

OSStatus CBuiltInDeviceBackEnd::OpenInput(const std::string& key, const SMidiPortNames& /*names*/,
                                          CMidiPacketSink& sink,
                                          std::unique_ptr<CMidiInputLink>& link) {
  if (key != kEndpointKey) return kMIDIUnknownEndpointErr;
  link = std::make_unique<CInputLink>(*this, sink);
  return kMIDINoErr;
}

OSStatus CBuiltInDeviceBackEnd::OpenOutput(const std::string& key,
                                           const SMidiPortNames& /*names*/,
                                           std::unique_ptr<CMidiOutputLink>& link) {
  if (key != kEndpointKey) return kMIDIUnknownEndpointErr;
  link = std::make_unique<COutputLink>(*this);
  return kMIDINoErr;
}

void CBuiltInDeviceBackEnd::Post(std::span<const std::uint8_t> bytes) {
  {
    std::lock_guard lock(mInboxMutex);
    mInbox.emplace_back(bytes.begin(), bytes.end());
  }
  mWake.notify_all();
}

void CBuiltInDeviceBackEnd::Attach(CMidiPacketSink* sink) {
  std::lock_guard lock(mListenersMutex);
  mListeners.push_back(sink);
}

void CBuiltInDeviceBackEnd::Detach(CMidiPacketSink* sink) {
  std::lock_guard lock(mListenersMutex);
  std::erase(mListeners, sink);
}

void CBuiltInDeviceBackEnd::Run() noexcept {
  try {
    RunTurns();
  } catch (const std::exception& error) {
    mErrors.Report(std::string("The built-in device stopped: ") + error.what());
  } catch (...) {
    mErrors.Report("The built-in device stopped.");
  }
}

void CBuiltInDeviceBackEnd::RunTurns() {
  std::vector<std::uint8_t> outgoing;
  std::unique_lock lock(mInboxMutex);
  while (!mStop) {
    while (!mInbox.empty()) {
      const std::vector<std::uint8_t> incoming = std::move(mInbox.front());
      mInbox.pop_front();
      lock.unlock();
      mModel->ReceiveMidi(incoming, TickCount());
      lock.lock();
    }
    lock.unlock();
    const std::uint32_t now = TickCount();
    while (mModel->TakeDueMessage(now, outgoing)) DeliverToListeners(outgoing);
    const bool waiting = mModel->NextDueTick().has_value();
    lock.lock();
    const auto wakeUp = [this] { return mStop || !mInbox.empty(); };
    if (waiting) {
      mWake.wait_for(lock, kTickPeriod, wakeUp);
    } else {
      mWake.wait(lock, wakeUp);
    }
  }
}

void CBuiltInDeviceBackEnd::DeliverToListeners(const std::vector<std::uint8_t>& message) {
  const MIDITimeStamp now = CMidiPacketSink::Now();
  std::lock_guard lock(mListenersMutex);
  for (CMidiPacketSink* sink : mListeners) sink->Deliver(message.data(), message.size(), now);
}
