#include "shell/uSplash.h"

#include "shell/uSysHelpers.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace inkora {

namespace {
constexpr QSize kSplashSize(554, 270);
}

QImage SplashPicture(const QString& version) {
  QImage pic(kSplashSize, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&pic);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  // A dark green board with a light frame, like the one on the classroom wall.
  QLinearGradient board(0, 0, 0, kSplashSize.height());
  board.setColorAt(0, QColor(0x2E, 0x5E, 0x4A));
  board.setColorAt(1, QColor(0x1B, 0x3D, 0x30));
  p.fillRect(pic.rect(), board);
  p.setPen(QPen(QColor(0xC8, 0x9B, 0x5A), 8));
  p.drawRect(QRectF(4, 4, kSplashSize.width() - 8, kSplashSize.height() - 8));

  // A stroke of chalk under the name.
  QPainterPath swash;
  swash.moveTo(70, 178);
  swash.cubicTo(180, 150, 330, 205, 480, 160);
  p.setPen(QPen(QColor(0xF5, 0xE0, 0x6E), 7, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(swash);

  QFont title("Tahoma");
  title.setPixelSize(76);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(0xF4, 0xF4, 0xEE));
  p.drawText(QRect(0, 40, kSplashSize.width(), 110), Qt::AlignCenter, "Inkora 4");

  QFont small("Tahoma");
  small.setPixelSize(16);
  p.setFont(small);
  p.setPen(QColor(0xD8, 0xE4, 0xDC));
  p.drawText(QRect(0, 196, kSplashSize.width(), 26), Qt::AlignCenter, "The classroom whiteboard");
  p.drawText(QRect(0, 226, kSplashSize.width() - 24, 24), Qt::AlignRight | Qt::AlignVCenter, version);
  return pic;
}

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FPicture(SplashPicture(GetFileVersion())) {
  setObjectName("TfrmSplash");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kSplashSize);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - QPoint(kSplashSize.width() / 2, kSplashSize.height() / 2));
}

void TfrmSplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(rect(), FPicture);
}

}  // namespace inkora
