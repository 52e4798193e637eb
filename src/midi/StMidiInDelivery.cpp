#include "midi/StMidiInDelivery.h"

#include "midi/CMidiOperation.h"

// runs on the MIDI thread
StMidiInDelivery::StMidiInDelivery(long inport) noexcept
    : mEntry(CMidiOperation::FindEntry(inport)) {
  if (mEntry == nullptr) return;
  // Mark the pass before reading the queue (see waitForReadPass in CMidiOperation.cpp).
  mEntry->readPass.fetch_add(1, std::memory_order_seq_cst);
  mQueue = mEntry->queue.load(std::memory_order_seq_cst);
}

// runs on the MIDI thread
StMidiInDelivery::~StMidiInDelivery() {
  if (mEntry != nullptr) mEntry->readPass.fetch_add(1, std::memory_order_release);
}
