#include "midi/platform/CRtMidiBackEnd.h"

#include "midi/platform/CMidiErrorRelay.h"
#include "midi/platform/CMidiPacketSink.h"

#include <RtMidi.h>
#include <unistd.h>

#include <atomic>
#include <optional>

namespace {

constexpr RtMidi::Api kApi = RtMidi::LINUX_ALSA;

// Where RtMidi's error callback of one object reports: the relay, and a flag that tells the
// caller of the current RtMidi call that it failed (RtMidi returns quietly when a callback is
// installed). May run on a MIDI thread: it only copies and sets flags.
struct SErrorTarget {
  CMidiErrorRelay* relay = nullptr;
  std::atomic<bool> failed{false};

  bool TakeFailure() { return failed.exchange(false); }
};

void OnRtMidiError(RtMidiError::Type type, const std::string& text, void* userData) {
  auto* target = static_cast<SErrorTarget*>(userData);
  if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING) target->failed = true;
  target->relay->Report(text);
}

// Runs on the MIDI thread (RtMidi's ALSA input thread).
void OnRtMidiInput(double /*deltaSeconds*/, std::vector<unsigned char>* message, void* userData) {
  if (message == nullptr || message->empty()) return;
  static_cast<CMidiPacketSink*>(userData)->Deliver(message->data(), message->size(),
                                                    CMidiPacketSink::Now());
}

bool CanOpenAlsaSequencer() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

// The RtMidi objects tell their port index only by listing; find the one with this name.
template <typename RtObject>
std::optional<unsigned> FindPortIndex(RtObject& object, const std::string& key) {
  const unsigned count = object.getPortCount();
  for (unsigned index = 0; index < count; ++index) {
    if (object.getPortName(index) == key) return index;
  }
  return std::nullopt;
}

// Opens the port listed under key; RtMidi may fail quietly, so the port must then be open.
template <typename RtObject>
OSStatus OpenListedPort(RtObject& object, const std::string& key, const SMidiPortNames& names) {
  const auto index = FindPortIndex(object, key);
  if (!index) return kMIDIUnknownEndpointErr;
  object.openPort(*index, names.port);
  return object.isPortOpen() ? kMIDINoErr : kMIDIPortOpenErr;
}

// Input goes to sink: SysEx in; clock and active sensing stay out.
void ReceiveInto(RtMidiIn& input, CMidiPacketSink& sink) {
  input.ignoreTypes(false, true, true);
  input.setCallback(OnRtMidiInput, &sink);
}

template <typename RtObject>
void ListPorts(RtObject& object, std::vector<SMidiEndpointInfo>& out) {
  const unsigned count = object.getPortCount();
  for (unsigned index = 0; index < count; ++index) {
    std::string name = object.getPortName(index);
    if (!name.empty()) out.push_back({name, name});
  }
}

class CRtInputLink final : public CMidiInputLink {
 public:
  CRtInputLink(std::unique_ptr<SErrorTarget> errors, std::unique_ptr<RtMidiIn> input)
      : mErrors(std::move(errors)), mInput(std::move(input)) {}
  // Closing the port joins RtMidi's input thread, so no callback runs once the RtMidi object
  // is gone.
  ~CRtInputLink() override {
    try {
      mInput.reset();
    } catch (...) {
    }
  }

 private:
  std::unique_ptr<SErrorTarget> mErrors;
  std::unique_ptr<RtMidiIn> mInput;
};

class CRtOutputLink final : public CMidiOutputLink {
 public:
  CRtOutputLink(std::unique_ptr<SErrorTarget> errors, std::unique_ptr<RtMidiOut> output)
      : mErrors(std::move(errors)), mOutput(std::move(output)) {}
  ~CRtOutputLink() override {
    try {
      mOutput.reset();
    } catch (...) {
    }
  }

  OSStatus SendMessage(std::span<const std::uint8_t> message) override {
    try {
      mOutput->sendMessage(message.data(), message.size());
    } catch (const RtMidiError& error) {
      mErrors->relay->Report(error.getMessage());
      return kMIDISendErr;
    }
    return mErrors->TakeFailure() ? kMIDISendErr : kMIDINoErr;
  }

 private:
  std::unique_ptr<SErrorTarget> mErrors;
  std::unique_ptr<RtMidiOut> mOutput;
};

}  // namespace

struct CRtMidiBackEnd::SListers {
  SErrorTarget errors;
  std::unique_ptr<RtMidiIn> sources;
  std::unique_ptr<RtMidiOut> destinations;
};

