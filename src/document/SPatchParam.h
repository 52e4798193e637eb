// One controller's assignment, the controller table and the message-type codes.
#pragma once

#include "framework/core/MacTypes.h"

#include <cstddef>
#include <cstdint>

constexpr long kControllerCount = 50;
constexpr long kControllerCount_100 = 27;  // controllers of the older device format

// Controller type codes.
constexpr long kControllerTypeSlider = 2;
constexpr long kControllerTypeKnob = 3;
constexpr long kControllerTypeButton = 4;

struct SControllerInfo {
  std::int32_t type;
  std::uint32_t address;
  const unsigned char* descriptor;  // length-prefixed
};

extern const SControllerInfo kControllerInfo[kControllerCount];

// Message-type codes. The alternate codes 2, 4, 6, 8, 16, 18, 21, 23 behave like the code
// below them and are never produced.
enum EMsgType : std::uint8_t {
  msgType_NoAssign = 0,
  msgType_Note = 1,
  msgType_CAf = 3,
  msgType_PAf = 5,
  msgType_CC = 7,
  msgType_Enc = 9,
  msgType_PC = 10,
  msgType_BankPC = 11,
  msgType_FixedPC = 12,
  msgType_FixedBankPC = 13,
  msgType_CurPC = 14,
  msgType_RPN = 15,
  msgType_NRPN = 17,
  msgType_Realtime = 19,
  msgType_Sysx = 20,
  msgType_Free = 22,
  msgType_Tempo = 24,
};
constexpr std::uint8_t kMaxMsgType = 24;

constexpr std::size_t kPatchNameSize = 129;   // length byte and up to 128 characters
constexpr std::size_t kDeviceImageSize = 39;  // msgType through data
constexpr std::size_t kParamDataSize = 34;

struct SPatchParam {
  unsigned char name[kPatchNameSize];
  std::uint8_t msgType;
  std::uint8_t isEncoder;
  std::uint8_t options;     // bits 0-1 button mode, bit 2 "C.Click"
  std::uint8_t outputPort;  // 0 port 1, 1 port 2, 2 both
  std::uint8_t channel;     // 0..15
  std::uint8_t data[kParamDataSize];

  // The 39 bytes that travel in a bulk dump, msgType through data. They span several
  // members, so they are addressed through the record's own bytes, not through &msgType.
  std::uint8_t* DeviceImage();
  const std::uint8_t* DeviceImage() const;
};

static_assert(sizeof(SPatchParam) == 168, "the record is stored byte for byte");
static_assert(offsetof(SPatchParam, msgType) == 129);
static_assert(offsetof(SPatchParam, data) == 134);
static_assert(offsetof(SPatchParam, data) + kParamDataSize ==
              offsetof(SPatchParam, msgType) + kDeviceImageSize);

inline std::uint8_t* SPatchParam::DeviceImage() {
  return reinterpret_cast<std::uint8_t*>(this) + offsetof(SPatchParam, msgType);
}
inline const std::uint8_t* SPatchParam::DeviceImage() const {
  return reinterpret_cast<const std::uint8_t*>(this) + offsetof(SPatchParam, msgType);
}

// Option bits.
constexpr std::uint8_t kOptionButtonModeMask = 0x03;
constexpr std::uint8_t kOptionCClick = 0x04;
