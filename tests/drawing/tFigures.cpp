#include "drawing/uBoard.h"
#include "drawing/uCanvas.h"
#include "drawing/uFigures.h"
#include "drawing/uPaintBox.h"
#include "fakes.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace inkora {
namespace {

using test::InkBox;

QImage screenOf(QRgb color) {
  QImage img(1100, 800, QImage::Format_RGB32);
  img.fill(color);
  return img;
}

// Some pixel within r of p has exactly this colour.
bool ColorNear(const QImage& img, QPoint p, QRgb color, int r = 2) {
  for (int y = p.y() - r; y <= p.y() + r; ++y)
    for (int x = p.x() - r; x <= p.x() + r; ++x)
      if (img.valid(x, y) && (img.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) return true;
  return false;
}

// Every pixel within r of p is white.
bool BlankNear(const QImage& img, QPoint p, int r = 2) {
  for (int y = p.y() - r; y <= p.y() + r; ++y)
    for (int x = p.x() - r; x <= p.x() + r; ++x)
      if (img.valid(x, y) && (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
  return true;
}

// Bounding box of the pixels that differ from bg.
QRect ChangedBox(const QImage& img, QRgb bg) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) != (bg & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
  return box;
}

class FigureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    board.SetBoardSize({400, 300});
    state.PenWidth = 3;
  }

  // Press at from, move through moves, release at release.
  void Drag(uint8_t tool, QPoint from, std::initializer_list<QPoint> moves, QPoint release) {
    board.CurTool = tool;
    board.pbMouseDown(TMouseButton::Left, ssLeft, from.x(), from.y());
    for (const QPoint& p : moves) board.pbMouseMove(ssLeft, p.x(), p.y());
    board.pbMouseUp(TMouseButton::Left, 0, release.x(), release.y());
  }

  TAppState state;
  test::TRecordingHost host;
  test::TFakeScreen screen{screenOf(qRgb(255, 255, 255))};
  TBoard board{state, host, &screen};
};

struct FigureCase {
  uint8_t tool;
  std::vector<QPoint> inked;  // in the figure's colour
  std::vector<QPoint> blank;  // untouched
};

TEST_F(FigureTest, EachToolCreatesItsFigureWithItsFieldsAndDrawsIt) {
  // Dragged from (100, 80) to (300, 220). The arrow barbs of that shaft lie
  // near (275, 221) and (292, 196) at its end and (125, 79) and (108, 104) at
  // its start.
  const FigureCase cases[] = {
      {tcLine, {{200, 150}, {101, 81}, {299, 219}}, {{300, 80}, {100, 220}, {200, 120}}},
      {tcRectangle,
       {{200, 80}, {100, 150}, {300, 150}, {200, 220}},
       {{200, 150}, {107, 150}, {90, 150}}},
      {tcFilledRectangle, {{200, 150}, {102, 82}, {298, 218}}, {{95, 150}, {200, 75}, {305, 150}}},
      {tcEllipse,
       {{200, 80}, {100, 150}, {300, 150}, {200, 220}},
       {{200, 150}, {105, 85}, {295, 215}}},
      {tcFilledEllipse, {{200, 150}, {200, 83}, {103, 150}}, {{105, 85}, {295, 215}}},
      {tcDoubleArrow,
       {{200, 150}, {275, 221}, {292, 196}, {125, 79}, {108, 104}},
       {{300, 80}, {100, 220}}},
      {tcSingleArrow, {{200, 150}, {275, 221}, {292, 196}}, {{125, 79}, {108, 104}, {300, 80}}},
  };
  board.SetColorIndex(12);  // blue
  board.HScroll = 7;
  board.VScroll = 9;
  board.CurNoteKey = "note-1";
  state.RecClock = 4.5;
  const QRgb blue = qRgb(0, 0, 255);
  int id = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.tool));
    board.SetBoardSize({400, 300});
    host.Shown.clear();
    Drag(c.tool, {100, 80}, {{180, 140}, {300, 220}}, {300, 220});

    ASSERT_EQ(board.Model.ObjCount(), id + 1);
    const TDrawObj& o = board.Model.ObjList()[id];
    EXPECT_EQ(o.Kind, c.tool);
    EXPECT_EQ(o.DrawClass, dcFigure);
    EXPECT_EQ(o.ObjId, id);
    EXPECT_EQ(o.NoteNo, 1);
    EXPECT_EQ(o.BoardWidth, 400);
    EXPECT_EQ(o.BoardHeight, 300);
    EXPECT_EQ(o.P1, QPoint(100, 80));
    EXPECT_EQ(o.P2, QPoint(300, 220));
    EXPECT_EQ(o.OrgP1, o.P1);
    EXPECT_EQ(o.OrgP2, o.P2);
    const bool lineLike = c.tool == tcLine || c.tool == tcDoubleArrow || c.tool == tcSingleArrow;
    EXPECT_EQ(o.LineP1, lineLike ? QPoint(100, 80) : QPoint());
    EXPECT_EQ(o.LineP2, lineLike ? QPoint(300, 220) : QPoint());
    EXPECT_EQ(o.Bounds, (TRectS{100, 80, 200, 140}));
    EXPECT_EQ(o.OrgBounds, o.Bounds);
    EXPECT_EQ(o.Corners[0], (TPointS{100, 80}));
    EXPECT_EQ(o.Corners[1], (TPointS{300, 80}));
    EXPECT_EQ(o.Corners[2], (TPointS{300, 220}));
    EXPECT_EQ(o.Corners[3], (TPointS{100, 220}));
    EXPECT_EQ(o.OrgCorners, o.Corners);
    EXPECT_EQ(o.Width, 3);
    EXPECT_EQ(o.Transparent, 0);
    EXPECT_EQ(o.Color, 0xFF0000);
    EXPECT_EQ(o.Angle, 0.0f);
    EXPECT_EQ(o.Time, 4.5);
    EXPECT_EQ(o.HScroll, 7);
    EXPECT_EQ(o.VScroll, 9);
    EXPECT_EQ(o.NoteKey, "note-1");
    EXPECT_EQ(o.Pressure, 0);

    // Drawn into BackBuffer over the whole box and not beyond it.
    const QRect ink = InkBox(board.BackBuffer);
    EXPECT_TRUE(QRect(QPoint(96, 76), QPoint(304, 224)).contains(ink))
        << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    EXPECT_TRUE(ink.contains(QRect(QPoint(103, 83), QPoint(297, 217))));
    for (const QPoint& p : c.inked)
      EXPECT_TRUE(ColorNear(board.BackBuffer, p, blue)) << p.x() << "," << p.y();
    for (const QPoint& p : c.blank)
      EXPECT_TRUE(BlankNear(board.BackBuffer, p)) << p.x() << "," << p.y();

    // The band is gone; the release shows the figure's box grown by 20.
    EXPECT_EQ(board.Figures().Band().Kind, TBandKind::None);
    EXPECT_FALSE(board.Drawing);
    ASSERT_FALSE(host.Shown.empty());
    EXPECT_TRUE(host.Shown.back().contains(QRect(QPoint(80, 60), QPoint(320, 240))));
    ++id;
  }
  EXPECT_TRUE(board.Model.ProjectState.Modified);
}

