#include "drawing/uStrokeRaster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace inkora {

namespace {

// Scratch buffers reused between strokes on the same thread.
struct TScratch {
  std::vector<uint8_t> Mask;     // coverage 0..255 over the stroke's box
  std::vector<int> RowMin, RowMax;  // touched columns per row, for blending and clearing
};

TScratch& scratch() {
  thread_local TScratch s;
  return s;
}

// The columns (relative to a, in pixel-centre units) of the row at height py
// (relative to a) that lie within R of the segment from a to a + (dx, dy):
// the capsule is convex, so they form one interval, the hull of what its two
// end discs and its band cover. False when the row misses it.
bool capsuleRow(double py, double dx, double dy, double len2, double R, double& lo, double& hi) {
  lo = 1e300;
  hi = -1e300;
  auto disc = [&](double cx, double cy) {
    const double q = py - cy;
    if (q * q >= R * R) return;
    const double h = std::sqrt(R * R - q * q);
    lo = std::min(lo, cx - h);
    hi = std::max(hi, cx + h);
  };
  disc(0, 0);
  disc(dx, dy);
  if (len2 > 0) {
    const double len = std::sqrt(len2);
    double blo = -1e300, bhi = 1e300;
    auto within = [&](double coef, double from, double to) {  // from < coef * px < to
      if (coef > 0) {
        blo = std::max(blo, from / coef);
        bhi = std::min(bhi, to / coef);
      } else if (coef < 0) {
        blo = std::max(blo, to / coef);
        bhi = std::min(bhi, from / coef);
      } else if (!(from < 0 && 0 < to)) {
        bhi = -1e300;
      }
    };
    within(dx, -py * dy, len2 - py * dy);                // 0 <= t <= 1
    within(dy, py * dx - R * len, py * dx + R * len);   // |distance from the line| < R
    if (blo <= bhi) {
      lo = std::min(lo, blo);
      hi = std::max(hi, bhi);
    }
  }
  return lo <= hi;
}

inline uint32_t blendPremultiplied(uint32_t dst, uint32_t src, uint32_t cov) {
  // src is premultiplied; cov 0..255 scales it, the rest of dst shows through.
  const uint32_t sa = ((src >> 24) * cov + 127) / 255;
  const uint32_t inv = 255 - sa;
  auto ch = [&](int shift) {
    const uint32_t s = (((src >> shift) & 0xFF) * cov + 127) / 255;
    const uint32_t d = ((dst >> shift) & 0xFF) * inv / 255;
    return std::min<uint32_t>(255, s + d) << shift;
  };
  return ch(24) | ch(16) | ch(8) | ch(0);
}

}  // namespace

bool CanRasterStrokes(const QImage& target) {
  return target.format() == QImage::Format_ARGB32_Premultiplied ||
         target.format() == QImage::Format_RGB32;
}

