#include "notes/uNoteCollection.h"

#include "drawing/uBoard.h"
#include "drawing/uNoteCompose.h"
#include "drawing/uRender.h"
#include "exchange/uPngWriter.h"
#include "shell/uWorkFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

namespace inkora {

QString StampName(const QDateTime& time) { return time.toString("yyyyMMddHHmmsszzz"); }

QString PaperFileName(int paperKind, TLangId langId) {
  switch (paperKind) {
    case pkBlackboard: return "BlackBoard.gif";
    case pkMusicNote: return "MusicNote.gif";
    case pkEnglishNote: return "EnglishNote.gif";
    case pkManuscript: return langId == 1041 ? "ManuScript_j.gif" : "ManuScript_k.gif";
    case pkGraphNote: return "GraphNote.gif";
    default: return {};
  }
}

// A name not yet used by a note, a cache picture or a file: two notes made in
// the same millisecond must not share a picture.
QString TNoteCollection::NewStampName(const QString& prefix) const {
  const QDateTime now = QDateTime::currentDateTime();
  for (int ms = 0;; ++ms) {
    const QString name = prefix + StampName(now.addMSecs(ms)) + ".bmp";
    if (!NoteIndex.contains(name) && !CacheIndex.contains(name) &&
        !QFileInfo::exists(B.WorkFolder + name) && !QFileInfo::exists(CacheFolder + name))
      return name;
  }
}

bool TNoteCollection::SavePicture(const QImage& image, const QString& path) const {
  return !path.isEmpty() && image.save(path, "BMP");
}

// A note's background travels in the project file: it keeps its ".bmp" name
// but holds a PNG (readers tell the format from the content), as fast to
// write as a bitmap and a thousandth of its size for a plain page, so saving
// and opening do not pack and unpack megabytes of white.
bool TNoteCollection::SaveBackground(const QImage& image, const QString& path) const {
  if (path.isEmpty()) return false;
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && WritePng(image, file) && file.flush()) return true;
  file.remove();
  return false;
}

void TNoteCollection::BackToActualSize() {
  if (B.ZoomFactor == 1.0f) return;
  B.ZoomFactor = 1.0f;
  B.SetBoardSize(B.FormSize);
  B.Redraw(true, false);
}

void TNoteCollection::StartEmptyPresentation() {
  B.Model.Clear();
  B.Model.ProjectState = TProjectState{};
  B.ProjectInfo.Reset(DateTimeToDays(QDateTime::currentDateTime()));
  B.Selection.ClearSelection();
  NoteIndex.clear();
  CacheIndex.clear();
  SetCurrentNote(0);
  NewNote(pkPlainNote);
}

bool TNoteCollection::NewNote(int paperKind) {
  if (paperKind < pkPlainNote || paperKind > pkGraphNote) paperKind = pkPlainNote;
  BackToActualSize();

  // The new page: the note colour and background picture, or the paper.
  const QSize size = B.FormSize.isValid() ? B.FormSize : B.BackBuffer.size();
  QImage page(size, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter g(&page);
    g.setRenderHint(QPainter::SmoothPixmapTransform);
    if (paperKind == pkPlainNote) {
      const int noteColor = std::clamp(B.State.NoteColor, 0, int(PaletteColors.size()) - 1);
      g.fillRect(page.rect(), ToQColor(PaletteColors[noteColor]));
      DrawBackgroundPicture(g, size, B.State);
    } else {
      const QString paper = QDir(PaperFolder).filePath(PaperFileName(paperKind, LangId));
      const QImage picture = LoadPicture(paper);
      if (picture.isNull()) {
        B.Host.ShowError(QStringLiteral("Cannot read the paper picture %1.").arg(paper));
        return false;
      }
      g.drawImage(page.rect(), picture);
    }
  }
  const bool dPrefix = paperKind == pkPlainNote || paperKind == pkBlackboard;
  const QString key = NewStampName(dPrefix ? "d_" : "");
  if (!SaveBackground(page, B.WorkFolder + key)) {
    B.Host.ShowError(QStringLiteral("Cannot write the note picture %1.").arg(B.WorkFolder + key));
    return false;
  }

  if (B.CurNote != 0) StoreNoteCache(B.CurNote);
  B.ReplaceBackBuffer(page);
  if (B.CurNote == 0 || B.CurNote == Count())
    NoteIndex.append(key);
  else
    InsertNoteAfterCurrent(key);
  {
    QPainter g(&B.BackBuffer);
    DrawLogo(g, size, B.State);
  }
  SetCurrentNote(B.CurNote + 1);
  AppendNoteEvent(okNoteBackground, paperKind == pkPlainNote);
  AppendNoteEvent(okNoteChange, paperKind == pkPlainNote);
  B.CurTool = tcFreePen;
  B.Redraw(false, false);
  return true;
}

