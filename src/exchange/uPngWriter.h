// A fast writer of standard PNG files for note pictures: 8-bit RGB, every row
// filtered against the row above, deflated with run-length matching at the
// fastest level. Board pictures (large even areas and thin strokes) come out
// small, several times faster than a general-purpose encoder writes them.
#pragma once

#include <QImage>
#include <QString>

class QIODevice;

namespace inkora {

// Writes the picture's colours (alpha is dropped) as a PNG stream. False with
// *error when the picture is empty or the device refuses the bytes.
bool WritePng(const QImage& picture, QIODevice& out, QString* error = nullptr);

}  // namespace inkora
