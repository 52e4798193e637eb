// A caption that shows the note name of a value control's note number beside it ("C3" for 60,
// "E3" for 64, the octave numbering of most keyboards), following every change of the
// control. Created from layouts as class 'Nnam' with "linkedControl", the pane ID of the
// control among the panes of the caption's super view.
#pragma once

#include "framework/core/LListener.h"
#include "framework/ui/LStaticText.h"

#include <QString>

class LControl;

class CNoteNameCaption : public LStaticText, public LListener {
 public:
  static constexpr ClassIDT class_ID = FourCC("Nnam");

  explicit CNoteNameCaption(const LPaneData& data);

  // "C-2" .. "G8" for 0..127; empty for other numbers.
  static QString NoteName(std::int32_t note);

  void ListenToMessage(MessageT message, void* param) override;

 protected:
  void FinishCreateSelf() override;

 private:
  PaneIDT mLinkedPaneID;
  LControl* mLinkedControl = nullptr;  // a sibling pane, not owned
};
