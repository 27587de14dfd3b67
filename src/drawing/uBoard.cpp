#include "drawing/uBoard.h"

#include "drawing/uNoteCompose.h"

namespace inkora {

TBoard::TBoard(TAppState& state, IBoardHost& host, IScreenPixels* screen,
               ITabletPackets* tablet, QObject* parent)
    : QObject(parent),
      State(state),
      Host(host),
      Screen(screen),
      Tablet(tablet),
      FPens(*this),
      FFigures(*this) {
  SetColorIndex(State.ColorIndex);
}

TBoard::~TBoard() { FPens.Abort(); }

void TBoard::SetBoardSize(QSize size) {
  if (Drawing) {
    FPens.Abort();
    FFigures.Abort();
    Drawing = false;
  }
  if (!FormSize.isValid()) FormSize = size;
  BackBuffer = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  BackBuffer.fill(ToQColor(PlainNoteColor));
  Smoother = TSmoothPen();
  StrokeSpline = TSpline();
}

void TBoard::ReplaceBackBuffer(const QImage& picture) {
  if (Drawing) {
    FPens.Abort();
    FFigures.Abort();
    Drawing = false;
  }
  if (BufferGraphics.isActive()) BufferGraphics.end();
  BackBuffer = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  Smoother = TSmoothPen();
  StrokeSpline = TSpline();
}

void TBoard::SetColorIndex(int index) {
  if (index < 0 || index >= int(PaletteColors.size())) index = 0;
  State.ColorIndex = index;
  CurColor = PaletteColors[index];
}

TColor TBoard::ResolveColor() const {
  return State.ColorIndex == kAutoColorIndex ? State.LastAutoColor : CurColor;
}

TColor TBoard::AutoPenColor() {
  if (Screen) State.LastAutoColor = inkora::AutoPenColor(*Screen);
  return State.LastAutoColor;
}

void TBoard::SetModified(bool modified) {
  if (modified && !(FBoardMenuSave && FFloatMenuSave)) {
    FBoardMenuSave = FFloatMenuSave = true;
    Q_EMIT SaveItemsChanged();
  }
  if (Model.ProjectState.Modified == modified) return;
  Model.ProjectState.Modified = modified;
  Q_EMIT ModifiedChanged(modified);
}

void TBoard::SetSaveItemOfMenuInUse(bool enabled) {
  bool& item = (State.ToolbarPos == 1 || State.ToolbarPos == 2) ? FBoardMenuSave : FFloatMenuSave;
  if (item == enabled) return;
  item = enabled;
  Q_EMIT SaveItemsChanged();
}

void TBoard::Redraw(bool recomposite, bool updateNow) {
  if (recomposite) {
    if (BufferGraphics.isActive()) BufferGraphics.end();
    CompositeNote(BackBuffer, Model, CurNote, {State, WorkFolder, ZoomFactor});
  }
  Host.ShowRect(BackBuffer.rect());
  if (updateNow) Host.UpdateNow();
}

void TBoard::ShowSelectionChanged() { Host.ShowRect(BackBuffer.rect()); }

void TBoard::pbMouseDown(TMouseButton button, TShiftState, int X, int Y) {
  if (button == TMouseButton::Right) {
    Host.ShowPopupMenu();
    return;
  }
  if (button != TMouseButton::Left) return;
  // A press while a stroke is still open (its release was lost, for instance
  // to a grab elsewhere) closes that stroke first, so every stroke keeps its
  // final sample.
  if (Drawing) pbMouseUp(TMouseButton::Left, ssLeft, CurPt.x(), CurPt.y());

  DownPt = QPoint(X, Y);
  CurPt = DownPt;
  if (State.RecState != rsRecording) SetModified(true);
  Drawing = true;
  switch (CurTool) {
    case tcFreePen: FPens.FreePenBegin(X, Y); break;
    case tcBrushPen: FPens.BrushPenBegin(X, Y); break;
    default:
      if (IsFigureTool(CurTool)) FFigures.FigureBegin(X, Y);
      break;
  }
}

void TBoard::pbMouseMove(TShiftState shift, int X, int Y) {
  if (shift != ssLeft || !Drawing) {
    HoverCursor();
    return;
  }
  CurPt = QPoint(X, Y);
  switch (CurTool) {
    case tcFreePen: FPens.FreePenMove(X, Y); break;
    case tcBrushPen: FPens.BrushPenMove(X, Y); break;
    default:
      if (IsFigureTool(CurTool)) FFigures.FigureMove(X, Y);
      break;
  }
}

void TBoard::pbMouseUp(TMouseButton button, TShiftState, int X, int Y) {
  if (button != TMouseButton::Left || !Drawing) return;
  Drawing = false;
  switch (CurTool) {
    case tcFreePen: FPens.FreePenEnd(X, Y); break;
    case tcBrushPen: FPens.BrushPenEnd(X, Y); break;
    default:
      if (IsFigureTool(CurTool)) FFigures.FigureEnd(X, Y);
      break;
  }
}

void TBoard::HoverCursor() {
  switch (CurTool) {
    case tcFreePen:
    case tcBrushPen: Host.SetPaintCursor(TBoardCursor::Pen); break;
    case tcLine:
    case tcRectangle:
    case tcFilledRectangle:
    case tcEllipse:
    case tcFilledEllipse:
    case tcDoubleArrow:
    case tcSingleArrow:
    case tcAreaEraser:
    case tcZoomRect: Host.SetPaintCursor(TBoardCursor::Cross); break;
    case tcSelect:
    case tcObjectEraser: Host.SetPaintCursor(TBoardCursor::Hand); break;
    case tcMoveAll: Host.SetPaintCursor(TBoardCursor::Move); break;
    default: Host.SetPaintCursor(TBoardCursor::Arrow); break;
  }
}

}  // namespace inkora
