#include "framework/ui/UReanimator.h"

#include "framework/core/LBroadcaster.h"
#include "framework/core/LCommander.h"
#include "framework/core/LListener.h"
#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LPaneData.h"
#include "framework/ui/LView.h"
#include "framework/ui/UJSONResources.h"
#include "framework/ui/UQtText.h"
#include "framework/ui/URegistrar.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QJsonArray>

#include <map>
#include <set>
#include <string_view>
#include <vector>

namespace {

const QString kLayouts = QStringLiteral("layouts");
const QString kLists = QStringLiteral("layouts/lists");

Qt::Alignment parseAlignment(const LPaneData& data) {
  Qt::Alignment alignment;
  const QString text = data.GetString("align");
  if (text.isEmpty()) return alignment;
  for (const QString& part : text.split(QLatin1Char('|'))) {
    const QString word = part.trimmed();
    if (word == QLatin1String("left"))
      alignment |= Qt::AlignLeft;
    else if (word == QLatin1String("right"))
      alignment |= Qt::AlignRight;
    else if (word == QLatin1String("hcenter"))
      alignment |= Qt::AlignHCenter;
    else if (word == QLatin1String("top"))
      alignment |= Qt::AlignTop;
    else if (word == QLatin1String("bottom"))
      alignment |= Qt::AlignBottom;
    else if (word == QLatin1String("vcenter"))
      alignment |= Qt::AlignVCenter;
    else if (word == QLatin1String("center"))
      alignment |= Qt::AlignCenter;
    else
      data.Fail(QStringLiteral("unknown alignment '%1'").arg(word));
  }
  return alignment;
}

void applySpacing(QLayout* layout, const LPaneData& data, int defaultMargin) {
  if (data.Has("spacing")) layout->setSpacing(data.GetInt("spacing", 0));
  if (data.Has("margins")) {
    if (data.Value("margins").isArray()) {
      const QRect m = data.GetRect("margins");  // [left, top, right, bottom]
      layout->setContentsMargins(m.x(), m.y(), m.width(), m.height());
    } else {
      const int all = data.GetInt("margins", 0);
      layout->setContentsMargins(all, all, all, all);
    }
  } else if (defaultMargin >= 0) {
    layout->setContentsMargins(defaultMargin, defaultMargin, defaultMargin, defaultMargin);
  }
}

// "panes[2]" below `path`.
QString childPath(const QString& path, const QString& key, int index) {
  const QString child = QStringLiteral("%1[%2]").arg(key).arg(index);
  return path.isEmpty() ? child : path + QLatin1Char('.') + child;
}

QString cellPath(const QString& path, const QString& key, int row, int column) {
  return childPath(path, key, row) + QStringLiteral("[%1]").arg(column);
}

// Where a pane of a layout is, for messages: "layout 2000: panes[3] (pane 4)".
std::string placeOf(ResIDT layoutID, const QString& path, PaneIDT paneID) {
  std::string place = "layout " + std::to_string(layoutID);
  if (!path.isEmpty()) place += ": " + path.toStdString();
  return place + " (pane " + std::to_string(paneID) + ")";
}

// Runs `action`; a framework exception that names no layout (a pane's own failure, such as a
// missing picture) leaves with the layout and the pane in front of its message.
template <typename Action>
auto withContext(ResIDT layoutID, const QString& path, PaneIDT paneID, Action&& action)
    -> decltype(action()) {
  try {
    return action();
  } catch (const LException& error) {
    if (std::string_view(error.what()).starts_with("layout " + std::to_string(layoutID))) throw;
    LException::ThrowException(error.GetErrorCode(),
                               placeOf(layoutID, path, paneID) + ": " + error.what());
  }
}

// Whether `pane` lies in a panel of a multi-panel view that does not hold `view`: the panels
// of a view are built one at a time, each with pane IDs of its own.
bool inOtherPanel(const QWidget* pane, const QWidget* view) {
  for (const QWidget* up = pane; up != nullptr && !up->isWindow(); up = up->parentWidget()) {
    const bool isPanel = dynamic_cast<const LMultiPanelView*>(up->parentWidget()) != nullptr;
    if (isPanel && up != view && !up->isAncestorOf(view)) return true;
  }
  return false;
}

// The pane IDs that panes made inside `view` would share a search with: those of its window,
// except the panes of panels that do not hold `view`.
std::set<PaneIDT> paneIDsAround(LView* view) {
  std::set<PaneIDT> ids;
  if (view == nullptr) return ids;
  QWidget* top = view->window();
  QList<LPane*> panes = top->findChildren<LPane*>();
  if (auto* topPane = dynamic_cast<LPane*>(top)) panes.push_back(topPane);
  for (const LPane* pane : panes) {
    if (pane->window() != top || pane->GetPaneID() == 0 || inOtherPanel(pane, view)) continue;
    ids.insert(pane->GetPaneID());
  }
  return ids;
}

// Builds one layout's panes and remembers the order in which they must finish. Every node is
// checked for keys nobody reads, and pane IDs must be unique in the build and differ from
// those of the panes around it (see paneIDsAround).
class CLayoutBuilder {
 public:
  explicit CLayoutBuilder(ResIDT layoutID) : mLayoutID(layoutID) {}

