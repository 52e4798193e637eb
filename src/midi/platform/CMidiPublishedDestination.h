// A destination of ours that other MIDI programs see and send to (ALSA, JACK). What they send
// reaches the read procedure on a MIDI thread; it must be real-time safe.
#pragma once

#include "midi/platform/CMidiPort.h"
#include "midi/platform/MIDITypes.h"

#include <memory>

class CMidiInputLink;
class CMidiPacketSink;

class CMidiPublishedDestination final : public CMidiPort {
 public:
  CMidiPublishedDestination(CMidiClient& client, std::string name,
                            std::unique_ptr<CMidiPacketSink> sink);
  ~CMidiPublishedDestination() override;

  CMidiPacketSink& GetSink() { return *mSink; }
  void SetLink(std::unique_ptr<CMidiInputLink> link);

 private:
  std::unique_ptr<CMidiPacketSink> mSink;
  std::unique_ptr<CMidiInputLink> mLink;  // declared after the sink: it goes first
};
