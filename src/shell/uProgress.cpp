#include "shell/uProgress.h"

#include "shell/uLang.h"
#include "shell/uLangForms.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace inkora {

TfrmProgress::TfrmProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("TfrmProgress");
  setWindowTitle("Progress");
  setFixedSize(428, 94);
  setModal(false);
  lblStatus = new QLabel(this);
  lblStatus->setObjectName("lblStatus");
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setTextVisible(false);
  btnCancel = new QPushButton(this);
  btnCancel->setObjectName("btnCancel");
  btnCancel->setVisible(false);
  connect(btnCancel, &QPushButton::clicked, this, [this] {
    Q_EMIT CancelRequested();
    close();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblStatus);
  layout->addWidget(ProgressBar);
  layout->addWidget(btnCancel, 0, Qt::AlignRight);
}

void TfrmProgress::showEvent(QShowEvent* event) {
  ApplyFont(this);
  if (Tag == 1) {
    setWindowTitle(Str("Progress", 1100));
    lblStatus->setText(Str("Progress", 1101));
    btnCancel->setText(Str("Common", 2));
  }
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
  QDialog::showEvent(event);
}

void TfrmProgress::SetStatus(const QString& text) {
  lblStatus->setText(text);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmProgress::SetPosition(int position, int maximum) {
  if (ProgressBar->maximum() != maximum) ProgressBar->setRange(0, maximum);
  ProgressBar->setValue(position);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace inkora
