// The paint box: shows the board's BackBuffer and hands pointer events to the
// board form.
#pragma once

#include <QWidget>

namespace inkora {

class TfrmCanvas;

class TPaintBox final : public QWidget {
  Q_OBJECT
 public:
  TPaintBox(TfrmCanvas& form, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void tabletEvent(QTabletEvent* event) override;

 private:
  TfrmCanvas& Form;
};

}  // namespace inkora
