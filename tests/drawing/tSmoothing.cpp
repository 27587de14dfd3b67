#include "drawing/uSmoothPen.h"
#include "drawing/uSpline.h"
#include "fakes.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace inkora {
namespace {

TEST(Smooth, WeightsAreDegreeNineBernsteinAtEightTenths) {
  const double expected[] = {0.000001, 0.000018, 0.000295, 0.002753, 0.016515,
                             0.066060, 0.176161, 0.301990, 0.301990, 0.134218};
  const auto& w = SmoothWeights();
  for (int i = 0; i < kWindowSize; ++i) EXPECT_NEAR(w[i], expected[i], 0.5e-6) << i;
  EXPECT_NEAR(std::accumulate(w.begin(), w.end(), 0.0), 1.0, 1e-12);
}

TEST(Spline, FirstPositionAfterResetIsPulledToTheStart) {
  TSpline s;
  s.Reset(100, 100);
  const TPointS p = s.Add(200, 100);
  EXPECT_NEAR(p.X, 100 + 100 * 0.134218, 1e-3);
  EXPECT_EQ(p.Y, 100.0f);
}

TEST(Spline, RepeatedAddReturnsTheRawPositionAndKeepsTheWindow) {
  TSpline s;
  s.Reset(0, 0);
  s.Add(50, 20);
  const TSampleWindow before = s.Window();
  const TPointS again = s.Add(50, 20);
  EXPECT_EQ(again, (TPointS{50, 20}));
  EXPECT_EQ(s.Window(), before);
}

TEST(Spline, EvaluateDoesNotShiftTheWindow) {
  TSpline s;
  s.Reset(0, 0);
  s.Add(30, 0);
  const TPointS a = s.Evaluate(60, 0);
  const TPointS b = s.Evaluate(60, 0);
  EXPECT_EQ(a, b);
  EXPECT_EQ(s.Window()[8], QPoint(30, 0));  // the newest shifted sample is still there
}

class SmoothPenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    img = QImage(300, 200, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    painter.begin(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    pen.Color = 0x000000;
    pen.Width = 3;
    pen.Mode = smLines;
    pen.DrawAtOnce = true;
  }
  QImage img;
  QPainter painter;
  TSmoothPen pen;
};

TEST_F(SmoothPenTest, AMoveUnderSixTenthsOfAPixelLandsExactlyOnTheTarget) {
  pen.Begin(&painter, 100, 100);
  pen.AddPoint(102, 100);  // target 100.268
  const float target = float(100 + 2 * SmoothWeights()[9]);
  EXPECT_FLOAT_EQ(pen.DrawnPosition().X, target);
}

TEST_F(SmoothPenTest, ALargerMoveLeavesTheDrawnPositionOneStepPastTheLastStamp) {
  pen.Begin(&painter, 100, 100);
  pen.AddPoint(200, 100);  // target 113.42: 14 stamps at 100 .. 112.46
  const double target = 100 + 100 * SmoothWeights()[9];
  const double n = target - 100 + 0.000001;
  const double step = (target - 100) / n;
  EXPECT_NEAR(pen.DrawnPosition().X, 100 + 14 * step, 1e-3);
  EXPECT_GT(pen.DrawnPosition().X, target);
  EXPECT_NEAR(pen.PathPoint().X, 100 + 13 * step, 1e-3);  // the last stamp
}

TEST_F(SmoothPenTest, ALinesStrokeEndsExactlyOnTheLastRawSample) {
  pen.Begin(&painter, 20, 100);
  for (int x = 30; x <= 250; x += 10) pen.AddPoint(x, 100);
  pen.End(250, 100, false);
  painter.end();
  EXPECT_TRUE(test::IsDark(img.pixel(249, 100)));
  EXPECT_FALSE(test::IsDark(img.pixel(254, 100)));
  EXPECT_TRUE(test::IsDark(img.pixel(21, 100)));
  EXPECT_FALSE(test::IsDark(img.pixel(15, 100)));
  EXPECT_FALSE(pen.Active());
}

TEST_F(SmoothPenTest, CollectedStrokeIsDrawnOnlyAtAFinalEnd) {
  pen.DrawAtOnce = false;
  pen.Begin(&painter, 20, 50);
  for (int x = 30; x <= 200; x += 10) pen.AddPoint(x, 50 + x / 4);
  EXPECT_EQ(test::InkBox(img), QRect());
  const QPainterPath& path = pen.Path();
  const QPointF last = path.elementAt(path.elementCount() - 1);
  EXPECT_LT(last.x(), 200);
  pen.End(200, 100, true);
  painter.end();
  const QRect box = test::InkBox(img);
  EXPECT_TRUE(box.contains(QPoint(20, 50)));
  EXPECT_TRUE(box.contains(QPoint(200, 100)));
  EXPECT_TRUE(test::IsDark(img.pixel(200, 100)));
}

TEST(Dabs, DiameterFollowsTheRadius) {
  EXPECT_NEAR(DabDiameter(0.5), 2.19, 1e-12);
  EXPECT_NEAR(DabDiameter(10), 21.0, 1e-12);
  EXPECT_NEAR(DabDiameter(0), 1.0, 1e-12);
}

TEST(Dabs, RadiusGrowsFromPreviousToNewWidthAlongTheSegment) {
  QImage img(300, 100, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  QPainter g(&img);
  g.setRenderHint(QPainter::Antialiasing);
  TSmoothPen pen;
  pen.Color = 0x0000FF;
  pen.Width = 10;
  pen.Mode = smPressureDabs;
  pen.Pressure = true;
  pen.DrawAtOnce = true;
  pen.Begin(&g, 20, 30);
  // Width rises to 21 (radius 10.5) across a long horizontal walk.
  for (int x = 40; x <= 260; x += 20) {
    pen.NewWidth = std::min(21.0, (x - 20) / 10.0);
    pen.AddPoint(x, 30);
    pen.PrevWidth = pen.NewWidth;
  }
  g.end();
  // Dabs hang down-right of the walk; their height grows along the stroke.
  auto inkHeightAt = [&](int x) {
    int h = 0;
    for (int y = 0; y < img.height(); ++y) h += (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return h;
  };
  EXPECT_LT(inkHeightAt(40), inkHeightAt(120));
  EXPECT_LT(inkHeightAt(120), inkHeightAt(220));
  EXPECT_EQ(inkHeightAt(10), 0);
  // Dabs hang below the walk, never above it.
  for (int x = 20; x < 280; ++x) ASSERT_EQ(img.pixel(x, 27) & 0xFFFFFF, 0xFFFFFFu) << x;
}

}  // namespace
}  // namespace inkora
