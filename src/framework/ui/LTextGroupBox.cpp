#include "framework/ui/LTextGroupBox.h"

#include <QGroupBox>
#include <QVBoxLayout>

LTextGroupBox::LTextGroupBox(const LPaneData& data) : LView(data) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  mFrame = new QGroupBox(data.GetString("text"), this);
  outer->addWidget(mFrame);
}

QWidget* LTextGroupBox::GetContentWidget() { return mFrame; }

QString LTextGroupBox::GetDescriptorText() const { return mFrame->title(); }

void LTextGroupBox::SetDescriptorText(const QString& text) { mFrame->setTitle(text); }
