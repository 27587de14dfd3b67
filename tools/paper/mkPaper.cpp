// mkPaper: draws the six paper pictures of the note kinds and writes them as
// GIF files into the folder given on the command line.
//
//   mkPaper <folder>
//
// BlackBoard.gif    a dark green chalkboard with a faint, even texture
// MusicNote.gif     six five-line music staves
// EnglishNote.gif   four-line handwriting paper
// ManuScript_j.gif  Japanese manuscript paper: 20 x 20 squares in columns,
//                   with the centre fold band
// ManuScript_k.gif  Korean manuscript paper: 10 rows of 20 squares
// GraphNote.gif     graph paper, 10 px cells, a stronger line every 50 px
//
// Every picture is 1920 x 1080 (the board stretches it to its own size) and
// uses a small palette with hard-edged lines, so the files stay small. The
// chalkboard's texture comes from a fixed integer hash, not from a random
// generator, so every build draws the same board. Each file is written to a
// temporary name and renamed, so an interrupted run never leaves a broken
// picture under the real name.
#include <gif_lib.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Rgb {
  std::uint8_t r, g, b;
};

// An indexed picture: one palette index per pixel.
class Picture {
 public:
  Picture(std::vector<Rgb> palette, std::uint8_t background)
      : palette_(std::move(palette)), pixels_(std::size_t(kWidth) * kHeight, background) {}

  const std::vector<Rgb>& palette() const { return palette_; }
  const std::uint8_t* row(int y) const { return pixels_.data() + std::size_t(y) * kWidth; }

  void set(int x, int y, std::uint8_t c) {
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels_[std::size_t(y) * kWidth + x] = c;
  }

  // Fills [x0, x1) x [y0, y1), clipped to the picture.
  void fill(int x0, int y0, int x1, int y1, std::uint8_t c) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, kWidth);
    y1 = std::min(y1, kHeight);
    for (int y = y0; y < y1; ++y)
      std::fill(pixels_.begin() + std::ptrdiff_t(y) * kWidth + x0,
                pixels_.begin() + std::ptrdiff_t(y) * kWidth + std::max(x0, x1), c);
  }

  // A horizontal line from x0 to x1 (inclusive) whose top row is y. With a
  // dash length, dashes and gaps of that length alternate, starting with a
  // dash at x0.
  void hLine(int x0, int x1, int y, int thickness, std::uint8_t c, int dash = 0) {
    for (int x = x0; x <= x1; ++x)
      if (dash <= 0 || ((x - x0) / dash) % 2 == 0) fill(x, y, x + 1, y + thickness, c);
  }

  // A vertical line from y0 to y1 (inclusive) whose left column is x.
  void vLine(int x, int y0, int y1, int thickness, std::uint8_t c) {
    fill(x, y0, x + thickness, y1 + 1, c);
  }

 private:
  std::vector<Rgb> palette_;
  std::vector<std::uint8_t> pixels_;
};

// ---------------------------------------------------------------------------
// GIF output

std::string gifError(int code) {
  const char* text = GifErrorString(code);
  return text ? std::string(text) : "giflib error " + std::to_string(code);
}

// Writes the picture as a GIF89a file. On failure returns false and says why
// in error; the half-written file is then the caller's to remove.
bool writeGif(const Picture& picture, const std::filesystem::path& path, std::string& error) {
  // A GIF colour table holds a power of two entries, at least two.
  const std::vector<Rgb>& palette = picture.palette();
  int tableSize = 2;
  while (tableSize < int(palette.size())) tableSize *= 2;
  if (tableSize > 256) {
    error = "more than 256 colours";
    return false;
  }
  std::vector<GifColorType> colours(std::size_t(tableSize), GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < palette.size(); ++i)
    colours[i] = GifColorType{palette[i].r, palette[i].g, palette[i].b};
  ColorMapObject* map = GifMakeMapObject(tableSize, colours.data());
  if (!map) {
    error = "cannot make the colour table";
    return false;
  }

  // Opened here rather than by EGifOpenFileName, which would make the file
  // readable by its owner only; these pictures are installed for everyone.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    GifFreeMapObject(map);
    error = std::string("cannot create the file: ") + std::strerror(errno);
    return false;
  }
  int code = 0;
  GifFileType* gif = EGifOpenFileHandle(fd, &code);  // owns fd from here on
  if (!gif) {
    ::close(fd);
    GifFreeMapObject(map);
    error = "cannot start the file: " + gifError(code);
    return false;
  }
  EGifSetGifVersion(gif, true);  // GIF89a

  bool ok = true;
  if (EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map) == GIF_ERROR) {
    error = "screen descriptor: " + gifError(gif->Error);
    ok = false;
  } else if (EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) == GIF_ERROR) {
    error = "image descriptor: " + gifError(gif->Error);
    ok = false;
  } else {
    // giflib masks the pixels of the line it is given in place: hand it a copy.
    std::vector<GifPixelType> line(kWidth);
    for (int y = 0; y < kHeight && ok; ++y) {
      std::copy_n(picture.row(y), kWidth, line.begin());
      if (EGifPutLine(gif, line.data(), kWidth) == GIF_ERROR) {
        error = "row " + std::to_string(y) + ": " + gifError(gif->Error);
        ok = false;
      }
    }
  }
  GifFreeMapObject(map);  // EGifPutScreenDesc keeps a copy of its own

  // Closing flushes the last codes and the trailer, and frees gif either way.
  if (EGifCloseFile(gif, &code) == GIF_ERROR && ok) {
    error = "closing: " + gifError(code);
    ok = false;
  }
  return ok;
}

