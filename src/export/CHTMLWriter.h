// The assign list: a one-page HTML table of the 50 controllers with the parameter name, the
// message sent, its value range, channel, port and the per-controller options. Lines end with
// CR LF and are indented with one tab per level. Texts that come from the user (the title,
// parameter names, templates) are written with & < > " escaped, so a patch cannot put markup
// into the page.
#pragma once

#include "document/CPatch.h"
#include "export/CTextOut.h"
#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"
#include "utilities/SPrmPatCtrlSysEx.h"

#include <string>
#include <string_view>

class CHTMLWriter {
 public:
  // The patch is borrowed; a null patch throws the assertion exception ('asrt').
  explicit CHTMLWriter(CPatch* patch);
  CHTMLWriter(const CHTMLWriter&) = delete;
  CHTMLWriter& operator=(const CHTMLWriter&) = delete;
  virtual ~CHTMLWriter();

  // Writes the list to `file`, replacing an existing file only once the list is complete.
  // Returns 0, or the status of the first failure; the file is then left as it was.
  virtual OSStatus OutputFile(const FSSpec& file);
  // The same document, appended to `out` (for standard output and measurements).
  OSStatus OutputToMemory(std::string& out);

  // The table, at indent level 2.
  virtual void OutputParams();

  // One writer per message kind: the OUTPUT MESSAGE, RANGE and CH cells of controller `index`.
  virtual void OutputParam_Note(long index, const SPatchParam* param);
  virtual void OutputParam_CAf(long index, const SPatchParam* param);
  virtual void OutputParam_PAf(long index, const SPatchParam* param);
  virtual void OutputParam_CC(long index, const SPatchParam* param);
  virtual void OutputParam_Enc(long index, const SPatchParam* param);
  virtual void OutputParam_PC(long index, const SPatchParam* param);
  virtual void OutputParam_BankPC(long index, const SPatchParam* param);
  virtual void OutputParam_FixedPC(long index, const SPatchParam* param);
  virtual void OutputParam_FixedBankPC(long index, const SPatchParam* param);
  virtual void OutputParam_CurPC(long index, const SPatchParam* param);
  virtual void OutputParam_RPN(long index, const SPatchParam* param);
  virtual void OutputParam_NRPN(long index, const SPatchParam* param);
  virtual void OutputParam_Realtime(long index, const SPatchParam* param);
  virtual void OutputParam_Sysx(long index, const SPatchParam* param);
  virtual void OutputParam_Free(long index, const SPatchParam* param);
  virtual void OutputParam_Tempo(long index, const SPatchParam* param);
  virtual void OutputParam_NoAssign(long index, const SPatchParam* param);
  // The content of the RANGE cell of a template assignment.
  virtual void OutputSysxDataRangeStr(long index, const SPrmPatCtrlSysExDataInfo& info);

  // Tags: optional indent tabs, "<name>" or "<name attributes>", optional CR LF. They leave
  // the indent level alone.
  void StartTag(ConstStr255Param name, bool indent, bool lineEnd);
  void StartTag(ConstStr255Param name, ConstStr255Param attributes, bool indent, bool lineEnd);
  void EndTag(ConstStr255Param name, bool indent, bool lineEnd);
  void IncIndent() { ++mIndentLevel; }
  void DecIndent() {
    if (mIndentLevel > 0) --mIndentLevel;
  }

 private:
  OSStatus WriteAndClose();
  void OutputDocument();
  void OutputHeaderRow();
  void OutputControllerRow(long index, const SPatchParam& param);
  void OutputMessageCells(long index, const SPatchParam* param);

  void Write(std::string_view text);
  void WriteEscaped(std::string_view text);
  void WriteCell(std::string_view content);
  void WriteEscapedCell(std::string_view content);
  void WriteChannelCell(const SPatchParam* param);
  void WriteParamNumberRange(long index, const SPatchParam* param);
  void WriteTemplateCells(long index, ConstStr255Param text, const SPrmPatCtrlSysExDataInfo& info);
  std::string_view Separator(long index) const;
  unsigned short Tabs() const { return static_cast<unsigned short>(mIndentLevel); }

  CTextOut mTextOut;
  short mIndentLevel = 0;
  CPatch* mPatch;
};
