// The board form: the full-screen main window that shows the note and turns
// pointer events into board calls.
#pragma once

#include "drawing/uBoard.h"
#include "drawing/uBoardHost.h"
#include "overlay/uScreenPixels.h"
#include "overlay/uTablet.h"
#include "shell/uAppState.h"

#include <QCursor>
#include <QMenu>
#include <QRegion>
#include <QScrollArea>
#include <QStringList>
#include <QWidget>

class QMouseEvent;
class QTabletEvent;

namespace inkora {

class TPaintBox;
class TfrmProgress;

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
  TModalResult BoardMessageDlg(const QString& text, TMsgDlgType type, uint32_t buttons) override;
  QString OpenFileDialog(const TFileDialogSpec& spec) override;
  QString SaveFileDialog(const TFileDialogSpec& spec) override;
  void BeginWait() override;
  void EndWait() override;
  void ShowProgress(const QString& status) override;
  void SetProgress(int position, int maximum) override;
  void CloseProgress() override;

  // The program's arguments after its name; the first may name a project to
  // open once the board is shown.
  QStringList StartupArguments;

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
  void CreateFileActions();
  void UpdateSaveItem();
  void TakeFocusBack();
  void DrawNoteCounter(QPainter& painter);
  QPoint BoardPos(const QPointF& logical) const;
  qreal Ratio() const;

  TAppState& State;
  TScreenPixels FScreen;
  TTabletPen FTablet;
  TBoard FBoard;
  QScrollArea* ScrollBox1 = nullptr;
  TPaintBox* pb = nullptr;
  QMenu* mnuPopup = nullptr;
  QAction* mnuNew = nullptr;
  QAction* mnuOpen = nullptr;
  QAction* mnuSave = nullptr;
  QAction* mnuSaveas = nullptr;
  TfrmProgress* frmProgress = nullptr;
  QCursor FPenCursor;
  QRegion FPending;  // shown rectangles not yet painted, in paint-box pixels
  bool FShown = false;
};

}  // namespace inkora
