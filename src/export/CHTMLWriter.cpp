#include "export/CHTMLWriter.h"

#include "framework/core/LException.h"
#include "framework/core/LString.h"
#include "utilities/UMessageTemplate.h"
#include "utilities/UStringUtils.h"

#include <cstddef>
#include <cstring>

namespace {

// A length-prefixed string built at compile time.
template <std::size_t N>
struct SPLiteral {
  unsigned char text[N] = {};
  constexpr SPLiteral(const char (&chars)[N]) {  // NOLINT: used as a literal
    static_assert(N - 1 <= 255);
    text[0] = static_cast<unsigned char>(N - 1);
    for (std::size_t i = 0; i + 1 < N; ++i) text[i + 1] = static_cast<unsigned char>(chars[i]);
  }
  operator ConstStr255Param() const { return text; }  // NOLINT
};

constexpr SPLiteral kTagHTML("HTML");
constexpr SPLiteral kTagHead("HEAD");
constexpr SPLiteral kTagMeta("META");
constexpr SPLiteral kTagTitle("TITLE");
constexpr SPLiteral kTagBody("BODY");
constexpr SPLiteral kTagH3("H3");
constexpr SPLiteral kTagTable("TABLE");
constexpr SPLiteral kTagRow("TR");
constexpr SPLiteral kTagHeadCell("TH");
constexpr SPLiteral kTagCell("TD");
constexpr SPLiteral kTagFont("FONT");
constexpr SPLiteral kTableAttributes(R"(border="1" cellspacing="0")");
constexpr SPLiteral kGrayAttributes(R"(color="gray")");
// Titles, names and templates are written as the patch holds them, in Mac Roman: without this
// a browser would guess another encoding and show "Café" as "CafŽ".
constexpr SPLiteral kCharsetAttributes(
    R"(http-equiv="Content-Type" content="text/html; charset=macintosh")");

constexpr const char* kTitleSuffix = " PARAMETER LIST";
constexpr const char* kHeaderCells[] = {
    "<TH>-</TH>",      "<TH>PARAMETER</TH>", "<TH>OUTPUT MESSAGE</TH>",
    "<TH>RANGE</TH>",  "<TH>CH</TH>",        "<TH>PORT</TH>",
    "<TH>BUTTON</TH>", "<TH>AFT</TH>",       "<TH>C.Click</TH>"};
constexpr std::string_view kNone = "-";
constexpr std::string_view kProgramChange = "PROGRAM CHANGE";

constexpr OSType kTextFileType = FourCC("TEXT");
// Large enough for a whole list, so the file is written in one piece.
constexpr long kOutputBufferSize = 64 * 1024;

constexpr long kLastClickController = 17;  // R1..S9 may carry C.Click
constexpr long kFirstAftController = 18;   // A1..B9 may carry the Note AFT setting
constexpr long kLastAftController = 35;

std::string dec(long value) { return std::to_string(value); }

std::string hex(unsigned value) {
  const auto byte = static_cast<unsigned char>(value);
  return {UStringUtils::MsbToHex(byte), UStringUtils::LsbToHex(byte)};
}

// "value(HH)"
std::string decHex(unsigned value) { return dec(value) + "(" + hex(value) + ")"; }

// The four 4-bit digits of a 16-bit value, most significant first: "07/0F/0C/00".
std::string nibbles(unsigned value) {
  return hex((value >> 12) & 0xF) + "/" + hex((value >> 8) & 0xF) + "/" + hex((value >> 4) & 0xF) +
         "/" + hex(value & 0xF);
}

std::string_view portText(std::uint8_t port) {
  switch (port) {
    case 0:
      return "1";
    case 1:
      return "2";
    case 2:
      return "1+2";
    default:
      return "";
  }
}

using ParamWriter = void (CHTMLWriter::*)(long, const SPatchParam*);

// What each message kind writes and which of the setting columns it shows.
struct SKindColumns {
  ParamWriter writer;
  bool showsPort;
  bool showsButton;
  bool allowsCClick;
};

constexpr SKindColumns kNoAssignColumns = {&CHTMLWriter::OutputParam_NoAssign, false, false, false};
constexpr SKindColumns kNote = {&CHTMLWriter::OutputParam_Note, true, true, false};
constexpr SKindColumns kCAf = {&CHTMLWriter::OutputParam_CAf, true, true, false};
constexpr SKindColumns kPAf = {&CHTMLWriter::OutputParam_PAf, true, true, false};
constexpr SKindColumns kCC = {&CHTMLWriter::OutputParam_CC, true, true, true};
constexpr SKindColumns kRPN = {&CHTMLWriter::OutputParam_RPN, true, true, true};
constexpr SKindColumns kNRPN = {&CHTMLWriter::OutputParam_NRPN, true, true, true};
constexpr SKindColumns kSysx = {&CHTMLWriter::OutputParam_Sysx, true, true, true};
constexpr SKindColumns kFree = {&CHTMLWriter::OutputParam_Free, true, true, false};

// Indexed by message-type code; the alternate codes share their partner's row.
constexpr SKindColumns kKindColumns[kMaxMsgType + 1] = {
    kNoAssignColumns,
    kNote,
    kNote,
    kCAf,
    kCAf,
    kPAf,
    kPAf,
    kCC,
    kCC,
    {&CHTMLWriter::OutputParam_Enc, true, true, false},
    {&CHTMLWriter::OutputParam_PC, true, false, false},
    {&CHTMLWriter::OutputParam_BankPC, true, false, false},
    {&CHTMLWriter::OutputParam_FixedPC, true, false, false},
    {&CHTMLWriter::OutputParam_FixedBankPC, true, false, false},
    {&CHTMLWriter::OutputParam_CurPC, true, false, false},
    kRPN,
    kRPN,
    kNRPN,
    kNRPN,
    {&CHTMLWriter::OutputParam_Realtime, true, false, false},
    kSysx,
    kSysx,
    kFree,
    kFree,
    {&CHTMLWriter::OutputParam_Tempo, false, true, false},
};

const SKindColumns& columnsOf(std::uint8_t msgType) {
  return msgType <= kMaxMsgType ? kKindColumns[msgType] : kNoAssignColumns;
}

bool isNote(std::uint8_t msgType) { return msgType == 1 || msgType == 2; }

std::string_view aftText(long index, const SPatchParam& param) {
  if (!isNote(param.msgType) || index < kFirstAftController || index > kLastAftController) {
    return kNone;
  }
  switch (param.data[2]) {
    case 1:
      return "1";
    case 2:
      return "2";
    default:
      return kNone;
  }
}

}  // namespace

