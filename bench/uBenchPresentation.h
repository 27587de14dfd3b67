// Benchmark presentations: a board filled with many notes of smooth random
// free-pen strokes, built the way the board builds a presentation, and
// written as a project file by the real WriteProject.
#pragma once

#include "drawing/uBoard.h"
#include "drawing/uBoardHost.h"
#include "notes/uArchive.h"
#include "shell/uAppState.h"

#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <random>

namespace inkora {

inline constexpr QSize kBenchBoardSize(1920, 1080);

struct TBenchPresentationSize {
  int Notes = 20;
  int Strokes = 1000;  // per note
  int Samples = 100;   // per stroke
  uint32_t Seed = 12345;
};

// Why a size cannot be made into a project that opens again; empty when it
// can. Notes >= 1, Strokes >= 0, Samples >= 2, and the object and sample
// counts within what the project streams hold.
QString CheckBenchPresentationSize(const TBenchPresentationSize& size);

// A board nobody looks at: a silent host, default settings, the note size
// kBenchBoardSize, and work and cache folders of its own in a private
// temporary folder that goes with it. Ready for Fill or ReadProject.
class TBenchBoard {
 public:
  TBenchBoard();
  ~TBenchBoard();
  TBenchBoard(const TBenchBoard&) = delete;
  TBenchBoard& operator=(const TBenchBoard&) = delete;

  // Empty when the folders were made; else why not (the board is unusable).
  const QString& Error() const { return FError; }

  // Starts an empty presentation and fills it: note 1, then each further
  // note made as the board makes one, each followed by its strokes; the
  // presentation is then modified. Only the current note's picture shows its
  // strokes: the cache pictures of the others are not rebuilt (WriteProject
  // does not use them). False with *error when a note picture could not be
  // written.
  bool Fill(const TBenchPresentationSize& size, QString* error = nullptr);

  TBoard& Board() { return FBoard; }

 private:
  struct TSilentHost final : IBoardHost {
    QString LastError;
    void ShowRect(const QRect&) override {}
    void UpdateNow() override {}
    void ShowPopupMenu() override {}
    void SetPaintCursor(TBoardCursor) override {}
    void ShowError(const QString& message) override { LastError = message; }
  };

  QTemporaryDir FDir;
  TAppState FState;
  TSilentHost FHost;
  TBoard FBoard{FState, FHost};
  QString FError;
};

// Appends `strokes` free-pen strokes of `samples` samples each to the current
// note of board, at the board's size: a wandering direction, 2..6 px per
// sample, kept on the board; palette colours other than the note colour, and
// widths 1..10. samples >= 2.
void AppendBenchStrokes(TBoard& board, int strokes, int samples, std::mt19937& rng);

// Makes the presentation on a board of its own and writes it to path with
// WriteProject.
TArchiveResult WriteBenchPresentation(const TBenchPresentationSize& size, const QString& path);

}  // namespace inkora