struct ShortCase {
  uint8_t tool;
  QPoint lastMove;  // from the press at (100, 100)
  QPoint release;
  bool created;
};

TEST_F(FigureTest, LinesAndArrowsNeedMoreThanTenPixelsAtTheLastBandPosition) {
  const ShortCase cases[] = {
      {tcLine, {110, 110}, {110, 110}, false},  // 10 in both directions
      {tcLine, {111, 100}, {111, 100}, true},   // 11 across
      {tcLine, {100, 89}, {100, 89}, true},     // 11 up
      {tcSingleArrow, {108, 92}, {108, 92}, false},
      {tcDoubleArrow, {92, 108}, {92, 108}, false},
      {tcDoubleArrow, {100, 120}, {100, 120}, true},
      {tcLine, {105, 105}, {300, 250}, false},        // judged by the band, not the release
      {tcSingleArrow, {200, 200}, {105, 105}, true},  // long band: created at the release
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << int(c.tool) << " to " << c.lastMove.x() << "," << c.lastMove.y());
    board.SetBoardSize({400, 300});
    const QImage before = board.BackBuffer.copy();
    const int count = board.Model.ObjCount();
    board.CurTool = c.tool;
    board.pbMouseDown(TMouseButton::Left, ssLeft, 100, 100);
    board.pbMouseMove(ssLeft, 200, 50);  // the band was elsewhere before
    board.pbMouseMove(ssLeft, c.lastMove.x(), c.lastMove.y());
    const QRect bandArea = BandArea(board.Figures().Band());
    host.Shown.clear();
    board.pbMouseUp(TMouseButton::Left, 0, c.release.x(), c.release.y());

    EXPECT_EQ(board.Figures().Band().Kind, TBandKind::None);
    ASSERT_FALSE(host.Shown.empty());
    EXPECT_TRUE(host.Shown.back().contains(bandArea));  // the band's area shown again
    if (c.created) {
      ASSERT_EQ(board.Model.ObjCount(), count + 1);
      EXPECT_EQ(board.Model.Last().P2, c.release);
      EXPECT_NE(board.BackBuffer, before);
    } else {
      EXPECT_EQ(board.Model.ObjCount(), count);
      EXPECT_EQ(board.BackBuffer, before);
    }
  }
}

