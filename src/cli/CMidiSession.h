// The MIDI set-up of one kvx command, as the editor makes it: the MIDI system (ALSA or JACK,
// with the built-in KVX device), the class-wide MIDI state for one in-port and one out-port,
// and the system MIDI service made current. Ports are chosen by name or unique ID instead of
// through the devices dialog. Destroying the session releases everything in order.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

class CMidiSystem;
class COSXMidiService;

class CMidiSession {
 public:
  // MIDI system errors go to `messages`, each on a line starting with "kvx: ".
  explicit CMidiSession(std::ostream& messages);
  ~CMidiSession();
  CMidiSession(const CMidiSession&) = delete;
  CMidiSession& operator=(const CMidiSession&) = delete;

  COSXMidiService& GetService() { return *mService; }
  // "ALSA" or "JACK", or empty when only the built-in device is there.
  std::string GetSystemName() const;

  // Every source, then every destination: "source|destination<TAB>UNIQUE-ID<TAB>NAME".
  std::string ListPorts() const;

  // Choose the source of in-port 0 / the destination of out-port 0 by `nameOrUniqueID`, and
  // return its name. Throw std::runtime_error, with the ports there are, when no port or more
  // than one has that name.
  std::string ChooseSource(const std::string& nameOrUniqueID);
  std::string ChooseDestination(const std::string& nameOrUniqueID);

 private:
  std::string Choose(bool input, const std::string& nameOrUniqueID);

  std::ostream& mMessages;
  std::unique_ptr<CMidiSystem> mSystem;
  std::unique_ptr<COSXMidiService> mService;
};
