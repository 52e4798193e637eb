#include "framework/ui/UJSONResources.h"

#include "framework/core/LException.h"
#include "framework/ui/LPaneData.h"
#include "framework/ui/UQtText.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

QString UJSONResources::PathOf(const QString& kind, ResIDT id) {
  return QStringLiteral(":/%1/%2.json").arg(kind).arg(id);
}

bool UJSONResources::Exists(const QString& kind, ResIDT id) {
  return QFile::exists(PathOf(kind, id));
}

QJsonObject UJSONResources::Read(const QString& kind, ResIDT id) {
  return ReadPath(PathOf(kind, id));
}

QJsonObject UJSONResources::ReadPath(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    LException::ThrowException(resNotFound,
                               UQtText::ToUTF8(path + QStringLiteral(": no such resource")));
  }
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
  if (error.error != QJsonParseError::NoError) {
    LException::ThrowException(
        err_ResourceData,
        UQtText::ToUTF8(
            QStringLiteral("%1: %2 at byte %3").arg(path, error.errorString()).arg(error.offset)));
  }
  if (!document.isObject()) {
    LException::ThrowException(err_ResourceData,
                               UQtText::ToUTF8(path + QStringLiteral(": not a JSON object")));
  }
  return document.object();
}
