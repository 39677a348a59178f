#include "platform/ui/msgbox.h"

#include "platform/safefile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace {
std::function<QMessageBox::StandardButton(const MsgBoxRequest&)>& Answerer() {
  static std::function<QMessageBox::StandardButton(const MsgBoxRequest&)> a;
  return a;
}
}  // namespace

void SetMsgBoxAnswerer(std::function<QMessageBox::StandardButton(const MsgBoxRequest&)> answerer) {
  Answerer() = std::move(answerer);
}

QMessageBox::StandardButton MsgBoxText(QWidget* parent, const QString& text, int captionId,
                                       MsgIcon icon, QMessageBox::StandardButtons buttons) {
  MsgBoxRequest req{text, lang::String(captionId), icon, buttons};
  if (Answerer()) return Answerer()(req);
  QMessageBox::Icon qicon = QMessageBox::Information;
  switch (icon) {
    case MsgIcon::Information: qicon = QMessageBox::Information; break;
    case MsgIcon::Warning: qicon = QMessageBox::Warning; break;
    case MsgIcon::Error: qicon = QMessageBox::Critical; break;
    case MsgIcon::Question: qicon = QMessageBox::Question; break;
  }
  QMessageBox box(qicon, req.caption, text, buttons, parent);
  FitCaption(&box);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton MsgBox(QWidget* parent, int textId, int captionId, MsgIcon icon,
                                   QMessageBox::StandardButtons buttons) {
  return MsgBoxText(parent, lang::String(textId), captionId, icon, buttons);
}

bool RefusedAsOutput(QWidget* parent, const QString& picked, const std::string& input) {
  if (!platform::SameFile(picked.toStdString(), input)) return false;
  MsgBoxText(parent, lang::Format(IDS_SAVE_OVER_SOURCE, picked.toUtf8().constData()), IDS_CAPTION, MsgIcon::Warning);
  return true;
}
