#include "shell/helpwindow.h"

#include <algorithm>

#include <QDesktopServices>
#include <QImage>
#include <QResizeEvent>
#include <QScrollBar>
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
#include "platform/ui/stringids.h"

namespace {

QString HelpDir() {
  return QString::fromStdString(platform::GetProgramDir()) + "help/" +
         (lang::Language() != 0 ? "english" : "chinese") + "/";
}

QPointer<HelpWindow> g_window;

// Pages wrap to the window: text by itself, pictures made no wider than the
// window (a screenshot keeps its proportions), so nothing needs scrolling
// sideways. A new width loads the page's pictures anew.
class HelpBrowser : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;
  QVariant loadResource(int type, const QUrl& name) override {
    QVariant data = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::ImageResource) return data;
    QImage image = data.value<QImage>();
    if (image.isNull() && data.canConvert<QByteArray>()) image.loadFromData(data.toByteArray());
    const int room = std::max(viewport()->width() - 40, 200);
    if (image.isNull() || image.width() <= room) return data;
    return image.scaledToWidth(room, Qt::SmoothTransformation);
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QTextBrowser::resizeEvent(e);
    if (e->oldSize().width() != e->size().width() && !source().isEmpty()) {
      const int at = verticalScrollBar()->value();
      document()->clear();  // drops the pictures kept at the old width
      reload();
      verticalScrollBar()->setValue(at);
    }
  }
};

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("HelpWindow");
  setWindowTitle(lang::String(IDS_HELP_TITLE));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setAttribute(Qt::WA_DeleteOnClose);
  browser_ = new HelpBrowser(this);
  browser_->setLineWrapMode(QTextEdit::WidgetWidth);
  browser_->setObjectName("helpText");
  browser_->setOpenExternalLinks(true);
  browser_->setSearchPaths({HelpDir()});
  missing_ = new QLabel(this);
  missing_->setObjectName("helpMissing");
  missing_->setWordWrap(true);
  missing_->hide();
  back_ = new QPushButton(lang::String(IDS_HELP_BACK), this);
  back_->setObjectName("helpBack");
  back_->setEnabled(false);
  external_ = new QPushButton(lang::String(IDS_HELP_BROWSER), this);
  external_->setObjectName("helpBrowser");
  auto* close = new QPushButton(lang::String(IDS_HELP_CLOSE), this);
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
    missing_->setText(lang::Format(IDS_HELP_NO_PAGE, wanted.constData()));
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
  if (file.isEmpty() || QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return;
  // No browser could be started: say so, with the page to open by hand.
  const QByteArray path = file.toUtf8();
  missing_->setText(lang::Format(IDS_NO_BROWSER, path.constData()));
  missing_->show();
}
