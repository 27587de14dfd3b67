// The paper pictures beside the program: six GIF files that Qt reads at
// 1920 x 1080, each recognisable by what a teacher expects to see on it.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

namespace inkora {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

QString paperPath(const char* name) { return QStringLiteral(INKORA_PAPER_DIR "/") + name; }

QImage loadPaper(const char* name) {
  QImageReader reader(paperPath(name));
  reader.setDecideFormatFromContent(true);
  EXPECT_EQ(reader.format(), "gif") << name;
  QImage image = reader.read();
  EXPECT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
  return image.convertToFormat(QImage::Format_RGB32);
}

int luma(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }
bool isPaper(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c) >= 3 * 255 - 45; }
bool isInk(QRgb c) { return !isPaper(c); }

using Pixel = std::function<bool(QRgb)>;

// The share of each row (or column) of the picture whose pixels match.
std::vector<double> rowCoverage(const QImage& img, const Pixel& match) {
  std::vector<double> out(std::size_t(img.height()));
  for (int y = 0; y < img.height(); ++y) {
    int n = 0;
    for (int x = 0; x < img.width(); ++x) n += match(img.pixel(x, y));
    out[std::size_t(y)] = double(n) / img.width();
  }
  return out;
}
std::vector<double> columnCoverage(const QImage& img, const Pixel& match) {
  std::vector<double> out(std::size_t(img.width()));
  for (int x = 0; x < img.width(); ++x) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) n += match(img.pixel(x, y));
    out[std::size_t(x)] = double(n) / img.height();
  }
  return out;
}

// The centres of the runs of entries at or above the threshold: the lines
// that cross the picture along that direction.
std::vector<double> lineCentres(const std::vector<double>& coverage, double threshold) {
  std::vector<double> out;
  int start = -1;
  for (int i = 0; i <= int(coverage.size()); ++i) {
    const bool on = i < int(coverage.size()) && coverage[std::size_t(i)] >= threshold;
    if (on && start < 0) start = i;
    if (!on && start >= 0) {
      out.push_back((start + i - 1) / 2.0);
      start = -1;
    }
  }
  return out;
}

std::vector<double> gaps(const std::vector<double>& v) {
  std::vector<double> out;
  for (std::size_t i = 1; i < v.size(); ++i) out.push_back(v[i] - v[i - 1]);
  return out;
}

bool near(double a, double b, double tolerance = 1.0) { return std::abs(a - b) <= tolerance; }

// Splits lines into groups: a gap more than one and a half times the smallest
// one starts a new group.
std::vector<std::vector<double>> groupLines(const std::vector<double>& lines) {
  std::vector<std::vector<double>> groups;
  const std::vector<double> d = gaps(lines);
  if (lines.empty()) return groups;
  const double smallest = d.empty() ? 0 : *std::min_element(d.begin(), d.end());
  groups.push_back({lines[0]});
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i] - lines[i - 1] > 1.5 * smallest) groups.emplace_back();
    groups.back().push_back(lines[i]);
  }
  return groups;
}

TEST(PaperPictures, AllSixAreGifFilesOfFullHdSize) {
  for (const char* name : {"BlackBoard.gif", "MusicNote.gif", "EnglishNote.gif",
                           "ManuScript_j.gif", "ManuScript_k.gif", "GraphNote.gif"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(QFileInfo(paperPath(name)).isFile());
    const QImage img = loadPaper(name);
    EXPECT_EQ(img.size(), QSize(kWidth, kHeight));
  }
}

TEST(PaperPictures, BlackBoardIsAnEvenDarkGreen) {
  const QImage img = loadPaper("BlackBoard.gif");
  ASSERT_EQ(img.size(), QSize(kWidth, kHeight));
  double r = 0, g = 0, b = 0;
  int brightest = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const QRgb c = img.pixel(x, y);
      r += qRed(c);
      g += qGreen(c);
      b += qBlue(c);
      brightest = std::max(brightest, luma(c));
    }
  const double n = double(kWidth) * kHeight;
  r /= n, g /= n, b /= n;
  EXPECT_GT(g, r + 10);
  EXPECT_GT(g, b + 5);
  EXPECT_LT(0.299 * r + 0.587 * g + 0.114 * b, 90);  // dark
  EXPECT_GT(0.299 * r + 0.587 * g + 0.114 * b, 20);  // but not black
  // Nothing written on it: no pixel stands out like chalk.
  EXPECT_LT(brightest, 120);
  // Even: every 120 px square is close to the whole board's mean.
  const double mean = 0.299 * r + 0.587 * g + 0.114 * b;
  for (int by = 0; by < kHeight; by += 120)
    for (int bx = 0; bx < kWidth; bx += 120) {
      double sum = 0;
      for (int y = by; y < by + 120; ++y)
        for (int x = bx; x < bx + 120; ++x) sum += luma(img.pixel(x, y));
      EXPECT_NEAR(sum / (120 * 120), mean, 12) << "block at " << bx << "," << by;
    }
}

