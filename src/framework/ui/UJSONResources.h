// Resource data kept as JSON in Qt's resource system: ":/<kind>/<id>.json", for example
// ":/layouts/1100.json" or ":/menus/128.json".
#pragma once

#include "framework/core/MacTypes.h"

#include <QJsonObject>
#include <QString>

class UJSONResources {
 public:
  static QString PathOf(const QString& kind, ResIDT id);
  static bool Exists(const QString& kind, ResIDT id);
  // The object at the top of the resource. A missing resource throws resNotFound, one that is
  // not a JSON object err_ResourceData; both name the resource and the reason.
  static QJsonObject Read(const QString& kind, ResIDT id);
  static QJsonObject ReadPath(const QString& path);
};
