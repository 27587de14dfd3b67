#include "drawing/uFigures.h"

#include "drawing/uBoard.h"
#include "drawing/uRender.h"

#include <QPen>

#include <algorithm>
#include <cstdlib>

namespace inkora {

namespace {

// The corner points of everything the band draws.
int bandPoints(const TFigureBand& band, QPoint (&pts)[6]) {
  int n = 0;
  pts[n++] = band.From;
  pts[n++] = band.To;
  if (band.Kind == TBandKind::SingleArrow || band.Kind == TBandKind::DoubleArrow) {
    const TArrowBarbs head = ArrowBarbs(band.From, band.To);
    pts[n++] = head.A;
    pts[n++] = head.B;
  }
  if (band.Kind == TBandKind::DoubleArrow) {
    const TArrowBarbs tail = ArrowBarbs(band.To, band.From);
    pts[n++] = tail.A;
    pts[n++] = tail.B;
  }
  return n;
}

// Bounding box of the band's points, each pixel included.
QRect bandBox(const TFigureBand& band) {
  if (band.Kind == TBandKind::None) return {};
  QPoint pts[6];
  const int n = bandPoints(band, pts);
  int minX = pts[0].x(), maxX = minX, minY = pts[0].y(), maxY = minY;
  for (int i = 1; i < n; ++i) {
    minX = std::min(minX, pts[i].x());
    maxX = std::max(maxX, pts[i].x());
    minY = std::min(minY, pts[i].y());
    maxY = std::max(maxY, pts[i].y());
  }
  return QRect(QPoint(minX, minY), QPoint(maxX, maxY));
}

void drawBandShape(QPainter& g, const TFigureBand& band) {
  // Corners From and To both lie on the outline.
  const QRectF box(
      QPointF(std::min(band.From.x(), band.To.x()), std::min(band.From.y(), band.To.y())),
      QPointF(std::max(band.From.x(), band.To.x()), std::max(band.From.y(), band.To.y())));
  switch (band.Kind) {
    case TBandKind::None: break;
    case TBandKind::Line: g.drawLine(band.From, band.To); break;
    case TBandKind::Rectangle: g.drawRect(box); break;
    case TBandKind::Ellipse: g.drawEllipse(box); break;
    case TBandKind::DoubleArrow: {
      const TArrowBarbs tail = ArrowBarbs(band.To, band.From);
      const QPoint pts[3] = {tail.A, band.From, tail.B};
      g.drawPolyline(pts, 3);
    }
      [[fallthrough]];
    case TBandKind::SingleArrow: {
      g.drawLine(band.From, band.To);
      const TArrowBarbs head = ArrowBarbs(band.From, band.To);
      const QPoint pts[3] = {head.A, band.To, head.B};
      g.drawPolyline(pts, 3);
      break;
    }
  }
}

}  // namespace

TBandKind BandKindOf(uint8_t tool) {
  switch (tool) {
    case tcLine: return TBandKind::Line;
    case tcRectangle:
    case tcFilledRectangle: return TBandKind::Rectangle;
    case tcEllipse:
    case tcFilledEllipse: return TBandKind::Ellipse;
    case tcDoubleArrow: return TBandKind::DoubleArrow;
    case tcSingleArrow: return TBandKind::SingleArrow;
    default: return TBandKind::None;
  }
}

QRect BandArea(const TFigureBand& band) {
  const QRect box = bandBox(band);
  if (box.isNull()) return {};
  return box.adjusted(-kBandMargin, -kBandMargin, kBandMargin, kBandMargin);
}

void DrawFigureBand(QPainter& g, const TFigureBand& band) {
  if (band.Kind == TBandKind::None) return;
  g.save();
  g.setRenderHint(QPainter::Antialiasing, false);
  g.setBrush(Qt::NoBrush);
  // Width 0 is a cosmetic pen: one device pixel at any scale.
  g.setPen(QPen(Qt::white, 0, Qt::SolidLine));
  drawBandShape(g, band);
  g.setPen(QPen(Qt::black, 0, Qt::DotLine));
  drawBandShape(g, band);
  g.restore();
}

// ---- tools ----

void TFigureTools::ShowBand(TBandKind kind) {
  FBand = TFigureBand{kind, B.DownPt, B.CurPt};
  const QRect area = BandArea(FBand);
  B.Host.ShowRect(FBandShown | area);
  FBandShown = area;
}

// Removes the band; returns the area it covered, which still has to be shown.
QRect TFigureTools::HideBand() {
  const QRect shown = FBandShown;
  FBand = TFigureBand{};
  FBandShown = QRect();
  return shown;
}

void TFigureTools::FigureBegin(int, int) {
  const QRect stale = HideBand();
  if (!stale.isEmpty()) B.Host.ShowRect(stale);
  // Arrows show their band at once; the other figures only once they are dragged.
  if (B.CurTool == tcDoubleArrow || B.CurTool == tcSingleArrow) ShowBand(BandKindOf(B.CurTool));
}

void TFigureTools::FigureMove(int, int) { ShowBand(BandKindOf(B.CurTool)); }

void TFigureTools::FigureEnd(int X, int Y) {
  const bool needsLength =
      B.CurTool == tcLine || B.CurTool == tcDoubleArrow || B.CurTool == tcSingleArrow;
  // Judged by the band as last shown, before the release position is taken.
  const bool tooShort = std::abs(B.DownPt.x() - B.CurPt.x()) <= kFigureMinDrag &&
                        std::abs(B.DownPt.y() - B.CurPt.y()) <= kFigureMinDrag;
  const QRect bandShown = HideBand();
  if (needsLength && tooShort) {
    if (!bandShown.isEmpty()) B.Host.ShowRect(bandShown);
    return;
  }
  B.CurPt = QPoint(X, Y);
  CreateFigure(bandShown);
}

void TFigureTools::Abort() { HideBand(); }

void TFigureTools::CreateFigure(const QRect& bandShown) {
  const uint8_t kind = B.CurTool;
  const int x1 = B.DownPt.x(), y1 = B.DownPt.y();
  const int x2 = B.CurPt.x(), y2 = B.CurPt.y();
  const int minX = std::min(x1, x2), minY = std::min(y1, y2);
  const int maxX = std::max(x1, x2), maxY = std::max(y1, y2);

  if (B.State.ColorIndex == kAutoColorIndex) B.AutoPenColor();
  const bool transparent = B.TransMode == 1;
  const bool dockedBar = B.State.ToolbarPos >= 1 && B.State.ToolbarPos <= 4;

  TDrawObj obj;
  InitDrawObj(obj);
  obj.Color = B.ResolveColor();
  obj.Kind = kind;
  obj.NoteNo = B.CurNote;
  obj.BoardWidth = B.BackBuffer.width();
  obj.BoardHeight = B.BackBuffer.height();
  obj.DrawClass = dcFigure;
  obj.OrgP1 = obj.P1 = QPoint(x1, y1);
  obj.OrgP2 = obj.P2 = QPoint(x2, y2);
  obj.OrgBounds = obj.Bounds =
      TRectS{float(minX), float(minY), float(maxX - minX), float(maxY - minY)};
  obj.OrgCorners = obj.Corners = RectCorners(obj.Bounds);
  obj.Width = B.State.PenWidth + (transparent && dockedBar ? kTransparentFigureExtraWidth : 0);
  obj.Transparent = transparent ? 1 : 0;
  obj.Angle = 0;
  obj.ObjId = B.Model.ObjCount();
  obj.Time = B.State.RecClock;
  obj.HScroll = B.HScroll;
  obj.VScroll = B.VScroll;
  obj.NoteKey = B.CurNoteKey;
  if (kind == okLine || kind == okDoubleArrow || kind == okSingleArrow) {
    obj.LineP1 = QPoint(x1, y1);
    obj.LineP2 = QPoint(x2, y2);
  }
  B.Model.AppendObj(obj);

  const bool opened = !B.BufferGraphics.isActive();
  if (opened) {
    B.BufferGraphics.begin(&B.BackBuffer);
    B.BufferGraphics.setRenderHint(QPainter::Antialiasing);
  }
  // Figures read no pictures, so no work folder is needed.
  DrawObject(B.BufferGraphics, B.Model, B.Model.Last(), B.BackBuffer.size(), B.WorkFolder, B.Smoother);
  if (opened) B.BufferGraphics.end();

  // The figure's box grown by the show margin; a wide pen or an arrow head can
  // reach further, and the band may have been elsewhere, so those areas are
  // shown too.
  const int reach = obj.Width + 2;
  const QRect drawn =
      bandBox(TFigureBand{BandKindOf(kind), obj.P1, obj.P2}).adjusted(-reach, -reach, reach, reach);
  const QRect box =
      QRect(QPoint(minX, minY), QPoint(maxX, maxY))
          .adjusted(-kFigureShowMargin, -kFigureShowMargin, kFigureShowMargin, kFigureShowMargin);
  B.Host.ShowRect(box | drawn | bandShown);
}

}  // namespace inkora
