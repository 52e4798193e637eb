#include "midi/service/COSXMidiService.h"

#include "framework/core/LException.h"
#include "framework/core/LString.h"
#include "framework/core/MidiBytes.h"
#include "framework/core/UMacRoman.h"
#include "midi/CMidiInQueue.h"
#include "midi/SDeviceMenu.h"
#include "midi/StMidiInDelivery.h"
#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiInputPort.h"
#include "midi/platform/CMidiOutputPort.h"
#include "midi/platform/CMidiSystem.h"
#include "utilities/UPreference.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>
#include <string>

namespace {

constexpr OSErr memFullErr = -108;  // the toolbox's out-of-memory status

constexpr unsigned char kSystemName[] = "\024MacOS X MIDI Service";  // length-prefixed
static_assert(sizeof kSystemName == 20 + 2);

constexpr const char* kSettingsTag = "MIDI Service Settings";
constexpr const char* kSourceParam = "Source ";
constexpr const char* kDestinationParam = "Destination ";

// The preference param of port `port`: the prefix followed by the number in decimal.
LStr255 PortParamName(const char* prefix, std::uint32_t port) {
  LStr255 name(prefix);
  name += std::to_string(port);
  return name;
}

// Platform codes reach callers as signed 16-bit numbers widened to 32 bits.
std::int32_t PlatformStatus(OSStatus status) { return static_cast<std::int16_t>(status); }

void* InportRefCon(std::uint32_t inport) {
  return reinterpret_cast<void*>(static_cast<std::intptr_t>(inport));
}

// runs on the MIDI thread. The position flags of one packet, keeping `inSysex` across
// packets: an open SysEx makes the packet a middle part (3); a later F0 makes it a start (1),
// a later F7 an end (2). The queue takes the "continues" bit as the tail of a message begun in
// an earlier insertion (and skips such a tail when nothing is open), so a packet that began
// outside a SysEx never carries it: F0 .. F7 in one packet is a complete message.
unsigned char PacketPositionFlags(const std::uint8_t* data, std::size_t length,
                                  bool& inSysex) noexcept {
  const bool began = inSysex;
  unsigned char flags = began ? (kMoreFollows | kContinues) : 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (data[i] == kSysexStart) {
      inSysex = true;
      flags = kMoreFollows;
    } else if (data[i] == kSysexEnd) {
      inSysex = false;
      flags = kContinues;
    }
  }
  if (!began) flags &= static_cast<unsigned char>(~kContinues);
  return flags;
}

template <typename T>
std::unique_ptr<T[]> AllocateTable(std::size_t count) {
  try {
    return std::unique_ptr<T[]>(new T[count]());
  } catch (const std::bad_alloc&) {
    LException::ThrowException(memFullErr, "no memory for the MIDI service's tables");
  }
}

}  // namespace

COSXMidiService::COSXMidiService(CMidiSystem& system, std::uint16_t slotCount)
    : mSystem(system),
      mInportCount(GetInportCount()),
      mOutportCount(GetOutportCount()),
      mSlotCount(slotCount != 0 ? slotCount : kDefaultSysxSlotCount),
      mPoller(system) {
  mInports = AllocateTable<SInportEntry>(mInportCount);
  mOutports = AllocateTable<SOutportEntry>(mOutportCount);
  mSysxStore = AllocateTable<unsigned char>(std::size_t{mSlotCount} * kSysxAreaSize);
  // Each request starts complete (its slot free), without a completion procedure.
  mSysxRequests = AllocateTable<MIDISysexSendRequest>(mSlotCount);
}

COSXMidiService::~COSXMidiService() {
  if (IsCurrent()) {
    SetCurrent(nullptr);  // releases this service
  } else {
    Release();
  }
}

// --- set-up

std::int32_t COSXMidiService::Setup() {
  if (IsUsable()) return 0;
  const std::string identifier = UMacRoman::ToUTF8(LString::View(GetAppIdentifier()));
  if (CreateMidiClient(identifier) != kMIDINoErr) {
    DisposeMidiClient();
    return 1;
  }
  if (CreateMidiInputPort(identifier + " Input Port") != kMIDINoErr) {
    DisposeMidiClient();
    return 1;
  }
  if (CreateMidiOutputPort(identifier + " Output Port") != kMIDINoErr) {
    if (mInputPort != nullptr) mClient->DisposePort(mInputPort);
    DisposeMidiClient();
    return 1;
  }
  SetUsable(true);
  mDropoutsAtSetup = mSystem.GetDropoutCount();
  SetInportConnection(true);
  OpenDestinations();
  mPoller.StartRepeating();
  return 0;
}