CHTMLWriter::CHTMLWriter(CPatch* patch) : mPatch(patch) {
  ThrowIfNot(patch != nullptr, "the assign list needs a patch");
}

CHTMLWriter::~CHTMLWriter() = default;

OSStatus CHTMLWriter::OutputFile(const FSSpec& file) {
  if (OSStatus status = mTextOut.OpenFile(file, 0, kTextFileType); status != noErr) {
    return status;
  }
  return WriteAndClose();
}

OSStatus CHTMLWriter::OutputToMemory(std::string& out) {
  mTextOut.OpenMemory(out);
  return WriteAndClose();
}

OSStatus CHTMLWriter::WriteAndClose() {
  mTextOut.PrepareTempBuffer(kOutputBufferSize);
  try {
    OutputDocument();
  } catch (...) {
    mTextOut.AbandonFile();
    throw;
  }
  return mTextOut.CloseFile();
}

void CHTMLWriter::OutputDocument() {
  Str255 title;
  mPatch->GetPatchTitle(title);
  const std::string_view titleText = LString::View(title);

  mIndentLevel = 0;
  StartTag(kTagHTML, true, true);
  IncIndent();
  StartTag(kTagHead, true, true);
  IncIndent();
  StartTag(kTagMeta, kCharsetAttributes, true, true);
  StartTag(kTagTitle, true, false);
  WriteEscaped(titleText);
  Write(kTitleSuffix);
  EndTag(kTagTitle, false, true);
  DecIndent();
  EndTag(kTagHead, true, true);
  StartTag(kTagBody, true, true);
  IncIndent();
  StartTag(kTagH3, true, false);
  WriteEscaped(titleText);
  Write(kTitleSuffix);
  EndTag(kTagH3, false, true);
  OutputParams();
  DecIndent();
  EndTag(kTagBody, true, true);
  DecIndent();
  EndTag(kTagHTML, true, true);
}

void CHTMLWriter::OutputParams() {
  StartTag(kTagTable, kTableAttributes, true, true);  // the rows stay at the table's level
  OutputHeaderRow();
  for (long index = 0; index < kControllerCount; ++index) {
    OutputControllerRow(index, *ThrowIfNil(mPatch->GetParam(index)));
  }
  EndTag(kTagTable, true, true);
}

void CHTMLWriter::OutputHeaderRow() {
  StartTag(kTagRow, true, true);
  IncIndent();
  for (const char* cell : kHeaderCells) mTextOut.OutputString(cell, Tabs(), true);
  DecIndent();
  EndTag(kTagRow, true, true);
}

