// The progress window of long operations (saving and opening projects, and
// later importing documents and updating the program): a status text and a
// bar, centred on the screen, shown without waiting for it.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace inkora {

class TfrmProgress final : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmProgress(QWidget* parent = nullptr);

  // Tag 1: the program update, which shows its own texts and a Cancel button.
  int Tag = 0;

  void SetStatus(const QString& text);
  // Moves the bar and lets the interface repaint.
  void SetPosition(int position, int maximum);

  QLabel* lblStatus = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QPushButton* btnCancel = nullptr;

 Q_SIGNALS:
  void CancelRequested();

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace inkora
