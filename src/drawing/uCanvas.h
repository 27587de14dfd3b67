// The board form: the full-screen main window that shows the note and turns
// pointer events into board calls.
#pragma once

#include "drawing/uBoard.h"
#include "drawing/uBoardHost.h"
#include "overlay/uScreenPixels.h"
#include "overlay/uTablet.h"
#include "shell/uAppState.h"
#include "shell/uWorkFolders.h"

#include <QCursor>
#include <QMenu>
#include <QRegion>
#include <QScrollArea>
#include <QWidget>

class QMouseEvent;
class QTabletEvent;

namespace inkora {

class TPaintBox;

class TfrmCanvas final : public QWidget, public IBoardHost {
  Q_OBJECT
 public:
  explicit TfrmCanvas(TAppState& state, QWidget* parent = nullptr);
  ~TfrmCanvas() override;

  TBoard& Board() { return FBoard; }
  TPaintBox* PaintBox() const { return pb; }

  // IBoardHost
  void ShowRect(const QRect& r) override;
  void UpdateNow() override;
  void ShowPopupMenu() override;
  void SetPaintCursor(TBoardCursor cursor) override;
  void ShowError(const QString& message) override;

  // Paint-box events, in paint-box coordinates.
  void pbPaint(QPainter& painter, const QRect& logicalRect);
  void pbMouseDown(QMouseEvent* event);
  void pbMouseMove(QMouseEvent* event);
  void pbMouseUp(QMouseEvent* event);
  void pbTablet(QTabletEvent* event);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormShow();
  void DrawNoteCounter(QPainter& painter);
  QPoint BoardPos(const QPointF& logical) const;
  qreal Ratio() const;

  TAppState& State;
  TWorkFolders FFolders;
  TScreenPixels FScreen;
  TTabletPen FTablet;
  TBoard FBoard;
  QScrollArea* ScrollBox1 = nullptr;
  TPaintBox* pb = nullptr;
  QMenu* mnuPopup = nullptr;
  QCursor FPenCursor;
  QRegion FPending;  // shown rectangles not yet painted, in paint-box pixels
  bool FShown = false;
};

}  // namespace inkora
