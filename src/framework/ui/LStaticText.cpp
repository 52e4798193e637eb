#include "framework/ui/LStaticText.h"

#include <QLabel>

LStaticText::LStaticText(const LPaneData& data) : LView(data) {
  Build(data.GetString("text"));
  mLabel->setWordWrap(data.GetBool("wrap", false));
  const QString align = data.GetString("textAlign", QStringLiteral("left"));
  if (align == QLatin1String("center"))
    mLabel->setAlignment(Qt::AlignCenter);
  else if (align == QLatin1String("right"))
    mLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  else if (align != QLatin1String("left"))
    data.Fail(QStringLiteral("unknown 'textAlign' '%1'").arg(align));
}

LStaticText::LStaticText(LView* superView, PaneIDT paneID, const QString& text)
    : LView(superView, paneID) {
  Build(text);
}

void LStaticText::Build(const QString& text) {
  mLabel = new QLabel(text, this);
  mLabel->setTextFormat(Qt::PlainText);
  FillWith(mLabel);
  setFocusPolicy(Qt::NoFocus);
}

QString LStaticText::GetDescriptorText() const { return mLabel->text(); }

void LStaticText::SetDescriptorText(const QString& text) { mLabel->setText(text); }
