// A dialog host for tests: every dialog answers from a script, one message per turn, and
// records what the core did with it.
#pragma once

#include "framework/core/StDialogHandler.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CScriptedDialogHost final : public LDialogHost {
 public:
  struct SDialogRecord {
    ResIDT layoutID = 0;
    bool shown = false;
    bool closed = false;
    int turns = 0;
    std::vector<std::pair<PaneIDT, SProgressState>> progress;  // every change, in order
    std::vector<std::pair<PaneIDT, std::string>> captions;      // every change, in order
    std::vector<std::pair<PaneIDT, bool>> shownPanes;           // every change, in order
  };

  // The answers of the next dialogs with layout `layoutID`, one per turn; msg_Nothing after.
  void Script(ResIDT layoutID, std::vector<MessageT> answers) {
    mScripts[layoutID] = std::deque<MessageT>(answers.begin(), answers.end());
  }

  // Called at every turn of every dialog, before the answer is taken.
  std::function<void(SDialogRecord&)> onTurn;

  const std::deque<SDialogRecord>& Dialogs() const { return mDialogs; }

  std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID, LCommander*) override {
    mDialogs.emplace_back().layoutID = layoutID;
    return std::make_unique<CView>(*this, mDialogs.back());
  }

 private:
  class CView final : public LDialogView {
   public:
    CView(CScriptedDialogHost& host, SDialogRecord& record) : mHost(host), mRecord(record) {}
    ~CView() override { mRecord.closed = true; }
    void Show() override { mRecord.shown = true; }
    void ProgressChanged(PaneIDT paneID, const SProgressState& state) override {
      mRecord.progress.emplace_back(paneID, state);
    }
    void CaptionChanged(PaneIDT paneID, const std::string& text) override {
      mRecord.captions.emplace_back(paneID, text);
    }
    void PaneShown(PaneIDT paneID, bool shown) override {
      mRecord.shownPanes.emplace_back(paneID, shown);
    }
    MessageT ProcessEvents() override {
      ++mRecord.turns;
      if (mHost.onTurn) mHost.onTurn(mRecord);
      auto& script = mHost.mScripts[mRecord.layoutID];
      if (script.empty()) return msg_Nothing;
      const MessageT answer = script.front();
      script.pop_front();
      return answer;
    }

   private:
    CScriptedDialogHost& mHost;
    SDialogRecord& mRecord;
  };

  std::map<ResIDT, std::deque<MessageT>> mScripts;
  std::deque<SDialogRecord> mDialogs;  // a deque keeps the records in place
};
