#pragma once
// The defaults window. Built in code; every control carries its control id as
// objectName (decimal text), so it can be found by id.
#include <QDialog>
#include <QPushButton>
#include <QString>

#include <functional>

#include "viewcfg/viewdef.h"

class QLineEdit;
class QRadioButton;

namespace viewcfg {

// Control ids of the defaults window.
enum ViewDlgId {
  IDC_VIEW_OK = 1,
  IDC_VIEW_CANCEL = 2,
  IDC_XMODE_SHORT = 1000,
  IDC_XMODE_LONG = 1001,
  IDC_YMODE_PERCENT = 1002,
  IDC_YMODE_VALUE = 1003,
  IDC_YLOW = 1004,
  IDC_YHI = 1005,
  IDC_XGRIDS = 1006,
  IDC_YGRIDS = 1007,
  IDC_CLRBK = 1008,
  IDC_CLRGRID = 1009,
  IDC_CLRCHNL1 = 1010,  // ... IDC_CLRCHNL1 + 7 for colour 8
  IDC_DEFAULT = 1018,
  IDC_VIEW_PICTURE = 1019,
};

// A button that shows its colour (COLORREF) and opens the colour picker when
// clicked; it takes the picked colour when the picker is confirmed.
class CColorButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CColorButton(QWidget* parent = nullptr);
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t colorref);
  // The title of the colour picker.
  void SetPickerTitle(const QString& title) { pickerTitle_ = title; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Pick();

  uint32_t color_ = 255;  // red until the window sets it
  QString pickerTitle_;
};

// COLORREF (0x00BBGGRR) and QColor.
QColor ToQColor(uint32_t colorref);
uint32_t ToColorRef(const QColor& c);

class CViewDlg : public QDialog {
  Q_OBJECT

 public:
  // language: 0 Chinese, 1 English. The window shows view and edits a copy.
  CViewDlg(int language, const _tagViewDef& view, QWidget* parent = nullptr);

  // Called on OK with the edited record; when it returns false the window says
  // that the settings file (path) could not be written and stays open.
  void SetSaver(std::function<bool(_tagViewDef*)> saver, const QString& path);

  // The edited record (valid after the window closed with OK).
  const _tagViewDef& View() const { return view_; }

  void done(int result) override;

 private:
  void Show(const _tagViewDef& v);
  void RestoreDefaults();
  bool ReadBack();
  void Refuse(QWidget* field, const QString& text);

  int language_;
  _tagViewDef view_;
  std::function<bool(_tagViewDef*)> saver_;
  QString path_;
  QRadioButton* xShort_ = nullptr;
  QRadioButton* xLong_ = nullptr;
  QRadioButton* yPercent_ = nullptr;
  QRadioButton* yValue_ = nullptr;
  QLineEdit* yLow_ = nullptr;
  QLineEdit* yHi_ = nullptr;
  QLineEdit* xGrids_ = nullptr;
  QLineEdit* yGrids_ = nullptr;
  CColorButton* back_ = nullptr;
  CColorButton* grid_ = nullptr;
  CColorButton* channel_[8] = {};
};

}  // namespace viewcfg
