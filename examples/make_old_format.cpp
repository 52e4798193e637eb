// make_old_format JSON OUT: writes a patch file of the older device format (27 controllers) from
// a JSON patch whose controllers sit at their places on the current device. The programs only
// read that format, so the build makes the example for the import with this helper. It is not
// installed, and it keeps its own copy of the controller mapping so that the import is checked
// against something it does not share.
#include <array>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "document/CPatch.h"
#include "document/CSMFWriter.h"
#include "export/CPatchJSON.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"

namespace {

constexpr long kOldDumpSize = 140;
constexpr std::uint8_t kOldHeader[] = {0xF0, 0x7D, 0x10, 0x00, 0x4E, 0x12};
constexpr long kAddressOffset = 6;
constexpr long kNibbleOffset = 10;
constexpr long kChecksumOffset = 138;  // the area from the address up to here is summed

// The current controller index of each old one: R1-R8, S1-S8, B1-B6, L1-L3, P1-P2.
constexpr long kOldToCurrent[kControllerCount_100] = {0,  1,  2,  3,  4,  5,  6,  7,  9,
                                                      10, 11, 12, 13, 14, 15, 16, 27, 28,
                                                      29, 30, 31, 32, 41, 42, 43, 45, 46};

using OldDump = std::array<std::uint8_t, kOldDumpSize>;

// Laid out as the current dump with the one-byte shorter header: address, the 39 record bytes
// as nibbles, zeros, a checksum that makes the summed area a multiple of 128, and F7.
OldDump MakeOldDump(long oldIndex, const SPatchParam& param) {
  OldDump dump{};
  std::memcpy(dump.data(), kOldHeader, sizeof kOldHeader);
  dump[kAddressOffset + 2] = static_cast<std::uint8_t>(oldIndex);
  const std::uint8_t* image = param.DeviceImage();
  for (std::size_t k = 0; k < kDeviceImageSize; ++k) {
    dump[kNibbleOffset + 2 * k] = image[k] >> 4;
    dump[kNibbleOffset + 2 * k + 1] = image[k] & 0x0F;
  }
  unsigned sum = 0;
  for (long i = kAddressOffset; i < kChecksumOffset; ++i) sum += dump[i];
  dump[kChecksumOffset] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
  dump[kOldDumpSize - 1] = 0xF7;
  return dump;
}

bool OnOldDevice(long index) {
  for (long current : kOldToCurrent)
    if (current == index) return true;
  return false;
}

bool IsEmpty(const SPatchParam& param) {
  const SPatchParam empty{};
  return std::memcmp(&param, &empty, sizeof param) == 0;
}

bool ReadPatch(const char* jsonFile, CPatch& patch) {
  std::ifstream in(jsonFile, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    std::cerr << "make_old_format: " << jsonFile << ": cannot be read\n";
    return false;
  }
  CPatchJSON::SError error;
  if (!CPatchJSON::FromText(text.str(), patch, error)) {
    std::cerr << "make_old_format: " << jsonFile << ": " << error.Message() << '\n';
    return false;
  }
  for (long index = 0; index < kControllerCount; ++index) {
    if (!OnOldDevice(index) && !IsEmpty(*patch.GetParam(index))) {
      std::cerr << "make_old_format: " << jsonFile << ": controller "
                << LString::View(patch.GetControllerDescriptor(index))
                << " is not on the older device\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::cerr << "usage: make_old_format JSON OUT\n";
    return 2;
  }
  CPatch patch;
  if (!ReadPatch(argv[1], patch)) return 1;

  CSMFWriter writer;
  writer.OutputTempo(0, 120);
  writer.OutputSequenceTrack(0, patch.PatchTitle());
  for (const CPatch::CopyrightNotice& notice : patch.GetCopyrights())
    writer.OutputCopyright(0, notice.data(), static_cast<long>(notice.size()));
  writer.OutputText(0, reinterpret_cast<const unsigned char*>("\x13KVX message set 100"));
  for (long oldIndex = 0; oldIndex < kControllerCount_100; ++oldIndex) {
    const SPatchParam& param = *patch.GetParam(kOldToCurrent[oldIndex]);
    const OldDump dump = MakeOldDump(oldIndex, param);
    writer.OutputSysx(8, dump.data(), kOldDumpSize);
    writer.OutputText(0, param.name);
  }
  if (writer.WriteFile(FSSpec::FromPath(argv[2])) != 0) {
    std::cerr << "make_old_format: " << argv[2] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
