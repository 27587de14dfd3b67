#include "drawing/uCanvas.h"

#include "drawing/uNoteCompose.h"
#include "drawing/uPaintBox.h"
#include "shell/uConfig.h"
#include "shell/uLang.h"
#include "shell/uLangForms.h"
#include "shell/uProgress.h"
#include "shell/uSplash.h"
#include "shell/uSysHelpers.h"

#include <QAction>
#include <QApplication>
#include <QProxyStyle>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTabletEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace inkora {

namespace {

// The pen cursor: a pencil whose tip is the hot spot.
QCursor makePenCursor() {
  QPixmap pix(32, 32);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(1, 30);
  p.rotate(-45);
  QPainterPath body;
  body.addRect(QRectF(9, -3.5, 26, 7));
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0xF2, 0xC1, 0x4E));
  p.drawPath(body);
  QPainterPath tip;
  tip.moveTo(0, 0);
  tip.lineTo(9, -3.5);
  tip.lineTo(9, 3.5);
  tip.closeSubpath();
  p.setBrush(QColor(0xE8, 0xD3, 0xB0));
  p.drawPath(tip);
  p.setBrush(Qt::black);
  p.drawEllipse(QPointF(1.5, 0), 1.5, 1.2);
  p.end();
  return QCursor(pix, 1, 30);
}

// The application's style with the board's tool-hint pause.
class THintStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return 300;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// "Description|*.ext" (pairs separated by "|") as Qt writes filters:
// "Description (*.ext)", one per line.
QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return out.join(";;");
}

TShiftState shiftOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  TShiftState s = 0;
  if (mods & Qt::ShiftModifier) s |= ssShift;
  if (mods & Qt::AltModifier) s |= ssAlt;
  if (mods & Qt::ControlModifier) s |= ssCtrl;
  if (buttons & Qt::LeftButton) s |= ssLeft;
  if (buttons & Qt::RightButton) s |= ssRight;
  if (buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

TMouseButton buttonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return TMouseButton::Left;
    case Qt::RightButton: return TMouseButton::Right;
    case Qt::MiddleButton: return TMouseButton::Middle;
    default: return TMouseButton::Other;
  }
}

}  // namespace

TfrmCanvas::TfrmCanvas(TAppState& state, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), State(state), FBoard(state, *this, &FScreen, &FTablet, this) {
  setObjectName("TfrmCanvas");
  setWindowTitle("Inkora 4");
  // The language of the system chooses every text and the forms' font.
  Lang().SelectLanguage(SystemLangId());
  ApplyFont(this);
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Tool hints appear after 300 ms.
  if (!dynamic_cast<THintStyle*>(QApplication::style())) QApplication::setStyle(new THintStyle);

  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setFrameShape(QFrame::NoFrame);
  ScrollBox1->setWidgetResizable(false);
  ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  pb = new TPaintBox(*this, ScrollBox1);
  pb->setObjectName("pb");
  ScrollBox1->setWidget(pb);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ScrollBox1);

  connect(ScrollBox1->horizontalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int v) { FBoard.HScroll = int(std::lround(v * Ratio())); });
  connect(ScrollBox1->verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int v) { FBoard.VScroll = int(std::lround(v * Ratio())); });

  mnuPopup = new QMenu(this);
  mnuPopup->setObjectName("mnuPopup");

  // Ctrl+Q closes the board, as every desktop program does.
  auto* quit = new QAction(this);
  quit->setShortcut(QKeySequence::Quit);
  quit->setShortcutContext(Qt::ApplicationShortcut);
  connect(quit, &QAction::triggered, this, &TfrmCanvas::mnuCloseClick);
  addAction(quit);

  // Page Down and Page Up turn the notes, as presenter remotes send them.
  auto* next = new QAction(this);
  next->setShortcut(Qt::Key_PageDown);
  next->setShortcutContext(Qt::ApplicationShortcut);
  connect(next, &QAction::triggered, this, [this] {
    if (!FBoard.Drawing) FBoard.Notes.NextNote();
  });
  addAction(next);
  auto* prev = new QAction(this);
  prev->setShortcut(Qt::Key_PageUp);
  prev->setShortcutContext(Qt::ApplicationShortcut);
  connect(prev, &QAction::triggered, this, [this] {
    if (!FBoard.Drawing) FBoard.Notes.PrevNote();
  });
  addAction(prev);

  CreateFileActions();

  FPenCursor = makePenCursor();
  pb->setCursor(FPenCursor);

  // The board fills the screen until the settings say more at the first show.
  PlaceBoard();
  FBoard.SetBoardSize(FBoard.FormSize);
  FBoard.Notes.LangId = Lang().LangId();
  FBoard.Notes.PaperFolder = QCoreApplication::applicationDirPath() + "/Paper";
  // A note change shows the new note from its top.
  connect(&FBoard, &TBoard::CurrentNoteChanged, this, [this] {
    ScrollBox1->verticalScrollBar()->setValue(0);
    pb->update();
  });
}

