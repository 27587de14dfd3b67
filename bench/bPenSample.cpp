// Cost of one pointer sample of a freehand stroke: TBoard::pbMouseMove plus the
// copy of the changed rectangle from BackBuffer to the screen, as the board
// window's paint does it. One benchmark iteration is one sample.
//
// What is timed: only the pbMouseMove calls of each stroke (manual timing, one
// clock pair per stroke). The press and the release of every stroke run
// outside that time and are reported on their own as down_up_ns_per_stroke.
// allocs_per_sample counts malloc/calloc/realloc and operator new calls made
// during the timed pbMouseMove calls.
#include "drawing/uBoard.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

// ---- heap-allocation counting ----
//
// malloc, calloc and realloc are replaced in the executable, so calls from Qt
// and the C++ library land here too; they forward to glibc's allocator, which
// free() belongs to. operator new goes straight to glibc, so it counts once.
// To see where counted allocations come from, run under gdb with
//   break malloc if gCounting._M_base._M_i
// (likewise calloc, realloc, 'operator new(unsigned long)') and take a backtrace.

namespace {

std::atomic<bool> gCounting{false};
std::atomic<uint64_t> gAllocs{0};

void NoteAlloc() {
  if (gCounting.load(std::memory_order_relaxed)) gAllocs.fetch_add(1, std::memory_order_relaxed);
}

// Allocations made by f.
template <class F>
uint64_t CountAllocs(F&& f) {
  const uint64_t before = gAllocs.load(std::memory_order_relaxed);
  gCounting.store(true, std::memory_order_relaxed);
  f();
  gCounting.store(false, std::memory_order_relaxed);
  return gAllocs.load(std::memory_order_relaxed) - before;
}

}  // namespace

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* ptr, size_t size);

void* malloc(size_t size) noexcept {
  NoteAlloc();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
  NoteAlloc();
  return __libc_calloc(count, size);
}
void* realloc(void* ptr, size_t size) noexcept {
  NoteAlloc();
  return __libc_realloc(ptr, size);
}
}

