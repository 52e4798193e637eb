// Device transfer: sending the patch to the KVX device and fetching the device's patch.
// Both run their own modal dialogs (through StDialogHandler, so the GUI, the command-line tool
// and the tests each answer them their way) and measure time in ticks.
#include "document/CPatch.h"

#include "framework/core/StDialogHandler.h"
#include "framework/core/TickCount.h"
#include "midi/CMidiInQueue.h"
#include "midi/CMidiOperation.h"
#include "utilities/UAlert.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

namespace {

constexpr PaneIDT kProgressBarPane = 3;
constexpr PaneIDT kDamageNotePane = 4;

constexpr long kMidiPort = 0;
// The device needs this much time between the starts of two dumps.
constexpr std::uint32_t kDumpGapTicks = 4;
// A retrieval is complete once all dumps are counted and none came for longer than this.
constexpr std::uint32_t kSettleTicks = 16;
constexpr long kRetrieveQueueEntries = 2048;
constexpr long kRetrieveMessageBytes = 256;

// The current service when it can be used now, else null.
CMidiOperation* UsableService() {
  CMidiOperation* service = CMidiOperation::GetCurrent();
  return service != nullptr && service->IsUsable() ? service : nullptr;
}

void AlertMidiUnavailable() { UAlert::ErrorAlert(STRx_Errors, err_MidiUnavailable); }

// Runs `dialog` until it answers one of the two messages; returns the answer.
MessageT RunUntil(StDialogHandler& dialog, MessageT first, MessageT second) {
  MessageT message = msg_Nothing;
  do {
    message = dialog.DoDialog();
  } while (message != first && message != second);
  return message;
}

LDialogProgressBar& SetUpProgressBar(StDialogHandler& dialog, bool indeterminate) {
  LDialogProgressBar& bar = dialog.GetDialog()->FindProgressBar(kProgressBarPane);
  bar.SetIndeterminateFlag(indeterminate);
  bar.SetMinValue(0);
  bar.SetMaxValue(kControllerCount);
  return bar;
}

// A queue for the dumps of a retrieval, handing them to `handler`; not yet listening.
std::shared_ptr<CMidiInQueue> MakeRetrieveQueue(CMidiInHandler* handler) {
  auto queue = std::make_shared<CMidiInQueue>();
  queue->AllocateQueue(kRetrieveQueueEntries);
  queue->AllocateMsgBuffer(kRetrieveMessageBytes);
  queue->SetMidiInHandler(handler);
  queue->StartQueueWatching();
  return queue;
}

// Routes input port 0 into `queue`; destroying the queue ends it.
void ListenOnPort(CMidiInQueue& queue) {
  CMidiOperation::SetMidiInQueue(kMidiPort, &queue);
  CMidiOperation::SetInportEnabled(kMidiPort, true);
}

// Gives the dialog its turns until `ticks` have passed since `start`, or the user cancelled.
// `message` is the dialog's last message, kept from one gap to the next.
void WaitGap(StDialogHandler& dialog, std::uint32_t start, std::uint32_t ticks,
             MessageT& message) {
  while (TickCount() - start < ticks) {
    if (message == msg_Cancel) return;
    message = dialog.DoDialog();
  }
}

}  // namespace

void CPatch::BulkTrReRequest(long receive) {
  CMidiOperation* service = UsableService();
  if (service == nullptr || !service->ValidOutport(kMidiPort)) {
    AlertMidiUnavailable();
    return;
  }
  if (receive == 0) {
    // The device may answer before Retreive runs: listen first. The queue keeps what comes
    // and hands it on only once Retreive has emptied the patch and resumed it.
    mRetrieveQueue = MakeRetrieveQueue(this);
    mRetrieveQueue->Suspend();
    ListenOnPort(*mRetrieveQueue);
  }
  const unsigned char* request = receive == 0 ? kBulkTransRequest : kBulkReceiveRequest;
  // A lost request shows as a device that does not answer; the transfer that follows tells.
  service->SendSysxMsg(kMidiPort, request, kBulkRequestSize);
}