void CHTMLWriter::OutputControllerRow(long index, const SPatchParam& param) {
  const SKindColumns& columns = columnsOf(param.msgType);
  StartTag(kTagRow, true, true);
  IncIndent();

  StartTag(kTagHeadCell, true, false);
  Write(LString::View(mPatch->GetControllerDescriptor(index)));
  EndTag(kTagHeadCell, false, true);

  const std::string_view name = LString::View(param.name);
  WriteEscapedCell(name.empty() ? kNone : name);

  (this->*columns.writer)(index, &param);

  WriteCell(columns.showsPort ? portText(param.outputPort) : kNone);

  const bool showsButton = columns.showsButton && mPatch->IsControllerButton(index);
  WriteCell(showsButton ? dec((param.options & kOptionButtonModeMask) + 1) : std::string(kNone));

  WriteCell(aftText(index, param));

  const bool showsClick =
      index <= kLastClickController && columns.allowsCClick && (param.options & kOptionCClick) != 0;
  WriteCell(showsClick ? "1" : kNone);

  DecIndent();
  EndTag(kTagRow, true, true);
}

// ---------------------------------------------------------------------------------------------
// Writers per message kind

void CHTMLWriter::OutputParam_Note(long /*index*/, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell("NOTE " + decHex(d[0]));
  WriteCell("0(00) / " + decHex(d[1]));  // the note-off value; " / " for every controller
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_CAf(long index, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell("CHANNEL PRESSURE");
  WriteCell(decHex(d[0]).append(Separator(index)) + decHex(d[1]));
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_PAf(long index, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell("POLY KEY PRESSURE " + decHex(d[0]));
  WriteCell(decHex(d[1]).append(Separator(index)) + decHex(d[2]));
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_CC(long index, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell("CC " + decHex(d[0]));
  WriteCell(decHex(d[1]).append(Separator(index)) + decHex(d[2]));
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_Enc(long /*index*/, const SPatchParam* param) {
  WriteCell("B0 " + hex(param->data[0]) + " dd");
  WriteCell("DEC(41) / INC(01)");
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_PC(long index, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell(kProgramChange);
  WriteCell(dec(d[0] + 1) + "(" + hex(d[0]) + ")" + std::string(Separator(index)) + dec(d[1] + 1) +
            "(" + hex(d[1]) + ")");
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_BankPC(long /*index*/, const SPatchParam* param) {
  WriteCell(kProgramChange);
  WriteCell(kNone);
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_FixedPC(long /*index*/, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell(kProgramChange);
  WriteCell(dec(d[0] + 1) + "(" + hex(d[0]) + ")");
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_FixedBankPC(long /*index*/, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell(kProgramChange);
  WriteCell("Bank:" + dec(d[1]) + "/" + dec(d[0]) + "(" + hex(d[1]) + "/" + hex(d[0]) + ")" +
            "  PC:" + dec(d[2] + 1) + "(" + hex(d[2]) + ")");
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_CurPC(long /*index*/, const SPatchParam* param) {
  WriteCell(kProgramChange);
  WriteCell(param->data[0] != 0 ? "min:1(00)" : "max:128(7F)");
  WriteCell(kNone);
}

void CHTMLWriter::OutputParam_RPN(long index, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell("RPN " + dec(d[2]) + "/" + dec(d[1]) + "(" + hex(d[2]) + "/" + hex(d[1]) + ")");
  WriteParamNumberRange(index, param);
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_NRPN(long index, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell("NRPN " + dec(d[2]) + "/" + dec(d[1]) + "(" + hex(d[2]) + "/" + hex(d[1]) + ")");
  WriteParamNumberRange(index, param);
  WriteChannelCell(param);
}

void CHTMLWriter::OutputParam_Realtime(long /*index*/, const SPatchParam* param) {
  WriteCell(hex(param->data[0]));
  WriteCell(kNone);
  WriteCell(kNone);
}

void CHTMLWriter::OutputParam_Sysx(long index, const SPatchParam* param) {
  SPrmPatCtrlSysEx payload;
  std::memcpy(&payload, param->data, sizeof payload);
  Str255 text;
  UMessageTemplate::MakeSysxStr(payload, text, true);
  WriteTemplateCells(index, text, payload.info);
}

void CHTMLWriter::OutputParam_Free(long index, const SPatchParam* param) {
  SPrmPatCtrlSysExFree payload;
  std::memcpy(&payload, param->data, sizeof payload);
  Str255 text;
  UMessageTemplate::MakeMsgStr(payload, text, true);
  WriteTemplateCells(index, text, payload.info);
}

void CHTMLWriter::OutputParam_Tempo(long /*index*/, const SPatchParam* /*param*/) {
  WriteCell("TEMPO");
  WriteCell(kNone);
  WriteCell(kNone);
}

void CHTMLWriter::OutputParam_NoAssign(long /*index*/, const SPatchParam* /*param*/) {
  StartTag(kTagCell, true, false);
  StartTag(kTagFont, kGrayAttributes, false, false);
  Write("NO ASSIGN");
  EndTag(kTagFont, false, false);
  EndTag(kTagCell, false, true);
  WriteCell(kNone);
  WriteCell(kNone);
}

void CHTMLWriter::OutputSysxDataRangeStr(long index, const SPrmPatCtrlSysExDataInfo& info) {
  const unsigned lo = info.minValue;
  const unsigned hi = info.maxValue;
  const std::string sep(Separator(index));
  switch (info.dataType) {
    case 1:  // dd
      Write(decHex(lo) + sep + decHex(hi));
      break;
    case 2:  // d1 d2: two 4-bit digits
      Write(dec(lo * 16) + "(" + hex(lo) + "/00)" + sep + dec(hi * 16 + 15) + "(" + hex(hi) +
            "/0F)");
      break;
    case 3:  // mm ll
      Write(dec(lo * 128) + "(" + hex(lo) + "/00)" + sep + dec(hi * 128 + 127) + "(" + hex(hi) +
            "/7F)");
      break;
    case 4:  // ll mm
      Write(dec(lo * 128) + "(00/" + hex(lo) + ")" + sep + dec(hi * 128 + 127) + "(7F/" + hex(hi) +
            ")");
      break;
    case 5:  // d1 d2 d3 d4: four 4-bit digits around 0x8000
      Write(dec(-static_cast<long>(lo)) + "(" + nibbles(0x8000 - lo) + ")" + sep + dec(hi) + "(" +
            nibbles(0x8000 + hi) + ")");
      break;
    default:
      Write(kNone);
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// Tags and cells

void CHTMLWriter::StartTag(ConstStr255Param name, bool indent, bool lineEnd) {
  mTextOut.OutputTab(indent ? Tabs() : 0);
  mTextOut << '<' << name << '>';
  if (lineEnd) mTextOut.OutputLineFeed(1);
}

void CHTMLWriter::StartTag(ConstStr255Param name, ConstStr255Param attributes, bool indent,
                           bool lineEnd) {
  mTextOut.OutputTab(indent ? Tabs() : 0);
  mTextOut << '<' << name << ' ' << attributes << '>';
  if (lineEnd) mTextOut.OutputLineFeed(1);
}

void CHTMLWriter::EndTag(ConstStr255Param name, bool indent, bool lineEnd) {
  mTextOut.OutputTab(indent ? Tabs() : 0);
  mTextOut << '<' << '/' << name << '>';
  if (lineEnd) mTextOut.OutputLineFeed(1);
}

void CHTMLWriter::Write(std::string_view text) {
  mTextOut.OutputString(text.data(), static_cast<unsigned short>(text.size()), 0, false);
}

void CHTMLWriter::WriteEscaped(std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view entity;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = "&quot;";
        break;
      default:
        continue;
    }
    Write(text.substr(start, i - start));
    Write(entity);
    start = i + 1;
  }
  Write(text.substr(start));
}

void CHTMLWriter::WriteCell(std::string_view content) {
  StartTag(kTagCell, true, false);
  Write(content);
  EndTag(kTagCell, false, true);
}

void CHTMLWriter::WriteEscapedCell(std::string_view content) {
  StartTag(kTagCell, true, false);
  WriteEscaped(content);
  EndTag(kTagCell, false, true);
}

void CHTMLWriter::WriteChannelCell(const SPatchParam* param) { WriteCell(dec(param->channel + 1)); }

// RPN and NRPN: the data entry MSB range, shown as 14-bit values.
void CHTMLWriter::WriteParamNumberRange(long index, const SPatchParam* param) {
  const std::uint8_t* d = param->data;
  WriteCell(dec(d[3] * 128) + "(" + hex(d[3]) + "/00)" + std::string(Separator(index)) +
            dec(d[4] * 128 + 127) + "(" + hex(d[4]) + "/7F)");
}

// The OUTPUT MESSAGE, RANGE and CH cells of a template assignment (its channel is in the text).
void CHTMLWriter::WriteTemplateCells(long index, ConstStr255Param text,
                                     const SPrmPatCtrlSysExDataInfo& info) {
  WriteEscapedCell(LString::View(text));
  StartTag(kTagCell, true, false);
  OutputSysxDataRangeStr(index, info);
  EndTag(kTagCell, false, true);
  WriteCell(kNone);
}

std::string_view CHTMLWriter::Separator(long index) const {
  return mPatch->IsControllerButton(index) ? " / " : " - ";
}
