// A source of ours that other MIDI programs see and connect to (ALSA, JACK).
#pragma once

#include "midi/platform/CMidiPort.h"
#include "midi/platform/MIDITypes.h"

#include <cstdint>
#include <memory>
#include <span>

class CMidiOutputLink;

class CMidiPublishedSource final : public CMidiPort {
 public:
  CMidiPublishedSource(CMidiClient& client, std::string name,
                       std::unique_ptr<CMidiOutputLink> link);
  ~CMidiPublishedSource() override;

  // Sends the bytes, cut into whole messages, to whoever is connected. One thread at a time.
  OSStatus Send(std::span<const std::uint8_t> bytes);

 private:
  std::unique_ptr<CMidiOutputLink> mLink;
};
