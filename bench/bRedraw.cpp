// Full recomposite of a 1920 x 1080 note holding N free-pen strokes of 100
// samples each (width 3): the cost of every edit that redraws the note.
#include "drawing/uNoteCompose.h"
#include "drawing/uPresentation.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace inkora;

constexpr QSize kBoard(1920, 1080);
constexpr int kSamplesPerStroke = 100;

// Smooth random strokes: a wandering direction, 2..6 px per sample, kept on the board.
void fillNote(TPresentation& model, int strokes) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const TColor colors[] = {0x000000, 0x0000FF, 0xFF0000, 0x008000};
  for (int s = 0; s < strokes; ++s) {
    TDrawObj o;
    o.Kind = okFreePen;
    o.DrawClass = dcStroke;
    o.ObjId = model.ObjCount();
    o.NoteNo = 1;
    o.BoardWidth = kBoard.width();
    o.BoardHeight = kBoard.height();
    o.Width = 3;
    o.Color = colors[s % 4];
    model.AppendObj(o);
    double x = 100 + unit(rng) * 1700, y = 100 + unit(rng) * 880, dir = unit(rng) * 6.283;
    for (int i = 0; i < kSamplesPerStroke; ++i) {
      dir += (unit(rng) - 0.5) * 0.6;
      const double step = 2 + unit(rng) * 4;
      x = std::clamp(x + std::cos(dir) * step, 0.0, 1919.0);
      y = std::clamp(y + std::sin(dir) * step, 0.0, 1079.0);
      TPoints p;
      p.ObjId = o.ObjId;
      p.PtKind = i == 0 ? pkFirst : (i == kSamplesPerStroke - 1 ? pkLast : pkMiddle);
      p.Pt = p.OrgPt = p.SparePt = QPoint(int(x), int(y));
      model.AppendPoint(p);
    }
  }
}

void BM_RecompositeNote(benchmark::State& state) {
  TPresentation model;
  fillNote(model, int(state.range(0)));
  TAppState settings;
  TComposeContext ctx{settings, QString(), 1.0f};
  ctx.Bands = int(state.range(1));  // 0: one band per core; 1: the calling thread alone
  QImage target(kBoard, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    target.fill(Qt::white);
    CompositeNote(target, model, 1, ctx);
    benchmark::DoNotOptimize(target.constBits());
  }
  state.counters["strokes"] = double(state.range(0));
}
BENCHMARK(BM_RecompositeNote)
    ->ArgNames({"strokes", "bands"})
    ->ArgsProduct({{1000, 4000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
