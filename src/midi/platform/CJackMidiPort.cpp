#include "midi/platform/CJackMidiPort.h"

#include "midi/platform/CJackCycleCounter.h"
#include "midi/platform/CMidiPacketSink.h"

#include <jack/midiport.h>

#include <chrono>
#include <new>

namespace {

using Length = std::uint32_t;

// Clock and active sensing stay out, as timing messages do on ALSA.
bool IsTimingMessage(const jack_midi_event_t& event) {
  const std::uint8_t status = event.buffer[0];
  return status == 0xF1 || status == 0xF8 || status == 0xFE;
}

constexpr auto kFullRingWait = std::chrono::seconds(2);

}  // namespace

CJackMidiPort::CJackMidiPort(jack_port_t* port, CMidiPacketSink* sink, CJackCycleCounter& cycles)
    : mPort(port), mSink(sink), mCycles(cycles) {
  if (mSink != nullptr) return;
  mRing = jack_ringbuffer_create(kRingBytes);
  if (mRing == nullptr) throw std::bad_alloc();
}

CJackMidiPort::~CJackMidiPort() {
  if (mRing != nullptr) jack_ringbuffer_free(mRing);
}

void CJackMidiPort::Process(jack_nframes_t frames) noexcept {
  void* buffer = jack_port_get_buffer(mPort, frames);
  if (buffer == nullptr) return;
  if (mSink != nullptr) {
    Receive(buffer);
  } else {
    Transmit(buffer);
  }
}

void CJackMidiPort::Receive(void* buffer) noexcept {
  const jack_nframes_t count = jack_midi_get_event_count(buffer);
  for (jack_nframes_t index = 0; index < count; ++index) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, index) != 0 || event.size == 0) continue;
    if (IsTimingMessage(event)) continue;
    mSink->Deliver(event.buffer, event.size, CMidiPacketSink::Now());
  }
}

void CJackMidiPort::Transmit(void* buffer) noexcept {
  jack_midi_clear_buffer(buffer);
  for (;;) {
    Length length = 0;
    if (jack_ringbuffer_peek(mRing, reinterpret_cast<char*>(&length), sizeof length) <
        sizeof length) {
      return;
    }
    // The sender writes the length before the bytes: wait for the whole message.
    if (jack_ringbuffer_read_space(mRing) < sizeof length + length) return;
    // Every message goes at the start of the cycle, in the order queued.
    jack_midi_data_t* out = jack_midi_event_reserve(buffer, 0, length);
    if (out == nullptr) return;  // this cycle's buffer is full
    jack_ringbuffer_read_advance(mRing, sizeof length);
    jack_ringbuffer_read(mRing, reinterpret_cast<char*>(out), length);
  }
}

OSStatus CJackMidiPort::Queue(std::span<const std::uint8_t> message) {
  if (mRing == nullptr) return kMIDINotSupportedErr;
  if (message.empty()) return kMIDINoErr;
  const Length length = static_cast<Length>(message.size());
  const std::size_t needed = sizeof length + message.size();
  if (needed > kRingBytes - 1) return kMIDIInvalidArgumentErr;
  const auto fits = [&] { return jack_ringbuffer_write_space(mRing) >= needed; };
  if (!mCycles.WaitFor(fits, std::chrono::steady_clock::now() + kFullRingWait)) {
    return kMIDISendErr;
  }
  jack_ringbuffer_write(mRing, reinterpret_cast<const char*>(&length), sizeof length);
  jack_ringbuffer_write(mRing, reinterpret_cast<const char*>(message.data()), message.size());
  return kMIDINoErr;
}

bool CJackMidiPort::WaitUntilSent(std::chrono::steady_clock::time_point deadline) {
  if (mRing == nullptr) return true;
  if (!mCycles.WaitFor([&] { return jack_ringbuffer_read_space(mRing) == 0; }, deadline)) {
    return false;
  }
  // The cycle that took the last message has begun by now; the end of the next one means
  // that every client of that cycle has run.
  const std::uint64_t after = mCycles.GetBegun() + 1;
  return mCycles.WaitFor([&] { return mCycles.GetEnded() >= after; }, deadline);
}
