// A document: a commander under the application with the modified and specified flags, that
// handles close, save, save as and revert.
//   - Closing (cmd_Close, or the close box of its window) asks whether to save a modified
//     document ("Save changes?": Save, Don't Save, Cancel); saving goes through DoSave, or
//     AskSaveAs for a document without a file. A cancelled or failed save cancels the close,
//     so nothing is lost. Unless cancelled, Close() runs.
//   - Close() by default deletes the document (on the next pass of the event loop).
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/LCommander.h"

class LDocument : public LCommander {
 public:
  explicit LDocument(LCommander* superCommander);
  ~LDocument() override;

  virtual bool IsModified() { return mIsModified; }
  void SetModified(bool modified) { mIsModified = modified; }
  bool IsSpecified() const { return mIsSpecified; }
  void SetSpecified(bool specified) { mIsSpecified = specified; }

  // The document's name in Mac Roman (by default "untitled").
  virtual StringPtr GetDescriptor(Str255 outName) const;
  virtual bool UsesFileSpec(const FSSpec& /*file*/) const { return false; }
  virtual OSType GetFileType() const { return FourCC("TEXT"); }

  // Returns whether the document was closed.
  virtual bool AttemptClose(bool recordIt);
  // At quit: asks about unsaved changes and saves; false when the user cancelled or the
  // save did not happen.
  virtual bool AttemptQuitSelf();
  virtual void Close();

  virtual void DoSave() {}
  // Asks for a file and saves into it; false when cancelled.
  virtual bool AskSaveAs(FSSpec& outFile, bool recordIt);
  virtual void DoAESave(FSSpec& /*file*/, OSType /*fileType*/) {}
  virtual void DoRevert() {}

  // Nothing records actions here: these only carry out what they would record, if asked to.
  void SendAESaveAs(FSSpec& file, OSType fileType, bool execute);
  void SendSelfAE(bool /*execute*/) {}

  enum class ESaveAnswer { Save, DontSave, Cancel };
  // The "Save changes?" question.
  virtual ESaveAnswer AskSaveChanges(bool quitting);

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;
  // Closing the document's window closes the document instead.
  bool AllowSubRemoval(LCommander* sub) override;

 private:
  // Saves the way cmd_Save does; true when the document is saved afterwards.
  bool SaveNow(bool recordIt);
  bool AskAndSave(bool quitting, bool recordIt);

  bool mIsModified = false;
  bool mIsSpecified = false;
};
