// The assign dialog over the main window: records shown then collected, kinds chosen by hand,
// the settings panels' rules per controller, refused templates, and the dialog's interplay
// with the main window (apply before switching, paste, delete, copy, receive, keys).
#include "MainWindowTestSupport.h"
#include "support/RecordingAlertPresenter.h"

#include "dialogs/assigndialog/CButtonSettingPanel.h"
#include "dialogs/assigndialog/CChannelMsgPanel.h"
#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "dialogs/assigndialog/CTemplatePanels.h"
#include "framework/core/LString.h"
#include "framework/core/StDialogHandler.h"
#include "framework/ui/LCheckBox.h"
#include "framework/ui/LControl.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/UScrap.h"
#include "mainwindow/HotAreaInfo.h"
#include "utilities/UMessageTemplate.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <utility>
#include <vector>

namespace {

using kvxtest::MainWindowTest;
using kvxtest::SameBytes;

SPatchParam Record(std::uint8_t msgType, std::uint8_t channel, std::uint8_t port,
                   std::uint8_t options, std::initializer_list<std::uint8_t> data,
                   const char* name = "") {
  SPatchParam record{};
  record.msgType = msgType;
  record.channel = channel;
  record.outputPort = port;
  record.options = options;
  std::size_t k = 0;
  for (std::uint8_t byte : data) record.data[k++] = byte;
  LString::FromStd(name, record.name, sizeof record.name);
  return record;
}

SPatchParam SysxRecord(const char* text, std::uint8_t format) {
  SPrmPatCtrlSysEx payload{};
  payload.info = {format, 0, 3, 100};
  LStr255 source(text);
  EXPECT_GT(UMessageTemplate::CompileSysxStr(source, payload), 0) << text;
  SPatchParam record = Record(msgType_Sysx, 0, 1, 0, {});
  std::memcpy(record.data, &payload, sizeof payload);
  return record;
}

SPatchParam FreeRecord(const char* text, std::uint8_t format) {
  SPrmPatCtrlSysExFree payload{};
  payload.info = {format, 0, 0, 15};
  LStr255 source(text);
  EXPECT_GT(UMessageTemplate::CompileMsgStr(source, payload), 0) << text;
  SPatchParam record = Record(msgType_Free, 4, 0, 0, {});
  std::memcpy(record.data, &payload, sizeof payload);
  return record;
}

class AssignDialogTest : public MainWindowTest {
 protected:
  CMsgAssignDialog* Open(long index) {
    window->OpenAssignDialog(index);
    return window->GetAssignDialog();
  }
  // Opens controller `index` and shows `record` there, as a paste does.
  CMsgAssignDialog* Show(long index, const SPatchParam& record) {
    CMsgAssignDialog* dialog = Open(index);
    dialog->SetDialogParam(&record);
    return dialog;
  }
  SPatchParam Collect() {
    SPatchParam out{};
    EXPECT_TRUE(window->GetAssignDialog()->GetDialogParam(out));
    return out;
  }
  // A pane of the message panel shown (of its sub-panel shown, for channel messages).
  template <class T>
  T* MessagePane(PaneIDT id) {
    LView* panel = window->GetAssignDialog()->GetAssignMsgPanel();
    if (auto* channel = dynamic_cast<CChannelMsgPanel*>(panel)) {
      if (id != CChannelMsgPanel::kKindPopup)
        panel = channel->FindPaneByID<LMultiPanelView>(CChannelMsgPanel::kSubPanels)
                    ->GetCurrentPanel();
    }
    return panel->FindPaneByID<T>(id);
  }
  template <class T>
  T* SettingsPane(PaneIDT id) {
    return window->GetAssignDialog()->GetSettingsPanel()->FindPaneByID<T>(id);
  }
  // Picks a kind by hand, as the user does in the pop-ups.
  void ChooseKind(std::int16_t panel, std::int16_t channelSubPanel = 0) {
    window->GetAssignDialog()->FindPaneByID<LPopupButton>(CMsgAssignDialog::kMessageKindPopup)
        ->SetValue(panel);
    if (channelSubPanel != 0) MessagePane<LPopupButton>(CChannelMsgPanel::kKindPopup)->SetValue(channelSubPanel);
  }
  // Brings `dialog` to the front and waits until it is the active window.
  static bool Activate(QWidget* dialog) {
    dialog->activateWindow();
    return QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; });
  }
  static Point CenterOf(long index) {
    const Rect& area = kHotAreaInfo[index].hotRect;
    return Point{static_cast<std::int16_t>((area.top + area.bottom) / 2),
                 static_cast<std::int16_t>((area.left + area.right) / 2)};
  }

  CRecordingAlertPresenter alerts;
  StAlertPresenter installed{&alerts};
};