TEST_F(FigureTest, RectanglesAndEllipsesOfNoSizeAreCreated) {
  for (uint8_t tool : {tcRectangle, tcFilledRectangle, tcEllipse, tcFilledEllipse}) {
    SCOPED_TRACE(int(tool));
    const int count = board.Model.ObjCount();
    Drag(tool, {50, 60}, {}, {50, 60});
    ASSERT_EQ(board.Model.ObjCount(), count + 1);
    const TDrawObj& o = board.Model.Last();
    EXPECT_EQ(o.Kind, tool);
    EXPECT_EQ(o.P1, QPoint(50, 60));
    EXPECT_EQ(o.P2, QPoint(50, 60));
    EXPECT_EQ(o.Bounds, (TRectS{50, 60, 0, 0}));
    EXPECT_EQ(o.Corners[2], (TPointS{50, 60}));
  }
  // A release away from an unmoved press takes the release point.
  Drag(tcRectangle, {50, 60}, {}, {90, 100});
  EXPECT_EQ(board.Model.Last().Bounds, (TRectS{50, 60, 40, 40}));
}

TEST_F(FigureTest, ADragUpAndLeftKeepsItsPointsAndNormalisesTheBounds) {
  for (uint8_t tool : {tcLine, tcRectangle, tcSingleArrow}) {
    SCOPED_TRACE(int(tool));
    board.SetBoardSize({400, 300});
    Drag(tool, {300, 220}, {{200, 150}, {100, 80}}, {100, 80});
    const TDrawObj& o = board.Model.Last();
    EXPECT_EQ(o.P1, QPoint(300, 220));
    EXPECT_EQ(o.P2, QPoint(100, 80));
    EXPECT_EQ(o.Bounds, (TRectS{100, 80, 200, 140}));
    EXPECT_EQ(o.Corners[0], (TPointS{100, 80}));
    EXPECT_EQ(o.Corners[2], (TPointS{300, 220}));
    if (tool != tcRectangle) {
      EXPECT_EQ(o.LineP1, QPoint(300, 220));
      EXPECT_EQ(o.LineP2, QPoint(100, 80));
    }
    const QRect ink = InkBox(board.BackBuffer);
    EXPECT_TRUE(QRect(QPoint(96, 76), QPoint(304, 224)).contains(ink));
    EXPECT_GE(ink.width(), 195);
  }
}

struct WidthCase {
  int toolbarPos;
  uint8_t transMode;
  int32_t width;
};

TEST_F(FigureTest, TransparentFiguresAreFiveWiderOnlyWithADockedToolBar) {
  const WidthCase cases[] = {
      {1, 1, 8}, {4, 1, 8}, {5, 1, 3}, {1, 0, 3}, {5, 0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "bar " << c.toolbarPos << " trans " << int(c.transMode));
    board.SetBoardSize({400, 300});
    state.ToolbarPos = c.toolbarPos;
    board.TransMode = c.transMode;
    Drag(tcFilledRectangle, {100, 100}, {{200, 200}}, {200, 200});
    const TDrawObj& o = board.Model.Last();
    EXPECT_EQ(o.Width, c.width);
    EXPECT_EQ(o.Transparent, c.transMode);
    // Black over white: half-tone when transparent, black otherwise.
    EXPECT_NEAR(qRed(board.BackBuffer.pixel(150, 150)), c.transMode ? 128 : 0, 2);
  }
}

TEST_F(FigureTest, AutomaticColourIsSampledAtTheRelease) {
  board.SetColorIndex(kAutoColorIndex);
  screen.Pixels = screenOf(qRgb(0, 0, 0));  // would give white
  board.CurTool = tcFilledRectangle;
  board.pbMouseDown(TMouseButton::Left, ssLeft, 100, 100);
  board.pbMouseMove(ssLeft, 200, 200);
  screen.Pixels = screenOf(qRgb(255, 255, 255));
  board.pbMouseUp(TMouseButton::Left, 0, 200, 200);

  EXPECT_EQ(board.Model.Last().Color, 0x000000);
  EXPECT_EQ(state.LastAutoColor, 0x000000);
  EXPECT_EQ(board.BackBuffer.pixel(150, 150), qRgb(0, 0, 0));

  screen.Pixels = screenOf(qRgb(0, 0, 0));
  Drag(tcLine, {10, 10}, {{60, 10}}, {60, 10});
  EXPECT_EQ(board.Model.Last().Color, 0xFFFFFF);
}

