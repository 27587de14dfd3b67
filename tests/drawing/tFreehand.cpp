#include "drawing/uBoard.h"
#include "drawing/uRender.h"
#include "fakes.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

namespace inkora {
namespace {

using test::InkBox;
using test::IsDark;

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    board.SetBoardSize({400, 300});
    board.CurTool = tcFreePen;
  }

  // A stroke through the given points, pressed at the first, released at the last.
  void Stroke(std::initializer_list<QPoint> pts, TShiftState moveShift = ssLeft) {
    auto it = pts.begin();
    board.pbMouseDown(TMouseButton::Left, ssLeft, it->x(), it->y());
    QPoint last = *it;
    for (++it; it != pts.end(); ++it) {
      board.pbMouseMove(moveShift, it->x(), it->y());
      last = *it;
    }
    board.pbMouseUp(TMouseButton::Left, 0, last.x(), last.y());
  }

  std::vector<TPoints> Samples(int id) const {
    std::vector<TPoints> out;
    board.Model.ForEachSample(id, [&](const TPoints& p) { out.push_back(p); });
    return out;
  }

  TAppState state;
  test::TRecordingHost host;
  test::TFakeTablet tablet;
  TBoard board{state, host, nullptr, &tablet};
};

TEST_F(BoardTest, FreePenStrokeIsStoredWithItsSamplesAndGeometry) {
  state.PenWidth = 3;
  board.SetColorIndex(12);  // blue
  QSignalSpy modified(&board, &TBoard::ModifiedChanged);
  Stroke({{50, 60}, {80, 70}, {120, 40}, {160, 90}});

  ASSERT_EQ(board.Model.ObjCount(), 1);
  const TDrawObj& o = board.Model.ObjList()[0];
  EXPECT_EQ(o.Kind, okFreePen);
  EXPECT_EQ(o.DrawClass, dcStroke);
  EXPECT_EQ(o.ObjId, 0);
  EXPECT_EQ(o.NoteNo, 1);
  EXPECT_EQ(o.Time, 0.0);
  EXPECT_EQ(o.BoardWidth, 400);
  EXPECT_EQ(o.BoardHeight, 300);
  EXPECT_EQ(o.P1, QPoint(50, 60));
  EXPECT_EQ(o.P2, QPoint(160, 90));
  EXPECT_EQ(o.OrgP2, o.P2);
  EXPECT_EQ(o.Bounds, (TRectS{50, 40, 110, 50}));
  EXPECT_EQ(o.OrgBounds, o.Bounds);
  EXPECT_EQ(o.Corners[2], (TPointS{160, 90}));
  EXPECT_EQ(o.Color, 0xFF0000);
  EXPECT_EQ(o.Width, 3);
  EXPECT_EQ(o.Transparent, 0);
  EXPECT_EQ(o.Pressure, 0);

  const auto s = Samples(0);
  ASSERT_EQ(s.size(), 5u);  // press, three moves, release
  EXPECT_EQ(s[0].PtKind, pkFirst);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(s[i].PtKind, pkMiddle);
  EXPECT_EQ(s[4].PtKind, pkLast);
  EXPECT_EQ(s[4].Pt, QPoint(160, 90));
  EXPECT_EQ(s[1].Pt, QPoint(80, 70));
  EXPECT_EQ(s[1].OrgPt, s[1].Pt);
  EXPECT_EQ(s[1].SparePt, s[1].Pt);
  EXPECT_EQ(s[1].BrushWidth, 0.0f);

  // Drawn into BackBuffer, ending on the release point, in the stroke colour.
  EXPECT_EQ(board.BackBuffer.pixel(160, 90), qRgb(0, 0, 255));
  EXPECT_EQ(board.BackBuffer.pixel(50, 60), qRgb(0, 0, 255));
  EXPECT_TRUE(QRect(45, 35, 121, 61).contains(InkBox(board.BackBuffer)));

  EXPECT_TRUE(board.Model.ProjectState.Modified);
  EXPECT_EQ(modified.count(), 1);
  EXPECT_FALSE(board.Drawing);
  EXPECT_GE(host.UpdateNowCalls, 1);
  // The release shows the stroke's box grown by 20.
  EXPECT_TRUE(host.Shown.back().contains(QRect(QPoint(30, 20), QPoint(180, 110))));
  // Every sample showed what it drew, not the whole note.
  for (const QRect& r : host.Shown) EXPECT_LT(r.width() * r.height(), 400 * 300 / 2);

  Stroke({{10, 10}, {20, 20}});
  EXPECT_EQ(board.Model.ObjList()[1].ObjId, 1);
  EXPECT_EQ(Samples(1).size(), 3u);
  EXPECT_EQ(modified.count(), 1);  // already modified
}

