#pragma once
// Message boxes whose text and caption are string-table entries.
#include <QMessageBox>
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

// True (after telling the user, string 63471) when the file a save dialog
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
