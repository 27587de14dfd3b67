// A fast rasteriser for the thick polylines of freehand strokes: the union of
// round-capped segments (round caps and round joins), antialiased by the
// distance of each pixel centre from the polyline, blended in one colour.
// A full note redraw spends most of its time stroking such polylines; this
// does the same job without building and filling an outline path per stroke.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>

namespace inkora {

// True when FillPolyline can draw into this image.
bool CanRasterStrokes(const QImage& target);

// Draws the lines of path (moveTo/lineTo elements; a lone moveTo draws
// nothing) mapped by transform, width pixels wide, into target inside clip.
void FillPolyline(QImage& target, const QRect& clip, const QPainterPath& path,
                  const QTransform& transform, double width, QColor color);

}  // namespace inkora
