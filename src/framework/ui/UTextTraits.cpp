#include "framework/ui/UTextTraits.h"

#include "framework/core/LException.h"
#include "framework/ui/LPane.h"
#include "framework/ui/UJSONResources.h"
#include "framework/ui/UQtText.h"

#include <QGuiApplication>
#include <QPainter>

#include <map>

namespace {

struct STraits {
  QFont font;
  QColor color;
};

[[noreturn]] void fail(ResIDT traitsID, const QString& why) {
  LException::ThrowException(
      err_ResourceData,
      UQtText::ToUTF8(QStringLiteral("text traits %1: %2").arg(traitsID).arg(why)));
}

STraits readTraits(ResIDT traitsID) {
  STraits traits{QGuiApplication::font(), QColor(Qt::black)};
  if (!UJSONResources::Exists(QStringLiteral("traits"), traitsID)) return traits;
  const QJsonObject node = UJSONResources::Read(QStringLiteral("traits"), traitsID);
  const QString family = node.value(QLatin1String("font")).toString(QStringLiteral("application"));
  if (family != QLatin1String("application")) traits.font.setFamily(family);
  if (node.contains(QLatin1String("size"))) {
    const double size = node.value(QLatin1String("size")).toDouble();
    if (!(size >= 1 && size <= 200))
      fail(traitsID, QStringLiteral("'size' must be 1 to 200 points"));
    traits.font.setPointSizeF(size);
  }
  traits.font.setBold(node.value(QLatin1String("bold")).toBool(false));
  traits.font.setItalic(node.value(QLatin1String("italic")).toBool(false));
  if (node.contains(QLatin1String("color"))) {
    traits.color = QColor::fromString(node.value(QLatin1String("color")).toString());
    if (!traits.color.isValid()) fail(traitsID, QStringLiteral("'color' is not a colour"));
  }
  return traits;
}

const STraits& traitsOf(ResIDT traitsID) {
  // Never destroyed: fonts must not outlive the application object's font system.
  static auto& cache = *new std::map<ResIDT, STraits>;
  auto found = cache.find(traitsID);
  if (found == cache.end()) found = cache.emplace(traitsID, readTraits(traitsID)).first;
  return found->second;
}

}  // namespace

QFont UTextTraits::GetFont(ResIDT traitsID) { return traitsOf(traitsID).font; }

QColor UTextTraits::GetColor(ResIDT traitsID) { return traitsOf(traitsID).color; }

void UTextTraits::SetPortTextTraits(ResIDT traitsID) {
  QPainter* painter = LPane::GetCurrentPainter();
  if (painter == nullptr) return;
  const STraits& traits = traitsOf(traitsID);
  painter->setFont(traits.font);
  painter->setPen(traits.color);
}
