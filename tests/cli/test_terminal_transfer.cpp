// kvx send and receive inside the test program: Ctrl-C pressed while a dump is sent, so that
// the number of dumps the device holds is known and the message can be held against it; a
// device whose dumps arrive damaged.
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include <algorithm>

#include "cli/CTerminalAlertPresenter.h"
#include "cli/CTerminalTransfer.h"
#include "document/CPatch.h"
#include "midi/CMidiInQueue.h"
#include "midi/MidiTestSupport.h"
#include "midi/StMidiInDelivery.h"
#include "support/PatchTestSupport.h"
#include "support/StFastTicks.h"

namespace {

// Takes every message; Ctrl-C is pressed while dump number `interruptAt` (from 1) is sent.
class CInterruptedService final : public CMidiOperation {
 public:
  explicit CInterruptedService(int interruptAt) : mInterruptAt(interruptAt) {}
  std::int32_t Setup() override {
    SetUsable(true);
    return 0;
  }
  void Release() override { SetUsable(false); }
  bool ValidOutport(long outport) override { return IsUsable() && outport == 0; }
  std::int32_t SendSysxMsg(long, const unsigned char*, long length) override {
    if (length == kBulkDumpSize && ++mDumps == mInterruptAt) std::raise(SIGINT);
    return 0;
  }

 private:
  int mInterruptAt;
  int mDumps = 0;
};

TEST(TerminalTransfer, CtrlCDuringASendCountsTheDumpsTheDeviceHas) {
  for (const int sent : {1, 17}) {
    SCOPED_TRACE(sent);
    CInterruptedService service(sent);
    StMidiTables tables;  // released before the service goes
    kvxtest::StFastTicks ticks;
    CMidiOperation::SetCurrent(&service);
    CTerminalAlertPresenter alerts;
    StAlertPresenter installed(&alerts);
    std::ostringstream out, err;
    CTerminalTransfer transfer(out, err, alerts, {true, {}});
    CPatch patch;
    try {
      transfer.Send(patch, "patch.mid", "Synth");
      ADD_FAILURE() << "the send was not cancelled";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()), "sending to \"Synth\" was cancelled after " +
                                               std::to_string(sent) +
                                               " of 50 dumps; the device keeps those");
    }
    EXPECT_EQ(out.str(), "");
  }
}

// Answers the transmit request at once with the 50 dumps; those of `damaged` with a wrong
// checksum.
class CDamagingDevice final : public CMidiOperation {
 public:
  explicit CDamagingDevice(std::vector<long> damaged) : mDamaged(std::move(damaged)) {}
  std::int32_t Setup() override {
    SetUsable(true);
    return 0;
  }
  void Release() override { SetUsable(false); }
  bool ValidInport(long inport) override { return IsUsable() && inport == 0; }
  bool ValidOutport(long outport) override { return IsUsable() && outport == 0; }
  std::int32_t SendSysxMsg(long, const unsigned char* data, long length) override {
    if (length != kBulkRequestSize || data[11] != kBulkTransRequest[11]) return 0;
    StMidiInDelivery delivery(0);
    for (long index = 0; index < kControllerCount; ++index) {
      kvxtest::Bytes dump = kvxtest::MakeDump(index, SPatchParam{});
      if (std::find(mDamaged.begin(), mDamaged.end(), index) != mDamaged.end()) dump.at(30) = 1;
      if (delivery.GetQueue() != nullptr) delivery.GetQueue()->InsertPacket(dump.data(), dump.size(), 0);
    }
    return 0;
  }

 private:
  std::vector<long> mDamaged;
};

TEST(TerminalTransfer, DamagedDumpsFailTheRequestNamingTheirControllers) {
  CDamagingDevice service({4, 49});
  StMidiTables tables;
  kvxtest::StFastTicks ticks;
  CMidiOperation::SetCurrent(&service);
  CTerminalAlertPresenter alerts;
  StAlertPresenter installed(&alerts);
  std::ostringstream out, err;
  CTerminalTransfer transfer(out, err, alerts, {true, {}});
  CPatch patch;
  try {
    transfer.Request(patch, "KVX", "KVX", "out.mid");
    ADD_FAILURE() << "a patch with damaged dumps was taken";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "the dumps of R5, AFT from \"KVX\" arrived damaged (wrong checksum); out.mid was "
              "not written");
  }
  EXPECT_EQ(patch.GetReceivedCount(), 48);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
