#pragma once
// Printing as the views do it: the print dialog and the printer, or, with no
// printer installed, a PDF file the user names; and the print preview.
#include <QString>
#include <functional>

#include "charts/pageprint.h"

class QWidget;

namespace charts {

// The PDF file's name when there is no printer: a save dialog in the folder
// of the last data file, the title as the name offered.
QString AskPdfPath(QWidget* parent, const QString& title);
using PdfPathAsk = std::function<QString(QWidget* parent, const QString& title)>;

// Prints the pages: landscape by default, the pages the user picks; without a
// printer, into the PDF file `askPdf` names. Errors and a stop by the user are
// reported in message boxes.
void PrintPagesWithDialog(QWidget* parent, PageSource source, const QString& title,
                          const PdfPathAsk& askPdf = AskPdfPath);
// Shows the pages in the print preview.
void PreviewPages(QWidget* parent, const PageSource& source);

}  // namespace charts
