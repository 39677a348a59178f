#pragma once
// The serial settings module: keeps the serial-link settings in "XCom.ini" in
// the settings directory, hands them out as a _tagComParam and shows the window
// in which the user edits them.
#include <string>

#include "link/comparam.h"

class CXCom {
 public:
  CXCom();
  CXCom(const CXCom&);             // the object holds no settings: nothing to copy
  CXCom& operator=(const CXCom&);
  virtual ~CXCom();

  // Fills every field from "XCom.ini"; a missing file or key gives its default.
  // Does nothing for a null pointer. Never fails.
  void GetComm(_tagComParam* p);
  // Writes all twelve keys. Returns false when the file could not be written or
  // the record holds a port name that cannot be stored (control characters);
  // the keys written before a failure stay written.
  bool SetComm(_tagComParam* p);
  // The fast exchange (key "FastExchange" of the same section, 0 or 1;
  // missing: off): read replies as they arrive instead of sleeping the
  // settle time first. Kept beside the record, whose layout is fixed.
  bool GetFastExchange();
  // false when the file could not be written.
  bool SetFastExchange(bool on);
  // Shows the settings window modally: 0 in Chinese, any other value in English.
  // Returns 1 when the user confirmed and the settings were saved, else 0.
  int ShowXWnd(int language);

 private:
  // Full path of "XCom.ini".
  std::string GetPrivateFile() const;
};
