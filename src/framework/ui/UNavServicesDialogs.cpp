#include "framework/ui/UNavServicesDialogs.h"

#include "framework/ui/StTargetKeeper.h"
#include "framework/ui/UQtText.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QStringList nameFilters(const std::vector<SFileFilter>& filters) {
  QStringList texts;
  for (const SFileFilter& filter : filters)
    texts << QStringLiteral("%1 (%2)").arg(filter.description,
                                           filter.patterns.join(QLatin1Char(' ')));
  return texts;
}

class CQtNavHost final : public LNavHost {
 public:
  QStringList AskOpenFiles(const SNavRequest& request) override {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multipleFiles ? QFileDialog::ExistingFiles
                                             : QFileDialog::ExistingFile);
    if (!request.filters.empty()) dialog.setNameFilters(nameFilters(request.filters));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
  }

  QString AskSaveFile(const SNavRequest& request) override {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.filters.empty()) dialog.setNameFilters(nameFilters(request.filters));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
  }
};

// What `ask` answers; the focus and the target go back where they were afterwards.
template <typename Ask>
auto askKeepingFocus(Ask&& ask) {
  StTargetKeeper keeper;
  return ask();
}

CQtNavHost sQtHost;
LNavHost* sHost = nullptr;
QString sLastFolder;

}  // namespace

LNavHost* UNavServicesDialogs::SetHost(LNavHost* host) {
  LNavHost* previous = sHost;
  sHost = host;
  return previous;
}

LNavHost& UNavServicesDialogs::GetHost() { return sHost != nullptr ? *sHost : sQtHost; }

QString UNavServicesDialogs::StartFolder() {
  return sLastFolder.isEmpty() ? QDir::homePath() : sLastFolder;
}

void UNavServicesDialogs::RememberFolder(const QString& file) {
  sLastFolder = QFileInfo(file).absolutePath();
}

void UNavServicesDialogs::LFileDesignator::AddFilter(const QString& description,
                                                     const QStringList& patterns) {
  mFilters.push_back({description, patterns});
}

bool UNavServicesDialogs::LFileDesignator::AskDesignateFile(ConstStr255Param defaultName) {
  return AskDesignateFile(UQtText::FromPStr(defaultName));
}

bool UNavServicesDialogs::LFileDesignator::AskDesignateFile(const QString& defaultName) {
  SNavRequest request;
  request.save = true;
  request.title = mOptions.windowTitle;
  request.folder = mStartFolder.isEmpty() ? StartFolder() : mStartFolder;
  request.proposedName = defaultName;
  request.filters = mFilters;
  request.defaultSuffix = mDefaultSuffix;
  const QString chosen = askKeepingFocus([&] { return GetHost().AskSaveFile(request); });
  if (chosen.isEmpty()) return false;
  const QString path = QFileInfo(chosen).absoluteFilePath();
  RememberFolder(path);
  mReplacing = QFileInfo::exists(path);
  mFile = FSSpec::FromPath(path.toStdString());
  return true;
}

void UNavServicesDialogs::LFileChooser::AddFilter(const QString& description,
                                                  const QStringList& patterns) {
  mFilters.push_back({description, patterns});
}

bool UNavServicesDialogs::LFileChooser::AskOpenFile() {
  SNavRequest request;
  request.title = mOptions.windowTitle;
  request.folder = StartFolder();
  request.filters = mFilters;
  request.multipleFiles = (mOptions.dialogOptionFlags & kNavAllowMultipleFiles) != 0;
  const QStringList chosen = askKeepingFocus([&] { return GetHost().AskOpenFiles(request); });
  mFiles.clear();
  for (const QString& file : chosen) {
    const QString path = QFileInfo(file).absoluteFilePath();
    mFiles.push_back(FSSpec::FromPath(path.toStdString()));
    if (!request.multipleFiles) break;
  }
  if (!mFiles.empty()) RememberFolder(QString::fromStdString(mFiles.front().Path().string()));
  return !mFiles.empty();
}
