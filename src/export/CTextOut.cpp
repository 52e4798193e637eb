#include "export/CTextOut.h"

#include "framework/core/LException.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <exception>

namespace {

constexpr char kLineEnd[] = {'\r', '\n'};
constexpr char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
constexpr OSStatus kUnknownFailure = -1;

// A failure must never read as success.
OSStatus failureStatus(std::int32_t code) { return code != noErr ? code : ioErr; }

}  // namespace

CTextOut::~CTextOut() { AbandonFile(); }

OSStatus CTextOut::OpenFile(const FSSpec& fileSpec, OSType /*creator*/, OSType /*fileType*/) {
  AbandonFile();
  try {
    mFile = std::make_unique<LFileStream>(fileSpec);
  } catch (const LException& error) {
    mStatus = failureStatus(error.GetErrorCode());
  } catch (const std::exception&) {
    mStatus = kUnknownFailure;
  }
  return mStatus;
}

void CTextOut::OpenMemory(std::string& destination) {
  AbandonFile();
  mMemory = &destination;
  mMemoryStart = destination.size();
}

OSStatus CTextOut::CloseFile() {
  if (!IsOpen()) return kNotOpenErr;
  WriteBufferToFile();
  if (mFile != nullptr && mStatus == noErr) {
    try {
      mFile->Commit();
    } catch (const LException& error) {
      Fail(failureStatus(error.GetErrorCode()));
    }
  }
  const OSStatus status = mStatus;
  if (status == noErr) {
    mFile.reset();
    mMemory = nullptr;
  } else {
    AbandonFile();
  }
  mStatus = status;
  return status;
}

void CTextOut::AbandonFile() {
  mFile.reset();  // removes the temporary file of an uncommitted stream
  if (mMemory != nullptr) mMemory->resize(mMemoryStart);
  mMemory = nullptr;
  mBuffer.SetMarker(0);
  mStatus = noErr;
}

void CTextOut::OutputLineFeed(unsigned short count) {
  for (unsigned short i = 0; i < count; ++i) Put(kLineEnd, sizeof kLineEnd);
}

void CTextOut::OutputTab(unsigned short count) {
  constexpr std::size_t kChunk = sizeof kTabs - 1;
  while (count > 0) {
    const std::size_t now = std::min<std::size_t>(count, kChunk);
    Put(kTabs, now);
    count = static_cast<unsigned short>(count - now);
  }
}

void CTextOut::OutputChar(char c, unsigned short count) {
  for (unsigned short i = 0; i < count; ++i) Put(&c, 1);
}

void CTextOut::OutputString(ConstStr255Param text, unsigned short tabs, bool lineEnd) {
  OutputString(text != nullptr ? text + 1 : nullptr,
               static_cast<unsigned short>(text != nullptr ? text[0] : 0), tabs, lineEnd);
}

void CTextOut::OutputString(const char* text, unsigned short tabs, bool lineEnd) {
  const std::size_t length = text != nullptr ? std::strlen(text) : 0;
  OutputString(text, static_cast<unsigned short>(std::min<std::size_t>(length, 0xFFFF)), tabs,
               lineEnd);
}

void CTextOut::OutputString(long number, unsigned short tabs, bool lineEnd) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  OutputString(digits, static_cast<unsigned short>(result.ptr - digits), tabs, lineEnd);
}

void CTextOut::OutputString(const void* bytes, unsigned short length, unsigned short tabs,
                            bool lineEnd) {
  OutputTab(tabs);
  if (bytes != nullptr) Put(bytes, length);
  if (lineEnd) OutputLineFeed(1);
}

void CTextOut::PrepareTempBuffer(long size) {
  if (size > 0 && static_cast<std::size_t>(size) > mBuffer.GetLength()) {
    mBuffer.SetLength(static_cast<std::size_t>(size));
  }
}

void CTextOut::WriteBufferToFile() {
  const std::size_t held = mBuffer.GetMarker();
  if (held == 0) return;
  mBuffer.SetMarker(0);
  if (mStatus != noErr) return;  // the output is lost already; drop the rest
  if (!IsOpen()) {
    Fail(kNotOpenErr);
    return;
  }
  const std::uint8_t* bytes = mBuffer.GetBytes().data();
  try {
    if (mFile != nullptr) {
      mFile->WriteData(bytes, held);
    } else {
      mMemory->append(reinterpret_cast<const char*>(bytes), held);
    }
  } catch (const LException& error) {
    Fail(failureStatus(error.GetErrorCode()));
  } catch (const std::exception&) {
    Fail(kUnknownFailure);
  }
}

CTextOut& CTextOut::operator<<(ConstStr255Param text) {
  OutputString(text, 0, false);
  return *this;
}

CTextOut& CTextOut::operator<<(char c) {
  OutputChar(c, 1);
  return *this;
}

CTextOut& CTextOut::operator<<(long number) {
  OutputString(number, 0, false);
  return *this;
}

// The buffer is written out whenever the next piece would fill it; it grows to the largest
// piece written.
void CTextOut::Put(const void* bytes, std::size_t count) {
  if (count == 0) return;
  if (mBuffer.GetMarker() + count >= mBuffer.GetLength()) WriteBufferToFile();
  mBuffer.WriteData(bytes, count);
}

void CTextOut::Fail(OSStatus status) {
  if (mStatus == noErr) mStatus = status;
}
