#include "midi/platform/CMidiPublishedDestination.h"

#include "midi/platform/CMidiBackEnd.h"
#include "midi/platform/CMidiPacketSink.h"

CMidiPublishedDestination::CMidiPublishedDestination(CMidiClient& client, std::string name,
                                                     std::unique_ptr<CMidiPacketSink> sink)
    : CMidiPort(client, std::move(name)), mSink(std::move(sink)) {}

CMidiPublishedDestination::~CMidiPublishedDestination() = default;

void CMidiPublishedDestination::SetLink(std::unique_ptr<CMidiInputLink> link) {
  mLink = std::move(link);
}
