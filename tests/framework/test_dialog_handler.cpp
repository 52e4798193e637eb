// A modal dialog as its host sees it: shown on the first pass, progress bars reported only
// when they change and always within their range, nothing more once the dialog is closed.
#include "framework/core/StDialogHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

constexpr ResIDT kDialog = 3004;
constexpr PaneIDT kBar = 3;

// Writes what the core does with its dialogs into a log.
class CLoggingHost final : public LDialogHost {
 public:
  std::unique_ptr<LDialogView> OpenDialog(ResIDT, LCommander*) override {
    return std::make_unique<CView>(log);
  }
  std::string log;

 private:
  class CView final : public LDialogView {
   public:
    explicit CView(std::string& log) : mLog(log) {}
    ~CView() override { mLog += "closed;"; }
    void Show() override { mLog += "shown;"; }
    void ProgressChanged(PaneIDT paneID, const SProgressState& state) override {
      mLog += "bar " + std::to_string(paneID) + ": " + std::to_string(state.value) + " in " +
              std::to_string(state.minValue) + ".." + std::to_string(state.maxValue) +
              (state.indeterminate ? " busy;" : ";");
    }
    MessageT ProcessEvents() override {
      mLog += "turn;";
      return msg_Nothing;
    }

   private:
    std::string& mLog;
  };
};

struct SDialogRow {
  const char* name;
  std::function<void(StDialogHandler&, LDialogProgressBar&)> steps;
  const char* log;
};

TEST(StDialogHandler, WhatTheHostIsToldOfTheDialog) {
  const SDialogRow rows[] = {
      {"shown once, on the first pass",
       [](StDialogHandler& dialog, LDialogProgressBar&) {
         dialog.DoDialog();
         dialog.DoDialog();
       },
       "shown;turn;turn;closed;"},
      {"a value beyond the range is clamped",
       [](StDialogHandler&, LDialogProgressBar& bar) {
         bar.SetMaxValue(50);
         bar.SetValue(70);
         bar.SetValue(-3);
       },
       "bar 3: 0 in 0..50;bar 3: 50 in 0..50;bar 3: 0 in 0..50;closed;"},
      {"what changes nothing is not reported",
       [](StDialogHandler&, LDialogProgressBar& bar) {
         bar.SetMaxValue(50);
         bar.SetValue(0);
         bar.SetMinValue(0);
         bar.SetIndeterminateFlag(false);
       },
       "bar 3: 0 in 0..50;closed;"},
      {"a narrower range moves the value into it",
       [](StDialogHandler&, LDialogProgressBar& bar) {
         bar.SetIndeterminateFlag(true);
         bar.SetMaxValue(50);
         bar.SetMinValue(10);
         bar.SetValue(40);
         bar.SetMaxValue(20);
       },
       "bar 3: 0 in 0..0 busy;bar 3: 0 in 0..50 busy;bar 3: 10 in 10..50 busy;"
       "bar 3: 40 in 10..50 busy;bar 3: 20 in 10..20 busy;closed;"},
      {"nothing after closing",
       [](StDialogHandler& dialog, LDialogProgressBar& bar) {
         dialog.GetDialog()->Close();
         bar.SetMaxValue(50);
         EXPECT_EQ(dialog.DoDialog(), msg_Nothing);
       },
       "closed;"},
  };
  for (const SDialogRow& row : rows) {
    SCOPED_TRACE(row.name);
    CLoggingHost host;
    StDialogHost installed(&host);
    {
      StDialogHandler dialog(kDialog, nullptr);
      row.steps(dialog, dialog.GetDialog()->FindProgressBar(kBar));
    }
    EXPECT_EQ(host.log, row.log);
  }
}

}  // namespace
