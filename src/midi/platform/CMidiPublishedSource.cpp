#include "midi/platform/CMidiPublishedSource.h"

#include "midi/platform/CMidiBackEnd.h"
#include "midi/platform/CMidiStreamParser.h"

CMidiPublishedSource::CMidiPublishedSource(CMidiClient& client, std::string name,
                                           std::unique_ptr<CMidiOutputLink> link)
    : CMidiPort(client, std::move(name)), mLink(std::move(link)) {}

CMidiPublishedSource::~CMidiPublishedSource() = default;

OSStatus CMidiPublishedSource::Send(std::span<const std::uint8_t> bytes) {
  OSStatus status = kMIDINoErr;
  const auto sendOne = [&](std::span<const std::uint8_t> message, bool /*truncated*/) {
    if (status == kMIDINoErr && !message.empty()) status = mLink->SendMessage(message);
  };
  CMidiStreamParser parser(bytes.size());
  parser.Feed(bytes, sendOne);
  parser.Flush(sendOne);
  return status;
}