TEST_F(AssignDialogTest, EveryRecordShownComesBackAsCollected) {
  struct SRow {
    const char* name;
    long index;
    SPatchParam shown;
    std::uint8_t collectedType;  // the msgType collected; the other bytes come back unchanged
    std::vector<std::pair<PaneIDT, std::int32_t>> controls;  // the values on screen
  };
  const SRow rows[] = {
      {"note on pad A1 with AFT 2 and mode 2", 18, Record(1, 2, 1, 0x01, {60, 0, 2}, "Lead"), 1,
       {{200, 3}, {202, 60}, {204, 0}}},
      {"the device's second note code", 18, Record(2, 0, 0, 0, {64, 100, 1}), 1, {}},
      {"channel pressure, second code", 0, Record(4, 5, 0, 0, {10, 120}), 3, {{200, 6}}},
      {"poly pressure, second code", 0, Record(6, 0, 0, 0, {60, 1, 126}), 5, {}},
      {"CC with C.Click on R1, second code", 0, Record(8, 15, 2, 0x04, {74, 0, 127}), 7,
       {{200, 16}, {202, 74}, {206, 127}}},
      {"CC with the C.Click bit on H1", 39, Record(7, 0, 0, 0x04, {1, 2, 3}), 7, {}},
      {"fixed bank program: MSB first on screen", 0, Record(13, 0, 0, 0, {2, 1, 2}), 13,
       {{202, 1}, {204, 2}, {206, 3}}},
      {"program range, shown from 1", 0, Record(10, 3, 0, 0, {0, 127}), 10,
       {{200, 4}, {202, 1}, {204, 128}}},
      {"fixed program", 0, Record(12, 0, 0, 0, {5}), 12, {{202, 6}}},
      {"program decrement keeps its channel", 0, Record(14, 9, 0, 0, {1}), 14, {}},
      {"RPN, second code: MSB first", 0, Record(16, 0, 0, 0x04, {1, 2, 3, 4, 5}), 15,
       {{202, 3}, {204, 2}, {206, 4}, {208, 5}}},
      {"NRPN, second code", 0, Record(18, 1, 1, 0, {0, 2, 3, 4, 5}), 17, {}},
      {"encoder", 0, Record(9, 1, 1, 0, {10}), 9, {{202, 10}}},
      {"bank with program range, kept as the device sent it", 0, Record(11, 3, 1, 0, {1, 2, 3, 4}),
       11, {}},
      {"realtime", 0, Record(19, 0, 1, 0, {0xFA}), 19, {}},
      {"tempo", 0, Record(24, 0, 0, 0, {}), 24, {}},
      {"SysEx template", 0, SysxRecord("f0 7d 01 02 SS 40 00 DT S1 f7", 1), 20, {}},
      {"SysEx with channel and 14-bit data", 0, SysxRecord("F0 7D 1N 01 DT F7", 3), 20, {}},
      {"free message", 0, FreeRecord("B0 07 DT", 1), 22, {}},
      {"free message with a channel byte", 0, FreeRecord("B0 0X DT", 1), 22, {}},
      {"an unknown type is no assignment", 0, Record(30, 1, 1, 0, {1}), 0, {}},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    Show(row.index, row.shown);
    for (const auto& [pane, value] : row.controls) {
      SCOPED_TRACE(pane);
      ASSERT_NE(MessagePane<LControl>(pane), nullptr);
      EXPECT_EQ(MessagePane<LControl>(pane)->GetValue(), value);
    }
    SPatchParam expected = row.shown;
    expected.msgType = row.collectedType;
    EXPECT_TRUE(SameBytes(Collect(), expected));
  }
}

