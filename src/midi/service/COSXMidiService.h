// The system MIDI service: the concrete CMidiOperation on the MIDI system layer. It owns one
// client with one input port and one output port (named after the application identifier:
// "KVX Editor", "KVX Editor Input Port", "KVX Editor Output Port"), maps each logical in-port
// to one chosen source and each logical out-port to one chosen destination, remembers the
// choices by the endpoints' unique IDs in the preference data, builds the device menus, cuts
// incoming packets into the bound input queue and sends short and SysEx messages.
//
// Ownership: the service borrows the CMidiSystem, which must outlive it (the caller builds it,
// with the built-in device's behaviour in its options). The application owns the service.
//
// Threads: ReadProc and HandleReadProc run on a MIDI thread and only read the in-port table,
// keep each in-port's in-SysEx flag and insert into the bound queue (no allocation, lock or
// blocking). Everything else runs on the main thread, NotifyProc included (from the system's
// Poll, which the service's periodical calls). Sources are disconnected before the in-port
// table is rewritten and connected again afterwards, so the read thread never sees an entry
// while it changes.
#pragma once

#include "midi/CMidiOperation.h"
#include "midi/platform/MIDITypes.h"
#include "midi/service/CMidiSystemPoller.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CMidiClient;
class CMidiInputPort;
class CMidiOutputPort;
class CMidiSystem;

class COSXMidiService : public CMidiOperation {
 public:
  static constexpr OSType kClassID = FourCC("OS_X");
  static constexpr std::uint16_t kDefaultSysxSlotCount = 5;
  // Each SysEx send slot's data area, and the SysEx staging buffer.
  static constexpr std::size_t kSysxAreaSize = 256;
  // The short-message packet's data area (the MIDI buffer), and the longest message it sends.
  static constexpr std::size_t kMidiBufferSize = kMIDIPacketDataSize;
  static constexpr long kMaxShortMessageLength = 255;

  // Send statuses besides 0 and the platform's own codes.
  static constexpr std::int32_t kSendNoDestination = -1;  // no destination for the out-port
  static constexpr std::int32_t kSendNoSysxSlot = -2;     // every SysEx slot is in flight
  // The length is negative or larger than the area the message is sent from (kSysxAreaSize
  // for SysEx, kMaxShortMessageLength for short messages): nothing is copied or sent.
  static constexpr std::int32_t kSendLengthRefused = -3;

  // `slotCount` SysEx sends may be in flight at once; 0 gives kDefaultSysxSlotCount. The
  // port tables take the class-wide port counts of CMidiOperation::Initialize. Throws the
  // framework's out-of-memory exception when a table cannot be allocated.
  COSXMidiService(CMidiSystem& system, std::uint16_t slotCount);
  // Stops being the current service when it is, and releases the system objects.
  ~COSXMidiService() override;

  // --- CMidiOperation
  // Creates the client and both ports (1 when one of them fails: whatever was created is
  // disposed of), then connects the in-ports' sources. 0 when usable.
  std::int32_t Setup() override;
  // Disconnects the sources and disposes of the client with its ports; no longer usable.
  void Release() override;
  bool IsSystemAvailable() const override { return true; }
  OSType GetClassID() const override { return kClassID; }
  ConstStr255Param GetSystemName() const override;
  bool ValidInport(long inport) override;
  bool ValidOutport(long outport) override;
  // Reads the chosen unique IDs from the section "MIDI Service Settings" ("Source k",
  // "Destination k") and finds their endpoints. False (choices unchanged) without the section.
  bool LoadPreference() override;
  void SavePreference() override;
  void Resume() override {}
  void Suspend() override {}
  std::unique_ptr<SDeviceMenu> CreateOutportDeviceMenu(long outport,
                                                       std::int16_t& selectedItem) override;
  std::unique_ptr<SDeviceMenu> CreateInportDeviceMenu(long inport,
                                                      std::int16_t& selectedItem) override;
  void SelectOutportDeviceMenu(long outport, std::int16_t item) override;
  void SelectInportDeviceMenu(long inport, std::int16_t item) override;
  std::int32_t SendMidiMsg(long outport, const unsigned char* data, long length) override;
  std::int32_t SendSysxMsg(long outport, const unsigned char* data, long length) override;
  // The cycles the MIDI server (JACK) reported dropping since Setup; 0 on ALSA.
  std::uint32_t GetDropoutCount() const override;
  // Waits for what went out through the MIDI system (at most kSentWait).
  void WaitUntilSent() override;
  static constexpr auto kSentWait = std::chrono::seconds(2);