void TNoteCollection::AppendNoteEvent(uint8_t kind, bool plainNote) {
  TDrawObj obj;
  InitDrawObj(obj);
  obj.Kind = kind;
  obj.ObjId = B.Model.ObjCount();
  obj.NoteNo = B.CurNote;
  obj.BoardWidth = B.BackBuffer.width();
  obj.BoardHeight = B.BackBuffer.height();
  obj.Time = B.State.RecClock;
  obj.NoteKey = B.CurNoteKey;
  obj.PlainNote = plainNote ? 1 : 0;
  B.Model.AppendObj(obj);
}

void TNoteCollection::InsertNoteAfterCurrent(const QString& key) {
  const int c = B.CurNote;
  CacheIndex.insert(std::min(c, int(CacheIndex.size())), key);
  NoteIndex.insert(std::min(c, int(NoteIndex.size())), key);
  SavePicture(B.BackBuffer, CacheFolder + key);
  for (const TDrawObj& o : B.Model.ObjList())
    if (o.NoteNo > c) B.Model.Obj(o.ObjId)->NoteNo = o.NoteNo + 1;
}

void TNoteCollection::StoreNoteCache(int n) {
  if (n <= 0) return;
  BackToActualSize();
  if (CacheIndex.size() < n) {
    const QString name = NewStampName("");
    SavePicture(B.BackBuffer, CacheFolder + name);
    CacheIndex.append(name);
  } else {
    SavePicture(B.BackBuffer, CacheFolder + CacheIndex[n - 1]);
  }
}

