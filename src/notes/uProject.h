// Writing the open presentation to a project file and reading one back.
#pragma once

#include "notes/uArchive.h"

#include <QString>

namespace inkora {

class TBoard;

// Writes the presentation to the archive at path (replacing it safely: the
// previous file survives any failure). The members are written into the work
// folder first, then the folder is zipped. On success the presentation is no
// longer modified.
TArchiveResult WriteProject(TBoard& board, const QString& path, const TArchiveProgress& progress = {});

// Replaces the presentation by the one in the archive at path and shows its
// note 1. The archive is unpacked and checked in a staging folder first; a
// damaged or hostile archive is refused with a clear message and the
// presentation the teacher had stays as it was.
TArchiveResult ReadProject(TBoard& board, const QString& path, const TArchiveProgress& progress = {});

}  // namespace inkora
