#include "overlay/uScreenPixels.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace inkora {

// The display is the union of all screens in native pixels: on X11 that is
// the root window, whose origin is (0, 0).
QRect TScreenPixels::DisplayRect() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  const QRect virt = screen->virtualGeometry();
  const qreal dpr = screen->devicePixelRatio();
  return QRect(QPoint(0, 0), (virt.bottomRight() + QPoint(1, 1)) * dpr);
}

QImage TScreenPixels::Grab(const QRect& r) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || r.isEmpty()) return {};
  const qreal dpr = screen->devicePixelRatio();
  // grabWindow takes logical coordinates of the root window.
  const QPixmap shot = screen->grabWindow(0, int(r.x() / dpr), int(r.y() / dpr),
                                          int(std::ceil(r.width() / dpr)),
                                          int(std::ceil(r.height() / dpr)));
  if (shot.isNull()) return {};
  QImage img = shot.toImage().convertToFormat(QImage::Format_RGB32);
  if (img.size() != r.size()) img = img.scaled(r.size());
  return img;
}

}  // namespace inkora