// ---------------------------------------------------------------------------
// Chalkboard texture: smooth value noise on an integer lattice.

std::uint32_t hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  std::uint32_t h = std::uint32_t(x) * 0x8da6b343u ^ std::uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return h;
}

double lattice(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  return double(hash(x, y, seed) & 0xffffff) / double(0x1000000);  // [0, 1)
}

// Value noise in [0, 1) with cells of sx by sy pixels.
double valueNoise(double x, double y, double sx, double sy, std::uint32_t seed) {
  const double fx = x / sx, fy = y / sy;
  const double ix = std::floor(fx), iy = std::floor(fy);
  double tx = fx - ix, ty = fy - iy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const auto cx = std::int32_t(ix), cy = std::int32_t(iy);
  const double top = lattice(cx, cy, seed) * (1 - tx) + lattice(cx + 1, cy, seed) * tx;
  const double bottom = lattice(cx, cy + 1, seed) * (1 - tx) + lattice(cx + 1, cy + 1, seed) * tx;
  return top * (1 - ty) + bottom * ty;
}

// ---------------------------------------------------------------------------
// The pictures

Picture blackBoard() {
  // 24 shades of slate green, one or two colour steps apart, so that the
  // texture shows as a soft cloudiness.
  constexpr int kShades = 24;
  constexpr Rgb kDark{28, 52, 40}, kLight{52, 86, 68};
  std::vector<Rgb> palette;
  for (int i = 0; i < kShades; ++i) {
    const double t = double(i) / (kShades - 1);
    palette.push_back(Rgb{std::uint8_t(std::lround(kDark.r + (kLight.r - kDark.r) * t)),
                          std::uint8_t(std::lround(kDark.g + (kLight.g - kDark.g) * t)),
                          std::uint8_t(std::lround(kDark.b + (kLight.b - kDark.b) * t))});
  }
  Picture p(palette, 0);

  const double cx = kWidth / 2.0, cy = kHeight / 2.0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      // A slight darkening towards the corners.
      const double dx = (x - cx) / cx, dy = (y - cy) / cy;
      double v = 0.62 - 0.16 * (dx * dx + dy * dy) / 2;
      // Broad clouds, and long horizontal smears as a wiped board has; each
      // is two layers on shifted lattices, which hides the lattice.
      v += 0.09 * (valueNoise(x, y, 300, 230, 1) + valueNoise(x + 150, y + 115, 170, 130, 2) - 1);
      v += 0.05 * (valueNoise(x, y, 460, 40, 3) + valueNoise(x + 230, y + 20, 330, 28, 4) - 1);
      // Sparse grains of chalk dust.
      if (hash(x, y, 5) % 1000 < 3) v += 0.08;
      // An ordered dither between neighbouring shades: no contour lines, and a
      // repeating pattern that costs the compressor little.
      static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
      const double threshold = (kBayer[y % 4][x % 4] + 0.5) / 16.0;
      const int shade = std::clamp(int(std::floor(v * (kShades - 1) + threshold)), 0, kShades - 1);
      p.set(x, y, std::uint8_t(shade));
    }
  }
  return p;
}

Picture musicNote() {
  enum : std::uint8_t { kPaper, kInk };
  Picture p({{255, 255, 255}, {48, 48, 48}}, kPaper);
  // Six staves of five lines, 20 px apart, 2 px thick, with a bar line at
  // both ends of each staff.
  constexpr int kStaves = 6, kLineGap = 20, kThick = 2, kStaffPitch = 160;
  constexpr int kLeft = 100, kRight = kWidth - 1 - kLeft;
  constexpr int kStaffHeight = 4 * kLineGap + kThick;
  constexpr int kTop = (kHeight - ((kStaves - 1) * kStaffPitch + kStaffHeight)) / 2;
  for (int s = 0; s < kStaves; ++s) {
    const int top = kTop + s * kStaffPitch;
    for (int l = 0; l < 5; ++l) p.hLine(kLeft, kRight, top + l * kLineGap, kThick, kInk);
    p.vLine(kLeft, top, top + kStaffHeight - 1, kThick, kInk);
    p.vLine(kRight - kThick + 1, top, top + kStaffHeight - 1, kThick, kInk);
  }
  return p;
}

