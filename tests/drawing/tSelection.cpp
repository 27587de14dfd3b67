#include "drawing/uCanvas.h"
#include "drawing/uPaintBox.h"
#include "editing/uSelection.h"
#include "fakes.h"

#include <QTest>

#include <gtest/gtest.h>

namespace inkora {
namespace {

using test::IsDark;

// A rectangle object with these bounds, captured on a board of this size.
int AddRect(TPresentation& model, TRectS bounds, QSize capturedOn = {200, 200}, float angle = 0) {
  TDrawObj o;
  o.Kind = okRectangle;
  o.ObjId = model.ObjCount();
  o.NoteNo = 1;
  o.BoardWidth = capturedOn.width();
  o.BoardHeight = capturedOn.height();
  o.Bounds = o.OrgBounds = bounds;
  o.Corners = o.OrgCorners = RectCorners(bounds);
  o.Angle = angle;
  o.Width = 1;
  return model.AppendObj(o);
}

// The handle area centred on (x, y).
TRectS Area(int x, int y) { return {float(x - 5), float(y - 5), 10, 10}; }

QImage White(QSize size = {200, 200}) {
  QImage img(size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  return img;
}

int CountColour(const QImage& img, const TRectS& r, QRgb colour) {
  int n = 0;
  for (int y = int(r.Y); y <= int(r.Y + r.Height); ++y)
    for (int x = int(r.X); x <= int(r.X + r.Width); ++x) n += img.pixel(x, y) == colour;
  return n;
}

bool DarkNear(const QImage& img, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (IsDark(img.pixel(x + dx, y + dy))) return true;
  return false;
}

struct RotateCase {
  QPoint p, c;
  double angle;
  QPoint expected;
};

TEST(Selection, RotatePointTurnsClockwiseOnScreenAndRoundsHalvesToEven) {
  const RotateCase cases[] = {
      {{110, 105}, {100, 100}, 0, {110, 105}},
      {{110, 100}, {100, 100}, 90, {100, 110}},  // right of the centre -> below it
      {{110, 105}, {100, 100}, 180, {90, 95}},
      {{110, 100}, {100, 100}, -90, {100, 90}},  // right -> above
      {{110, 105}, {100, 100}, 360, {110, 105}},
      // cos 60 = sin 30 = 1/2: the results land on halves.
      {{101, 100}, {100, 100}, 60, {100, 101}},  // x 100.5 -> 100
      {{102, 100}, {101, 100}, 60, {102, 101}},  // x 101.5 -> 102
      {{99, 100}, {100, 100}, 60, {100, 99}},    // x 99.5 -> 100
      {{101, 100}, {100, 100}, 30, {101, 100}},  // y 100.5 -> 100
      {{101, 101}, {100, 101}, 30, {101, 102}},  // y 101.5 -> 102
  };
  for (const auto& c : cases)
    EXPECT_EQ(RotatePoint(c.p, c.c, c.angle), c.expected)
        << c.p.x() << "," << c.p.y() << " by " << c.angle;
}

TEST(Selection, PointInHandleIncludesTheEdges) {
  const TRectS r{10, 20, 10, 10};
  const std::pair<QPoint, bool> cases[] = {
      {{10, 20}, true}, {{20, 30}, true},  {{10, 30}, true},  {{15, 25}, true},
      {{9, 25}, false}, {{21, 25}, false}, {{15, 19}, false}, {{15, 31}, false},
  };
  for (const auto& [p, inside] : cases)
    EXPECT_EQ(PointInHandle(r, p), inside) << p.x() << "," << p.y();
}

TEST(Selection, AddToSelectionMapsTheCornersToTheCurrentBoard) {
  TPresentation model;
  AddRect(model, {0, 0, 5, 5});
  // Captured on 200 x 100, shown on 300 x 150: every corner lands on a half.
  const int id = AddRect(model, {11, 21, 40, 20}, {200, 100}, 30);
  TSelection sel;
  ASSERT_TRUE(sel.AddToSelection(model, id, {300, 150}));
  ASSERT_EQ(sel.Count(), 1);
  const TSelObjInfo& s = sel.SelList[0];
  EXPECT_EQ(s.SelObj, id);
  const std::array<QPoint, 4> expected{QPoint(16, 32), QPoint(76, 32), QPoint(76, 62),
                                       QPoint(16, 62)};
  EXPECT_EQ(s.FramePts, expected);
  EXPECT_EQ(s.FramePts2, expected);
  EXPECT_EQ(s.StartBounds, (TRectS{11, 21, 40, 20}));  // as stored, not mapped
  EXPECT_EQ(s.StartAngle, 30);
}

TEST(Selection, KeepsEachExistingObjectOnceInSelectionOrder) {
  TPresentation model;
  for (int i = 0; i < 3; ++i) AddRect(model, {float(10 * i), 0, 5, 5});
  TSelection sel;
  EXPECT_TRUE(sel.AddToSelection(model, 2, {200, 200}));
  EXPECT_TRUE(sel.AddToSelection(model, 0, {200, 200}));
  EXPECT_FALSE(sel.AddToSelection(model, 2, {200, 200}));  // already selected
  EXPECT_FALSE(sel.AddToSelection(model, 3, {200, 200}));  // no such object
  EXPECT_FALSE(sel.AddToSelection(model, -1, {200, 200}));
  ASSERT_EQ(sel.Count(), 2);
  EXPECT_EQ(sel.SelList[0].SelObj, 2);
  EXPECT_EQ(sel.SelList[1].SelObj, 0);
  EXPECT_TRUE(sel.IsSelected(0));
  EXPECT_FALSE(sel.IsSelected(1));

  sel.GroupAngle = 30;
  sel.GroupPrevAngle = 10;
  sel.ClearSelection();
  EXPECT_TRUE(sel.Empty());
  EXPECT_FALSE(sel.IsSelected(2));
  EXPECT_EQ(sel.GroupAngle, 0);
  EXPECT_EQ(sel.GroupPrevAngle, 0);
}

struct SingleCase {
  float angle;
  QPoint handle[6];  // centres of 1, 3, 5, 7, 9, 11
};

TEST(Selection, OneObjectsHandlesTurnWithIt) {
  // Bounds 25,30 50x20 on a 200 board, shown on 400: 50,60 100x40; the frame
  // is 45,55 110x50 around the centre 100,80.
  const SingleCase cases[] = {
      {0, {{45, 55}, {155, 55}, {155, 105}, {45, 105}, {100, 35}, {115, 35}}},
      // A quarter turn clockwise: the top edge is now on the right, and the
      // rotation and menu handles are to the right of the frame.
      {90, {{125, 25}, {125, 135}, {75, 135}, {75, 25}, {145, 80}, {145, 95}}},
      {180, {{155, 105}, {45, 105}, {45, 55}, {155, 55}, {100, 125}, {85, 125}}},
  };
  const int numbers[6] = {1, 3, 5, 7, 9, 11};
  for (const auto& c : cases) {
    TPresentation model;
    AddRect(model, {25, 30, 50, 20}, {200, 200}, c.angle);
    TSelection sel;
    sel.AddToSelection(model, 0, {400, 400});
    UpdateSelectionHandles(sel, model, {400, 400});
    const THandleRects& stored = sel.SelList[0].HandleRects;
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(stored[numbers[i]], Area(c.handle[i].x(), c.handle[i].y()))
          << "angle " << c.angle << ", handle " << numbers[i];
    for (int unused : {0, 2, 4, 6, 8, 10}) EXPECT_EQ(stored[unused], TRectS{}) << unused;
  }
}

class GroupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddRect(model, {20, 30, 40, 20});
    AddRect(model, {50, 40, 25, 30}, {100, 100});  // 100,80 .. 150,140 on the 200 board
    sel.AddToSelection(model, 0, size);
    sel.AddToSelection(model, 1, size);
  }
  TPresentation model;
  TSelection sel;
  const QSize size{200, 200};
};

TEST_F(GroupTest, BoxHandlesAndCornersComeFromEveryObject) {
  const TGroupExtent e = sel.GroupBox(model, size);
  EXPECT_EQ(e.Min, QPoint(20, 30));
  EXPECT_EQ(e.Max, QPoint(150, 140));

  UpdateSelectionHandles(sel, model, size);
  const std::array<QPoint, 4> box{QPoint(15, 25), QPoint(155, 25), QPoint(155, 145),
                                  QPoint(15, 145)};
  EXPECT_EQ(sel.GroupCorners, box);
  EXPECT_EQ(sel.GroupPoly, box);
  EXPECT_EQ(sel.HandleRects[kHandleRotate], Area(85, 5));  // 20 above the middle of the top edge
  EXPECT_EQ(sel.HandleRects[kHandleMenu], Area(100, 5));
  for (int n = 0; n <= 8; ++n) EXPECT_EQ(sel.HandleRects[n], TRectS{}) << n;
  for (const TSelObjInfo& s : sel.SelList) EXPECT_EQ(s.HandleRects, THandleRects{});

  // A turned group: its handles turn about the box centre 85,85; the outline
  // is the one the rotation left in GroupPoly.
  sel.GroupAngle = 90;
  const std::array<QPoint, 4> turned{QPoint(85, 15), QPoint(155, 85), QPoint(85, 155),
                                     QPoint(15, 85)};
  sel.GroupPoly = turned;
  UpdateSelectionHandles(sel, model, size);
  EXPECT_EQ(sel.GroupPoly, turned);
  EXPECT_EQ(sel.GroupCorners, box);
  EXPECT_EQ(sel.HandleRects[kHandleRotate], Area(165, 85));
  EXPECT_EQ(sel.HandleRects[kHandleMenu], Area(165, 100));
}

TEST_F(GroupTest, OverlayIsTheOutlineAndTwoHandlesWithoutCorners) {
  QImage img = White();
  {
    QPainter g(&img);
    DrawSelectionOverlay(g, sel, model, size);
  }
  EXPECT_TRUE(DarkNear(img, 50, 25));            // top edge of the box
  EXPECT_TRUE(DarkNear(img, 155, 100));          // right edge
  EXPECT_EQ(img.pixel(85, 5), qRgb(0, 255, 0));  // rotation handle
  EXPECT_GT(CountColour(img, sel.HandleRects[kHandleMenu], qRgb(0, 255, 255)), 0);
  // No corner squares: nothing outside the box next to its corners.
  const QPoint outward[4] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int i = 0; i < 4; ++i) {
    const QPoint near = sel.GroupCorners[i] + outward[i] * 2,
                 far = sel.GroupCorners[i] + outward[i] * 5;
    EXPECT_EQ(test::InkBox(img.copy(QRect(near, far).normalized())), QRect()) << i;
  }
  EXPECT_EQ(sel.HandleRects[kHandleRotate], Area(85, 5));  // stored as drawn