TEST_F(AssignDialogTest, ANoteOfVelocityZeroShowsTouchAndKeepsZero) {
  Show(18, Record(1, 0, 0, 0, {60, 0}));
  EXPECT_EQ(MessagePane<LEditText>(203)->GetText(), QStringLiteral("Touch"));
  EXPECT_EQ(Collect().data[1], 0);
  MessagePane<LControl>(204)->SetValue(5);
  MessagePane<LControl>(204)->SetValue(0);  // the arrows step down to 0
  EXPECT_EQ(MessagePane<LEditText>(203)->GetText(), QStringLiteral("Touch"));
  EXPECT_EQ(window->GetAssignDialog()->windowTitle(), QStringLiteral("A1"));
}

TEST_F(AssignDialogTest, AKindChosenByHandStartsFromItsDefaults) {
  struct SRow {
    const char* name;
    std::int16_t panel;
    std::int16_t subPanel;
    std::uint8_t msgType;
    std::uint8_t channel;
    std::vector<std::uint8_t> data;
  };
  const SRow rows[] = {
      {"channel messages reset the note shown", 2, 0, 1, 0, {64, 100}},
      {"CC to NRPN", 2, 11, 17, 0, {0, 0, 0, 0, 127}},
      {"back to CC: the defaults, not the earlier values", 2, 4, 7, 0, {0, 0, 127}},
      {"fixed bank program", 2, 7, 13, 0, {0, 0, 0}},
      {"program range", 2, 6, 10, 0, {0, 127}},
      {"program increment", 2, 9, 14, 5, {0}},
      {"system message: F6", 3, 0, 19, 5, {0xF6}},
      {"SysEx: F0 F7, no data", 4, 0, 20, 5, {0, 0, 0, 127, 0, 0, 0, 0, 0, 0, 0xF0, 0xF7}},
      {"tempo", 6, 0, 24, 5, {}},
      {"nothing", 1, 0, 0, 5, {}},
  };
  Show(0, Record(0, 5, 0, 0, {}));
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    ChooseKind(row.panel, row.subPanel);
    const SPatchParam collected = Collect();
    EXPECT_EQ(collected.msgType, row.msgType);
    EXPECT_EQ(collected.channel, row.channel);
    for (std::size_t i = 0; i < row.data.size(); ++i) EXPECT_EQ(collected.data[i], row.data[i]) << i;
  }
}

