#include "framework/ui/UReanimator.h"

#include "framework/core/LBroadcaster.h"
#include "framework/core/LCommander.h"
#include "framework/core/LListener.h"
#include "framework/ui/LPaneData.h"
#include "framework/ui/LView.h"
#include "framework/ui/UJSONResources.h"
#include "framework/ui/UQtText.h"
#include "framework/ui/URegistrar.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QJsonArray>

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
    const QJsonValue margins = data.GetNode().value(QLatin1String("margins"));
    if (margins.isArray()) {
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

// Runs `action`; a framework exception that names no layout (a pane's own failure, such as a
// missing picture) leaves with the layout and the pane in front of its message.
template <typename Action>
auto withContext(ResIDT layoutID, PaneIDT paneID, Action&& action) -> decltype(action()) {
  try {
    return action();
  } catch (const LException& error) {
    const std::string prefix = "layout " + std::to_string(layoutID);
    if (std::string_view(error.what()).starts_with(prefix)) throw;
    LException::ThrowException(error.GetErrorCode(),
                               prefix + ", pane " + std::to_string(paneID) + ": " + error.what());
  }
}

// Builds one layout's panes and remembers the order in which they must finish.
class CLayoutBuilder {
 public:
  explicit CLayoutBuilder(ResIDT layoutID) : mLayoutID(layoutID) {}

  LPane* Build(const QJsonObject& node, LView* superView, LCommander* superCommander) {
    try {
      LPane* root = BuildPane(node, superView, superCommander);
      for (LPane* pane : mFinishOrder)
        withContext(mLayoutID, pane->GetPaneID(), [pane] { pane->FinishCreate(); });
      return root;
    } catch (...) {
      delete mRoot;  // its sub-panes go with it
      throw;
    }
  }

 private:
  LPaneData DataOf(const QJsonObject& node, LView* view, LCommander* commander) const {
    return LPaneData(node, view, commander, mLayoutID);
  }

  LPane* BuildPane(const QJsonObject& node, LView* superView, LCommander* superCommander) {
    const LPaneData data = DataOf(node, superView, superCommander);
    LPane* pane = withContext(mLayoutID, data.GetPaneID(),
                              [&data] { return URegistrar::CreateObject(data); });
    if (mRoot == nullptr) mRoot = pane;
    auto* view = dynamic_cast<LView*>(pane);
    if (view != nullptr && view->AcceptsSubPanes()) {
      auto* commander = dynamic_cast<LCommander*>(pane);
      BuildContents(view, data, commander != nullptr ? commander : superCommander);
    } else if (data.Has("panes")) {
      data.Fail(QStringLiteral("this class holds no panes"));
    }
    mFinishOrder.push_back(pane);
    return pane;
  }

  void BuildContents(LView* view, const LPaneData& data, LCommander* commander) {
    if (!data.Has("panes")) return;
    const QJsonValue panes = data.GetNode().value(QLatin1String("panes"));
    if (!panes.isArray()) data.Fail(QStringLiteral("'panes' must be a list"));
    const QString kind = data.GetString("layout", QStringLiteral("column"));
    const bool framed =
        view->isWindow() || qobject_cast<QGroupBox*>(view->GetContentWidget()) != nullptr;
    const int defaultMargin = framed ? -1 : 0;
    if (kind == QLatin1String("fixed")) {
      for (const QJsonValue& item : panes.toArray())
        BuildPane(PaneNode(item, data), view, commander);
    } else if (kind == QLatin1String("column") || kind == QLatin1String("row")) {
      auto* box = new QBoxLayout(kind == QLatin1String("row") ? QBoxLayout::LeftToRight
                                                              : QBoxLayout::TopToBottom);
      view->SetContentLayout(box);
      applySpacing(box, data, defaultMargin);
      for (const QJsonValue& item : panes.toArray()) AddToBox(box, item, view, commander, data);
    } else if (kind == QLatin1String("grid")) {
      auto* grid = new QGridLayout;
      view->SetContentLayout(grid);
      FillGrid(grid, data, panes.toArray(), view, commander);
      applySpacing(grid, data, defaultMargin);
    } else {
      data.Fail(QStringLiteral("unknown layout '%1'").arg(kind));
    }
  }

  QJsonObject PaneNode(const QJsonValue& item, const LPaneData& owner) const {
    if (!item.isObject() || !item.toObject().contains(QLatin1String("class")))
      owner.Fail(QStringLiteral("the panes of a fixed layout must be pane nodes"));
    return item.toObject();
  }

  // A pane or a nested layout; the caller adds it.
  struct SItem {
    QWidget* widget = nullptr;
    QLayout* layout = nullptr;
  };

  SItem BuildItem(const QJsonObject& node, LView* view, LCommander* commander,
                  const LPaneData& owner) {
    const LPaneData data = DataOf(node, view, commander);
    if (node.contains(QLatin1String("class"))) return {BuildPane(node, view, commander), nullptr};
    for (const char* direction : {"row", "column"}) {
      if (!node.contains(QLatin1String(direction))) continue;
      const QJsonValue items = node.value(QLatin1String(direction));
      if (!items.isArray())
        data.Fail(QStringLiteral("'%1' must be a list").arg(QLatin1String(direction)));
      auto* box =
          new QBoxLayout(direction[0] == 'r' ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
      StLayoutOwner owned(box);
      applySpacing(box, data, 0);
      for (const QJsonValue& item : items.toArray()) AddToBox(box, item, view, commander, data);
      return {nullptr, owned.Release()};
    }
    if (node.contains(QLatin1String("grid"))) {
      const QJsonValue rows = node.value(QLatin1String("grid"));
      if (!rows.isArray()) data.Fail(QStringLiteral("'grid' must be a list of rows"));
      auto* grid = new QGridLayout;
      StLayoutOwner owned(grid);
      FillGrid(grid, data, rows.toArray(), view, commander);
      applySpacing(grid, data, 0);
      return {nullptr, owned.Release()};
    }
    owner.Fail(QStringLiteral("an item must be a pane node, a row, a column or a grid"));
  }

  void AddToBox(QBoxLayout* box, const QJsonValue& value, LView* view, LCommander* commander,
                const LPaneData& owner) {
    if (!value.isObject()) owner.Fail(QStringLiteral("layout items must be objects"));
    const QJsonObject node = value.toObject();
    const LPaneData data = DataOf(node, view, commander);
    const bool isPaneOrLayout =
        node.contains(QLatin1String("class")) || node.contains(QLatin1String("row")) ||
        node.contains(QLatin1String("column")) || node.contains(QLatin1String("grid"));
    if (!isPaneOrLayout && node.contains(QLatin1String("stretch"))) {
      box->addStretch(data.GetInt("stretch", 1));
      return;
    }
    if (!isPaneOrLayout && node.contains(QLatin1String("space"))) {
      box->addSpacing(data.GetInt("space", 0));
      return;
    }
    const int stretch = data.GetInt("stretch", 0);
    const Qt::Alignment alignment = parseAlignment(data);
    const SItem item = BuildItem(node, view, commander, owner);
    if (item.widget != nullptr) {
      box->addWidget(item.widget, stretch, alignment);
    } else {
      box->addLayout(item.layout, stretch);
      if (alignment) box->setAlignment(item.layout, alignment);
    }
  }

  void FillGrid(QGridLayout* grid, const LPaneData& data, const QJsonArray& rows, LView* view,
                LCommander* commander) {
    int row = 0;
    for (const QJsonValue& cells : rows) {
      if (!cells.isArray()) data.Fail(QStringLiteral("each row of a grid must be a list of cells"));
      int column = 0;
      for (const QJsonValue& cell : cells.toArray()) {
        if (cell.isNull()) {
          ++column;
          continue;
        }
        if (!cell.isObject()) data.Fail(QStringLiteral("grid cells must be objects or null"));
        const LPaneData cellData = DataOf(cell.toObject(), view, commander);
        const int span = cellData.GetInt("span", 1);
        const int rowSpan = cellData.GetInt("rowSpan", 1);
        if (span < 1 || rowSpan < 1) cellData.Fail(QStringLiteral("spans must be at least 1"));
        const Qt::Alignment alignment = parseAlignment(cellData);
        const SItem item = BuildItem(cell.toObject(), view, commander, data);
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
    const QJsonValue value = data.GetNode().value(QLatin1String(key));
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

  ResIDT mLayoutID;
  LPane* mRoot = nullptr;
  std::vector<LPane*> mFinishOrder;
};

}  // namespace

LPane* UReanimator::CreateView(ResIDT layoutID, LView* superView, LCommander* superCommander) {
  return CreateFromNode(UJSONResources::Read(kLayouts, layoutID), layoutID, superView,
                        superCommander);
}

LPane* UReanimator::CreateFromNode(const QJsonObject& node, ResIDT layoutID, LView* superView,
                                   LCommander* superCommander) {
  return CLayoutBuilder(layoutID).Build(node, superView, superCommander);
}

void UReanimator::DeleteWrongRoot(LPane* root, ResIDT layoutID) {
  delete root;
  LException::ThrowException(err_ResourceData, "layout " + std::to_string(layoutID) +
                                                   ": the root pane is not of the class expected");
}

void UReanimator::LinkListenerToControls(LListener* listener, LView* view, ResIDT listID) {
  const QJsonObject list = UJSONResources::Read(kLists, listID);
  const LPaneData data(list, view, nullptr, listID);
  const QJsonValue panes = list.value(QLatin1String("panes"));
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