namespace {
void* NewBlock(size_t size) {
  NoteAlloc();
  if (void* p = __libc_malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* NewAlignedBlock(size_t size, std::align_val_t align) {
  NoteAlloc();
  const auto a = static_cast<size_t>(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t size) { return NewBlock(size); }
void* operator new[](size_t size) { return NewBlock(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  NoteAlloc();
  return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  NoteAlloc();
  return __libc_malloc(size ? size : 1);
}
void* operator new(size_t size, std::align_val_t align) { return NewAlignedBlock(size, align); }
void* operator new[](size_t size, std::align_val_t align) { return NewAlignedBlock(size, align); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { std::free(p); }

// ---- the board and its screen ----

namespace {

using namespace inkora;

const QSize kBoardSize(1920, 1080);
constexpr int kSamplesPerStroke = 200;
// The sample list is emptied between strokes once it holds this many samples,
// well inside the capacity the presentation reserves, so memory stays bounded.
constexpr size_t kModelSampleLimit = 32768;
// Strokes drawn before measuring, so one-time growth of Qt's buffers is not
// charged to the samples.
constexpr int kWarmUpStrokes = 3;

// The board window as far as a stroke needs it: ShowRect paints the rectangle
// of BackBuffer onto the screen image at once, as the window's paint does.
class TScreenHost final : public IBoardHost {
 public:
  TScreenHost() : FScreen(kBoardSize, QImage::Format_ARGB32_Premultiplied) {
    FScreen.fill(Qt::white);
    FPainter.begin(&FScreen);
  }

  void Attach(const TBoard& board) { FBoard = &board; }

  void ShowRect(const QRect& r) override {
    FPainter.drawImage(QRectF(r), FBoard->BackBuffer, QRectF(r));
  }
  void UpdateNow() override {}
  void ShowPopupMenu() override {}
  void SetPaintCursor(TBoardCursor) override {}
  void ShowError(const QString&) override {}

 private:
  const TBoard* FBoard = nullptr;
  QImage FScreen;
  QPainter FPainter;
};

// One stroke: the press, then kSamplesPerStroke moves; the release is at the last move.
using TStroke = std::array<QPoint, kSamplesPerStroke + 1>;

// Handwriting-like strokes: each is a word of joined loops (a prolate cycloid
// whose loop height varies from letter to letter) sampled every 2 to 6 px of
// path, as a pointer reports a hand moving at varying speed. The words are
// laid out in rows over the board.
std::vector<TStroke> HandwritingStrokes() {
  constexpr double kAdvance = 5.0;   // px forward per radian
  constexpr double kLoop = 14.0;     // loop radius; larger than kAdvance, so it loops
  constexpr double kWordPitchX = 340, kWordPitchY = 80, kMarginX = 80, kMarginY = 80;
  const int columns = int((kBoardSize.width() - 2 * kMarginX) / kWordPitchX);
  const int rows = int((kBoardSize.height() - 2 * kMarginY) / kWordPitchY) + 1;

  std::vector<TStroke> strokes;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < columns; ++col) {
      const double x0 = kMarginX + col * kWordPitchX, y0 = kMarginY + row * kWordPitchY;
      const double phase = 0.9 * strokes.size();
      auto at = [&](double t) {
        const double height = kLoop * (1.0 + 0.4 * std::sin(0.23 * t + phase));
        return QPointF(x0 + kAdvance * t - kLoop * std::sin(t), y0 - height * std::cos(t));
      };
      TStroke s;
      QPointF prev = at(0);
      s[0] = prev.toPoint();
      double travelled = 0;
      double t = 0;
      for (int i = 1; i <= kSamplesPerStroke; ++i) {
        const double step = 4.0 + 2.0 * std::sin(0.7 * i + phase);
        while (travelled < step) {
          t += 0.005;
          const QPointF p = at(t);
          travelled += std::hypot(p.x() - prev.x(), p.y() - prev.y());
          prev = p;
        }
        travelled = 0;
        s[i] = prev.toPoint();
      }
      strokes.push_back(s);
    }
  }
  return strokes;
}

const std::vector<TStroke>& Strokes() {
  static const std::vector<TStroke> strokes = HandwritingStrokes();
  return strokes;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void RunPen(benchmark::State& state, uint8_t tool) {
  TAppState app;
  app.PenWidth = int32_t(state.range(0));
  TScreenHost host;
  TBoard board(app, host);  // no tablet: the brush pen takes the mouse width rule
  host.Attach(board);
  board.CurTool = tool;
  board.TransMode = 0;
  board.SetBoardSize(kBoardSize);

  const std::vector<TStroke>& strokes = Strokes();
  size_t next = 0;
  auto draw = [&](const TStroke& s) {
    for (int i = 1; i <= kSamplesPerStroke; ++i) board.pbMouseMove(ssLeft, s[i].x(), s[i].y());
  };
  for (int i = 0; i < kWarmUpStrokes; ++i) {
    const TStroke& s = strokes[next++ % strokes.size()];
    board.pbMouseDown(TMouseButton::Left, ssLeft, s[0].x(), s[0].y());
    draw(s);
    board.pbMouseUp(TMouseButton::Left, ssLeft, s.back().x(), s.back().y());
  }

  uint64_t sampleAllocs = 0, downUpAllocs = 0;
  double downUpSeconds = 0;
  int64_t strokeCount = 0;
  while (state.KeepRunningBatch(kSamplesPerStroke)) {
    const TStroke& s = strokes[next++ % strokes.size()];
    if (board.Model.PtList().size() > kModelSampleLimit) board.Model.Clear();

    const auto t0 = Clock::now();
    downUpAllocs += CountAllocs([&] { board.pbMouseDown(TMouseButton::Left, ssLeft, s[0].x(), s[0].y()); });
    const auto t1 = Clock::now();
    sampleAllocs += CountAllocs([&] { draw(s); });
    const auto t2 = Clock::now();
    downUpAllocs += CountAllocs([&] { board.pbMouseUp(TMouseButton::Left, ssLeft, s.back().x(), s.back().y()); });
    const auto t3 = Clock::now();

    state.SetIterationTime(Seconds(t2 - t1));
    downUpSeconds += Seconds(t1 - t0) + Seconds(t3 - t2);
    ++strokeCount;
  }

  using benchmark::Counter;
  state.counters["allocs_per_sample"] = Counter(double(sampleAllocs), Counter::kAvgIterations);
  if (strokeCount > 0) {
    state.counters["down_up_ns_per_stroke"] = Counter(downUpSeconds * 1e9 / double(strokeCount));
    state.counters["down_up_allocs_per_stroke"] = Counter(double(downUpAllocs) / double(strokeCount));
  }
}

void BM_FreePenSample(benchmark::State& state) { RunPen(state, tcFreePen); }
void BM_BrushPenSample(benchmark::State& state) { RunPen(state, tcBrushPen); }

BENCHMARK(BM_FreePenSample)->Arg(1)->Arg(10)->UseManualTime();
BENCHMARK(BM_BrushPenSample)->Arg(1)->Arg(10)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
