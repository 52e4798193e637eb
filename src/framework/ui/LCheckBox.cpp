#include "framework/ui/LCheckBox.h"

#include "framework/ui/UEventGuard.h"

#include <QCheckBox>
#include <QSignalBlocker>

LCheckBox::LCheckBox(const LPaneData& data) : LControl(data) {
  SetRange(0, 1);
  Build(data.GetString("text"));
}

LCheckBox::LCheckBox(LView* superView, PaneIDT paneID, MessageT valueMessage, const QString& title)
    : LControl(superView, paneID, valueMessage, 0, 0, 1) {
  Build(title);
}

void LCheckBox::Build(const QString& title) {
  mCheckBox = new QCheckBox(title, this);
  FillWith(mCheckBox);
  ValueChanged();
  QObject::connect(mCheckBox, &QCheckBox::clicked, this, [this](bool checked) {
    UEventGuard::Run([this, checked] { SetValue(checked ? 1 : 0); });
  });
}

void LCheckBox::SimulateHotSpotClick() {
  if (IsEnabled()) mCheckBox->click();
}

QString LCheckBox::GetDescriptorText() const { return mCheckBox->text(); }

void LCheckBox::SetDescriptorText(const QString& text) { mCheckBox->setText(text); }

void LCheckBox::ValueChanged() {
  const QSignalBlocker blocker(mCheckBox);
  mCheckBox->setChecked(GetValue() != 0);
}