bool isLightBlue(QRgb c) { return qBlue(c) > qRed(c) + 25 && qBlue(c) >= qGreen(c) && luma(c) > 100; }

TEST(PaperPictures, GraphNoteHasALightBlueGridEveryTenPixels) {
  const QImage img = loadPaper("GraphNote.gif");
  ASSERT_EQ(img.size(), QSize(kWidth, kHeight));
  // Horizontal lines, 10 px apart, over most of the page.
  const std::vector<double> rows = lineCentres(rowCoverage(img, isLightBlue), 0.5);
  ASSERT_GE(rows.size(), 80u);
  for (double d : gaps(rows)) EXPECT_EQ(d, 10);
  EXPECT_GE(rows.back() - rows.front(), 0.8 * kHeight);

  // Across a row between two lines: vertical lines every 10 px, every fifth
  // of them darker than the four between.
  const int y = int(rows[rows.size() / 2]) + 5;
  std::vector<int> xs;
  for (int x = 0; x < kWidth; ++x)
    if (isLightBlue(img.pixel(x, y))) xs.push_back(x);
  ASSERT_GE(xs.size(), 150u);
  EXPECT_GE(xs.back() - xs.front(), 0.8 * kWidth);
  std::map<int, int> darker;  // index modulo 5 -> how many of those are darker
  for (std::size_t i = 1; i < xs.size(); ++i) EXPECT_EQ(xs[i] - xs[i - 1], 10) << "at x " << xs[i];
  std::vector<int> lumas;
  for (int x : xs) lumas.push_back(luma(img.pixel(x, y)));
  const int lightest = *std::max_element(lumas.begin(), lumas.end());
  for (std::size_t i = 0; i < lumas.size(); ++i)
    if (lumas[i] < lightest - 20) ++darker[int(i % 5)];
  ASSERT_EQ(darker.size(), 1u) << "the darker lines do not repeat every 50 px";
  EXPECT_GE(darker.begin()->second, int(xs.size() / 5) - 1);
}

TEST(PaperPictures, MusicNoteHasEvenlySpacedStavesOfFiveLines) {
  const QImage img = loadPaper("MusicNote.gif");
  ASSERT_EQ(img.size(), QSize(kWidth, kHeight));
  auto dark = [](QRgb c) { return luma(c) < 128; };
  const std::vector<double> lines = lineCentres(rowCoverage(img, dark), 0.5);
  const auto staves = groupLines(lines);
  ASSERT_GE(staves.size(), 4u);
  const double spacing = staves[0][1] - staves[0][0];
  EXPECT_GE(spacing, 10);
  for (const auto& staff : staves) {
    ASSERT_EQ(staff.size(), 5u) << "staff at y " << staff.front();
    for (double d : gaps(staff)) EXPECT_TRUE(near(d, spacing)) << d;
  }
  std::vector<double> tops;
  for (const auto& staff : staves) tops.push_back(staff.front());
  const std::vector<double> pitch = gaps(tops);
  for (double d : pitch) EXPECT_TRUE(near(d, pitch[0])) << d;
  // Room between staves, and margins above the first and below the last.
  EXPECT_GT(pitch[0] - 4 * spacing, 2 * spacing);
  EXPECT_GT(staves.front().front(), 30);
  EXPECT_LT(staves.back().back(), kHeight - 30);
  // Otherwise white paper.
  int white = 0;
  for (int y = 0; y < kHeight; y += 3)
    for (int x = 0; x < kWidth; x += 3) white += isPaper(img.pixel(x, y));
  EXPECT_GT(white, 0.85 * (kWidth / 3) * (kHeight / 3));
}

TEST(PaperPictures, EnglishNoteHasRepeatedGroupsOfFourLinesWithALighterMiddleLine) {
  const QImage img = loadPaper("EnglishNote.gif");
  ASSERT_EQ(img.size(), QSize(kWidth, kHeight));
  const std::vector<double> coverage = rowCoverage(img, isInk);
  const auto groups = groupLines(lineCentres(coverage, 0.3));
  ASSERT_GE(groups.size(), 5u);
  std::vector<double> tops;
  for (const auto& group : groups) {
    ASSERT_EQ(group.size(), 4u) << "group at y " << group.front();
    tops.push_back(group.front());
    const std::vector<double> d = gaps(group);
    for (double s : d) EXPECT_TRUE(near(s, d[0])) << s;
    // The ascender and base lines are solid; the x-height line between them
    // is dashed or paler.
    auto solid = [&](double y) { return coverage[std::size_t(y)] > 0.85; };
    EXPECT_TRUE(solid(group[0]));
    EXPECT_TRUE(solid(group[2]));
    const QRgb top = img.pixel(kWidth / 2, int(group[0]));
    int middleLuma = 0, middleInk = 0;
    for (int x = 0; x < kWidth; ++x)
      if (const QRgb c = img.pixel(x, int(group[1])); isInk(c)) middleLuma += luma(c), ++middleInk;
    ASSERT_GT(middleInk, 0);
    EXPECT_TRUE(coverage[std::size_t(group[1])] < 0.75 || middleLuma / middleInk > luma(top) + 20);
  }
  const std::vector<double> pitch = gaps(tops);
  for (double d : pitch) EXPECT_TRUE(near(d, pitch[0])) << d;
}

