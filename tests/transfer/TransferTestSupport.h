// What the transfer tests run on: a MIDI service that records what is sent and can fail, a
// device that plays messages into input port 0 as the read thread would, a tick clock that
// moves one tick per dialog turn, a scripted dialog host and a recording alert presenter.
#pragma once

#include "midi/MidiTestSupport.h"
#include "midi/ScriptedDialogHost.h"
#include "support/PatchTestSupport.h"
#include "support/RecordingAlertPresenter.h"

#include "document/CPatch.h"
#include "framework/core/TickCount.h"
#include "framework/core/UModalAlerts.h"
#include "midi/CMidiInQueue.h"
#include "midi/CMidiOperation.h"
#include "midi/StMidiInDelivery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvxtransfer {

using kvxtest::Bytes;

// A service whose ports are valid or not as a test says, and whose sends are recorded with the
// tick they happened at.
class CFakeMidiService final : public CMidiOperation {
 public:
  struct SSent {
    long outport;
    Bytes bytes;
    std::uint32_t tick;
  };

  bool setupSucceeds = true;
  bool inportValid = true;
  bool outportValid = true;
  // The send with this number (from 0) and all later ones fail with `failStatus`.
  std::optional<std::size_t> failFromSend;
  std::int32_t failStatus = -2;
  // What the MIDI server has reported so far.
  std::uint32_t dropouts = 0;
  std::uint32_t GetDropoutCount() const override { return dropouts; }

  std::int32_t Setup() override {
    SetUsable(setupSucceeds);
    return setupSucceeds ? 0 : 1;
  }
  void Release() override { SetUsable(false); }
  bool ValidInport(long inport) override { return IsUsable() && inport == 0 && inportValid; }
  bool ValidOutport(long outport) override { return IsUsable() && outport == 0 && outportValid; }
  std::int32_t SendSysxMsg(long outport, const unsigned char* data, long length) override {
    ++mAttempts;
    if (failFromSend && mAttempts > *failFromSend) return failStatus;
    mSent.push_back({outport, Bytes(data, data + length), TickCount()});
    return 0;
  }

  const std::vector<SSent>& Sent() const { return mSent; }
  std::size_t Attempts() const { return mAttempts; }
  // The bytes of every send, in order.
  std::vector<Bytes> SentBytes() const {
    std::vector<Bytes> bytes;
    for (const SSent& sent : mSent) bytes.push_back(sent.bytes);
    return bytes;
  }

 private:
  std::vector<SSent> mSent;
  std::size_t mAttempts = 0;
};

// Messages the device sends, each at a chosen dialog turn. They go into the queue bound to
// input port 0 as the MIDI read thread puts them there; the queue hands them on at a later turn.
class CScriptedDevice {
 public:
  // `pieces` > 1 splits the message into that many packets (start, middle..., end).
  void SendAt(int turn, Bytes message, int pieces = 1) {
    mPlan.push_back({turn, std::move(message), pieces});
  }
  std::size_t Pending() const { return mPlan.size(); }
  // Messages that found no queue bound to input port 0.
  int Lost() const { return mLost; }

  // Plays everything planned up to `turn`.
  void Play(int turn) {
    while (!mPlan.empty() && mPlan.front().turn <= turn) {
      Deliver(mPlan.front());
      mPlan.pop_front();
    }
  }

 private:
  struct SPlanned {
    int turn;
    Bytes message;
    int pieces;
  };

  void Deliver(const SPlanned& planned) {
    StMidiInDelivery delivery(0);
    CMidiInQueue* queue = delivery.GetQueue();
    if (queue == nullptr) {
      ++mLost;
      return;
    }
    const std::size_t size = planned.message.size();
    const std::size_t pieces = static_cast<std::size_t>(planned.pieces);
    const std::size_t step = (size + pieces - 1) / pieces;
    for (std::size_t at = 0; at < size; at += step) {
      const std::size_t length = std::min(step, size - at);
      unsigned char flags = 0;
      if (at + length < size) flags |= kMoreFollows;
      if (at > 0) flags |= kContinues;
      queue->InsertPacket(planned.message.data() + at, length, flags);
    }
  }

