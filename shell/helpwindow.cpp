#include "shell/helpwindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/appconfig.h"
#include "platform/ui/lang.h"

namespace {

enum : int {
  kTitle = 63430,
  kBrowser = 63431,
  kBack = 63432,
  kClose = 63433,
  kNoPage = 63434,  // %s: the page file looked for
};

QString HelpDir() {
  return QString::fromStdString(platform::GetProgramDir()) + "help/" +
         (lang::Language() != 0 ? "english" : "chinese") + "/";
}

QPointer<HelpWindow> g_window;

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("HelpWindow");
  setWindowTitle(lang::String(kTitle));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setAttribute(Qt::WA_DeleteOnClose);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("helpText");
  browser_->setOpenExternalLinks(true);
  browser_->setSearchPaths({HelpDir()});
  missing_ = new QLabel(this);
  missing_->setObjectName("helpMissing");
  missing_->setWordWrap(true);
  missing_->hide();
  back_ = new QPushButton(lang::String(kBack), this);
  back_->setObjectName("helpBack");
  back_->setEnabled(false);
  external_ = new QPushButton(lang::String(kBrowser), this);
  external_->setObjectName("helpBrowser");
  auto* close = new QPushButton(lang::String(kClose), this);
  close->setObjectName("2");
  close->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back_);
  buttons->addStretch();
  buttons->addWidget(external_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_, 1);
  layout->addWidget(missing_);
  layout->addLayout(buttons);
  connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
  connect(external_, &QPushButton::clicked, this, &HelpWindow::OpenInBrowser);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  const int em = fontMetrics().horizontalAdvance('M');
  resize(em * 60, em * 45);
}

HelpWindow* HelpWindow::Open(QWidget* parent, const QString& page) {
  if (!g_window) g_window = new HelpWindow(parent);
  g_window->ShowPage(page);
  g_window->show();
  g_window->raise();
  g_window->activateWindow();
  return g_window;
}

QString HelpWindow::PageFile(const QString& page) {
  const QString dir = HelpDir();
  for (const QString& name : {page, QStringLiteral("index")}) {
    if (name.isEmpty()) continue;
    const QString file = dir + name + ".html";
    if (QFileInfo(file).isFile()) return file;
  }
  return QString();
}

bool HelpWindow::ShowPage(const QString& page) {
  const QString file = PageFile(page);
  if (file.isEmpty()) {
    const QByteArray wanted = (HelpDir() + page + ".html").toUtf8();
    missing_->setText(lang::Format(kNoPage, wanted.constData()));
    missing_->show();
    browser_->clear();
    external_->setEnabled(false);
    return false;
  }
  missing_->hide();
  external_->setEnabled(true);
  browser_->setSource(QUrl::fromLocalFile(file));
  return true;
}

QString HelpWindow::CurrentFile() const {
  const QUrl url = browser_->source();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

void HelpWindow::OpenInBrowser() {
  const QString file = CurrentFile();
  if (!file.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}