// However the board ends (closed by the user, by the window manager, or
// through SIGTERM/SIGINT) its settings are written and the default printer is
// put back as it was. Failures are ignored.
TfrmCanvas::~TfrmCanvas() {
  if (FBoard.Drawing) FBoard.pbMouseUp(TMouseButton::Left, ssLeft, FBoard.CurPt.x(), FBoard.CurPt.y());
  if (FShown) SaveConfig(State);
  FPrinter.Restore();
}

qreal TfrmCanvas::Ratio() const { return pb ? pb->devicePixelRatioF() : 1.0; }

QPoint TfrmCanvas::BoardPos(const QPointF& logical) const {
  const qreal r = Ratio();
  return QPoint(int(std::floor(logical.x() * r)), int(std::floor(logical.y() * r)));
}

void TfrmCanvas::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!FShown) {
    FShown = true;
    FormShow();
  }
}

// The first show, in order: the default printer, settings, the splash, the
// board's place and bitmap, the empty presentation. Whatever fails on the
// way, the splash goes and the file named on the command line still opens.
void TfrmCanvas::FormShow() {
  FStartingUp = true;
  auto* splash = new TfrmSplash;
  try {
    FPrinter.SwitchToVirtualPrinter();
    LoadConfig(State);
    FBoard.ZoomFactor = 1.0f;
    ApplyFont(this);
    splash->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    PlaceBoard();
    FBoard.SetColorIndex(State.ColorIndex);
    FBoard.PlainNoteColor = PaletteColors[std::clamp(State.NoteColor, 0, int(PaletteColors.size()) - 1)];
    FBoard.SetBoardSize(FBoard.FormSize);
    // Without its work area the board still works for drawing; saving needs it.
    FBoard.Project.ResetProject();
    UpdateSaveItem();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    FPending = QRegion();
    pb->update();
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
  }
  splash->close();
  FStartingUp = false;
  // The session ended while the board was starting: it closes now.
  if (FCloseAfterStartup) {
    QTimer::singleShot(0, this, &TfrmCanvas::CloseForSessionEnd);
    return;
  }
  // A project named on the command line opens once the board is on screen.
  QTimer::singleShot(0, this, [this] { FBoard.Project.OpenStartupFile(StartupArguments); });
}

// At (0, 0) over the screen, or over every monitor with UseDual; BackBuffer
// has the board's size in device pixels.
void TfrmCanvas::PlaceBoard() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const QRect desktop = screen ? screen->virtualGeometry() : screenRect;
  const QRect place = BoardRect(screenRect, desktop, int(QGuiApplication::screens().size()), State.UseDual);
  if (place.size() != screenRect.size()) setWindowState(Qt::WindowNoState);
  setGeometry(place);
  const qreal dpr = screen ? screen->devicePixelRatio() : 1.0;
  FBoard.FormSize = QSize(int(std::lround(place.width() * dpr)), int(std::lround(place.height() * dpr)));
  pb->setFixedSize(place.size());
}