  std::deque<SPlanned> mPlan;
  int mLost = 0;
};

// The dumps a patch of known records gives: record i is a CC on channel i % 16.
inline SPatchParam KnownRecord(long index) {
  SPatchParam record = kvxtest::MakeRecord(7, static_cast<std::uint8_t>(index % 16),
                                           {static_cast<std::uint8_t>(index), 0, 127});
  record.outputPort = static_cast<std::uint8_t>(index % 3);
  return record;
}
inline Bytes KnownDump(long index) { return kvxtest::MakeDump(index, KnownRecord(index)); }

// Records alerts, and lets a test look at the state of things at the moment one is shown.
class CProbingAlertPresenter final : public CRecordingAlertPresenter {
 public:
  std::function<void()> onAlert;
  void CautionAlert(ResIDT alertID, const std::string& message) override {
    if (onAlert) onAlert();
    CRecordingAlertPresenter::CautionAlert(alertID, message);
  }
};

constexpr ResIDT kWaitDialog = 3002;
constexpr ResIDT kConfirmDialog = 3003;
constexpr ResIDT kProgressDialog = 3004;
constexpr ResIDT kCancelledDialog = 3005;

// Everything a transfer runs on, for one test or one row of a table: the class-wide MIDI state
// with the fake service (current after MakeCurrent), the scripted dialog host, the alerts, the
// device and a clock that the dialog turns move on: every turn of any dialog is one tick.
class CTransferRig {
 public:
  static constexpr int kMaxTurns = 20000;

  CTransferRig() {
    UTickClock::SetSource([this] { return mNow; });
    host.onTurn = [this](CScriptedDialogHost::SDialogRecord& dialog) {
      // A dialog that never ends would hang the test program.
      if (++mTurn > kMaxTurns) throw std::runtime_error("the dialogs never ended");
      ++mNow;
      device.Play(mTurn);
      if (onTurn) onTurn(dialog);
    };
  }
  ~CTransferRig() {
    CMidiOperation::SetCurrent(nullptr);  // before the service goes
    UTickClock::SetSource({});
  }
  CTransferRig(const CTransferRig&) = delete;
  CTransferRig& operator=(const CTransferRig&) = delete;

  void MakeCurrent() { CMidiOperation::SetCurrent(&service); }

  std::uint32_t Now() const { return mNow; }
  int Turn() const { return mTurn; }

  // The layout IDs of the dialogs opened, in order.
  std::vector<ResIDT> DialogIDs() const {
    std::vector<ResIDT> ids;
    for (const auto& dialog : host.Dialogs()) ids.push_back(dialog.layoutID);
    return ids;
  }
  // The first dialog opened with `id`, or null.
  const CScriptedDialogHost::SDialogRecord* FindDialog(ResIDT id) const {
    for (const auto& dialog : host.Dialogs())
      if (dialog.layoutID == id) return &dialog;
    return nullptr;
  }
  bool AllDialogsClosed() const {
    return std::all_of(host.Dialogs().begin(), host.Dialogs().end(),
                       [](const auto& dialog) { return dialog.closed; });
  }

  StMidiTables tables;
  CFakeMidiService service;
  CScriptedDialogHost host;
  StDialogHost installedHost{&host};
  CProbingAlertPresenter alerts;
  StAlertPresenter installedAlerts{&alerts};
  CScriptedDevice device;
  // Runs at every dialog turn, after the device played its messages for the turn.
  std::function<void(CScriptedDialogHost::SDialogRecord&)> onTurn;

 private:
  std::uint32_t mNow = 1000;
  int mTurn = 0;
};

}  // namespace kvxtransfer
