// Helpers of the framework's tests: a listener that keeps control messages with their 32-bit
// values, a view class that logs its creation, and the processing of pending Qt events.
#pragma once

#include "framework/core/LListener.h"
#include "framework/ui/LControl.h"
#include "framework/ui/LView.h"
#include "framework/ui/LWindow.h"

#include <QCoreApplication>

#include <cstdint>
#include <string>
#include <vector>

namespace kvxtest {

// Keeps every message, with the 32-bit value its parameter points to (0 without one).
class CValueListener final : public LListener {
 public:
  struct SMessage {
    MessageT message;
    std::int32_t value;
    void* param;
    bool operator==(const SMessage& other) const {
      return message == other.message && value == other.value;
    }
  };

  void ListenToMessage(MessageT message, void* param) override {
    const std::int32_t value = param != nullptr ? LControl::ValueOf(param) : 0;
    messages.push_back({message, value, param});
  }

  std::vector<SMessage> messages;
};

// A view of class 'Tlog' that logs "finish <id>" (and whether the last pane of its window
// already existed then) and the local point of its clicks. "fail": true makes its
// FinishCreateSelf throw.
class CLoggingView final : public LView {
 public:
  static constexpr ClassIDT class_ID = FourCC("Tlog");
  static std::vector<std::string> sLog;
  static int sLiving;

  explicit CLoggingView(const LPaneData& data);
  ~CLoggingView() override { --sLiving; }

  Point lastClick{-1, -1};

 protected:
  void FinishCreateSelf() override;
  void ClickSelf(const SMouseDownEvent& event) override { lastClick = event.whereLocal; }
  // The hand of cursor 9001 over the left 10 pixels, the arrow elsewhere.
  void AdjustMouseSelf(Point portPoint, const EventRecord& event) override;

 private:
  bool mFail;
};

// A window of class 'Twnd' that counts the clicks in its content.
class CCountingWindow final : public LWindow {
 public:
  static constexpr ClassIDT class_ID = FourCC("Twnd");
  explicit CCountingWindow(const LPaneData& data) : LWindow(data) {}

  void ClickInContent(const EventRecord& event) override {
    ++clicks;
    LWindow::ClickInContent(event);
  }
  int clicks = 0;
};

void RegisterTestClasses();

// Delivers posted events, deferred deletions included.
inline void ProcessPostedEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace kvxtest
