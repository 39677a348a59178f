#pragma once
// The record-settings dialog (149): the display settings a data file carries
// in its header (title, chart colours, grid and axis settings) and per channel
// (name, unit, note, colour, shown, pen width). The path, interval, span and
// each channel's range and limits are shown only. Every control carries its
// control id as object name.
//
// On OK the edits are in the CXFile's header in memory; the caller writes the
// header (PutHead) and refreshes itself. EditRecordSettings does both steps
// for callers that need nothing else.
#include <QDialog>
#include <vector>

#include "data/records.h"

class CXFile;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tables {

class CColorButton;

// Text fields edited here: at most `maxBytes` GBK bytes can be typed into the
// edit; a character that would not fit whole is refused, the rest is kept.
void LimitGbkBytes(QLineEdit* edit, int maxBytes);
// GBK bytes of a text.
int GbkBytes(const QString& text);

class CRecordSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  // The byte limits of the text fields.
  static constexpr int kTitleBytes = 30;
  static constexpr int kNameBytes = 31;      // typing and switching channels
  static constexpr int kNameBytesOnOk = 30;  // the channel shown when OK is pressed
  static constexpr int kUnitBytes = 15;
  static constexpr int kSpareBytes = 15;

  explicit CRecordSettingsDlg(CXFile* file, QWidget* parent = nullptr);

  // The channel shown (from 0).
  int Channel() const { return channel_; }
  // Buttons 1037 and 1038: the next channel (after the last the first) and
  // the previous one (before the first the last). False, and the channel
  // kept, when a field of the current channel does not hold a valid entry.
  bool NextChannel();
  bool PrevChannel();
  // Button 1031: the view defaults for the chart and every channel's colour
  // and shown flag.
  void TakeDefaults();
  // OK: checks, then stores everything into the file's header in memory.
  void accept() override;

 private:
  void LoadHeader();
  void LoadChannel();
  bool StoreChannel();
  bool ReadInt(QLineEdit* edit, int low, int high, int* out);
  bool ReadFloatField(QLineEdit* edit, float* out);
  void SetYMode(int mode);

  CXFile* file_;
  std::vector<_tagChnlDef> chnls_;  // working copy of the channel table
  int channel_ = 0;
  int kindOriginal_ = 0;

  QLineEdit* title_;
  QLabel* path_;
  QLabel* interval_;
  QLabel* span_;
  CColorButton* clrBack_;
  CColorButton* clrGrid_;
  QCheckBox* gridShown_;
  QRadioButton* xMode_[2];
  QRadioButton* yMode_[2];
  QLineEdit* yLow_;
  QLineEdit* yHigh_;
  QLineEdit* xGrids_;
  QLineEdit* yGrids_;
  QCheckBox* expFormat_;
  QLineEdit* tagByte_;
  QComboBox* kindByte_;
  QLabel* chnlLabel_;
  QLineEdit* name_;
  QComboBox* unit_;
  QLineEdit* spare_;
  CColorButton* colour_;
  QCheckBox* shown_;
  QLineEdit* penWidth_;
  QLineEdit* range_[2];
  QLineEdit* limit_[5];
};

// Runs the dialog on the file. On OK the header is written (PutHead); when
// that fails message IDS_HEADER_WRITE_FAILED is shown and the header in memory is put back as
// it was. True when new settings were written: the caller then refreshes
// (channel names, chart settings, layout).
bool EditRecordSettings(CXFile* file, QWidget* parent);

}  // namespace tables
