// The splash window shown while the board starts: borderless, 554 x 270,
// centred on the screen, one picture of the program's name.
#pragma once

#include <QImage>
#include <QWidget>

namespace inkora {

// The splash picture, painted by the program (no file to lose).
QImage SplashPicture(const QString& version);

class TfrmSplash final : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmSplash(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage FPicture;
};

}  // namespace inkora
