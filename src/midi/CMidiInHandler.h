// Receiver of complete incoming MIDI messages. The input queue calls it on the main thread.
#pragma once

class CMidiInHandler {
 public:
  virtual ~CMidiInHandler() = default;
  virtual void ProcessMessage(const unsigned char* bytes, long length) = 0;
};
