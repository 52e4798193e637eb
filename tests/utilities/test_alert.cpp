#include "framework/core/LString.h"
#include "framework/core/UModalAlerts.h"
#include "framework/core/UStringLists.h"
#include "utilities/UAlert.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records what the alert saw of the program's state while it was up.
class CProbePresenter : public LAlertPresenter {
 public:
  void CautionAlert(ResIDT alertID, const std::string& message) override {
    mAlertIDs.push_back(alertID);
    mMessages.push_back(message);
    mAlertingDuringAlert = UAlert::IsAlerting();
    if (mThrow) throw std::runtime_error("presenter failed");
  }
  bool IsFrontProcess(bool bringToFront) override {
    bool was = mInFront;
    if (bringToFront) mInFront = true;
    return was;
  }
  void Resume() override { ++mResumes; }

  std::vector<ResIDT> mAlertIDs;
  std::vector<std::string> mMessages;
  bool mAlertingDuringAlert = false;
  bool mInFront = true;
  bool mThrow = false;
  int mResumes = 0;
};

}  // namespace

TEST(UAlert, IsAlertingOnlyWhileTheAlertIsUp) {
  CProbePresenter presenter;
  StAlertPresenter installed(&presenter);
  EXPECT_FALSE(UAlert::IsAlerting());
  UAlert::ErrorAlert(LStr255("Something went wrong"));
  EXPECT_TRUE(presenter.mAlertingDuringAlert);
  EXPECT_FALSE(UAlert::IsAlerting());
  ASSERT_EQ(presenter.mMessages.size(), 1u);
  EXPECT_EQ(presenter.mMessages[0], "Something went wrong");
  EXPECT_EQ(presenter.mAlertIDs[0], ALRT_Caution);
}

TEST(UAlert, MessagesComeFromTheErrorList) {
  CProbePresenter presenter;
  StAlertPresenter installed(&presenter);
  for (std::int16_t index = err_HelpFailed; index <= err_NotOldPatchFile; ++index) {
    SCOPED_TRACE(index);
    UAlert::ErrorAlert(STRx_Errors, index);
    const std::string expected = UStringLists::GetIndString(STRx_Errors, index);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(presenter.mMessages.back(), expected);
  }
}

TEST(UAlert, BackgroundProgramIsBroughtForwardAndResumed) {
  struct Row {
    const char* name;
    bool inFront;
    int resumes;
  };
  for (const Row& row : {Row{"in front", true, 0}, Row{"in the background", false, 1}}) {
    SCOPED_TRACE(row.name);
    CProbePresenter presenter;
    presenter.mInFront = row.inFront;
    StAlertPresenter installed(&presenter);
    UAlert::ErrorAlert(STRx_Errors, err_SaveFailed);
    EXPECT_TRUE(presenter.mInFront);
    EXPECT_EQ(presenter.mResumes, row.resumes);
  }
}

TEST(UAlert, AFailingPresenterIsSwallowedAndClearsTheFlag) {
  CProbePresenter presenter;
  presenter.mThrow = true;
  StAlertPresenter installed(&presenter);
  EXPECT_NO_THROW(UAlert::ErrorAlert(STRx_Errors, err_NotMidiFile));
  EXPECT_TRUE(presenter.mAlertingDuringAlert);
  EXPECT_FALSE(UAlert::IsAlerting());
}
