// The figure tools: line, rectangle, filled rectangle, ellipse, filled
// ellipse, double-headed and single-headed arrow. While the button is held the
// board keeps a rubber band (the figure as it would be) that the form draws
// over BackBuffer; the release stores the figure and draws it into BackBuffer.
#pragma once

#include <QPainter>
#include <QPoint>
#include <QRect>

#include <cstdint>

namespace inkora {

class TBoard;

// Lines and arrows shorter than this in both directions are not created.
inline constexpr int kFigureMinDrag = 10;
// A new figure shows its box grown by this much.
inline constexpr int kFigureShowMargin = 20;
// The band's area is its box grown by this much.
inline constexpr int kBandMargin = 3;
// A transparent figure drawn from a docked tool bar is this much wider.
inline constexpr int kTransparentFigureExtraWidth = 5;

enum class TBandKind : uint8_t { None, Line, Rectangle, Ellipse, DoubleArrow, SingleArrow };

// The rubber band of a figure being dragged, in BackBuffer pixels.
struct TFigureBand {
  TBandKind Kind = TBandKind::None;
  QPoint From;  // DownPt
  QPoint To;    // CurPt
};

// The band shape of a tool code; None for tools that are no figures.
TBandKind BandKindOf(uint8_t tool);

// Everything the band draws (arrow barbs included), grown by kBandMargin;
// empty for no band.
QRect BandArea(const TFigureBand& band);

// Draws the band as a dotted 1-pixel line: black dots on a white line, so it
// shows on a note of any colour. Coordinates are BackBuffer pixels; the
// painter's transform maps them to its device.
void DrawFigureBand(QPainter& g, const TFigureBand& band);

class TFigureTools {
 public:
  explicit TFigureTools(TBoard& board) : B(board) {}

  // Called after the board set DownPt and CurPt (press) or CurPt (move).
  void FigureBegin(int X, int Y);
  void FigureMove(int X, int Y);
  // The release: creates the figure or, for a too-short line or arrow, nothing.
  void FigureEnd(int X, int Y);

  // The band while the button is held; Kind None otherwise.
  const TFigureBand& Band() const { return FBand; }

  // Drops the band without creating anything (board resize).
  void Abort();

 private:
  void ShowBand(TBandKind kind);
  QRect HideBand();
  void CreateFigure(const QRect& bandShown);

  TBoard& B;
  TFigureBand FBand;
  QRect FBandShown;  // the area last shown for the band
};

}  // namespace inkora
