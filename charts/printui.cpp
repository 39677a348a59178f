#include "charts/printui.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <algorithm>

#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {

PdfPathAsk& PdfAsk() {
  static PdfPathAsk ask;
  return ask;
}

// Landscape pages unless the user turns them in the print dialog.
void PreparePrinter(QPrinter& printer) {
  printer.setPageOrientation(QPageLayout::Landscape);
  if (printer.outputFormat() == QPrinter::PdfFormat) printer.setResolution(600);
}

void ReportFailure(QWidget* parent, bool stopped, const QString& error) {
  if (stopped)
    MsgBox(parent, IDS_PR_STOPPED, IDS_CAPTION, MsgIcon::Information);
  else
    MsgBoxText(parent, lang::Format(IDS_PR_PDF_FAILED, error.toUtf8().constData()), IDS_CAPTION, MsgIcon::Error);
}

}  // namespace

void SetPdfPathAsk(PdfPathAsk ask) { PdfAsk() = std::move(ask); }

void PrintPagesWithDialog(QWidget* parent, PageSource source, const QString& title) {
  QProgressDialog progress(parent);
  progress.setCancelButtonText(lang::String(IDS_PR_CANCEL));
  progress.setMinimumDuration(500);
  progress.setWindowModality(Qt::WindowModal);
  auto outer = source.progress;
  source.progress = [&progress, outer](int done, int total) {
    progress.setMaximum(total);
    progress.setValue(done);
    progress.setLabelText(lang::Format(IDS_PR_PRINTING, std::min(done + 1, total), total));
    if (outer && !outer(done, total)) return false;
    return !progress.wasCanceled();
  };
  QString error;
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    // No printer here: the same pages as a PDF file.
    if (MsgBox(parent, IDS_PR_NO_PRINTER, IDS_CAPTION, MsgIcon::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return;
    QString path = PdfAsk() ? PdfAsk()(parent)
                            : QFileDialog::getSaveFileName(parent, QString(), title + ".pdf", lang::String(IDS_PR_PDF_FILTER));
    if (path.isEmpty()) return;
    if (!path.endsWith(".pdf", Qt::CaseInsensitive)) path += ".pdf";
    if (source.file && RefusedAsOutput(parent, path, source.file->GetPath())) return;
    if (!PrintPagesToPdf(path.toStdString(), source, "A4", false, 600, title, &error))
      ReportFailure(parent, progress.wasCanceled(), error);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer);
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
  if (!PrintPages(printer, source, from, to, &error)) ReportFailure(parent, progress.wasCanceled(), error);
}

void PreviewPages(QWidget* parent, const PageSource& source) {
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer);
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
