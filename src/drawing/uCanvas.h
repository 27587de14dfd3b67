// The board form: the full-screen main window that shows the note and turns
// pointer events into board calls.
#pragma once

#include "drawing/uBoard.h"
#include "drawing/uBoardHost.h"
#include "overlay/uScreenPixels.h"
#include "overlay/uTablet.h"
#include "shell/uAppState.h"
#include "shell/uPrinter.h"

#include <QCursor>
#include <QMenu>
#include <QRegion>
#include <QScrollArea>
#include <QStringList>
#include <QWidget>

#include <functional>

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
  QString OpenFileDialog(const TFileDialogRequest& request) override;
  QString SaveFileDialog(const TFileDialogRequest& request) override;
  void BeginWait() override;
  void EndWait() override;
  void ShowProgress(const QString& status) override;
  void SetProgress(int position, int maximum) override;
  void CloseProgress() override;

  // The program's arguments after its name; the first may name a project to
  // open once the board is shown.
  QStringList StartupArguments;

  // The close command (Ctrl+Q, the window's close button): a running
  // recording is finished, a modified presentation asked about, then the
  // board closes. Cancel in the question keeps it open.
  void mnuCloseClick();
  // The end of the session (SIGTERM, SIGINT): closes without a question.
  void CloseForSessionEnd();
  // Finishes a recording with timeline before the board closes.
  std::function<void()> StopRecordingOnClose;

  // A second start of the program handed over its first argument: the board
  // comes to the front and opens the file when it is a project or contents.
  void OnSecondStart(const QString& path);
  // The restore message: a board parked off screen comes back.
  void RestoreMessage();
  // The board moved itself off screen to let another program open a document.
  bool AwayForImport = false;
  // The left edge of a board parked off screen.
  static constexpr int kParkedLeft = -20000;

  // Paint-box events, in paint-box coordinates.
  void pbPaint(QPainter& painter, const QRect& logicalRect);
  void pbMouseDown(QMouseEvent* event);
  void pbMouseMove(QMouseEvent* event);
  void pbMouseUp(QMouseEvent* event);
  void pbTablet(QTabletEvent* event);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FormShow();
  void PlaceBoard();
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
  bool FCloseAnswered = false;  // the close was asked about or needs no question
  bool FStartingUp = false;     // inside the first show
  bool FCloseAfterStartup = false;
  TDefaultPrinterSwitch FPrinter;
};

}  // namespace inkora
