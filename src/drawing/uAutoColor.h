// Automatic pen colour: a colour that contrasts with what is on screen.
#pragma once

#include "drawing/uTypes.h"

#include <QImage>
#include <QRect>

namespace inkora {

// Reads pixels of the whole display (all screens). Implemented by the platform
// layer on X11 and by a fake screen in tests.
class IScreenPixels {
 public:
  virtual ~IScreenPixels() = default;
  // The display's extent in its own pixel coordinates.
  virtual QRect DisplayRect() const = 0;
  // A copy of rectangle r of the display (r lies inside DisplayRect()). A null
  // image means the display could not be read.
  virtual QImage Grab(const QRect& r) = 0;
};

// The grid of samples: x = 20 i, y = 15 j for i, j = 1..50.
inline constexpr int kAutoGridCount = 50;
inline constexpr int kAutoGridDx = 20;
inline constexpr int kAutoGridDy = 15;

// Counts of the sample classes; exposed for tests.
struct TAutoColorCounts {
  int White = 0, Black = 0, Red = 0, Green = 0, Blue = 0;
};

// Classifies one read pixel ($00BBGGRR, or 0xFFFFFFFF for a point off the display).
void ClassifyScreenSample(uint32_t c, TAutoColorCounts& counts);
// The contrasting colour for these counts.
TColor ChooseAutoColor(const TAutoColorCounts& counts);
// Samples the display and returns the contrasting colour.
TColor AutoPenColor(IScreenPixels& screen);

}  // namespace inkora
