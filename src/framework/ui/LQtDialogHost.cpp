#include "framework/ui/LQtDialogHost.h"

#include "framework/core/LListener.h"
#include "framework/ui/LControl.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPane.h"
#include "framework/ui/LProgressBar.h"
#include "framework/ui/StTargetKeeper.h"
#include "framework/ui/UReanimator.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace {

constexpr int kTickMilliseconds = 17;  // 1/60 s, rounded up

class CQtDialogView final : public LDialogView, public LListener {
 public:
  explicit CQtDialogView(LDialogBox* dialog) : mDialog(dialog) {
    mDialog->SetHandledModally(true);
    mDialog->setWindowModality(Qt::ApplicationModal);
    for (LControl* control : mDialog->GetPanesOfClass<LControl>()) control->AddListener(this);
  }

  ~CQtDialogView() override {
    if (mLoop != nullptr) mLoop->quit();
    delete mDialog.data();
  }

  CQtDialogView(const CQtDialogView&) = delete;
  CQtDialogView& operator=(const CQtDialogView&) = delete;

  LDialogBox* GetDialogBox() const { return mDialog.data(); }

  void Show() override {
    if (mDialog != nullptr) mDialog->Select();
  }

  void ProgressChanged(PaneIDT paneID, const SProgressState& state) override {
    if (mDialog == nullptr) return;
    auto* bar = mDialog->FindPaneByID<LProgressBar>(paneID);
    if (bar == nullptr) return;
    bar->StopBroadcasting();
    bar->SetIndeterminateFlag(state.indeterminate);
    bar->SetMinValue(state.minValue);
    bar->SetMaxValue(state.maxValue);
    bar->SetValue(state.value);
    bar->StartBroadcasting();
  }

  void CaptionChanged(PaneIDT paneID, const std::string& text) override {
    if (mDialog == nullptr) return;
    if (auto* caption = mDialog->FindPaneByID<LPane>(paneID))
      caption->SetDescriptorText(QString::fromStdString(text));
  }

  void PaneShown(PaneIDT paneID, bool shown) override {
    if (mDialog == nullptr) return;
    if (auto* pane = mDialog->FindPaneByID<LPane>(paneID)) shown ? pane->Show() : pane->Hide();
  }

  MessageT ProcessEvents() override {
    if (mMessage == msg_Nothing && mDialog != nullptr && mLoop == nullptr) {
      QEventLoop loop;
      mLoop = &loop;
      QTimer::singleShot(kTickMilliseconds, &loop, &QEventLoop::quit);
      loop.exec();
      mLoop = nullptr;
    }
    return std::exchange(mMessage, msg_Nothing);
  }

  void ListenToMessage(MessageT message, void*) override {
    if (message == msg_Nothing) return;
    mMessage = message;
    if (mLoop != nullptr) mLoop->quit();
  }

 private:
  StTargetKeeper mKeeper;  // first made, last gone: after the dialog
  QPointer<LDialogBox> mDialog;
  QEventLoop* mLoop = nullptr;
  MessageT mMessage = msg_Nothing;
};

}  // namespace

std::unique_ptr<LDialogView> LQtDialogHost::OpenDialog(ResIDT layoutID,
                                                       LCommander* superCommander) {
  auto* dialog = UReanimator::CreateView<LDialogBox>(layoutID, nullptr, superCommander);
  return std::make_unique<CQtDialogView>(dialog);
}

LDialogBox* LQtDialogHost::GetDialogBox(StDialogHandler& handler) {
  LModalDialog* dialog = handler.GetDialog();
  if (dialog == nullptr) return nullptr;
  auto* view = dynamic_cast<CQtDialogView*>(dialog->GetView());
  return view != nullptr ? view->GetDialogBox() : nullptr;
}
