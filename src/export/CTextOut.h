// Buffered text output to a file or to memory.
//
// A file is written through a temporary sibling (LFileStream) and replaces its target only in
// CloseFile, and only when every byte was written; after any failure the target stays as it
// was. Failures do not throw: the first one is kept as the status that CloseFile returns.
// Memory output appends to a caller's string and, on failure, takes the appended part back.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/LFile.h"
#include "framework/core/LHandleStream.h"
#include "framework/core/MacTypes.h"

#include <cstddef>
#include <memory>
#include <string>

class CTextOut {
 public:
  static constexpr OSStatus kNotOpenErr = -38;  // written or closed with no output open

  CTextOut() = default;
  CTextOut(const CTextOut&) = delete;
  CTextOut& operator=(const CTextOut&) = delete;
  virtual ~CTextOut();  // an output still open is abandoned

  // Starts a new file for `fileSpec`. The creator and file type have no meaning on this platform.
  // Returns 0, or the failure's status (-1 when it had none); nothing is open then.
  virtual OSStatus OpenFile(const FSSpec& fileSpec, OSType creator, OSType fileType);
  // Starts output appended to `destination`, which must outlive the output.
  void OpenMemory(std::string& destination);
  // Writes what is buffered and finishes the output: the file replaces its target. Returns 0,
  // or the first failure since the output was opened (the target is then untouched).
  virtual OSStatus CloseFile();
  // Drops the open output; the target stays as it was.
  void AbandonFile();
  // The first failure since the output was opened, 0 when none.
  OSStatus GetStatus() const { return mStatus; }

  virtual void OutputLineFeed(unsigned short count);  // CR LF, `count` times
  virtual void OutputTab(unsigned short count);
  virtual void OutputChar(char c, unsigned short count);
  // Each form writes `tabs` tabs, the text and, when `lineEnd` is set, CR LF.
  virtual void OutputString(ConstStr255Param text, unsigned short tabs, bool lineEnd);
  virtual void OutputString(const char* text, unsigned short tabs, bool lineEnd);
  virtual void OutputString(long number, unsigned short tabs, bool lineEnd);  // decimal
  virtual void OutputString(const void* bytes, unsigned short length, unsigned short tabs,
                            bool lineEnd);
  // Makes the buffer hold at least `size` bytes before it is written out.
  virtual void PrepareTempBuffer(long size);
  // Hands the buffered bytes to the output and empties the buffer.
  virtual void WriteBufferToFile();

  CTextOut& operator<<(ConstStr255Param text);
  CTextOut& operator<<(char c);
  CTextOut& operator<<(long number);

 private:
  void Put(const void* bytes, std::size_t count);
  void Fail(OSStatus status);
  bool IsOpen() const { return mFile != nullptr || mMemory != nullptr; }

  std::unique_ptr<LFileStream> mFile;
  std::string* mMemory = nullptr;
  std::size_t mMemoryStart = 0;  // size of the caller's string when the output was opened
  LHandleStream mBuffer;         // its length is the buffer size, its marker the bytes held
  OSStatus mStatus = noErr;
};
