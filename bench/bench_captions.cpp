// Redrawing the device picture with all 50 caption boxes, on Qt's offscreen platform: the
// picture pane rendered into an image with and without captions (the difference is what the
// captions cost), and the caption layout alone. Then the picture scaled (100 % to 300 % of
// its own size) with all captions: the first frame at a new size (the drawing rendered sharp
// for it), a frame at a size rendered before, and a frame while the size is being dragged out
// (the last sharp rendering scaled as a stand-in).
#include "document/CPatch.h"
#include "framework/ui/LEventDispatcher.h"
#include "framework/ui/LWindow.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/UMainWindowClasses.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <iterator>
#include <memory>

namespace {

// Every controller assigned, with captions of every length, on all three port colours.
void FillPatch(CPatch& patch) {
  const std::uint8_t types[] = {msgType_Note, msgType_CC, msgType_FixedBankPC, msgType_NRPN,
                                msgType_Tempo};
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam record{};
    record.msgType = types[index % 5];
    record.channel = static_cast<std::uint8_t>(index % 16);
    record.outputPort = static_cast<std::uint8_t>(index % 3);
    record.data[0] = static_cast<std::uint8_t>(index);
    record.data[1] = 100;
    record.data[2] = 27;
    patch.SetParam(index, &record);
  }
}

// The main window of the editor on a full patch; the picture is what the benchmarks draw.
class CPictureScene {
 public:
  CPictureScene() {
    mWindow.reset(
        dynamic_cast<CMainWindow*>(LWindow::CreateWindow(CMainWindow::kLayoutID, nullptr)));
    FillPatch(mPatch);
    mWindow->SetPatch(&mPatch);
    mWindow->show();  // so that resizing the picture reaches it at once
    mImage = QImage(GetPicture().size(), QImage::Format_ARGB32_Premultiplied);
  }

  // The picture pane at `percent` of the drawing's own size, `extra` pixels larger.
  void ScaleTo(int percent, int extra = 0) {
    const QSize size = GetPicture().GetNaturalSize() * percent / 100 + QSize(extra, extra);
    GetPicture().resize(size);
    if (mImage.size() != size) mImage = QImage(size, QImage::Format_ARGB32_Premultiplied);
  }

  CMainPicture& GetPicture() const { return *mWindow->GetPicture(); }

  void Render() {
    QPainter painter(&mImage);
    GetPicture().render(&painter);
  }

 private:
  CPatch mPatch;
  std::unique_ptr<CMainWindow> mWindow;
  QImage mImage;
};

CPictureScene* sScene = nullptr;

void BM_RenderPictureWithCaptions(benchmark::State& state) {
  sScene->GetPicture().ShowMessages(true);
  for (auto _ : state) sScene->Render();
}
BENCHMARK(BM_RenderPictureWithCaptions)->Unit(benchmark::kMillisecond);

void BM_RenderPictureWithoutCaptions(benchmark::State& state) {
  sScene->GetPicture().ShowMessages(false);
  for (auto _ : state) sScene->Render();
}
BENCHMARK(BM_RenderPictureWithoutCaptions)->Unit(benchmark::kMillisecond);

void BM_LayOutCaptions(benchmark::State& state) {
  for (auto _ : state) sScene->GetPicture().DrawCaptionBoxes(true);
}
BENCHMARK(BM_LayOutCaptions)->Unit(benchmark::kMicrosecond);

constexpr int kScales[] = {100, 150, 200, 300};

void BM_FirstFrameAtNewSize(benchmark::State& state) {
  sScene->GetPicture().ShowMessages(true);
  sScene->ScaleTo(int(state.range(0)));
  for (auto _ : state) {
    sScene->GetPicture().DropRenderings();
    sScene->Render();
  }
}
BENCHMARK(BM_FirstFrameAtNewSize)->ArgsProduct({{std::begin(kScales), std::end(kScales)}})
    ->Unit(benchmark::kMillisecond);

void BM_FrameAtRenderedSize(benchmark::State& state) {
  sScene->GetPicture().ShowMessages(true);
  sScene->ScaleTo(int(state.range(0)));
  sScene->Render();
  for (auto _ : state) sScene->Render();
}
BENCHMARK(BM_FrameAtRenderedSize)->ArgsProduct({{std::begin(kScales), std::end(kScales)}})
    ->Unit(benchmark::kMillisecond);

// Each frame a pixel wider or narrower, as while the window's edge is dragged.
void BM_FrameWhileResizing(benchmark::State& state) {
  sScene->GetPicture().ShowMessages(true);
  sScene->ScaleTo(100);
  sScene->Render();
  int step = 0;
  for (auto _ : state) {
    sScene->ScaleTo(int(state.range(0)), ++step % 2 + 1);
    if (!sScene->GetPicture().IsShowingStandIn(1)) state.SkipWithError("no stand-in shown");
    sScene->Render();
  }
}
BENCHMARK(BM_FrameWhileResizing)->ArgsProduct({{std::begin(kScales), std::end(kScales)}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  UMainWindowClasses::RegisterClasses();
  LEventDispatcher dispatcher;
  CPictureScene scene;
  sScene = &scene;

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  sScene = nullptr;
  return 0;
}
