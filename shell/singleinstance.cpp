#include "shell/singleinstance.h"

#include <QCryptographicHash>
#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "data/filehandles.h"

#include "platform/appconfig.h"
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

bool CSingleInstance::SendHandOver(const QString& file) {
  QLocalSocket socket;
  socket.connectToServer(ServerName());
  if (!socket.waitForConnected(5000)) return false;
  // "handover", then the file's name (percent-encoded, so any name stays one
  // line) on a line of its own.
  socket.write(kHandOver + (file.isEmpty() ? QByteArray() : file.toUtf8().toPercentEncoding("/") + '\n'));
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
      // The message is read whole when the sender hangs up.
      auto text = std::make_shared<QByteArray>();
      connect(s, &QLocalSocket::readyRead, this, [s, text] { *text += s->readAll(); });
      connect(s, &QLocalSocket::disconnected, this, [this, s, text] {
        *text += s->readAll();
        s->deleteLater();
        const QList<QByteArray> lines = text->split('\n');
        if (lines.isEmpty() || lines[0] != "handover") return;
        emit handOver(lines.size() > 1 ? QString::fromUtf8(QByteArray::fromPercentEncoding(lines[1]))
                                       : QString());
      });
    }
  });
  return true;
}

QString CSingleInstance::LockPath() {
  return QString::fromStdString(platform::SettingsPath("recview.lock"));
}

CSingleInstance::Start CSingleInstance::StartOrHandOver(const QString& file) {
  // Held until this start has either handed over or is listening; released
  // with the descriptor on every way out.
  UniqueFd lock(::open(LockPath().toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock.valid()) {
    while (::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    QLocalSocket probe;
    probe.connectToServer(ServerName());
    if (probe.waitForConnected(5000)) {
      probe.abort();
      // The file is also remembered as the last one, as a hand-over always did.
      if (!file.isEmpty()) platform::WriteLastDir(file.toStdString());
      return SendHandOver(file) ? Start::kHandedOver : Start::kFailed;
    }
    const QLocalSocket::LocalSocketError error = probe.error();
    // No socket, or one nobody listens on (a killed process's): ours to take.
    if (error == QLocalSocket::ServerNotFoundError ||
        error == QLocalSocket::ConnectionRefusedError)
      return Listen() ? Start::kListening : Start::kFailed;
    QThread::msleep(200);  // a busy instance: ask again
  }
  return Start::kFailed;
}

void CSingleInstance::Close() {
  if (server_) {
    server_->close();
    delete server_;
    server_ = nullptr;
  }
}
