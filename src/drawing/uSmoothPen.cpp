#include "drawing/uSmoothPen.h"

#include <algorithm>
#include <cmath>

namespace inkora {

namespace {
constexpr double kWalkEpsilon = 0.000001;
constexpr double kSnapDistance = 0.6;
// Antialiased edges reach a little past the geometry.
constexpr double kEdgeMargin = 2.0;

QPointF toF(TPointS p) { return QPointF(p.X, p.Y); }
}  // namespace

void TSmoothPen::Begin(QPainter* target, int X, int Y) {
  FFirstSegment = true;
  FLastInput = QPoint(X, Y);
  FWindow.fill(FLastInput);
  FDrawn = {float(X), float(Y)};
  FTarget = target;
  FPath.clear();
  FPath.moveTo(X, Y);
  FPathPoint = FDrawn;
  FPen = QPen(ToQColor(Color), Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  FDirty = QRectF();
}

void TSmoothPen::AddPoint(int X, int Y) {
  FWindow[kWindowSize - 1] = QPoint(X, Y);
  if (FFirstSegment) PrevWidth = NewWidth / 2;
  ModeStep();
  for (int i = 0; i < kWindowSize - 1; ++i) FWindow[i] = FWindow[i + 1];
  FFirstSegment = false;
  FLastInput = QPoint(X, Y);
}

void TSmoothPen::End(int X, int Y, bool Final) {
  FinishWalk(X, Y);
  if (Final && !DrawAtOnce && FTarget && !FPath.isEmpty()) {
    FTarget->strokePath(FPath, FPen);
    AddDirty(FPath.boundingRect());
  }
  Release();
}

QPainterPath TSmoothPen::EndCollected(int X, int Y) {
  FinishWalk(X, Y);
  QPainterPath out;
  out.swap(FPath);
  Release();
  return out;
}

// The last sample, one more step of the walk, and the line onto the sample.
void TSmoothPen::FinishWalk(int X, int Y) {
  AddPoint(X, Y);
  FWindow[kWindowSize - 1] = QPoint(X, Y);
  if (!Pressure) {
    ModeStep();
    LineTo({float(X), float(Y)});
  }
}

void TSmoothPen::Release() {
  FPath.clear();
  FTarget = nullptr;
  PrevWidth = 0;
  NewWidth = 0;
  DrawAtOnce = false;
}

void TSmoothPen::Abandon() { Release(); }

void TSmoothPen::ModeStep() {
  const TPointS target = Smooth(FWindow);
  if (Mode == smPressureDabs)
    WalkDabs(target);
  else
    WalkLines(target);
}

// The walk: ceil(n) stamps from L towards T, one step of at most a pixel apart.
// In lines mode every stamp adds a line from the previous path point; the
// stamps of one walk lie on one straight line, so the walk adds at most two
// segments: the step onto L, then L to the last stamp. Zero-length segments
// would only repeat the round cap already drawn and are left out.
void TSmoothPen::WalkLines(TPointS target) {
  const double dx = double(target.X) - FDrawn.X, dy = double(target.Y) - FDrawn.Y;
  const double n = std::max(std::fabs(dx), std::fabs(dy)) + kWalkEpsilon;
  const float stepX = float(dx / n), stepY = float(dy / n);
  TPointS cur = FDrawn;
  TPointS lastStamp = cur;
  for (int k = 0; k < n; ++k) {
    lastStamp = cur;
    cur.X += stepX;
    cur.Y += stepY;
  }
  const TPointS polyline[3] = {FPathPoint, FDrawn, lastStamp};
  AddPolyline(polyline, 3);
  FDrawn = n < kSnapDistance ? target : cur;
}

void TSmoothPen::WalkDabs(TPointS target) {
  const double dx = double(target.X) - FDrawn.X, dy = double(target.Y) - FDrawn.Y;
  const double n = std::max(std::fabs(dx), std::fabs(dy)) + kWalkEpsilon;
  const float stepX = float(dx / n), stepY = float(dy / n);
  const double dW = NewWidth - PrevWidth;
  const double sign = dW >= 0 ? 1.0 : -1.0;
  const double radiusStep = (std::fabs(dW) / 2) / n;
  double r = PrevWidth / 2;
  TPointS cur = FDrawn;
  if (FTarget) {
    FTarget->setPen(Qt::NoPen);
    FTarget->setBrush(ToQColor(Color, kDabAlpha));
  }
  for (int k = 0; k < n; ++k) {
    if (FTarget && r >= 0) {
      double maxD = 0;
      for (double rho = r - std::floor(r); rho <= r; rho += 1.0) {
        const double d = DabDiameter(rho);
        FTarget->drawEllipse(QRectF(cur.X, cur.Y, d, d));
        maxD = std::max(maxD, d);
      }
      AddDirty(QRectF(cur.X, cur.Y, maxD, maxD));
    }
    r += sign * radiusStep;
    cur.X += stepX;
    cur.Y += stepY;
  }
  FDrawn = n < kSnapDistance ? target : cur;
}

void TSmoothPen::LineTo(TPointS p) {
  const TPointS polyline[2] = {FPathPoint, p};
  AddPolyline(polyline, 2);
}

// Adds the lines through pts[0..count) (pts[0] is the previous path point),
// dropping repeated points; drawn at once as one polyline, or collected.
void TSmoothPen::AddPolyline(const TPointS* pts, int count) {
  QPointF points[3];
  int kept = 0;
  for (int i = 0; i < count && kept < 3; ++i)
    if (kept == 0 || !(pts[i] == pts[i - 1])) points[kept++] = toF(pts[i]);
  if (kept < 2) return;
  if (DrawAtOnce) {
    if (FTarget) {
      FTarget->setPen(FPen);
      FTarget->setBrush(Qt::NoBrush);
      FTarget->drawPolyline(points, kept);
      double x0 = points[0].x(), y0 = points[0].y(), x1 = x0, y1 = y0;
      for (int i = 1; i < kept; ++i) {
        x0 = std::min(x0, points[i].x());
        x1 = std::max(x1, points[i].x());
        y0 = std::min(y0, points[i].y());
        y1 = std::max(y1, points[i].y());
      }
      AddDirty(QRectF(QPointF(x0, y0), QPointF(x1, y1)));
    }
  } else {
    for (int i = 1; i < kept; ++i) CollectLineTo(points[i]);
  }
  FPathPoint = pts[count - 1];
}

// Adds a line to the collected path. A line that continues the previous one in
// the same direction (the step onto L always does) extends it instead: fewer
// joins to stroke, the same pixels.
void TSmoothPen::CollectLineTo(QPointF p) {
  const int n = FPath.elementCount();
  if (n >= 2 && FPath.elementAt(n - 1).isLineTo()) {
    const QPointF a = FPath.elementAt(n - 2), b = FPath.elementAt(n - 1);
    const double ux = b.x() - a.x(), uy = b.y() - a.y();
    const double vx = p.x() - b.x(), vy = p.y() - b.y();
    const double cross = ux * vy - uy * vx, dot = ux * vx + uy * vy;
    if (dot > 0 && std::fabs(cross) <= 1e-5 * std::hypot(ux, uy) * std::hypot(vx, vy)) {
      FPath.setElementPositionAt(n - 1, p.x(), p.y());
      return;
    }
  }
  FPath.lineTo(p);
}

void TSmoothPen::AddDirty(const QRectF& r) {
  const double m = Width / 2.0 + kEdgeMargin;
  FDirty |= r.adjusted(-m, -m, m, m);
}

QRect TSmoothPen::TakeDirtyRect() {
  const QRect r = FDirty.toAlignedRect();
  FDirty = QRectF();
  return r;
}

}  // namespace inkora
