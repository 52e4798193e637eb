// Every layout of the editor builds, with the classes the application registers: each window
// and dialog, and every panel of every multi-panel view in them, so that a misspelt key or a
// pane ID used twice in a panel fails here rather than at a user's first click on it.
#include "EditorTestSupport.h"

#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LWindow.h"
#include "framework/ui/UJSONResources.h"
#include "framework/ui/UReanimator.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <memory>
#include <set>

namespace kvxtest {
namespace {

const QString kLayouts = QStringLiteral("layouts");

std::set<ResIDT> layoutResources() {
  std::set<ResIDT> ids;
  const QStringList files = QDir(QStringLiteral(":/layouts")).entryList({"*.json"}, QDir::Files);
  for (const QString& file : files) {
    bool ok = false;
    const int id = QFileInfo(file).completeBaseName().toInt(&ok);
    EXPECT_TRUE(ok) << "a layout named by no ID: " << file.toStdString();
    if (ok) ids.insert(static_cast<ResIDT>(id));
  }
  return ids;
}

// The layout IDs that a "panels" list anywhere in `value` names.
void collectPanelIDs(const QJsonValue& value, std::set<ResIDT>& ids) {
  if (value.isArray()) {
    for (const QJsonValue& item : value.toArray()) collectPanelIDs(item, ids);
    return;
  }
  if (!value.isObject()) return;
  const QJsonObject node = value.toObject();
  for (const QJsonValue& panel : node.value(QLatin1String("panels")).toArray()) {
    if (panel.isDouble()) ids.insert(static_cast<ResIDT>(panel.toInt()));
  }
  for (const QJsonValue& child : node) collectPanelIDs(child, ids);
}

// Makes every panel of every multi-panel view in `window`, panels inside panels too, and
// notes the panel layouts reached.
void buildEveryPanel(LWindow& window, std::set<ResIDT>& reached) {
  std::set<LMultiPanelView*> done;
  for (bool more = true; more;) {
    more = false;
    for (LMultiPanelView* view : window.GetPanesOfClass<LMultiPanelView>()) {
      if (!done.insert(view).second) continue;
      more = true;
      for (std::int16_t panel = 1; panel <= view->GetPanelCount(); ++panel) {
        SCOPED_TRACE("panel " + std::to_string(panel));
        try {
          view->CreatePanel(panel);
        } catch (const LException& error) {
          ADD_FAILURE() << error.what();
        }
        const QJsonValue& source = view->GetPanelLayouts()[static_cast<std::size_t>(panel - 1)];
        if (source.isDouble()) reached.insert(static_cast<ResIDT>(source.toInt()));
      }
    }
  }
}

class EveryLayout : public EditorTest {};

TEST_F(EveryLayout, BuildsWithAllItsPanelsAndEveryLayoutIsReached) {
  StartEditor();
  const std::set<ResIDT> layouts = layoutResources();
  ASSERT_FALSE(layouts.empty());
  std::set<ResIDT> panels;
  for (ResIDT id : layouts) collectPanelIDs(UJSONResources::Read(kLayouts, id), panels);

  std::set<ResIDT> reached;
  for (ResIDT id : layouts) {
    if (panels.contains(id)) continue;
    SCOPED_TRACE("layout " + std::to_string(id));
    std::unique_ptr<LPane> root;
    try {
      root.reset(UReanimator::CreateView(id, nullptr, mApp.get()));
    } catch (const LException& error) {
      ADD_FAILURE() << error.what();
      continue;
    }
    auto* window = dynamic_cast<LWindow*>(root.get());
    ASSERT_NE(window, nullptr) << "neither a window nor any view's panel";
    reached.insert(id);
    buildEveryPanel(*window, reached);
  }
  EXPECT_EQ(reached, layouts) << "every layout is a window or a panel of one";
}

}  // namespace
}  // namespace kvxtest
