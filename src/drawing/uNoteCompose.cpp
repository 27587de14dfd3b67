#include "drawing/uNoteCompose.h"

#include "drawing/uRender.h"
#include "drawing/uSmoothPen.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace inkora {

namespace {
// Only a bare file name inside the work folder names a note picture.
QString workFile(const QString& folder, const QString& name) {
  if (name.isEmpty() || name.contains('/') || name == "." || name == "..") return {};
  return QDir(folder).filePath(name);
}
}  // namespace

void CompositeNote(QImage& target, const TPresentation& model, int note, const TComposeContext& ctx) {
  QPainter g(&target);
  g.setRenderHint(QPainter::Antialiasing);
  const QSize size = target.size();
  const auto& objs = model.ObjList();
  for (const TDrawObj& o : objs)
    if (o.Kind == okNoteBackground && o.NoteNo == note && !o.Deleted)
      DrawNoteBackground(g, size, o, ctx);
  TSmoothPen smoother;
  for (const TDrawObj& o : objs)
    if (o.Kind != okNoteBackground && o.NoteNo == note && !o.Deleted)
      DrawObject(g, model, o, size, ctx.WorkFolder, smoother);
  DrawLogo(g, size, ctx.Settings);
}

QRect FitNoteBackground(QSize picture, float zoom, QSize target) {
  const int iw = RoundEven(picture.width() * double(zoom));
  const int ih = RoundEven(picture.height() * double(zoom));
  const int W = target.width(), H = target.height();
  if (iw <= 0 || ih <= 0) return {};
  if (iw <= W && ih <= H) return QRect((W - iw) / 2, (H - ih) / 2, iw, ih);
  if (iw <= W) {
    const int w = RoundEven(double(iw) * H / ih);
    return QRect((W - w) / 2, 0, w, H);
  }
  if (ih <= H) {
    const int h = RoundEven(double(ih) * W / iw);
    return QRect(0, (H - h) / 2, W, h);
  }
  int h = RoundEven(double(ih) * W / iw), w = W;
  if (h > H) {
    h = H;
    w = RoundEven(double(iw) * H / ih);
  }
  return QRect((W - w) / 2, (H - h) / 2, w, h);
}

void DrawNoteBackground(QPainter& g, QSize target, const TDrawObj& obj, const TComposeContext& ctx) {
  const QString path = workFile(ctx.WorkFolder, obj.NoteKey);
  const QImage picture = path.isEmpty() ? QImage() : LoadPicture(path);
  g.fillRect(QRect(QPoint(0, 0), target), Qt::white);
  if (picture.isNull()) return;
  g.drawImage(FitNoteBackground(picture.size(), ctx.ZoomFactor, target), picture);
}

void DrawBackgroundPicture(QPainter& g, QSize target, const TAppState& settings) {
  if (settings.BGFile.isEmpty() || !QFileInfo(settings.BGFile).isFile()) return;
  const QImage picture = LoadPicture(settings.BGFile);
  if (picture.isNull()) return;
  g.save();
  g.setOpacity(std::clamp(settings.BGTrans, 0, 255) / 255.0);
  g.drawImage(QRect(QPoint(0, 0), target), picture);
  g.restore();
}

QPoint LogoPosition(int logoPos, QSize logo, QSize target) {
  const int W = target.width(), H = target.height(), iw = logo.width(), ih = logo.height();
  const int left = 10, centreX = (W - iw) / 2, right = W - iw - 10;
  const int top = 10, centreY = (H - ih) / 2, bottom = H - ih - 10;
  switch (logoPos) {
    case 1: return {left, top};
    case 2: return {centreX, top};
    case 3: return {right, top};
    case 4: return {left, centreY};
    case 5: return {centreX, centreY};
    case 6: return {right, centreY};
    case 7: return {left, bottom};
    case 8: return {centreX, bottom};
    case 9: return {right, bottom};
    default: return {0, 0};
  }
}

void DrawLogo(QPainter& g, QSize target, const TAppState& settings) {
  if (settings.LogoFile.isEmpty() || !QFileInfo(settings.LogoFile).isFile()) return;
  const QImage logo = LoadPicture(settings.LogoFile);
  if (logo.isNull()) return;
  g.save();
  g.setOpacity(std::clamp(settings.LogoTrans, 0, 255) / 255.0);
  g.drawImage(LogoPosition(settings.LogoPos, logo.size(), target), logo);
  g.restore();
}

QPoint NoteCounterAnchor(const TCounterLayout& l) {
  const bool scrolled = l.ZoomFactor != 1.0f || l.BufferHeight > l.FormSize.height();
  const int m = scrolled ? 30 : 10;
  switch (l.ToolbarPos) {
    case 2: return {l.FormSize.width() - m, l.TopPanelHeight + 10};
    case 4: return {l.FormSize.width() - l.RightPanelWidth - m, 10};
    default: return {l.FormSize.width() - m, 10};
  }
}

QString NoteCounterText(int curNote, int noteCount) {
  return QStringLiteral("%1/%2").arg(curNote).arg(noteCount);
}

}  // namespace inkora
