#pragma once
// The view-defaults module: the chart defaults that a new recording takes,
// kept in "XViewDef.ini" in the settings directory. This header needs no Qt;
// GetView and SetView work without a QApplication, only ShowXWnd needs one.
#include <cstdint>
#include <string>

// Chart defaults; channel i (from 0) of a new recording takes clrChnl[i % 8].
// Colours are COLORREF values, 0x00BBGGRR.
namespace recview {
struct _tagViewDef {
  uint8_t XMode;       // time labels: 0 time of day only, 1 date and time
  uint8_t YMode;       // Y axis: 0 percent of each channel's range, 1 engineering values
  float YLow;          // lower bound of the Y range
  float YHi;           // upper bound of the Y range
  uint8_t XGrids;      // vertical grid divisions
  uint8_t YGrids;      // horizontal grid divisions
  uint32_t ClrGrid;    // grid colour
  uint32_t ClrBK;      // plot background colour
  uint32_t clrChnl[8]; // default colours of channels 1-8
};
}  // namespace recview
using recview::_tagViewDef;

class CXViewDef {
 public:
  CXViewDef();
  CXViewDef(const CXViewDef&);  // the object holds no settings: nothing to copy
  CXViewDef& operator=(const CXViewDef&);
  virtual ~CXViewDef();

  // Fills the record from the settings file; missing file or keys give the
  // defaults. Does nothing for a null pointer.
  void GetView(_tagViewDef* p);
  // Writes every field. Returns false for a null pointer or when the file could
  // not be written (the keys written before the failure stay written).
  bool SetView(_tagViewDef* p);
  // Shows the defaults window modally, in Chinese for 0 and in English for 1;
  // any other value shows nothing. On OK the edited defaults are stored.
  // Returns 1 when the user confirmed and the defaults were saved, else 0.
  int ShowXWnd(int language);

 private:
  // Full path of "XViewDef.ini".
  std::string GetPrivateFile() const;
};

namespace viewcfg {

// The built-in defaults.
void Defaults(_tagViewDef* p);

// The real-number rule of the settings file: at most the first 20 characters
// count; blanks, an optional sign, then a decimal number (digits, point,
// exponent); whatever follows is ignored; no number (or one beyond the range of
// a float) gives 0.
float TextToReal(const std::string& text);
// "%.3f" in the C locale.
std::string RealToText(float v);

}  // namespace viewcfg