void TfrmCanvas::mnuCloseClick() {
  if (FBoard.Drawing || FStartingUp) return;
  if (State.RecState == rsRecording && StopRecordingOnClose) StopRecordingOnClose();
  if (FBoard.Model.ProjectState.Modified && !FBoard.Project.AskSaveChanges(false)) return;
  FCloseAnswered = true;
  close();
}

void TfrmCanvas::CloseForSessionEnd() {
  // The start-up lets events run; a close then would be undone by its end.
  if (FStartingUp) {
    FCloseAfterStartup = true;
    return;
  }
  FCloseAnswered = true;
  close();
}

void TfrmCanvas::OnSecondStart(const QString& path) {
  if (isMinimized()) showNormal();
  if (x() == kParkedLeft) RestoreMessage();
  raise();
  activateWindow();
  if (!path.isEmpty()) FBoard.Project.OnFileFromSecondStart(scOpenFile, path);
}

void TfrmCanvas::RestoreMessage() {
  if (x() != kParkedLeft) return;
  move(0, y());
  show();
}

void TfrmCanvas::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Back from another program that opened a document for the board.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && AwayForImport) {
    AwayForImport = false;
    move(0, y());
  }
}

// New, Open, Save and Save as: on the board's menu and on the keys every
// desktop program uses for them.
void TfrmCanvas::CreateFileActions() {
  auto make = [this](QAction*& action, const char* name, int textKey, QKeySequence::StandardKey key,
                     void (TProjectCommands::*command)()) {
    action = new QAction(Str("Menu", textKey), this);
    action->setObjectName(name);
    action->setShortcut(key);
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, this, [this, command] {
      if (!FBoard.Drawing) (FBoard.Project.*command)();
    });
    addAction(action);
    mnuPopup->addAction(action);
  };
  make(mnuNew, "mnuNew", 800, QKeySequence::New, &TProjectCommands::New);
  make(mnuOpen, "mnuOpen", 801, QKeySequence::Open, &TProjectCommands::Open);
  make(mnuSave, "mnuSave", 802, QKeySequence::Save, &TProjectCommands::Save);
  make(mnuSaveas, "mnuSaveas", 803, QKeySequence::SaveAs, &TProjectCommands::SaveAs);
  // Some desktops give Save as no key; Ctrl+Shift+S is what users expect.
  if (mnuSaveas->shortcut().isEmpty()) mnuSaveas->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  connect(&FBoard, &TBoard::SaveItemsChanged, this, &TfrmCanvas::UpdateSaveItem);
  UpdateSaveItem();
}

// The popup stands in for the menu in use until the tool bars bring their own.
void TfrmCanvas::UpdateSaveItem() {
  const bool docked = State.ToolbarPos == 1 || State.ToolbarPos == 2;
  mnuSave->setEnabled(docked ? FBoard.BoardMenuSaveEnabled() : FBoard.FloatMenuSaveEnabled());
}

// The window manager's close is the close command: a modified presentation
// is asked about first. A close of the program's own goes through at once.
void TfrmCanvas::closeEvent(QCloseEvent* event) {
  if (FBoard.Drawing) FBoard.pbMouseUp(TMouseButton::Left, ssLeft, FBoard.CurPt.x(), FBoard.CurPt.y());
  if (event->spontaneous() && !FCloseAnswered && FShown && FBoard.Model.ProjectState.Modified &&
      !FBoard.Project.AskSaveChanges(false)) {
    event->ignore();
    return;
  }
  FCloseAnswered = false;
  event->accept();
}

// ---- IBoardHost ----

void TfrmCanvas::ShowRect(const QRect& r) {
  const qreal ratio = Ratio();
  const QRect logical = QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio)
                            .toAlignedRect()
                            .intersected(pb->rect());
  if (logical.isEmpty()) return;
  FPending += logical;
  pb->update(logical);
}

void TfrmCanvas::UpdateNow() {
  if (FPending.isEmpty()) return;
  pb->repaint(FPending);
}