void COSXMidiService::Release() {
  if (!IsUsable()) return;
  mPoller.StopRepeating();
  SetInportConnection(false);
  // Disposing of the client ends its SysEx sends, so the slots' areas are free afterwards.
  DisposeMidiClient();
  SetUsable(false);
}

OSStatus COSXMidiService::CreateMidiClient(std::string_view name) {
  return mSystem.CreateClient(name, &NotifyProc, this, mClient);
}

OSStatus COSXMidiService::CreateMidiInputPort(std::string_view name) {
  return mClient->CreateInputPort(name, &ReadProc, this, mInputPort);
}

OSStatus COSXMidiService::CreateMidiOutputPort(std::string_view name) {
  return mClient->CreateOutputPort(name, mOutputPort);
}

void COSXMidiService::DisposeMidiClient() {
  mClient.reset();  // with its ports
  mInputPort = nullptr;
  mOutputPort = nullptr;
}

ConstStr255Param COSXMidiService::GetSystemName() const { return kSystemName; }

// --- ports

COSXMidiService::SInportEntry* COSXMidiService::FindInport(long inport) const {
  if (inport < 0 || inport >= static_cast<long>(mInportCount)) return nullptr;
  return &mInports[static_cast<std::size_t>(inport)];
}

COSXMidiService::SOutportEntry* COSXMidiService::FindOutport(long outport) const {
  if (outport < 0 || outport >= static_cast<long>(mOutportCount)) return nullptr;
  return &mOutports[static_cast<std::size_t>(outport)];
}

bool COSXMidiService::ValidInport(long inport) {
  const SInportEntry* entry = FindInport(inport);
  return IsUsable() && entry != nullptr && entry->source != 0;
}

bool COSXMidiService::ValidOutport(long outport) {
  const SOutportEntry* entry = FindOutport(outport);
  return IsUsable() && entry != nullptr && entry->destination != 0;
}

MIDIUniqueID COSXMidiService::GetInportUniqueID(long inport) const {
  const SInportEntry* entry = FindInport(inport);
  return entry != nullptr ? entry->uniqueID : 0;
}

MIDIUniqueID COSXMidiService::GetOutportUniqueID(long outport) const {
  const SOutportEntry* entry = FindOutport(outport);
  return entry != nullptr ? entry->uniqueID : 0;
}

void COSXMidiService::SetInportConnection(bool connect) {
  for (std::uint32_t inport = 0; inport < mInportCount; ++inport) {
    SInportEntry& entry = mInports[inport];
    if (entry.connected == connect || entry.source == 0) continue;
    entry.connected = false;
    if (mInputPort == nullptr) continue;
    if (!connect) {
      mInputPort->DisconnectSource(entry.source);
    } else {
      // A new connection starts outside any SysEx, whatever the last one left behind.
      entry.inSysex.store(false, std::memory_order_relaxed);
      entry.connected = mInputPort->ConnectSource(entry.source, InportRefCon(inport)) == kMIDINoErr;
    }
  }
}

// --- endpoints

std::size_t COSXMidiService::CountEndpoints(bool input) const {
  return input ? mSystem.GetNumberOfSources() : mSystem.GetNumberOfDestinations();
}

MIDIEndpointRef COSXMidiService::GetEndpoint(bool input, std::size_t index) const {
  return input ? mSystem.GetSource(index) : mSystem.GetDestination(index);
}

void COSXMidiService::FindEndpoints() {
  for (std::uint32_t inport = 0; inport < mInportCount; ++inport) mInports[inport].source = 0;
  for (std::uint32_t outport = 0; outport < mOutportCount; ++outport) {
    mOutports[outport].destination = 0;
  }
  for (const bool input : {true, false}) {
    const std::size_t count = CountEndpoints(input);
    for (std::size_t index = 0; index < count; ++index) {
      const MIDIEndpointRef endpoint = GetEndpoint(input, index);
      MIDIUniqueID uniqueID = 0;
      if (endpoint == 0 || mSystem.GetUniqueID(endpoint, uniqueID) != kMIDINoErr) continue;
      if (uniqueID == 0) continue;  // stands for none
      if (input) {
        for (std::uint32_t k = 0; k < mInportCount; ++k) {
          if (mInports[k].uniqueID == uniqueID) mInports[k].source = endpoint;
        }
      } else {
        for (std::uint32_t k = 0; k < mOutportCount; ++k) {
          if (mOutports[k].uniqueID == uniqueID) mOutports[k].destination = endpoint;
        }
      }
    }
  }
}