void TNoteCollection::ShowNote() {
  if (CacheIndex.isEmpty()) return;
  const QImage picture = NotePicture(B.CurNote);
  if (!picture.isNull()) {
    B.ReplaceBackBuffer(picture.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  } else {
    // No cache picture to show: compose the note from its background and objects.
    B.SetBoardSize(B.FormSize.isValid() ? B.FormSize : B.BackBuffer.size());
    B.Redraw(true, false);
  }
  B.CurTool = tcFreePen;
  B.Redraw(false, false);
}

void TNoteCollection::SetCurrentNote(int n) {
  B.CurNote = n;
  B.Selection.ClearSelection();
  if (n > 0 && n <= Count()) {
    B.CurNoteKey = NoteIndex[n - 1];
    CurrentKeyAllowsMoveAll = B.CurNoteKey.startsWith('d');
  }
  B.VScroll = 0;
  B.NotifyCurrentNote();
}

void TNoteCollection::NextNote() {
  if (B.CurNote >= Count()) return;
  BackToActualSize();
  StoreNoteCache(B.CurNote);
  SetCurrentNote(B.CurNote + 1);
  ShowNote();
  AppendNoteEvent(okNoteChange, false);
}

void TNoteCollection::PrevNote() {
  if (B.CurNote <= 1) return;
  BackToActualSize();
  StoreNoteCache(B.CurNote);
  SetCurrentNote(B.CurNote - 1);
  ShowNote();
  AppendNoteEvent(okNoteChange, false);
}

void TNoteCollection::SetNoteBackground(const QString& path) {
  const QImage picture = LoadPicture(path);
  if (picture.isNull()) {
    B.Host.ShowError(QStringLiteral("Cannot read the picture %1.").arg(path));
    return;
  }
  StoreNoteCache(B.CurNote);
  TDrawObj* page = nullptr;
  for (const TDrawObj& o : B.Model.ObjList())
    if (o.NoteNo == B.CurNote && o.Kind == okNoteBackground) {
      page = B.Model.Obj(o.ObjId);
      break;
    }
  if (page) {
    const QString key = NewStampName("");
    QFile::remove(B.WorkFolder + key);
    if (!QFile::copy(path, B.WorkFolder + key)) {
      B.Host.ShowError(QStringLiteral("Cannot copy the picture %1.").arg(path));
      return;
    }
    const QString oldKey = page->NoteKey;
    const qsizetype at = NoteIndex.indexOf(oldKey);
    if (at >= 0) {
      NoteIndex[at] = key;
      QFile::remove(B.WorkFolder + oldKey);
    }
    if (B.CurNote >= 1 && B.CurNote <= CacheIndex.size()) {
      QFile::remove(CacheFolder + CacheIndex[B.CurNote - 1]);
      CacheIndex[B.CurNote - 1] = key;
    }
    page->NoteKey = key;
    if (B.CurNoteKey == oldKey) B.CurNoteKey = key;
    CurrentKeyAllowsMoveAll = false;
    QPainter g(&B.BackBuffer);
    g.fillRect(B.BackBuffer.rect(), Qt::white);
    g.drawImage(FitNoteBackground(picture.size(), 1.0f, B.BackBuffer.size()), picture);
  }
  {
    QPainter g(&B.BackBuffer);
    TSmoothPen smoother;
    for (const TDrawObj& o : B.Model.ObjList())
      if (o.NoteNo == B.CurNote && !o.Deleted && o.Kind >= okImage && o.Kind <= okSingleArrow)
        DrawObject(g, B.Model, o, B.BackBuffer.size(), B.WorkFolder, smoother);
    DrawLogo(g, B.BackBuffer.size(), B.State);
  }
  StoreNoteCache(B.CurNote);
  B.Redraw(false, false);
}

QImage TNoteCollection::ComposeNote(int n, int bands) const {
  if (n < 1 || n > Count()) return {};
  // Each note at its background's own size; objects scale to it.
  QImage note = LoadPicture(B.WorkFolder + NoteIndex[n - 1]);
  if (note.isNull()) {
    note = QImage(B.FormSize.isValid() ? B.FormSize : B.BackBuffer.size(), QImage::Format_ARGB32_Premultiplied);
    note.fill(Qt::white);
  } else {
    note = note.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  TComposeContext ctx{B.State, B.WorkFolder, 1.0f};
  ctx.Bands = bands;
  CompositeNote(note, B.Model, n, ctx);
  return note;
}

QImage TNoteCollection::NotePicture(int n) {
  if (n < 1 || n > CacheIndex.size()) return {};
  const QString file = CacheFolder + CacheIndex[n - 1];
  QImage picture = LoadPicture(file);
  if (picture.isNull()) {
    picture = ComposeNote(n);
    if (!picture.isNull()) SavePicture(picture, file);
  }
  return picture;
}

void TNoteCollection::RebuildNoteCaches(TCacheBuild build, const std::function<void(int, int)>& progress) {
  DeleteFilesIn(CacheFolder);
  CacheIndex = NoteIndex;
  if (build == CacheOnDemand) return;
  for (int i = 0; i < Count(); ++i) {
    SavePicture(ComposeNote(i + 1), CacheFolder + NoteIndex[i]);
    if (progress) progress(i + 1, Count());
  }
}

}  // namespace inkora
