#include "cli/CPatchTool.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

#include "cli/CMidiSession.h"
#include "cli/CTerminalTransfer.h"
#include "document/CPatch.h"
#include "export/CHTMLWriter.h"
#include "export/CPatchJSON.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"
#include "framework/core/UMacRoman.h"
#include "utilities/UAlert.h"
#include "utilities/UFileUtils.h"
#include "utilities/UStringUtils.h"

namespace fs = std::filesystem;

namespace {

// A file that cannot be read or written, or does not hold what it should.
struct SFileError {
  std::string file;
  std::string reason;
};

[[noreturn]] void Fail(const fs::path& file, std::string reason) {
  throw SFileError{file.string(), std::move(reason)};
}

// A JSON patch is a few hundred kilobytes at most; this bound keeps an endless input (a device,
// a pipe that never ends) from eating the memory.
constexpr std::size_t kMaxJSONSize = 16 * 1024 * 1024;

enum class EFileKind { RegularOnly, AnyReadable };

// Patch files must be regular files: the file reader takes them whole, and a device such as
// /dev/zero would never end. JSON may also come from a pipe (/dev/stdin).
void CheckReadable(const fs::path& file, EFileKind kind) {
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (error) Fail(file, "cannot be read: " + error.message());
  if (fs::is_directory(status)) Fail(file, "cannot be read: it is a directory");
  if (kind == EFileKind::RegularOnly && !fs::is_regular_file(status))
    Fail(file, "cannot be read: it is not a regular file");
  std::FILE* probe = std::fopen(file.c_str(), "rb");
  if (probe == nullptr) Fail(file, std::string("cannot be read: ") + std::strerror(errno));
  std::fclose(probe);
}

std::string ReadJSONFile(const fs::path& file) {
  CheckReadable(file, EFileKind::AnyReadable);
  std::ifstream in(file, std::ios::binary);
  std::string content(kMaxJSONSize + 1, '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (in.bad()) Fail(file, "cannot be read");
  content.resize(static_cast<std::size_t>(in.gcount()));
  if (content.size() > kMaxJSONSize) Fail(file, "is too large for a JSON patch (over 16 MB)");
  return content;
}

// The system's reason when it can be found, else the editor's own message.
std::string WriteFailureReason(const fs::path& file) {
  std::error_code error;
  const fs::path folder = fs::absolute(file, error).parent_path();
  if (!fs::is_directory(folder, error)) {
    return "cannot be written: the folder " + folder.string() + " does not exist";
  }
  if (fs::is_directory(file, error)) return "cannot be written: it is a directory";
  if (::access(folder.c_str(), W_OK) != 0) {
    return std::string("cannot be written: ") + std::strerror(errno);
  }
  return "cannot be written. " + LStr255(STRx_Errors, err_SaveFailed).Std();
}

// A title or name on one terminal line: control characters become blanks.
std::string OneLine(std::string_view macRoman) {
  std::string text(macRoman);
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return UMacRoman::ToUTF8(text);
}

}  // namespace

CPatchTool::CPatchTool(std::ostream& out, std::ostream& err) : mOut(out), mErr(err) {}

int CPatchTool::Run(const SCommandLine& line) {
  switch (line.action) {
    case SCommandLine::EAction::Help:
      mOut << CCommandLine::Help(line.command) << std::flush;
      return kExitSuccess;
    case SCommandLine::EAction::UsageError:
      mErr << "kvx: " << line.error << '\n' << CCommandLine::Usage(line.command);
      return kExitUsage;
    case SCommandLine::EAction::Run:
      break;
  }
  StAlertPresenter presenter(&mAlerts);
  try {
    Execute(line);
    CheckOutput();
    return kExitSuccess;
  } catch (const SFileError& error) {
    mOut.flush();
    mErr << "kvx: " << error.file << ": " << error.reason << '\n';
  } catch (const std::exception& error) {
    mOut.flush();
    mErr << "kvx: " << error.what() << '\n';
  }
  return kExitFileError;
}

void CPatchTool::Execute(const SCommandLine& line) {
  const std::vector<std::string>& files = line.operands;
  switch (line.command) {
    case ECommand::Info:
      return Info(files.at(0));
    case ECommand::Html:
      return Html(files.at(0), line.output ? std::optional<fs::path>(*line.output) : std::nullopt);
    case ECommand::Dump:
      return Dump(files.at(0));
    case ECommand::Json:
      return Json(files.at(0));
    case ECommand::Build:
      return Build(files.at(0), files.at(1));
    case ECommand::Import:
      return Import(files.at(0), files.at(1));
    case ECommand::Ports:
      return Ports();
    case ECommand::Send:
      return Send(files.at(0), line);
    case ECommand::Receive:
      return Receive(files.at(0), line);
    case ECommand::None:
      break;
  }
}

void CPatchTool::Info(const fs::path& patchFile) {
  CPatch patch;
  LoadPatch(patch, patchFile, kPatchVersion);
  mOut << OneLine(LString::View(patch.PatchTitle())) << '\n';
  for (long index = 0; index < kControllerCount; ++index) {
    Str255 caption;
    patch.GetShortParamCaption(index, caption);
    mOut << LString::View(patch.GetControllerDescriptor(index)) << '\t' << LString::View(caption)
         << '\t' << OneLine(LString::View(patch.GetParam(index)->name)) << '\n';
  }
}

void CPatchTool::Html(const fs::path& patchFile, const std::optional<fs::path>& outFile) {
  CPatch patch;
  LoadPatch(patch, patchFile, kPatchVersion);
  CHTMLWriter writer(&patch);
  if (!outFile) {
    std::string page;
    if (writer.OutputToMemory(page) != 0) Fail(patchFile, "the assign list could not be made");
    mOut << page;
    return;
  }
  if (writer.OutputFile(FSSpec::FromPath(*outFile)) != 0)
    Fail(*outFile, WriteFailureReason(*outFile));
}

void CPatchTool::Dump(const fs::path& patchFile) {
  CPatch patch;
  LoadPatch(patch, patchFile, kPatchVersion);
  unsigned char dump[kBulkDumpSize];
  for (long index = 0; index < kControllerCount; ++index) {
    const long length = patch.MakeBulkSysx(index, dump);
    std::string line;
    for (long k = 0; k < length; ++k) {
      if (k > 0) line += ' ';
      line += UStringUtils::MsbToHex(dump[k]);
      line += UStringUtils::LsbToHex(dump[k]);
    }
    mOut << line << '\n';
  }
}

void CPatchTool::Json(const fs::path& patchFile) {
  CPatch patch;
  LoadPatch(patch, patchFile, kPatchVersion);
  mOut << CPatchJSON::ToText(patch);
}

void CPatchTool::Build(const fs::path& jsonFile, const fs::path& outFile) {
  const std::string text = ReadJSONFile(jsonFile);
  CPatch patch;
  CPatchJSON::SError error;
  if (!CPatchJSON::FromText(text, patch, error)) Fail(jsonFile, error.Message());
  SavePatch(patch, outFile);
}

void CPatchTool::Import(const fs::path& oldFile, const fs::path& newFile) {
  CPatch patch;
  LoadPatch(patch, oldFile, kPatchVersion_100);
  SavePatch(patch, newFile);
}

void CPatchTool::Ports() {
  CMidiSession session(mErr);
  if (session.GetSystemName().empty()) {
    mErr << "kvx: no ALSA sequencer or JACK server is in use: only the built-in device is there\n";
  }
  mOut << session.ListPorts();
}

void CPatchTool::Send(const fs::path& patchFile, const SCommandLine& line) {
  CPatch patch;
  LoadPatch(patch, patchFile, kPatchVersion);
  CMidiSession session(mErr);
  const std::string destination = session.ChooseDestination(*line.to);
  if (line.verify) session.ChooseSource(*line.from);
  CTerminalTransfer transfer(mOut, mErr, mAlerts, {line.assumeYes, line.timeoutSeconds});
  transfer.Send(patch, patchFile.string(), destination, line.verify);
}

// The patch file is written only when the whole patch came in: a failed transfer leaves an
// existing file as it was.
void CPatchTool::Receive(const fs::path& outFile, const SCommandLine& line) {
  CheckWritable(outFile);
  CPatch patch;
  CMidiSession session(mErr);
  const std::string source = session.ChooseSource(*line.from);
  const std::string destination = session.ChooseDestination(*line.to);
  CTerminalTransfer transfer(mOut, mErr, mAlerts, {line.assumeYes, line.timeoutSeconds});
  transfer.Request(patch, source, destination, outFile.string());
  SavePatch(patch, outFile);
  mOut << patch.GetReceivedCount() << " dumps received from \"" << source << "\", written to "
       << outFile.string() << ".\n";
}

// Loads as the editor does: `version` 100 reads the older format, as its importer does, and the
// current version is set again afterwards.
void CPatchTool::LoadPatch(CPatch& patch, const fs::path& file, std::uint32_t version) {
  CheckReadable(file, EFileKind::RegularOnly);
  patch.SetVersion(version);
  const short result = patch.LoadSMF(FSSpec::FromPath(file));
  patch.SetCurrentVersion();
  std::string alerts = mAlerts.TakeMessages();
  // The messages name the file first, as the editor shows them; here the file leads the line.
  const std::string named = "\"" + UFileUtils::DisplayName(file) + "\": ";
  if (alerts.starts_with(named)) alerts.erase(0, named.size());
  if (result != 0 && alerts == LStr255(STRx_Errors, err_OldFormatFile).Std()) {
    Fail(file, "is a patch file of the older KVX format: convert it with \"kvx import " +
                   file.string() + " NEW.mid\"");
  }
  if (result != 0) Fail(file, alerts.empty() ? "is not a valid patch file" : alerts);
  // A file with damaged dumps loads as it is; its alert is the one warning.
  if (!alerts.empty()) mErr << "kvx: warning: " << file.string() << ": " << alerts << '\n';
}

void CPatchTool::SavePatch(CPatch& patch, const fs::path& file) {
  if (patch.SaveSMF(FSSpec::FromPath(file)) != 0) Fail(file, WriteFailureReason(file));
}

// Fails early, before a transfer, when `file` surely cannot be written.
void CPatchTool::CheckWritable(const fs::path& file) {
  std::error_code error;
  const fs::path folder = fs::absolute(file, error).parent_path();
  if (!fs::is_directory(folder, error) || fs::is_directory(file, error) ||
      ::access(folder.c_str(), W_OK) != 0) {
    Fail(file, WriteFailureReason(file));
  }
}

void CPatchTool::CheckOutput() {
  mOut.flush();
  if (!mOut) throw SFileError{"(standard output)", "cannot be written"};
}