void CPatch::Transmit(LCommander* super) {
  CMidiOperation* service = UsableService();
  if (service == nullptr || !service->ValidOutport(kMidiPort)) {
    AlertMidiUnavailable();
    return;
  }
  {
    StDialogHandler confirm(kTransmitConfirmDialog, super);
    if (RunUntil(confirm, msg_OK, msg_Cancel) != msg_OK) return;
  }

  auto progress = std::make_unique<StDialogHandler>(kProgressDialog, super);
  LDialogProgressBar& bar = SetUpProgressBar(*progress, false);
  MessageT message = msg_Nothing;
  unsigned char dump[kBulkDumpSize];
  for (long index = 0; index < kControllerCount; ++index) {
    const long length = MakeBulkSysx(index, dump);
    if (service->SendSysxMsg(kMidiPort, dump, length) != 0) {
      // The device now holds a part of the patch: the user must not think it was sent.
      progress.reset();
      AlertMidiUnavailable();
      return;
    }
    const std::uint32_t sent = TickCount();
    bar.SetValue(static_cast<std::int32_t>(index));
    WaitGap(*progress, sent, kDumpGapTicks, message);
    if (message == msg_Cancel) break;
  }
  if (message != msg_Cancel) return;

  // Cancelled: the dumps already sent stay sent.
  StDialogHandler notice(kTransmitCancelledDialog, super);
  RunUntil(notice, msg_OK, msg_OK);
}

void CPatch::Retreive(LCommander* super) {
  // Emptied first: a refused or cancelled retrieval leaves an empty patch, or what came in.
  InitAllParams();
  // The queue a transmit request set listening, or a new one; it lives for this call only, and
  // destroying it unbinds it from the in-port.
  std::shared_ptr<CMidiInQueue> queue = std::move(mRetrieveQueue);
  CMidiOperation* service = UsableService();
  if (service == nullptr || !service->ValidPort(kMidiPort, kMidiPort)) {
    AlertMidiUnavailable();
    return;
  }

  mReceivedCount = 0;
  if (queue == nullptr) {
    queue = MakeRetrieveQueue(this);
    ListenOnPort(*queue);
  }
  queue->Resume();

  {
    // The queue hands the dumps to ProcessMessage during the dialogs' turns.
    StDialogHandler waiting(kRetrieveWaitDialog, super);
    MessageT message = msg_Nothing;
    do {
      message = waiting.DoDialog();
    } while (mReceivedCount == 0 && mDamagedDumps.empty() && message != msg_Cancel);
    if (message == msg_Cancel) return;
  }

  StDialogHandler progress(kProgressDialog, super);
  LDialogProgressBar& bar = SetUpProgressBar(progress, true);
  // The count last shown. The bar stops at 50, so a dump beyond the 50th (a controller sent
  // twice) is noticed by this count, not by the bar's value: it starts the quiet time anew
  // instead of keeping the retrieval from ever settling.
  long shownCount = 0;
  std::size_t shownDamage = 0;
  std::uint32_t lastChange = 0;
  for (;;) {
    const MessageT message = progress.DoDialog();
    if (mDamagedDumps.size() != shownDamage) {
      shownDamage = mDamagedDumps.size();
      progress.GetDialog()->SetCaption(
          kDamageNotePane, shownDamage == 0 ? std::string()
                                            : UAlert::GetMessage(err_DamagedDumps,
                                                                 GetDamagedDumpsText()));
    }
    if (mReceivedCount != shownCount) {
      if (bar.IsIndeterminate()) bar.SetIndeterminateFlag(false);
      shownCount = mReceivedCount;
      bar.SetValue(static_cast<std::int32_t>(std::min<long>(shownCount, kControllerCount)));
      lastChange = TickCount();
    }
    // A patch with damaged dumps is never complete: the user cancels and requests again.
    const bool settled = bar.GetValue() == kControllerCount && mDamagedDumps.empty() &&
                         TickCount() - lastChange > kSettleTicks;
    if (settled) break;
    if (message == msg_Cancel) break;
  }
}
