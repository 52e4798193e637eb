#include "app/CSingleInstance.h"

#include "utilities/UFileUtils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

// The first line of a message; a connection without it (another editor looking whether the
// address is taken) asks for nothing.
constexpr char kGreeting[] = "kvx-editor open\n";
constexpr int kConnectMilliseconds = 1000;
constexpr int kWriteMilliseconds = 3000;

}  // namespace

CSingleInstance::CSingleInstance(QString address) : mAddress(std::move(address)) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::DefaultAddress() {
  const auto preferences = UFileUtils::FindPreferencesFolder();
  const QByteArray key = QByteArray::fromStdString(preferences ? preferences->string() : "");
  const QString tag = QString::fromLatin1(
      QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty() || !QDir::isAbsolutePath(folder) || !QFileInfo(folder).isDir())
    folder = QDir::tempPath();
  // The user's id keeps users apart in a shared temp folder.
  return QStringLiteral("%1/kvx-editor-%2-%3.socket").arg(folder).arg(getuid()).arg(tag);
}

bool CSingleInstance::HandOver(const QStringList& files) const {
  QLocalSocket socket;
  socket.connectToServer(mAddress);
  if (!socket.waitForConnected(kConnectMilliseconds)) return false;
  QByteArray message(kGreeting);
  for (const QString& file : files) message += file.toUtf8() + '\n';
  socket.write(message);
  if (!socket.waitForBytesWritten(kWriteMilliseconds) && socket.bytesToWrite() > 0) return false;
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState)
    socket.waitForDisconnected(kWriteMilliseconds);
  return true;
}

bool CSingleInstance::Listen(Receiver receiver) {
  mReceiver = std::move(receiver);
  if (IsListening()) return true;
  {
    QLocalSocket probe;
    probe.connectToServer(mAddress);
    if (probe.waitForConnected(kConnectMilliseconds)) return false;  // another editor's
  }
  // Nobody answers: a socket there is a leftover.
  QLocalServer::removeServer(mAddress);
  auto server = std::make_unique<QLocalServer>();
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(mAddress)) return false;
  QObject::connect(server.get(), &QLocalServer::newConnection, server.get(), [this] { Accept(); });
  mServer = std::move(server);
  return true;
}

bool CSingleInstance::IsListening() const { return mServer != nullptr && mServer->isListening(); }

void CSingleInstance::Accept() {
  while (QLocalSocket* socket = mServer->nextPendingConnection()) {
    // The message is complete when the other editor hangs up.
    const auto deliver = [this, socket] {
      const QByteArray message = socket->readAll();
      socket->deleteLater();
      if (!message.startsWith(kGreeting) || !mReceiver) return;
      const QString files = QString::fromUtf8(message.mid(sizeof kGreeting - 1));
      mReceiver(files.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    };
    if (socket->state() == QLocalSocket::UnconnectedState)
      deliver();
    else
      QObject::connect(socket, &QLocalSocket::disconnected, socket, deliver);
  }
}