void TfrmCanvas::ShowPopupMenu() {
  // The menu's items come with the editing commands; an empty menu is not shown.
  if (!mnuPopup->actions().isEmpty()) mnuPopup->popup(QCursor::pos());
}

void TfrmCanvas::ShowError(const QString& message) {
  QMessageBox::warning(this, windowTitle(), message);
}

TModalResult TfrmCanvas::BoardMessageDlg(const QString& text, TMsgDlgType type, uint32_t buttons) {
  QMessageBox box(this);
  box.setWindowTitle(windowTitle());
  box.setText(text);
  switch (type) {
    case TMsgDlgType::Warning: box.setIcon(QMessageBox::Warning); break;
    case TMsgDlgType::Error: box.setIcon(QMessageBox::Critical); break;
    case TMsgDlgType::Information: box.setIcon(QMessageBox::Information); break;
    case TMsgDlgType::Confirmation: box.setIcon(QMessageBox::Question); break;
  }
  QMessageBox::StandardButtons set;
  if (buttons & mbYes) set |= QMessageBox::Yes;
  if (buttons & mbNo) set |= QMessageBox::No;
  if (buttons & mbOK) set |= QMessageBox::Ok;
  if (buttons & mbCancel) set |= QMessageBox::Cancel;
  box.setStandardButtons(set);
  const int answer = box.exec();
  TakeFocusBack();
  switch (answer) {
    case QMessageBox::Yes: return TModalResult::Yes;
    case QMessageBox::No: return TModalResult::No;
    case QMessageBox::Ok: return TModalResult::Ok;
    default: return TModalResult::Cancel;
  }
}

QString TfrmCanvas::OpenFileDialog(const TFileDialogRequest& request) {
  QFileDialog dialog(this, request.Title, request.Folder, QtFileFilter(request.Filter));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  TakeFocusBack();
  return chosen ? dialog.selectedFiles().first() : QString();
}

