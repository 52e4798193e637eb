// Gives the MIDI system its polling turns on the main thread: ALSA and JACK announce no new or
// vanished ports, so CMidiSystem::Poll compares the endpoint lists (about once a second) and
// tells its clients when they changed; it also hands on errors from the MIDI threads.
// A repeater, so that it keeps turning inside modal dialogs.
#pragma once

#include "framework/core/LPeriodical.h"

class CMidiSystem;

class CMidiSystemPoller final : public LPeriodical {
 public:
  explicit CMidiSystemPoller(CMidiSystem& system) : mSystem(system) {}

  void SpendTime(const EventRecord& event) override;

 private:
  CMidiSystem& mSystem;
};
