#include "shell/singleinstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

#include "platform/programdir.h"

namespace {
const char kMutexName[] = "{1A901C59-E158-4a0c-A812-BC8B6F49C727}";
const char kMessageName[] = "{CCF754BE-4CAA-4297-A8C9-C14F1751ADBA}";
const QByteArray kHandOver = "handover\n";
}  // namespace

CSingleInstance::CSingleInstance(QObject* parent) : QObject(parent) {}

CSingleInstance::~CSingleInstance() { Close(); }

QString CSingleInstance::ServerName() {
  QByteArray key = QByteArray(kMutexName) + kMessageName + QByteArray::number(::getuid()) +
                   QByteArray::fromStdString(platform::SettingsDir());
  QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(20);
  return QStringLiteral("recview-") + QString::fromLatin1(hash);
}

bool CSingleInstance::OtherRunning() {
  QLocalSocket socket;
  socket.connectToServer(ServerName());
  bool ok = socket.waitForConnected(1000);
  socket.abort();
  return ok;
}

bool CSingleInstance::SendHandOver() {
  QLocalSocket socket;
  socket.connectToServer(ServerName());
  if (!socket.waitForConnected(1000)) return false;
  socket.write(kHandOver);
  bool ok = socket.waitForBytesWritten(1000);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
  return ok;
}

bool CSingleInstance::Listen() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(ServerName())) {
    // Nobody answered (checked by the caller): the socket is a killed process's.
    QLocalServer::removeServer(ServerName());
    if (!server_->listen(ServerName())) return false;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      connect(s, &QLocalSocket::readyRead, this, [this, s] {
        if (s->readAll().contains("handover")) emit handOver();
      });
    }
  });
  return true;
}

void CSingleInstance::Close() {
  if (server_) {
    server_->close();
    delete server_;
    server_ = nullptr;
  }
}
