#include "framework/ui/LDocument.h"

#include "framework/core/LFile.h"
#include "framework/core/LString.h"
#include "framework/ui/LWindow.h"
#include "framework/ui/StTargetKeeper.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UNavServicesDialogs.h"
#include "framework/ui/UQtText.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <set>

namespace {

// Documents not yet deleted, so that a deferred deletion never hits one that is gone.
std::set<const LDocument*>& liveDocuments() {
  static auto& documents = *new std::set<const LDocument*>;
  return documents;
}

}  // namespace

LDocument::LDocument(LCommander* superCommander) : LCommander(superCommander) {
  liveDocuments().insert(this);
}

LDocument::~LDocument() {
  liveDocuments().erase(this);
  DeleteAllSubCommanders();
}

StringPtr LDocument::GetDescriptor(Str255 outName) const {
  return LString::FromStd("untitled", outName);
}

LDocument::ESaveAnswer LDocument::AskSaveChanges(bool quitting) {
  Str255 name;
  GetDescriptor(name);
  const QString text = (quitting ? QStringLiteral("Save changes to “%1” before quitting?")
                                 : QStringLiteral("Save changes to “%1” before closing?"))
                           .arg(UQtText::FromPStr(name));
  StTargetKeeper keeper;
  QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                  QApplication::activeWindow());
  box.setInformativeText(QStringLiteral("Your changes will be lost if you don’t save them."));
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save:
      return ESaveAnswer::Save;
    case QMessageBox::Discard:
      return ESaveAnswer::DontSave;
    default:
      return ESaveAnswer::Cancel;
  }
}

bool LDocument::SaveNow(bool recordIt) {
  if (IsSpecified()) {
    DoSave();
  } else {
    FSSpec file;
    if (!AskSaveAs(file, recordIt)) return false;
  }
  return !IsModified();
}

bool LDocument::AskAndSave(bool quitting, bool recordIt) {
  if (!IsModified()) return true;
  switch (AskSaveChanges(quitting)) {
    case ESaveAnswer::Save:
      return SaveNow(recordIt);
    case ESaveAnswer::DontSave:
      return true;
    case ESaveAnswer::Cancel:
      return false;
  }
  return false;
}

bool LDocument::AttemptClose(bool recordIt) {
  if (!AskAndSave(false, recordIt)) return false;
  Close();
  return true;
}

bool LDocument::AttemptQuitSelf() { return AskAndSave(true, false); }

void LDocument::Close() {
  QTimer::singleShot(0, QCoreApplication::instance(), [this] {
    if (liveDocuments().contains(this)) delete this;
  });
}

bool LDocument::AskSaveAs(FSSpec& outFile, bool /*recordIt*/) {
  UNavServicesDialogs::LFileDesignator designator;
  designator.SetFileType(GetFileType());
  Str255 name;
  GetDescriptor(name);
  if (!designator.AskDesignateFile(name)) return false;
  designator.GetFileSpec(outFile);
  if (designator.IsReplacing() && UsesFileSpec(outFile)) {
    DoSave();
  } else {
    if (designator.IsReplacing()) LFile(outFile).DeleteFile();
    SendAESaveAs(outFile, GetFileType(), true);
  }
  designator.CompleteSave();
  return true;
}

void LDocument::SendAESaveAs(FSSpec& file, OSType fileType, bool execute) {
  if (execute) DoAESave(file, fileType);
}

bool LDocument::ObeyCommand(CommandT command, void* param) {
  switch (command) {
    case cmd_Close:
      AttemptClose(true);
      return true;
    case cmd_Save:
      SaveNow(true);
      return true;
    case cmd_SaveAs: {
      FSSpec file;
      AskSaveAs(file, true);
      return true;
    }
    case cmd_Revert:
      DoRevert();
      return true;
    default:
      return LCommander::ObeyCommand(command, param);
  }
}

void LDocument::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                  std::uint16_t& mark, Str255 name) {
  switch (command) {
    case cmd_Close:
    case cmd_SaveAs:
      enabled = true;
      return;
    case cmd_Save:
      enabled = IsModified();
      return;
    case cmd_Revert:
      enabled = IsSpecified() && IsModified();
      return;
    case cmd_PageSetup:
    case cmd_Print:
    case cmd_PrintOne:
      enabled = false;  // no printing on this desktop
      return;
    default:
      LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
  }
}

bool LDocument::AllowSubRemoval(LCommander* sub) {
  if (dynamic_cast<LWindow*>(sub) == nullptr) return true;
  AttemptClose(false);
  return false;
}