void COSXMidiService::OpenDestinations() {
  if (mOutputPort == nullptr) return;
  for (std::uint32_t outport = 0; outport < mOutportCount; ++outport) {
    // A failure here is met again, and reported, by the first send.
    if (mOutports[outport].destination != 0) mOutputPort->OpenDestination(mOutports[outport].destination);
  }
}

// --- preferences

bool COSXMidiService::LoadPreference() {
  SetInportConnection(false);
  if (!UPreference::SeekTag(LStr255(kSettingsTag), false)) {
    SetInportConnection(true);  // nothing stored: keep the current choices
    return false;
  }
  for (std::uint32_t inport = 0; inport < mInportCount; ++inport) {
    SInportEntry& entry = mInports[inport];
    entry.source = 0;
    entry.connected = false;
    entry.uniqueID = UPreference::GetParamValue(PortParamName(kSourceParam, inport), 0);
  }
  for (std::uint32_t outport = 0; outport < mOutportCount; ++outport) {
    SOutportEntry& entry = mOutports[outport];
    entry.destination = 0;
    entry.uniqueID = UPreference::GetParamValue(PortParamName(kDestinationParam, outport), 0);
  }
  FindEndpoints();
  SetInportConnection(true);
  OpenDestinations();
  return true;
}

void COSXMidiService::SavePreference() {
  if (!UPreference::SeekTag(LStr255(kSettingsTag), true)) return;
  for (std::uint32_t inport = 0; inport < mInportCount; ++inport) {
    UPreference::SetParamValue(PortParamName(kSourceParam, inport), mInports[inport].uniqueID);
  }
  for (std::uint32_t outport = 0; outport < mOutportCount; ++outport) {
    UPreference::SetParamValue(PortParamName(kDestinationParam, outport),
                               mOutports[outport].uniqueID);
  }
}

// --- device menus

std::vector<COSXMidiService::SEndpointListing> COSXMidiService::GetEndpointListing(
    bool input) const {
  constexpr std::size_t kMaxEndpoints = std::numeric_limits<std::int16_t>::max() - 1;
  const std::size_t count = std::min(CountEndpoints(input), kMaxEndpoints);
  std::vector<SEndpointListing> listing;
  listing.reserve(count);
  for (std::size_t index = 0; index < count; ++index) {
    SEndpointListing endpoint;
    endpoint.item = static_cast<std::int16_t>(index + 2);
    const MIDIEndpointRef ref = GetEndpoint(input, index);
    if (ref == 0 || mSystem.GetName(ref, endpoint.name) != kMIDINoErr) endpoint.name.clear();
    if (endpoint.name.empty()) endpoint.name = kUnnamedEndpointText;
    if (ref == 0 || mSystem.GetUniqueID(ref, endpoint.uniqueID) != kMIDINoErr) {
      endpoint.uniqueID = 0;
    }
    listing.push_back(std::move(endpoint));
  }
  return listing;
}

std::unique_ptr<SDeviceMenu> COSXMidiService::CreateDeviceMenu(bool input, MIDIUniqueID uniqueID,
                                                               std::int16_t& selectedItem) {
  selectedItem = SDeviceMenu::kNoDeviceItem;
  if (!IsUsable()) return nullptr;
  auto menu = std::make_unique<SDeviceMenu>();
  for (SEndpointListing& endpoint : GetEndpointListing(input)) {
    if (uniqueID != 0 && endpoint.uniqueID == uniqueID) selectedItem = endpoint.item;
    menu->AppendItem(std::move(endpoint.name));
  }
  return menu;
}

std::unique_ptr<SDeviceMenu> COSXMidiService::CreateInportDeviceMenu(long inport,
                                                                     std::int16_t& selectedItem) {
  const SInportEntry* entry = FindInport(inport);
  if (entry == nullptr) {
    selectedItem = SDeviceMenu::kNoDeviceItem;
    return nullptr;
  }
  return CreateDeviceMenu(true, entry->uniqueID, selectedItem);
}

std::unique_ptr<SDeviceMenu> COSXMidiService::CreateOutportDeviceMenu(long outport,
                                                                      std::int16_t& selectedItem) {
  const SOutportEntry* entry = FindOutport(outport);
  if (entry == nullptr) {
    selectedItem = SDeviceMenu::kNoDeviceItem;
    return nullptr;
  }
  return CreateDeviceMenu(false, entry->uniqueID, selectedItem);
}

