#include "drawing/uAutoColor.h"
#include "drawing/uBoard.h"
#include "fakes.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace inkora {
namespace {

using test::TFakeScreen;

QImage screenOf(QSize size, QColor fill) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(fill);
  return img;
}

// The left and right halves in two colours; the grid's 50 columns split 25/25
// at x = 510.
QImage halves(QColor left, QColor right) {
  QImage img = screenOf({1920, 1080}, right);
  QPainter(&img).fillRect(0, 0, 510, 1080, left);
  return img;
}

struct AutoCase {
  const char* name;
  QImage screen;
  TColor expected;
};

TEST(AutoPenColor, ContrastsWithWhatIsOnScreen) {
  const AutoCase cases[] = {
      {"mostly white", screenOf({1920, 1080}, Qt::white), 0x000000},
      {"mostly black", screenOf({1920, 1080}, Qt::black), 0xFFFFFF},
      {"red and white tie", halves(QColor(200, 10, 10), Qt::white), 0x000000},
      {"mostly red", screenOf({1920, 1080}, QColor(200, 10, 10)), 0xFF0000},
      {"mostly blue", screenOf({1920, 1080}, QColor(10, 10, 200)), 0x0000FF},
      {"mostly green", screenOf({1920, 1080}, QColor(10, 200, 10)), 0xFFFFFF},
      {"red and blue tie", halves(QColor(200, 0, 0), QColor(0, 0, 200)), 0xFF0000},
      // Grey has two equal top components: nothing counts, and white's zero
      // count equals the largest.
      {"grey", screenOf({1920, 1080}, QColor(128, 128, 128)), 0x000000},
      // Only the grid points on a small display are read; the rest count nowhere.
      {"small black display", screenOf({300, 200}, Qt::black), 0xFFFFFF},
  };
  for (const auto& c : cases) {
    TFakeScreen screen(c.screen);
    EXPECT_EQ(AutoPenColor(screen), c.expected) << c.name;
  }
}

TEST(AutoPenColor, CountsOnlyTheGridPoints) {
  // White screen with black everywhere except the grid points: still white.
  QImage img = screenOf({1920, 1080}, Qt::black);
  for (int j = 1; j <= kAutoGridCount; ++j)
    for (int i = 1; i <= kAutoGridCount; ++i) img.setPixel(i * 20, j * 15, qRgb(255, 255, 255));
  TFakeScreen screen(img);
  EXPECT_EQ(AutoPenColor(screen), 0x000000);

  TAutoColorCounts counts;
  ClassifyScreenSample(0xFFFFFFFFu, counts);  // off the display
  ClassifyScreenSample(0x00FFFF, counts);     // yellow: red and green tie
  EXPECT_EQ(counts.White + counts.Black + counts.Red + counts.Green + counts.Blue, 0);
}

TEST(AutoPenColor, AStrokeWithTheAutomaticColourSamplesOnceAtItsStart) {
  TAppState state;
  test::TRecordingHost host;
  TFakeScreen screen(screenOf({1920, 1080}, Qt::black));
  TBoard board(state, host, &screen);
  board.SetBoardSize({200, 150});
  board.SetColorIndex(kAutoColorIndex);
  EXPECT_EQ(board.CurColor, 0x111111);

  board.pbMouseDown(TMouseButton::Left, ssLeft, 10, 10);
  screen.Pixels.fill(Qt::white);  // the screen changes during the stroke
  board.pbMouseMove(ssLeft, 40, 40);
  board.pbMouseUp(TMouseButton::Left, 0, 40, 40);

  EXPECT_EQ(board.Model.Last().Color, 0xFFFFFF);
  EXPECT_EQ(state.LastAutoColor, 0xFFFFFF);
}

}  // namespace
}  // namespace inkora
