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
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr PaneIDT kProgressBarPane = 3;
constexpr PaneIDT kNotePane = 4;
constexpr PaneIDT kHeadlinePane = 5;
constexpr PaneIDT kRequestAgainPane = 6;
constexpr PaneIDT kKeepPane = 7;

constexpr long kMidiPort = 0;
// The device needs this much time between the starts of two dumps.
constexpr std::uint32_t kDumpGapTicks = 4;
// A retrieval is complete once all dumps are counted and none came for longer than this.
constexpr std::uint32_t kSettleTicks = 16;
// A retrieval with controllers missing counts as stalled after this long without a dump.
constexpr std::uint32_t kStallTicks = 60;
// A read-back gives up when the device has not started answering within this long, or has
// been quiet this long with controllers missing.
constexpr std::uint32_t kReadBackAnswerTicks = 120;
constexpr std::uint32_t kReadBackQuietTicks = 60;
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

void ShowHeadline(StDialogHandler& dialog, std::string_view text) {
  dialog.GetDialog()->SetCaption(kHeadlinePane, std::string(text));
}

void ShowStallChoice(StDialogHandler& dialog, bool shown) {
  dialog.GetDialog()->ShowPane(kRequestAgainPane, shown);
  dialog.GetDialog()->ShowPane(kKeepPane, shown);
}

std::string CountText(std::uint32_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
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

void CPatch::Transmit(LCommander* super) { TransmitPatch(super, false); }

CPatch::STransmitReport CPatch::TransmitPatch(LCommander* super, bool verify) {
  STransmitReport report;
  CMidiOperation* service = UsableService();
  if (service == nullptr || !service->ValidOutport(kMidiPort)) {
    AlertMidiUnavailable();
    return report;
  }
  {
    StDialogHandler confirm(kTransmitConfirmDialog, super);
    if (RunUntil(confirm, msg_OK, msg_Cancel) != msg_OK) return report;
  }

  const std::uint32_t dropoutsBefore = service->GetDropoutCount();
  auto progress = std::make_unique<StDialogHandler>(kProgressDialog, super);
  SetUpProgressBar(*progress, false);
  MessageT message = msg_Nothing;
  const int attempts = verify ? kVerifySendAttempts : 1;
  for (report.sends = 1; report.sends <= attempts; ++report.sends) {
    if (report.sends > 1) {
      // The device protocol has no partial send: the whole patch goes again.
      ShowHeadline(*progress, "Sending the patch again (send " + std::to_string(report.sends) +
                                  " of " + std::to_string(attempts) + ")…");
      service->SendSysxMsg(kMidiPort, kBulkReceiveRequest, kBulkRequestSize);
      WaitGap(*progress, TickCount(), kDumpGapTicks, message);
    }
    if (message != msg_Cancel && !SendDumps(*service, *progress, message, report.dumpsSent)) {
      // The device now holds a part of the patch: the user must not think it was sent.
      progress.reset();
      AlertMidiUnavailable();
      report.outcome = ETransmitOutcome::Failed;
      return report;
    }
    if (message == msg_Cancel) break;
    report.outcome = ETransmitOutcome::Sent;
    if (!verify) break;

    ShowHeadline(*progress, "Reading the patch back from the KVX to check it…");
    const auto differing = ReadBack(*progress, message, report.answered);
    if (!differing) break;  // cancelled
    report.differing = *differing;
    report.outcome =
        differing->empty() ? ETransmitOutcome::Verified : ETransmitOutcome::VerifyFailed;
    if (differing->empty()) break;
  }
  report.sends = std::min(report.sends, attempts);
  report.dropouts = service->GetDropoutCount() - dropoutsBefore;
  if (message != msg_Cancel) return report;

  // Cancelled: the dumps already sent stay sent.
  report.outcome = ETransmitOutcome::Cancelled;
  StDialogHandler notice(kTransmitCancelledDialog, super);
  RunUntil(notice, msg_OK, msg_OK);
  return report;
}

bool CPatch::SendDumps(CMidiOperation& service, StDialogHandler& progress, MessageT& message,
                       long& dumpsSent) const {
  LDialogProgressBar& bar = progress.GetDialog()->FindProgressBar(kProgressBarPane);
  bar.SetValue(0);
  dumpsSent = 0;
  unsigned char dump[kBulkDumpSize];
  for (long index = 0; index < kControllerCount; ++index) {
    const long length = MakeBulkSysx(index, dump);
    if (service.SendSysxMsg(kMidiPort, dump, length) != 0) return false;
    const std::uint32_t sent = TickCount();
    dumpsSent = index + 1;
    bar.SetValue(static_cast<std::int32_t>(index));
    WaitGap(progress, sent, kDumpGapTicks, message);
    if (message == msg_Cancel) break;
  }
  return true;
}

std::optional<std::vector<long>> CPatch::ReadBack(StDialogHandler& progress, MessageT& message,
                                                  bool& answered) const {
  CMidiOperation* service = UsableService();
  if (service == nullptr || !service->ValidPort(kMidiPort, kMidiPort)) {
    answered = false;
    std::vector<long> all(kControllerCount);
    std::iota(all.begin(), all.end(), 0L);
    return all;
  }
  CPatch device;  // what the device sends back
  device.StartCounting();
  const std::shared_ptr<CMidiInQueue> queue = MakeRetrieveQueue(&device);
  ListenOnPort(*queue);
  service->SendSysxMsg(kMidiPort, kBulkTransRequest, kBulkRequestSize);

  LDialogProgressBar& bar = progress.GetDialog()->FindProgressBar(kProgressBarPane);
  bar.SetValue(0);
  long shownCount = 0;
  std::uint32_t seenArrivals = 0;
  std::uint32_t lastChange = TickCount();
  for (;;) {
    message = progress.DoDialog();
    if (message == msg_Cancel) return std::nullopt;
    const std::uint32_t now = TickCount();
    if (device.GetArrivedDumpCount() != seenArrivals) {
      seenArrivals = device.GetArrivedDumpCount();
      shownCount = device.GetReceivedCount();
      bar.SetValue(static_cast<std::int32_t>(shownCount));
      lastChange = now;
    }
    const bool complete = shownCount == kControllerCount && now - lastChange > kSettleTicks;
    const std::uint32_t allowed = shownCount == 0 ? kReadBackAnswerTicks : kReadBackQuietTicks;
    if (complete || now - lastChange > allowed) break;
  }
  answered = shownCount > 0 || !device.GetDamagedDumps().empty();
  return DifferingControllers(device);
}

std::vector<long> CPatch::DifferingControllers(const CPatch& other) const {
  // What this patch's dump of a row turns into on reading, so that both sides are compared
  // after the same folding of message-type codes.
  CPatch expected;
  std::vector<long> differing;
  unsigned char dump[kBulkDumpSize];
  for (long row = 0; row < kControllerCount; ++row) {
    MakeBulkSysx(row, dump);
    expected.ExtractBulkData(row, dump);
    const bool arrived = other.mReceivedControllers.test(static_cast<std::size_t>(row));
    if (!arrived || std::memcmp(expected.GetParam(row)->DeviceImage(),
                                other.GetParam(row)->DeviceImage(), kDeviceImageSize) != 0)
      differing.push_back(row);
  }
  return differing;
}

std::string CPatch::DescribeTransmit(const STransmitReport& report) {
  std::vector<std::string> parts;
  switch (report.outcome) {
    case ETransmitOutcome::Verified:
      parts.push_back(UAlert::GetMessage(err_SentAndVerified, {}));
      break;
    case ETransmitOutcome::VerifyFailed:
      parts.push_back(report.answered
                          ? UAlert::GetMessage(err_NotVerified, std::to_string(report.sends),
                                               DescribeControllers(report.differing))
                          : UAlert::GetMessage(err_NoReadBack, std::to_string(report.sends)));
      break;
    default:
      break;
  }
  if (report.dropouts > 0 && report.outcome != ETransmitOutcome::NotSent)
    parts.push_back(UAlert::GetMessage(err_Dropouts, CountText(report.dropouts, "dropout")));
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
  return text;
}

CPatch::ERetrieveOutcome CPatch::Retreive(LCommander* super) {
  // Emptied first: a refused or cancelled retrieval leaves an empty patch, or what came in.
  InitAllParams();
  // The queue a transmit request set listening, or a new one; it lives for this call only, and
  // destroying it unbinds it from the in-port.
  std::shared_ptr<CMidiInQueue> queue = std::move(mRetrieveQueue);
  CMidiOperation* service = UsableService();
  if (service == nullptr || !service->ValidPort(kMidiPort, kMidiPort)) {
    AlertMidiUnavailable();
    return ERetrieveOutcome::Unavailable;
  }

  StartCounting();
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
    if (message == msg_Cancel) return ERetrieveOutcome::Cancelled;
  }
  return FollowRetrieval(*service, super);
}

