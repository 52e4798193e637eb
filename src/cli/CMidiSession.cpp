#include "cli/CMidiSession.h"

#include "device/UKVXMidiSystem.h"
#include "midi/CMidiOperation.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/service/COSXMidiService.h"

#include <ostream>
#include <stdexcept>

namespace {

constexpr unsigned char kAppIdentifier[] = "\x0A" "KVX Editor";
// As many SysEx sends in flight as the editor allows.
constexpr std::uint16_t kSysxSlots = 5;

std::string ListDirection(const COSXMidiService& service, bool input, const std::string& indent,
                          bool withDirection) {
  std::string text;
  for (const auto& endpoint : service.GetEndpointListing(input)) {
    text += indent;
    if (withDirection) text += input ? "source\t" : "destination\t";
    text += std::to_string(endpoint.uniqueID) + "\t" + endpoint.name + "\n";
  }
  return text;
}

}  // namespace

CMidiSession::CMidiSession(std::ostream& messages) : mMessages(messages) {
  // Printing only: the handler must not call back into the MIDI system.
  mSystem = UKVXMidiSystem::Create([this](const std::string& message) {
    mMessages << "kvx: MIDI: " << message << std::endl;
  });
  CMidiOperation::Initialize(kKVXEditorSignature, kAppIdentifier, 1, 1);
  mService = std::make_unique<COSXMidiService>(*mSystem, kSysxSlots);
  CMidiOperation::SetCurrent(mService.get());
}

CMidiSession::~CMidiSession() {
  CMidiOperation::SetCurrent(nullptr);
  mService.reset();
  CMidiOperation::Uninitialize();
  mSystem.reset();
}

std::string CMidiSession::GetSystemName() const { return mSystem->GetSystemName(); }

std::string CMidiSession::ListPorts() const {
  return ListDirection(*mService, true, "", true) + ListDirection(*mService, false, "", true);
}

std::string CMidiSession::ChooseSource(const std::string& nameOrUniqueID) {
  return Choose(true, nameOrUniqueID);
}

std::string CMidiSession::ChooseDestination(const std::string& nameOrUniqueID) {
  return Choose(false, nameOrUniqueID);
}

std::string CMidiSession::Choose(bool input, const std::string& nameOrUniqueID) {
  using EMatch = COSXMidiService::EEndpointMatch;
  const COSXMidiService::SEndpointChoice choice =
      mService->FindDeviceMenuItem(input, nameOrUniqueID);
  const char* const kind = input ? "source" : "destination";
  if (choice.match == EMatch::Found) {
    if (input) {
      mService->SelectInportDeviceMenu(0, choice.item);
    } else {
      mService->SelectOutportDeviceMenu(0, choice.item);
    }
    for (const auto& endpoint : mService->GetEndpointListing(input))
      if (endpoint.item == choice.item) return endpoint.name;
    return nameOrUniqueID;
  }
  std::string message = choice.match == EMatch::Ambiguous
                            ? std::string("more than one MIDI ") + kind + " is named \"" +
                                  nameOrUniqueID + "\"; choose one by its unique ID."
                            : std::string("no MIDI ") + kind + " is named \"" + nameOrUniqueID +
                                  "\" or has that unique ID.";
  message += std::string(" The ") + kind + "s (UNIQUE-ID<TAB>NAME):\n" +
             ListDirection(*mService, input, "  ", false);
  message.pop_back();  // the last line end: the caller ends the message
  throw std::runtime_error(message);
}
