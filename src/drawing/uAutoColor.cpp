#include "drawing/uAutoColor.h"

#include <algorithm>

namespace inkora {

namespace {
constexpr uint32_t kInvalidColor = 0xFFFFFFFFu;
}

void ClassifyScreenSample(uint32_t c, TAutoColorCounts& counts) {
  if (c == 0xFFFFFF) {
    ++counts.White;
    return;
  }
  if (c == 0) {
    ++counts.Black;
    return;
  }
  const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  if (r > g && r > b)
    ++counts.Red;
  else if (g > r && g > b)
    ++counts.Green;
  else if (b > r && b > g)
    ++counts.Blue;
  // Two equal top components (including the invalid colour) count nowhere.
}

TColor ChooseAutoColor(const TAutoColorCounts& n) {
  const int m = std::max({n.White, n.Black, n.Red, n.Green, n.Blue});
  if (n.White == m) return 0x000000;
  if (n.Red == m) return 0xFF0000;
  if (n.Blue == m) return 0x0000FF;
  if (n.Green == m) return 0xFFFFFF;
  return 0xFFFFFF;  // black is the largest
}

TColor AutoPenColor(IScreenPixels& screen) {
  // Read only the part of the display the grid covers.
  const QRect grid(0, 0, kAutoGridCount * kAutoGridDx + 1, kAutoGridCount * kAutoGridDy + 1);
  const QRect display = screen.DisplayRect();
  const QRect readable = grid.intersected(display);
  const QImage pixels = readable.isEmpty() ? QImage() : screen.Grab(readable);

  TAutoColorCounts counts;
  for (int j = 1; j <= kAutoGridCount; ++j) {
    for (int i = 1; i <= kAutoGridCount; ++i) {
      const QPoint p(i * kAutoGridDx, j * kAutoGridDy);
      uint32_t c = kInvalidColor;
      const QPoint local = p - readable.topLeft();
      if (!pixels.isNull() && readable.contains(p) && pixels.rect().contains(local))
        c = uint32_t(FromRgb(pixels.pixel(local)));
      ClassifyScreenSample(c, counts);
    }
  }
  return ChooseAutoColor(counts);
}

}  // namespace inkora
