#include "drawing/uTypes.h"

#include <cfenv>
#include <cmath>

namespace inkora {

void InitDrawObj(TDrawObj& obj) { obj = TDrawObj{}; }

std::array<TPointS, 4> RectCorners(const TRectS& r) {
  const float x2 = r.X + r.Width;
  const float y2 = r.Y + r.Height;
  return {TPointS{r.X, r.Y}, TPointS{x2, r.Y}, TPointS{x2, y2}, TPointS{r.X, y2}};
}

int32_t RoundEven(double v) {
  // nearbyint follows the current rounding mode, which is to-nearest-even
  // unless someone changed it; say so explicitly rather than rely on that.
  const int saved = std::fegetround();
  if (saved != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(v);
  if (saved != FE_TONEAREST) std::fesetround(saved);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return r > 0 ? INT32_MAX : INT32_MIN;
  return static_cast<int32_t>(r);
}

namespace {
bool validBoard(int32_t w, int32_t h) { return w > 0 && h > 0; }
}  // namespace

QPoint ScaleToBoard(QPoint p, int32_t boardWidth, int32_t boardHeight, QSize current) {
  if (!validBoard(boardWidth, boardHeight)) return p;
  return {RoundEven(double(p.x()) * current.width() / boardWidth),
          RoundEven(double(p.y()) * current.height() / boardHeight)};
}

TPointS ScaleToBoard(TPointS p, int32_t boardWidth, int32_t boardHeight, QSize current) {
  if (!validBoard(boardWidth, boardHeight)) return p;
  return {float(double(p.X) * current.width() / boardWidth),
          float(double(p.Y) * current.height() / boardHeight)};
}

TRectS ScaleToBoard(const TRectS& r, int32_t boardWidth, int32_t boardHeight, QSize current) {
  if (!validBoard(boardWidth, boardHeight)) return r;
  const double sx = double(current.width()) / boardWidth;
  const double sy = double(current.height()) / boardHeight;
  return {float(r.X * sx), float(r.Y * sy), float(r.Width * sx), float(r.Height * sy)};
}

QPoint ScaleFromBoard(QPoint p, int32_t boardWidth, int32_t boardHeight, QSize current) {
  if (current.width() <= 0 || current.height() <= 0) return p;
  return {RoundEven(double(p.x()) * boardWidth / current.width()),
          RoundEven(double(p.y()) * boardHeight / current.height())};
}

}  // namespace inkora
