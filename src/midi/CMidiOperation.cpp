#include "midi/CMidiOperation.h"

#include "midi/CMidiSystemWatcher.h"
#include "midi/SDeviceMenu.h"

#include "framework/core/LString.h"

#include <thread>

namespace {

// Returns once no delivery pass that might still see the entry's previous queue is running.
// Together with the pass's own order (mark the pass, then read the queue) this needs the
// sequentially consistent order on both sides: either the pass sees the new queue, or the
// mark is seen here.
void waitForReadPass(const SMidiInAction& entry) {
  const std::uint32_t pass = entry.readPass.load(std::memory_order_seq_cst);
  if ((pass & 1u) == 0) return;
  while (entry.readPass.load(std::memory_order_acquire) == pass) std::this_thread::yield();
}

}  // namespace

CMidiOperation::~CMidiOperation() = default;

std::int32_t CMidiOperation::Setup() { return 1; }

void CMidiOperation::Release() {}

bool CMidiOperation::IsSystemAvailable() const { return false; }

OSType CMidiOperation::GetClassID() const { return 0; }

ConstStr255Param CMidiOperation::GetSystemName() const { return nullptr; }

bool CMidiOperation::IsCurrent() const { return sCurrentOperation == this; }

bool CMidiOperation::ValidPort(long inport, long outport) {
  return ValidInport(inport) && ValidOutport(outport);
}

bool CMidiOperation::ValidInport(long) { return false; }

bool CMidiOperation::ValidOutport(long) { return false; }

bool CMidiOperation::LoadPreference() { return false; }

void CMidiOperation::SavePreference() {}

std::int32_t CMidiOperation::DoSystemSetting(long, void*) { return 0; }

void CMidiOperation::Resume() {}

void CMidiOperation::Suspend() {}

std::unique_ptr<SDeviceMenu> CMidiOperation::CreateOutportDeviceMenu(long, std::int16_t&) {
  return nullptr;
}

std::unique_ptr<SDeviceMenu> CMidiOperation::CreateInportDeviceMenu(long, std::int16_t&) {
  return nullptr;
}

void CMidiOperation::SelectOutportDeviceMenu(long, std::int16_t) {}

void CMidiOperation::SelectInportDeviceMenu(long, std::int16_t) {}

std::int32_t CMidiOperation::SendMidiMsg(long, const unsigned char*, long) { return 0; }

std::int32_t CMidiOperation::SendSysxMsg(long, const unsigned char*, long) { return 0; }
std::uint32_t CMidiOperation::GetDropoutCount() const { return 0; }

void CMidiOperation::WaitUntilSent() {}

void CMidiOperation::NotifySystemMessage(long message, void* param) {
  CMidiSystemWatcher::NotifyMessage(GetClassID(), message, param);
}

void CMidiOperation::Initialize(unsigned long appSignature, const unsigned char* appIdentifier,
                                unsigned long inportCount, unsigned long outportCount) {
  sAppSignature = static_cast<OSType>(appSignature);
  sInportCounts = static_cast<std::uint32_t>(inportCount);
  sOutportCounts = static_cast<std::uint32_t>(outportCount);
  if (appIdentifier != nullptr) {
    LString::CopyPStr(appIdentifier, sAppIdentifier, sizeof sAppIdentifier);
  } else {
    sAppIdentifier[0] = 0;
  }
  sMidiInAction.reset();
  sMidiInAction = std::make_unique<SMidiInAction[]>(sInportCounts);
}

void CMidiOperation::Uninitialize() { sMidiInAction.reset(); }

void CMidiOperation::SetCurrent(CMidiOperation* next) {
  if (next == sCurrentOperation) return;
  if (sCurrentOperation != nullptr) {
    sCurrentOperation->Release();
    // The last messages may still be on their way; closing the system objects would cut
    // them off. Only a service that sent something waits.
    sCurrentOperation->WaitUntilSent();
  }
  sCurrentOperation = next;
  // Whether the service works shows in IsUsable(); the status is not needed here.
  if (next != nullptr) next->Setup();
}

OSType CMidiOperation::GetCurrentClassID() {
  return sCurrentOperation != nullptr ? sCurrentOperation->GetClassID() : 0;
}

ConstStr255Param CMidiOperation::GetCurrentSystemName() {
  return sCurrentOperation != nullptr ? sCurrentOperation->GetSystemName() : nullptr;
}

SMidiInAction* CMidiOperation::FindEntry(long inport) {
  if (sMidiInAction == nullptr || inport < 0 || inport >= static_cast<long>(sInportCounts)) {
    return nullptr;
  }
  return &sMidiInAction[static_cast<std::size_t>(inport)];
}

const SMidiInAction* CMidiOperation::GetMidiInAction(long inport) { return FindEntry(inport); }

bool CMidiOperation::IsInportEnabled(long inport) {
  const SMidiInAction* entry = FindEntry(inport);
  return entry != nullptr && entry->enabled;
}

void CMidiOperation::SetInportEnabled(long inport, bool enabled) {
  if (SMidiInAction* entry = FindEntry(inport)) entry->enabled = enabled;
}

void CMidiOperation::SetMidiInQueue(long inport, CMidiInQueue* queue) {
  SMidiInAction* entry = FindEntry(inport);
  if (entry == nullptr) return;
  if (queue == nullptr) {
    Unbind(*entry);
    return;
  }
  // A queue is fully set up before it is bound; the release publishes that to the read thread.
  CMidiInQueue* previous = entry->queue.exchange(queue, std::memory_order_seq_cst);
  entry->action = kMidiInToQueue;
  entry->value = reinterpret_cast<std::intptr_t>(queue);
  if (previous != nullptr && previous != queue) waitForReadPass(*entry);
}

void CMidiOperation::SetThruPort(long inport, long outport) {
  SMidiInAction* entry = FindEntry(inport);
  if (entry == nullptr) return;
  Unbind(*entry);
  entry->action = kMidiInThru;
  entry->value = outport;
}

void CMidiOperation::MidiInQueueDied(CMidiInQueue* queue) {
  if (queue == nullptr) return;
  const auto address = reinterpret_cast<std::intptr_t>(queue);
  for (std::uint32_t inport = 0; sMidiInAction != nullptr && inport < sInportCounts; ++inport) {
    SMidiInAction& entry = sMidiInAction[inport];
    if (entry.action == kMidiInToQueue && entry.value == address) Unbind(entry);
  }
}

void CMidiOperation::Unbind(SMidiInAction& entry) {
  CMidiInQueue* previous = entry.queue.exchange(nullptr, std::memory_order_seq_cst);
  entry.action = kMidiInUnbound;
  entry.value = 0;
  if (previous != nullptr) waitForReadPass(entry);
}
