// Compositing a note: its background, its objects in list order, and the
// logo; plus the note counter's place on the paint box.
#pragma once

#include "drawing/uPresentation.h"
#include "shell/uAppState.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>

namespace inkora {

struct TComposeContext {
  const TAppState& Settings;
  QString WorkFolder;
  float ZoomFactor = 1.0f;
  // Horizontal bands composited side by side on their own threads; 0 picks
  // one per core (at most four), 1 composites on the calling thread.
  int Bands = 0;
};

// The area an object can touch in a target of this size: its scaled, rotated
// bounds grown by what its pen, dots, dabs or arrow heads add. An empty
// rectangle means the whole target (note backgrounds).
QRect ObjectReach(const TPresentation& model, const TDrawObj& obj, QSize target);

// Composites note `note` of the model into target: every note background
// (kind 0) first, then every other object in list order, then the logo.
// Deleted objects and those of other notes are skipped. target is not
// cleared: the note background covers it.
void CompositeNote(QImage& target, const TPresentation& model, int note, const TComposeContext& ctx);

// The note background of a kind-0 object: white, then the picture named by its
// NoteKey at its size times the zoom, fitted into the target and centred.
void DrawNoteBackground(QPainter& g, QSize target, const TDrawObj& obj, const TComposeContext& ctx);
// Where the background picture of size (iw, ih) at zoom lands in a W x H target.
QRect FitNoteBackground(QSize picture, float zoom, QSize target);

// BGFile stretched over the whole target at BGTrans / 255 opacity.
void DrawBackgroundPicture(QPainter& g, QSize target, const TAppState& settings);
// LogoFile at its own size at LogoTrans / 255 opacity, placed by LogoPos.
void DrawLogo(QPainter& g, QSize target, const TAppState& settings);
QPoint LogoPosition(int logoPos, QSize logo, QSize target);

// The note counter "%d/%d": the right end of its text and its top, on the paint box.
struct TCounterLayout {
  QSize FormSize;
  int TopPanelHeight = 0;
  int RightPanelWidth = 0;
  int ToolbarPos = 1;
  float ZoomFactor = 1.0f;
  int BufferHeight = 0;
};
QPoint NoteCounterAnchor(const TCounterLayout& layout);
QString NoteCounterText(int curNote, int noteCount);

}  // namespace inkora