QString TfrmCanvas::SaveFileDialog(const TFileDialogRequest& request) {
  // The project folder is made when it is first offered.
  if (!request.Folder.isEmpty()) QDir().mkpath(request.Folder);
  QFileDialog dialog(this, request.Title, request.Folder, QtFileFilter(request.Filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The board asks its own overwrite question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const qsizetype star = request.Filter.lastIndexOf("*.");
  if (star >= 0) dialog.setDefaultSuffix(request.Filter.mid(star + 2));
  dialog.selectFile(request.FileName);
  const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  TakeFocusBack();
  return chosen ? dialog.selectedFiles().first() : QString();
}

// The board takes the keyboard again when a dialog closes, also in sessions
// without a window manager to hand it back.
void TfrmCanvas::TakeFocusBack() {
  activateWindow();
  raise();
}

void TfrmCanvas::BeginWait() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
void TfrmCanvas::EndWait() { QGuiApplication::restoreOverrideCursor(); }

void TfrmCanvas::ShowProgress(const QString& status) {
  if (!frmProgress) frmProgress = new TfrmProgress(this);
  frmProgress->setWindowTitle(Str("Progress", 1100));
  frmProgress->show();
  frmProgress->SetStatus(status);
}

void TfrmCanvas::SetProgress(int position, int maximum) {
  if (frmProgress) frmProgress->SetPosition(position, maximum);
}

void TfrmCanvas::CloseProgress() {
  delete frmProgress;
  frmProgress = nullptr;
}

void TfrmCanvas::SetPaintCursor(TBoardCursor cursor) {
  switch (cursor) {
    case TBoardCursor::Pen: pb->setCursor(FPenCursor); break;
    case TBoardCursor::Cross: pb->setCursor(Qt::CrossCursor); break;
    case TBoardCursor::Hand: pb->setCursor(Qt::PointingHandCursor); break;
    case TBoardCursor::Move: pb->setCursor(Qt::SizeAllCursor); break;
    case TBoardCursor::Arrow: pb->setCursor(Qt::ArrowCursor); break;
  }
}

// ---- paint box ----

void TfrmCanvas::pbPaint(QPainter& painter, const QRect& logicalRect) {
  const qreal r = Ratio();
  const QRectF source(logicalRect.x() * r, logicalRect.y() * r, logicalRect.width() * r,
                      logicalRect.height() * r);
  painter.drawImage(QRectF(logicalRect), FBoard.BackBuffer, source);
  if (FBoard.Pens().LiveLayerActive()) {
    painter.setOpacity(kTransparentAlpha / 255.0);
    painter.drawImage(QRectF(logicalRect), FBoard.Pens().LiveLayer(), source);
    painter.setOpacity(1.0);
  }
  // A figure being dragged: its band over the note, in BackBuffer pixels.
  const TFigureBand& band = FBoard.Figures().Band();
  if (band.Kind != TBandKind::None) {
    painter.save();
    painter.setClipRect(logicalRect, Qt::IntersectClip);
    painter.scale(1 / r, 1 / r);
    DrawFigureBand(painter, band);
    painter.restore();
  }
  // The selection frame and handles, in BackBuffer pixels; hidden while the
  // whole note is being moved.
  if (!FBoard.Selection.Empty() && FBoard.CurTool != tcMoveAll) {
    painter.save();
    painter.setClipRect(logicalRect, Qt::IntersectClip);
    painter.scale(1 / r, 1 / r);
    DrawSelectionOverlay(painter, FBoard.Selection, FBoard.Model, FBoard.BackBuffer.size());
    painter.restore();
  }
  DrawNoteCounter(painter);
  FPending -= logicalRect;
}

// "current/count" at the top right of the paint box, clear of the tool bars.
void TfrmCanvas::DrawNoteCounter(QPainter& painter) {
  TCounterLayout layout;
  layout.FormSize = size();
  layout.ToolbarPos = State.ToolbarPos;
  layout.ZoomFactor = FBoard.ZoomFactor;
  layout.BufferHeight = int(FBoard.BackBuffer.height() / Ratio());
  const QPoint anchor = NoteCounterAnchor(layout);
  QFont font("Tahoma");
  font.setPixelSize(28);
  font.setBold(true);
  painter.save();
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QString text = NoteCounterText(FBoard.CurNote, FBoard.Notes.Count());
  const QRect box(anchor.x() - 400, anchor.y(), 400, QFontMetrics(font).height());
  painter.drawText(box, Qt::AlignRight | Qt::AlignTop, text);
  painter.restore();
}

void TfrmCanvas::pbMouseDown(QMouseEvent* event) {
  // A press of the mouse itself starts no pressure stroke, whatever the
  // tablet left queued.
  if (event->pointingDevice() && event->pointingDevice()->type() == QInputDevice::DeviceType::Mouse)
    FTablet.Clear();
  const QPoint p = BoardPos(event->position());
  FBoard.pbMouseDown(buttonOf(event->button()), shiftOf(event->buttons(), event->modifiers()),
                     p.x(), p.y());
}

void TfrmCanvas::pbMouseMove(QMouseEvent* event) {
  const QPoint p = BoardPos(event->position());
  FBoard.pbMouseMove(shiftOf(event->buttons(), event->modifiers()), p.x(), p.y());
}

void TfrmCanvas::pbMouseUp(QMouseEvent* event) {
  const QPoint p = BoardPos(event->position());
  FBoard.pbMouseUp(buttonOf(event->button()), shiftOf(event->buttons(), event->modifiers()),
                   p.x(), p.y());
}

void TfrmCanvas::pbTablet(QTabletEvent* event) {
  // Packets are queued and the event left unaccepted, so Qt delivers the
  // matching mouse event, which polls them as the pen tools expect.
  if (event->type() == QEvent::TabletRelease)
    FTablet.Clear();
  else
    FTablet.HandleTabletEvent(*event);
  event->ignore();
}

}  // namespace inkora
