#include "drawing/uFreehand.h"

#include "drawing/uBoard.h"
#include "drawing/uRender.h"

#include <algorithm>
#include <cmath>

namespace inkora {

namespace {
// Brush width rule.
constexpr int kBrushGrowthMoves = 5;
constexpr float kBrushStartFactor = 0.3f;
constexpr double kBrushFastSegment = 10.0;
// Transparent free pen: drawn this much wider than the chosen width.
constexpr int kTransparentExtraWidth = 5;
// Pressure width: PenWidth x 2.1, with 2.1 held as a single.
constexpr float kPressureFactor = 2.1f;
constexpr double kEdgeMargin = 2.0;

QRect segmentRect(QPoint a, QPoint b, double width) {
  const double m = width / 2 + kEdgeMargin;
  return QRectF(QPointF(std::min(a.x(), b.x()) - m, std::min(a.y(), b.y()) - m),
                QPointF(std::max(a.x(), b.x()) + m, std::max(a.y(), b.y()) + m))
      .toAlignedRect();
}
}  // namespace

float BrushWidthStep(float W, int moveCounter, double lastSegment, float brushMax) {
  if (moveCounter <= kBrushGrowthMoves)
    W = W + 0.1f * W;
  else if (lastSegment >= kBrushFastSegment)
    W = (W <= 1 || W >= 2) ? W - 0.3f : W - 0.1f;
  else
    W = W + 0.7f;
  if (W >= brushMax) W = brushMax;
  if (W < 1) W = 1;
  return W;
}

// ---- common ----

void TFreehandPens::CommonBegin(int X, int Y, float brushWidth, bool pressure) {
  TDrawObj obj;
  InitDrawObj(obj);
  obj.ObjId = B.Model.ObjCount();
  obj.Time = B.State.RecClock;
  obj.NoteNo = B.CurNote;
  obj.Kind = B.CurTool;
  obj.BoardWidth = B.BackBuffer.width();
  obj.BoardHeight = B.BackBuffer.height();
  obj.DrawClass = dcStroke;
  obj.Pressure = pressure ? 1 : 0;
  obj.HScroll = B.HScroll;
  obj.VScroll = B.VScroll;
  obj.NoteKey = B.CurNoteKey;
  B.Model.AppendObj(obj);
  AppendSample(pkFirst, QPoint(X, Y), brushWidth, 0);
  B.StrokeMinX = B.StrokeMaxX = X;
  B.StrokeMinY = B.StrokeMaxY = Y;
}

void TFreehandPens::AppendSample(uint8_t kind, QPoint stored, float brushWidth,
                                 Extended pressWidth) {
  TPoints pt;
  pt.ObjId = B.Model.ObjCount() - 1;
  pt.Time = B.State.RecClock;
  pt.PtKind = kind;
  pt.PressWidth = pressWidth;
  pt.BrushWidth = brushWidth;
  pt.OrgPt = pt.Pt = pt.SparePt = stored;
  B.Model.AppendPoint(pt);
}

void TFreehandPens::GrowBox(int X, int Y) {
  B.StrokeMaxX = std::max(B.StrokeMaxX, X);
  B.StrokeMaxY = std::max(B.StrokeMaxY, Y);
  B.StrokeMinX = std::min(B.StrokeMinX, X);
  B.StrokeMinY = std::min(B.StrokeMinY, Y);
}

void TFreehandPens::CommonEnd(int X, int Y, QPoint p1, int32_t width, QPoint stored,
                              float brushWidth, Extended pressWidth) {
  AppendSample(pkLast, stored, brushWidth, pressWidth);
  TDrawObj& obj = B.Model.Last();
  obj.OrgP1 = obj.P1 = p1;
  obj.OrgP2 = obj.P2 = QPoint(X, Y);
  obj.OrgBounds = obj.Bounds = TRectS{float(B.StrokeMinX), float(B.StrokeMinY),
                                      float(B.StrokeMaxX - B.StrokeMinX),
                                      float(B.StrokeMaxY - B.StrokeMinY)};
  obj.OrgCorners = obj.Corners = RectCorners(obj.Bounds);
  obj.Color = B.ResolveColor();
  obj.Angle = 0;
  obj.Transparent = B.TransMode == 1 ? 1 : 0;
  obj.Width = width;
}

QRect TFreehandPens::GrownBox() const {
  return QRect(QPoint(B.StrokeMinX, B.StrokeMinY), QPoint(B.StrokeMaxX, B.StrokeMaxY))
      .adjusted(-kStrokeShowMargin, -kStrokeShowMargin, kStrokeShowMargin, kStrokeShowMargin);
}

// After the release: the square around a click's dot, else the grown box.
void TFreehandPens::FinishShow(int X, int Y, bool click, QRect changed) {
  const QRect shown = click ? QRect(X - kClickShowSquare / 2, Y - kClickShowSquare / 2,
                                    kClickShowSquare, kClickShowSquare)
                            : GrownBox();
  B.Host.ShowRect(shown | changed);
}

void TFreehandPens::SampleAutoColor() {
  if (B.State.ColorIndex == kAutoColorIndex) B.AutoPenColor();
}

void TFreehandPens::OpenBufferGraphics() {
  if (B.BufferGraphics.isActive()) return;
  B.BufferGraphics.begin(&B.BackBuffer);
  B.BufferGraphics.setRenderHint(QPainter::Antialiasing);
}

void TFreehandPens::CloseBufferGraphics() {
  if (B.BufferGraphics.isActive()) B.BufferGraphics.end();
}

void TFreehandPens::Abort() {
  if (B.Smoother.Active()) B.Smoother.End(B.CurPt.x(), B.CurPt.y(), false);
  CloseBufferGraphics();
  if (FLivePainter.isActive()) FLivePainter.end();
  FLiveActive = false;
  FPressureStroke = false;
  FTransparentStroke = false;
}

// ---- free pen ----

void TFreehandPens::FreePenBegin(int X, int Y) {
  if (B.TransMode == 1) {
    TransparentBegin(X, Y);
    return;
  }
  FTransparentStroke = false;
  CommonBegin(X, Y, 0, false);
  SampleAutoColor();
  B.Smoother.Color = B.ResolveColor();
  B.Smoother.Width = B.State.PenWidth;
  B.Smoother.Mode = smLines;
  B.Smoother.Pressure = false;
  B.Smoother.DrawAtOnce = true;
  OpenBufferGraphics();
  B.Smoother.Begin(&B.BufferGraphics, X, Y);
  FMoveCounter = 0;
}

void TFreehandPens::FreePenMove(int X, int Y) {
  if (FTransparentStroke) {
    TransparentMove(X, Y);
    return;
  }
  if (!B.Smoother.Active()) return;
  GrowBox(X, Y);
  AppendSample(pkMiddle, QPoint(X, Y), 0, 0);
  B.Smoother.AddPoint(X, Y);
  const QRect changed = B.Smoother.TakeDirtyRect();
  if (!changed.isEmpty()) B.Host.ShowRect(changed);
}

void TFreehandPens::FreePenEnd(int X, int Y) {
  if (FTransparentStroke) {
    TransparentEnd(X, Y);
    return;
  }
  if (!B.Smoother.Active()) return;
  CommonEnd(X, Y, B.DownPt, B.State.PenWidth, QPoint(X, Y), 0, 0);
  B.Smoother.End(X, Y, false);
  QRect changed = B.Smoother.TakeDirtyRect();
  const bool click = QPoint(X, Y) == B.DownPt;
  if (click) changed |= DrawClickDot(B.BufferGraphics, QPoint(X, Y), B.State.PenWidth, B.ResolveColor());
  CloseBufferGraphics();
  FinishShow(X, Y, click, changed);
  B.Host.UpdateNow();
}

// ---- free pen, transparent ----

void TFreehandPens::TransparentBegin(int X, int Y) {
  FTransparentStroke = true;
  CommonBegin(X, Y, 0, false);
  SampleAutoColor();
  if (FLiveLayer.size() != B.BackBuffer.size()) {
    FLiveLayer = QImage(B.BackBuffer.size(), QImage::Format_ARGB32_Premultiplied);
    FLiveLayer.fill(Qt::transparent);
  }
  FLivePainter.begin(&FLiveLayer);
  FLivePainter.setRenderHint(QPainter::Antialiasing);
  // Opaque in the layer; the layer is shown at alpha 127, so crossings of the
  // stroke with itself keep one even tint, as the finished stroke has.
  FLivePen = QPen(ToQColor(B.ResolveColor()), B.State.PenWidth + kTransparentExtraWidth,
                  Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
  FLivePainter.setPen(FLivePen);
  FLivePainter.setBrush(Qt::NoBrush);
  FLiveTouched = QRect();
  FLivePrev = FLivePrev2 = QPoint(X, Y);
  FLiveCount = 1;
  FLiveActive = true;
  FMoveCounter = 0;
}

void TFreehandPens::TransparentMove(int X, int Y) {
  GrowBox(X, Y);
  AppendSample(pkMiddle, QPoint(X, Y), 0, 0);
  const QPoint p(X, Y);
  if (p == FLivePrev) return;
  // The new segment, joined round to the one before it.
  if (FLiveCount >= 2) {
    const QPoint pts[3] = {FLivePrev2, FLivePrev, p};
    FLivePainter.drawPolyline(pts, 3);
  } else {
    FLivePainter.drawLine(FLivePrev, p);
  }
  const QRect changed = segmentRect(FLivePrev, p, FLivePen.widthF()) |
                        (FLiveCount >= 2 ? segmentRect(FLivePrev2, FLivePrev, FLivePen.widthF()) : QRect());
  FLiveTouched |= changed;
  FLivePrev2 = FLivePrev;
  FLivePrev = p;
  ++FLiveCount;
  B.Host.ShowRect(changed);
}

void TFreehandPens::TransparentEnd(int X, int Y) {
  FTransparentStroke = false;
  CommonEnd(X, Y, B.DownPt, B.State.PenWidth + kTransparentExtraWidth, QPoint(X, Y), 0, 0);
  if (FLivePainter.isActive()) FLivePainter.end();
  // Clear what the live stroke touched so the layer is ready for the next one.
  {
    QPainter clear(&FLiveLayer);
    clear.setCompositionMode(QPainter::CompositionMode_Clear);
    clear.fillRect(FLiveTouched, Qt::transparent);
  }
  FLiveActive = false;
  OpenBufferGraphics();
  DrawTransparentFreePen(B.BufferGraphics, B.Model, B.Model.Last(), B.BackBuffer.size());
  CloseBufferGraphics();
  B.Host.ShowRect(GrownBox() | FLiveTouched);
  B.Host.UpdateNow();
}

// ---- brush pen ----

void TFreehandPens::BrushPenBegin(int X, int Y) {
  // A stylus in contact has queued packets at the press.
  int packets = 0;
  if (B.Tablet) packets = B.Tablet->PollPackets(FPackets, kMaxTabletPackets);
  FPressureStroke = packets > 0;
  // Every brush stroke tapers in from its own start.
  FMoveCounter = 0;
  FLastSegment = 0;
  SampleAutoColor();

  if (FPressureStroke) {
    FCurPressure = 0;
    for (int i = 0; i < packets; ++i)
      if (FPackets[i].Pressure != 0) FCurPressure = FPackets[i].Pressure;
    FPressWidth = 0;
    CommonBegin(X, Y, 0, true);
    B.Smoother.Color = B.ResolveColor();
    B.Smoother.Width = B.State.PenWidth;
    B.Smoother.Mode = smPressureDabs;
    B.Smoother.Pressure = true;
    B.Smoother.DrawAtOnce = true;
    B.Smoother.PrevWidth = 0;
    B.Smoother.NewWidth = 0;
    OpenBufferGraphics();
    B.Smoother.Begin(&B.BufferGraphics, X, Y);
    return;
  }

  FBrushW = kBrushStartFactor * B.State.PenWidth;
  FBrushMax = float(B.State.PenWidth + 2);
  CommonBegin(X, Y, FBrushW, false);
  OpenBufferGraphics();
  for (QPen& pen : FBrushPens)
    pen = QPen(ToQColor(B.ResolveColor()), kBrushStartFactor * FBrushW, Qt::SolidLine,
               Qt::RoundCap, Qt::RoundJoin);
  FBrushPen = 0;
  FBrushLast = QPoint(X, Y);
  B.StrokeSpline.Reset(X, Y);
}

void TFreehandPens::BrushPenMove(int X, int Y) {
  if (FPressureStroke) {
    PressureMove(X, Y);
    return;
  }
  if (!B.BufferGraphics.isActive()) return;
  const float W = BrushWidthStep(FBrushW, FMoveCounter, FLastSegment, FBrushMax);
  FBrushW = W;

  const TPointS S = B.StrokeSpline.Add(X, Y);
  const QPoint N(RoundEven(S.X), RoundEven(S.Y));
  FLastSegment = std::hypot(double(N.x() - FBrushLast.x()), double(N.y() - FBrushLast.y()));

  const double drawnWidth = FBrushPens[FBrushPen].widthF();
  B.BufferGraphics.setPen(FBrushPens[FBrushPen]);
  B.BufferGraphics.drawLine(FBrushLast, N);
  FBrushPen = 1 - FBrushPen;
  FBrushPens[FBrushPen].setWidthF(W);
  const QRect changed = segmentRect(FBrushLast, N, drawnWidth);
  FBrushLast = N;

  AppendSample(pkMiddle, N, W, 0);
  GrowBox(X, Y);
  B.Host.ShowRect(changed);
  ++FMoveCounter;
}

void TFreehandPens::BrushPenEnd(int X, int Y) {
  if (FPressureStroke) {
    PressureEnd(X, Y);
    return;
  }
  if (!B.BufferGraphics.isActive()) return;
  const TPointS S = B.StrokeSpline.Evaluate(X, Y);
  const QPoint last(RoundEven(S.X), RoundEven(S.Y));
  const bool click = QPoint(X, Y) == B.DownPt;
  CommonEnd(X, Y, B.DownPt, -1, last, FBrushW, 0);
  QRect changed;
  if (click) {
    B.Model.Last().Width = B.State.PenWidth;
    changed = DrawClickDot(B.BufferGraphics, QPoint(X, Y), B.State.PenWidth, B.ResolveColor());
  }
  CloseBufferGraphics();
  FinishShow(X, Y, click, changed);
}

// ---- brush pen with stylus pressure ----

void TFreehandPens::PressureMove(int X, int Y) {
  if (!B.Smoother.Active()) return;
  const int count = B.Tablet ? B.Tablet->PollPackets(FPackets, kMaxTabletPackets) : 0;
  const uint32_t maxPressure = B.Tablet && B.Tablet->MaxPressure() > 0 ? B.Tablet->MaxPressure() : 1024;
  const double cap = double(B.State.PenWidth) * double(kPressureFactor);
  for (int i = 0; i < count; ++i) {
    if (FPackets[i].Pressure != 0) FCurPressure = FPackets[i].Pressure;
    FPressWidth = double(B.State.PenWidth) * double(kPressureFactor) * FCurPressure / maxPressure;
    AppendSample(pkMiddle, QPoint(X, Y), 0, FPressWidth);
    B.Smoother.NewWidth = std::min(FPressWidth, cap);
    B.Smoother.AddPoint(X, Y);
    B.Smoother.PrevWidth = B.Smoother.NewWidth;
  }
  GrowBox(X, Y);
  const QRect changed = B.Smoother.TakeDirtyRect();
  if (!changed.isEmpty()) B.Host.ShowRect(changed);
  ++FMoveCounter;
}

void TFreehandPens::PressureEnd(int X, int Y) {
  FPressureStroke = false;
  if (!B.Smoother.Active()) return;
  CommonEnd(X, Y, B.DownPt, B.State.PenWidth, QPoint(X, Y), 0, FPressWidth);
  B.Smoother.PrevWidth = B.Smoother.NewWidth;
  B.Smoother.End(X, Y, false);
  QRect changed = B.Smoother.TakeDirtyRect();
  const bool click = QPoint(X, Y) == B.DownPt;
  if (click) changed |= DrawClickDot(B.BufferGraphics, QPoint(X, Y), B.State.PenWidth, B.ResolveColor());
  CloseBufferGraphics();
  FinishShow(X, Y, click, changed);
}

}  // namespace inkora