TEST_F(AssignDialogTest, SettingsFollowTheControllerAndTheMessageType) {
  struct SRow {
    const char* name;
    long index;
    SPatchParam shown;
    std::int16_t switchTo;  // a channel sub-panel chosen by hand afterwards, or 0
    bool portEnabled;
    bool cClickShown;
    bool modeShown;
    bool modeEnabled;
    std::int16_t modeItems;
    std::int32_t mode;
    bool aftShown;
  };
  const SRow rows[] = {
      {"CC on knob R1", 0, Record(7, 0, 0, 0x04, {}), 0, true, true, false, false, 0, 0, false},
      {"CC on slider H1", 39, Record(7, 0, 0, 0x04, {}), 0, true, false, false, false, 0, 0, false},
      {"R1 switched from CC to note", 0, Record(7, 0, 0, 0x04, {}), 1, true, false, false, false, 0,
       0, false},
      {"program change on R1", 0, Record(10, 0, 0, 0, {}), 0, false, false, false, false, 0, 0, false},
      {"note on pad A1", 18, Record(1, 0, 0, 0, {}), 0, true, false, true, true, 2, 1, true},
      {"A1 switched from note to CC", 18, Record(1, 0, 0, 0, {}), 4, true, false, true, true, 3, 1,
       false},
      {"A1 switched from CC in Increase to note", 18, Record(7, 0, 0, 2, {}), 1, true, false, true,
       true, 2, 1, true},
      {"A1 shows a note stored with Increase", 18, Record(1, 0, 0, 2, {}), 0, true, false, true, true,
       3, 3, true},
      {"note on button C1", 36, Record(1, 0, 0, 0, {}), 0, true, false, true, true, 2, 1, false},
      {"encoder on L1: the items stay", 41, Record(9, 0, 0, 0, {}), 0, true, false, true, false, 2, 1,
       false},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    Show(row.index, row.shown);
    if (row.switchTo != 0) ChooseKind(2, row.switchTo);
    EXPECT_EQ(SettingsPane<LPopupButton>(300)->IsEnabled(), row.portEnabled);
    EXPECT_EQ(!SettingsPane<LCheckBox>(301)->isHidden(), row.cClickShown);
    if (row.index < 18 || row.index == 39) continue;  // the continuous controllers' panel
    auto* mode = SettingsPane<LPopupButton>(CButtonSettingPanel::kModePopup);
    EXPECT_EQ(!mode->isHidden(), row.modeShown);
    EXPECT_EQ(mode->IsEnabled(), row.modeEnabled);
    EXPECT_EQ(mode->GetMenuItemCount(), row.modeItems);
    EXPECT_EQ(mode->GetValue(), row.mode);
    EXPECT_EQ(!SettingsPane<LPopupButton>(CButtonSettingPanel::kAftPopup)->isHidden(), row.aftShown);
    // A hidden check box or AFT pop-up changes nothing: the bits come back as they were.
    const SPatchParam collected = Collect();
    EXPECT_EQ(collected.options & kOptionCClick, row.shown.options & kOptionCClick);
    EXPECT_EQ(collected.options & kOptionButtonModeMask, row.mode - 1);
    if (!row.aftShown && row.switchTo == 0) {
      EXPECT_EQ(collected.data[2], row.shown.data[2]);
    }
  }
}

TEST_F(AssignDialogTest, BadTemplatesAreRefusedWithAlertTwoAndKeepTheirText) {
  struct SRow {
    const char* name;
    std::int16_t panel;
    const char* text;
    std::int32_t format;
    bool accepted;
  };
  const SRow rows[] = {
      {"SysEx with a checksum", 4, "f0 7d 01 02 SS 40 00 DT S1 f7", 1, true},
      {"a note inside a SysEx", 4, "F0 90 F7", 1, false},
      {"a checksum without SS", 4, "F0 S1 F7", 1, false},
      {"not a hex digit", 4, "F0 G1 F7", 1, false},
      {"25 bytes", 4, "F0 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 F7", 1,
       false},
      {"free control change", 5, "B0 07 DT", 1, true},
      {"free with reserved bytes that have no status", 5, "B0 07 40 DT", 5, false},
      {"free not starting with a status", 5, "07 B0", 1, false},
      {"free and empty", 5, "", 1, false},
  };
  Open(0);
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    alerts.Clear();
    ChooseKind(row.panel);
    MessagePane<LPopupButton>(CTemplatePanel::kFormatPopup)->SetValue(row.format);
    auto* text = MessagePane<LEditText>(CTemplatePanel::kTextField);
    text->SetText(QString::fromLatin1(row.text));
    SPatchParam out{};
    EXPECT_EQ(window->GetAssignDialog()->GetDialogParam(out), row.accepted);
    EXPECT_EQ(alerts.ErrorIndices(), row.accepted ? std::vector<int>{} : std::vector<int>{2});
    EXPECT_EQ(text->GetText(), QString::fromLatin1(row.text));
    if (!row.accepted) {
      EXPECT_TRUE(text->IsTarget());
    }
  }
}