Picture englishNote() {
  enum : std::uint8_t { kPaper, kGuide, kMiddle, kBase };
  Picture p({{255, 255, 255}, {96, 136, 200}, {150, 178, 222}, {214, 72, 72}}, kPaper);
  // Six groups of four lines 30 px apart: the ascender line, the dashed
  // x-height line, the red base line and the descender line. The blank
  // between groups is well over twice a line space, so the groups stand apart.
  constexpr int kGroups = 6, kSpace = 30, kThick = 2, kGroupPitch = 160;
  constexpr int kLeft = 80, kRight = kWidth - 1 - kLeft;
  constexpr int kGroupHeight = 3 * kSpace + kThick;
  constexpr int kTop = (kHeight - ((kGroups - 1) * kGroupPitch + kGroupHeight)) / 2;
  for (int g = 0; g < kGroups; ++g) {
    const int top = kTop + g * kGroupPitch;
    p.hLine(kLeft, kRight, top, kThick, kGuide);
    p.hLine(kLeft, kRight, top + kSpace, kThick, kMiddle, 10);
    p.hLine(kLeft, kRight, top + 2 * kSpace, kThick, kBase);
    p.hLine(kLeft, kRight, top + 3 * kSpace, kThick, kGuide);
  }
  return p;
}

// Japanese manuscript paper for vertical writing: 20 columns of 20 squares,
// each column set off from the next by a narrow strip, ten columns on either
// side of the centre fold band, all inside a heavier frame.
Picture manuscriptJ() {
  enum : std::uint8_t { kPaper, kInk };
  Picture p({{255, 255, 255}, {184, 86, 62}}, kPaper);
  constexpr int kCell = 44, kRows = 20, kColumnsPerHalf = 10, kStrip = 12, kFold = 56;
  constexpr int kThin = 2, kFrame = 4;
  constexpr int kHalf = kColumnsPerHalf * kCell + (kColumnsPerHalf - 1) * kStrip;
  constexpr int kGridWidth = 2 * kHalf + kFold;
  constexpr int kX0 = (kWidth - kGridWidth) / 2, kY0 = (kHeight - kRows * kCell) / 2;
  constexpr int kY1 = kY0 + kRows * kCell;

  auto column = [&](int left) {
    p.vLine(left, kY0, kY1, kThin, kInk);
    p.vLine(left + kCell, kY0, kY1, kThin, kInk);
    for (int r = 1; r < kRows; ++r) p.hLine(left, left + kCell + kThin - 1, kY0 + r * kCell, kThin, kInk);
  };
  for (int c = 0; c < kColumnsPerHalf; ++c) {
    column(kX0 + c * (kCell + kStrip));
    column(kX0 + kHalf + kFold + c * (kCell + kStrip));
  }

  // The fold band's fish-tail mark: a solid bar whose lower edge is cut by a
  // V, a quarter of the way down.
  const int bandLeft = kX0 + kHalf + kThin + 4, bandRight = kX0 + kHalf + kFold - 4;
  const int markTop = kY0 + 4 * kCell, markHeight = 28;
  const double centre = (bandLeft + bandRight - 1) / 2.0;
  for (int t = 0; t < markHeight; ++t) {
    const double notch = t < markHeight / 2 ? -1 : (t - markHeight / 2) * 1.6;
    for (int x = bandLeft; x < bandRight; ++x)
      if (std::abs(x - centre) > notch) p.set(x, markTop + t, kInk);
  }

  // The frame: heavier lines along the squares' top and bottom and a strip's
  // width outside the outer columns.
  const int fx0 = kX0 - kStrip, fx1 = kX0 + kGridWidth + kStrip;
  p.fill(fx0 - kFrame / 2 + 1, kY0 - kFrame / 2 + 1, fx1 + kFrame / 2 + 1, kY0 + kFrame / 2 + 1, kInk);
  p.fill(fx0 - kFrame / 2 + 1, kY1 - kFrame / 2 + 1, fx1 + kFrame / 2 + 1, kY1 + kFrame / 2 + 1, kInk);
  p.fill(fx0 - kFrame / 2 + 1, kY0 - kFrame / 2 + 1, fx0 + kFrame / 2 + 1, kY1 + kFrame / 2 + 1, kInk);
  p.fill(fx1 - kFrame / 2 + 1, kY0 - kFrame / 2 + 1, fx1 + kFrame / 2 + 1, kY1 + kFrame / 2 + 1, kInk);
  return p;
}

