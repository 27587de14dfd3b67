// Saving and opening a project file: a benchmark presentation (20 notes of
// 1,000 free-pen strokes of 100 samples at 1920 x 1080 unless told otherwise
// by --notes=N --strokes=M --samples=K) is made once into a temporary folder;
// then it is saved by WriteProject, and opened by ReadProject into a fresh
// board until ReadProject returns with note 1 shown; and every note is
// written as a PNG picture, as `inkora --export-notes` does.
#include "uBenchPresentation.h"

#include "exchange/uNoteImages.h"
#include "notes/uProject.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace inkora;

QString gProject;  // the benchmark presentation's file
QString gOutFolder;
std::unique_ptr<TBenchBoard> gOpened;  // the presentation, opened once for saving

void BM_WriteProject(benchmark::State& state) {
  if (!gOpened) {
    gOpened = std::make_unique<TBenchBoard>();
    const TArchiveResult opened = ReadProject(gOpened->Board(), gProject);
    if (!opened.Ok) {
      gOpened.reset();
      state.SkipWithError(qPrintable(opened.Message));
      return;
    }
  }
  TBoard& board = gOpened->Board();
  const QString target = gOutFolder + "/saved.ikp";
  for (auto _ : state) {
    board.SetModified(true);
    const TArchiveResult saved = WriteProject(board, target);
    if (!saved.Ok) {
      state.SkipWithError(qPrintable(saved.Message));
      break;
    }
  }
  state.counters["MB"] = double(QFileInfo(target).size()) / 1e6;
}
BENCHMARK(BM_WriteProject)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

void BM_ReadProjectUntilNote1(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto bench = std::make_unique<TBenchBoard>();
    state.ResumeTiming();
    const TArchiveResult opened = ReadProject(bench->Board(), gProject);
    state.PauseTiming();
    if (!opened.Ok) {
      state.SkipWithError(qPrintable(opened.Message));
      break;
    }
    if (bench->Board().CurNote != 1) {
      state.SkipWithError("note 1 is not shown after opening");
      break;
    }
    bench.reset();  // its folders go outside the timed part
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReadProjectUntilNote1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// Opening without showing, then every note composed and written as PNG: the
// work of `inkora --export-notes FILE --format png` after the process start.
void BM_ExportNotesPng(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto bench = std::make_unique<TBenchBoard>();
    QTemporaryDir out(gOutFolder + "/export-XXXXXX");
    state.ResumeTiming();
    const TArchiveResult opened = ReadProject(bench->Board(), gProject, false);
    const TNoteExport done =
        opened.Ok ? ExportNotePictures(bench->Board(), out.path(), "noname", ".png") : TNoteExport{};
    state.PauseTiming();
    if (!opened.Ok || !done.Ok) {
      state.SkipWithError(qPrintable(opened.Ok ? done.Message : opened.Message));
      break;
    }
    bench.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ExportNotesPng)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// Takes --name=value of a whole number out of the arguments.
bool TakeNumber(int& argc, char** argv, const char* name, int& out) {
  const std::string prefix = std::string("--") + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) != 0) continue;
    bool ok = false;
    out = QByteArray(argv[i] + prefix.size()).toInt(&ok);
    std::memmove(argv + i, argv + i + 1, sizeof(char*) * size_t(argc - i));
    --argc;
    if (!ok) std::fprintf(stderr, "%s wants a whole number\n", prefix.c_str());
    return ok;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  TBenchPresentationSize size;
  if (!TakeNumber(argc, argv, "notes", size.Notes) ||
      !TakeNumber(argc, argv, "strokes", size.Strokes) ||
      !TakeNumber(argc, argv, "samples", size.Samples))
    return 2;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

  QTemporaryDir folder;
  if (!folder.isValid()) {
    std::fprintf(stderr, "Cannot make a temporary folder: %s\n", qPrintable(folder.errorString()));
    return 1;
  }
  gProject = folder.filePath("bench.ikp");
  gOutFolder = folder.path();
  std::fprintf(stderr, "Making a presentation of %d notes x %d strokes x %d samples...\n",
               size.Notes, size.Strokes, size.Samples);
  const TArchiveResult made = WriteBenchPresentation(size, gProject);
  if (!made.Ok) {
    std::fprintf(stderr, "%s\n", qPrintable(made.Message));
    return 1;
  }
  std::fprintf(stderr, "%s: %.1f MB\n", qPrintable(gProject),
               double(QFileInfo(gProject).size()) / 1e6);

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gOpened.reset();
  return 0;
}
