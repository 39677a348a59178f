#pragma once
// Printing as the views do it: the print dialog and the printer, or, with no
// printer installed, a PDF file the user names; and the print preview.
#include <QString>
#include <functional>

#include "charts/pageprint.h"

class QWidget;

namespace charts {

// Prints the pages: landscape by default, the pages the user picks. Errors
// and a stop by the user are reported in message boxes.
void PrintPagesWithDialog(QWidget* parent, PageSource source, const QString& title);
// Shows the pages in the print preview.
void PreviewPages(QWidget* parent, const PageSource& source);

// Who names the PDF file when there is no printer (a file dialog unless set).
using PdfPathAsk = std::function<QString(QWidget* parent)>;
void SetPdfPathAsk(PdfPathAsk ask);

}  // namespace charts