  // --- the service's own operations
  // A menu with item 1 for no device and item index + 2 for the endpoint at that index (an
  // endpoint without a name gets a stand-in text, so that items and indices stay aligned);
  // selectedItem is the item whose endpoint has `uniqueID`, else 1. Null when not usable.
  virtual std::unique_ptr<SDeviceMenu> CreateDeviceMenu(bool input, MIDIUniqueID uniqueID,
                                                        std::int16_t& selectedItem);
  // The endpoint of menu item `item` and its unique ID, or 0 and 0 (item 1, an item outside
  // the list, or not usable).
  virtual void SelectDeviceMenu(bool input, MIDIEndpointRef& endpoint, MIDIUniqueID& uniqueID,
                                std::int16_t item);
  // kMidiBufferSize bytes that SendBufferedMidi sends from.
  virtual unsigned char* GetMidiBuffer();
  // kSysxAreaSize bytes that SendBufferedSysx sends from.
  virtual unsigned char* GetSysxBuffer();
  virtual std::int32_t SendBufferedMidi(long outport, long length);
  virtual std::int32_t SendBufferedSysx(long outport, long length);
  // runs on the MIDI thread
  virtual void HandleReadProc(const MIDIPacketList* list, long inport) noexcept;

  // Connects (or disconnects) the source of every in-port whose state differs.
  void SetInportConnection(bool connect);

  // The platform's callbacks; refCon is the service, srcConnRefCon the in-port number.
  static void NotifyProc(const MIDINotification* notification, void* refCon);
  static void ReadProc(const MIDIPacketList* list, void* readRefCon, void* srcConnRefCon);

  // --- for programs without the devices dialog (the command line)
  struct SEndpointListing {
    std::int16_t item = 0;  // its device menu item
    std::string name;       // UTF-8
    MIDIUniqueID uniqueID = 0;
  };
  enum class EEndpointMatch { Found, NotFound, Ambiguous };
  struct SEndpointChoice {
    EEndpointMatch match = EEndpointMatch::NotFound;
    std::int16_t item = 1;  // the device menu item when found
  };
  static constexpr const char* kUnnamedEndpointText = "(unnamed)";

  // The sources (input) or destinations present, in device menu order.
  std::vector<SEndpointListing> GetEndpointListing(bool input) const;
  // The endpoint whose unique ID is `nameOrUniqueID` in decimal, else the one with exactly
  // that name (Ambiguous when several have it).
  SEndpointChoice FindDeviceMenuItem(bool input, std::string_view nameOrUniqueID) const;
  // FindDeviceMenuItem, then the same choice as the devices dialog's when found.
  EEndpointMatch SelectInportEndpoint(long inport, std::string_view nameOrUniqueID);
  EEndpointMatch SelectOutportEndpoint(long outport, std::string_view nameOrUniqueID);
  // The unique ID chosen for the port (0: none, or a port outside the tables).
  MIDIUniqueID GetInportUniqueID(long inport) const;
  MIDIUniqueID GetOutportUniqueID(long outport) const;

  CMidiSystem& GetMidiSystem() const { return mSystem; }

 protected:
  // The set-up steps on the platform, in order; a status other than 0 stops the set-up.
  virtual OSStatus CreateMidiClient(std::string_view name);
  virtual OSStatus CreateMidiInputPort(std::string_view name);
  virtual OSStatus CreateMidiOutputPort(std::string_view name);

 private:
  struct SInportEntry {
    MIDIEndpointRef source = 0;  // 0: none chosen, or not present
    MIDIUniqueID uniqueID = 0;   // 0: none
    bool connected = false;
    std::atomic<bool> inSysex{false};  // the read thread's, while connected
  };
  struct SOutportEntry {
    MIDIEndpointRef destination = 0;
    MIDIUniqueID uniqueID = 0;
  };

  SInportEntry* FindInport(long inport) const;
  SOutportEntry* FindOutport(long outport) const;
  void DisposeMidiClient();
  // Gives each port the present endpoint with its unique ID, or none.
  void FindEndpoints();
  // Opens the way to each out-port's destination, so that a transfer does not wait for it.
  void OpenDestinations();
  void HandleSetupChange(const MIDINotification& notification);
  std::size_t CountEndpoints(bool input) const;
  MIDIEndpointRef GetEndpoint(bool input, std::size_t index) const;
  MIDISysexSendRequest* FindFreeSysxSlot() const;

  CMidiSystem& mSystem;
  std::unique_ptr<CMidiClient> mClient;
  CMidiInputPort* mInputPort = nullptr;    // owned by the client
  CMidiOutputPort* mOutputPort = nullptr;  // owned by the client
  std::uint32_t mInportCount = 0;
  std::uint32_t mOutportCount = 0;
  std::unique_ptr<SInportEntry[]> mInports;
  std::unique_ptr<SOutportEntry[]> mOutports;
  MIDIPacketList mPacketList;  // one packet; its data is the MIDI buffer
  unsigned char mSysxBuffer[kSysxAreaSize] = {};
  std::uint16_t mSlotCount = 0;
  std::unique_ptr<unsigned char[]> mSysxStore;  // kSysxAreaSize bytes per slot
  std::unique_ptr<MIDISysexSendRequest[]> mSysxRequests;
  CMidiSystemPoller mPoller;
  std::uint32_t mDropoutsAtSetup = 0;
};