struct ClickCase {
  int penWidth;
  int dotDiameter;  // d; the dot is a circle of diameter d outlined d wide
};

TEST_F(BoardTest, AClickGivesTwoSamplesAndARoundDot) {
  const ClickCase cases[] = {{1, 1}, {3, 2}, {5, 2}, {10, 5}};
  int id = 0;
  for (const auto& c : cases) {
    board.SetBoardSize({400, 300});
    state.PenWidth = c.penWidth;
    host.Shown.clear();
    Stroke({{200, 150}});
    const auto s = Samples(id);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].PtKind, pkFirst);
    EXPECT_EQ(s[1].PtKind, pkLast);
    EXPECT_EQ(ClickDotDiameter(c.penWidth), c.dotDiameter);
    const QRect ink = InkBox(board.BackBuffer);
    EXPECT_NEAR(ink.width(), 2 * c.dotDiameter, 2) << c.penWidth;
    EXPECT_NEAR(ink.height(), ink.width(), 1);
    EXPECT_NEAR(ink.center().x(), 200, 1);
    EXPECT_TRUE(host.Shown.back().contains(QRect(180, 130, 40, 40)));
    ++id;
  }
}

TEST_F(BoardTest, MovesWithAModifierOrWithoutThePressAreHover) {
  board.pbMouseMove(ssLeft, 30, 30);  // no press yet
  EXPECT_EQ(board.Model.ObjCount(), 0);
  EXPECT_EQ(host.Cursor, TBoardCursor::Pen);

  Stroke({{10, 10}, {50, 50}, {90, 90}}, ssLeft | ssShift);
  EXPECT_EQ(Samples(0).size(), 2u);  // only press and release

  board.pbMouseUp(TMouseButton::Left, 0, 5, 5);  // release without a press
  EXPECT_EQ(board.Model.PtList().size(), 2u);

  board.CurTool = tcSelect;
  board.pbMouseMove(0, 1, 1);
  EXPECT_EQ(host.Cursor, TBoardCursor::Hand);
}

TEST_F(BoardTest, RightButtonOpensThePopupAndOtherButtonsDoNothing) {
  board.pbMouseDown(TMouseButton::Right, ssRight, 10, 10);
  board.pbMouseDown(TMouseButton::Middle, ssMiddle, 10, 10);
  EXPECT_EQ(host.PopupCalls, 1);
  EXPECT_FALSE(board.Drawing);
  EXPECT_EQ(board.Model.ObjCount(), 0);
  EXPECT_FALSE(board.Model.ProjectState.Modified);
}

TEST_F(BoardTest, PressDuringARecordingLeavesTheProjectUnmodified) {
  state.RecState = rsRecording;
  state.RecClock = 12.5;
  Stroke({{10, 10}, {30, 30}});
  EXPECT_FALSE(board.Model.ProjectState.Modified);
  EXPECT_EQ(board.Model.Last().Time, 12.5);
  EXPECT_EQ(Samples(0)[1].Time, 12.5);
}

TEST_F(BoardTest, APressWhileAStrokeIsOpenClosesItFirst) {
  board.pbMouseDown(TMouseButton::Left, ssLeft, 10, 10);
  board.pbMouseMove(ssLeft, 40, 40);
  board.pbMouseDown(TMouseButton::Left, ssLeft, 100, 100);  // the release was lost
  board.pbMouseUp(TMouseButton::Left, 0, 100, 100);
  ASSERT_EQ(board.Model.ObjCount(), 2);
  EXPECT_EQ(Samples(0).back().PtKind, pkLast);
  EXPECT_EQ(Samples(0).back().Pt, QPoint(40, 40));
  EXPECT_EQ(Samples(1).size(), 2u);
}

// ---- transparent free pen ----

