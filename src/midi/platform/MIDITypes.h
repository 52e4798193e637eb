// The plain types of the MIDI system layer: endpoint references and unique IDs, packets and
// packet lists, setup notifications, asynchronous SysEx send requests and status codes.
#pragma once

#include "framework/core/MacTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// A source or destination of this run. 0 stands for none. A reference stays valid while its
// endpoint is present; an endpoint that comes back with the same unique ID keeps its reference.
using MIDIEndpointRef = std::uint32_t;

// An endpoint's identity across runs and re-plugging; 0 stands for none.
using MIDIUniqueID = std::int32_t;

// Steady-clock nanoseconds. On sending, 0 (or any time) means now: the layer does not schedule.
using MIDITimeStamp = std::uint64_t;

enum class EMidiDirection { Source, Destination };

// Bytes that arrived (or are to be sent) together. A packet holds whole messages, except that a
// long SysEx spreads over several packets, possibly in several lists.
constexpr std::size_t kMIDIPacketDataSize = 256;
struct MIDIPacket {
  MIDITimeStamp timeStamp = 0;
  std::uint16_t length = 0;
  std::uint8_t data[kMIDIPacketDataSize] = {};
};

constexpr std::size_t kMIDIPacketListCapacity = 4;
struct MIDIPacketList {
  std::uint32_t numPackets = 0;
  MIDIPacket packet[kMIDIPacketListCapacity];
};

// The packet behind `packet` in its list.
inline const MIDIPacket* MIDIPacketNext(const MIDIPacket* packet) { return packet + 1; }
inline MIDIPacket* MIDIPacketNext(MIDIPacket* packet) { return packet + 1; }

// Setup notifications, delivered on the main thread from CMidiSystem::Poll.
constexpr std::int32_t kMIDIMsgSetupChanged = 1;
struct MIDINotification {
  std::int32_t messageID = 0;
  std::uint32_t messageSize = sizeof(MIDINotification);
};

// Runs on the MIDI thread: must not allocate, lock, block or throw.
using MIDIReadProc = void (*)(const MIDIPacketList* list, void* readRefCon, void* srcConnRefCon);
// Runs on the main thread.
using MIDINotifyProc = void (*)(const MIDINotification* notification, void* refCon);

struct MIDISysexSendRequest;
// Runs just before `complete` is set: on the layer's SysEx sender thread, or for a request
// cancelled because its client went away, on the thread that disposed of the client.
using MIDICompletionProc = void (*)(MIDISysexSendRequest* request);

// One asynchronous SysEx send. The caller owns the request and the bytes and keeps both alive
// until `complete` is true again; the layer sets it (on its sender thread) when the bytes are
// out, or when the send failed (`bytesToSend` then keeps its value) or was cancelled because
// the client went away.
struct MIDISysexSendRequest {
  MIDIEndpointRef destination = 0;
  const std::uint8_t* data = nullptr;
  std::uint32_t bytesToSend = 0;  // 0 after a finished send
  std::atomic<bool> complete{true};
  std::uint8_t reserved[3] = {};
  MIDICompletionProc completionProc = nullptr;
  void* completionRefCon = nullptr;
};

// Status codes of the layer (0 is success). All fit a signed 16-bit number.
constexpr OSStatus kMIDINoErr = 0;
constexpr OSStatus kMIDIInvalidArgumentErr = -10830;  // null pointer, empty name, no bytes
constexpr OSStatus kMIDIUnknownEndpointErr = -10831;  // no such endpoint, or it has gone
constexpr OSStatus kMIDINoConnectionErr = -10832;     // the source is not connected
constexpr OSStatus kMIDIPortOpenErr = -10833;         // the MIDI system refused to open a port
constexpr OSStatus kMIDISendErr = -10834;             // the MIDI system refused the bytes
constexpr OSStatus kMIDINotSupportedErr = -10835;     // the back end cannot do this
constexpr OSStatus kMIDIUnknownPortErr = -10836;      // the port does not belong to the client
