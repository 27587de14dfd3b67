#include "drawing/uTypes.h"

#include <gtest/gtest.h>

namespace inkora {
namespace {

TEST(DrawObj, NewObjectHasTheDocumentedDefaults) {
  TDrawObj obj;
  obj.Kind = 5;
  obj.Color = 0x123456;
  obj.FileName = "x.png";
  obj.Corners[2] = {3, 4};
  InitDrawObj(obj);

  EXPECT_EQ(obj.Kind, 0);
  EXPECT_EQ(obj.EventCode, 0);
  EXPECT_EQ(obj.TargetId, -1);
  EXPECT_EQ(obj.ObjId, -1);
  EXPECT_EQ(obj.Time, -1.0);
  EXPECT_EQ(obj.AuxColor, 0xFFFFFF);
  EXPECT_EQ(obj.NoteNo, -1);
  EXPECT_EQ(obj.BoardWidth, -1);
  EXPECT_EQ(obj.BoardHeight, -1);
  EXPECT_EQ(obj.Color, 0xFFFFFF);
  EXPECT_EQ(obj.Width, -1);
  EXPECT_EQ(obj.Zoom, 1.0f);
  EXPECT_EQ(obj.Angle, 0.0f);
  EXPECT_EQ(obj.Deleted, 0);
  EXPECT_TRUE(obj.FileName.isEmpty());
  EXPECT_TRUE(obj.NoteKey.isEmpty());
  for (const TPointS& c : obj.Corners) EXPECT_EQ(c, TPointS{});
  EXPECT_EQ(obj.Bounds, TRectS{});

  TPoints pt;
  EXPECT_EQ(pt.PressWidth, 0.0);
  EXPECT_EQ(pt.BrushWidth, 0.0f);
}

TEST(Palette, HasSeventeenEntriesWithLimeOffByOne) {
  ASSERT_EQ(PaletteColors.size(), 17u);
  EXPECT_EQ(PaletteColors[0], 0x000000);
  EXPECT_EQ(PaletteColors[9], 0x0000FF);   // red
  EXPECT_EQ(PaletteColors[10], 0x00FF01);  // lime
  EXPECT_EQ(PaletteColors[12], 0xFF0000);  // blue
  EXPECT_EQ(PaletteColors[16], 0x111111);  // automatic
}

TEST(Colors, BgrConvertsWithRedInTheLowByte) {
  EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(0xFF0000, 127), QColor(0, 0, 255, 127));
  EXPECT_EQ(FromRgb(qRgb(0x12, 0x34, 0x56)), 0x563412);
}

TEST(Corners, AreListedClockwiseFromTopLeft) {
  const auto c = RectCorners({10, 20, 30, 40});
  EXPECT_EQ(c[0], (TPointS{10, 20}));
  EXPECT_EQ(c[1], (TPointS{40, 20}));
  EXPECT_EQ(c[2], (TPointS{40, 60}));
  EXPECT_EQ(c[3], (TPointS{10, 60}));
}

struct ScaleCase {
  int stored;
  int boardSize;
  int currentSize;
  int expected;
};

TEST(ScaleToBoard, RoundsHalfToEven) {
  const ScaleCase cases[] = {
      {1, 1000, 1500, 2},   // 1.5 -> 2
      {3, 1000, 1500, 4},   // 4.5 -> 4
      {5, 1000, 1500, 8},   // 7.5 -> 8
      {1, 2000, 1000, 0},   // 0.5 -> 0
      {3, 2000, 1000, 2},   // 1.5 -> 2
      {5, 2000, 1000, 2},   // 2.5 -> 2
      {-3, 2000, 1000, -2}, // -1.5 -> -2
      {7, 1000, 1000, 7},
      {7, 1000, 1999, 14},  // 13.993
  };
  for (const auto& c : cases) {
    const QPoint p = ScaleToBoard(QPoint(c.stored, c.stored), c.boardSize, c.boardSize,
                                  QSize(c.currentSize, c.currentSize));
    EXPECT_EQ(p, QPoint(c.expected, c.expected)) << c.stored << " from " << c.boardSize << " to "
                                                 << c.currentSize;
  }
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(3.5), 4);
  EXPECT_EQ(RoundEven(-0.5), 0);
}

TEST(ScaleToBoard, RectanglesAndSinglePointsScaleWithoutRounding) {
  const TRectS r = ScaleToBoard(TRectS{1, 3, 5, 7}, 1000, 1000, QSize(1500, 500));
  EXPECT_EQ(r, (TRectS{1.5f, 1.5f, 7.5f, 3.5f}));
  EXPECT_EQ(ScaleToBoard(TPointS{1, 1}, 1000, 1000, QSize(1500, 1500)), (TPointS{1.5f, 1.5f}));
}

TEST(ScaleToBoard, ZoomedRoundTripReturnsTheStoredPoint) {
  // Captured at 100 %, shown at 150 %, and mapped back when stored again.
  const QSize zoomed(2880, 1620);
  for (int x = 0; x <= 1920; x += 37)
    for (int y = 0; y <= 1080; y += 41) {
      const QPoint shown = ScaleToBoard(QPoint(x, y), 1920, 1080, zoomed);
      ASSERT_EQ(ScaleFromBoard(shown, 1920, 1080, zoomed), QPoint(x, y));
    }
}

TEST(ScaleToBoard, ANonPositiveStoredBoardLeavesGeometryAlone) {
  EXPECT_EQ(ScaleToBoard(QPoint(5, 6), 0, 1080, QSize(100, 100)), QPoint(5, 6));
  EXPECT_EQ(ScaleToBoard(TRectS{1, 2, 3, 4}, -1, -1, QSize(100, 100)), (TRectS{1, 2, 3, 4}));
}

}  // namespace
}  // namespace inkora
