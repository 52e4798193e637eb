// The ALSA sequencer through RtMidi (JACK has a back end of its own, CJackBackEnd). RtMidi
// connects one of its input or output objects to one port, so each connection, each output
// destination and each published port is an RtMidi object of its own; two more objects without
// ports list the sources and destinations. RtMidi reports errors to an error callback installed
// on every object; RtMidiError is caught at every call.
#pragma once

#include "midi/platform/CMidiBackEnd.h"

#include <memory>

class CMidiErrorRelay;
class RtMidiIn;
class RtMidiOut;

class CRtMidiBackEnd final : public CMidiBackEnd {
 public:
  // Null when the ALSA sequencer cannot be used (no access to /dev/snd/seq). Why is told to
  // `errors` when `reportAbsence` is set; RtMidi's own failures always are.
  static std::unique_ptr<CRtMidiBackEnd> Open(const std::string& listerClientName,
                                              CMidiErrorRelay& errors, bool reportAbsence);
  ~CRtMidiBackEnd() override;

  std::string GetName() const override;
  void ListEndpoints(EMidiDirection direction, std::vector<SMidiEndpointInfo>& out) override;
  OSStatus OpenInput(const std::string& key, const SMidiPortNames& names, CMidiPacketSink& sink,
                     std::unique_ptr<CMidiInputLink>& link) override;
  OSStatus OpenOutput(const std::string& key, const SMidiPortNames& names,
                      std::unique_ptr<CMidiOutputLink>& link) override;
  OSStatus PublishDestination(const SMidiPortNames& names, CMidiPacketSink& sink,
                              std::unique_ptr<CMidiInputLink>& link) override;
  OSStatus PublishSource(const SMidiPortNames& names,
                         std::unique_ptr<CMidiOutputLink>& link) override;

 private:
  explicit CRtMidiBackEnd(CMidiErrorRelay& errors);

  // Makes an RtMidi object of this client with its error callback, lets openPort open its
  // port and wraps both in a Link. RtMidi's errors become kMIDIPortOpenErr; link is set only
  // on success.
  template <typename Link, typename RtObject, typename BaseLink, typename OpenPort>
  OSStatus MakeLink(const SMidiPortNames& names, std::unique_ptr<BaseLink>& link,
                    OpenPort openPort);

  CMidiErrorRelay& mErrors;
  struct SListers;
  std::unique_ptr<SListers> mListers;
};
