// JACK through its own API. One JACK client (CJackClient) serves the whole MIDI system: it
// lists the ports, and each connection and each published port is a MIDI port of its own on
// that client. JACK wants the port names of a client unique, so a port whose name the client
// already has (a published source and destination under one name, as kvx-device makes) goes
// on a second client of the same name (JACK calls it "name-01"). Besides MIDI, JACK tells this
// back end of the cycles the server dropped.
#pragma once

#include "midi/platform/CMidiBackEnd.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CJackClient;
class CJackMidiPort;
class CMidiErrorRelay;

class CJackBackEnd final : public CMidiBackEnd {
 public:
  // Null when no JACK server is running (JACK_DEFAULT_SERVER names it); why is told to
  // `errors` when `reportAbsence` is set.
  static std::unique_ptr<CJackBackEnd> Open(const std::string& clientName, CMidiErrorRelay& errors,
                                            bool reportAbsence);
  ~CJackBackEnd() override;

  std::string GetName() const override { return "JACK"; }
  void ListEndpoints(EMidiDirection direction, std::vector<SMidiEndpointInfo>& out) override;
  OSStatus OpenInput(const std::string& key, const SMidiPortNames& names, CMidiPacketSink& sink,
                     std::unique_ptr<CMidiInputLink>& link) override;
  OSStatus OpenOutput(const std::string& key, const SMidiPortNames& names,
                      std::unique_ptr<CMidiOutputLink>& link) override;
  OSStatus PublishDestination(const SMidiPortNames& names, CMidiPacketSink& sink,
                              std::unique_ptr<CMidiInputLink>& link) override;
  OSStatus PublishSource(const SMidiPortNames& names,
                         std::unique_ptr<CMidiOutputLink>& link) override;
  std::uint32_t GetDropoutCount() const override;

 private:
  CJackBackEnd(std::unique_ptr<CJackClient> client, std::string clientName,
               CMidiErrorRelay& errors);
  bool IsOurs(const std::string& fullName) const;  // with mClientsMutex held
  // Adds the port on the first client that has no port of that name, opening one if need be.
  OSStatus AddPort(const std::string& name, CMidiPacketSink* sink, CJackClient*& client,
                   CJackMidiPort*& port);

  // Registers our port named names.port (an input when there is a sink) and, with a key,
  // connects it to that port of another client; link is set only on success.
  template <typename Link, typename BaseLink>
  OSStatus MakeLink(const SMidiPortNames& names, CMidiPacketSink* sink, const std::string* key,
                    std::unique_ptr<BaseLink>& link);

  std::string mClientName;
  CMidiErrorRelay& mErrors;
  // Links open on the main thread and on the SysEx sender's, while the main thread lists.
  mutable std::mutex mClientsMutex;
  std::vector<std::unique_ptr<CJackClient>> mClients;  // the first one lists
  CJackClient* mCounter = nullptr;  // the first one too: every client hears of each dropout
};
