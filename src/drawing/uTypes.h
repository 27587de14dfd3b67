// The drawing-object model: object and sample records, kind and tool codes,
// the palette, colour conversion and the coordinate convention.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRectF>
#include <QString>

#include <array>
#include <cstdint>

namespace inkora {

// Colours are $00BBGGRR, red in the low byte.
using TColor = int32_t;

// 80-bit extended in the stored records; held as double in memory.
using Extended = double;

struct TPointS {  // point of two singles
  float X = 0;
  float Y = 0;
  friend bool operator==(const TPointS&, const TPointS&) = default;
};

struct TRectS {  // rectangle of four singles
  float X = 0;
  float Y = 0;
  float Width = 0;
  float Height = 0;
  friend bool operator==(const TRectS&, const TRectS&) = default;
};

// Object kinds. Drawable kinds equal the code of the tool that makes them.
enum TObjKind : uint8_t {
  okNoteBackground = 0,
  okImage = 1,
  okFreePen = 2,
  okBrushPen = 3,
  okLine = 4,
  okRectangle = 5,
  okFilledRectangle = 6,
  okEllipse = 7,
  okFilledEllipse = 8,
  okDoubleArrow = 9,
  okSingleArrow = 10,
  okNoteChange = 22,
  okEraseAll = 23,
  okErase = 24,
  okZoom = 25,
  okScroll = 26,
};

// DrawClass values.
enum TDrawClass : uint8_t { dcImageOrEvent = 0, dcStroke = 1, dcFigure = 3 };

// Tool codes (CurTool).
enum TToolCode : uint8_t {
  tcPlaceImage = 1,
  tcFreePen = 2,
  tcBrushPen = 3,
  tcLine = 4,
  tcRectangle = 5,
  tcFilledRectangle = 6,
  tcEllipse = 7,
  tcFilledEllipse = 8,
  tcDoubleArrow = 9,
  tcSingleArrow = 10,
  tcSelect = 11,
  tcObjectEraser = 13,
  tcAreaEraser = 14,
  tcZoomRect = 16,
  tcMoveAll = 27,
};

// The figure tools: line, rectangles, ellipses and arrows.
inline constexpr bool IsFigureTool(uint8_t tool) { return tool >= tcLine && tool <= tcSingleArrow; }

// Sample kinds (TPoints::PtKind).
enum TPtKind : uint8_t { pkFirst = 1, pkMiddle = 2, pkLast = 3 };

// One drawing object. Field order, widths and defaults are those of the stored
// record; the default member values are what InitDrawObj gives.
class TDrawObj {
 public:
  uint8_t Kind = 0;
  uint8_t EventCode = 0;
  uint8_t Spare1 = 0;
  int32_t TargetId = -1;
  int32_t ObjId = -1;
  double Time = -1.0;
  TColor AuxColor = 0xFFFFFF;
  int32_t NoteNo = -1;
  int32_t BoardWidth = -1;
  int32_t BoardHeight = -1;
  uint8_t DrawClass = 0;
  uint8_t Pressure = 0;
  QPoint OrgP1;
  QPoint OrgP2;
  QPoint P1;
  QPoint P2;
  QPoint LineP1;
  QPoint LineP2;
  TRectS OrgBounds;
  TRectS Bounds;
  std::array<TPointS, 4> OrgCorners{};
  std::array<TPointS, 4> Corners{};
  TColor Color = 0xFFFFFF;
  int32_t Width = -1;
  uint8_t Transparent = 0;
  float PrevAngle = 0;
  float Angle = 0;
  QString FileName;  // short string
  uint8_t Deleted = 0;
  float Zoom = 1.0f;
  int32_t VScroll = 0;
  int32_t HScroll = 0;
  uint8_t PlainNote = 0;
  QString NoteKey;  // short string
};

// One captured sample of a free-pen or brush-pen stroke.
class TPoints {
 public:
  int32_t ObjId = -1;
  double Time = 0;
  uint8_t PtKind = 0;
  Extended PressWidth = 0;
  float BrushWidth = 0;
  QPoint OrgPt;
  QPoint Pt;
  QPoint SparePt;
};

// Resets every field to its default.
void InitDrawObj(TDrawObj& obj);

// The four corners of r in the order (minX, minY), (maxX, minY), (maxX, maxY), (minX, maxY).
std::array<TPointS, 4> RectCorners(const TRectS& r);

// Palette: ColorIndex -> CurColor. Index 16 is the automatic colour.
inline constexpr int kAutoColorIndex = 16;
inline constexpr std::array<TColor, 17> PaletteColors = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
    0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF01, 0x00FFFF,
    0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF, 0x111111};

// $00BBGGRR with alpha -> QColor.
inline QColor ToQColor(TColor c, int alpha = 255) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, alpha);
}
// QRgb (0xAARRGGBB) -> $00BBGGRR, alpha dropped.
inline TColor FromRgb(uint32_t rgb) {
  return static_cast<TColor>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

inline constexpr int kOpaqueAlpha = 255;
inline constexpr int kTransparentAlpha = 127;

// Round half to even, the processor's default rounding.
int32_t RoundEven(double v);

// Stored coordinates (captured on a BoardWidth x BoardHeight bitmap) to the
// current bitmap of size current, and back. Points round half to even;
// rectangles and single-precision points scale without rounding. A stored
// board size that is not positive leaves the geometry unscaled.
QPoint ScaleToBoard(QPoint p, int32_t boardWidth, int32_t boardHeight, QSize current);
TPointS ScaleToBoard(TPointS p, int32_t boardWidth, int32_t boardHeight, QSize current);
TRectS ScaleToBoard(const TRectS& r, int32_t boardWidth, int32_t boardHeight, QSize current);
QPoint ScaleFromBoard(QPoint p, int32_t boardWidth, int32_t boardHeight, QSize current);

}  // namespace inkora