CPatch::ERetrieveOutcome CPatch::FollowRetrieval(CMidiOperation& service, LCommander* super) {
  StDialogHandler progress(kProgressDialog, super);
  LDialogProgressBar& bar = SetUpProgressBar(progress, true);
  long shownCount = 0;
  // Arrivals, not controllers, restart the quiet time: a controller sent again shows that the
  // device is still sending.
  std::uint32_t seenArrivals = 0;
  std::size_t shownDamage = 0;
  bool stalled = false;
  std::uint32_t lastChange = TickCount();
  for (;;) {
    const MessageT message = progress.DoDialog();
    const std::uint32_t now = TickCount();
    if (mArrivedDumps != seenArrivals || mDamagedDumps.size() != shownDamage) {
      if (bar.IsIndeterminate() && mReceivedCount > 0) bar.SetIndeterminateFlag(false);
      shownCount = mReceivedCount;
      seenArrivals = mArrivedDumps;
      shownDamage = mDamagedDumps.size();
      bar.SetValue(static_cast<std::int32_t>(shownCount));
      lastChange = now;
      stalled = false;
      ShowStallChoice(progress, false);
      progress.GetDialog()->SetCaption(
          kNotePane, shownDamage == 0 ? std::string()
                                      : UAlert::GetMessage(err_DamagedDumps, GetDamagedDumpsText()));
    }
    // A patch with damaged dumps is never complete: they count as missing.
    const bool settled = shownCount == kControllerCount && now - lastChange > kSettleTicks;
    if (settled) return ERetrieveOutcome::Complete;
    if (message == msg_Cancel) return ERetrieveOutcome::Cancelled;
    if (message == msg_KeepWhatArrived) return ERetrieveOutcome::Kept;
    if (message == msg_RequestAgain) {
      // The device sends all 50 again; what arrived stays, and later copies replace it.
      service.SendSysxMsg(kMidiPort, kBulkTransRequest, kBulkRequestSize);
      lastChange = now;
      stalled = false;
      ShowStallChoice(progress, false);
    } else if (!stalled && shownCount < kControllerCount && now - lastChange > kStallTicks) {
      stalled = true;
      progress.GetDialog()->SetCaption(
          kNotePane, UAlert::GetMessage(err_StillMissing,
                                        DescribeControllers(GetMissingControllers())));
      ShowStallChoice(progress, true);
    }
  }
}
