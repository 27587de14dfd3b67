// Drawing stored objects into a note bitmap.
#pragma once

#include "drawing/uPresentation.h"
#include "drawing/uSmoothPen.h"
#include "drawing/uTypes.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QTransform>

namespace inkora {

// Diameter of the click dot of a pen of this width: max(1, round(width / 2)).
int ClickDotDiameter(int32_t width);
// A circle outline of that diameter drawn with a pen as wide, centred on p:
// a round dot about as wide as the pen. Returns the rectangle it touched.
QRect DrawClickDot(QPainter& g, QPoint p, int32_t width, TColor color);

// Rotation of an object about the centre of its bounds scaled to the target.
QTransform ObjectTransform(const TDrawObj& obj, QSize target);

// Barbs of an arrow head at E for the shaft S -> E: head length 20 and width
// 30 pixels of the target. For a shaft shorter than 20 the barbs lie behind S.
struct TArrowBarbs {
  QPoint A, B;
};
TArrowBarbs ArrowBarbs(QPoint S, QPoint E);

// Reads a picture, telling its format from the content rather than the name.
QImage LoadPicture(const QString& path);

// Strokes a collected freehand path: round caps and joins, width pixels wide.
// Into a plain bitmap this uses the fast stroke rasteriser; elsewhere
// (printers, clipped or translucent painters) the painter's own stroker.
void StrokeCollectedPath(QPainter& g, const QPainterPath& path, int32_t width, QColor color);

// Draws one object into a bitmap of size target (BackBuffer, or an export or
// print bitmap): geometry scaled from the object's board size, rotated about
// the centre of its scaled bounds. Kinds 1..10; other kinds draw nothing.
// Images are read from workFolder. smoother replays free-pen and pressure
// strokes.
void DrawObject(QPainter& g, const TPresentation& model, const TDrawObj& obj, QSize target,
                const QString& workFolder, TSmoothPen& smoother);

// A transparent free-pen stroke from its samples: one path through every
// sample at alpha 127 with round caps and joins; a two-sample stroke is a
// filled circle of the stroke's width on its last sample.
void DrawTransparentFreePen(QPainter& g, const TPresentation& model, const TDrawObj& obj,
                            QSize target);

}  // namespace inkora
