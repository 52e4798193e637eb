// A device pop-up menu as the GUI shows it: the item texts, counted from 1. Item 1 stands for
// "no device"; a service appends one item per endpoint after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SDeviceMenu {
  static constexpr const char* kNoDeviceText = "None";
  static constexpr std::int16_t kNoDeviceItem = 1;

  std::vector<std::string> items{kNoDeviceText};

  std::int16_t CountItems() const { return static_cast<std::int16_t>(items.size()); }
  void AppendItem(std::string text) { items.push_back(std::move(text)); }
  // The text of item `item` (from 1); empty outside the menu.
  std::string GetItemText(std::int16_t item) const {
    return item >= 1 && item <= CountItems() ? items[static_cast<std::size_t>(item - 1)]
                                             : std::string();
  }
};
