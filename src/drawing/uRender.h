// Drawing stored objects into a note bitmap.
#pragma once

#include "drawing/uPresentation.h"
#include "drawing/uTypes.h"

#include <QPainter>
#include <QRect>
#include <QTransform>

namespace inkora {

// Diameter of the click dot of a pen of this width: max(1, round(width / 2)).
int ClickDotDiameter(int32_t width);
// A circle outline of that diameter drawn with a pen as wide, centred on p:
// a round dot about as wide as the pen. Returns the rectangle it touched.
QRect DrawClickDot(QPainter& g, QPoint p, int32_t width, TColor color);

// Rotation of an object about the centre of its bounds scaled to the target.
QTransform ObjectTransform(const TDrawObj& obj, QSize target);

// A transparent free-pen stroke from its samples: one path through every
// sample at alpha 127 with round caps and joins; a two-sample stroke is a
// filled circle of the stroke's width on its last sample.
void DrawTransparentFreePen(QPainter& g, const TPresentation& model, const TDrawObj& obj,
                            QSize target);

}  // namespace inkora