void COSXMidiService::SelectDeviceMenu(bool input, MIDIEndpointRef& endpoint,
                                       MIDIUniqueID& uniqueID, std::int16_t item) {
  endpoint = 0;
  uniqueID = 0;
  const long index = static_cast<long>(item) - 2;
  if (!IsUsable() || index < 0 || static_cast<std::size_t>(index) >= CountEndpoints(input)) {
    return;
  }
  endpoint = GetEndpoint(input, static_cast<std::size_t>(index));
  if (endpoint != 0 && mSystem.GetUniqueID(endpoint, uniqueID) != kMIDINoErr) uniqueID = 0;
}

void COSXMidiService::SelectInportDeviceMenu(long inport, std::int16_t item) {
  SInportEntry* entry = FindInport(inport);
  if (entry == nullptr) return;
  SetInportConnection(false);
  SelectDeviceMenu(true, entry->source, entry->uniqueID, item);
  SetInportConnection(true);
}

void COSXMidiService::SelectOutportDeviceMenu(long outport, std::int16_t item) {
  SOutportEntry* entry = FindOutport(outport);
  if (entry == nullptr) return;
  SelectDeviceMenu(false, entry->destination, entry->uniqueID, item);
  OpenDestinations();
}

COSXMidiService::SEndpointChoice COSXMidiService::FindDeviceMenuItem(
    bool input, std::string_view nameOrUniqueID) const {
  const std::vector<SEndpointListing> listing = GetEndpointListing(input);
  MIDIUniqueID uniqueID = 0;
  const char* const first = nameOrUniqueID.data();
  const char* const last = first + nameOrUniqueID.size();
  const auto [end, error] = std::from_chars(first, last, uniqueID);
  if (error == std::errc() && end == last && uniqueID != 0) {
    const auto found = std::ranges::find(listing, uniqueID, &SEndpointListing::uniqueID);
    if (found != listing.end()) return {EEndpointMatch::Found, found->item};
  }
  SEndpointChoice choice;
  for (const SEndpointListing& endpoint : listing) {
    if (endpoint.name != nameOrUniqueID) continue;
    if (choice.match == EEndpointMatch::Found) return {EEndpointMatch::Ambiguous, 1};
    choice = {EEndpointMatch::Found, endpoint.item};
  }
  return choice;
}

COSXMidiService::EEndpointMatch COSXMidiService::SelectInportEndpoint(
    long inport, std::string_view nameOrUniqueID) {
  const SEndpointChoice choice = FindDeviceMenuItem(true, nameOrUniqueID);
  if (choice.match == EEndpointMatch::Found) SelectInportDeviceMenu(inport, choice.item);
  return choice.match;
}

COSXMidiService::EEndpointMatch COSXMidiService::SelectOutportEndpoint(
    long outport, std::string_view nameOrUniqueID) {
  const SEndpointChoice choice = FindDeviceMenuItem(false, nameOrUniqueID);
  if (choice.match == EEndpointMatch::Found) SelectOutportDeviceMenu(outport, choice.item);
  return choice.match;
}

// --- sending

unsigned char* COSXMidiService::GetMidiBuffer() { return mPacketList.packet[0].data; }

unsigned char* COSXMidiService::GetSysxBuffer() { return mSysxBuffer; }

std::int32_t COSXMidiService::SendMidiMsg(long outport, const unsigned char* data, long length) {
  const SOutportEntry* entry = FindOutport(outport);
  if (entry == nullptr || entry->destination == 0) return kSendNoDestination;
  if (length < 0 || length > kMaxShortMessageLength) return kSendLengthRefused;
  if (data == nullptr && length > 0) return PlatformStatus(kMIDIInvalidArgumentErr);
  if (mOutputPort == nullptr) return PlatformStatus(kMIDIUnknownPortErr);
  mPacketList.numPackets = 1;
  MIDIPacket& packet = mPacketList.packet[0];
  packet.timeStamp = 0;  // now
  packet.length = static_cast<std::uint16_t>(length);
  if (length > 0 && data != packet.data)
    std::memmove(packet.data, data, static_cast<std::size_t>(length));
  return PlatformStatus(mOutputPort->Send(entry->destination, mPacketList));
}

std::int32_t COSXMidiService::SendBufferedMidi(long outport, long length) {
  return SendMidiMsg(outport, GetMidiBuffer(), length);
}

