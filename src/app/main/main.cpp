// kvx-editor: the editor for the KVX MIDI controller keyboards.
//
//   kvx-editor [--show-captions] [--open-controller NAME] [--screenshot FILE]
//              [--quit-after-first-paint] [PATCH...]
//
// The patch files named are opened into the document. --screenshot saves a picture of the
// main window once it has been painted and quits; --quit-after-first-paint quits then (for
// start-up measurements); --show-captions shows the assignment captions first;
// --open-controller opens the assign dialog on a controller (R1, BEND, ...), and the picture
// is then the dialog's.
//
// A plain start (no options) while another editor runs with the same preferences hands the
// files to that editor and ends: one editor owns the preference file. Starts with options
// neither hand over nor take files from later starts.
#include "app/CEditorApp.h"
#include "app/CSingleInstance.h"
#include "app/main/CFirstPaintProbe.h"
#include "framework/core/LString.h"
#include "midi/CMidiOperation.h"
#include "midi/platform/CMidiSystem.h"
#include "utilities/StPreference.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstring>
#include <exception>
#include <future>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

// The framework takes every argument that does not start with "-" for a file to open, so an
// option's value is joined to it: "--screenshot FILE" becomes "--screenshot=FILE".
std::vector<std::string> JoinOptionValues(int argc, char* argv[]) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    const bool takesValue = std::strcmp(argv[i], "--screenshot") == 0 ||
                            std::strcmp(argv[i], "--open-controller") == 0;
    if (takesValue && i + 1 < argc) {
      arguments.push_back(std::string(argv[i]) + "=" + argv[i + 1]);
      ++i;
    } else {
      arguments.emplace_back(argv[i]);
    }
  }
  return arguments;
}

// The options, or nothing when the program has done its work (--help, --version) or the
// arguments are wrong; then exitStatus says how it ended. It never exits the process itself:
// the MIDI system may still be opening on another thread.
std::optional<CFirstPaintProbe::SOptions> ParseOptions(int& exitStatus) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("The editor for the KVX MIDI controller keyboards."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Save a PNG picture of the main window once it is painted, then quit."),
      QStringLiteral("FILE"));
  const QCommandLineOption captions(QStringLiteral("show-captions"),
                                    QStringLiteral("Show the assignment captions."));
  const QCommandLineOption quit(QStringLiteral("quit-after-first-paint"),
                                QStringLiteral("Quit once the main window is painted."));
  const QCommandLineOption controller(
      QStringLiteral("open-controller"),
      QStringLiteral("Open the assign dialog on a controller (R1, S9, BEND, ...) once the main "
                     "window is painted; --screenshot then saves the dialog."),
      QStringLiteral("NAME"));
  parser.addOptions({screenshot, captions, controller, quit});
  parser.addPositionalArgument(QStringLiteral("patch"), QStringLiteral("Patch files to open."),
                               QStringLiteral("[patch...]"));
  if (!parser.parse(QCoreApplication::arguments())) {
    std::cerr << "kvx-editor: " << parser.errorText().toStdString() << std::endl;
    exitStatus = 1;
    return std::nullopt;
  }
  if (parser.isSet(help) || parser.isSet(version)) {
    const QString text = parser.isSet(help) ? parser.helpText()
                                            : QCoreApplication::applicationName() +
                                                  QLatin1Char(' ') +
                                                  QCoreApplication::applicationVersion() + '\n';
    std::cout << text.toStdString() << std::flush;
    exitStatus = 0;
    return std::nullopt;
  }

  CFirstPaintProbe::SOptions options;
  options.screenshotFile = parser.value(screenshot);
  options.showCaptions = parser.isSet(captions);
  options.openController = parser.value(controller);
  options.quit = parser.isSet(quit) || parser.isSet(screenshot);
  return options;
}

// The files named on the command line, as absolute paths.
QStringList CommandLineFilePaths() {
  QStringList paths;
  for (const FSSpec& file : LApplication::CommandLineFiles())
    paths << QString::fromStdString(file.Path().string());
  return paths;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::vector<std::string> arguments = JoinOptionValues(argc, argv);
  std::vector<char*> qtArgv;
  for (std::string& argument : arguments) qtArgv.push_back(argument.data());
  qtArgv.push_back(nullptr);
  int qtArgc = static_cast<int>(arguments.size());

  // Opening ALSA or JACK takes milliseconds: it goes on while Qt starts, and the application
  // takes the system over when it creates its MIDI service.
  std::future<std::unique_ptr<CMidiSystem>> midiSystem =
      std::async(std::launch::async, &CEditorApp::MakeMidiSystem);

  QApplication qtApplication(qtArgc, qtArgv.data());
  CEditorApp::NameTheProgram();
  int exitStatus = 0;
  std::optional<CFirstPaintProbe::SOptions> options = ParseOptions(exitStatus);
  if (!options) return exitStatus;
  // Runs with options (screenshots, measurements) stand on their own.
  const bool plainStart = !options->quit && options->screenshotFile.isEmpty() &&
                          !options->showCaptions && options->openController.isEmpty();
  CSingleInstance instance(CSingleInstance::DefaultAddress());
  if (plainStart && instance.HandOver(CommandLineFilePaths())) return 0;
  CFirstPaintProbe probe(std::move(*options));
  if (probe.IsNeeded()) qtApplication.installEventFilter(&probe);

  try {
    // Loaded first, written last: everything in between keeps its settings in it.
    StPreference preferences(LStr255(kPrefFileName), kKVXEditorSignature, kPrefFileIconID,
                             kPrefFileType);
    CEditorApp application([&midiSystem] {
      std::unique_ptr<CMidiSystem> system = midiSystem.get();
      system->AdoptCallingThread();
      return system;
    });
    if (plainStart) {
      instance.Listen([&application](const QStringList& files) {
        application.OpenHandedFiles(files);
      });
    }
    application.Run();
    instance.ClearReceiver();
  } catch (const std::exception& error) {
    std::cerr << "kvx-editor: " << error.what() << std::endl;
    return 1;
  }
  return probe.GetExitStatus();
}