TEST_F(FigureTest, WhileDraggingOnlyTheBandChangesAndItsAreaIsShown) {
  const QImage blank = board.BackBuffer.copy();
  board.CurTool = tcRectangle;
  board.pbMouseDown(TMouseButton::Left, ssLeft, 100, 80);
  EXPECT_EQ(board.Figures().Band().Kind, TBandKind::None);  // nothing until the first move
  EXPECT_TRUE(host.Shown.empty());
  EXPECT_EQ(board.CurPt, QPoint(100, 80));

  board.pbMouseMove(ssLeft, 200, 150);
  const TFigureBand& band = board.Figures().Band();
  EXPECT_EQ(band.Kind, TBandKind::Rectangle);
  EXPECT_EQ(band.From, QPoint(100, 80));
  EXPECT_EQ(band.To, QPoint(200, 150));
  EXPECT_EQ(board.CurPt, QPoint(200, 150));
  ASSERT_EQ(host.Shown.size(), 1u);
  EXPECT_TRUE(host.Shown.back().contains(QRect(QPoint(99, 79), QPoint(201, 151))));

  board.pbMouseMove(ssLeft, 150, 120);
  EXPECT_EQ(board.Figures().Band().To, QPoint(150, 120));
  // The old and the new band in one area, and not much more.
  const QRect shown = host.Shown.back();
  EXPECT_TRUE(shown.contains(QRect(QPoint(99, 79), QPoint(201, 151))));
  EXPECT_LE(shown.width(), 110);
  EXPECT_LE(shown.height(), 80);
  EXPECT_EQ(board.BackBuffer, blank);
  EXPECT_EQ(board.Model.ObjCount(), 0);

  board.pbMouseUp(TMouseButton::Left, 0, 150, 120);
  EXPECT_EQ(board.Figures().Band().Kind, TBandKind::None);
  EXPECT_EQ(board.Model.ObjCount(), 1);
}

TEST_F(FigureTest, ArrowBandsShowAtThePressAndTheirAreaHoldsTheBarbs) {
  for (uint8_t tool : {tcSingleArrow, tcDoubleArrow}) {
    SCOPED_TRACE(int(tool));
    host.Shown.clear();
    board.CurTool = tool;
    board.pbMouseDown(TMouseButton::Left, ssLeft, 100, 150);
    EXPECT_EQ(board.Figures().Band().Kind,
              tool == tcSingleArrow ? TBandKind::SingleArrow : TBandKind::DoubleArrow);
    EXPECT_EQ(host.Shown.size(), 1u);

    board.pbMouseMove(ssLeft, 300, 150);
    // Head 20 long and 30 wide at the end; at the start too for the double arrow.
    const QRect shown = host.Shown.back();
    EXPECT_TRUE(shown.contains(QRect(QPoint(100, 135), QPoint(300, 165))));
    EXPECT_TRUE(
        BandArea(board.Figures().Band()).contains(QRect(QPoint(280, 135), QPoint(300, 165))));
    EXPECT_LE(shown.height(), 40);
    board.pbMouseUp(TMouseButton::Left, 0, 300, 150);
  }
}

TEST_F(FigureTest, ResizingTheBoardDropsTheBand) {
  board.CurTool = tcEllipse;
  board.pbMouseDown(TMouseButton::Left, ssLeft, 10, 10);
  board.pbMouseMove(ssLeft, 100, 100);
  board.SetBoardSize({300, 200});
  EXPECT_EQ(board.Figures().Band().Kind, TBandKind::None);
  EXPECT_FALSE(board.Drawing);
  board.pbMouseUp(TMouseButton::Left, 0, 100, 100);
  EXPECT_EQ(board.Model.ObjCount(), 0);
}

struct BandCase {
  TBandKind kind;
  QRect expectedBox;  // of the band drawn from (40, 75) to (160, 115)
};

