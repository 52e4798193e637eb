#include "cli/CTerminalTransfer.h"

#include "cli/CTerminalAlertPresenter.h"
#include "cli/CTerminalDialogHost.h"
#include "cli/StInterruptCatcher.h"
#include "document/CPatch.h"
#include "framework/core/StDialogHandler.h"
#include "midi/CMidiOperation.h"
#include "utilities/UAlert.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr long kMidiPort = 0;

using EKind = CTerminalDialogHost::EKind;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

CTerminalDialogHost::SOptions HostOptions(bool assumeYes, std::optional<double> timeoutSeconds) {
  CTerminalDialogHost::SOptions options;
  options.inputFd = STDIN_FILENO;
  options.assumeYes = assumeYes;
  options.drawProgress = ::isatty(STDERR_FILENO) != 0;
  if (timeoutSeconds) {
    options.timeout = std::chrono::milliseconds(std::llround(*timeoutSeconds * 1000));
  }
  options.interrupted = &StInterruptCatcher::WasInterrupted;
  return options;
}

// The current service, checked as the main window's commands check it; alert 7 otherwise.
bool PortsUsable(bool needInput) {
  CMidiOperation* service = CMidiOperation::GetCurrent();
  const bool usable = service != nullptr && service->IsUsable() &&
                      (needInput ? service->ValidPort(kMidiPort, kMidiPort)
                                 : service->ValidOutport(kMidiPort));
  if (!usable) UAlert::ErrorAlert(STRx_Errors, err_MidiUnavailable);
  return usable;
}

bool Confirm(ResIDT dialogID) {
  StDialogHandler dialog(dialogID, nullptr);
  MessageT message = msg_Nothing;
  do {
    message = dialog.DoDialog();
  } while (message != msg_OK && message != msg_Cancel);
  return message == msg_OK;
}

}  // namespace

CTerminalTransfer::CTerminalTransfer(std::ostream& out, std::ostream& err,
                                     CTerminalAlertPresenter& alerts, SOptions options)
    : mOut(out), mErr(err), mAlerts(alerts), mOptions(options) {}

std::string CTerminalTransfer::TimeoutText() const {
  std::ostringstream text;
  text << *mOptions.timeoutSeconds << (*mOptions.timeoutSeconds == 1 ? " second" : " seconds");
  return text.str();
}

void CTerminalTransfer::Send(CPatch& patch, const std::string& patchName,
                             const std::string& destination, bool verify) {
  CTerminalDialogHost host(mErr, HostOptions(mOptions.assumeYes, mOptions.timeoutSeconds));
  host.Define(kConfirmSendDialog,
              {EKind::Question, "Send " + patchName + " to " + Quoted(destination) + "?"});
  // The question above stands for the editor's second confirmation too.
  host.Define(kTransmitConfirmDialog, {EKind::Notice, ""});
  host.Define(kProgressDialog, {EKind::Progress, "Sending to " + Quoted(destination), 1});
  host.Define(kTransmitCancelledDialog, {EKind::Notice, ""});
  StDialogHost installed(&host);
  StInterruptCatcher interrupts;

  if (!PortsUsable(verify)) throw std::runtime_error(mAlerts.TakeMessages());
  if (!Confirm(kConfirmSendDialog)) throw std::runtime_error("not confirmed: nothing was sent");
  patch.BulkTrReRequest(1);
  const CPatch::STransmitReport report = patch.TransmitPatch(nullptr, verify);
  // Transmit returns 4 ticks after its last dump was handed over; JACK may hold it for a
  // cycle more. Only once it is out has it been sent.
  CMidiOperation::GetCurrent()->WaitUntilSent();

  const std::string alerts = mAlerts.TakeMessages();
  if (!alerts.empty()) {
    throw std::runtime_error("sending to " + Quoted(destination) + " failed on the way: " + alerts);
  }
  const std::string summary = CPatch::DescribeTransmit(report);
  if (report.outcome == CPatch::ETransmitOutcome::Cancelled) {
    const std::string count = std::to_string(report.dumpsSent) + " of 50 dumps";
    if (host.TimedOut()) {
      throw std::runtime_error("sending to " + Quoted(destination) + " did not finish within " +
                               TimeoutText() + ": stopped after " + count);
    }
    throw std::runtime_error("sending to " + Quoted(destination) + " was cancelled after " +
                             count + "; the device keeps those");
  }
  if (report.outcome == CPatch::ETransmitOutcome::VerifyFailed)
    throw std::runtime_error("sending to " + Quoted(destination) + ": " + summary);
  if (report.outcome == CPatch::ETransmitOutcome::Verified) {
    mOut << "50 dumps sent to " << Quoted(destination) << " and verified"
         << (report.sends > 1 ? " after " + std::to_string(report.sends) + " sends" : "")
         << ".\n";
  } else {
    mOut << "50 dumps sent to " << Quoted(destination) << ".\n";
  }
  if (report.dropouts > 0) mErr << "kvx: " << summary << "\n";
}

void CTerminalTransfer::Request(CPatch& patch, const std::string& source,
                                const std::string& destination, const std::string& outName) {
  CTerminalDialogHost::SOptions hostOptions =
      HostOptions(mOptions.assumeYes, mOptions.timeoutSeconds);
  // Damaged dumps keep the retrieval from completing; once every controller has come, good or
  // damaged, there is nothing left to wait for.
  hostOptions.interrupted = [&patch] {
    const std::size_t seen = patch.GetReceivedCount() + patch.GetDamagedDumps().size();
    return StInterruptCatcher::WasInterrupted() ||
           (!patch.GetDamagedDumps().empty() && seen >= kControllerCount);
  };
  CTerminalDialogHost host(mErr, hostOptions);
  host.Define(kConfirmRequestDialog,
              {EKind::Question, "Fetch the patch of the device at " + Quoted(destination) +
                                    " into " + outName + "?"});
  host.Define(kRetrieveWaitDialog,
              {EKind::Wait, "Waiting for the dumps from " + Quoted(source) + " (Ctrl-C cancels)"});
  host.Define(kProgressDialog, {EKind::Progress, "Receiving from " + Quoted(source), 0});
  StDialogHost installed(&host);
  StInterruptCatcher interrupts;

  if (!PortsUsable(true)) throw std::runtime_error(mAlerts.TakeMessages());
  if (!Confirm(kConfirmRequestDialog)) {
    throw std::runtime_error("not confirmed: nothing was received");
  }
  patch.BulkTrReRequest(0);
  const CPatch::ERetrieveOutcome outcome = patch.Retreive(nullptr);

  const std::string alerts = mAlerts.TakeMessages();
  if (!alerts.empty()) throw std::runtime_error(alerts);
  if (!patch.GetDamagedDumps().empty()) {
    throw std::runtime_error("the dumps of " + patch.GetDamagedDumpsText() + " from " +
                             Quoted(source) + " arrived damaged (wrong checksum); " + outName +
                             " was not written");
  }
  if (outcome != CPatch::ERetrieveOutcome::Complete) {
    // Naming the missing ones helps only when some came.
    const std::string missing = patch.GetReceivedCount() == 0
                                    ? std::string()
                                    : CPatch::DescribeControllers(patch.GetMissingControllers());
    const std::string count = std::to_string(patch.GetReceivedCount()) +
                              " of 50 controllers came in" +
                              (missing.empty() ? "" : " (missing: " + missing + ")");
    const std::string reason = host.TimedOut()
                                   ? "the device did not send its patch within " + TimeoutText()
                                   : "receiving was cancelled";
    throw std::runtime_error(reason + ": " + count + " from " + Quoted(source) + "; " + outName +
                             " was not written");
  }
}
