#pragma once
// The help window: the help pages of the interface language, shown inside the
// program. A page is a file help/<language>/<page>.html in the program
// directory (language "chinese" or "english"); links between pages work, and
// a button hands the page shown to the desktop's browser for those who prefer
// it. A page that does not exist falls back to "index".
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTextBrowser;

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // The one help window of the program, made on first use, showing page and
  // raised.
  static HelpWindow* Open(QWidget* parent, const QString& page);

  // The file of a page in the current language: the page itself, the index
  // when the page is missing, empty when neither exists.
  static QString PageFile(const QString& page);

  // Shows a page; false (and a line saying so) when no page file exists.
  bool ShowPage(const QString& page);
  // The file shown now (empty when none).
  QString CurrentFile() const;

 private:
  void OpenInBrowser();

  QTextBrowser* browser_ = nullptr;
  QLabel* missing_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* external_ = nullptr;
};
