#include "platform/ui/gbkedit.h"

#include <QLineEdit>

#include "platform/gbk.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

GbkBytesValidator::GbkBytesValidator(int maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State GbkBytesValidator::validate(QString& input, int&) const {
  return GbkBytes(input) <= maxBytes_ ? Acceptable : Invalid;
}

int GbkBytes(const QString& text) {
  return static_cast<int>(platform::Utf8ToGbk(text.toStdString()).size());
}

void LimitToGbkBytes(QLineEdit* edit, int maxBytes) {
  edit->setValidator(new GbkBytesValidator(maxBytes, edit));
  // No text of maxBytes bytes has more characters than that.
  edit->setMaxLength(maxBytes);
  edit->setToolTip(lang::Format(IDS_GBK_LIMIT, maxBytes, maxBytes, maxBytes / 2));
}
