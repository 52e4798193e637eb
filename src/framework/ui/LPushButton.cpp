#include "framework/ui/LPushButton.h"

#include "framework/core/StDialogHandler.h"
#include "framework/ui/UEventGuard.h"

#include <QPushButton>

LPushButton::LPushButton(const LPaneData& data) : LControl(data) {
  Build(data.GetString("text"));
  SetDefaultButton(data.GetBool("default", GetValueMessage() == msg_OK));
  mIsCancel = data.GetBool("cancel", GetValueMessage() == msg_Cancel);
}

LPushButton::LPushButton(LView* superView, PaneIDT paneID, MessageT valueMessage,
                         const QString& title)
    : LControl(superView, paneID, valueMessage, 0, 0, 0) {
  Build(title);
}

void LPushButton::Build(const QString& title) {
  mButton = new QPushButton(title, this);
  mButton->setAutoDefault(false);
  FillWith(mButton);
  QObject::connect(mButton, &QPushButton::clicked, this,
                   [this] { UEventGuard::Run([this] { BroadcastValueMessage(); }); });
}

void LPushButton::SetDefaultButton(bool isDefault) {
  mIsDefault = isDefault;
  mButton->setDefault(isDefault);
}

void LPushButton::SimulateHotSpotClick() {
  if (IsEnabled()) mButton->click();
}

QString LPushButton::GetDescriptorText() const { return mButton->text(); }

void LPushButton::SetDescriptorText(const QString& text) { mButton->setText(text); }
