// The MIDI devices dialog: the user chooses the source of in-port 0 (pop-up 3) and the
// destination of out-port 0 (pop-up 4) from the device menus of the current MIDI service.
// OK hands the chosen items to the service, which uses them at once; Cancel changes nothing.
// The service keeps the choice in the preference data when the application saves it.
#pragma once

#include "framework/core/MacTypes.h"

#include <memory>

class CMidiOperation;
class LCommander;
class LView;

class CMidiDevicesDialog {
 public:
  static constexpr ResIDT kLayoutID = 1100;
  static constexpr PaneIDT kInportPopupID = 3;
  static constexpr PaneIDT kOutportPopupID = 4;

  // `service` is the application's service (borrowed; it outlives the dialog).
  explicit CMidiDevicesDialog(std::unique_ptr<CMidiOperation>& service);
  ~CMidiDevicesDialog();
  CMidiDevicesDialog(const CMidiDevicesDialog&) = delete;
  CMidiDevicesDialog& operator=(const CMidiDevicesDialog&) = delete;

  // Runs the dialog modally; true when the user confirmed with OK. Throws err_NilPointer when
  // the service gives no device menus (it is not usable).
  bool OpenDialog(LCommander* superCommander);

  // Fills the pop-ups from the service's device menus and selects the devices chosen now.
  void Initialize(LView* dialog);
  // Hands the choice to the service when `message` is OK (900); returns whether it is.
  bool Finalize(MessageT message, LView* dialog);

 private:
  std::unique_ptr<CMidiOperation>* mServiceHolder;
  CMidiOperation* mCurrentService;
};
