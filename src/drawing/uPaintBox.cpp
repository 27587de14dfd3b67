#include "drawing/uPaintBox.h"

#include "drawing/uCanvas.h"

#include <QPaintEvent>
#include <QPainter>

namespace inkora {

TPaintBox::TPaintBox(TfrmCanvas& form, QWidget* parent) : QWidget(parent), Form(form) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);  // hover sets the tool's cursor
}

void TPaintBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  for (const QRect& r : event->region()) Form.pbPaint(painter, r);
}

void TPaintBox::mousePressEvent(QMouseEvent* event) { Form.pbMouseDown(event); }
void TPaintBox::mouseMoveEvent(QMouseEvent* event) { Form.pbMouseMove(event); }
void TPaintBox::mouseReleaseEvent(QMouseEvent* event) { Form.pbMouseUp(event); }
void TPaintBox::tabletEvent(QTabletEvent* event) { Form.pbTablet(event); }

}  // namespace inkora
