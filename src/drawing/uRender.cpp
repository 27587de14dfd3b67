#include "drawing/uRender.h"

#include "drawing/uStrokeRaster.h"

#include <QDir>
#include <QImageReader>
#include <QPaintEngine>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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

TArrowBarbs ArrowBarbs(QPoint S, QPoint E) {
  constexpr float kHeadLength = 20, kHalfWidth = 30 / 2.0f;
  const float dx = float(E.x() - S.x()), dy = float(E.y() - S.y());
  const float L = std::sqrt(dx * dx + dy * dy);
  const double t = std::atan2(double(dy), double(dx));
  const double c = std::cos(t), s = std::sin(t), along = L - kHeadLength;
  return {S + QPoint(RoundEven(along * c - kHalfWidth * s), RoundEven(along * s + kHalfWidth * c)),
          S + QPoint(RoundEven(along * c + kHalfWidth * s), RoundEven(along * s - kHalfWidth * c))};
}

QImage LoadPicture(const QString& path) {
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  return reader.read();
}

void StrokeCollectedPath(QPainter& g, const QPainterPath& path, int32_t width, QColor color) {
  if (path.elementCount() < 2) return;
  QPaintDevice* device = g.device();
  if (device && device->devType() == QInternal::Image && g.paintEngine() &&
      g.paintEngine()->type() == QPaintEngine::Raster && g.compositionMode() == QPainter::CompositionMode_SourceOver &&
      g.opacity() == 1.0 && !g.hasClipping()) {
    auto* image = static_cast<QImage*>(device);
    if (CanRasterStrokes(*image)) {
      FillPolyline(*image, image->rect(), path, g.worldTransform(), width, color);
      return;
    }
  }
  g.strokePath(path, QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

namespace {

QRectF toQRect(const TRectS& r) { return QRectF(r.X, r.Y, r.Width, r.Height); }

// Normal free pen: replayed through the smoother with the path collected and
// drawn once at the end.
void drawFreePen(QPainter& g, const TPresentation& model, const TDrawObj& obj, QSize target,
                 TSmoothPen& smoother) {
  QPoint first;
  model.ForEachSample(obj.ObjId, [&](const TPoints& s) {
    const QPoint p = ScaleToBoard(s.Pt, obj.BoardWidth, obj.BoardHeight, target);
    switch (s.PtKind) {
      case pkFirst:
        smoother.Color = obj.Color;
        smoother.Width = obj.Width;
        smoother.Mode = smLines;
        smoother.Pressure = obj.Pressure != 0;
        smoother.DrawAtOnce = false;
        smoother.Begin(&g, p.x(), p.y());
        first = p;
        break;
      case pkMiddle:
        if (smoother.Active()) smoother.AddPoint(p.x(), p.y());
        break;
      case pkLast: {
        if (!smoother.Active()) break;
        const QPainterPath path = smoother.EndCollected(p.x(), p.y());
        StrokeCollectedPath(g, path, obj.Width, ToQColor(obj.Color));
        if (p == first) DrawClickDot(g, p, obj.Width, obj.Color);
        break;
      }
    }
  });
  smoother.Abandon();
}

// Brush pen with pressure: dabs whose radius follows each sample's width.
void drawPressureBrush(QPainter& g, const TPresentation& model, const TDrawObj& obj, QSize target,
                       TSmoothPen& smoother) {
  const double cap = obj.Width * double(2.1f);
  model.ForEachSample(obj.ObjId, [&](const TPoints& s) {
    const QPoint p = ScaleToBoard(s.Pt, obj.BoardWidth, obj.BoardHeight, target);
    if (s.PtKind == pkFirst) {
      smoother.Color = obj.Color;
      smoother.Width = obj.Width;
      smoother.Mode = smPressureDabs;
      smoother.Pressure = true;
      smoother.DrawAtOnce = true;
      smoother.PrevWidth = 0;
      smoother.NewWidth = 0;
      smoother.Begin(&g, p.x(), p.y());
    } else if (s.PtKind == pkMiddle && smoother.Active()) {
      smoother.NewWidth = std::min(double(s.PressWidth), cap);
      smoother.AddPoint(p.x(), p.y());
      smoother.PrevWidth = smoother.NewWidth;
    }
  });
  smoother.Abandon();
}

// Brush pen with the mouse: each segment at the width stored with the sample
// before it.
void drawMouseBrush(QPainter& g, const TPresentation& model, const TDrawObj& obj, QSize target) {
  QPen pen(ToQColor(obj.Color), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  QPoint first, last;
  model.ForEachSample(obj.ObjId, [&](const TPoints& s) {
    const QPoint p = ScaleToBoard(s.Pt, obj.BoardWidth, obj.BoardHeight, target);
    switch (s.PtKind) {
      case pkFirst:
        pen.setWidthF(s.BrushWidth);
        first = last = p;
        break;
      case pkMiddle:
        g.setPen(pen);
        g.drawLine(last, p);
        pen.setWidthF(s.BrushWidth);
        last = p;
        break;
      case pkLast:
        if (p == first) DrawClickDot(g, p, obj.Width, obj.Color);
        break;
    }
  });
}

}  // namespace

void DrawObject(QPainter& g, const TPresentation& model, const TDrawObj& obj, QSize target,
                const QString& workFolder, TSmoothPen& smoother) {
  if (obj.Kind < okImage || obj.Kind > okSingleArrow) return;
  g.save();
  g.setRenderHint(QPainter::Antialiasing);
  g.setTransform(ObjectTransform(obj, target), true);
  const QColor color = ToQColor(obj.Color, obj.Transparent ? kTransparentAlpha : kOpaqueAlpha);
  const QRectF bounds = toQRect(ScaleToBoard(obj.Bounds, obj.BoardWidth, obj.BoardHeight, target));
  const QPoint p1 = ScaleToBoard(obj.P1, obj.BoardWidth, obj.BoardHeight, target);
  const QPoint p2 = ScaleToBoard(obj.P2, obj.BoardWidth, obj.BoardHeight, target);
  const QPen outline(color, obj.Width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  switch (obj.Kind) {
    case okImage: {
      // Only a bare file name inside the work folder is read.
      if (obj.FileName.isEmpty() || obj.FileName.contains('/') || obj.FileName == "..") break;
      const QImage img = LoadPicture(QDir(workFolder).filePath(obj.FileName));
      if (!img.isNull()) g.drawImage(bounds, img);
      break;
    }
    case okFreePen:
      if (obj.Transparent)
        DrawTransparentFreePen(g, model, obj, target);
      else
        drawFreePen(g, model, obj, target, smoother);
      break;
    case okBrushPen:
      if (obj.Pressure)
        drawPressureBrush(g, model, obj, target, smoother);
      else
        drawMouseBrush(g, model, obj, target);
      break;
    case okLine:
      g.setPen(QPen(color, obj.Width, Qt::SolidLine, Qt::RoundCap));
      g.drawLine(p1, p2);
      break;
    case okRectangle:
      g.setPen(outline);
      g.setBrush(Qt::NoBrush);
      g.drawRect(bounds);
      break;
    case okFilledRectangle:
      g.fillRect(bounds, color);
      break;
    case okEllipse:
      g.setPen(outline);
      g.setBrush(Qt::NoBrush);
      g.drawEllipse(bounds);
      break;
    case okFilledEllipse:
      g.setPen(Qt::NoPen);
      g.setBrush(color);
      g.drawEllipse(bounds);
      break;
    case okDoubleArrow:
    case okSingleArrow: {
      QPainterPath path;
      path.moveTo(p1);
      path.lineTo(p2);
      const TArrowBarbs end = ArrowBarbs(p1, p2);
      path.moveTo(end.A);
      path.lineTo(p2);
      path.lineTo(end.B);
      if (obj.Kind == okDoubleArrow) {
        const TArrowBarbs start = ArrowBarbs(p2, p1);
        path.moveTo(start.A);
        path.lineTo(p1);
        path.lineTo(start.B);
      }
      g.strokePath(path, QPen(color, obj.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      break;
    }
  }
  g.restore();
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
