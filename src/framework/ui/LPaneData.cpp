#include "framework/ui/LPaneData.h"

#include "framework/ui/UQtText.h"

#include <QJsonArray>

#include <limits>

LPaneData::LPaneData(const QJsonObject& node, LView* superView, LCommander* superCommander,
                     ResIDT layoutID, const QString& path)
    : mNode(node),
      mSuperView(superView),
      mSuperCommander(superCommander),
      mLayoutID(layoutID),
      mPath(path),
      mReadKeys(std::make_shared<std::set<QString>>()) {}

bool LPaneData::Has(const char* key) const {
  mReadKeys->insert(QLatin1String(key));
  return mNode.contains(QLatin1String(key));
}

QJsonValue LPaneData::Value(const char* key) const {
  mReadKeys->insert(QLatin1String(key));
  return mNode.value(QLatin1String(key));
}

LPaneData LPaneData::WithDefault(const char* key, const QJsonValue& value) const {
  LPaneData copy = *this;
  if (!copy.mNode.contains(QLatin1String(key))) copy.mNode.insert(QLatin1String(key), value);
  return copy;
}

QStringList LPaneData::GetUnreadKeys() const {
  QStringList unread;
  for (const QString& key : mNode.keys()) {
    if (!mReadKeys->contains(key)) unread << key;
  }
  return unread;
}

void LPaneData::FailOnUnreadKeys() const {
  const QStringList unread = GetUnreadKeys();
  if (unread.isEmpty()) return;
  Fail(QStringLiteral("unknown key%1 '%2'")
           .arg(unread.size() > 1 ? QStringLiteral("s") : QString(),
                unread.join(QStringLiteral("', '"))));
}

ClassIDT LPaneData::GetClassID() const {
  bool ok = false;
  const ClassIDT classID = ParseFourCC(Value("class").toString(), &ok);
  if (!ok) Fail(QStringLiteral("'class' must be a four-character class ID"));
  return classID;
}

std::uint32_t LPaneData::ParseFourCC(const QString& text, bool* ok) {
  const QByteArray latin = text.toLatin1();
  *ok = text.size() == 4 && latin.size() == 4;
  if (!*ok) return 0;
  std::uint32_t code = 0;
  for (char character : latin) code = (code << 8) | static_cast<unsigned char>(character);
  return code;
}

std::int32_t LPaneData::ParseCode(const QJsonValue& value, bool* ok) {
  if (value.isString()) return static_cast<std::int32_t>(ParseFourCC(value.toString(), ok));
  const double number = value.toDouble();
  *ok = value.isDouble() && number == static_cast<double>(static_cast<std::int64_t>(number)) &&
        number >= std::numeric_limits<std::int32_t>::min() &&
        number <= std::numeric_limits<std::int32_t>::max();
  return *ok ? static_cast<std::int32_t>(number) : 0;
}

std::int32_t LPaneData::GetInt(const char* key, std::int32_t fallback) const {
  if (!Has(key)) return fallback;
  const QJsonValue value = Value(key);
  bool ok = false;
  const std::int32_t number = value.isDouble() ? ParseCode(value, &ok) : 0;
  if (!ok) Fail(QStringLiteral("'%1' must be a whole number").arg(QLatin1String(key)));
  return number;
}

std::int32_t LPaneData::GetCode(const char* key, std::int32_t fallback) const {
  if (!Has(key)) return fallback;
  bool ok = false;
  const std::int32_t code = ParseCode(Value(key), &ok);
  if (!ok) {
    Fail(QStringLiteral("'%1' must be a whole number or a four-character code")
             .arg(QLatin1String(key)));
  }
  return code;
}

bool LPaneData::GetBool(const char* key, bool fallback) const {
  if (!Has(key)) return fallback;
  const QJsonValue value = Value(key);
  if (!value.isBool()) Fail(QStringLiteral("'%1' must be true or false").arg(QLatin1String(key)));
  return value.toBool();
}

QString LPaneData::GetString(const char* key, const QString& fallback) const {
  if (!Has(key)) return fallback;
  const QJsonValue value = Value(key);
  if (!value.isString()) Fail(QStringLiteral("'%1' must be a text").arg(QLatin1String(key)));
  return value.toString();
}

QStringList LPaneData::GetStrings(const char* key) const {
  QStringList texts;
  if (!Has(key)) return texts;
  const QJsonValue value = Value(key);
  if (!value.isArray())
    Fail(QStringLiteral("'%1' must be a list of texts").arg(QLatin1String(key)));
  for (const QJsonValue& item : value.toArray()) {
    if (!item.isString())
      Fail(QStringLiteral("'%1' must be a list of texts").arg(QLatin1String(key)));
    texts << item.toString();
  }
  return texts;
}

namespace {

std::vector<int> wholeNumbers(const LPaneData& data, const char* key, int count) {
  const QJsonValue value = data.Value(key);
  const QJsonArray array = value.toArray();
  std::vector<int> numbers;
  bool ok = value.isArray() && array.size() == count;
  for (const QJsonValue& item : array) {
    bool whole = false;
    const std::int32_t number = item.isDouble() ? LPaneData::ParseCode(item, &whole) : 0;
    ok = ok && whole && number >= 0 && number <= 32767;
    numbers.push_back(number);
  }
  if (!ok) {
    data.Fail(QStringLiteral("'%1' must be a list of %2 whole numbers from 0 to 32767")
                  .arg(QLatin1String(key))
                  .arg(count));
  }
  return numbers;
}

}  // namespace

QSize LPaneData::GetSize(const char* key) const {
  const std::vector<int> numbers = wholeNumbers(*this, key, 2);
  return {numbers[0], numbers[1]};
}

QRect LPaneData::GetRect(const char* key) const {
  const std::vector<int> numbers = wholeNumbers(*this, key, 4);
  return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

void LPaneData::Fail(const QString& why) const {
  QString where = QStringLiteral("layout %1").arg(mLayoutID);
  if (!mPath.isEmpty()) where += QStringLiteral(": ") + mPath;
  QStringList pane;
  if (mNode.contains(QLatin1String("class")))
    pane << QStringLiteral("class '%1'").arg(mNode.value(QLatin1String("class")).toString());
  if (mNode.contains(QLatin1String("id"))) {
    const QJsonValue id = mNode.value(QLatin1String("id"));
    pane << QStringLiteral("pane %1")
                .arg(id.isString() ? id.toString() : QString::number(id.toDouble()));
  }
  if (!pane.isEmpty()) where += QStringLiteral(" (%1)").arg(pane.join(QStringLiteral(", ")));
  LException::ThrowException(err_ResourceData, UQtText::ToUTF8(where + QStringLiteral(": ") + why));
}