  // Turned: the diamond in GroupPoly is drawn, not the box.
  sel.GroupAngle = 45;
  sel.GroupPoly = {QPoint(85, 15), QPoint(155, 85), QPoint(85, 155), QPoint(15, 85)};
  img = White();
  {
    QPainter g(&img);
    DrawSelectionOverlay(g, sel, model, size);
  }
  EXPECT_TRUE(DarkNear(img, 120, 50));
  EXPECT_FALSE(DarkNear(img, 50, 25));
}

TEST(SelectionOverlay, OneObjectShowsItsFrameCornersRotationAndMenuHandles) {
  TPresentation model;
  AddRect(model, {50, 60, 100, 40});  // frame 45,55 .. 155,105
  TSelection sel;
  sel.AddToSelection(model, 0, {200, 200});
  QImage img = White();
  {
    QPainter g(&img);
    DrawSelectionOverlay(g, sel, model, {200, 200});
  }
  const THandleRects& h = sel.SelList[0].HandleRects;
  EXPECT_EQ(h[kHandleRotate], Area(100, 35));

  // The frame: a black line around the object, hollow inside.
  EXPECT_TRUE(DarkNear(img, 75, 55));
  EXPECT_TRUE(DarkNear(img, 45, 80));
  EXPECT_TRUE(DarkNear(img, 155, 80));
  EXPECT_EQ(img.pixel(100, 80), qRgb(255, 255, 255));
  // Corner squares: white inside (over the frame line), black outline.
  for (int n : {kHandleTopLeft, kHandleTopRight, kHandleBottomRight, kHandleBottomLeft}) {
    const QPoint centre(int(h[n].X) + 5, int(h[n].Y) + 5);
    EXPECT_EQ(img.pixel(centre), qRgb(255, 255, 255)) << n;
    EXPECT_EQ(img.pixel(centre.x() + 2, centre.y() - 2), qRgb(255, 255, 255)) << n;
    EXPECT_TRUE(DarkNear(img, centre.x(), int(h[n].Y))) << n;
    EXPECT_TRUE(DarkNear(img, int(h[n].X), centre.y())) << n;
  }
  EXPECT_EQ(img.pixel(100, 35), qRgb(0, 255, 0));
  EXPECT_GT(CountColour(img, h[kHandleMenu], qRgb(0, 255, 255)), 10);
  EXPECT_GT(CountColour(img, h[kHandleMenu], qRgb(255, 0, 0)), 3);  // the "M"
  EXPECT_EQ(CountColour(img, h[kHandleRotate], qRgb(255, 0, 0)), 0);
}

