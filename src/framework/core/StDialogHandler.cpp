#include "framework/core/StDialogHandler.h"

#include "framework/core/EventRecord.h"
#include "framework/core/LException.h"
#include "framework/core/LPeriodical.h"
#include "framework/core/TickCount.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

LDialogHost* sHost = nullptr;

std::int32_t clampToRange(std::int32_t value, std::int32_t minValue, std::int32_t maxValue) {
  return std::max(minValue, std::min(value, maxValue));
}

}  // namespace

void LDialogProgressBar::SetValue(std::int32_t value) {
  SProgressState next = mState;
  next.value = value;
  Change(next);
}

void LDialogProgressBar::SetMinValue(std::int32_t minValue) {
  SProgressState next = mState;
  next.minValue = minValue;
  Change(next);
}

void LDialogProgressBar::SetMaxValue(std::int32_t maxValue) {
  SProgressState next = mState;
  next.maxValue = maxValue;
  Change(next);
}

void LDialogProgressBar::SetIndeterminateFlag(bool indeterminate) {
  SProgressState next = mState;
  next.indeterminate = indeterminate;
  Change(next);
}

void LDialogProgressBar::Change(SProgressState next) {
  next.value = clampToRange(next.value, next.minValue, next.maxValue);
  if (next == mState) return;
  mState = next;
  mDialog.ProgressChanged(mPaneID, mState);
}

LModalDialog::LModalDialog(ResIDT layoutID, std::unique_ptr<LDialogView> view)
    : mLayoutID(layoutID), mView(std::move(view)) {}

void LModalDialog::Show() {
  if (mView == nullptr || mVisible) return;
  mView->Show();
  mVisible = true;
}

void LModalDialog::Close() {
  mView.reset();
  mVisible = false;
}

LDialogProgressBar& LModalDialog::FindProgressBar(PaneIDT paneID) {
  return mProgressBars.try_emplace(paneID, *this, paneID).first->second;
}

void LModalDialog::SetCaption(PaneIDT paneID, const std::string& text) {
  if (mView != nullptr) mView->CaptionChanged(paneID, text);
}

void LModalDialog::ShowPane(PaneIDT paneID, bool shown) {
  if (mView != nullptr) mView->PaneShown(paneID, shown);
}

MessageT LModalDialog::ProcessEvents() {
  return mView != nullptr ? mView->ProcessEvents() : msg_Nothing;
}

void LModalDialog::ProgressChanged(PaneIDT paneID, const SProgressState& state) {
  if (mView != nullptr) mView->ProgressChanged(paneID, state);
}

StDialogHandler::StDialogHandler(ResIDT layoutID, LCommander* superCommander) {
  LDialogHost* host = sHost;
  if (host == nullptr) {
    LException::ThrowException(err_NilPointer, "no dialog host for dialog " +
                                                   std::to_string(layoutID));
  }
  mDialog = std::make_unique<LModalDialog>(layoutID, host->OpenDialog(layoutID, superCommander));
  ThrowIfNot(mDialog->IsOpen(), "the dialog host could not open the dialog");
}

StDialogHandler::~StDialogHandler() = default;

MessageT StDialogHandler::DoDialog() {
  if (mDialog->IsOpen() && !mDialog->IsVisible()) mDialog->Show();
  EventRecord idle;
  idle.when = TickCount();
  LPeriodical::DevoteTimeToRepeaters(idle);
  LPeriodical::DevoteTimeToIdlers(idle);
  return mDialog->ProcessEvents();
}

LDialogHost* StDialogHandler::SetHost(LDialogHost* host) {
  LDialogHost* previous = sHost;
  sHost = host;
  return previous;
}

LDialogHost* StDialogHandler::GetHost() { return sHost; }
