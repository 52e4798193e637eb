// The editor's Send and Request commands for the terminal: the same checks and order of
// events as the main window's commands (confirmation, the request to the device, then
// CPatch::Transmit or CPatch::Retreive), with the dialogs on a CTerminalDialogHost and Ctrl-C
// as Cancel. Needs a current MIDI service whose ports are chosen, and the tool's alert
// presenter installed.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

class CPatch;
class CTerminalAlertPresenter;

class CTerminalTransfer {
 public:
  struct SOptions {
    bool assumeYes = false;  // no confirmation
    std::optional<double> timeoutSeconds;
  };

  // Results go to `out`, questions, progress and notices to `err`.
  CTerminalTransfer(std::ostream& out, std::ostream& err, CTerminalAlertPresenter& alerts,
                    SOptions options);

  // Sends `patch` (called `patchName`) to the device at `destination`; with `verify` fetches
  // it back from the chosen source and sends again while some controllers differ. Throws
  // std::runtime_error unless all 50 dumps went out (and, verifying, came back the same).
  void Send(CPatch& patch, const std::string& patchName, const std::string& destination,
            bool verify = false);
  // Fetches the device's patch into `patch` (its dumps from `source`, the request to
  // `destination`). Throws std::runtime_error unless the whole patch came in; `outName`, the
  // file the patch is for, is named in the messages.
  void Request(CPatch& patch, const std::string& source, const std::string& destination,
               const std::string& outName);

 private:
  std::string TimeoutText() const;

  std::ostream& mOut;
  std::ostream& mErr;
  CTerminalAlertPresenter& mAlerts;
  SOptions mOptions;
};