TEST_F(AssignDialogTest, TheFormatSetsTheRangeOfTheValues) {
  const std::pair<std::int32_t, std::int32_t> formats[] = {{1, 127}, {2, 15}, {3, 127}, {5, 255}};
  Show(0, SysxRecord("F0 DT F7", 1));
  for (const auto& [format, max] : formats) {
    MessagePane<LPopupButton>(CTemplatePanel::kFormatPopup)->SetValue(format);
    EXPECT_EQ(MessagePane<LControl>(CTemplatePanel::kMaxControl)->GetMaxValue(), max) << format;
    EXPECT_EQ(MessagePane<LControl>(CTemplatePanel::kMinControl)->GetMaxValue(), max) << format;
  }
}

// --- with the main window

TEST_F(AssignDialogTest, EditsAreAppliedBeforeSwitchingAndRefusedOnesKeepTheDialog) {
  const SPatchParam cc = Record(7, 3, 1, 0, {74, 0, 127}, "Cutoff");
  Show(0, cc);
  EXPECT_EQ(patch.GetAssignMessage(0), 0) << "shown, not applied";
  Open(1);
  EXPECT_TRUE(SameBytes(*patch.GetParam(0), cc));
  EXPECT_EQ(picture->GetHiliteArea(), 1);

  ChooseKind(CMsgAssignDialog::panel_Sysx);
  MessagePane<LEditText>(CTemplatePanel::kTextField)->SetText(QStringLiteral("F0 90 F7"));
  Open(2);
  EXPECT_EQ(window->GetAssignDialog()->GetParamIndex(), 1);
  EXPECT_EQ(picture->GetHiliteArea(), 1);
  EXPECT_EQ(patch.GetAssignMessage(1), 0);
  EXPECT_EQ(alerts.ErrorIndices(), std::vector<int>{2});
}

TEST_F(AssignDialogTest, PasteAndDeleteGoToTheDialogAndCancelLeavesThePatch) {
  const SPatchParam stored = Record(7, 0, 0, 0, {1, 2, 3});
  const SPatchParam pasted = Record(12, 4, 0, 0, {9});
  kvxtest::Assign(patch, 5, stored);
  Open(5);
  UScrap::SetData(CMainWindow::kPatchParamFlavor, &pasted, sizeof pasted, true);
  window->ObeyCommand(cmd_PastePatchParam, nullptr);
  EXPECT_TRUE(SameBytes(Collect(), pasted));
  window->ObeyCommand(cmd_DeletePatchParam, nullptr);
  EXPECT_TRUE(SameBytes(Collect(), SPatchParam{}));
  EXPECT_TRUE(SameBytes(*patch.GetParam(5), stored));

  window->GetAssignDialog()->ListenToMessage(msg_Cancel, nullptr);
  Settle();
  EXPECT_EQ(window->GetAssignDialog(), nullptr) << "closed and forgotten";
  EXPECT_TRUE(SameBytes(*patch.GetParam(5), stored));
  EXPECT_EQ(Open(5)->GetParamIndex(), 5) << "a new dialog opens";
}

TEST_F(AssignDialogTest, CopyTakesTheDialogsUnappliedRecord) {
  const SPatchParam shown = Record(3, 2, 0, 0, {5, 6});
  Show(7, shown);
  window->ObeyCommand(cmd_CopyPatchParam, nullptr);
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(UScrap::GetData(CMainWindow::kPatchParamFlavor, &bytes), 168);
  EXPECT_EQ(std::memcmp(bytes.data(), &shown, sizeof shown), 0);
}

TEST_F(AssignDialogTest, ReceivingTheEditedControllerReplacesTheDialogsRecord) {
  Show(4, Record(7, 0, 0, 0, {1, 2, 3}));
  CPatch device;
  const SPatchParam received = kvxtest::StoredRecord(msgType_Note, 6, 1, {48, 90});
  device.SetParam(4, &received);
  unsigned char dump[256];
  const long length = device.MakeBulkSysx(4, dump);
  patch.ProcessMessage(dump, length);
  EXPECT_TRUE(SameBytes(Collect(), received));
  EXPECT_EQ(MessagePane<LControl>(202)->GetValue(), 48);
}

