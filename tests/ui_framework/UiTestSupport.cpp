#include "UiTestSupport.h"

#include "framework/ui/UCursor.h"
#include "framework/ui/URegistrar.h"

namespace kvxtest {

std::vector<std::string> CLoggingView::sLog;
int CLoggingView::sLiving = 0;

CLoggingView::CLoggingView(const LPaneData& data)
    : LView(data), mFail(data.GetBool("fail", false)) {
  ++sLiving;
}

void CLoggingView::FinishCreateSelf() {
  auto* top = dynamic_cast<LPane*>(window());
  const bool lastPaneExists = top != nullptr && top->FindPaneByID(99) != nullptr;
  sLog.push_back("finish " + std::to_string(GetPaneID()) + (lastPaneExists ? "" : " early"));
  if (mFail) LException::ThrowException(err_AssertFailed, "told to fail");
}

void CLoggingView::AdjustMouseSelf(Point portPoint, const EventRecord&) {
  PortToLocalPoint(portPoint);
  if (portPoint.h < 10)
    LColorCursor(9001).Set();
  else
    UCursor::SetArrow();
}

void RegisterTestClasses() {
  URegistrar::RegisterClass<CLoggingView>();
  URegistrar::RegisterClass<CCountingWindow>();
}

}  // namespace kvxtest