// Manuscript paper: along one direction the lines come in pairs, the two sides
// of a strip of squares, with a narrow blank strip before the next; along the
// other they cut the strips into squares.
struct Manuscript {
  double cell = 0;             // side of a square
  int strips = 0;              // strips of squares
  std::vector<double> blanks;  // widths of the blank strips between them
};

Manuscript analyse(const std::vector<double>& pairedLines, const std::vector<double>& crossLines) {
  Manuscript m;
  // The cross lines are evenly spaced; their spacing is the side of a square.
  std::vector<double> cross = gaps(crossLines);
  EXPECT_GE(cross.size(), 10u);
  if (cross.empty()) return m;
  std::nth_element(cross.begin(), cross.begin() + std::ptrdiff_t(cross.size() / 2), cross.end());
  m.cell = cross[cross.size() / 2];
  for (double g : gaps(crossLines)) EXPECT_TRUE(near(g, m.cell)) << g;

  // Strips as wide as a square is high (so the cells are squares), each
  // followed by a blank strip rather than directly by another.
  const std::vector<double> d = gaps(pairedLines);
  for (std::size_t i = 0; i < d.size(); ++i) {
    if (near(d[i], m.cell)) {
      ++m.strips;
      if (i + 1 < d.size()) {
        EXPECT_FALSE(near(d[i + 1], m.cell)) << "at " << pairedLines[i + 1];
      }
    } else {
      m.blanks.push_back(d[i]);
    }
  }
  return m;
}

bool isColouredInk(const QImage& img) {
  long ink = 0, coloured = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (const QRgb c = img.pixel(x, y); isInk(c)) {
        ++ink;
        const int hi = std::max({qRed(c), qGreen(c), qBlue(c)});
        const int lo = std::min({qRed(c), qGreen(c), qBlue(c)});
        coloured += hi - lo > 60;
      }
  return ink > 0 && coloured == ink;
}

TEST(PaperPictures, JapaneseManuscriptHasColumnsOfSquaresAndAFoldBand) {
  const QImage img = loadPaper("ManuScript_j.gif");
  ASSERT_EQ(img.size(), QSize(kWidth, kHeight));
  const auto columns = lineCentres(columnCoverage(img, isInk), 0.5);
  const auto rows = lineCentres(rowCoverage(img, isInk), 0.3);
  const Manuscript m = analyse(columns, rows);
  EXPECT_GE(m.cell, 30);
  EXPECT_GE(m.strips, 10);
  // Narrow blank strips between the columns, and one wider band at the fold
  // in the middle of the sheet.
  ASSERT_FALSE(m.blanks.empty());
  const double narrow = *std::min_element(m.blanks.begin(), m.blanks.end());
  EXPECT_LT(narrow, m.cell / 2);
  int wide = 0;
  for (std::size_t i = 1; i < columns.size(); ++i) {
    const double g = columns[i] - columns[i - 1];
    if (!near(g, m.cell) && !near(g, narrow)) {
      ++wide;
      EXPECT_NEAR((columns[i] + columns[i - 1]) / 2, kWidth / 2.0, 2);
    }
  }
  EXPECT_EQ(wide, 1);
  EXPECT_TRUE(isColouredInk(img));
}

TEST(PaperPictures, KoreanManuscriptHasRowsOfSquares) {
  const QImage img = loadPaper("ManuScript_k.gif");
  ASSERT_EQ(img.size(), QSize(kWidth, kHeight));
  const auto rows = lineCentres(rowCoverage(img, isInk), 0.5);
  const auto columns = lineCentres(columnCoverage(img, isInk), 0.3);
  const Manuscript m = analyse(rows, columns);
  EXPECT_GE(m.cell, 30);
  EXPECT_GE(m.strips, 5);
  ASSERT_FALSE(m.blanks.empty());
  for (double b : m.blanks) EXPECT_LT(b, m.cell / 2);
  EXPECT_TRUE(isColouredInk(img));
}

}  // namespace
}  // namespace inkora
