// Writes a benchmark presentation: N notes of M free-pen strokes of K samples
// each at 1920 x 1080, saved as a project file by the board's own writer.
//
//   inkora_gen_presentation --notes N --strokes M --samples K --out FILE.ikp [--seed S]
#include "uBenchPresentation.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <limits>

namespace {

using namespace inkora;

void PrintError(const QString& text) {
  std::fprintf(stderr, "inkora_gen_presentation: %s\n", qPrintable(text));
}

// The option's value as a whole number in min..max; false with a message.
bool ReadNumber(const QCommandLineParser& parser, const QString& name, qint64 min, qint64 max,
                qint64& out) {
  if (!parser.isSet(name)) return true;
  bool ok = false;
  const qint64 value = parser.value(name).trimmed().toLongLong(&ok);
  if (!ok || value < min || value > max) {
    PrintError(QStringLiteral("--%1 wants a whole number from %2 to %3, not \"%4\"")
                   .arg(name)
                   .arg(min)
                   .arg(max)
                   .arg(parser.value(name)));
    return false;
  }
  out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Writes a benchmark presentation of notes full of free-pen strokes at "
                     "1920 x 1080 as a project file."));
  parser.addHelpOption();
  parser.addOptions({
      {QStringLiteral("notes"), QStringLiteral("Number of notes (default 20)."),
       QStringLiteral("N")},
      {QStringLiteral("strokes"), QStringLiteral("Strokes on each note (default 1000)."),
       QStringLiteral("M")},
      {QStringLiteral("samples"), QStringLiteral("Samples of each stroke (default 100)."),
       QStringLiteral("K")},
      {QStringLiteral("out"), QStringLiteral("The project file to write (.ikp)."),
       QStringLiteral("FILE")},
      {QStringLiteral("seed"), QStringLiteral("Seed of the random strokes (default 12345)."),
       QStringLiteral("S")},
  });
  if (!parser.parse(app.arguments())) {
    PrintError(parser.errorText());
    std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
    return 2;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    std::printf("%s", qPrintable(parser.helpText()));
    return 0;
  }
  if (!parser.positionalArguments().isEmpty()) {
    PrintError(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]));
    return 2;
  }

  TBenchPresentationSize size;
  qint64 notes = size.Notes, strokes = size.Strokes, samples = size.Samples, seed = size.Seed;
  constexpr qint64 kIntMax = std::numeric_limits<int>::max();
  if (!ReadNumber(parser, QStringLiteral("notes"), 1, kIntMax, notes) ||
      !ReadNumber(parser, QStringLiteral("strokes"), 0, kIntMax, strokes) ||
      !ReadNumber(parser, QStringLiteral("samples"), 2, kIntMax, samples) ||
      !ReadNumber(parser, QStringLiteral("seed"), 0, std::numeric_limits<uint32_t>::max(), seed))
    return 2;
  size.Notes = int(notes);
  size.Strokes = int(strokes);
  size.Samples = int(samples);
  size.Seed = uint32_t(seed);
  if (const QString why = CheckBenchPresentationSize(size); !why.isEmpty()) {
    PrintError(why);
    return 2;
  }
  const QString out = parser.value(QStringLiteral("out"));
  if (out.isEmpty()) {
    PrintError(QStringLiteral("--out FILE.ikp is missing"));
    return 2;
  }

  QElapsedTimer clock;
  clock.start();
  const TArchiveResult written = WriteBenchPresentation(size, out);
  if (!written.Ok) {
    PrintError(written.Message.isEmpty() ? QStringLiteral("the project was not written")
                                         : written.Message);
    return 1;
  }
  std::printf("%s: %d notes x %d strokes x %d samples, %.1f MB, made in %lld ms\n",
              qPrintable(QFileInfo(out).absoluteFilePath()), size.Notes, size.Strokes, size.Samples,
              double(QFileInfo(out).size()) / 1e6, qint64(clock.elapsed()));
  return 0;
}
