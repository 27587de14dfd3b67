#include "editing/uSelection.h"

#include <QFont>
#include <QPen>
#include <QPolygon>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace inkora {

namespace {

QPoint roundPoint(TPointS p) { return {RoundEven(p.X), RoundEven(p.Y)}; }

QPoint midpoint(QPoint a, QPoint b) {
  return {RoundEven((a.x() + b.x()) / 2.0), RoundEven((a.y() + b.y()) / 2.0)};
}

TRectS growFrame(const TRectS& r) {
  return {r.X - kFrameMargin, r.Y - kFrameMargin, r.Width + 2 * kFrameMargin,
          r.Height + 2 * kFrameMargin};
}

QPoint rectCentre(const TRectS& r) {
  return {RoundEven(r.X + r.Width / 2.0), RoundEven(r.Y + r.Height / 2.0)};
}

QRectF toQRectF(const TRectS& r) { return QRectF(r.X, r.Y, r.Width, r.Height); }

}  // namespace

// ---- the selection list ----

bool TSelection::AddToSelection(const TPresentation& model, int32_t objId, QSize boardSize) {
  const TDrawObj* obj = model.Obj(objId);
  if (!obj || IsSelected(objId)) return false;
  TSelObjInfo info;
  info.SelObj = objId;
  for (size_t i = 0; i < 4; ++i)
    info.FramePts[i] =
        roundPoint(ScaleToBoard(obj->Corners[i], obj->BoardWidth, obj->BoardHeight, boardSize));
  info.FramePts2 = info.FramePts;
  info.StartBounds = obj->Bounds;
  info.StartAngle = obj->Angle;
  SelList.push_back(info);
  return true;
}

void TSelection::ClearSelection() {
  SelList.clear();
  GroupAngle = 0;
  GroupPrevAngle = 0;
}

bool TSelection::IsSelected(int32_t objId) const {
  return std::any_of(SelList.begin(), SelList.end(),
                     [&](const TSelObjInfo& s) { return s.SelObj == objId; });
}

TGroupExtent TSelection::GroupBox(const TPresentation& model, QSize boardSize) const {
  // Start from the widest possible inverted extent, so objects anywhere on
  // a board of any size narrow it down.
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  TGroupExtent e{{kMax, kMax}, {kMin, kMin}};
  for (const TSelObjInfo& s : SelList) {
    const TDrawObj* obj = model.Obj(s.SelObj);
    if (!obj) continue;
    for (const TPointS& corner : obj->Corners) {
      const QPoint p =
          roundPoint(ScaleToBoard(corner, obj->BoardWidth, obj->BoardHeight, boardSize));
      e.Min = {std::min(e.Min.x(), p.x()), std::min(e.Min.y(), p.y())};
      e.Max = {std::max(e.Max.x(), p.x()), std::max(e.Max.y(), p.y())};
    }
  }
  return e;
}

// ---- geometry ----

QPoint RotatePoint(QPoint p, QPoint c, double angleDegrees) {
  const double a = angleDegrees / 180.0 * std::numbers::pi;
  const double ca = std::cos(a), sa = std::sin(a);
  const double dx = p.x() - c.x(), dy = p.y() - c.y();
  return {RoundEven(c.x() + ca * dx - sa * dy), RoundEven(c.y() + sa * dx + ca * dy)};
}

bool PointInHandle(const TRectS& rect, QPoint p) {
  return rect.X <= p.x() && p.x() <= rect.X + rect.Width && rect.Y <= p.y() &&
         p.y() <= rect.Y + rect.Height;
}

TRectS HandleRectAt(QPoint p) {
  constexpr float half = kHandleSize / 2.0f;
  return {p.x() - half, p.y() - half, float(kHandleSize), float(kHandleSize)};
}

TSingleHandles ComputeSingleHandles(const TRectS& bounds, float angle) {
  const TRectS f = growFrame(bounds);
  TSingleHandles h;
  h.Centre = rectCentre(f);
  const std::array<TPointS, 4> corners = RectCorners(f);
  for (size_t i = 0; i < 4; ++i) h.Frame[i] = RotatePoint(roundPoint(corners[i]), h.Centre, angle);

  // Handles 9 and 11 are placed in the object's own (unturned) frame above the
  // middle of its top edge, then turned with it.
  const QPoint top = RotatePoint(midpoint(h.Frame[0], h.Frame[1]), h.Centre, 360.0 - angle);
  h.Rotate = RotatePoint(top - QPoint(0, kRotateHandleRise), h.Centre, angle);
  h.Menu = RotatePoint(top + QPoint(kMenuHandleShift, -kRotateHandleRise), h.Centre, angle);

  const int corner[4] = {kHandleTopLeft, kHandleTopRight, kHandleBottomRight, kHandleBottomLeft};
  for (size_t i = 0; i < 4; ++i) h.Rects[corner[i]] = HandleRectAt(h.Frame[i]);
  h.Rects[kHandleRotate] = HandleRectAt(h.Rotate);
  h.Rects[kHandleMenu] = HandleRectAt(h.Menu);
  return h;
}

