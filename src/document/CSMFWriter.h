// Writes a Standard MIDI File of format 0 (one track, division 96) in memory and then to a
// file in one piece. The caller appends events in file order with their delta times.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/LHandleStream.h"

#include <cstdint>
#include <span>

class CSMFWriter {
 public:
  CSMFWriter();  // writes the header chunk and the track chunk with a zero length
  virtual ~CSMFWriter() = default;

  // Appends End of Track (delta 8), fills in the track length and replaces the file's content
  // atomically. 0 on success, -1 when the file could not be written (the old file is kept).
  virtual short WriteFile(const FSSpec& file);

  virtual void OutputTempo(unsigned long delta, unsigned long bpm);
  virtual void OutputSequenceTrack(unsigned long delta, const unsigned char* title);
  virtual void OutputCopyright(unsigned long delta, const void* bytes, long length);
  virtual void OutputText(unsigned long delta, const unsigned char* text);
  virtual void OutputMeta(unsigned long delta, unsigned char type, const void* bytes, long length);
  // `message` is the whole SysEx from F0 through F7; `length` counts all of it.
  virtual void OutputSysx(unsigned long delta, const unsigned char* message, long length);
  // `text` is a length-prefixed string of hexadecimal digit pairs.
  virtual void OutputSysxWithStuffSysx(unsigned long delta, const unsigned char* text, long length);
  // out[0] receives the byte count n (1..4), out[1..n] the encoded value.
  virtual long MakeVariableLengthValue(unsigned long value, unsigned char* out);

  // The file as it stands (after WriteFile or FinishTrack: complete).
  std::span<const std::uint8_t> GetBytes() const { return mStream.GetBytes(); }
  // Appends End of Track and fills in the track length, without writing a file. Calling it
  // again changes nothing; appending another event takes the End of Track away again.
  void FinishTrack();

 private:
  void ReopenTrack();
  void WriteVariableLengthValue(unsigned long value);

  LHandleStream mStream;
  std::size_t mTrackLengthPos = 0;  // where the track chunk's 32-bit length stands
  std::size_t mEndOfTrackPos = 0;   // where the End of Track event starts once finished
  bool mFinished = false;
};
