// Runs the real program on the X display named by $DISPLAY, draws a straight
// free-pen stroke with XTest on a connection of its own and reads the result
// back from the root window.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Xlib defines macros (None, Bool, Status, ...) that clash with Qt and
// GoogleTest names, so it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStartTimeout = std::chrono::seconds(20);
constexpr auto kStrokeTimeout = std::chrono::seconds(10);
constexpr int kExitTimeoutMs = 10000;
constexpr int kPollMs = 50;

// The drag, in root-window pixels.
constexpr int kStartX = 300, kStartY = 300;
constexpr int kEndX = 900, kEndY = 500;
constexpr int kStepX = 3;  // each motion moves 3 px right and 1 px down

// A pixel counts as ink when any channel is below this.
constexpr int kDarkBelow = 160;
// Ink must lie within this distance of the drawn segment (pixel centres).
constexpr double kNearLine = 2.0;
constexpr double kFarFromLine = 3.0;
// Fraction of the positions sampled along the drag that must show ink.
constexpr double kMinCoverage = 0.9;
constexpr double kSampleSpacing = 10.0;

// The root window as 0xRRGGBB values.
struct TShot {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Rgb;

  uint32_t At(int x, int y) const { return Rgb[size_t(y) * size_t(Width) + size_t(x)]; }
  bool Dark(int x, int y) const {
    const uint32_t c = At(x, y);
    return int((c >> 16) & 0xFF) < kDarkBelow || int((c >> 8) & 0xFF) < kDarkBelow ||
           int(c & 0xFF) < kDarkBelow;
  }
  bool White(int x, int y) const { return (At(x, y) & 0xFFFFFF) == 0xFFFFFF; }
};

int maskShift(unsigned long mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

uint32_t channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  const unsigned long v = (pixel & mask) >> maskShift(mask);
  const unsigned long max = mask >> maskShift(mask);
  return uint32_t(v * 255 / max);
}

bool grabRoot(Display* dpy, TShot& shot) {
  const Window root = DefaultRootWindow(dpy);
  const int w = DisplayWidth(dpy, DefaultScreen(dpy));
  const int h = DisplayHeight(dpy, DefaultScreen(dpy));
  XImage* img = XGetImage(dpy, root, 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  if (!img) return false;
  shot.Width = w;
  shot.Height = h;
  shot.Rgb.resize(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned long p = XGetPixel(img, x, y);
      shot.Rgb[size_t(y) * size_t(w) + size_t(x)] = (channel(p, img->red_mask) << 16) |
                                                    (channel(p, img->green_mask) << 8) |
                                                    channel(p, img->blue_mask);
    }
  XDestroyImage(img);
  return true;
}

// The board is on screen once a grid of points spread over the whole root
// window is white.
bool boardShown(const TShot& s) {
  constexpr int kCols = 16, kRows = 9;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c)
      if (!s.White((2 * c + 1) * s.Width / (2 * kCols), (2 * r + 1) * s.Height / (2 * kRows)))
        return false;
  return true;
}

// Distance of a pixel's centre to the segment a-b.
double distanceToSegment(int px, int py, double ax, double ay, double bx, double by) {
  const double x = px + 0.5, y = py + 0.5;
  const double dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

bool inkNear(const TShot& s, double cx, double cy, double radius) {
  const int r = int(std::ceil(radius)) + 1;
  for (int y = int(cy) - r; y <= int(cy) + r; ++y)
    for (int x = int(cx) - r; x <= int(cx) + r; ++x) {
      if (x < 0 || y < 0 || x >= s.Width || y >= s.Height) continue;
      if (s.Dark(x, y) && std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= radius) return true;
    }
  return false;
}

struct TCoverage {
  int Sampled = 0;
  int Inked = 0;
  double Fraction() const { return Sampled ? double(Inked) / Sampled : 0; }
};

// Positions every kSampleSpacing px along the segment, end point included.
TCoverage lineCoverage(const TShot& s, double ax, double ay, double bx, double by) {
  TCoverage c;
  const double len = std::hypot(bx - ax, by - ay);
  const int n = int(std::floor(len / kSampleSpacing));
  for (int i = 0; i <= n + 1; ++i) {
    const double t = i <= n ? i * kSampleSpacing / len : 1.0;
    ++c.Sampled;
    if (inkNear(s, ax + t * (bx - ax), ay + t * (by - ay), kNearLine)) ++c.Inked;
  }
  return c;
}

// Kills the program if the test leaves early; a clean run has already reaped it.
struct TChildGuard {
  QProcess Process;
  ~TChildGuard() {
    if (Process.state() != QProcess::NotRunning) {
      Process.kill();
      Process.waitForFinished(5000);
    }
  }
};

struct TDisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

// Polls cond every kPollMs until it holds or the time is up; fails early when
// the program exits meanwhile.
bool pollUntil(QProcess& p, Clock::duration timeout, const std::function<bool()>& cond) {
  const auto deadline = Clock::now() + timeout;
  while (true) {
    if (cond()) return true;
    if (Clock::now() >= deadline) return false;
    if (p.waitForFinished(kPollMs)) return false;
  }
}

}  // namespace

