// The selection: which objects are selected, the frame and handle areas of
// each, and the group state used when several are selected together; plus
// the overlay that shows it over the note. Coordinates are BackBuffer pixels.
#pragma once

#include "drawing/uPresentation.h"
#include "drawing/uTypes.h"

#include <QPainter>
#include <QPoint>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

namespace inkora {

// Handle numbers: corners clockwise from the top left, then the rotation and
// the menu handle. Arrays of handle areas are indexed by these numbers;
// index 0 and the numbers in between are unused.
inline constexpr int kHandleTopLeft = 1;
inline constexpr int kHandleTopRight = 3;
inline constexpr int kHandleBottomRight = 5;
inline constexpr int kHandleBottomLeft = 7;
inline constexpr int kHandleRotate = 9;
inline constexpr int kHandleMenu = 11;
using THandleRects = std::array<TRectS, 12>;

// Every handle area is a square of this side centred on its point.
inline constexpr int kHandleSize = 10;
// The frame lies this far outside the object's bounds.
inline constexpr int kFrameMargin = 5;
// The rotation handle sits this far above the middle of the top edge, the
// menu handle this far to the right of it.
inline constexpr int kRotateHandleRise = 20;
inline constexpr int kMenuHandleShift = 15;

// One selected object.
class TSelObjInfo {
 public:
  int32_t SelObj = -1;                // ObjId; ObjList can grow, so no pointer
  std::array<QPoint, 4> FramePts{};   // its Corners on the current board, rounded
  std::array<QPoint, 4> FramePts2{};  // FramePts as they were when selected
  TRectS StartBounds;                 // its Bounds when selected
  THandleRects HandleRects{};         // stored when the overlay is drawn
  float StartAngle = 0;               // its Angle when selected
};

// The smallest and largest corner coordinates of the selected objects.
struct TGroupExtent {
  QPoint Min;
  QPoint Max;
  bool IsEmpty() const { return Min.x() > Max.x() || Min.y() > Max.y(); }
};

class TSelection {
 public:
  // Appends objId with its frame mapped to a board of size boardSize. An id
  // that names no object, or one already selected, is not added; returns
  // whether it was.
  bool AddToSelection(const TPresentation& model, int32_t objId, QSize boardSize);
  // Empties the selection and resets the group angle.
  void ClearSelection();
  bool IsSelected(int32_t objId) const;

  bool Empty() const { return SelList.empty(); }
  int Count() const { return int(SelList.size()); }

  // Over the rounded, board-mapped Corners of every selected object that
  // still exists; empty when none does.
  TGroupExtent GroupBox(const TPresentation& model, QSize boardSize) const;

  std::vector<TSelObjInfo> SelList;  // in selection order
  int32_t HoverHandle = -1;
  uint8_t SelMode = 0;
  QPoint DragAnchor;
  float GroupAngle = 0;
  float GroupPrevAngle = 0;
  std::array<QPoint, 4> GroupCorners{};  // the unrotated group box, clockwise from top left
  std::array<QPoint, 4> GroupPoly{};     // the group outline as drawn
  THandleRects HandleRects{};            // group handles: only 9 and 11
};

// p turned by angleDegrees about c, rounded half to even. y grows downwards,
// so a positive angle turns clockwise on screen.
QPoint RotatePoint(QPoint p, QPoint c, double angleDegrees);

// Whether p lies in rect, edges included.
bool PointInHandle(const TRectS& rect, QPoint p);

// The handle area centred on p.
TRectS HandleRectAt(QPoint p);

// The geometry of one selected object's overlay.
struct TSingleHandles {
  std::array<QPoint, 4> Frame{};  // frame corners turned by the angle, clockwise from top left
  QPoint Centre;
  QPoint Rotate;         // centre of handle 9
  QPoint Menu;           // centre of handle 11
  THandleRects Rects{};  // 1, 3, 5, 7, 9 and 11
};
// bounds are the object's bounds on the board; the frame is them grown by
// kFrameMargin, turned by angle about its rounded centre.
TSingleHandles ComputeSingleHandles(const TRectS& bounds, float angle);

// The geometry of the group overlay.
struct TGroupHandles {
  TRectS Box;                       // the extent grown by kFrameMargin
  std::array<QPoint, 4> Corners{};  // Box's corners, clockwise from top left
  QPoint Centre;
  QPoint Rotate;
  QPoint Menu;
  THandleRects Rects{};  // 9 and 11 only
};
// Handles 9 and 11 turned by groupAngle about the box centre.
TGroupHandles ComputeGroupHandles(const TGroupExtent& extent, float groupAngle);

// Works out the handle areas for the current selection and stores them: in
// the one object's TSelObjInfo, or for a group in sel.HandleRects together
// with GroupCorners and, while the group is unturned, GroupPoly.
void UpdateSelectionHandles(TSelection& sel, const TPresentation& model, QSize boardSize);

// Draws the frame and handles of the selection (updating the stored handle
// areas first). The painter's transform maps BackBuffer pixels to its device.
void DrawSelectionOverlay(QPainter& g, TSelection& sel, const TPresentation& model,
                          QSize boardSize);

}  // namespace inkora
