// Screen pixels of the whole X11 display, for the automatic pen colour.
#pragma once

#include "drawing/uAutoColor.h"

namespace inkora {

class TScreenPixels final : public IScreenPixels {
 public:
  QRect DisplayRect() const override;
  QImage Grab(const QRect& r) override;
};

}  // namespace inkora
