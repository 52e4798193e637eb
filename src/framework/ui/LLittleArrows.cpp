#include "framework/ui/LLittleArrows.h"

#include "framework/ui/UEventGuard.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace {

QToolButton* makeArrow(QWidget* parent, Qt::ArrowType direction) {
  auto* button = new QToolButton(parent);
  button->setArrowType(direction);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  return button;
}

std::int32_t stepped(std::int32_t value, int step) {
  if (step > 0 && value == std::numeric_limits<std::int32_t>::max()) return value;
  if (step < 0 && value == std::numeric_limits<std::int32_t>::min()) return value;
  return value + step;
}

}  // namespace

LLittleArrows::LLittleArrows(const LPaneData& data) : LControl(data) { Build(); }

LLittleArrows::LLittleArrows(LView* superView, PaneIDT paneID, MessageT valueMessage,
                             std::int32_t value, std::int32_t minValue, std::int32_t maxValue)
    : LControl(superView, paneID, valueMessage, value, minValue, maxValue) {
  Build();
}

void LLittleArrows::Build() {
  mUp = makeArrow(this, Qt::UpArrow);
  mDown = makeArrow(this, Qt::DownArrow);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(mUp);
  layout->addWidget(mDown);
  QObject::connect(mUp, &QToolButton::clicked, this,
                   [this] { UEventGuard::Run([this] { SetValue(stepped(GetValue(), 1)); }); });
  QObject::connect(mDown, &QToolButton::clicked, this,
                   [this] { UEventGuard::Run([this] { SetValue(stepped(GetValue(), -1)); }); });
}
