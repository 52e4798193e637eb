// What a layout says about one pane: the pane's node of the layout's JSON, and where the pane
// goes (its super view and super-commander). Pane constructors read their properties here.
//
// Numbers that name things (pane IDs, messages, commands) may be written as numbers or as
// four-character codes: "id": 3, "id": "VERS", "message": "Amsg".
//
// Layouts are read strictly: every getter (and Has, and Value) marks its key as known, and
// the layout reader refuses a node with a key that nobody asked for once the pane and the
// reader are done with it (a misspelt "vlaue" fails at once instead of being ignored). Copies
// of an LPaneData share what has been read.
#pragma once

#include "framework/core/LException.h"
#include "framework/core/MacTypes.h"

#include <QJsonObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

class LCommander;
class LView;

using ClassIDT = std::uint32_t;

// Thrown for layouts, menus and other resource data that cannot be used.
constexpr std::int32_t err_ResourceData = static_cast<std::int32_t>(FourCC("rsrc"));
constexpr OSErr resNotFound = -192;

class LPaneData {
 public:
  // `path` is where the node sits in its layout ("panes[3].row[1]"; empty for the root).
  LPaneData(const QJsonObject& node, LView* superView, LCommander* superCommander, ResIDT layoutID,
            const QString& path = {});

  // The whole node, for reading without marking keys as known (prefer Value).
  const QJsonObject& GetNode() const { return mNode; }
  const QString& GetPath() const { return mPath; }
  LView* GetSuperView() const { return mSuperView; }
  LCommander* GetSuperCommander() const { return mSuperCommander; }
  ResIDT GetLayoutID() const { return mLayoutID; }
  ClassIDT GetClassID() const;
  PaneIDT GetPaneID() const { return GetCode("id", 0); }

  bool Has(const char* key) const;
  // The value of `key` (undefined when absent).
  QJsonValue Value(const char* key) const;
  std::int32_t GetInt(const char* key, std::int32_t fallback) const;
  // A number or a four-character code.
  std::int32_t GetCode(const char* key, std::int32_t fallback) const;
  bool GetBool(const char* key, bool fallback) const;
  QString GetString(const char* key, const QString& fallback = {}) const;
  QStringList GetStrings(const char* key) const;
  // [width, height]
  QSize GetSize(const char* key) const;
  // [left, top, width, height]
  QRect GetRect(const char* key) const;

  // The same data with `key` set to `value` unless the node has it.
  LPaneData WithDefault(const char* key, const QJsonValue& value) const;

  // The keys of the node that nobody has read, in order.
  QStringList GetUnreadKeys() const;
  // Throws err_ResourceData when a key of the node has not been read.
  void FailOnUnreadKeys() const;

  // Throws err_ResourceData naming the layout, where the node is, the pane and `why`.
  [[noreturn]] void Fail(const QString& why) const;

  // The value of a number-or-code field; false in `ok` when it is neither.
  static std::int32_t ParseCode(const QJsonValue& value, bool* ok);
  // The four-character code of "Pchg"; false in `ok` for anything else.
  static std::uint32_t ParseFourCC(const QString& text, bool* ok);

 private:
  QJsonObject mNode;
  LView* mSuperView;
  LCommander* mSuperCommander;
  ResIDT mLayoutID;
  QString mPath;
  std::shared_ptr<std::set<QString>> mReadKeys;
};
