// Stroke smoothing: the point at t = 0.8 of the degree-9 Bezier curve whose
// control points are the last ten samples. TSpline returns smoothed positions
// for the brush pen.
#pragma once

#include "drawing/uTypes.h"

#include <QPoint>

#include <array>

namespace inkora {

inline constexpr int kWindowSize = 10;
using TSampleWindow = std::array<QPoint, kWindowSize>;  // oldest first

// Bernstein weights of degree 9 at t = 0.8, oldest sample first.
const std::array<double, kWindowSize>& SmoothWeights();

// Weighted sum over the window in double precision, stored as singles.
TPointS Smooth(const TSampleWindow& w);

class TSpline {
 public:
  void Reset(int X, int Y);
  // Smoothed position for a new sample; a repeat of the last sample is
  // returned unchanged and leaves the window as it is.
  TPointS Add(int X, int Y);
  // Smoothed position with (X, Y) as newest sample, without shifting the window.
  TPointS Evaluate(int X, int Y);

  const TSampleWindow& Window() const { return FWindow; }

 private:
  TSampleWindow FWindow{};
  QPoint FLastInput;
};

}  // namespace inkora