CRtMidiBackEnd::CRtMidiBackEnd(CMidiErrorRelay& errors)
    : mErrors(errors), mListers(std::make_unique<SListers>()) {
  mListers->errors.relay = &errors;
}

CRtMidiBackEnd::~CRtMidiBackEnd() {
  try {
    mListers.reset();
  } catch (...) {
  }
}

std::unique_ptr<CRtMidiBackEnd> CRtMidiBackEnd::Open(const std::string& listerClientName,
                                                     CMidiErrorRelay& errors, bool reportAbsence) {
  if (!CanOpenAlsaSequencer()) {
    if (reportAbsence) errors.Report("The ALSA sequencer (/dev/snd/seq) cannot be opened.");
    return nullptr;
  }
  std::unique_ptr<CRtMidiBackEnd> backEnd(new CRtMidiBackEnd(errors));
  try {
    SListers& listers = *backEnd->mListers;
    listers.sources = std::make_unique<RtMidiIn>(kApi, listerClientName);
    listers.sources->setErrorCallback(OnRtMidiError, &listers.errors);
    listers.destinations = std::make_unique<RtMidiOut>(kApi, listerClientName);
    listers.destinations->setErrorCallback(OnRtMidiError, &listers.errors);
  } catch (const RtMidiError& error) {
    errors.Report(error.getMessage());
    return nullptr;
  }
  return backEnd;
}

std::string CRtMidiBackEnd::GetName() const { return "ALSA"; }

void CRtMidiBackEnd::ListEndpoints(EMidiDirection direction, std::vector<SMidiEndpointInfo>& out) {
  try {
    if (direction == EMidiDirection::Source) {
      ListPorts(*mListers->sources, out);
    } else {
      ListPorts(*mListers->destinations, out);
    }
  } catch (const RtMidiError& error) {
    mErrors.Report(error.getMessage());
  }
}

OSStatus CRtMidiBackEnd::OpenInput(const std::string& key, const SMidiPortNames& names,
                                   CMidiPacketSink& sink, std::unique_ptr<CMidiInputLink>& link) {
  return MakeLink<CRtInputLink, RtMidiIn>(names, link, [&](RtMidiIn& input) -> OSStatus {
    ReceiveInto(input, sink);
    return OpenListedPort(input, key, names);
  });
}

OSStatus CRtMidiBackEnd::OpenOutput(const std::string& key, const SMidiPortNames& names,
                                    std::unique_ptr<CMidiOutputLink>& link) {
  return MakeLink<CRtOutputLink, RtMidiOut>(names, link, [&](RtMidiOut& output) {
    return OpenListedPort(output, key, names);
  });
}

OSStatus CRtMidiBackEnd::PublishDestination(const SMidiPortNames& names, CMidiPacketSink& sink,
                                            std::unique_ptr<CMidiInputLink>& link) {
  return MakeLink<CRtInputLink, RtMidiIn>(names, link, [&](RtMidiIn& input) -> OSStatus {
    ReceiveInto(input, sink);
    input.openVirtualPort(names.port);
    return kMIDINoErr;
  });
}

OSStatus CRtMidiBackEnd::PublishSource(const SMidiPortNames& names,
                                       std::unique_ptr<CMidiOutputLink>& link) {
  return MakeLink<CRtOutputLink, RtMidiOut>(names, link, [&](RtMidiOut& output) -> OSStatus {
    output.openVirtualPort(names.port);
    return kMIDINoErr;
  });
}

template <typename Link, typename RtObject, typename BaseLink, typename OpenPort>
OSStatus CRtMidiBackEnd::MakeLink(const SMidiPortNames& names, std::unique_ptr<BaseLink>& link,
                                  OpenPort openPort) {
  auto errors = std::make_unique<SErrorTarget>();
  errors->relay = &mErrors;
  try {
    auto object = std::make_unique<RtObject>(kApi, names.client);
    object->setErrorCallback(OnRtMidiError, errors.get());
    const OSStatus status = openPort(*object);
    if (status != kMIDINoErr) return status;
    if (errors->TakeFailure()) return kMIDIPortOpenErr;
    link = std::make_unique<Link>(std::move(errors), std::move(object));
  } catch (const RtMidiError& error) {
    mErrors.Report(error.getMessage());
    return kMIDIPortOpenErr;
  }
  return kMIDINoErr;
}
