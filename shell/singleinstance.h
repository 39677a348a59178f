#pragma once
// One running recview per user and settings directory. The first start
// listens on a local socket; a later start connects, says "handover" and
// exits. The name is made from the program's two fixed GUIDs, the user id and
// the settings directory (a copy with other settings is another program).
// The check and the listen happen under a lock file held with flock in the
// settings directory, so starts at the same moment find exactly one winner and
// no start removes a socket another one is listening on.
#include <QObject>
#include <QString>

class QLocalServer;

class CSingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit CSingleInstance(QObject* parent = nullptr);
  ~CSingleInstance() override;

  static QString ServerName();

  // True when another instance answers.
  bool OtherRunning();
  // Sends the hand-over (with the file it names, if any) to the running
  // instance; true when it was delivered.
  bool SendHandOver(const QString& file = QString());
  // Starts listening (removing a stale socket of a killed process).
  bool Listen();

  enum class Start { kListening, kHandedOver, kFailed };
  // The whole start under the lock: hands file (absolute, may be empty) over
  // to a running instance, or becomes the running instance.
  Start StartOrHandOver(const QString& file);
  // The lock file's path.
  static QString LockPath();
  void Close();

 signals:
  // A start handed over; file is the file it named (empty: none).
  void handOver(const QString& file);

 private:
  QLocalServer* server_ = nullptr;
};
