#pragma once
// Message boxes whose text and caption are string-table entries.
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QString>
#include <functional>
#include <string>

enum class MsgIcon { Information, Warning, Error, Question };

// Shows a modal message box; returns the button chosen.
QMessageBox::StandardButton MsgBox(QWidget* parent, int textId, int captionId, MsgIcon icon,
                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// The same with a text made by the caller (formats of the string table).
QMessageBox::StandardButton MsgBoxText(QWidget* parent, const QString& text, int captionId,
                                       MsgIcon icon,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// True (after telling the user, string IDS_SAVE_OVER_SOURCE) when the file a save dialog
// picked is the data file `input` the output is made from, also through a
// link or another name: the output would replace the recording.
bool RefusedAsOutput(QWidget* parent, const QString& picked, const std::string& input);

// For tests that drive windows without a person: when set, message boxes are
// not shown; the answerer gets what would be shown and returns the button.
struct MsgBoxRequest {
  QString text;
  QString caption;
  MsgIcon icon;
  QMessageBox::StandardButtons buttons;
};
void SetMsgBoxAnswerer(std::function<QMessageBox::StandardButton(const MsgBoxRequest&)> answerer);

// Widens a message box to its caption: a window manager cuts a caption that is
// longer than the box is wide, and a short text makes a narrow box.
inline void FitCaption(QMessageBox* box) {
  QFont font = box->font();
  font.setBold(true);  // title bars commonly use a bold face
  // Room for the title bar's icon and buttons beside the caption.
  const int want = QFontMetrics(font).horizontalAdvance(box->windowTitle()) + 8 * QFontMetrics(font).height();
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
    grid->addItem(new QSpacerItem(want, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}
