// mkIcon: renders the program's SVG icon into square PNG files for the icon
// theme. Runs at build time.
//
//   mkIcon ICON.svg SIZE OUT.png [SIZE OUT.png ...]
//
// Exit code: 0 done, 1 the icon could not be read or a picture written,
// 2 the arguments are wrong.
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxSize = 1024;

int usage() {
  std::fprintf(stderr, "usage: mkIcon ICON.svg SIZE OUT.png [SIZE OUT.png ...]\n");
  return 2;
}

// The icon drawn centred into a transparent square of size x size pixels.
QImage render(QSvgRenderer& svg, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  svg.render(&p, QRectF(0, 0, size, size));
  p.end();
  return image;
}

bool hasVisiblePixels(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(line[x]) != 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4 || (argc - 2) % 2 != 0) return usage();

  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "mkIcon: %s is not a readable SVG picture\n", argv[1]);
    return 1;
  }
  svg.setAspectRatioMode(Qt::KeepAspectRatio);

  for (int i = 2; i + 1 < argc; i += 2) {
    char* end = nullptr;
    const long size = std::strtol(argv[i], &end, 10);
    if (end == argv[i] || *end != '\0' || size < 1 || size > kMaxSize) {
      std::fprintf(stderr, "mkIcon: the size must be 1 to %d pixels, not \"%s\"\n", kMaxSize, argv[i]);
      return 2;
    }
    const QImage image = render(svg, int(size));
    // An empty picture means the drawing fell outside the view box.
    if (!hasVisiblePixels(image)) {
      std::fprintf(stderr, "mkIcon: %s draws nothing at %ld pixels\n", argv[1], size);
      return 1;
    }
    // Written whole or not at all, so that a failed build leaves no half file
    // that looks up to date.
    QSaveFile out(QString::fromLocal8Bit(argv[i + 1]));
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit()) {
      std::fprintf(stderr, "mkIcon: cannot write %s: %s\n", argv[i + 1], qPrintable(out.errorString()));
      return 1;
    }
  }
  return 0;
}
