#pragma once
// Text fields whose text ends in a fixed GBK field of a file or recorder
// (labels, titles, names, units): the limit is in stored bytes, not in
// characters. A Chinese character takes two bytes, a letter one; input that
// would not fit is refused while typing, and the field's tool tip says so.
#include <QString>
#include <QValidator>

class QLineEdit;

class GbkBytesValidator : public QValidator {
  Q_OBJECT
 public:
  GbkBytesValidator(int maxBytes, QObject* parent);
  State validate(QString& input, int& pos) const override;
  int MaxBytes() const { return maxBytes_; }

 private:
  int maxBytes_;
};

// The bytes the text takes in GBK.
int GbkBytes(const QString& text);

// Limits the field to maxBytes stored bytes and gives it the tool tip that
// says so (in the interface language).
void LimitToGbkBytes(QLineEdit* edit, int maxBytes);
