// The undo history of one patch: each user action that changes the patch is one step, kept as
// the patch before and after it (a patch is under 9 KB, so whole copies are cheap and exact).
//   - A step runs between BeginStep and EndStep; pairs nest, and only the outermost pair makes
//     a step, so an action made of many changes (a request: the emptying and every dump) is
//     undone at once. A step that changed nothing is not kept. StPatchStep brackets a scope.
//   - Steps begun with `coalesce` (typing) join the step before while nothing else came
//     between: a run of typing is one step. A run that ends where it began leaves no step.
//   - At most kMaxSteps steps are kept; the oldest goes first.
//   - Each state also carries the document's file and the patch's modified flag, so undoing a
//     load brings back the document that was open, and undoing back to the saved state makes
//     the patch unmodified again. The document tells the history its file (SetFile) and when
//     it saved (MarkSaved).
//   - Undo and Redo restore the patch through CPatch::RestoreSnapshot, which announces every
//     restored record and the title to the patch's listeners.
// Main thread only, like the patch.
#pragma once

#include "document/CPatch.h"
#include "framework/core/FSSpec.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

class CPatchHistory {
 public:
  static constexpr std::size_t kMaxSteps = 100;

  explicit CPatchHistory(CPatch& patch);
  CPatchHistory(const CPatchHistory&) = delete;
  CPatchHistory& operator=(const CPatchHistory&) = delete;

  // Forgets every step: the patch as it is now, with `file`, is where the history starts.
  void Reset(const FSSpec& file = FSSpec());

  void BeginStep(const std::string& name, bool coalesce = false);
  void EndStep();
  bool IsInStep() const { return mDepth > 0; }
  // The open step puts another document in place of this one (a load, an import): saving
  // afterwards concerns only the states from here on.
  void MarkNewDocument() { mOpenStep.newDocument = true; }
  // The next typing starts a step of its own.
  void EndTyping() { mTypingOpen = false; }

  bool CanUndo() const { return !mUndo.empty() && mDepth == 0; }
  bool CanRedo() const { return !mRedo.empty() && mDepth == 0; }
  // The name of the step Undo or Redo would take back or do again; empty when there is none.
  std::string GetUndoName() const;
  std::string GetRedoName() const;
  std::size_t GetUndoCount() const { return mUndo.size(); }
  std::size_t GetRedoCount() const { return mRedo.size(); }
  // False when there was nothing to undo or redo.
  bool Undo();
  bool Redo();

  // The document's file in the present state (empty: untitled).
  const FSSpec& GetFile() const { return mFile; }
  void SetFile(const FSSpec& file) { mFile = file; }
  // The patch was saved into `file`: the present state is the saved one, unmodified; every
  // other state of the same document (back and forth up to a step that brought another
  // document) is modified, and now belongs to `file`.
  void MarkSaved(const FSSpec& file);

 private:
  struct SState {
    CPatch::SSnapshot patch;
    FSSpec file;
    bool operator==(const SState&) const = default;
  };
  struct SStep {
    std::string name;
    SState before;
    SState after;
    bool newDocument = false;
  };

  SState TakeState() const;
  void Restore(const SState& state);
  void Push(SStep step);
  static void MarkState(SState& state, const FSSpec& file, bool saved);

  CPatch& mPatch;
  std::deque<SStep> mUndo;   // oldest first
  std::vector<SStep> mRedo;  // the next to redo last
  FSSpec mFile;
  int mDepth = 0;
  SStep mOpenStep;
  bool mOpenCoalesce = false;
  bool mTypingOpen = false;  // the last step is typing that the next typing joins
};

// One step for the scope: BeginStep at construction, EndStep at destruction (also when an
// exception leaves). A null history makes no step.
class StPatchStep {
 public:
  StPatchStep(CPatchHistory* history, const std::string& name, bool coalesce = false);
  ~StPatchStep();
  StPatchStep(const StPatchStep&) = delete;
  StPatchStep& operator=(const StPatchStep&) = delete;

 private:
  CPatchHistory* mHistory;
};