TGroupHandles ComputeGroupHandles(const TGroupExtent& extent, float groupAngle) {
  TGroupHandles h;
  h.Box =
      growFrame({float(extent.Min.x()), float(extent.Min.y()),
                 float(extent.Max.x() - extent.Min.x()), float(extent.Max.y() - extent.Min.y())});
  const std::array<TPointS, 4> corners = RectCorners(h.Box);
  for (size_t i = 0; i < 4; ++i) h.Corners[i] = roundPoint(corners[i]);
  h.Centre = rectCentre(h.Box);
  const QPoint top(RoundEven(h.Box.X + h.Box.Width / 2.0), RoundEven(h.Box.Y));
  h.Rotate = top - QPoint(0, kRotateHandleRise);
  h.Menu = top + QPoint(kMenuHandleShift, -kRotateHandleRise);
  if (groupAngle != 0) {
    h.Rotate = RotatePoint(h.Rotate, h.Centre, groupAngle);
    h.Menu = RotatePoint(h.Menu, h.Centre, groupAngle);
  }
  h.Rects[kHandleRotate] = HandleRectAt(h.Rotate);
  h.Rects[kHandleMenu] = HandleRectAt(h.Menu);
  return h;
}

namespace {

// The one selected object's handles, stored in its TSelObjInfo; none when the
// object is gone.
std::optional<TSingleHandles> storeSingleHandles(TSelObjInfo& s, const TPresentation& model,
                                                 QSize boardSize) {
  const TDrawObj* obj = model.Obj(s.SelObj);
  if (!obj) {
    s.HandleRects = {};
    return std::nullopt;
  }
  const TSingleHandles h = ComputeSingleHandles(
      ScaleToBoard(obj->Bounds, obj->BoardWidth, obj->BoardHeight, boardSize), obj->Angle);
  s.HandleRects = h.Rects;
  return h;
}

// The group's handles, stored in sel; none when no selected object is left.
std::optional<TGroupHandles> storeGroupHandles(TSelection& sel, const TPresentation& model,
                                               QSize boardSize) {
  const TGroupExtent extent = sel.GroupBox(model, boardSize);
  if (extent.IsEmpty()) {
    sel.HandleRects = {};
    return std::nullopt;
  }
  const TGroupHandles h = ComputeGroupHandles(extent, sel.GroupAngle);
  sel.HandleRects = h.Rects;
  // While the group is unturned its outline is the box; once turned, the
  // outline is whatever the rotation left in GroupPoly.
  if (sel.GroupAngle == 0) {
    sel.GroupCorners = h.Corners;
    sel.GroupPoly = h.Corners;
  }
  return h;
}

}  // namespace

void UpdateSelectionHandles(TSelection& sel, const TPresentation& model, QSize boardSize) {
  if (sel.Count() == 1)
    storeSingleHandles(sel.SelList.front(), model, boardSize);
  else if (sel.Count() > 1)
    storeGroupHandles(sel, model, boardSize);
}

// ---- drawing ----

namespace {

void drawRotateHandle(QPainter& g, const TRectS& r) {
  g.setBrush(QColor::fromRgba(0xFF00FF00));
  g.drawEllipse(toQRectF(r));
}

void drawMenuHandle(QPainter& g, const TRectS& r) {
  g.setBrush(QColor::fromRgba(0xFF00FFFF));
  g.drawRect(toQRectF(r));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(10);
  font.setWeight(QFont::Normal);
  font.setStyleStrategy(QFont::NoAntialias);
  g.save();
  g.setFont(font);
  g.setPen(Qt::red);
  g.drawText(toQRectF(r), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("M"));
  g.restore();
}

}  // namespace

void DrawSelectionOverlay(QPainter& g, TSelection& sel, const TPresentation& model,
                          QSize boardSize) {
  if (sel.Empty()) return;
  g.save();
  g.setRenderHint(QPainter::Antialiasing, false);
  g.setPen(QPen(Qt::black, 1));
  if (sel.Count() == 1) {
    if (const auto h = storeSingleHandles(sel.SelList.front(), model, boardSize)) {
      g.setBrush(Qt::NoBrush);
      g.drawPolygon(QPolygon({h->Frame[0], h->Frame[1], h->Frame[2], h->Frame[3]}));
      g.setBrush(Qt::white);
      for (int n : {kHandleTopLeft, kHandleTopRight, kHandleBottomRight, kHandleBottomLeft})
        g.drawRect(toQRectF(h->Rects[n]));
      drawRotateHandle(g, h->Rects[kHandleRotate]);
      drawMenuHandle(g, h->Rects[kHandleMenu]);
    }
  } else if (const auto h = storeGroupHandles(sel, model, boardSize)) {
    g.setBrush(Qt::NoBrush);
    if (sel.GroupAngle == 0)
      g.drawRect(toQRectF(h->Box));
    else
      g.drawPolygon(
          QPolygon({sel.GroupPoly[0], sel.GroupPoly[1], sel.GroupPoly[2], sel.GroupPoly[3]}));
    drawRotateHandle(g, h->Rects[kHandleRotate]);
    drawMenuHandle(g, h->Rects[kHandleMenu]);
  }
  g.restore();
}

}  // namespace inkora