// Korean manuscript paper for horizontal writing: 10 rows of 20 squares, each
// row set off from the next by a narrow strip, inside a heavier frame.
Picture manuscriptK() {
  enum : std::uint8_t { kPaper, kInk };
  Picture p({{255, 255, 255}, {46, 138, 92}}, kPaper);
  constexpr int kCell = 70, kColumns = 20, kRows = 10, kStrip = 20;
  constexpr int kThin = 2, kFrame = 4;
  constexpr int kGridHeight = kRows * kCell + (kRows - 1) * kStrip;
  constexpr int kX0 = (kWidth - kColumns * kCell) / 2, kX1 = kX0 + kColumns * kCell;
  constexpr int kY0 = (kHeight - kGridHeight) / 2;

  for (int r = 0; r < kRows; ++r) {
    const int top = kY0 + r * (kCell + kStrip);
    p.hLine(kX0, kX1, top, kThin, kInk);
    p.hLine(kX0, kX1, top + kCell, kThin, kInk);
    for (int c = 1; c < kColumns; ++c) p.vLine(kX0 + c * kCell, top, top + kCell + kThin - 1, kThin, kInk);
  }

  // The frame: heavier lines along the outer columns' sides and a strip's
  // height above the first row and below the last.
  const int fy0 = kY0 - kStrip, fy1 = kY0 + kGridHeight + kStrip;
  p.fill(kX0 - kFrame / 2 + 1, fy0 - kFrame / 2, kX1 + kFrame / 2 + 1, fy0 + kFrame / 2, kInk);
  p.fill(kX0 - kFrame / 2 + 1, fy1 - kFrame / 2, kX1 + kFrame / 2 + 1, fy1 + kFrame / 2, kInk);
  p.fill(kX0 - kFrame / 2 + 1, fy0 - kFrame / 2, kX0 + kFrame / 2 + 1, fy1 + kFrame / 2, kInk);
  p.fill(kX1 - kFrame / 2 + 1, fy0 - kFrame / 2, kX1 + kFrame / 2 + 1, fy1 + kFrame / 2, kInk);
  return p;
}

Picture graphNote() {
  enum : std::uint8_t { kPaper, kMinor, kMajor };
  Picture p({{255, 255, 255}, {194, 218, 244}, {104, 160, 222}}, kPaper);
  // A grid of 10 px cells, every fifth line stronger, 180 x 100 cells
  // centred on the page; its edges fall on strong lines.
  constexpr int kCell = 10, kMajorEvery = 5;
  constexpr int kGridWidth = 1800, kGridHeight = 1000;
  constexpr int kX0 = (kWidth - kGridWidth) / 2, kY0 = (kHeight - kGridHeight) / 2;
  // Minor lines first, so that the strong ones cross over them.
  for (int pass = 0; pass < 2; ++pass) {
    const bool major = pass == 1;
    for (int i = 0; i <= kGridWidth / kCell; ++i)
      if ((i % kMajorEvery == 0) == major)
        p.vLine(kX0 + i * kCell, kY0, kY0 + kGridHeight, 1, major ? kMajor : kMinor);
    for (int i = 0; i <= kGridHeight / kCell; ++i)
      if ((i % kMajorEvery == 0) == major)
        p.hLine(kX0, kX0 + kGridWidth, kY0 + i * kCell, 1, major ? kMajor : kMinor);
  }
  return p;
}

struct PaperFile {
  const char* name;
  std::function<Picture()> draw;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argc > 0 ? argv[0] : "mkPaper");
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "mkPaper: cannot create %s: %s\n", folder.c_str(), ec.message().c_str());
    return 1;
  }

  const PaperFile files[] = {
      {"BlackBoard.gif", blackBoard},   {"MusicNote.gif", musicNote},
      {"EnglishNote.gif", englishNote}, {"ManuScript_j.gif", manuscriptJ},
      {"ManuScript_k.gif", manuscriptK}, {"GraphNote.gif", graphNote},
  };
  for (const PaperFile& f : files) {
    const std::filesystem::path target = folder / f.name;
    std::filesystem::path temp = target;
    temp += ".part";
    std::string error;
    if (!writeGif(f.draw(), temp, error)) {
      std::filesystem::remove(temp, ec);
      std::fprintf(stderr, "mkPaper: %s: %s\n", target.c_str(), error.c_str());
      return 1;
    }
    std::filesystem::rename(temp, target, ec);
    if (ec) {
      const std::string why = ec.message();
      std::filesystem::remove(temp, ec);
      std::fprintf(stderr, "mkPaper: cannot rename %s: %s\n", temp.c_str(), why.c_str());
      return 1;
    }
  }
  return 0;
}
