// The MIDI devices dialog: the user chooses the source of in-port 0 (pop-up 3) and the
// destination of out-port 0 (pop-up 4) from the device menus of the current MIDI service.
// OK hands the chosen items to the service, which uses them at once; Cancel changes nothing.
// The service keeps the choice in the preference data when the application saves it.
//
// While the dialog is up, the pop-ups follow the MIDI system: when the service reports a
// changed setup they are filled again, each keeping the device the user has chosen in it (or
// falling back to no device when that one went away), so that the item numbers handed to the
// service on OK always match its endpoint list. A caption (pane 5) names the MIDI system.
#pragma once

#include "framework/core/MacTypes.h"

#include <memory>
#include <string>

class CMidiOperation;
class LCommander;
class LView;

class CMidiDevicesDialog {
 public:
  static constexpr ResIDT kLayoutID = 1100;
  static constexpr PaneIDT kInportPopupID = 3;
  static constexpr PaneIDT kOutportPopupID = 4;
  static constexpr PaneIDT kSystemCaptionID = 5;

  // `service` is the application's service (borrowed; it outlives the dialog).
  // `midiSystemName` is the MIDI system under it: "ALSA", "JACK", or empty for none.
  explicit CMidiDevicesDialog(std::unique_ptr<CMidiOperation>& service,
                              std::string midiSystemName = {});
  ~CMidiDevicesDialog();
  CMidiDevicesDialog(const CMidiDevicesDialog&) = delete;
  CMidiDevicesDialog& operator=(const CMidiDevicesDialog&) = delete;

  // The caption's sentence for the MIDI system called `midiSystemName`.
  static std::string DescribeMidiSystem(const std::string& midiSystemName);

  // Runs the dialog modally; true when the user confirmed with OK. Throws err_NilPointer when
  // the service gives no device menus (it is not usable).
  bool OpenDialog(LCommander* superCommander);

  // Fills the pop-ups from the service's device menus and selects the devices chosen now.
  void Initialize(LView* dialog);
  // Hands the choice to the service when `message` is OK (900); returns whether it is.
  bool Finalize(MessageT message, LView* dialog);

 private:
  class CSetupWatcher;

  // Fills the pop-ups again from the service's menus, keeping the user's pending choices.
  void RefreshDevices(LView* dialog);

  std::unique_ptr<CMidiOperation>* mServiceHolder;
  CMidiOperation* mCurrentService;
  std::string mMidiSystemName;
};
