#include "framework/ui/LPopupGroupBox.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

LPopupGroupBox::LPopupGroupBox(const LPaneData& data) : LPopupButton(data) {
  // The pop-up button laid itself out alone; put it at the top of a frame instead.
  delete layout();
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  mFrame = new QGroupBox(this);
  outer->addWidget(mFrame);
  auto* inside = new QVBoxLayout(mFrame);
  auto* titleRow = new QHBoxLayout;
  if (QLabel* title = GetTitleLabel()) titleRow->addWidget(title);
  titleRow->addWidget(GetPopup());
  titleRow->addStretch(1);
  inside->addLayout(titleRow);
  mContent = new QWidget(mFrame);
  inside->addWidget(mContent, 1);
}
