#pragma once

#include <QFrame>
#include <QPixmap>

#include <string>

// The preview control: a black frame that shows a picture file stretched
// over its whole area, upright, its aspect ratio not kept. The picture stays
// until another one replaces it, and is drawn again whenever the control is
// painted, so it survives being covered and uncovered.
class CPicturePreview : public QFrame {
  Q_OBJECT

 public:
  explicit CPicturePreview(QWidget* parent = nullptr);

  // Shows a picture file of any format Qt reads (JPEG and BMP at least). A
  // file that is missing, unreadable or empty changes nothing and says
  // nothing; one whose bytes are no picture, or a picture that cannot be
  // made ready to draw, is reported in a message box and changes nothing.
  void ShowPicture(const std::string& path);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap picture_;
};
