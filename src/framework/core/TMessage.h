// A broadcast message bound to the type its parameter points to. The listener contract stays
// `ListenToMessage(MessageT, void*)`; senders and listeners name the same TMessage constant,
// so the parameter's type is written once, beside the message code, and no listener casts
// `void*` by hand.
//
//   constexpr TMessage<std::int32_t> msg_PatchChanged{FourCC("Pchg")};
//   msg_PatchChanged.Send(*this, index);                    // sender
//   case msg_PatchChanged:                                  // listener
//     if (const std::int32_t* index = msg_PatchChanged.Param(param)) ...
//
// A message without a parameter uses TMessage<void>: Send passes null and Param is absent.
#pragma once

#include "framework/core/LBroadcaster.h"
#include "framework/core/MacTypes.h"

#include <type_traits>

template <class T>
class TMessage {
 public:
  using ParamType = T;

  constexpr explicit TMessage(MessageT code) : mCode(code) {}
  constexpr explicit TMessage(const char (&code)[5]) : mCode(static_cast<MessageT>(FourCC(code))) {}

  // The code itself, so that the constant works in `switch` labels and comparisons.
  constexpr operator MessageT() const { return mCode; }
  constexpr MessageT Code() const { return mCode; }

  // Calls every listener of `broadcaster` with a pointer to `value`.
  void Send(LBroadcaster& broadcaster, T& value) const {
    broadcaster.BroadcastMessage(mCode, const_cast<std::remove_const_t<T>*>(&value));
  }

  // What the parameter of this message points to; null when the sender passed none.
  T* Param(void* param) const { return static_cast<T*>(param); }
  const T* Param(const void* param) const { return static_cast<const T*>(param); }

 private:
  MessageT mCode;
};

template <>
class TMessage<void> {
 public:
  constexpr explicit TMessage(MessageT code) : mCode(code) {}
  constexpr explicit TMessage(const char (&code)[5]) : mCode(static_cast<MessageT>(FourCC(code))) {}

  constexpr operator MessageT() const { return mCode; }
  constexpr MessageT Code() const { return mCode; }

  void Send(LBroadcaster& broadcaster) const { broadcaster.BroadcastMessage(mCode, nullptr); }

 private:
  MessageT mCode;
};

// The value message of a control: a pointer to its new 32-bit value.
using TControlMessage = TMessage<const std::int32_t>;
