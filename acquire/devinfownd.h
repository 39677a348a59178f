#pragma once
// The device-information window: a small modeless window listing every
// channel of a recording with its device word, formatted as its recorder
// family requires, and a button that copies the list as text. It uses the
// recording of the view that opened it without owning it.
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <vector>

class CXFile;
class QTableWidget;

namespace acquire {

class CDevInfoWnd : public QWidget {
  Q_OBJECT

 public:
  // A window of its own above `owner`, which deletes it with itself.
  CDevInfoWnd(CXFile* file, QWidget* owner);

  // Reads names and device words again (the live view calls this after it
  // stored new device words into the recording's channel table).
  void Refresh();
  // Shows these device words (channel order) instead of the recording's:
  // the words a live recorder reports now. Refreshes the list.
  void Refresh(std::vector<uint64_t> devWords);
  // The copy button: the list as text on the clipboard.
  void Copy();

  QTableWidget* List() const { return list_; }

 private:
  CXFile* file_;
  std::vector<uint64_t> words_;
  QTableWidget* list_;
};

// Opens the window on the file for the view `owner`: a window open in `slot`
// is closed and deleted first, the new one is stored there and shown.
CDevInfoWnd* ShowDevInfo(QPointer<CDevInfoWnd>& slot, CXFile* file, QWidget* owner);

}  // namespace acquire
