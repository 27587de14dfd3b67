// Stand-ins for the window, the screen and the tablet, for board tests.
#pragma once

#include "drawing/uAutoColor.h"
#include "drawing/uBoardHost.h"
#include "drawing/uTabletPackets.h"

#include <QImage>

#include <deque>
#include <utility>
#include <vector>

namespace inkora::test {

struct TRecordingHost final : IBoardHost {
  std::vector<QRect> Shown;
  int UpdateNowCalls = 0;
  int PopupCalls = 0;
  TBoardCursor Cursor = TBoardCursor::Arrow;
  int CursorCalls = 0;

  void ShowRect(const QRect& r) override { Shown.push_back(r); }
  void UpdateNow() override { ++UpdateNowCalls; }
  void ShowPopupMenu() override { ++PopupCalls; }
  std::vector<QString> Errors;
  void ShowError(const QString& message) override { Errors.push_back(message); }
  void SetPaintCursor(TBoardCursor c) override {
    Cursor = c;
    ++CursorCalls;
  }

  // Scripted answers, taken in order; an empty script answers Cancel.
  std::deque<TModalResult> Answers;
  std::deque<QString> FileChoices;  // "" cancels the dialog
  std::vector<QString> Questions;   // texts of the message boxes asked
  std::vector<uint32_t> QuestionButtons;
  std::vector<TFileDialogRequest> OpenDialogs, SaveDialogs;
  int Lowered = 0, Raised = 0, Waits = 0, WaitEnds = 0;
  std::vector<QString> ProgressTexts;
  std::vector<std::pair<int, int>> ProgressSteps;  // (position, maximum)
  int ProgressClosed = 0;

  TModalResult BoardMessageDlg(const QString& text, TMsgDlgType, uint32_t buttons) override {
    Questions.push_back(text);
    QuestionButtons.push_back(buttons);
    if (Answers.empty()) return TModalResult::Cancel;
    const TModalResult a = Answers.front();
    Answers.pop_front();
    return a;
  }
  QString NextChoice() {
    if (FileChoices.empty()) return {};
    const QString c = FileChoices.front();
    FileChoices.pop_front();
    return c;
  }
  QString OpenFileDialog(const TFileDialogRequest& request) override {
    OpenDialogs.push_back(request);
    return NextChoice();
  }
  QString SaveFileDialog(const TFileDialogRequest& request) override {
    SaveDialogs.push_back(request);
    return NextChoice();
  }
  void LowerToolWindows() override { ++Lowered; }
  void RaiseToolWindows() override { ++Raised; }
  void BeginWait() override { ++Waits; }
  void EndWait() override { ++WaitEnds; }
  void ShowProgress(const QString& status) override { ProgressTexts.push_back(status); }
  void SetProgress(int position, int maximum) override { ProgressSteps.emplace_back(position, maximum); }
  void CloseProgress() override { ++ProgressClosed; }
};

// A display made of one picture.
struct TFakeScreen final : IScreenPixels {
  QImage Pixels;
  explicit TFakeScreen(QImage img) : Pixels(std::move(img)) {}
  QRect DisplayRect() const override { return Pixels.rect(); }
  QImage Grab(const QRect& r) override { return Pixels.copy(r); }
};

// Packets handed out as the tablet driver queues them.
struct TFakeTablet final : ITabletPackets {
  std::deque<uint32_t> Queue;
  int PollPackets(TTabletPacket* buffer, int max) override {
    int n = 0;
    while (n < max && !Queue.empty()) {
      buffer[n++].Pressure = Queue.front();
      Queue.pop_front();
    }
    return n;
  }
  uint32_t MaxPressure() const override { return 1024; }
};

inline bool IsDark(QRgb c) { return qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128; }

// Bounding box of the pixels that differ from white.
inline QRect InkBox(const QImage& img) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) box |= QRect(x, y, 1, 1);
  return box;
}

}  // namespace inkora::test