void FillPolyline(QImage& target, const QRect& clip, const QPainterPath& path,
                  const QTransform& transform, double width, QColor color) {
  const int n = path.elementCount();
  if (n < 2 || width <= 0 || !CanRasterStrokes(target)) return;
  const double r = width / 2;
  const double reach = r + 1;

  // Mapped points and their box.
  thread_local std::vector<QPointF> pts;
  pts.clear();
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (int i = 0; i < n; ++i) {
    const QPointF p = transform.map(QPointF(path.elementAt(i)));
    pts.push_back(p);
    x0 = std::min(x0, p.x());
    y0 = std::min(y0, p.y());
    x1 = std::max(x1, p.x());
    y1 = std::max(y1, p.y());
  }
  const QRect area = QRect(QPoint(int(std::floor(x0 - reach)), int(std::floor(y0 - reach))),
                           QPoint(int(std::ceil(x1 + reach)), int(std::ceil(y1 + reach))))
                         .intersected(clip)
                         .intersected(target.rect());
  if (area.isEmpty()) return;

  TScratch& s = scratch();
  const int w = area.width(), h = area.height();
  if (s.Mask.size() < size_t(w) * h) s.Mask.assign(size_t(w) * h, 0);
  if (s.RowMin.size() < size_t(h)) {
    s.RowMin.resize(h);
    s.RowMax.resize(h);
  }
  std::fill(s.RowMin.begin(), s.RowMin.begin() + h, w);
  std::fill(s.RowMax.begin(), s.RowMax.begin() + h, -1);

  // Coverage of each pixel: the largest over all segments, so joins and
  // self-crossings are not blended twice.
  for (int i = 1; i < n; ++i) {
    if (!path.elementAt(i).isLineTo()) continue;
    const QPointF a = pts[i - 1], b = pts[i];
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double len2 = dx * dx + dy * dy;
    const double invLen2 = len2 > 0 ? 1.0 / len2 : 0.0;
    // Squared distances beyond which a pixel is not touched, and within which
    // it is fully covered: only the ring between needs a square root.
    const double outer2 = (r + 0.5) * (r + 0.5);
    const double inner2 = r >= 0.5 ? (r - 0.5) * (r - 0.5) : -1.0;
    const int sx0 = std::max(area.left(), int(std::floor(std::min(a.x(), b.x()) - reach)));
    const int sx1 = std::min(area.right(), int(std::ceil(std::max(a.x(), b.x()) + reach)));
    const int sy0 = std::max(area.top(), int(std::floor(std::min(a.y(), b.y()) - reach)));
    const int sy1 = std::min(area.bottom(), int(std::ceil(std::max(a.y(), b.y()) + reach)));
    for (int y = sy0; y <= sy1; ++y) {
      const int row = y - area.top();
      uint8_t* m = s.Mask.data() + size_t(row) * w - area.left();
      const double py = y + 0.5 - a.y();
      double lo, hi;
      if (!capsuleRow(py, dx, dy, len2, r + 0.5, lo, hi)) continue;
      // One pixel of slack each side: the exact test below decides.
      const int xs = std::max(sx0, int(std::floor(lo + a.x() - 0.5)) - 1);
      const int xe = std::min(sx1, int(std::ceil(hi + a.x() - 0.5)) + 1);
      int touchedMin = w, touchedMax = -1;
      for (int x = xs; x <= xe; ++x) {
        // Covered fully by an earlier segment: nothing to add, already counted.
        if (m[x] == 255) continue;
        const double px = x + 0.5 - a.x();
        const double t = std::clamp((px * dx + py * dy) * invLen2, 0.0, 1.0);
        const double ex = px - t * dx, ey = py - t * dy;
        const double d2 = ex * ex + ey * ey;
        if (d2 >= outer2) continue;
        uint8_t c = 255;
        if (d2 > inner2) {
          const double cov = r + 0.5 - std::sqrt(d2);
          if (cov <= 0) continue;
          c = cov >= 1 ? 255 : uint8_t(cov * 255 + 0.5);
        }
        if (c > m[x]) m[x] = c;
        touchedMin = std::min(touchedMin, x - area.left());
        touchedMax = std::max(touchedMax, x - area.left());
      }
      if (touchedMax >= 0) {
        s.RowMin[row] = std::min(s.RowMin[row], touchedMin);
        s.RowMax[row] = std::max(s.RowMax[row], touchedMax);
      }
    }
  }

  // Blend the covered spans and clear them for the next stroke.
  const uint32_t src = qPremultiply(color.rgba());
  const bool opaqueTarget = target.format() == QImage::Format_RGB32;
  for (int row = 0; row < h; ++row) {
    if (s.RowMax[row] < 0) continue;
    auto* line = reinterpret_cast<uint32_t*>(target.scanLine(area.top() + row)) + area.left();
    uint8_t* m = s.Mask.data() + size_t(row) * w;
    for (int x = s.RowMin[row]; x <= s.RowMax[row]; ++x) {
      if (m[x] == 0) continue;
      uint32_t out = m[x] == 255 && qAlpha(src) == 255 ? src : blendPremultiplied(line[x], src, m[x]);
      if (opaqueTarget) out |= 0xFF000000u;
      line[x] = out;
      m[x] = 0;
    }
  }
}

}  // namespace inkora
