// An application of documents. Requests to open and create documents are carried out by the
// time the call returns: SendAEOpenDoc(List) calls OpenDocument for each file,
// SendAECreateDocument calls MakeNewDocument. cmd_New creates a document, cmd_Open chooses
// files (ChooseDocument) and opens them; files on the command line are opened at launch.
#pragma once

#include "framework/ui/LApplication.h"

class LDocument;

class LDocApplication : public LApplication {
 public:
  virtual void OpenDocument(FSSpec* /*file*/) {}
  virtual LDocument* MakeNewDocument() { return nullptr; }
  // Shows the open dialog and opens what the user chose.
  virtual void ChooseDocument();

  void SendAEOpenDoc(FSSpec& file);
  void SendAEOpenDocList(const std::vector<FSSpec>& files);
  void SendAECreateDocument();

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;

 protected:
  void OpenFilesAtLaunch(const std::vector<FSSpec>& files) override { SendAEOpenDocList(files); }
};
