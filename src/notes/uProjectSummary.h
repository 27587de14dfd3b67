// A summary of the open presentation for people and scripts: its notes with
// their keys and picture sizes, objects by kind and by note, deleted objects,
// samples, and the fields of its information record.
#pragma once

#include <QJsonObject>
#include <QString>

namespace inkora {

class TBoard;

// The name of an object kind in summaries ("FreePen", "NoteChange", ...;
// "Kind<n>" for a code the program does not know).
QString ObjectKindName(int kind);

QJsonObject ProjectSummary(const TBoard& board, const QString& path);

}  // namespace inkora
