// The undo history of a patch: every kind of change undone and redone as one step, typing
// runs, the bound, the saved state and what undo announces to the patch's listeners.
#include "document/CPatchHistory.h"

#include "support/PatchTestSupport.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace kvxtest;

namespace {

void SetTitle(CPatch& patch, const std::string& title) {
  Str255 text;
  patch.SetPatchTitle(LString::FromStd(title, text));
}

// Receives the 50 dumps of `source` as a request does, after the emptying.
void Receive(CPatch& patch, const CPatch& source, long count) {
  patch.InitAllParams();
  for (long index = 0; index < count; ++index) {
    const Bytes dump = MakeDump(index, *source.GetParam(index));
    patch.ProcessMessage(dump.data(), static_cast<long>(dump.size()));
  }
}

// A saved patch with a title and a few assignments, unmodified.
void Prepare(CPatch& patch) {
  const SPatchParam cc = MakeRecord(msgType_CC, 2, {7, 0, 127});
  const SPatchParam note = MakeRecord(msgType_Note, 0, {60, 100});
  patch.SetParam(0, &cc);
  patch.SetParam(20, &note);
  SetTitle(patch, "Strings");
  ASSERT_EQ(patch.LoadSMFData(patch.MakeSMFData()), 0);
}

struct SAction {
  const char* name;
  std::function<void(CPatch&)> run;
};

class PatchHistoryActions : public ::testing::TestWithParam<SAction> {};

TEST_P(PatchHistoryActions, UndoRestoresTheStateBeforeAndRedoTheStateAfter) {
  CPatch patch;
  Prepare(patch);
  CPatchHistory& history = patch.GetHistory();
  history.Reset();
  const CPatch::SSnapshot before = patch.TakeSnapshot();

  history.BeginStep(GetParam().name);
  GetParam().run(patch);
  history.EndStep();
  const CPatch::SSnapshot after = patch.TakeSnapshot();
  ASSERT_FALSE(after == before) << "the action changes the patch";
  ASSERT_TRUE(history.CanUndo());
  EXPECT_EQ(history.GetUndoName(), GetParam().name);

  ASSERT_TRUE(history.Undo());
  EXPECT_TRUE(patch.TakeSnapshot() == before);
  EXPECT_FALSE(patch.IsModified());
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.GetRedoName(), GetParam().name);

  ASSERT_TRUE(history.Redo());
  EXPECT_TRUE(patch.TakeSnapshot() == after);
  EXPECT_FALSE(history.CanRedo());
}

const CPatch& OtherPatch() {
  static CPatch other;
  static const bool filled = [] {
    std::mt19937 random(7);
    for (long index = 0; index < kControllerCount; ++index) {
      const SPatchParam record = RandomRecord(random);
      other.SetParam(index, &record);
    }
    return true;
  }();
  (void)filled;
  return other;
}

INSTANTIATE_TEST_SUITE_P(
    EveryChange, PatchHistoryActions,
    ::testing::Values(
        SAction{"Apply Assignment",
                [](CPatch& patch) {
                  const SPatchParam record = MakeRecord(msgType_NRPN, 5, {0, 1, 2, 3, 4});
                  patch.SetParam(0, &record);
                }},
        SAction{"Delete Assignment", [](CPatch& patch) { patch.ClearParam(20); }},
        SAction{"Typing", [](CPatch& patch) { SetTitle(patch, "Brass"); }},
        SAction{"Request from KVX",
                [](CPatch& patch) { Receive(patch, OtherPatch(), kControllerCount); }},
        SAction{"Incomplete Request",
                [](CPatch& patch) {
                  Receive(patch, OtherPatch(), 0);
                  patch.MarkModified();
                }},
        SAction{"Open Dropped File",
                [](CPatch& patch) {
                  ASSERT_EQ(patch.LoadSMFData(OtherPatch().MakeSMFData()), 0);
                }}),
    [](const auto& info) {
      std::string name = info.param.name;
      std::erase(name, ' ');
      return name;
    });

