// The assign dialog on Qt's offscreen platform: its first open (the layout read and the first
// panels made, then shown and laid out), re-targeting the open dialog at another controller
// (applying the edits first), and, for scale, making the main window itself.
#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "dialogs/assigndialog/UAssignDialogClasses.h"
#include "document/CPatch.h"
#include "framework/core/LCommander.h"
#include "framework/ui/LEventDispatcher.h"
#include "framework/ui/LWindow.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/UMainWindowClasses.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Controllers of every kind of panel: knobs with CC and NRPN, pads with notes, a SysEx.
void FillPatch(CPatch& patch) {
  const std::uint8_t types[] = {msgType_CC, msgType_Note, msgType_NRPN, msgType_FixedBankPC,
                                msgType_Realtime};
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam record{};
    record.msgType = types[index % 5];
    record.channel = static_cast<std::uint8_t>(index % 16);
    record.data[0] = static_cast<std::uint8_t>(index);
    record.data[1] = 100;
    record.data[2] = 27;
    patch.SetParam(index, &record);
  }
}

class CEditorScene {
 public:
  CEditorScene() { FillPatch(mPatch); }

  // A new main window on the patch; the old one (and its dialog) goes.
  CMainWindow& MakeWindow() {
    mWindow.reset();
    mWindow.reset(dynamic_cast<CMainWindow*>(LWindow::CreateWindow(CMainWindow::kLayoutID, &mTop)));
    mWindow->SetPatch(&mPatch);
    return *mWindow;
  }
  CMainWindow& Window() { return *mWindow; }

 private:
  CPatch mPatch;
  LCommander mTop;
  std::unique_ptr<CMainWindow> mWindow;
};

CEditorScene* sScene = nullptr;

void BM_MakeMainWindow(benchmark::State& state) {
  for (auto _ : state) {
    sScene->MakeWindow();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_MakeMainWindow)->Unit(benchmark::kMillisecond);

void BM_FirstOpenOfTheDialog(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    CMainWindow& window = sScene->MakeWindow();
    QApplication::processEvents();
    state.ResumeTiming();
    window.OpenAssignDialog(0);
    QApplication::processEvents();  // shown and laid out
  }
}
BENCHMARK(BM_FirstOpenOfTheDialog)->Unit(benchmark::kMillisecond);

void BM_RetargetTheDialog(benchmark::State& state) {
  CMainWindow& window = sScene->MakeWindow();
  // Every panel made once, as after a while of editing.
  for (long index = 0; index < 20; ++index) window.OpenAssignDialog(index);
  QApplication::processEvents();
  long index = 0;
  for (auto _ : state) {
    index = (index + 1) % kControllerCount;
    window.OpenAssignDialog(index);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_RetargetTheDialog)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  UMainWindowClasses::RegisterClasses();
  UAssignDialogClasses::RegisterClasses();
  LEventDispatcher dispatcher;
  CEditorScene scene;
  sScene = &scene;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  sScene = nullptr;
  return 0;
}
