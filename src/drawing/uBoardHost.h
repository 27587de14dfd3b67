// What the board engine asks of the window that shows it. The board form
// implements it; tests implement it with recorded calls and scripted answers.
#pragma once

#include <QRect>
#include <QString>

#include <cstdint>

namespace inkora {

enum class TBoardCursor { Arrow, Pen, Cross, Hand, Move };

// Message boxes: the icon and the button set, and the button that closed it.
enum class TMsgDlgType { Warning, Error, Information, Confirmation };
enum TMsgDlgButton : uint32_t { mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3 };
enum class TModalResult { None, Ok, Cancel, Yes, No };

// An open or save dialog: title, starting folder, the filter as
// "Description|*.ext" and, for saving, the proposed file name.
struct TFileDialogRequest {
  QString Title;
  QString Folder;
  QString Filter;
  QString FileName;
};

class IBoardHost {
 public:
  virtual ~IBoardHost() = default;
  // Rectangle r of BackBuffer changed: show it at the same place.
  virtual void ShowRect(const QRect& r) = 0;
  // Paint what is pending now instead of at the next frame.
  virtual void UpdateNow() = 0;
  // Open the board's popup menu at the mouse cursor.
  virtual void ShowPopupMenu() = 0;
  virtual void SetPaintCursor(TBoardCursor cursor) = 0;
  // A failure the user should know about (a picture that cannot be read or
  // written); the board stays as it was.
  virtual void ShowError(const QString& message) = 0;

  // The questions below have safe answers for a host that cannot ask anyone
  // (the command line, benchmarks): every box is cancelled, every dialog too.

  // A modal message box with these buttons; closing it answers Cancel.
  virtual TModalResult BoardMessageDlg(const QString& /*text*/, TMsgDlgType /*type*/, uint32_t /*buttons*/) {
    return TModalResult::Cancel;
  }
  // The chosen file's full path, or empty when the dialog was cancelled.
  virtual QString OpenFileDialog(const TFileDialogRequest& /*request*/) { return {}; }
  virtual QString SaveFileDialog(const TFileDialogRequest& /*request*/) { return {}; }
  // Floating tool windows go behind a dialog and come back after it.
  virtual void LowerToolWindows() {}
  virtual void RaiseToolWindows() {}
  // The hourglass over a long operation.
  virtual void BeginWait() {}
  virtual void EndWait() {}
  // The progress window of a long operation: opened with its status text,
  // moved, and closed. Every call lets the interface repaint.
  virtual void ShowProgress(const QString& /*status*/) {}
  virtual void SetProgress(int /*position*/, int /*maximum*/) {}
  virtual void CloseProgress() {}
};

}  // namespace inkora
