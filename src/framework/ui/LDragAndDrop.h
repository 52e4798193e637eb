// Receiving drags. A drag's items are its URLs, counted from 1 (a drag without URLs has one
// item holding its other data); an item that is a local file carries the file flavour 'hfs '.
// A drag is accepted when it has items and every one of them is acceptable; dropping it calls
// DoDragReceive, which by default receives every item.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"

#include <cstdint>
#include <memory>

class QMimeData;
class QObject;
class QWidget;

using DragReference = const QMimeData*;
using ItemReference = std::uint32_t;
using DragAttributes = std::uint32_t;
using FlavorType = std::uint32_t;

constexpr FlavorType flavorTypeHFS = FourCC("hfs ");
constexpr OSErr badDragFlavorErr = -1852;

class LDropArea {
 public:
  virtual ~LDropArea() = default;

  virtual bool DragIsAcceptable(DragReference drag);
  virtual bool ItemIsAcceptable(DragReference drag, ItemReference item);
  virtual void DoDragReceive(DragReference drag);
  virtual void ReceiveDragItem(DragReference drag, DragAttributes attributes, ItemReference item,
                               Rect& itemBounds);
  virtual void FocusDropArea() {}

  static std::uint16_t CountDragItems(DragReference drag);
  static bool ItemHasFlavor(DragReference drag, ItemReference item, FlavorType flavor);
  // The file of a file item; badDragFlavorErr when the item is not a local file.
  static OSErr GetFileSpec(DragReference drag, ItemReference item, FSSpec& file);
};

// A drop area over a widget (a window, usually the object itself).
class LDragAndDrop : public LDropArea {
 public:
  explicit LDragAndDrop(QWidget* dropWidget);
  ~LDragAndDrop() override;
  LDragAndDrop(const LDragAndDrop&) = delete;
  LDragAndDrop& operator=(const LDragAndDrop&) = delete;

 private:
  std::unique_ptr<QObject> mFilter;
};
