// The notes of a presentation: their order (NoteIndex), their cache pictures
// (CacheIndex), making notes of each paper kind, switching between them, new
// backgrounds, and rebuilding every cache picture.
#pragma once

#include "shell/uLang.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace inkora {

class TBoard;

enum TPaperKind : int {
  pkPlainNote = 1,
  pkBlackboard = 2,
  pkMusicNote = 3,
  pkEnglishNote = 4,
  pkManuscript = 5,
  pkGraphNote = 6,
};

// The 17-character local time "YYYYMMDDHHNNSSZZZ" used in generated file names.
QString StampName(const QDateTime& time = QDateTime::currentDateTime());

// The paper picture of a kind ("" for plain notes); manuscript paper follows
// the language: the Japanese grid for 1041, the Korean one otherwise.
QString PaperFileName(int paperKind, TLangId langId);

class TNoteCollection {
 public:
  explicit TNoteCollection(TBoard& board) : B(board) {}

  QStringList NoteIndex;   // note keys in note order
  QStringList CacheIndex;  // cache picture names, parallel to NoteIndex
  QString CacheFolder;     // ends with "/"
  QString PaperFolder;     // the six paper pictures
  TLangId LangId = 1033;

  int Count() const { return int(NoteIndex.size()); }

  // Empties the lists and makes the one plain note of a new presentation.
  void StartEmptyPresentation();
  // A note of this paper kind right after the current one, shown. False when
  // its background could not be written (the presentation stays as it was).
  bool NewNote(int paperKind);
  void StoreNoteCache(int n);
  void ShowNote();
  void SetCurrentNote(int n);
  void InsertNoteAfterCurrent(const QString& key);
  void NextNote();
  void PrevNote();
  // The picture file at path becomes the background of the current note.
  void SetNoteBackground(const QString& path);
  // Renders every note afresh from its background and objects (CacheAll;
  // progress(done, total) after each), or names every cache picture and
  // leaves each to be made when its note is first needed (CacheOnDemand).
  enum TCacheBuild { CacheAll, CacheOnDemand };
  void RebuildNoteCaches(TCacheBuild build = CacheAll, const std::function<void(int, int)>& progress = {});
  // Note n (1-based) as its cache picture shows it: the background at its own
  // size, every object and the logo. Reads nothing but the model and the work
  // folder, so notes may be composed on several threads at once.
  QImage ComposeNote(int n, int bands = 0) const;
  // The cache picture of note n, made and stored first when it is not there.
  QImage NotePicture(int n);

  // Move-all is offered on notes whose key begins with "d".
  bool CanMoveAll() const { return CurrentKeyAllowsMoveAll; }

 private:
  QString NewStampName(const QString& prefix) const;
  void AppendNoteEvent(uint8_t kind, bool plainNote);
  void BackToActualSize();
  bool SavePicture(const QImage& image, const QString& path) const;
  bool SaveBackground(const QImage& image, const QString& path) const;

  TBoard& B;
  bool CurrentKeyAllowsMoveAll = true;
};

}  // namespace inkora
