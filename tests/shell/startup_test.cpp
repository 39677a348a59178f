// The start sequence, in this process and as real second processes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "chartfile.h"
#include "common/testenv.h"
#include "platform/appconfig.h"
#include "platform/profile.h"
#include "platform/programdir.h"
#include "platform/ui/lang.h"
#include "shell/app.h"
#include "shell/mainframe.h"
#include "shell/singleinstance.h"

namespace {

void SetLanguageText(const std::string& text) {
  platform::WritePrivateProfileString("LanguageSetting", "Language", text,
                                      platform::SettingsPath("Config.ini"));
}

QString Recview() { return QString::fromStdString(testenv::BinDir()) + "recview"; }

// Runs recview as its own process with this test's settings directory.
int RunRecview(const QString& program, const QStringList& args, QByteArray* output,
               int timeoutMs = 20000) {
  QProcess p;
  p.setProgram(program);
  p.setArguments(args);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start();
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  if (output) *output = p.readAll();
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
}

}  // namespace

TEST(Startup, LanguageSevenStartsInChinese) {
  SetLanguageText("7");
  CRecviewApp app;
  ASSERT_TRUE(app.InitInstance({"recview"}));
  EXPECT_EQ(app.language(), 0);
  EXPECT_EQ(lang::Language(), 0);
  EXPECT_EQ(app.MainFrame()->windowTitle(), lang::String(128));
  EXPECT_TRUE(app.MainFrame()->windowTitle().contains(QStringLiteral("记录仪")));
  app.ExitInstance();
}

TEST(Startup, EnglishWhenConfigured) {
  SetLanguageText("1");
  CRecviewApp app;
  ASSERT_TRUE(app.InitInstance({"recview"}));
  EXPECT_EQ(lang::Language(), 1);
  EXPECT_EQ(app.MainFrame()->windowTitle(), "recview Recorder Data Manager");
  app.ExitInstance();
}

TEST(Startup, NegativeLanguageEndsSilentlyWithoutAWindow) {
  SetLanguageText("-1");
  CRecviewApp app;
  EXPECT_FALSE(app.InitInstance({"recview"}));
  EXPECT_EQ(app.exitCode(), 0);
  EXPECT_EQ(app.MainFrame(), nullptr);
  // The same as a real process: exit code 0, nothing printed.
  QByteArray out;
  EXPECT_EQ(RunRecview(Recview(), {}, &out), 0);
  EXPECT_TRUE(out.isEmpty()) << out.toStdString();
}

TEST(Startup, MissingPackageEndsSilently) {
  // A program directory without Language/: the program and its libraries only.
  const std::string dir = testenv::NewDir("prog");
  QDir bin(QString::fromStdString(testenv::BinDir()));
  for (const QString& f : bin.entryList({"recview", "*.so"}, QDir::Files)) {
    const std::string from = (bin.filePath(f)).toStdString(), to = dir + f.toStdString();
    if (::link(from.c_str(), to.c_str()) != 0) QFile::copy(QString::fromStdString(from), QString::fromStdString(to));
  }
  QFile::setPermissions(QString::fromStdString(dir) + "recview",
                        QFile::permissions(QString::fromStdString(dir) + "recview") | QFile::ExeOwner);
  QByteArray out;
  EXPECT_EQ(RunRecview(QString::fromStdString(dir) + "recview", {}, &out), 0);
  EXPECT_TRUE(out.isEmpty()) << out.toStdString();
}

TEST(Startup, SecondStartHandsItsFileOverAndExits) {
  CRecviewApp first;
  ASSERT_TRUE(first.InitInstance({"recview"}));
  QSignalSpy opened(first.MainFrame(), &CMainFrame::fileOpenRequested);

  // A second, real process with a file name: it writes "LastDir", tells the
  // first and exits at once without a window.
  const QString file = QString::fromStdString(testenv::Home()) + "handed.KVD";
  QProcess second;
  second.start(Recview(), {file});
  ASSERT_TRUE(second.waitForStarted());
  QElapsedTimer t;
  t.start();
  while (second.state() != QProcess::NotRunning && t.elapsed() < 20000) QTest::qWait(20);
  ASSERT_EQ(second.state(), QProcess::NotRunning);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(platform::ReadLastDir(), file.toStdString());

  // The first instance re-opens "LastDir".
  ASSERT_TRUE(opened.wait(5000) || opened.count() > 0);
  EXPECT_EQ(opened.first().at(0).toString(), file);

  // A second start without a file re-opens the last file.
  opened.clear();
  QByteArray out;
  EXPECT_EQ(RunRecview(Recview(), {}, &out), 0);
  ASSERT_TRUE(opened.wait(5000) || opened.count() > 0);
  EXPECT_EQ(opened.first().at(0).toString(), file);
  first.ExitInstance();
}

