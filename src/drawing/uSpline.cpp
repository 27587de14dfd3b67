#include "drawing/uSpline.h"

namespace inkora {

const std::array<double, kWindowSize>& SmoothWeights() {
  static const std::array<double, kWindowSize> weights = [] {
    std::array<double, kWindowSize> w{};
    constexpr double t = 0.8;
    double binom = 1;  // binomial(9, i), built up as i grows
    for (int i = 0; i < kWindowSize; ++i) {
      double tp = 1, sp = 1;
      for (int k = 0; k < i; ++k) tp *= t;
      for (int k = 0; k < kWindowSize - 1 - i; ++k) sp *= (1 - t);
      w[i] = binom * tp * sp;
      binom = binom * (kWindowSize - 1 - i) / (i + 1);
    }
    return w;
  }();
  return weights;
}

TPointS Smooth(const TSampleWindow& w) {
  const auto& k = SmoothWeights();
  double x = 0, y = 0;
  for (int i = 0; i < kWindowSize; ++i) {
    x += k[i] * w[i].x();
    y += k[i] * w[i].y();
  }
  return {float(x), float(y)};
}

void TSpline::Reset(int X, int Y) {
  FLastInput = QPoint(X, Y);
  FWindow.fill(FLastInput);
}

TPointS TSpline::Add(int X, int Y) {
  const QPoint p(X, Y);
  if (p == FLastInput) return {float(X), float(Y)};
  FWindow[kWindowSize - 1] = p;
  const TPointS result = Smooth(FWindow);
  for (int i = 0; i < kWindowSize - 1; ++i) FWindow[i] = FWindow[i + 1];
  FLastInput = p;
  return result;
}

TPointS TSpline::Evaluate(int X, int Y) {
  FWindow[kWindowSize - 1] = QPoint(X, Y);
  return Smooth(FWindow);
}

}  // namespace inkora
