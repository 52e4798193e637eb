#include "framework/ui/LPopupButton.h"

#include "framework/ui/UEventGuard.h"
#include "framework/ui/UQtText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>

LPopupButton::LPopupButton(const LPaneData& data) : LControl(data) {
  const QStringList items = data.GetStrings("items");
  const std::int32_t chosen = data.GetInt("value", items.isEmpty() ? 0 : 1);
  SetRange(items.isEmpty() ? 0 : 1, static_cast<std::int32_t>(items.size()));
  if (!items.isEmpty() && (chosen < 1 || chosen > items.size()))
    data.Fail(QStringLiteral("'value' must name one of the items"));
  Build(items, data.GetString("text"));
  if (!items.isEmpty()) {
    SetValue(chosen);
    ValueChanged();
  }
}

LPopupButton::LPopupButton(LView* superView, PaneIDT paneID, MessageT valueMessage,
                           const QStringList& items)
    : LControl(superView, paneID, valueMessage, items.isEmpty() ? 0 : 1, items.isEmpty() ? 0 : 1,
               static_cast<std::int32_t>(items.size())) {
  Build(items, {});
}

void LPopupButton::Build(const QStringList& items, const QString& title) {
  mPopup = new QComboBox(this);
  mPopup->addItems(items);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (!title.isEmpty()) {
    mTitle = new QLabel(title, this);
    mTitle->setBuddy(mPopup);
    layout->addWidget(mTitle);
  }
  layout->addWidget(mPopup, 1);
  setFocusProxy(mPopup);
  ValueChanged();
  QObject::connect(mPopup, &QComboBox::activated, this,
                   [this](int index) { UEventGuard::Run([this, index] { SetValue(index + 1); }); });
}

std::int16_t LPopupButton::GetMenuItemCount() const {
  return static_cast<std::int16_t>(mPopup->count());
}

void LPopupButton::InsertMenuItem(const QString& text, std::int16_t afterItem) {
  const int index = std::clamp<int>(afterItem, 0, mPopup->count());
  {
    const QSignalBlocker blocker(mPopup);
    mPopup->insertItem(index, text);
  }
  FollowItemCount();
}

void LPopupButton::InsertMenuItem(ConstStr255Param text, std::int16_t afterItem) {
  InsertMenuItem(UQtText::FromPStr(text), afterItem);
}

void LPopupButton::DeleteMenuItem(std::int16_t item) {
  if (item < 1 || item > mPopup->count()) return;
  {
    const QSignalBlocker blocker(mPopup);
    mPopup->removeItem(item - 1);
  }
  FollowItemCount();
}

void LPopupButton::SetMenuItems(const QStringList& items) {
  {
    const QSignalBlocker blocker(mPopup);
    mPopup->clear();
    mPopup->addItems(items);
  }
  FollowItemCount();
}

QString LPopupButton::GetMenuItemText(std::int16_t item) const {
  return item >= 1 && item <= mPopup->count() ? mPopup->itemText(item - 1) : QString();
}

void LPopupButton::SetMenuItemText(std::int16_t item, const QString& text) {
  if (item >= 1 && item <= mPopup->count()) mPopup->setItemText(item - 1, text);
}

QString LPopupButton::GetDescriptorText() const {
  return GetMenuItemText(static_cast<std::int16_t>(GetValue()));
}

void LPopupButton::SetDescriptorText(const QString& text) {
  const int index = mPopup->findText(text);
  if (index >= 0) SetValue(index + 1);
}

void LPopupButton::ValueChanged() {
  const QSignalBlocker blocker(mPopup);
  mPopup->setCurrentIndex(GetValue() - 1);
}

void LPopupButton::FollowItemCount() {
  const std::int32_t count = mPopup->count();
  if (count == 0) {
    SetRange(0, 0);
    ValueChanged();
    return;
  }
  const std::int32_t before = GetValue();
  SetRange(1, count);
  ValueChanged();
  if (GetValue() != before) BroadcastValueMessage();
}
