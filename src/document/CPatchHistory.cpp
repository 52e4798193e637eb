#include "document/CPatchHistory.h"

CPatchHistory::CPatchHistory(CPatch& patch) : mPatch(patch) {}

void CPatchHistory::Reset(const FSSpec& file) {
  mUndo.clear();
  mRedo.clear();
  mFile = file;
  mDepth = 0;
  mTypingOpen = false;
}

CPatchHistory::SState CPatchHistory::TakeState() const { return {mPatch.TakeSnapshot(), mFile}; }

void CPatchHistory::Restore(const SState& state) {
  mFile = state.file;
  mPatch.RestoreSnapshot(state.patch);
}

void CPatchHistory::BeginStep(const std::string& name, bool coalesce) {
  if (mDepth++ > 0) return;
  mOpenStep = SStep{name, TakeState(), {}, false};
  mOpenCoalesce = coalesce;
}

void CPatchHistory::EndStep() {
  if (mDepth == 0 || --mDepth > 0) return;
  SStep step = std::move(mOpenStep);
  step.after = TakeState();
  const bool joins = mOpenCoalesce && mTypingOpen && mRedo.empty() && !mUndo.empty() &&
                     mUndo.back().name == step.name;
  if (joins) {
    mUndo.back().after = std::move(step.after);
    // Typed and typed away again: the run changed nothing.
    if (mUndo.back().after == mUndo.back().before) {
      mUndo.pop_back();
      mTypingOpen = false;
    }
    return;
  }
  if (step.after == step.before) return;
  Push(std::move(step));
  mTypingOpen = mOpenCoalesce;
}

void CPatchHistory::Push(SStep step) {
  mUndo.push_back(std::move(step));
  mRedo.clear();
  while (mUndo.size() > kMaxSteps) mUndo.pop_front();
}

std::string CPatchHistory::GetUndoName() const { return CanUndo() ? mUndo.back().name : ""; }

std::string CPatchHistory::GetRedoName() const { return CanRedo() ? mRedo.back().name : ""; }

bool CPatchHistory::Undo() {
  if (!CanUndo()) return false;
  mTypingOpen = false;
  mRedo.push_back(std::move(mUndo.back()));
  mUndo.pop_back();
  Restore(mRedo.back().before);
  return true;
}

bool CPatchHistory::Redo() {
  if (!CanRedo()) return false;
  mTypingOpen = false;
  mUndo.push_back(std::move(mRedo.back()));
  mRedo.pop_back();
  Restore(mUndo.back().after);
  return true;
}

void CPatchHistory::MarkState(SState& state, const FSSpec& file, bool saved) {
  state.file = file;
  state.patch.modified = !saved;
}

void CPatchHistory::MarkSaved(const FSSpec& file) {
  mTypingOpen = false;
  for (auto step = mUndo.rbegin(); step != mUndo.rend(); ++step) {
    MarkState(step->after, file, step == mUndo.rbegin());
    if (step->newDocument) break;
    MarkState(step->before, file, false);
  }
  for (auto step = mRedo.rbegin(); step != mRedo.rend(); ++step) {
    MarkState(step->before, file, step == mRedo.rbegin());
    if (step->newDocument) break;
    MarkState(step->after, file, false);
  }
  mFile = file;
}

StPatchStep::StPatchStep(CPatchHistory* history, const std::string& name, bool coalesce)
    : mHistory(history) {
  if (mHistory != nullptr) mHistory->BeginStep(name, coalesce);
}

StPatchStep::~StPatchStep() {
  if (mHistory != nullptr) mHistory->EndStep();
}
