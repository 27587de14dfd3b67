#include "drawing/uStrokeRaster.h"
#include "fakes.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace inkora {
namespace {

QImage white(QSize size = {200, 120}) {
  QImage img(size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  return img;
}

QPainterPath zigzag() {
  QPainterPath p;
  p.moveTo(20, 60);
  for (int i = 1; i <= 16; ++i) p.lineTo(20 + i * 10, i % 2 ? 30 : 90);
  return p;
}

TEST(StrokeRaster, DrawsRoundCappedLinesOfTheWidth) {
  QImage img = white();
  QPainterPath p;
  p.moveTo(50, 60);
  p.lineTo(150, 60);
  FillPolyline(img, img.rect(), p, {}, 10, Qt::blue);
  EXPECT_EQ(img.pixel(100, 60), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(100, 56), qRgb(0, 0, 255));    // inside the 10-pixel width
  EXPECT_EQ(img.pixel(100, 67), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(153, 60), qRgb(0, 0, 255));    // round cap past the end
  EXPECT_EQ(img.pixel(153, 64), qRgb(255, 255, 255));  // but not a square one
  EXPECT_EQ(img.pixel(40, 60), qRgb(255, 255, 255));
}

TEST(StrokeRaster, CoversWhatThePaintersStrokerCovers) {
  QImage ours = white(), qt = white();
  FillPolyline(ours, ours.rect(), zigzag(), {}, 3, Qt::black);
  {
    QPainter g(&qt);
    g.setRenderHint(QPainter::Antialiasing);
    g.strokePath(zigzag(), QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  }
  int inked = 0, disagree = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 200; ++x) {
      const int a = qRed(ours.pixel(x, y)), b = qRed(qt.pixel(x, y));
      inked += b < 128;
      disagree += std::abs(a - b) > 96;
    }
  EXPECT_GT(inked, 500);
  EXPECT_LT(disagree, inked / 20);
}

TEST(StrokeRaster, TranslucentStrokesTintCrossingsOnce) {
  QImage img = white();
  QPainterPath p;
  p.moveTo(20, 20);
  p.lineTo(180, 100);
  p.lineTo(180, 20);
  p.lineTo(20, 100);  // crosses the first line at (100, 60)
  FillPolyline(img, img.rect(), p, {}, 8, QColor(0, 0, 0, 127));
  EXPECT_NEAR(qRed(img.pixel(100, 60)), 128, 2);
  EXPECT_NEAR(qRed(img.pixel(60, 40)), 128, 2);
  EXPECT_NEAR(qRed(img.pixel(180, 20)), 128, 2);  // the join
}

TEST(StrokeRaster, MapsThroughTheTransformAndStaysInsideTheClip) {
  QImage img = white();
  QPainterPath p;
  p.moveTo(0, 0);
  p.lineTo(0, 80);
  QTransform t;
  t.translate(100, 60);
  t.rotate(-90);  // the vertical line becomes horizontal, from (100, 60) to the right
  FillPolyline(img, QRect(0, 0, 150, 120), p, t, 4, Qt::black);
  EXPECT_EQ(img.pixel(130, 60), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(100, 90), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(155, 60), qRgb(255, 255, 255));  // clipped at x = 150
  EXPECT_EQ(img.pixel(149, 60), qRgb(0, 0, 0));

  // Far outside the image, and a lone point: nothing drawn, nothing read out of bounds.
  QPainterPath far;
  far.moveTo(-5000, -5000);
  far.lineTo(-4000, -4000);
  FillPolyline(img, img.rect(), far, {}, 10, Qt::black);
  QPainterPath dot;
  dot.moveTo(10, 10);
  FillPolyline(img, img.rect(), dot, {}, 10, Qt::black);
  EXPECT_EQ(img.pixel(10, 10), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace inkora
