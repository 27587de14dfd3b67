// The board engine: the presentation model, the tool state, the note bitmap
// and the pointer-input dispatch. The board form turns Qt events into calls
// here and shows BackBuffer; it holds no drawing logic of its own.
#pragma once

#include "drawing/uAutoColor.h"
#include "drawing/uBoardHost.h"
#include "drawing/uFigures.h"
#include "drawing/uFreehand.h"
#include "drawing/uPresentation.h"
#include "drawing/uSmoothPen.h"
#include "drawing/uSpline.h"
#include "drawing/uTabletPackets.h"
#include "drawing/uTypes.h"
#include "editing/uSelection.h"
#include "notes/uNoteCollection.h"
#include "notes/uProjectCommands.h"
#include "notes/uProjectInfo.h"
#include "shell/uAppState.h"

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QPoint>

namespace inkora {

enum class TMouseButton { Left, Right, Middle, Other };

// Buttons and modifiers held during a pointer event.
enum TShiftFlag : uint32_t {
  ssShift = 1u << 0,
  ssAlt = 1u << 1,
  ssCtrl = 1u << 2,
  ssLeft = 1u << 3,
  ssRight = 1u << 4,
  ssMiddle = 1u << 5,
};
using TShiftState = uint32_t;

// Freehand tools show the stroke's bounding box grown by this much.
inline constexpr int kStrokeShowMargin = 20;
// A click without movement shows a square of this side around the dot.
inline constexpr int kClickShowSquare = 40;

class TBoard : public QObject {
  Q_OBJECT

 public:
  TBoard(TAppState& state, IBoardHost& host, IScreenPixels* screen = nullptr,
         ITabletPackets* tablet = nullptr, QObject* parent = nullptr);
  ~TBoard() override;

  // Creates BackBuffer at this size (device pixels) in the plain-note colour and
  // rebinds the smoothers; any stroke in progress is ended first.
  void SetBoardSize(QSize size);
  // Shows this picture as the note bitmap (it takes the picture's size) and
  // rebinds the smoothers; any stroke in progress is ended first.
  void ReplaceBackBuffer(const QImage& picture);
  // Announces that CurNote changed.
  void NotifyCurrentNote() { Q_EMIT CurrentNoteChanged(CurNote); }

  void pbMouseDown(TMouseButton button, TShiftState shift, int X, int Y);
  void pbMouseMove(TShiftState shift, int X, int Y);
  void pbMouseUp(TMouseButton button, TShiftState shift, int X, int Y);

  // Palette choice; index 16 is the automatic colour.
  void SetColorIndex(int index);
  TColor ResolveColor() const;
  // Samples the screen for the automatic colour and stores it in LastAutoColor.
  TColor AutoPenColor();

  // Modified follows every change of the presentation; a change (true)
  // enables both Save items.
  void SetModified(bool modified);
  // The Save item of the menu in use: the board menu's while the tool bar is
  // docked at the bottom or top, the floating tool bar menu's otherwise.
  void SetSaveItemOfMenuInUse(bool enabled);
  bool BoardMenuSaveEnabled() const { return FBoardMenuSave; }
  bool FloatMenuSaveEnabled() const { return FFloatMenuSave; }

  // Composites the current note into BackBuffer when recomposite is set, then
  // shows the whole of it; updateNow paints at once.
  void Redraw(bool recomposite, bool updateNow);

  const TFreehandPens& Pens() const { return FPens; }
  // The figure tools; their band is what the form draws over BackBuffer.
  const TFigureTools& Figures() const { return FFigures; }

  // The form draws the selection over BackBuffer; whoever changes Selection
  // calls this so the old overlay goes and the new one shows.
  void ShowSelectionChanged();

  // Shared state.
  TAppState& State;
  IBoardHost& Host;
  IScreenPixels* Screen;
  ITabletPackets* Tablet;
  TPresentation Model;
  TSelection Selection;
  TNoteCollection Notes{*this};
  TProjectInfo ProjectInfo;  // the information record of the open presentation
  TProjectCommands Project{*this};
  bool Opening = false;  // a project is being read

  // Tool state.
  uint8_t CurTool = tcFreePen;
  TColor CurColor = PaletteColors[0];
  uint8_t TransMode = 0;
  int32_t CurNote = 1;
  QString WorkFolder;  // note and image pictures of the open presentation
  QSize FormSize;      // the board form in device pixels: the size of a note at 100 %
  QString CurNoteKey;
  float ZoomFactor = 1.0f;
  bool Drawing = false;
  QPoint DownPt;
  QPoint CurPt;
  int32_t StrokeMinX = 0, StrokeMinY = 0, StrokeMaxX = 0, StrokeMaxY = 0;
  int32_t HScroll = 0, VScroll = 0;
  TColor PlainNoteColor = 0xFFFFFF;

  QImage BackBuffer;
  QPainter BufferGraphics;  // active while a tool draws into BackBuffer
  TSmoothPen Smoother;
  TSpline StrokeSpline;

 Q_SIGNALS:
  void ModifiedChanged(bool modified);
  void CurrentNoteChanged(int note);
  void SaveItemsChanged();

 private:
  void HoverCursor();

  TFreehandPens FPens;
  TFigureTools FFigures;
  bool FBoardMenuSave = true, FFloatMenuSave = true;
};

}  // namespace inkora
