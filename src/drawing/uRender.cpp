#include "drawing/uRender.h"

#include <QPainterPath>

#include <algorithm>

namespace inkora {

int ClickDotDiameter(int32_t width) { return std::max(1, RoundEven(width / 2.0)); }

QRect DrawClickDot(QPainter& g, QPoint p, int32_t width, TColor color) {
  const int d = ClickDotDiameter(width);
  g.setPen(QPen(ToQColor(color), d));
  g.setBrush(Qt::NoBrush);
  const QRectF circle(p.x() - d / 2.0, p.y() - d / 2.0, d, d);
  g.drawEllipse(circle);
  return circle.adjusted(-d - 1, -d - 1, d + 1, d + 1).toAlignedRect();
}

QTransform ObjectTransform(const TDrawObj& obj, QSize target) {
  if (obj.Angle == 0) return {};
  const TRectS r = ScaleToBoard(obj.Bounds, obj.BoardWidth, obj.BoardHeight, target);
  const float cx = r.X + r.Width / 2, cy = r.Y + r.Height / 2;
  QTransform t;
  t.translate(cx, cy);
  t.rotate(obj.Angle);
  t.translate(-cx, -cy);
  return t;
}

void DrawTransparentFreePen(QPainter& g, const TPresentation& model, const TDrawObj& obj,
                            QSize target) {
  QPainterPath path;
  QPoint last;
  int count = 0;
  model.ForEachSample(obj.ObjId, [&](const TPoints& s) {
    last = ScaleToBoard(s.Pt, obj.BoardWidth, obj.BoardHeight, target);
    if (count++ == 0)
      path.moveTo(last);
    else
      path.lineTo(last);
  });
  if (count == 0) return;
  g.save();
  g.setTransform(ObjectTransform(obj, target), true);
  const QColor color = ToQColor(obj.Color, kTransparentAlpha);
  if (count == 2) {
    g.setPen(Qt::NoPen);
    g.setBrush(color);
    g.drawEllipse(QPointF(last), obj.Width / 2.0, obj.Width / 2.0);
  } else {
    g.strokePath(path, QPen(color, obj.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  }
  g.restore();
}

}  // namespace inkora
