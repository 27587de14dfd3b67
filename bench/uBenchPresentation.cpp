#include "uBenchPresentation.h"

#include "notes/uDrawStorage.h"
#include "notes/uProject.h"
#include "notes/uPtsStorage.h"
#include "shell/uWorkFolders.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace inkora {

namespace {

// Each note holds a background and a note change event besides its strokes.
constexpr qint64 kEventsPerNote = 2;

}  // namespace

QString CheckBenchPresentationSize(const TBenchPresentationSize& size) {
  if (size.Notes < 1) return QStringLiteral("the number of notes must be at least 1");
  if (size.Strokes < 0) return QStringLiteral("the number of strokes must not be negative");
  if (size.Samples < 2) return QStringLiteral("a stroke needs at least 2 samples");
  // Each factor is below 2^31, so neither product overflows.
  const qint64 objects = qint64(size.Notes) * (qint64(size.Strokes) + kEventsPerNote);
  if (objects > kMaxObjectRecords)
    return QStringLiteral("%1 objects are more than a project holds (%2)")
        .arg(objects)
        .arg(kMaxObjectRecords);
  const qint64 strokes = qint64(size.Notes) * size.Strokes;
  if (strokes > 0 && size.Samples > kMaxPointRecords / strokes)
    return QStringLiteral("more than %1 samples are more than a project holds")
        .arg(kMaxPointRecords);
  const TUnzipLimits limits;
  if (uint64_t(objects) * kObjectRecordSize > limits.MaxMemberBytes ||
      uint64_t(strokes * size.Samples) * kPointRecordSize > limits.MaxMemberBytes)
    return QStringLiteral("the object or sample stream would be larger than %1 bytes")
        .arg(limits.MaxMemberBytes);
  return {};
}

TBenchBoard::TBenchBoard() {
  if (!FDir.isValid()) {
    FError = QStringLiteral("Cannot make a temporary folder: %1").arg(FDir.errorString());
    return;
  }
  const TWorkFolders folders(FDir.path());
  try {
    PrepareWorkFolders(folders);
  } catch (const EWorkAreaError& e) {
    FError = QStringLiteral("%1 %2").arg(QString::fromUtf8(e.what()), e.Detail());
    return;
  }
  FBoard.WorkFolder = folders.WorkFolder;
  FBoard.Notes.CacheFolder = folders.CacheFolder;
  FBoard.FormSize = kBenchBoardSize;
  FBoard.SetBoardSize(kBenchBoardSize);
}

TBenchBoard::~TBenchBoard() = default;

bool TBenchBoard::Fill(const TBenchPresentationSize& size, QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (!FError.isEmpty()) return fail(FError);
  if (const QString why = CheckBenchPresentationSize(size); !why.isEmpty()) return fail(why);
  FHost.LastError.clear();
  FBoard.Notes.StartEmptyPresentation();
  if (FBoard.Notes.Count() != 1) return fail(FHost.LastError);
  std::mt19937 rng(size.Seed);
  for (int n = 1; n <= size.Notes; ++n) {
    if (n > 1 && !FBoard.Notes.NewNote(pkPlainNote)) return fail(FHost.LastError);
    AppendBenchStrokes(FBoard, size.Strokes, size.Samples, rng);
  }
  FBoard.SetModified(true);
  return true;
}

void AppendBenchStrokes(TBoard& board, int strokes, int samples, std::mt19937& rng) {
  const QSize boardSize = board.BackBuffer.size();
  const double maxX = boardSize.width() - 1, maxY = boardSize.height() - 1;
  // Strokes start away from the edges, as handwriting does.
  const double marginX = std::min(100.0, maxX / 4), marginY = std::min(100.0, maxY / 4);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> width(1, 10);

  // The palette without the note colour and the automatic colour.
  std::vector<TColor> colors;
  for (int i = 0; i < kAutoColorIndex; ++i)
    if (i != board.State.NoteColor) colors.push_back(PaletteColors[size_t(i)]);
  std::uniform_int_distribution<size_t> color(0, colors.size() - 1);

  for (int s = 0; s < strokes; ++s) {
    TDrawObj o;
    InitDrawObj(o);
    o.Kind = okFreePen;
    o.DrawClass = dcStroke;
    o.ObjId = board.Model.ObjCount();
    o.Time = board.State.RecClock;
    o.NoteNo = board.CurNote;
    o.BoardWidth = boardSize.width();
    o.BoardHeight = boardSize.height();
    o.HScroll = board.HScroll;
    o.VScroll = board.VScroll;
    o.NoteKey = board.CurNoteKey;
    o.Width = width(rng);
    o.Color = colors[color(rng)];
    o.Transparent = 0;
    o.Angle = 0;

    double x = marginX + unit(rng) * (maxX - 2 * marginX);
    double y = marginY + unit(rng) * (maxY - 2 * marginY);
    double dir = unit(rng) * 2 * std::numbers::pi;
    int minX = int(x), maxXs = int(x), minY = int(y), maxYs = int(y);
    QPoint first, last;
    const int id = board.Model.AppendObj(o);
    for (int i = 0; i < samples; ++i) {
      if (i > 0) {
        dir += (unit(rng) - 0.5) * 0.6;
        const double step = 2 + unit(rng) * 4;
        x = std::clamp(x + std::cos(dir) * step, 0.0, maxX);
        y = std::clamp(y + std::sin(dir) * step, 0.0, maxY);
      }
      TPoints p;
      p.ObjId = id;
      p.Time = board.State.RecClock;
      p.PtKind = i == 0 ? pkFirst : (i == samples - 1 ? pkLast : pkMiddle);
      p.Pt = p.OrgPt = p.SparePt = QPoint(int(x), int(y));
      board.Model.AppendPoint(p);
      minX = std::min(minX, p.Pt.x());
      maxXs = std::max(maxXs, p.Pt.x());
      minY = std::min(minY, p.Pt.y());
      maxYs = std::max(maxYs, p.Pt.y());
      if (i == 0) first = p.Pt;
      last = p.Pt;
    }
    // What the pen sets when the stroke ends: its ends and its box.
    TDrawObj& done = *board.Model.Obj(id);
    done.OrgP1 = done.P1 = first;
    done.OrgP2 = done.P2 = last;
    done.OrgBounds = done.Bounds =
        TRectS{float(minX), float(minY), float(maxXs - minX), float(maxYs - minY)};
    done.OrgCorners = done.Corners = RectCorners(done.Bounds);
  }
}

TArchiveResult WriteBenchPresentation(const TBenchPresentationSize& size, const QString& path) {
  TBenchBoard bench;
  QString error;
  if (!bench.Fill(size, &error)) return {false, error, {}};
  return WriteProject(bench.Board(), path);
}

}  // namespace inkora
