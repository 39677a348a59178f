#pragma once
// The fields the program's dialogs share: OK and Cancel, numbers typed by the
// user, and a moment picked as a date and a time of day (local time).
#include <QDateEdit>
#include <QString>
#include <QTimeEdit>
#include <ctime>

#include "platform/localtime.h"

class QDialog;
class QDialogButtonBox;
class QLineEdit;

// OK (1) and Cancel (2) of a dialog, wired to accept and reject.
QDialogButtonBox* OkCancel(QDialog* dlg);
// A number typed by the user: plain decimal notation, either decimal mark.
bool ReadFloat(const QLineEdit* edit, float* out);
// A float as the dialogs show it (up to 7 significant digits).
QString FloatText(float v);

// A moment's two pickers, named `dateId` and `timeId` ("yyyy-MM-dd" with a
// calendar, "HH:mm:ss"). Inline, as the two below: the export module, which
// has no share in the program's dialogs, uses them too.
inline void NewPickers(QWidget* parent, QDateEdit** date, QTimeEdit** time, const char* dateId,
                       const char* timeId) {
  *date = new QDateEdit(parent);
  (*date)->setObjectName(dateId);
  (*date)->setDisplayFormat("yyyy-MM-dd");
  (*date)->setCalendarPopup(true);
  *time = new QTimeEdit(parent);
  (*time)->setObjectName(timeId);
  (*time)->setDisplayFormat("HH:mm:ss");
}

// Local time from a date and a time of day, and back.
inline time_t PickedTime(const QDateEdit* date, const QTimeEdit* time) {
  const QDate d = date->date();
  const QTime t = time->time();
  return platform::LocalTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

inline void SetPickers(QDateEdit* date, QTimeEdit* time, time_t t) {
  struct tm tm = {};
  localtime_r(&t, &tm);
  date->setDate(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
  time->setTime(QTime(tm.tm_hour, tm.tm_min, tm.tm_sec));
}
