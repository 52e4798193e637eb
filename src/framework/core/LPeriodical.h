// Periodic tasks. The event loop (and every modal dialog loop) gives repeaters a turn on each
// pass and idlers a turn when no event is pending. Main thread only.
//
// A periodical may start or stop itself or any other periodical, or delete another one, from
// inside its SpendTime: a stopped periodical gets no further turn in the running pass, and
// one started during a pass gets its first turn on the next pass. Passes may nest (a modal
// dialog run from inside SpendTime).
#pragma once

#include "framework/core/EventRecord.h"

class LPeriodical {
 public:
  LPeriodical() = default;
  LPeriodical(const LPeriodical&) = delete;
  LPeriodical& operator=(const LPeriodical&) = delete;
  // Leaves both lists.
  virtual ~LPeriodical();

  virtual void SpendTime(const EventRecord& event) = 0;

  void StartRepeating();
  void StopRepeating();
  bool IsRepeating() const;

  void StartIdling();
  void StopIdling();
  bool IsIdling() const;

  // One turn for every repeater / idler, in the order they started.
  static void DevoteTimeToRepeaters(const EventRecord& event);
  static void DevoteTimeToIdlers(const EventRecord& event);
};
