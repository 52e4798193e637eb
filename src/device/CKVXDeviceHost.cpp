#include "device/CKVXDeviceHost.h"

#include "device/CKVXDevice.h"
#include "framework/core/TickCount.h"
#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiPublishedDestination.h"
#include "midi/platform/CMidiPublishedSource.h"
#include "midi/platform/CMidiSystem.h"

#include <chrono>
#include <thread>

namespace {

// Short against the 4-tick (67 ms) pacing of the dumps.
constexpr auto kRest = std::chrono::milliseconds(2);

}  // namespace

CKVXDeviceHost::CKVXDeviceHost(CMidiSystem& system, CKVXDevice& device, LogFn log)
    : mSystem(system), mDevice(device), mLog(std::move(log)) {
  mDevice.SetReportHandler([this](const CKVXDevice::SReport& report) {
    if (mLog) mLog(CKVXDevice::Describe(report));
  });
}

CKVXDeviceHost::~CKVXDeviceHost() {
  mClient.reset();  // no more input once the client and its ports are gone
  mDevice.SetReportHandler({});
}

OSStatus CKVXDeviceHost::Open(const std::string& name) {
  OSStatus status = mSystem.CreateClient(name, nullptr, nullptr, mClient);
  if (status == kMIDINoErr) status = mClient->CreateDestination(name, ReadProc, this, mDestination);
  if (status == kMIDINoErr) status = mClient->CreateSource(name, mSource);
  if (status != kMIDINoErr) mClient.reset();
  return status;
}

void CKVXDeviceHost::RunTurn(std::uint32_t now) {
  while (mRing.Pop(mIncoming)) mDevice.ReceiveMidi(mIncoming, now);
  ReportLostInput();
  while (mDevice.TakeDueMessage(now, mOutgoing)) {
    const OSStatus status = mSource != nullptr ? mSource->Send(mOutgoing) : kMIDINoConnectionErr;
    if (status != kMIDINoErr && mLog) {
      mLog("!! sending failed (status " + std::to_string(status) + "): " + mSystem.GetLastError());
    }
  }
}

void CKVXDeviceHost::Run(const std::atomic<bool>& stop) {
  while (!stop.load()) {
    mSystem.Poll();
    RunTurn(TickCount());
    std::this_thread::sleep_for(kRest);
  }
}

void CKVXDeviceHost::ReadProc(const MIDIPacketList* list, void* readRefCon,
                              void* /*srcConnRefCon*/) {
  auto* host = static_cast<CKVXDeviceHost*>(readRefCon);
  const MIDIPacket* packet = &list->packet[0];
  for (std::uint32_t i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet)) {
    host->mRing.Push(packet->data, packet->length);
  }
}

void CKVXDeviceHost::ReportLostInput() {
  const std::size_t lost = mRing.GetDroppedCount();
  if (lost == mReportedLost) return;
  if (mLog) mLog("!! " + std::to_string(lost - mReportedLost) + " incoming messages lost");
  mReportedLost = lost;
}
