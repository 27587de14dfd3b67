#include "drawing/uBoard.h"
#include "drawing/uNoteCompose.h"
#include "drawing/uRender.h"
#include "fakes.h"

#include <QTemporaryDir>

#include <random>

#include <gtest/gtest.h>

namespace inkora {
namespace {

using test::InkBox;

// A model holding one object of the given kind on note 1, captured on a
// 200 x 200 board.
class RenderTest : public ::testing::Test {
 protected:
  TDrawObj& Add(uint8_t kind, QPoint p1, QPoint p2, int width = 4, TColor color = 0x000000) {
    TDrawObj o;
    o.Kind = kind;
    o.ObjId = model.ObjCount();
    o.NoteNo = 1;
    o.BoardWidth = o.BoardHeight = 200;
    o.DrawClass = (kind == okFreePen || kind == okBrushPen) ? dcStroke : dcFigure;
    o.P1 = o.OrgP1 = p1;
    o.P2 = o.OrgP2 = p2;
    o.Bounds = {float(std::min(p1.x(), p2.x())), float(std::min(p1.y(), p2.y())),
                float(std::abs(p2.x() - p1.x())), float(std::abs(p2.y() - p1.y()))};
    o.Corners = RectCorners(o.Bounds);
    o.Width = width;
    o.Color = color;
    model.AppendObj(o);
    return model.Last();
  }
  void Sample(const TDrawObj& o, uint8_t kind, QPoint p, float brush = 0, double press = 0) {
    TPoints s;
    s.ObjId = o.ObjId;
    s.PtKind = kind;
    s.Pt = s.OrgPt = s.SparePt = p;
    s.BrushWidth = brush;
    s.PressWidth = press;
    model.AppendPoint(s);
  }
  QImage Render(QSize size = {200, 200}) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter g(&img);
    TSmoothPen smoother;
    for (const TDrawObj& o : model.ObjList()) DrawObject(g, model, o, size, dir.path(), smoother);
    return img;
  }
  static bool Ink(const QImage& img, int x, int y) { return (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF; }

  TPresentation model;
  QTemporaryDir dir;
};

struct KindCase {
  uint8_t kind;
  QPoint inked;  // a point on the shape
  QPoint blank;  // a point the shape leaves white
};

TEST_F(RenderTest, EveryFigureKindDrawsItsShape) {
  const KindCase cases[] = {
      {okLine, {100, 100}, {100, 60}},
      {okRectangle, {50, 100}, {100, 100}},       // outline only
      {okFilledRectangle, {100, 100}, {45, 45}},
      {okEllipse, {50, 100}, {100, 100}},         // outline, hollow centre
      {okFilledEllipse, {100, 100}, {53, 53}},    // corner of the box is outside the ellipse
      {okSingleArrow, {140, 85}, {60, 85}},       // barb at the end only
      {okDoubleArrow, {60, 85}, {100, 80}},       // barbs at both ends
  };
  for (const auto& c : cases) {
    model.Clear();
    Add(c.kind, {50, 50}, {150, 150});
    if (c.kind == okSingleArrow || c.kind == okDoubleArrow || c.kind == okLine) {
      model.Last().P1 = {40, 100};
      model.Last().P2 = {160, 100};
    }
    const QImage img = Render();
    EXPECT_TRUE(Ink(img, c.inked.x(), c.inked.y())) << int(c.kind);
    EXPECT_TRUE(QRect(35, 35, 131, 131).contains(InkBox(img))) << int(c.kind);
    EXPECT_FALSE(Ink(img, c.blank.x(), c.blank.y())) << int(c.kind);
  }
}

TEST_F(RenderTest, ArrowBarbsSitTwentyBackAndFifteenAside) {
  const TArrowBarbs longArrow = ArrowBarbs({0, 0}, {100, 0});
  EXPECT_EQ(longArrow.A, QPoint(80, 15));
  EXPECT_EQ(longArrow.B, QPoint(80, -15));
  // Shorter than the head: the barbs lie behind the start, 20 - 10 from it.
  const TArrowBarbs shortArrow = ArrowBarbs({50, 50}, {60, 50});
  EXPECT_EQ(shortArrow.A, QPoint(40, 65));
  EXPECT_EQ(shortArrow.B, QPoint(40, 35));
  const TArrowBarbs down = ArrowBarbs({0, 0}, {0, 100});
  EXPECT_EQ(down.A, QPoint(-15, 80));
  EXPECT_EQ(down.B, QPoint(15, 80));
}

TEST_F(RenderTest, ARotatedRectangleIsDrawnWhereItTurnsTo) {
  TDrawObj& o = Add(okFilledRectangle, {50, 90}, {150, 110});  // 100 wide, 20 tall
  o.Angle = 90;
  const QImage img = Render();
  const QRect ink = InkBox(img);
  EXPECT_NEAR(ink.width(), 20, 2);
  EXPECT_NEAR(ink.height(), 100, 2);
  EXPECT_NEAR(ink.center().x(), 100, 2);
  EXPECT_NEAR(ink.center().y(), 100, 2);
}

TEST_F(RenderTest, TransparentObjectsAreHalfOpaque) {
  Add(okFilledRectangle, {50, 50}, {150, 150}).Transparent = 1;
  const QImage img = Render();
  EXPECT_NEAR(qRed(img.pixel(100, 100)), 128, 2);
}

TEST_F(RenderTest, StrokesReplayTheirSamplesAtTheCurrentSize) {
  const TDrawObj& free = Add(okFreePen, {20, 20}, {180, 20}, 3, 0x0000FF);
  Sample(free, pkFirst, {20, 20});
  for (int x = 30; x <= 180; x += 10) Sample(free, pkMiddle, {x, 20});
  Sample(free, pkLast, {180, 20});
  const TDrawObj& brush = Add(okBrushPen, {20, 100}, {180, 100}, -1, 0xFF0000);
  Sample(brush, pkFirst, {20, 100}, 3);
  for (int x = 30; x <= 180; x += 10) Sample(brush, pkMiddle, {x, 100}, 6);
  Sample(brush, pkLast, {180, 100}, 6);
  TDrawObj& press = Add(okBrushPen, {20, 150}, {180, 150}, 10, 0x008000);
  press.Pressure = 1;
  Sample(press, pkFirst, {20, 150});
  for (int x = 30; x <= 180; x += 10) Sample(press, pkMiddle, {x, 150}, 0, 21);
  Sample(press, pkLast, {180, 150});

  // Captured on 200 x 200, drawn on 400 x 400: everything lands twice as far.
  const QImage img = Render({400, 400});
  EXPECT_EQ(img.pixel(359, 40), qRgb(255, 0, 0));  // ends on the last sample
  EXPECT_FALSE(Ink(img, 200, 30));
  EXPECT_EQ(img.pixel(200, 200), qRgb(0, 0, 255));
  EXPECT_TRUE(Ink(img, 200, 202));                  // 6 px wide
  EXPECT_FALSE(Ink(img, 200, 206));
  EXPECT_TRUE(Ink(img, 200, 310));                  // dabs hang below the samples
  EXPECT_FALSE(Ink(img, 200, 295));
}

TEST_F(RenderTest, AClickStrokeIsADot) {
  const TDrawObj& o = Add(okFreePen, {100, 100}, {100, 100}, 10);
  Sample(o, pkFirst, {100, 100});
  Sample(o, pkLast, {100, 100});
  const QRect ink = InkBox(Render());
  EXPECT_NEAR(ink.width(), 10, 2);
  EXPECT_NEAR(ink.center().x(), 100, 1);
}

TEST_F(RenderTest, ImagesAreReadByContentFromTheWorkFolderOnly) {
  QImage red(10, 10, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(dir.filePath("pic.bmp"), "PNG"));  // a PNG under a .bmp name
  Add(okImage, {50, 50}, {150, 150}).FileName = "pic.bmp";
  Add(okImage, {0, 0}, {40, 40}).FileName = "../pic.bmp";   // refused
  Add(okImage, {160, 160}, {200, 200}).FileName = "missing.bmp";
  const QImage img = Render();
  EXPECT_EQ(img.pixel(100, 100), qRgb(255, 0, 0));
  EXPECT_EQ(InkBox(img), QRect(50, 50, 100, 100));
}

TEST_F(RenderTest, CompositeDrawsOnlyTheLiveObjectsOfTheNote) {
  QImage bg(50, 50, QImage::Format_RGB32);
  bg.fill(Qt::green);
  ASSERT_TRUE(bg.save(dir.filePath("d_1.bmp"), "BMP"));
  TDrawObj& back = Add(okNoteBackground, {0, 0}, {0, 0});
  back.NoteKey = "d_1.bmp";
  Add(okFilledRectangle, {10, 10}, {20, 20});
  Add(okFilledRectangle, {30, 10}, {40, 20}).Deleted = 1;
  Add(okFilledRectangle, {50, 10}, {60, 20}).NoteNo = 2;

  QImage target(200, 200, QImage::Format_ARGB32_Premultiplied);
  target.fill(Qt::blue);
  TAppState settings;
  CompositeNote(target, model, 1, {settings, dir.path(), 1.0f});
  EXPECT_EQ(target.pixel(15, 15), qRgb(0, 0, 0));
  EXPECT_EQ(target.pixel(35, 15), qRgb(255, 255, 255));  // deleted
  EXPECT_EQ(target.pixel(55, 15), qRgb(255, 255, 255));  // other note
  EXPECT_EQ(target.pixel(100, 100), qRgb(0, 255, 0));    // background centred
  EXPECT_EQ(target.pixel(199, 199), qRgb(255, 255, 255));
}

struct FitCase {
  QSize picture;
  float zoom;
  QRect expected;
};

TEST(NoteBackground, FitsInFourCases) {
  const QSize note(400, 300);
  const FitCase cases[] = {
      {{200, 100}, 1.0f, {100, 100, 200, 100}},  // smaller: centred at its size
      {{200, 100}, 2.0f, {0, 50, 400, 200}},     // zoomed to 400 x 200
      {{200, 600}, 1.0f, {150, 0, 100, 300}},    // only taller: fit the height
      {{800, 200}, 1.0f, {0, 100, 400, 100}},    // only wider: fit the width
      {{1600, 600}, 1.0f, {0, 75, 400, 150}},    // larger, wider in proportion
      {{800, 1200}, 1.0f, {100, 0, 200, 300}},   // larger, taller in proportion
  };
  for (const auto& c : cases) EXPECT_EQ(FitNoteBackground(c.picture, c.zoom, note), c.expected) << c.picture.width();
}

TEST(Logo, SitsAtNinePositions) {
  const QSize logo(40, 20), target(400, 300);
  const QPoint expected[] = {{10, 10},  {180, 10},  {350, 10},  {10, 140}, {180, 140},
                             {350, 140}, {10, 270}, {180, 270}, {350, 270}};
  for (int pos = 1; pos <= 9; ++pos) EXPECT_EQ(LogoPosition(pos, logo, target), expected[pos - 1]) << pos;
  EXPECT_EQ(LogoPosition(0, logo, target), QPoint(0, 0));
  EXPECT_EQ(LogoPosition(12, logo, target), QPoint(0, 0));
}

TEST(Logo, IsDrawnAtItsOpacityAndAMissingFileIsSkipped) {
  QTemporaryDir dir;
  QImage logo(20, 20, QImage::Format_RGB32);
  logo.fill(Qt::black);
  ASSERT_TRUE(logo.save(dir.filePath("logo.png")));
  TAppState settings;
  settings.LogoFile = dir.filePath("logo.png");
  settings.LogoPos = 1;
  settings.LogoTrans = 128;
  QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  {
    QPainter g(&img);
    DrawLogo(g, img.size(), settings);
    settings.LogoFile = dir.filePath("gone.png");
    DrawLogo(g, img.size(), settings);
  }
  EXPECT_NEAR(qRed(img.pixel(15, 15)), 127, 2);
  EXPECT_EQ(img.pixel(50, 50), qRgb(255, 255, 255));
}

TEST(BackgroundPicture, IsStretchedOverTheNoteAtItsOpacity) {
  QTemporaryDir dir;
  QImage pic(4, 2, QImage::Format_RGB32);
  pic.fill(Qt::black);
  ASSERT_TRUE(pic.save(dir.filePath("bg.jpg"), "PNG"));
  TAppState settings;
  settings.BGFile = dir.filePath("bg.jpg");
  settings.BGTrans = 51;  // 20 %
  QImage img(100, 80, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  {
    QPainter g(&img);
    DrawBackgroundPicture(g, img.size(), settings);
  }
  EXPECT_NEAR(qRed(img.pixel(1, 1)), 204, 2);
  EXPECT_NEAR(qRed(img.pixel(98, 78)), 204, 2);
  settings.BGFile = dir.filePath("none.png");
  QImage untouched(10, 10, QImage::Format_ARGB32_Premultiplied);
  untouched.fill(Qt::white);
  QPainter g(&untouched);
  DrawBackgroundPicture(g, untouched.size(), settings);
  EXPECT_EQ(untouched.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(NoteCounter, AnchorFollowsTheToolBarAndTheZoom) {
  TCounterLayout l;
  l.FormSize = {1920, 1080};
  l.BufferHeight = 1080;
  l.TopPanelHeight = 60;
  l.RightPanelWidth = 70;
  EXPECT_EQ(NoteCounterAnchor(l), QPoint(1910, 10));  // bottom
  l.ToolbarPos = 2;
  EXPECT_EQ(NoteCounterAnchor(l), QPoint(1910, 70));  // top
  l.ToolbarPos = 4;
  EXPECT_EQ(NoteCounterAnchor(l), QPoint(1840, 10));  // right
  l.ToolbarPos = 5;
  l.ZoomFactor = 1.5f;
  EXPECT_EQ(NoteCounterAnchor(l), QPoint(1890, 10));  // zoomed: 20 further left
  l.ZoomFactor = 1.0f;
  l.BufferHeight = 2000;
  EXPECT_EQ(NoteCounterAnchor(l), QPoint(1890, 10));  // taller than the form
  EXPECT_EQ(NoteCounterText(3, 7), "3/7");
}

}  // namespace
}  // namespace inkora

namespace inkora {
namespace {

TEST(BoardRedraw, RecompositesTheNoteFromItsObjectsAndShowsIt) {
  TAppState state;
  state.PenWidth = 3;
  test::TRecordingHost host;
  TBoard board(state, host);
  board.SetBoardSize({300, 200});
  board.pbMouseDown(TMouseButton::Left, ssLeft, 20, 100);
  for (int x = 40; x <= 280; x += 20) board.pbMouseMove(ssLeft, x, 100);
  board.pbMouseUp(TMouseButton::Left, 0, 280, 100);
  const QImage live = board.BackBuffer.copy();

  board.BackBuffer.fill(Qt::white);
  host.Shown.clear();
  board.Redraw(true, true);
  // The replayed stroke covers the same pixels as the live one.
  int differing = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) differing += test::IsDark(live.pixel(x, y)) != test::IsDark(board.BackBuffer.pixel(x, y));
  EXPECT_LT(differing, 20);
  EXPECT_TRUE(test::IsDark(board.BackBuffer.pixel(280, 100)));
  ASSERT_FALSE(host.Shown.empty());
  EXPECT_EQ(host.Shown.back(), QRect(0, 0, 300, 200));
  EXPECT_GE(host.UpdateNowCalls, 2);
}

}  // namespace
}  // namespace inkora

namespace inkora {
namespace {

TEST(CompositeBands, SplittingTheNoteIntoBandsLooksTheSame) {
  TPresentation model;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(0, 299), kindOf(okLine, okSingleArrow);
  for (int i = 0; i < 60; ++i) {
    TDrawObj o;
    o.ObjId = model.ObjCount();
    o.NoteNo = 1;
    o.BoardWidth = o.BoardHeight = 300;
    o.Color = 0x204080 * (i % 5);
    o.Width = 1 + i % 9;
    o.Angle = float(i % 4 == 0 ? 30 * i : 0);
    o.Transparent = i % 7 == 0;
    const QPoint a(coord(rng), coord(rng)), b(coord(rng), coord(rng));
    o.P1 = a;
    o.P2 = b;
    o.Bounds = {float(std::min(a.x(), b.x())), float(std::min(a.y(), b.y())), float(std::abs(a.x() - b.x())),
                float(std::abs(a.y() - b.y()))};
    if (i % 3 == 0) {  // a stroke through a handful of samples
      o.Kind = i % 2 ? okFreePen : okBrushPen;
      o.Pressure = i % 4 == 1;
      model.AppendObj(o);
      for (int k = 0; k < 12; ++k) {
        TPoints p;
        p.ObjId = o.ObjId;
        p.PtKind = k == 0 ? pkFirst : (k == 11 ? pkLast : pkMiddle);
        p.Pt = a + (b - a) * k / 11 + QPoint(k % 3 * 4, 0);
        p.BrushWidth = float(1 + k % 6);
        p.PressWidth = 2.0 * k;
        model.AppendPoint(p);
      }
    } else {
      o.Kind = uint8_t(kindOf(rng));
      model.AppendObj(o);
    }
  }
  // Just below the first band edge of three: barbs and a wide pen reach above it.
  for (auto [kind, from, to, width] : {std::tuple{okSingleArrow, QPoint(20, 105), QPoint(120, 105), 2},
                                       std::tuple{okLine, QPoint(150, 106), QPoint(280, 106), 20}}) {
    TDrawObj o;
    o.ObjId = model.ObjCount();
    o.NoteNo = 1;
    o.BoardWidth = o.BoardHeight = 300;
    o.Kind = kind;
    o.Width = width;
    o.Color = 0x000000;
    o.P1 = from;
    o.P2 = to;
    o.Bounds = {float(from.x()), float(from.y()), float(to.x() - from.x()), 0};
    model.AppendObj(o);
  }
  TAppState settings;
  auto render = [&](int bands) {
    QImage img(300, 300, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    TComposeContext ctx{settings, QString(), 1.0f};
    ctx.Bands = bands;
    CompositeNote(img, model, 1, ctx);
    return img;
  };
  const QImage one = render(1);
  // Rasterising a path that leaves the band may round an edge pixel by a step
  // or two; anything culled by mistake would differ by far more.
  for (int bands : {2, 3, 4}) {
    const QImage split = render(bands);
    int worst = 0;
    QPoint worstAt;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 300; ++x) {
        const QRgb a = split.pixel(x, y), b = one.pixel(x, y);
        const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                std::abs(qBlue(a) - qBlue(b))});
        if (d > worst) {
          worst = d;
          worstAt = {x, y};
        }
      }
    EXPECT_LE(worst, 2) << bands << " bands, at " << worstAt.x() << "," << worstAt.y();
  }
}

}  // namespace
}  // namespace inkora