TEST(BoardX11, FreePenDragDrawsAlongPointerAndSigtermExitsCleanly) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    const char* require = std::getenv("INKORA_REQUIRE_X11");
    if (require && std::string(require) == "1")
      FAIL() << "DISPLAY is not set but INKORA_REQUIRE_X11=1; run under xvfb-run";
    GTEST_SKIP() << "DISPLAY is not set; run under xvfb-run to test on X11";
  }

  std::unique_ptr<Display, TDisplayCloser> dpy(XOpenDisplay(display));
  ASSERT_TRUE(dpy) << "cannot open X display " << display;
  int evBase = 0, errBase = 0, major = 0, minor = 0;
  ASSERT_TRUE(XTestQueryExtension(dpy.get(), &evBase, &errBase, &major, &minor))
      << "the X server has no XTest extension";

  TShot shot;
  ASSERT_TRUE(grabRoot(dpy.get(), shot));
  ASSERT_GE(shot.Width, kEndX + 50);
  ASSERT_GE(shot.Height, kEndY + 50);
  // A screen that is white already would make the wait for the board meaningless.
  ASSERT_FALSE(boardShown(shot)) << "the screen is white before the program starts";

  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("DISPLAY", QString::fromLocal8Bit(display));
  env.insert("HOME", home.path());
  env.insert("XDG_RUNTIME_DIR", home.path());  // QTemporaryDir is mode 0700
  env.insert("XDG_CONFIG_HOME", home.filePath("config"));

  TChildGuard child;
  child.Process.setProcessEnvironment(env);
  child.Process.setProcessChannelMode(QProcess::ForwardedChannels);
  child.Process.start(QStringLiteral(INKORA_BINARY), {});
  ASSERT_TRUE(child.Process.waitForStarted(5000)) << "cannot start " << INKORA_BINARY;

  bool grabbed = true;
  const bool shown = pollUntil(child.Process, kStartTimeout, [&] {
    grabbed = grabRoot(dpy.get(), shot);
    return grabbed && boardShown(shot);
  });
  ASSERT_TRUE(grabbed) << "XGetImage on the root window failed";
  ASSERT_EQ(child.Process.state(), QProcess::Running)
      << "the program exited before the board was shown, code " << child.Process.exitCode();
  ASSERT_TRUE(shown) << "the board did not cover the screen in white within "
                     << std::chrono::duration_cast<std::chrono::seconds>(kStartTimeout).count()
                     << " s";

  // The note as shown before the drag (the board also shows its note counter):
  // what the drag adds is compared against it.
  const TShot before = shot;
  ASSERT_EQ(lineCoverage(before, kStartX, kStartY, kEndX, kEndY).Inked, 0)
      << "the board shows ink along the drag before it";

  // The drag: press, one motion per kStepX px along the line, release.
  Display* d = dpy.get();
  XTestFakeMotionEvent(d, -1, kStartX, kStartY, CurrentTime);
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XSync(d, False);
  for (int x = kStartX + kStepX; x <= kEndX; x += kStepX) {
    const int y = kStartY + (x - kStartX) * (kEndY - kStartY) / (kEndX - kStartX);
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XSync(d, False);
  }
  XTestFakeMotionEvent(d, -1, kEndX, kEndY, CurrentTime);
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XSync(d, False);

  // The line the stroke must follow.
  const double ax = kStartX, ay = kStartY, bx = kEndX, by = kEndY;

  // The stroke ends exactly at the release point; wait until that end and
  // enough of the line are on screen.
  TCoverage cov;
  pollUntil(child.Process, kStrokeTimeout, [&] {
    if (!grabRoot(d, shot)) return false;
    cov = lineCoverage(shot, ax, ay, bx, by);
    return cov.Fraction() >= kMinCoverage && inkNear(shot, bx, by, kNearLine);
  });
  ASSERT_EQ(child.Process.state(), QProcess::Running)
      << "the program exited during the drag, code " << child.Process.exitCode();

  EXPECT_GE(cov.Fraction(), kMinCoverage)
      << "ink found near only " << cov.Inked << " of " << cov.Sampled
      << " positions along the drag";
  EXPECT_TRUE(inkNear(shot, ax, ay, kNearLine)) << "no ink at the press point";
  EXPECT_TRUE(inkNear(shot, bx, by, kNearLine)) << "no ink at the release point";

  int stray = 0;
  int firstX = -1, firstY = -1;
  double worst = 0;
  for (int y = 0; y < shot.Height; ++y)
    for (int x = 0; x < shot.Width; ++x) {
      if (!shot.Dark(x, y) || before.Dark(x, y)) continue;
      const double dist = distanceToSegment(x, y, ax, ay, bx, by);
      if (dist <= kFarFromLine) continue;
      if (stray++ == 0) firstX = x, firstY = y;
      worst = std::max(worst, dist);
    }
  EXPECT_EQ(stray, 0) << stray << " new dark pixels lie off the drag, the first at (" << firstX
                      << ", " << firstY << "), the farthest " << worst << " px away";

  // SIGTERM closes the board through the event loop; the program exits with 0.
  child.Process.terminate();
  ASSERT_TRUE(child.Process.waitForFinished(kExitTimeoutMs))
      << "the program did not exit within " << kExitTimeoutMs << " ms of SIGTERM";
  EXPECT_EQ(child.Process.exitStatus(), QProcess::NormalExit) << "the program crashed on SIGTERM";
  EXPECT_EQ(child.Process.exitCode(), 0);
}
