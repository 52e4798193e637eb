#include "framework/ui/URegistrar.h"

#include "framework/ui/UQtText.h"

#include <map>

namespace {

std::map<ClassIDT, PaneCreatorFunc>& creators() {
  static std::map<ClassIDT, PaneCreatorFunc> registry;
  return registry;
}

}  // namespace

void URegistrar::RegisterClass(ClassIDT classID, PaneCreatorFunc creator) {
  creators()[classID] = creator;
}

bool URegistrar::IsRegistered(ClassIDT classID) { return creators().contains(classID); }

LPane* URegistrar::CreateObject(const LPaneData& data) {
  const ClassIDT classID = data.GetClassID();
  const auto found = creators().find(classID);
  if (found == creators().end()) {
    data.Fail(
        QStringLiteral("no pane class is registered as '%1'").arg(UQtText::CodeText(classID)));
  }
  return found->second(data);
}
