#pragma once
// A push button that shows and picks a colour: a one-pixel black frame filled
// with the colour; releasing the left mouse button on it opens the colour
// chooser preset with the colour.
#include <QPushButton>
#include <cstdint>

namespace tables {

class CColorButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CColorButton(QWidget* parent = nullptr);

  // COLORREF 0x00BBGGRR, as stored in the files.
  void SetColor(uint32_t colour);
  uint32_t GetColor() const { return colour_; }

 signals:
  // The user picked a colour in the chooser.
  void ColorChosen(uint32_t colour);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  uint32_t colour_ = 0x0000FF;  // red
};

}  // namespace tables