TEST_F(BoardTest, TransparentStrokeIsFiveWiderAtHalfOpacityWithFlatLiveEnds) {
  state.PenWidth = 5;
  board.TransMode = 1;
  board.pbMouseDown(TMouseButton::Left, ssLeft, 100, 150);
  board.pbMouseMove(ssLeft, 200, 150);
  board.pbMouseMove(ssLeft, 300, 150);

  // While drawing, BackBuffer is untouched; the live layer holds the stroke.
  EXPECT_EQ(InkBox(board.BackBuffer), QRect());
  ASSERT_TRUE(board.Pens().LiveLayerActive());
  const QImage& live = board.Pens().LiveLayer();
  EXPECT_EQ(qAlpha(live.pixel(150, 150)), 255);
  EXPECT_EQ(qAlpha(live.pixel(150, 154)), 255);  // 10 wide: 145..155
  EXPECT_EQ(qAlpha(live.pixel(150, 157)), 0);
  EXPECT_EQ(qAlpha(live.pixel(97, 150)), 0);     // flat start: nothing before it
  EXPECT_EQ(qAlpha(live.pixel(303, 150)), 0);    // flat end

  board.pbMouseUp(TMouseButton::Left, 0, 300, 150);
  EXPECT_FALSE(board.Pens().LiveLayerActive());
  const TDrawObj& o = board.Model.Last();
  EXPECT_EQ(o.Width, 10);
  EXPECT_EQ(o.Transparent, 1);
  // Black at alpha 127 over white.
  const QRgb mid = board.BackBuffer.pixel(200, 150);
  EXPECT_NEAR(qRed(mid), 128, 2);
  EXPECT_EQ(qRed(mid), qBlue(mid));
  EXPECT_NEAR(qRed(board.BackBuffer.pixel(200, 153)), 128, 2);
  EXPECT_EQ(board.BackBuffer.pixel(200, 158), qRgb(255, 255, 255));
  // The live layer was cleared for the next stroke.
  EXPECT_EQ(qAlpha(board.Pens().LiveLayer().pixel(150, 150)), 0);
}

TEST_F(BoardTest, TransparentClickIsACircleOfTheStrokeWidth) {
  state.PenWidth = 15;
  board.TransMode = 1;
  Stroke({{200, 150}});
  const QRect ink = InkBox(board.BackBuffer);
  EXPECT_NEAR(ink.width(), 20, 2);
  EXPECT_NEAR(ink.height(), 20, 2);
  EXPECT_NEAR(qRed(board.BackBuffer.pixel(200, 150)), 128, 2);
}

// ---- brush pen with the mouse ----

struct BrushStepCase {
  float W;
  int counter;
  double lastSegment;
  float brushMax;
  float expected;
};

TEST(BrushWidth, FollowsTheGrowthThinningAndThickeningRule) {
  const BrushStepCase cases[] = {
      {3.0f, 0, 0, 12, 3.3f},      // growth phase, first move
      {3.0f, 5, 50, 12, 3.3f},     // still growth on the sixth move, speed ignored
      {0.3f, 0, 0, 3, 1.0f},       // never below 1
      {11.5f, 2, 0, 12, 12.0f},    // capped at PenWidth + 2
      {5.0f, 6, 10, 12, 4.7f},     // fast: -0.3 at 2 or more
      {2.0f, 6, 12, 12, 1.7f},
      {1.5f, 6, 10, 12, 1.4f},     // fast: -0.1 between 1 and 2
      {1.0f, 6, 30, 12, 1.0f},     // fast at 1: -0.3, then held at 1
      {5.0f, 6, 9.99, 12, 5.7f},   // slow: +0.7
      {11.8f, 9, 1, 12, 12.0f},    // slow, capped
  };
  for (const auto& c : cases)
    EXPECT_NEAR(BrushWidthStep(c.W, c.counter, c.lastSegment, c.brushMax), c.expected, 1e-5)
        << c.W << " counter " << c.counter << " segment " << c.lastSegment;
}

TEST_F(BoardTest, BrushStoresSmoothedPositionsAndTheRawBoundingBox) {
  board.CurTool = tcBrushPen;
  state.PenWidth = 10;
  board.pbMouseDown(TMouseButton::Left, ssLeft, 100, 100);
  EXPECT_FALSE(board.Pens().PressureStroke());
  board.pbMouseMove(ssLeft, 200, 100);
  board.pbMouseMove(ssLeft, 300, 150);
  board.pbMouseUp(TMouseButton::Left, 0, 300, 150);

  const auto s = Samples(0);
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].Pt, QPoint(100, 100));
  EXPECT_FLOAT_EQ(s[0].BrushWidth, 3.0f);  // 0.3 x PenWidth
  EXPECT_EQ(s[1].Pt, QPoint(113, 100));    // 100 + 100 x 0.134218, rounded
  EXPECT_EQ(s[1].OrgPt, s[1].Pt);
  EXPECT_FLOAT_EQ(s[1].BrushWidth, 3.3f);
  EXPECT_EQ(s[3].PtKind, pkLast);
  EXPECT_LT(s[3].Pt.x(), 300);  // evaluated, not raw

  const TDrawObj& o = board.Model.Last();
  EXPECT_EQ(o.Kind, okBrushPen);
  EXPECT_EQ(o.Bounds, (TRectS{100, 100, 200, 50}));
  EXPECT_EQ(o.Width, -1);  // brush strokes keep the default width
  EXPECT_EQ(o.P2, QPoint(300, 150));
}