MIDISysexSendRequest* COSXMidiService::FindFreeSysxSlot() const {
  for (std::uint16_t slot = 0; slot < mSlotCount; ++slot) {
    if (mSysxRequests[slot].complete.load(std::memory_order_acquire)) return &mSysxRequests[slot];
  }
  return nullptr;
}

std::int32_t COSXMidiService::SendSysxMsg(long outport, const unsigned char* data, long length) {
  const SOutportEntry* entry = FindOutport(outport);
  if (entry == nullptr || entry->destination == 0) return kSendNoDestination;
  if (length < 0 || static_cast<unsigned long>(length) > kSysxAreaSize) return kSendLengthRefused;
  if (data == nullptr && length > 0) return PlatformStatus(kMIDIInvalidArgumentErr);
  if (mSlotCount == 0) return kSendNoSysxSlot;
  MIDISysexSendRequest* request = FindFreeSysxSlot();
  if (request == nullptr) return kSendNoSysxSlot;
  if (mClient == nullptr) return PlatformStatus(kMIDIUnknownPortErr);
  unsigned char* area = mSysxStore.get() + (request - mSysxRequests.get()) * kSysxAreaSize;
  if (length > 0) std::memcpy(area, data, static_cast<std::size_t>(length));
  request->destination = entry->destination;
  request->data = area;
  request->bytesToSend = static_cast<std::uint32_t>(length);
  request->complete.store(false, std::memory_order_relaxed);
  const OSStatus status = mClient->SendSysex(*request);
  // A send the platform did not take leaves nothing in flight: the slot is free again.
  if (status != kMIDINoErr) request->complete.store(true, std::memory_order_release);
  return PlatformStatus(status);
}

std::int32_t COSXMidiService::SendBufferedSysx(long outport, long length) {
  return SendSysxMsg(outport, GetSysxBuffer(), length);
}

std::uint32_t COSXMidiService::GetDropoutCount() const {
  return mSystem.GetDropoutCount() - mDropoutsAtSetup;
}

void COSXMidiService::WaitUntilSent() { mSystem.WaitUntilSent(kSentWait); }

// --- callbacks

void COSXMidiService::NotifyProc(const MIDINotification* notification, void* refCon) {
  auto* service = static_cast<COSXMidiService*>(refCon);
  if (service == nullptr || notification == nullptr) return;
  if (notification->messageID == kMIDIMsgSetupChanged) service->HandleSetupChange(*notification);
}

// Finds the chosen endpoints again by the unique IDs held now: a device that went away is
// dropped, one that came back is taken up again. (The IDs held are the stored ones after
// start-up, or the user's later choice, which reaches the preference data only at exit.)
void COSXMidiService::HandleSetupChange(const MIDINotification& notification) {
  SetInportConnection(false);
  FindEndpoints();
  SetInportConnection(true);
  OpenDestinations();
  NotifySystemMessage(kMidiSetupChanged, const_cast<MIDINotification*>(&notification));
}

// runs on the MIDI thread
void COSXMidiService::ReadProc(const MIDIPacketList* list, void* readRefCon, void* srcConnRefCon) {
  auto* service = static_cast<COSXMidiService*>(readRefCon);
  if (service == nullptr) return;
  service->HandleReadProc(list, static_cast<long>(reinterpret_cast<std::intptr_t>(srcConnRefCon)));
}

// runs on the MIDI thread
void COSXMidiService::HandleReadProc(const MIDIPacketList* list, long inport) noexcept {
  SInportEntry* entry = FindInport(inport);
  if (list == nullptr || entry == nullptr) return;
  StMidiInDelivery delivery(inport);
  CMidiInQueue* queue = delivery.GetQueue();
  if (queue == nullptr) return;  // nothing bound: the whole list goes
  bool inSysex = entry->inSysex.load(std::memory_order_relaxed);
  const std::uint32_t count = std::min<std::uint32_t>(list->numPackets, kMIDIPacketListCapacity);
  const MIDIPacket* packet = &list->packet[0];
  for (std::uint32_t i = 0; i < count; ++i, packet = MIDIPacketNext(packet)) {
    const std::size_t length = std::min<std::size_t>(packet->length, kMIDIPacketDataSize);
    const unsigned char flags = PacketPositionFlags(packet->data, length, inSysex);
    queue->InsertPacket(packet->data, length, flags);
  }
  entry->inSysex.store(inSysex, std::memory_order_relaxed);
}
