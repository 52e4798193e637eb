// The abstract MIDI service. Exactly one service is current at a time; callers reach it
// through GetCurrent() and use only the virtual operations. The class also keeps the
// process-wide state: the application's identity, the logical port counts and the in-port
// binding table, which says where the data arriving on each logical in-port goes.
//
// Threads: everything here runs on the main thread, except that the MIDI read thread reads
// the binding table through StMidiInDelivery. Unbinding a queue (SetMidiInQueue, SetThruPort,
// MidiInQueueDied) returns only after a delivery pass that may still see the old queue has
// ended, so the queue may be destroyed right afterwards.
#pragma once

#include "framework/core/MacTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>

class CMidiInQueue;
struct SDeviceMenu;

constexpr OSType kKVXEditorSignature = FourCC("KVE2");

// System message numbers passed to NotifySystemMessage.
constexpr long kMidiSetupChanged = 1;

// Actions of a binding entry.
constexpr std::uint8_t kMidiInUnbound = 0;
constexpr std::uint8_t kMidiInToQueue = 1;
constexpr std::uint8_t kMidiInThru = 2;

// One in-port's binding. `action`, `enabled` and `value` belong to the main thread; the read
// thread sees only `queue` (the queue of action kMidiInToQueue) and marks its delivery passes
// in `readPass` (odd while a pass runs).
struct SMidiInAction {
  std::uint8_t action = kMidiInUnbound;
  bool enabled = false;
  // The bound queue's address (kMidiInToQueue), the out-port (kMidiInThru), 0 when unbound.
  std::intptr_t value = 0;

  std::atomic<CMidiInQueue*> queue{nullptr};
  std::atomic<std::uint32_t> readPass{0};
};

class CMidiOperation {
 public:
  CMidiOperation(const CMidiOperation&) = delete;
  CMidiOperation& operator=(const CMidiOperation&) = delete;

  // The virtual operations, in this order.
  virtual ~CMidiOperation();
  // 0 on success.
  virtual std::int32_t Setup();
  virtual void Release();
  virtual bool IsSystemAvailable() const;
  virtual OSType GetClassID() const;
  // Null when the service has no name.
  virtual ConstStr255Param GetSystemName() const;
  virtual bool IsCurrent() const;
  virtual bool ValidPort(long inport, long outport);
  virtual bool ValidInport(long inport);
  virtual bool ValidOutport(long outport);
  virtual bool LoadPreference();
  virtual void SavePreference();
  virtual std::int32_t DoSystemSetting(long selector, void* param);
  virtual void Resume();
  virtual void Suspend();
  // The caller owns the menu; null when there is none.
  virtual std::unique_ptr<SDeviceMenu> CreateOutportDeviceMenu(long outport,
                                                               std::int16_t& selectedItem);
  virtual std::unique_ptr<SDeviceMenu> CreateInportDeviceMenu(long inport,
                                                              std::int16_t& selectedItem);
  virtual void SelectOutportDeviceMenu(long outport, std::int16_t item);
  virtual void SelectInportDeviceMenu(long inport, std::int16_t item);
  // Send statuses: 0 handed to the system, -1 no destination for the port, -2 no free SysEx
  // slot, anything else from the platform.
  virtual std::int32_t SendMidiMsg(long outport, const unsigned char* data, long length);
  virtual std::int32_t SendSysxMsg(long outport, const unsigned char* data, long length);
  // Tells every CMidiSystemWatcher, under this service's class ID.
  virtual void NotifySystemMessage(long message, void* param);
  // How many times the MIDI server has reported dropping a cycle (a JACK xrun) since the
  // service was set up: messages in flight then may not have arrived. 0 where the MIDI
  // system does not tell.
  virtual std::uint32_t GetDropoutCount() const;
  // Returns once what the service sent has reached the receivers, or after a bounded time
  // when the MIDI system stalls; at once when nothing was sent since the last call. Services
  // whose sends leave at once have nothing to wait for.
  virtual void WaitUntilSent();

  bool IsUsable() const { return mUsable; }

  // Class-wide operations; main thread only.

  // Once at start, before any service exists. The identifier is a length-prefixed string,
  // kept to its first 32 characters. Every in-port starts unbound and not enabled.
  static void Initialize(unsigned long appSignature, const unsigned char* appIdentifier,
                         unsigned long inportCount, unsigned long outportCount);
  // Once at exit, after the service is gone.
  static void Uninitialize();

  // Releases the current service, waits until what it sent is out (WaitUntilSent), then sets
  // up `next`.
  static void SetCurrent(CMidiOperation* next);
  static CMidiOperation* GetCurrent() { return sCurrentOperation; }
  static OSType GetCurrentClassID();
  static ConstStr255Param GetCurrentSystemName();

  static OSType GetAppSignature() { return sAppSignature; }
  static ConstStr255Param GetAppIdentifier() { return sAppIdentifier; }
  static std::uint32_t GetInportCount() { return sInportCounts; }
  static std::uint32_t GetOutportCount() { return sOutportCounts; }

  // In-port numbers outside 0 .. in-port count - 1 are ignored (and never enabled).
  static bool IsInportEnabled(long inport);
  static void SetInportEnabled(long inport, bool enabled);
  static void SetMidiInQueue(long inport, CMidiInQueue* queue);
  static void SetThruPort(long inport, long outport);
  static void MidiInQueueDied(CMidiInQueue* queue);
  // The binding entry of `inport`, or null outside the table.
  static const SMidiInAction* GetMidiInAction(long inport);

  static constexpr std::size_t kMaxIdentifierLength = 32;

 protected:
  CMidiOperation() = default;
  void SetUsable(bool usable) { mUsable = usable; }

 private:
  friend class StMidiInDelivery;
  static SMidiInAction* FindEntry(long inport);
  static void Unbind(SMidiInAction& entry);

  bool mUsable = false;

  static inline CMidiOperation* sCurrentOperation = nullptr;
  static inline OSType sAppSignature = 0;
  static inline unsigned char sAppIdentifier[kMaxIdentifierLength + 1] = {0};
  static inline std::uint32_t sInportCounts = 0;
  static inline std::uint32_t sOutportCounts = 0;
  static inline std::unique_ptr<SMidiInAction[]> sMidiInAction;
};