TEST_F(BoardTest, FirstBrushSegmentIsDrawnAtNineHundredthsOfThePenWidth) {
  board.CurTool = tcBrushPen;
  state.PenWidth = 10;  // first segment 0.9 px wide, then at least 1
  board.pbMouseDown(TMouseButton::Left, ssLeft, 20, 150);
  board.pbMouseMove(ssLeft, 220, 150);  // draws 20 -> 47 at 0.9 px
  const QRect thin = InkBox(board.BackBuffer);
  EXPECT_LE(thin.height(), 3);
  EXPECT_EQ(thin.left(), 19);
  for (int x = 250; x <= 390; x += 20) board.pbMouseMove(ssLeft, x, 150);
  board.pbMouseUp(TMouseButton::Left, 0, 390, 150);
  // Later segments are drawn at the running width: 3.3, 3.63, ... grows past 3.
  EXPECT_GE(InkBox(board.BackBuffer).height(), 4);
  EXPECT_LE(InkBox(board.BackBuffer).height(), 12 + 4);
}

TEST_F(BoardTest, BrushClickTakesThePenWidthAndDrawsADot) {
  board.CurTool = tcBrushPen;
  state.PenWidth = 7;
  Stroke({{60, 60}});
  EXPECT_EQ(board.Model.Last().Width, 7);
  EXPECT_EQ(Samples(0).size(), 2u);
  EXPECT_NEAR(InkBox(board.BackBuffer).width(), 8, 2);  // d = round(3.5) = 4
}

// ---- brush pen with stylus pressure ----

TEST_F(BoardTest, PressureStrokeScalesWidthByPressureAndRepeatsOnZero) {
  board.CurTool = tcBrushPen;
  state.PenWidth = 10;
  tablet.Queue = {512};
  board.pbMouseDown(TMouseButton::Left, ssLeft, 50, 150);
  EXPECT_TRUE(board.Pens().PressureStroke());
  EXPECT_EQ(board.Model.Last().Pressure, 1);

  tablet.Queue = {512, 0};
  board.pbMouseMove(ssLeft, 150, 150);
  tablet.Queue = {1024};
  board.pbMouseMove(ssLeft, 250, 150);
  board.pbMouseMove(ssLeft, 260, 150);  // no packets: no sample
  board.pbMouseUp(TMouseButton::Left, 0, 300, 150);

  const auto s = Samples(0);
  ASSERT_EQ(s.size(), 5u);
  const double full = 10 * double(2.1f);
  EXPECT_EQ(s[1].Pt, QPoint(150, 150));
  EXPECT_DOUBLE_EQ(s[1].PressWidth, full / 2);  // 512 of 1024: half the full width
  EXPECT_DOUBLE_EQ(s[2].PressWidth, full / 2);  // pressure 0 repeats the last
  EXPECT_EQ(s[2].Pt, QPoint(150, 150));
  EXPECT_DOUBLE_EQ(s[3].PressWidth, full);
  EXPECT_EQ(s[4].PtKind, pkLast);
  EXPECT_EQ(s[4].Pt, QPoint(300, 150));
  EXPECT_EQ(board.Model.Last().Width, 10);
  EXPECT_FALSE(board.Pens().PressureStroke());

  // Translucent dabs below the walk, reaching the full width near the end.
  const QRect ink = InkBox(board.BackBuffer);
  EXPECT_GE(ink.top(), 149);
  EXPECT_GE(ink.height(), 18);
  EXPECT_LE(ink.height(), 25);
}

TEST_F(BoardTest, BrushWithoutTabletPacketsUsesTheMouseRule) {
  board.CurTool = tcBrushPen;
  state.PenWidth = 4;
  tablet.Queue.clear();
  Stroke({{10, 10}, {60, 10}});
  EXPECT_EQ(board.Model.Last().Pressure, 0);
  EXPECT_FLOAT_EQ(Samples(0)[0].BrushWidth, 1.2f);
}

}  // namespace
}  // namespace inkora
