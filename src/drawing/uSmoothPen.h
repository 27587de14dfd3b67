// TSmoothPen smooths a stroke as TSpline does and draws it while it walks:
// as a round-capped polyline (lines mode) or as pressure dabs.
#pragma once

#include "drawing/uSpline.h"
#include "drawing/uTypes.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

namespace inkora {

enum TSmoothMode : uint8_t { smPressureDabs = 0, smLines = 1 };

inline constexpr int kDabAlpha = 90;

// Diameter of a pressure dab circle of radius rho.
inline double DabDiameter(double rho) { return rho * (2.4 - rho / 25.0) + 1.0; }

class TSmoothPen {
 public:
  // Set by the caller before Begin.
  TColor Color = 0;
  int32_t Width = 1;
  uint8_t Mode = smLines;
  bool DrawAtOnce = false;
  bool Pressure = false;
  Extended PrevWidth = 0;  // Wp
  Extended NewWidth = 0;   // Wn

  void Begin(QPainter* target, int X, int Y);
  void AddPoint(int X, int Y);
  // Ends the stroke at (X, Y). With Final and DrawAtOnce off the collected
  // path is drawn now.
  void End(int X, int Y, bool Final);
  // Ends a collected stroke (DrawAtOnce off) and hands its path over instead
  // of drawing it.
  QPainterPath EndCollected(int X, int Y);

  // Drops a stroke without drawing more (a replay that ends without End).
  void Abandon();

  bool Active() const { return FTarget != nullptr; }
  TPointS DrawnPosition() const { return FDrawn; }
  TPointS PathPoint() const { return FPathPoint; }
  const TSampleWindow& Window() const { return FWindow; }
  const QPainterPath& Path() const { return FPath; }

  // The area drawn since the last call, in target pixels (empty if nothing).
  QRect TakeDirtyRect();

 private:
  void FinishWalk(int X, int Y);
  void Release();
  void ModeStep();
  void WalkLines(TPointS target);
  void WalkDabs(TPointS target);
  void LineTo(TPointS p);
  void AddPolyline(const TPointS* pts, int count);
  void CollectLineTo(QPointF p);
  void AddDirty(const QRectF& r);

  TSampleWindow FWindow{};
  bool FFirstSegment = false;
  QPoint FLastInput;
  TPointS FDrawn;      // L
  TPointS FPathPoint;  // previous path point
  QPainter* FTarget = nullptr;
  QPainterPath FPath;
  QPen FPen;
  QRectF FDirty;
};

}  // namespace inkora
