// One running editor per preference file. The first editor started listens on a local socket
// named after its preferences folder; an editor started while it runs hands it the files it
// was given to open and ends, so only one editor ever writes the preference file.
//
// The socket lies in $XDG_RUNTIME_DIR (else the system temp folder) and only its user may
// connect. A socket left behind by an editor that ended without removing it answers nobody
// and is replaced. The message is a greeting line and the files' absolute paths, one per line
// (UTF-8); a message without files asks the running editor to come to the front.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLocalServer;

class CSingleInstance {
 public:
  using Receiver = std::function<void(const QStringList& files)>;

  // `address`: the socket's path; DefaultAddress() for the editor's.
  explicit CSingleInstance(QString address);
  ~CSingleInstance();
  CSingleInstance(const CSingleInstance&) = delete;
  CSingleInstance& operator=(const CSingleInstance&) = delete;

  // The editor's socket for the preferences folder of this user and environment.
  static QString DefaultAddress();

  // Gives `files` (absolute paths) to an editor that listens at the address; false when none
  // does (or it took nothing).
  bool HandOver(const QStringList& files) const;
  // Listens at the address unless another editor does; messages go to `receiver` on the
  // main thread while the event loop runs. False when it could not listen.
  bool Listen(Receiver receiver);
  bool IsListening() const;
  // Messages arriving from now on are dropped (the receiver is going away).
  void ClearReceiver() { mReceiver = nullptr; }

 private:
  void Accept();

  QString mAddress;
  std::unique_ptr<QLocalServer> mServer;
  Receiver mReceiver;
};
