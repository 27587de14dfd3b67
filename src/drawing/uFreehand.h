// The two freehand tools: the free pen (normal and transparent) and the brush
// pen (mouse width rule, or stylus pressure).
#pragma once

#include "drawing/uTabletPackets.h"
#include "drawing/uTypes.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>

namespace inkora {

class TBoard;

// The mouse brush's running width after one more move: it grows by a tenth for
// the first six moves, then thins on fast segments (lastSegment >= 10 px) and
// thickens on slow ones, kept within [1, brushMax].
float BrushWidthStep(float W, int moveCounter, double lastSegment, float brushMax);

class TFreehandPens {
 public:
  explicit TFreehandPens(TBoard& board) : B(board) {}

  void FreePenBegin(int X, int Y);
  void FreePenMove(int X, int Y);
  void FreePenEnd(int X, int Y);
  void BrushPenBegin(int X, int Y);
  void BrushPenMove(int X, int Y);
  void BrushPenEnd(int X, int Y);

  // The live transparent stroke, drawn opaque into a layer of its own and shown
  // over BackBuffer at alpha 127 until the release renders it into BackBuffer.
  bool LiveLayerActive() const { return FLiveActive; }
  const QImage& LiveLayer() const { return FLiveLayer; }

  // Brush-pen state, visible for tests.
  bool PressureStroke() const { return FPressureStroke; }
  float BrushRunningWidth() const { return FBrushW; }
  int MoveCounter() const { return FMoveCounter; }

  // Ends any stroke in progress without further samples (board resize).
  void Abort();

 private:
  void CommonBegin(int X, int Y, float brushWidth, bool pressure);
  void AppendSample(uint8_t kind, QPoint stored, float brushWidth, Extended pressWidth);
  void GrowBox(int X, int Y);
  void CommonEnd(int X, int Y, QPoint p1, int32_t width, QPoint stored, float brushWidth,
                 Extended pressWidth);
  QRect GrownBox() const;
  void FinishShow(int X, int Y, bool click, QRect changed);
  void SampleAutoColor();
  void OpenBufferGraphics();
  void CloseBufferGraphics();

  // Free pen, transparent.
  void TransparentBegin(int X, int Y);
  void TransparentMove(int X, int Y);
  void TransparentEnd(int X, int Y);
  // Brush pen with stylus pressure.
  void PressureMove(int X, int Y);
  void PressureEnd(int X, int Y);

  TBoard& B;
  int FMoveCounter = 0;
  bool FTransparentStroke = false;

  // Mouse brush. Two pens take turns: the painter and its engine hold on to
  // the pen last drawn with, so changing that one's width would copy it; the
  // other is free to change without an allocation.
  QPen FBrushPens[2];
  int FBrushPen = 0;
  float FBrushW = 0;
  float FBrushMax = 0;
  double FLastSegment = 0;
  QPoint FBrushLast;

  // Pressure brush.
  bool FPressureStroke = false;
  uint32_t FCurPressure = 0;
  Extended FPressWidth = 0;
  TTabletPacket FPackets[kMaxTabletPackets];

  // Transparent free pen.
  QImage FLiveLayer;
  QPainter FLivePainter;
  QPen FLivePen;
  bool FLiveActive = false;
  QRect FLiveTouched;
  QPoint FLivePrev2, FLivePrev;
  int FLiveCount = 0;
};

}  // namespace inkora
