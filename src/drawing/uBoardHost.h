// What the board engine asks of the window that shows it. The board form
// implements it; tests implement it with recorded calls.
#pragma once

#include <QRect>
#include <QString>

namespace inkora {

enum class TBoardCursor { Arrow, Pen, Cross, Hand, Move };

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
};

}  // namespace inkora
