// Keys and mouse clicks as the framework's event records. The Ctrl key plays the part of the
// Command key: it sets cmdKey.
#pragma once

#include "framework/core/EventRecord.h"

#include <QPoint>
#include <Qt>

#include <cstdint>
#include <memory>

class QKeyEvent;

constexpr std::uint16_t mouseDown = 1;

// Bits of EventRecord::modifiers.
constexpr std::uint16_t cmdKey = 0x0100;
constexpr std::uint16_t shiftKey = 0x0200;
constexpr std::uint16_t alphaLock = 0x0400;
constexpr std::uint16_t optionKey = 0x0800;
constexpr std::uint16_t controlKey = 0x1000;

// Parts of EventRecord::message of a key event.
constexpr std::uint32_t charCodeMask = 0x000000FF;
constexpr std::uint32_t keyCodeMask = 0x0000FF00;

class UKeyboard {
 public:
  static std::uint16_t ModifiersFromQt(Qt::KeyboardModifiers modifiers);

  // The key event record of a Qt key press: the character in Mac Roman in the low byte (0xFF
  // for a character without a Mac Roman form), the key code where it matters in the next.
  // With Ctrl down, letters and digits are given as themselves (Ctrl-F is 'f' with cmdKey).
  static EventRecord FromQKeyEvent(const QKeyEvent& event);

  // The Qt key press that types what `event` describes (keys sent by code and by tests).
  static std::unique_ptr<QKeyEvent> ToQKeyEvent(const EventRecord& event);

  // Shift, Ctrl, Alt and the like pressed alone: no key event for the framework.
  static bool IsModifierKey(const QKeyEvent& event);

  static EventRecord MouseDownRecord(const QPoint& globalPosition, Qt::KeyboardModifiers modifiers);

  static std::uint16_t CharCode(const EventRecord& event) {
    return static_cast<std::uint16_t>(event.message & charCodeMask);
  }
  static std::uint16_t KeyCode(const EventRecord& event) {
    return static_cast<std::uint16_t>((event.message & keyCodeMask) >> 8);
  }
};
