#include "platform/ui/dialogfields.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

QDialogButtonBox* OkCancel(QDialog* dlg) {
  auto* box = new QDialogButtonBox(dlg);
  QPushButton* ok = box->addButton(lang::String(IDS_DLG_OK), QDialogButtonBox::AcceptRole);
  ok->setObjectName("1");
  ok->setDefault(true);
  box->addButton(lang::String(IDS_DLG_CANCEL), QDialogButtonBox::RejectRole)->setObjectName("2");
  QObject::connect(box, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
  return box;
}

bool ReadFloat(const QLineEdit* edit, float* out) {
  QString text = edit->text().trimmed();
  text.replace(',', '.');
  bool ok = false;
  float v = text.toFloat(&ok);
  if (ok) *out = v;
  return ok;
}

QString FloatText(float v) { return QString::number(double(v), 'g', 7); }
