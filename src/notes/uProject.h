// Writing the open presentation to a project file and reading one back.
#pragma once

#include "notes/uArchive.h"

#include <QString>

namespace inkora {

class TBoard;

// The progress bar of an archive operation runs from 1 to this position.
inline constexpr int kZipProgressMaximum = 10001;
// The bar position for a fraction of the bytes done: done * 10000 / total + 1,
// the largest position when the fraction is not a number.
int ZipProgressPosition(double fraction);

// Writes the presentation to the archive at path (replacing it safely: the
// previous file survives any failure). The members are written into the work
// folder first, then the folder is zipped, with the hourglass and the progress
// window shown. On success the presentation is no longer modified and the Save
// item of the menu in use is disabled.
TArchiveResult WriteProject(TBoard& board, const QString& path);

// Replaces the presentation by the one in the archive at path and shows its
// note 1. The archive is unpacked and checked in a staging folder first; a
// damaged or hostile archive is refused with a clear message and the
// presentation the teacher had stays as it was. The notes' cache pictures are
// made as the notes are first shown, so note 1 appears without waiting for the
// others. Without showNote the presentation is loaded and nothing is shown
// or composed (the command line renders the notes itself).
TArchiveResult ReadProject(TBoard& board, const QString& path, bool showNote = true);

}  // namespace inkora