TEST(SelectionOverlay, ObjectsThatAreGoneOfferNoHandlesAndDrawNothing) {
  for (int count : {1, 2}) {
    TPresentation model;
    TSelection sel;
    for (int i = 0; i < count; ++i) {
      AddRect(model, {float(20 + 50 * i), 50, 40, 40});
      sel.AddToSelection(model, i, {200, 200});
    }
    QImage img = White();
    {
      QPainter g(&img);
      DrawSelectionOverlay(g, sel, model, {200, 200});
    }
    model.Clear();  // a new presentation; the selection was not cleared
    img = White();
    {
      QPainter g(&img);
      DrawSelectionOverlay(g, sel, model, {200, 200});
    }
    EXPECT_EQ(test::InkBox(img), QRect()) << count;
    const THandleRects& h = count == 1 ? sel.SelList[0].HandleRects : sel.HandleRects;
    EXPECT_EQ(h, THandleRects{}) << count;
  }
}

TEST(SelectionOverlay, TheBoardFormShowsItExceptWhileMovingTheNote) {
  TAppState state;
  TfrmCanvas form(state);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  TBoard& board = form.Board();
  const QSize buffer = board.BackBuffer.size();
  const int id = AddRect(board.Model, {100, 100, 200, 100}, buffer);
  board.Selection.AddToSelection(board.Model, id, buffer);
  board.ShowSelectionChanged();

  // The grab is in device pixels, which are BackBuffer pixels.
  const QPoint rotate(200, 75);  // 20 above the frame's top edge at 95
  EXPECT_EQ(form.PaintBox()->grab().toImage().pixel(rotate), qRgb(0, 255, 0));
  EXPECT_EQ(board.Selection.SelList[0].HandleRects[kHandleRotate], Area(200, 75));

  board.CurTool = tcMoveAll;
  EXPECT_EQ(form.PaintBox()->grab().toImage().pixel(rotate), qRgb(255, 255, 255));
  form.close();
}

}  // namespace
}  // namespace inkora