  LPane* Build(const QJsonObject& node, LView* superView, LCommander* superCommander,
               const QString& path) {
    try {
      mIDsAround = paneIDsAround(superView);
      LPane* root = BuildPane(LPaneData(node, superView, superCommander, mLayoutID, path));
      for (const SMade& made : mFinishOrder) {
        withContext(mLayoutID, made.path, made.pane->GetPaneID(),
                    [&made] { made.pane->FinishCreate(); });
      }
      return root;
    } catch (...) {
      delete mRoot;  // its sub-panes go with it
      throw;
    }
  }

 private:
  LPaneData DataOf(const QJsonValue& node, LView* view, LCommander* commander,
                   const QString& path) const {
    return LPaneData(node.toObject(), view, commander, mLayoutID, path);
  }

  LPane* BuildPane(const LPaneData& data) {
    const PaneIDT paneID = data.GetPaneID();
    LPane* pane = withContext(mLayoutID, data.GetPath(), paneID,
                              [&data] { return URegistrar::CreateObject(data); });
    if (mRoot == nullptr) mRoot = pane;
    ClaimPaneID(data, paneID);
    auto* view = dynamic_cast<LView*>(pane);
    if (view != nullptr && view->AcceptsSubPanes()) {
      auto* commander = dynamic_cast<LCommander*>(pane);
      BuildContents(view, data, commander != nullptr ? commander : data.GetSuperCommander());
    } else if (data.Has("panes")) {
      data.Fail(QStringLiteral("this class holds no panes"));
    }
    data.FailOnUnreadKeys();
    mFinishOrder.push_back({pane, data.GetPath()});
    return pane;
  }

  void ClaimPaneID(const LPaneData& data, PaneIDT paneID) {
    if (paneID == 0) return;
    const QString id = UQtText::CodeText(static_cast<std::uint32_t>(paneID));
    if (mIDsAround.contains(paneID))
      data.Fail(QStringLiteral("pane ID %1 is used by a pane around this layout").arg(id));
    const auto [first, added] = mPaneIDs.emplace(paneID, data.GetPath());
    if (!added) {
      data.Fail(QStringLiteral("pane ID %1 is used twice (first at %2)")
                    .arg(id, first->second.isEmpty() ? QStringLiteral("the root") : first->second));
    }
  }

  void BuildContents(LView* view, const LPaneData& data, LCommander* commander) {
    if (!data.Has("panes")) return;
    const QJsonValue panes = data.Value("panes");
    if (!panes.isArray()) data.Fail(QStringLiteral("'panes' must be a list"));
    const QString kind = data.GetString("layout", QStringLiteral("column"));
    const bool framed =
        view->isWindow() || qobject_cast<QGroupBox*>(view->GetContentWidget()) != nullptr;
    const int defaultMargin = framed ? -1 : 0;
    const QString& path = data.GetPath();
    if (kind == QLatin1String("fixed")) {
      int index = 0;
      for (const QJsonValue& item : panes.toArray()) {
        CheckPaneNode(item, data);
        BuildPane(DataOf(item, view, commander, childPath(path, QStringLiteral("panes"), index++)));
      }
    } else if (kind == QLatin1String("column") || kind == QLatin1String("row")) {
      auto* box = new QBoxLayout(kind == QLatin1String("row") ? QBoxLayout::LeftToRight
                                                              : QBoxLayout::TopToBottom);
      view->SetContentLayout(box);
      applySpacing(box, data, defaultMargin);
      AddAllToBox(box, panes.toArray(), QStringLiteral("panes"), view, commander, data);
    } else if (kind == QLatin1String("grid")) {
      auto* grid = new QGridLayout;
      view->SetContentLayout(grid);
      FillGrid(grid, data, panes.toArray(), QStringLiteral("panes"), view, commander);
      applySpacing(grid, data, defaultMargin);
    } else {
      data.Fail(QStringLiteral("unknown layout '%1'").arg(kind));
    }
  }

