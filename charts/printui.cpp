#include "charts/printui.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <algorithm>
#include <memory>

#include "data/cxfile.h"
#include "platform/appconfig.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {

// Landscape pages unless the job wants them upright or the user turns them.
void PreparePrinter(QPrinter& printer, const PageSource& source) {
  printer.setPageOrientation(source.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
  if (printer.outputFormat() == QPrinter::PdfFormat) printer.setResolution(600);
}

void ReportFailure(QWidget* parent, bool stopped, const QString& error) {
  if (stopped)
    MsgBox(parent, IDS_PR_STOPPED, IDS_CAPTION, MsgIcon::Information);
  else
    MsgBoxText(parent, lang::Format(IDS_PR_PDF_FAILED, error.toUtf8().constData()), IDS_CAPTION, MsgIcon::Error);
}

}  // namespace

QString AskPdfPath(QWidget* parent, const QString& title) {
  const QString last = QString::fromStdString(platform::ReadLastDir());
  const QFileInfo info(last);
  const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  QString name = title;
  name.replace('/', '_');
  return QFileDialog::getSaveFileName(parent, lang::String(IDS_PR_PRINT), QDir(folder).filePath(name + ".pdf"),
                                      lang::String(IDS_PR_PDF_FILTER));
}

namespace {

// The progress of a job that has begun: shown at once with its Stop button,
// gone when the job ends. Made only when the pages start, so no window of it
// can come up over the questions before.
class JobProgress {
 public:
  JobProgress(QWidget* parent, const QString& title, PageSource& source) : dlg_(parent) {
    dlg_.setWindowTitle(title);
    dlg_.setCancelButtonText(lang::String(IDS_PR_CANCEL));
    dlg_.setWindowModality(Qt::WindowModal);
    dlg_.setAutoClose(false);
    dlg_.setAutoReset(false);
    dlg_.setMinimumDuration(0);
    const int total = std::max(source.pages, 1);
    dlg_.setRange(0, total);
    dlg_.setLabelText(lang::Format(IDS_PR_PRINTING, 1, total));
    dlg_.setValue(0);
    dlg_.show();
    auto outer = source.progress;
    source.progress = [this, outer](int done, int total) {
      dlg_.setMaximum(total);
      dlg_.setLabelText(lang::Format(IDS_PR_PRINTING, std::min(done + 1, total), total));
      dlg_.setValue(done);  // lets the Stop button be pressed
      if (outer && !outer(done, total)) return false;
      return !dlg_.wasCanceled();
    };
  }
  ~JobProgress() { dlg_.close(); }
  bool Stopped() const { return dlg_.wasCanceled(); }

 private:
  QProgressDialog dlg_;
};

}  // namespace

void PrintPagesWithDialog(QWidget* parent, PageSource source, const QString& title, const PdfPathAsk& askPdf) {
  // One step after the other: the question, the file or print dialog, the
  // pages with their progress, the result.
  QString error;
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    // No printer here: the same pages as a PDF file.
    if (MsgBox(parent, IDS_PR_NO_PRINTER, IDS_CAPTION, MsgIcon::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return;
    QString path = askPdf ? askPdf(parent, title) : AskPdfPath(parent, title);
    if (path.isEmpty()) return;
    if (!path.endsWith(".pdf", Qt::CaseInsensitive)) path += ".pdf";
    if (source.file && RefusedAsOutput(parent, path, source.file->GetPath())) return;
    bool ok = false, stopped = false;
    {
      JobProgress progress(parent, title, source);
      ok = PrintPagesToPdf(path.toStdString(), source, "A4", source.portrait, 600, title, &error);
      stopped = progress.Stopped();
    }
    if (ok)
      MsgBoxText(parent, lang::Format(IDS_PRINT_SAVED, QDir::toNativeSeparators(path).toUtf8().constData()), IDS_CAPTION,
                 MsgIcon::Information);
    else
      ReportFailure(parent, stopped, error);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer, source);
  printer.setDocName(title);
  QPrintDialog dlg(&printer, parent);
  dlg.setMinMax(1, std::max(source.pages, 1));
  dlg.setFromTo(1, std::max(source.pages, 1));
  if (dlg.exec() != QDialog::Accepted) return;
  int from = 0, to = 0;
  if (printer.printRange() == QPrinter::PageRange) {
    from = printer.fromPage();
    to = printer.toPage();
  }
  bool ok = false, stopped = false;
  {
    JobProgress progress(parent, title, source);
    ok = PrintPages(printer, source, from, to, &error);
    stopped = progress.Stopped();
  }
  if (!ok) ReportFailure(parent, stopped, error);
}

void PreviewPages(QWidget* parent, const PageSource& source) {
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer, source);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName("printPreview");
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&source](QPrinter* p) {
    QString error;
    PrintPages(*p, source, 0, 0, &error);
  });
  preview.resize(1100, 800);
  preview.exec();
}

}  // namespace charts
