// kvx send inside the test program: Ctrl-C pressed while a dump is sent, so that the number of
// dumps the device holds is known and the message can be held against it.
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <stdexcept>
#include <string>

#include "cli/CTerminalAlertPresenter.h"
#include "cli/CTerminalTransfer.h"
#include "document/CPatch.h"
#include "midi/MidiTestSupport.h"
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

}  // namespace
