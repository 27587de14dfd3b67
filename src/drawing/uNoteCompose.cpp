#include "drawing/uNoteCompose.h"

#include "drawing/uRender.h"
#include "drawing/uSmoothPen.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace inkora {

namespace {
// Only a bare file name inside the work folder names a note picture.
QString workFile(const QString& folder, const QString& name) {
  if (name.isEmpty() || name.contains('/') || name == "." || name == "..") return {};
  return QDir(folder).filePath(name);
}
}  // namespace

QRect ObjectReach(const TPresentation& model, const TDrawObj& obj, QSize target) {
  if (obj.Kind == okNoteBackground) return {};
  double reach = 0;  // beyond the bounds, in target pixels
  const double width = std::abs(obj.Width);
  switch (obj.Kind) {
    case okImage: reach = 2; break;
    case okBrushPen:
      if (obj.Pressure) {
        reach = width * 2.1 + 4;  // dabs hang right and down of their samples
      } else {
        float widest = 0;
        model.ForEachSample(obj.ObjId, [&](const TPoints& p) { widest = std::max(widest, p.BrushWidth); });
        reach = std::max<double>(widest, width) + 4;
      }
      break;
    case okDoubleArrow:
    case okSingleArrow: reach = width + 30; break;  // barbs, even behind a short shaft
    default: reach = width + 4; break;
  }
  const TRectS b = ScaleToBoard(obj.Bounds, obj.BoardWidth, obj.BoardHeight, target);
  const QRectF grown = QRectF(b.X, b.Y, b.Width, b.Height).adjusted(-reach, -reach, reach, reach);
  return ObjectTransform(obj, target).mapRect(grown).toAlignedRect().adjusted(-1, -1, 1, 1);
}

namespace {

// Composites the rows [top, top + rows) of target, drawing only what reaches them.
struct TBandTarget {
  uchar* Bits;
  qsizetype BytesPerLine;
  QImage::Format Format;
  QSize Size;
};

void compositeBand(const TBandTarget& target, int top, int rows, const TPresentation& model, int note,
                   const TComposeContext& ctx, const std::vector<QRect>& reach) {
  const QSize size = target.Size;
  QImage band(target.Bits + top * target.BytesPerLine, size.width(), rows, target.BytesPerLine,
              target.Format);
  QPainter g(&band);
  g.setRenderHint(QPainter::Antialiasing);
  g.translate(0, -top);
  const QRect rowsRect(0, top, size.width(), rows);
  const auto& objs = model.ObjList();
  for (const TDrawObj& o : objs)
    if (o.Kind == okNoteBackground && o.NoteNo == note && !o.Deleted)
      DrawNoteBackground(g, size, o, ctx);
  TSmoothPen smoother;
  for (size_t i = 0; i < objs.size(); ++i) {
    const TDrawObj& o = objs[i];
    if (o.Kind == okNoteBackground || o.NoteNo != note || o.Deleted) continue;
    if (!reach[i].isEmpty() && !reach[i].intersects(rowsRect)) continue;
    DrawObject(g, model, o, size, ctx.WorkFolder, smoother);
  }
  DrawLogo(g, size, ctx.Settings);
}

}  // namespace

void CompositeNote(QImage& target, const TPresentation& model, int note, const TComposeContext& ctx) {
  if (target.isNull()) return;
  const int height = target.height();
  int bands = ctx.Bands > 0 ? ctx.Bands : std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
  bands = std::clamp(bands, 1, std::max(1, height / 64));

  // Where each object of the note can draw, worked out once for all bands.
  std::vector<QRect> reach(model.ObjList().size());
  if (bands > 1)
    for (size_t i = 0; i < reach.size(); ++i) {
      const TDrawObj& o = model.ObjList()[i];
      if (o.NoteNo == note && !o.Deleted) reach[i] = ObjectReach(model, o, target.size());
    }

  const TBandTarget whole{target.bits(), target.bytesPerLine(), target.format(), target.size()};
  std::vector<std::thread> workers;
  const int rows = (height + bands - 1) / bands;
  for (int b = 1; b < bands; ++b) {
    const int top = b * rows;
    if (top >= height) break;
    workers.emplace_back([&, top] { compositeBand(whole, top, std::min(rows, height - top), model, note, ctx, reach); });
  }
  compositeBand(whole, 0, std::min(rows, height), model, note, ctx, reach);
  for (auto& w : workers) w.join();
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