TEST(PatchHistory, NestedStepsAndUnchangedStepsAndTypingRuns) {
  CPatch patch;
  CPatchHistory& history = patch.GetHistory();
  {
    StPatchStep outer(&history, "Request from KVX");
    StPatchStep inner(&history, "Apply Assignment");
    Receive(patch, OtherPatch(), 3);
  }
  EXPECT_EQ(history.GetUndoCount(), 1u);
  EXPECT_EQ(history.GetUndoName(), "Request from KVX");
  { StPatchStep nothing(&history, "Apply Assignment"); }
  EXPECT_EQ(history.GetUndoCount(), 1u) << "a step that changed nothing is not kept";

  for (const char* title : {"B", "Br", "Bra"}) {
    StPatchStep typing(&history, "Typing", true);
    SetTitle(patch, title);
  }
  EXPECT_EQ(history.GetUndoCount(), 2u) << "a run of typing is one step";
  history.EndTyping();
  {
    StPatchStep typing(&history, "Typing", true);
    SetTitle(patch, "Bras");
  }
  EXPECT_EQ(history.GetUndoCount(), 3u) << "typing after a pause is a step of its own";
  {
    StPatchStep typing(&history, "Typing", true);
    SetTitle(patch, "Bra");
  }
  EXPECT_EQ(history.GetUndoCount(), 2u) << "typed and typed away again: no step";
  history.Undo();
  EXPECT_EQ(Text(patch.PatchTitle()), "");
}

TEST(PatchHistory, KeepsTheNewestHundredSteps) {
  CPatch patch;
  CPatchHistory& history = patch.GetHistory();
  for (int k = 1; k <= 120; ++k) {
    StPatchStep step(&history, "Apply Assignment");
    const SPatchParam record = MakeRecord(msgType_CC, 0, {static_cast<std::uint8_t>(k)});
    patch.SetParam(0, &record);
  }
  EXPECT_EQ(history.GetUndoCount(), CPatchHistory::kMaxSteps);
  while (history.Undo()) {
  }
  EXPECT_EQ(patch.GetParam(0)->data[0], 20) << "the state before the oldest kept step";
}

TEST(PatchHistory, UndoingBackToTheSavedStateMakesThePatchUnmodified) {
  StTempFolder folder;
  CPatch patch;
  CPatchHistory& history = patch.GetHistory();
  const FSSpec file = folder.Spec("a.mid");
  const FSSpec renamed = folder.Spec("b.mid");
  history.Reset(file);
  const auto edit = [&](long index) {
    StPatchStep step(&history, "Delete Assignment");
    patch.ClearParam(index);
  };
  edit(1);
  ASSERT_EQ(patch.SaveSMF(renamed), 0);
  history.MarkSaved(renamed);  // Save As
  edit(2);
  const struct {
    const char* name;
    bool (CPatchHistory::*move)();
    bool modified;
  } moves[] = {
      {"undo to the saved state", &CPatchHistory::Undo, false},
      {"undo past it", &CPatchHistory::Undo, true},
      {"redo to it", &CPatchHistory::Redo, false},
      {"redo past it", &CPatchHistory::Redo, true},
  };
  for (const auto& move : moves) {
    SCOPED_TRACE(move.name);
    ASSERT_TRUE((history.*move.move)());
    EXPECT_EQ(patch.IsModified(), move.modified);
    EXPECT_EQ(history.GetFile(), renamed) << "every state of the document has the new file";
  }
}

TEST(PatchHistory, UndoingALoadBringsBackTheFileBefore) {
  CPatch patch;
  CPatchHistory& history = patch.GetHistory();
  const FSSpec first = FSSpec::FromPath("/patches/first.mid");
  const FSSpec dropped = FSSpec::FromPath("/patches/dropped.mid");
  history.Reset(first);
  {
    StPatchStep step(&history, "Open Dropped File");
    ASSERT_EQ(patch.LoadSMFData(OtherPatch().MakeSMFData()), 0);
    history.SetFile(dropped);
    history.MarkNewDocument();
  }
  history.MarkSaved(dropped);
  history.Undo();
  EXPECT_EQ(history.GetFile(), first) << "saving the new document does not rename the old";
  history.Redo();
  EXPECT_EQ(history.GetFile(), dropped);
}

TEST(PatchHistory, UndoAnnouncesEachRestoredRecordAndTheTitle) {
  CPatch patch;
  Prepare(patch);
  CPatchHistory& history = patch.GetHistory();
  {
    StPatchStep step(&history, "Paste Assignment");
    patch.ClearParam(20);
    SetTitle(patch, "Brass");
  }
  CRecordingListener listener(patch, {msg_TitleLoaded});
  history.Undo();
  const auto& messages = listener.Messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].message, msg_PatchChanged);
  EXPECT_EQ(messages[0].index, 20);
  EXPECT_EQ(messages[1].message, msg_ParamLoaded);
  EXPECT_EQ(messages[1].index, 20);
  EXPECT_EQ(messages[2].message, msg_TitleLoaded);
  EXPECT_EQ(messages[2].text, "Strings");
}

}  // namespace
