// Device transfer as the editor runs it, through the system MIDI service:
//  - BM_Transmit: a whole CPatch::Transmit of 50 dumps, from the call to its return. The
//    pacing bound is 50 x 4 ticks = 3.333 s; the counter "of_bound" is the time over it.
//  - BM_TransmitVerified: the same with Verify: the send, the patch read back from the device
//    and compared. With nothing lost the bound is the pacing bound twice plus the settling
//    time, about 7.7 s; "of_bound" is the share of it used.
//  - BM_RetreiveSettle: how long CPatch::Retreive takes to finish after the 50th dump has
//    reached the patch. The bound is 16 quiet ticks = 267 ms (more than 16 ticks must pass, so
//    up to 17 ticks = 283 ms by the tick count).
// The device is the one named by KVX_BENCH_DEVICE (kvx-device on JACK when run by
// bench/bench_transfer_over_jack.sh), otherwise the built-in device. Times are wall-clock; the
// dialogs are answered by a host that rests 1 ms per turn, as the terminal's does.
#include "device/CKVXDevice.h"
#include "document/CPatch.h"
#include "framework/core/LListener.h"
#include "framework/core/StDialogHandler.h"
#include "framework/core/TickCount.h"
#include "midi/CMidiOperation.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/service/COSXMidiService.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTickSeconds = 1.0 / 60;
constexpr double kTransmitBound = 50 * 4 * kTickSeconds;
constexpr double kSettleBound = 16 * kTickSeconds;
constexpr double kVerifiedBound = 7.7;

// Answers the transmission's confirmation and notice with OK; the waits and progress dialogs
// let time pass.
class CBenchDialogHost final : public LDialogHost {
 public:
  std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID, LCommander*) override {
    return std::make_unique<CView>(layoutID == 3003 || layoutID == 3005);
  }

 private:
  class CView final : public LDialogView {
   public:
    explicit CView(bool answersOK) : mAnswersOK(answersOK) {}
    void Show() override {}
    void ProgressChanged(PaneIDT, const SProgressState&) override {}
    MessageT ProcessEvents() override {
      if (mAnswersOK) return msg_OK;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return msg_Nothing;
    }

   private:
    bool mAnswersOK;
  };
};

// Notes when the patch took its last dump.
class CArrivalClock final : public LListener {
 public:
  void ListenToMessage(MessageT message, void*) override {
    if (message == msg_ParamReceived) mLast = Clock::now();
  }
  Clock::time_point Last() const { return mLast; }

 private:
  Clock::time_point mLast;
};

// The MIDI set-up of the editor, with both ports on the device under test.
class CTransferRig {
 public:
  CTransferRig() {
    CMidiSystem::Options options;
    options.builtInDevice = [] { return std::make_unique<CKVXDevice>(); };
    mSystem = std::make_unique<CMidiSystem>(std::move(options));
    const unsigned char identifier[] = "\x0A" "KVX Editor";
    CMidiOperation::Initialize(kKVXEditorSignature, identifier, 1, 1);
    mService = std::make_unique<COSXMidiService>(*mSystem, 5);
    CMidiOperation::SetCurrent(mService.get());
    const char* device = std::getenv("KVX_BENCH_DEVICE");
    mDeviceName = device != nullptr ? device : CMidiSystem::kBuiltInDeviceName;
    // kvx-device may have just started: wait for its ports (a few seconds at most).
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    do {
      mSystem->CheckSetup();
      if (mService->SelectInportEndpoint(0, mDeviceName) == COSXMidiService::EEndpointMatch::Found &&
          mService->SelectOutportEndpoint(0, mDeviceName) == COSXMidiService::EEndpointMatch::Found)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (Clock::now() < deadline);
  }
  ~CTransferRig() {
    CMidiOperation::SetCurrent(nullptr);
    mService.reset();
    CMidiOperation::Uninitialize();
  }

  bool Ready() { return mService->ValidPort(0, 0); }
  const std::string& DeviceName() const { return mDeviceName; }
  std::string SystemName() const {
    const std::string name = mSystem->GetSystemName();
    return name.empty() ? "no MIDI system" : name;
  }

  CBenchDialogHost host;
  StDialogHost installed{&host};

 private:
  std::unique_ptr<CMidiSystem> mSystem;
  std::unique_ptr<COSXMidiService> mService;
  std::string mDeviceName;
};

void FillPatch(CPatch& patch) {
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam record{};
    record.msgType = 7;
    record.channel = static_cast<std::uint8_t>(index % 16);
    record.data[0] = static_cast<std::uint8_t>(index);
    record.data[2] = 127;
    *patch.GetParam(index) = record;
  }
}

// The device needs a moment after the last dump before it takes the next request.
void LetTheDeviceSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }

// Times whole sends of 50 dumps, from the call to its return; with `verify` each is read back
// and compared, and a send that cannot be verified ends the run.
void TimeTransmits(benchmark::State& state, bool verify) {
  CTransferRig rig;
  if (!rig.Ready()) {
    state.SkipWithError(("no device \"" + rig.DeviceName() + "\"").c_str());
    return;
  }
  CPatch patch;
  FillPatch(patch);
  double worst = 0;
  int resends = 0;
  for (auto _ : state) {
    patch.BulkTrReRequest(1);
    const auto start = Clock::now();
    const CPatch::STransmitReport report = patch.TransmitPatch(nullptr, verify);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (verify && report.outcome != CPatch::ETransmitOutcome::Verified) {
      state.SkipWithError("the send could not be verified");
      break;
    }
    resends += report.sends - 1;
    state.SetIterationTime(seconds);
    worst = std::max(worst, seconds);
    LetTheDeviceSettle();
  }
  state.counters["worst_s"] = worst;
  state.counters["worst_of_bound"] = worst / (verify ? kVerifiedBound : kTransmitBound);
  if (verify) state.counters["resends"] = resends;
  state.SetLabel(rig.DeviceName() + " on " + rig.SystemName());
}

void BM_Transmit(benchmark::State& state) { TimeTransmits(state, false); }
BENCHMARK(BM_Transmit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TransmitVerified(benchmark::State& state) { TimeTransmits(state, true); }
BENCHMARK(BM_TransmitVerified)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RetreiveSettle(benchmark::State& state) {
  CTransferRig rig;
  if (!rig.Ready()) {
    state.SkipWithError(("no device \"" + rig.DeviceName() + "\"").c_str());
    return;
  }
  CPatch patch;
  CArrivalClock arrivals;
  patch.AddListener(&arrivals);
  double worst = 0;
  for (auto _ : state) {
    patch.BulkTrReRequest(0);
    patch.Retreive(nullptr);
    const double seconds = std::chrono::duration<double>(Clock::now() - arrivals.Last()).count();
    if (patch.GetReceivedCount() != kControllerCount) {
      state.SkipWithError("the device did not send 50 dumps");
      break;
    }
    state.SetIterationTime(seconds);
    worst = std::max(worst, seconds);
    LetTheDeviceSettle();
  }
  state.counters["worst_ms"] = worst * 1000;
  state.counters["worst_of_16_ticks"] = worst / kSettleBound;
  state.SetLabel(rig.DeviceName() + " on " + rig.SystemName());
}
BENCHMARK(BM_RetreiveSettle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
