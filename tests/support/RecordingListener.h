// A listener for tests: records every broadcast message with what its parameter pointed to.
// The patch's messages carry a controller index (std::int32_t), a title (length-prefixed) or
// nothing.
#pragma once

#include "framework/core/LBroadcaster.h"
#include "framework/core/LListener.h"
#include "framework/core/LString.h"
#include "framework/core/MacTypes.h"
#include "framework/core/TMessage.h"

#include <string>
#include <vector>

class CRecordingListener : public LListener {
 public:
  struct SMessage {
    MessageT message;
    const void* param;  // as received; only valid during the broadcast
    long index;         // the controller index of index messages, else -1
    std::string text;   // the length-prefixed string param for text messages, else empty
  };

  // `textMessages` lists the messages whose parameter is a length-prefixed string; for every
  // other message a non-null parameter is read as a long.
  explicit CRecordingListener(LBroadcaster& broadcaster, std::vector<MessageT> textMessages = {})
      : mTextMessages(std::move(textMessages)) {
    broadcaster.AddListener(this);
  }

  void ListenToMessage(MessageT message, void* param) override {
    SMessage record{message, param, -1, {}};
    if (IsTextMessage(message)) {
      record.text = LString::ToStd(TMessage<const unsigned char>(message).Param(param));
    } else if (param != nullptr) {
      record.index = *TMessage<const std::int32_t>(message).Param(param);
    }
    mMessages.push_back(record);
  }

  const std::vector<SMessage>& Messages() const { return mMessages; }
  void Clear() { mMessages.clear(); }

  // The indices carried by every `message` received, in order.
  std::vector<long> IndicesOf(MessageT message) const {
    std::vector<long> indices;
    for (const SMessage& m : mMessages)
      if (m.message == message) indices.push_back(m.index);
    return indices;
  }

  std::vector<MessageT> MessageCodes() const {
    std::vector<MessageT> codes;
    for (const SMessage& m : mMessages) codes.push_back(m.message);
    return codes;
  }

 private:
  bool IsTextMessage(MessageT message) const {
    for (MessageT text : mTextMessages)
      if (text == message) return true;
    return false;
  }

  std::vector<MessageT> mTextMessages;
  std::vector<SMessage> mMessages;
};
