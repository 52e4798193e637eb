// A pop-up menu button. Its value is the number of the chosen item, from 1 (0 while the menu
// is empty); its range follows the item count. Choosing an item broadcasts the value message
// when the choice changes.
#pragma once

#include "framework/ui/LControl.h"

#include <QStringList>

class QComboBox;
class QLabel;

class LPopupButton : public LControl {
 public:
  static constexpr ClassIDT class_ID = FourCC("popb");

  // Reads "items" (the menu), "value" (the chosen item) and "text" (a title beside it).
  explicit LPopupButton(const LPaneData& data);
  LPopupButton(LView* superView, PaneIDT paneID, MessageT valueMessage, const QStringList& items);

  std::int16_t GetMenuItemCount() const;
  // Inserts an item after item `afterItem` (0: first). The value keeps its number.
  void InsertMenuItem(const QString& text, std::int16_t afterItem);
  void InsertMenuItem(ConstStr255Param text, std::int16_t afterItem);
  // Removes item `item`; the value keeps its number unless it is then beyond the last item.
  void DeleteMenuItem(std::int16_t item);
  // Replaces the whole menu; the value keeps its number where it can.
  void SetMenuItems(const QStringList& items);
  QString GetMenuItemText(std::int16_t item) const;
  void SetMenuItemText(std::int16_t item, const QString& text);

  // The text of the chosen item; setting it chooses the first item with that text.
  QString GetDescriptorText() const override;
  void SetDescriptorText(const QString& text) override;
  QComboBox* GetPopup() const { return mPopup; }

 protected:
  void ValueChanged() override;
  QLabel* GetTitleLabel() const { return mTitle; }

 private:
  void Build(const QStringList& items, const QString& title);
  void FollowItemCount();

  QComboBox* mPopup = nullptr;
  QLabel* mTitle = nullptr;
};