TEST(Startup, StaleSocketOfAKilledInstanceDoesNotBlockTheStart) {
  // A first instance killed outright leaves its socket behind.
  QProcess victim;
  victim.start(Recview(), {});
  ASSERT_TRUE(victim.waitForStarted());
  CSingleInstance look;
  QElapsedTimer t;
  t.start();
  while (!look.OtherRunning() && t.elapsed() < 20000) QTest::qWait(50);
  ASSERT_TRUE(look.OtherRunning());
  victim.kill();
  victim.waitForFinished();
  EXPECT_FALSE(look.OtherRunning());

  CRecviewApp app;
  ASSERT_TRUE(app.InitInstance({"recview"}));
  EXPECT_NE(app.MainFrame(), nullptr);
  EXPECT_TRUE(look.OtherRunning());
  app.ExitInstance();
}

namespace {

// The files process pid has mapped (a view maps the file it shows).
QStringList MappedFiles(qint64 pid) {
  QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
  QStringList files;
  if (!maps.open(QIODevice::ReadOnly)) return files;
  for (const QByteArray& line : maps.readAll().split('\n')) {
    const int slash = line.indexOf('/');
    if (slash > 0) files << QString::fromUtf8(line.mid(slash));
  }
  return files;
}

}  // namespace

// A file named relative to the folder a start was made in is opened there,
// also when another process opens it.
TEST(Startup, HandedOverFileIsMadeAbsoluteWhereItWasNamed) {
  CRecviewApp first;
  ASSERT_TRUE(first.InitInstance({"recview"}));
  QSignalSpy opened(first.MainFrame(), &CMainFrame::fileOpenRequested);
  const QString dir = QString::fromStdString(testenv::NewDir("elsewhere"));
  ASSERT_TRUE(charttest::MakeRecording((dir + "rel.KVD").toStdString(), {}));
  QProcess second;
  second.setWorkingDirectory(dir);
  second.start(Recview(), {"rel.KVD"});
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitCode(), 0);
  ASSERT_TRUE(opened.wait(5000) || opened.count() > 0);
  EXPECT_EQ(opened.first().at(0).toString(), dir + "rel.KVD");
  EXPECT_TRUE(opened.first().at(1).toBool());
  EXPECT_EQ(platform::ReadLastDir(), (dir + "rel.KVD").toStdString());
  first.ExitInstance();
}

// Eight starts at the same moment, each with a file named relative to its own
// folder (two folders): exactly one instance stays and it shows all eight.
TEST(Startup, EightStartsAtOnceLeaveOneInstanceWithEveryFile) {
  const QString dirs[2] = {QString::fromStdString(testenv::NewDir("a")),
                           QString::fromStdString(testenv::NewDir("b"))};
  QStringList wanted;
  std::vector<std::unique_ptr<QProcess>> starts;
  for (int i = 0; i < 8; ++i) {
    // Names with a blank, a percent sign and Chinese text travel unchanged.
    const QString dir = dirs[i % 2], name = QStringLiteral("f %1%%数据.KVD").arg(i);
    charttest::Recipe r;
    r.channels = 1;
    ASSERT_TRUE(charttest::MakeRecording((dir + name).toStdString(), r));
    wanted << dir + name;
    starts.push_back(std::make_unique<QProcess>());
    starts.back()->setWorkingDirectory(dir);
    starts.back()->setProgram(Recview());
    starts.back()->setArguments({name});
  }
  for (auto& p : starts) p->start();
  for (auto& p : starts) ASSERT_TRUE(p->waitForStarted(10000));

  // Seven hand over and end; one stays.
  QElapsedTimer t;
  t.start();
  auto running = [&] {
    int n = 0;
    for (auto& p : starts) n += p->state() != QProcess::NotRunning;
    return n;
  };
  while (running() > 1 && t.elapsed() < 60000) QTest::qWait(50);
  QTest::qWait(500);
  ASSERT_EQ(running(), 1);
  QProcess* stays = nullptr;
  for (auto& p : starts) {
    if (p->state() != QProcess::NotRunning)
      stays = p.get();
    else
      EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
  }

  // It opens every file (each view maps its file).
  QStringList missing = wanted;
  while (!missing.isEmpty() && t.elapsed() < 90000) {
    const QStringList mapped = MappedFiles(stays->processId());
    for (int i = missing.size() - 1; i >= 0; --i)
      if (mapped.contains(missing[i])) missing.removeAt(i);
    if (!missing.isEmpty()) QTest::qWait(100);
  }
  EXPECT_TRUE(missing.isEmpty()) << missing.join(' ').toStdString();
  stays->terminate();
  if (!stays->waitForFinished(10000)) stays->kill();
  stays->waitForFinished();
}