  static void CheckPaneNode(const QJsonValue& item, const LPaneData& owner) {
    if (!item.isObject() || !item.toObject().contains(QLatin1String("class")))
      owner.Fail(QStringLiteral("the panes of a fixed layout must be pane nodes"));
  }

  // A pane or a nested layout; the caller adds it.
  struct SItem {
    QWidget* widget = nullptr;
    QLayout* layout = nullptr;
  };

  SItem BuildItem(const LPaneData& data, const LPaneData& owner) {
    const QJsonObject& node = data.GetNode();
    if (node.contains(QLatin1String("class"))) return {BuildPane(data), nullptr};
    LView* view = data.GetSuperView();
    LCommander* commander = data.GetSuperCommander();
    for (const char* direction : {"row", "column"}) {
      if (!node.contains(QLatin1String(direction))) continue;
      const QJsonValue items = data.Value(direction);
      if (!items.isArray())
        data.Fail(QStringLiteral("'%1' must be a list").arg(QLatin1String(direction)));
      auto* box =
          new QBoxLayout(direction[0] == 'r' ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
      StLayoutOwner owned(box);
      applySpacing(box, data, 0);
      AddAllToBox(box, items.toArray(), QLatin1String(direction), view, commander, data);
      data.FailOnUnreadKeys();
      return {nullptr, owned.Release()};
    }
    if (node.contains(QLatin1String("grid"))) {
      const QJsonValue rows = data.Value("grid");
      if (!rows.isArray()) data.Fail(QStringLiteral("'grid' must be a list of rows"));
      auto* grid = new QGridLayout;
      StLayoutOwner owned(grid);
      FillGrid(grid, data, rows.toArray(), QStringLiteral("grid"), view, commander);
      applySpacing(grid, data, 0);
      data.FailOnUnreadKeys();
      return {nullptr, owned.Release()};
    }
    owner.Fail(QStringLiteral("an item must be a pane node, a row, a column or a grid"));
  }

  void AddAllToBox(QBoxLayout* box, const QJsonArray& items, const QString& key, LView* view,
                   LCommander* commander, const LPaneData& owner) {
    int index = 0;
    for (const QJsonValue& item : items)
      AddToBox(box, item, view, commander, owner, childPath(owner.GetPath(), key, index++));
  }

  void AddToBox(QBoxLayout* box, const QJsonValue& value, LView* view, LCommander* commander,
                const LPaneData& owner, const QString& path) {
    if (!value.isObject()) owner.Fail(QStringLiteral("layout items must be objects"));
    const LPaneData data = DataOf(value, view, commander, path);
    const QJsonObject& node = data.GetNode();
    const bool isPaneOrLayout =
        node.contains(QLatin1String("class")) || node.contains(QLatin1String("row")) ||
        node.contains(QLatin1String("column")) || node.contains(QLatin1String("grid"));
    if (!isPaneOrLayout && node.contains(QLatin1String("stretch"))) {
      box->addStretch(data.GetInt("stretch", 1));
      data.FailOnUnreadKeys();
      return;
    }
    if (!isPaneOrLayout && node.contains(QLatin1String("space"))) {
      box->addSpacing(data.GetInt("space", 0));
      data.FailOnUnreadKeys();
      return;
    }
    const int stretch = data.GetInt("stretch", 0);
    const Qt::Alignment alignment = parseAlignment(data);
    const SItem item = BuildItem(data, owner);
    if (item.widget != nullptr) {
      box->addWidget(item.widget, stretch, alignment);
    } else {
      box->addLayout(item.layout, stretch);
      if (alignment) box->setAlignment(item.layout, alignment);
    }
  }

  void FillGrid(QGridLayout* grid, const LPaneData& data, const QJsonArray& rows,
                const QString& key, LView* view, LCommander* commander) {
    int row = 0;
    for (const QJsonValue& cells : rows) {
      if (!cells.isArray()) data.Fail(QStringLiteral("each row of a grid must be a list of cells"));
      int column = 0;
      int index = 0;
      for (const QJsonValue& cell : cells.toArray()) {
        const QString path = cellPath(data.GetPath(), key, row, index++);
        if (cell.isNull()) {
          ++column;
          continue;
        }
        if (!cell.isObject()) data.Fail(QStringLiteral("grid cells must be objects or null"));
        const LPaneData cellData = DataOf(cell, view, commander, path);
        const int span = cellData.GetInt("span", 1);
        const int rowSpan = cellData.GetInt("rowSpan", 1);
        if (span < 1 || rowSpan < 1) cellData.Fail(QStringLiteral("spans must be at least 1"));
        const Qt::Alignment alignment = parseAlignment(cellData);
        const SItem item = BuildItem(cellData, data);
        if (item.widget != nullptr) {
          grid->addWidget(item.widget, row, column, rowSpan, span, alignment);
        } else {
          grid->addLayout(item.layout, row, column, rowSpan, span, alignment);
        }
        column += span;
      }
      ++row;
    }
    SetStretches(data, "columnStretch", [grid](int i, int s) { grid->setColumnStretch(i, s); });
    SetStretches(data, "rowStretch", [grid](int i, int s) { grid->setRowStretch(i, s); });
  }

  template <typename Setter>
  static void SetStretches(const LPaneData& data, const char* key, Setter set) {
    if (!data.Has(key)) return;
    const QJsonValue value = data.Value(key);
    if (!value.isArray())
      data.Fail(QStringLiteral("'%1' must be a list of numbers").arg(QLatin1String(key)));
    int index = 0;
    for (const QJsonValue& stretch : value.toArray()) {
      bool ok = false;
      const int factor = stretch.isDouble() ? LPaneData::ParseCode(stretch, &ok) : 0;
      if (!ok || factor < 0)
        data.Fail(QStringLiteral("'%1' must be a list of numbers").arg(QLatin1String(key)));
      set(index++, factor);
    }
  }

  // Deletes a nested layout that never reached its parent layout.
  class StLayoutOwner {
   public:
    explicit StLayoutOwner(QLayout* layout) : mLayout(layout) {}
    ~StLayoutOwner() { delete mLayout; }
    StLayoutOwner(const StLayoutOwner&) = delete;
    StLayoutOwner& operator=(const StLayoutOwner&) = delete;
    QLayout* Release() { return std::exchange(mLayout, nullptr); }

   private:
    QLayout* mLayout;
  };

  struct SMade {
    LPane* pane;
    QString path;
  };

  ResIDT mLayoutID;
  LPane* mRoot = nullptr;
  std::vector<SMade> mFinishOrder;
  std::map<PaneIDT, QString> mPaneIDs;  // the path of the pane with each ID
  std::set<PaneIDT> mIDsAround;
};

}  // namespace

LPane* UReanimator::CreateView(ResIDT layoutID, LView* superView, LCommander* superCommander) {
  return CreateFromNode(UJSONResources::Read(kLayouts, layoutID), layoutID, superView,
                        superCommander);
}

LPane* UReanimator::CreateFromNode(const QJsonObject& node, ResIDT layoutID, LView* superView,
                                   LCommander* superCommander, const QString& path) {
  return CLayoutBuilder(layoutID).Build(node, superView, superCommander, path);
}

void UReanimator::DeleteWrongRoot(LPane* root, ResIDT layoutID) {
  delete root;
  LException::ThrowException(err_ResourceData, "layout " + std::to_string(layoutID) +
                                                   ": the root pane is not of the class expected");
}

void UReanimator::LinkListenerToControls(LListener* listener, LView* view, ResIDT listID) {
  const QJsonObject list = UJSONResources::Read(kLists, listID);
  const LPaneData data(list, view, nullptr, listID);
  const QJsonValue panes = data.Value("panes");
  if (!panes.isArray())
    data.Fail(QStringLiteral("a resource list needs 'panes', a list of pane IDs"));
  for (const QJsonValue& value : panes.toArray()) {
    bool ok = false;
    const PaneIDT paneID = LPaneData::ParseCode(value, &ok);
    if (!ok) data.Fail(QStringLiteral("pane IDs must be numbers or four-character codes"));
    auto* broadcaster = dynamic_cast<LBroadcaster*>(view->FindPaneByID(paneID));
    if (broadcaster == nullptr) {
      data.Fail(QStringLiteral("pane %1 is missing or does not broadcast")
                    .arg(UQtText::CodeText(static_cast<std::uint32_t>(paneID))));
    }
    broadcaster->AddListener(listener);
  }
}
