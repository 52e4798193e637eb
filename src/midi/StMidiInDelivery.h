// One delivery pass of the MIDI read thread on a logical in-port: fetches the queue bound to
// the in-port and keeps it from being released until the pass ends (the main thread's
// unbinding waits for it). Never allocates, locks or blocks. Each in-port is served by at most
// one read thread at a time.
//
//   StMidiInDelivery delivery(inport);          // runs on the MIDI thread
//   if (CMidiInQueue* queue = delivery.GetQueue()) queue->InsertPacket(bytes, length, flags);
#pragma once

class CMidiInQueue;
struct SMidiInAction;

class StMidiInDelivery {
 public:
  explicit StMidiInDelivery(long inport) noexcept;
  ~StMidiInDelivery();
  StMidiInDelivery(const StMidiInDelivery&) = delete;
  StMidiInDelivery& operator=(const StMidiInDelivery&) = delete;

  // The bound queue, or null when the in-port delivers to no queue.
  CMidiInQueue* GetQueue() const noexcept { return mQueue; }

 private:
  SMidiInAction* mEntry = nullptr;
  CMidiInQueue* mQueue = nullptr;
};