TEST_F(AssignDialogTest, OKAndCtrlWApplyAndCloseUnlessTheRecordIsRefused) {
  struct SRow {
    const char* name;
    bool byKey;
    const char* text;
    bool closes;
  };
  const SRow rows[] = {
      {"OK, valid", false, "F0 7D F7", true},
      {"OK, refused", false, "F0 90 F7", false},
      {"Ctrl-W, valid", true, "F0 7E F7", true},
      {"Ctrl-W, refused", true, "F0 S1 F7", false},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    CMsgAssignDialog* dialog = Open(9);
    ChooseKind(CMsgAssignDialog::panel_Sysx);
    MessagePane<LEditText>(CTemplatePanel::kTextField)->SetText(QString::fromLatin1(row.text));
    if (row.byKey) {
      ASSERT_TRUE(Activate(dialog));
      QWidget* focus = dialog->focusWidget();
      QTest::keyClick(focus != nullptr ? focus : dialog, Qt::Key_W, Qt::ControlModifier);
    } else {
      dialog->ListenToMessage(msg_OK, nullptr);
    }
    Settle();
    EXPECT_EQ(window->GetAssignDialog() == nullptr, row.closes);
    EXPECT_EQ(patch.GetAssignMessage(9), row.closes ? msgType_Sysx : 0);
    patch.ClearParam(9);
  }
}

TEST_F(AssignDialogTest, APictureClickWhileTheDialogIsInFrontSwitchesIt) {
  CMsgAssignDialog* dialog = Open(0);
  ASSERT_TRUE(Activate(dialog));
  ClickPicture(CenterOf(20));
  Settle();
  EXPECT_EQ(window->GetAssignDialog(), dialog);
  EXPECT_EQ(dialog->GetParamIndex(), 20);
  EXPECT_EQ(picture->GetHiliteArea(), 20);
  EXPECT_TRUE(QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }));
}

TEST_F(AssignDialogTest, SendAppliesFirstAndARefusedRecordStopsIt) {
  Open(0);
  ChooseKind(CMsgAssignDialog::panel_Free);  // an empty free text is refused
  window->ObeyCommand(cmd_SendPatch, nullptr);
  EXPECT_EQ(alerts.ErrorIndices(), std::vector<int>{2}) << "no MIDI alert: the send stopped";
}

}  // namespace

namespace {

// Tab walks the dialog's fields in reading order: top to bottom, and left to right in a row,
// also through panels made after the dialog.
TEST_F(AssignDialogTest, TabFollowsTheReadingOrder) {
  const std::pair<long, SPatchParam> shown[] = {{0, Record(7, 0, 0, 0, {})},
                                                {18, Record(1, 0, 0, 0, {})},
                                                {0, SysxRecord("F0 DT F7", 1)}};
  for (const auto& [index, record] : shown) {
    SCOPED_TRACE(index);
    CMsgAssignDialog* dialog = Show(index, record);
    ASSERT_TRUE(Activate(dialog));
    QWidget* first = dialog->FindPaneByID(CMsgAssignDialog::kNameField)->focusProxy();
    first->setFocus();
    std::vector<QWidget*> visited{first};
    ASSERT_EQ(QApplication::focusWidget(), first);
    for (int step = 0; step < 40; ++step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      if (QApplication::focusWidget() == first) break;
      visited.push_back(QApplication::focusWidget());
    }
    ASSERT_GE(visited.size(), 5u) << "the fields, the pop-ups and the buttons";
    for (std::size_t i = 1; i < visited.size(); ++i) {
      const QPoint before = visited[i - 1]->mapTo(dialog, QPoint(0, 0));
      const QPoint after = visited[i]->mapTo(dialog, QPoint(0, 0));
      const bool sameRow = std::abs(before.y() - after.y()) < visited[i - 1]->height() / 2;
      EXPECT_TRUE(sameRow ? after.x() > before.x() : after.y() > before.y())
          << i << ": " << before.x() << "," << before.y() << " then " << after.x() << ","
          << after.y();
    }
  }
}

}  // namespace
