#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

// A static text that acts as a web link: underlined, a pointing hand over
// it, blue until clicked, red while the pointer is over an unvisited link,
// dark blue once visited (also while hovered). A click opens the address
// through IShellOpen. The text is set with setText.
class CLinkStatic : public QLabel {
  Q_OBJECT

 public:
  static inline const QColor kLinkColour{0, 0, 255};
  static inline const QColor kHoverColour{255, 0, 0};
  static inline const QColor kVisitedColour{5, 34, 143};

  explicit CLinkStatic(QWidget* parent = nullptr);

  void SetLinkUrl(QString address);
  const QString& LinkUrl() const { return address_; }
  bool IsVisited() const { return visited_; }

  // What a click does; also the link's accessible press action.
  void Open();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor TextColour() const;

  QString address_;
  bool visited_ = false;
  bool pressed_ = false;
};