TEST(FigureBand, IsVisibleOnWhiteAndOnBlackAndStaysInsideItsArea) {
  const BandCase cases[] = {
      {TBandKind::Line, QRect(QPoint(40, 75), QPoint(160, 115))},
      {TBandKind::Rectangle, QRect(QPoint(40, 75), QPoint(160, 115))},
      {TBandKind::Ellipse, QRect(QPoint(40, 75), QPoint(160, 115))},
  };
  for (const auto& c : cases) {
    const TFigureBand band{c.kind, {40, 75}, {160, 115}};
    for (QRgb bg : {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(128, 128, 128)}) {
      SCOPED_TRACE(testing::Message() << int(c.kind) << " on " << std::hex << bg);
      QImage img(200, 150, QImage::Format_ARGB32_Premultiplied);
      img.fill(bg);
      {
        QPainter g(&img);
        DrawFigureBand(g, band);
      }
      const QRect box = ChangedBox(img, bg);
      EXPECT_NEAR(box.left(), c.expectedBox.left(), 1);
      EXPECT_NEAR(box.right(), c.expectedBox.right(), 1);
      EXPECT_NEAR(box.top(), c.expectedBox.top(), 1);
      EXPECT_NEAR(box.bottom(), c.expectedBox.bottom(), 1);
      EXPECT_TRUE(BandArea(band).contains(box));
      // Dotted: both black and white pixels, and still background between them.
      int black = 0, white = 0;
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
          const QRgb p = img.pixel(x, y) & 0xFFFFFF;
          if (p == 0 && bg != qRgb(0, 0, 0)) ++black;
          if (p == 0xFFFFFF && bg != qRgb(255, 255, 255)) ++white;
        }
      if (bg != qRgb(0, 0, 0)) {
        EXPECT_GE(black, 40);
      }
      if (bg != qRgb(255, 255, 255)) {
        EXPECT_GE(white, 40);
      }
    }
  }
}

TEST(FigureBand, ArrowsDrawTheirHeadsAndNoBandDrawsNothing) {
  struct ArrowCase {
    TBandKind kind;
    bool tailBarbs;
  };
  for (const ArrowCase c :
       {ArrowCase{TBandKind::SingleArrow, false}, ArrowCase{TBandKind::DoubleArrow, true}}) {
    const TFigureBand band{c.kind, {40, 75}, {160, 75}};
    QImage img(200, 150, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    {
      QPainter g(&img);
      DrawFigureBand(g, band);
    }
    const QRect box = ChangedBox(img, qRgb(255, 255, 255));
    EXPECT_NEAR(box.top(), 60, 1);
    EXPECT_NEAR(box.bottom(), 90, 1);
    EXPECT_TRUE(BandArea(band).contains(box));
    // Barbs beside the shaft near its start only for the double arrow.
    EXPECT_EQ(ChangedBox(img.copy(40, 55, 25, 15), qRgb(255, 255, 255)).isEmpty(), !c.tailBarbs);
  }
  QImage img(50, 50, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  {
    QPainter g(&img);
    DrawFigureBand(g, TFigureBand{TBandKind::None, {5, 5}, {40, 40}});
  }
  EXPECT_TRUE(ChangedBox(img, qRgb(255, 255, 255)).isEmpty());
  EXPECT_TRUE(BandArea(TFigureBand{}).isEmpty());
}

// ---- the board form ----

void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
  QMouseEvent ev(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &ev);
}

TEST(FigureForm, TheBandShowsOverTheNoteWhileDraggingAndGoesWithAShortLine) {
  for (QRgb note : {qRgb(255, 255, 255), qRgb(0, 0, 0)}) {
    SCOPED_TRACE(testing::Message() << std::hex << note);
    TAppState state;
    TfrmCanvas form(state);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // After the first show, which starts a presentation with the free pen on a plain note.
    form.Board().CurTool = tcLine;
    form.Board().BackBuffer.fill(note);
    const int objects = form.Board().Model.ObjCount();
    QWidget* pb = form.PaintBox();
    pb->repaint();

    send(pb, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    send(pb, QEvent::MouseMove, {300, 100}, Qt::NoButton, Qt::LeftButton);
    const QImage during = pb->grab().toImage();
    int contrast = 0;  // pixels of the band's row that stand out from the note
    for (int x = 120; x <= 280; ++x)
      if ((during.pixel(x, 100) & 0xFFFFFF) != (note & 0xFFFFFF)) ++contrast;
    EXPECT_GE(contrast, 40);
    EXPECT_EQ(during.pixel(200, 110), note);
    EXPECT_EQ(form.Board().BackBuffer.pixel(200, 100), note);

    // Back to within ten pixels of the press: nothing is created.
    send(pb, QEvent::MouseMove, {108, 104}, Qt::NoButton, Qt::LeftButton);
    send(pb, QEvent::MouseButtonRelease, {108, 104}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(form.Board().Model.ObjCount(), objects);
    const QImage after = pb->grab().toImage();
    EXPECT_TRUE(ChangedBox(after.copy(80, 80, 240, 40), note).isEmpty());
    form.close();
  }
}

}  // namespace
}  // namespace inkora
