#pragma once
// One running recview per user and settings directory. The first start
// listens on a local socket; a later start connects, says "handover" and
// exits. The name is made from the program's two fixed GUIDs, the user id and
// the settings directory (a copy with other settings is another program).
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
  // Sends the hand-over to the running instance; true when it was delivered.
  bool SendHandOver();
  // Starts listening (removing a stale socket of a killed process).
  bool Listen();
  void Close();

 signals:
  void handOver();

 private:
  QLocalServer* server_ = nullptr;
};
