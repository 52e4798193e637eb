// The clipboard's flavours under their own MIME types, and drops of files.
#include "framework/ui/LDragAndDrop.h"
#include "framework/ui/UScrap.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr ResType kRecordType = FourCC("Pprm");
constexpr ResType kTextType = FourCC("TEXT");

TEST(UScrap, AFlavourTravelsByteForByteUnderItsOwnMimeType) {
  std::vector<std::uint8_t> record(168);
  std::iota(record.begin(), record.end(), std::uint8_t{0x58});  // every byte value from 0x58 on
  UScrap::SetData(kRecordType, record.data(), static_cast<std::int32_t>(record.size()));

  EXPECT_EQ(UScrap::MimeTypeOf(kRecordType), QStringLiteral("application/x-kvx-editor.Pprm"));
  EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(
      QStringLiteral("application/x-kvx-editor.Pprm")));
  EXPECT_TRUE(UScrap::HasData(kRecordType));
  std::vector<std::uint8_t> back;
  EXPECT_EQ(UScrap::GetData(kRecordType, &back), 168);
  EXPECT_EQ(back, record);
  EXPECT_FALSE(UScrap::HasData(kTextType));
  EXPECT_EQ(UScrap::GetData(kTextType, &back), noTypeErr);
}

TEST(UScrap, AddingAFlavourKeepsTheOthersUnlessClearing) {
  const std::string text = "Caf\x8E";  // Mac Roman
  UScrap::SetData(kTextType, text.data(), static_cast<std::int32_t>(text.size()));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Café"));
  const std::uint8_t bytes[3] = {1, 2, 3};
  UScrap::SetData(kRecordType, bytes, 3, false);
  EXPECT_TRUE(UScrap::HasData(kTextType));
  std::vector<std::uint8_t> back;
  EXPECT_EQ(UScrap::GetData(kTextType, &back), 4);
  EXPECT_EQ(std::string(back.begin(), back.end()), text);

  UScrap::SetData(kRecordType, bytes, 3, true);
  EXPECT_FALSE(UScrap::HasData(kTextType));
  EXPECT_EQ(UScrap::GetData(kRecordType, nullptr), 3);
}

TEST(UScrap, TypesWithOtherCharactersAreWrittenInHex) {
  EXPECT_EQ(UScrap::MimeTypeOf(FourCC("hfs ")),
            QStringLiteral("application/x-kvx-editor.0x68667320"));
}

// A drop area that takes files and keeps what it received.
class CFileDropArea final : public QWidget, public LDragAndDrop {
 public:
  CFileDropArea() : LDragAndDrop(this) {}
  bool ItemIsAcceptable(DragReference drag, ItemReference item) override {
    return ItemHasFlavor(drag, item, flavorTypeHFS);
  }
  void ReceiveDragItem(DragReference drag, DragAttributes, ItemReference item, Rect&) override {
    FSSpec file;
    ASSERT_EQ(GetFileSpec(drag, item, file), noErr);
    received.push_back(file.Path().string());
  }
  std::vector<std::string> received;
};

bool Drop(QWidget& target, const QList<QUrl>& urls) {
  QMimeData data;
  if (!urls.isEmpty()) data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &drop);
  return drop.isAccepted();
}

TEST(LDragAndDrop, ADropOfFilesDeliversEveryFileInOrder) {
  CFileDropArea area;
  EXPECT_TRUE(area.acceptDrops());
  ASSERT_TRUE(Drop(area, {QUrl::fromLocalFile(QStringLiteral("/tmp/a.mid")),
                          QUrl::fromLocalFile(QStringLiteral("/tmp/b b.mid")),
                          QUrl::fromLocalFile(QStringLiteral("/tmp/c.mid"))}));
  EXPECT_EQ(area.received, (std::vector<std::string>{"/tmp/a.mid", "/tmp/b b.mid", "/tmp/c.mid"}));
}

TEST(LDragAndDrop, DragsWithAnItemThatIsNoFileAreRefused) {
  struct SRow {
    const char* name;
    QList<QUrl> urls;
  };
  const SRow rows[] = {
      {"a web address among the files",
       {QUrl::fromLocalFile(QStringLiteral("/tmp/a.mid")),
        QUrl(QStringLiteral("https://example.org/p.mid"))}},
      {"no items at all", {}},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    CFileDropArea area;
    EXPECT_FALSE(Drop(area, row.urls));
    EXPECT_TRUE(area.received.empty());
  }
}

}  // namespace
