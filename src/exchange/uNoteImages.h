// Notes written as picture files: one note's picture in the format its file
// name asks for, and every note of a presentation as NAME001.png, NAME002.png...
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace inkora {

class TBoard;

// Writes the picture by the extension of path, in any case: ".bmp" as a
// Windows bitmap, ".jpg" as JPEG and ".png" as PNG with the encoders'
// default settings. Any other extension writes nothing and fails.
bool SaveNoteImage(const QImage& picture, const QString& path, QString* error = nullptr);

// base + n as three digits (more when n > 999) + extension: "lesson" 2 ".png"
// gives "lesson002.png".
QString NumberedNoteName(const QString& base, int n, const QString& extension);

struct TNoteExport {
  bool Ok = false;
  QString Message;    // what went wrong when Ok is false
  QStringList Files;  // written, in note order
};

// Composes every note of the open presentation (background, objects, logo)
// and writes it to folder/base001.ext and on. Notes are composed and encoded
// on several threads; a failure stops the export and names the note.
TNoteExport ExportNotePictures(const TBoard& board, const QString& folder, const QString& base,
                               const QString& extension);

}  // namespace inkora
