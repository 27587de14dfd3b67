#include "drawing/uCanvas.h"
#include "drawing/uPaintBox.h"
#include "fakes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <QAction>

#include <gtest/gtest.h>

namespace inkora {
namespace {

void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent ev(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &ev);
}

TEST(CanvasForm, BoardFillsTheScreenAndDrawsWhatThePointerDrags) {
  TAppState state;
  TfrmCanvas form(state);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  EXPECT_EQ(form.Board().BackBuffer.size(), screen * form.PaintBox()->devicePixelRatioF());
  EXPECT_EQ(form.Board().BackBuffer.pixel(10, 10), qRgb(255, 255, 255));
  EXPECT_EQ(form.Board().CurTool, tcFreePen);
  EXPECT_EQ(state.PenWidth, 1);
  EXPECT_EQ(form.Board().CurColor, 0x000000);

  QWidget* pb = form.PaintBox();
  send(pb, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
  for (int x = 110; x <= 300; x += 10) send(pb, QEvent::MouseMove, {x, 100}, Qt::NoButton, Qt::LeftButton);
  send(pb, QEvent::MouseButtonRelease, {300, 100}, Qt::LeftButton, Qt::NoButton);

  // The first show started a presentation: its note's page and change objects, then the stroke.
  ASSERT_EQ(form.Board().Model.ObjCount(), 3);
  EXPECT_EQ(form.Board().Model.Last().Kind, okFreePen);
  EXPECT_EQ(form.Board().Model.SampleCount(2), 22);
  EXPECT_EQ(form.Board().Notes.Count(), 1);
  EXPECT_TRUE(test::IsDark(form.Board().BackBuffer.pixel(200, 100)));

  // What the paint box shows is the stroke.
  const QImage shown = pb->grab().toImage();
  EXPECT_TRUE(test::IsDark(shown.pixel(200, 100)));
  EXPECT_EQ(shown.pixel(200, 130), qRgb(255, 255, 255));

  // Right press: the board menu with the file commands; no stroke.
  send(pb, QEvent::MouseButtonPress, {50, 50}, Qt::RightButton, Qt::RightButton);
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_NE(popup, nullptr);
  QStringList items;
  for (QAction* a : popup->actions()) items << a->objectName();
  EXPECT_EQ(items, (QStringList{"mnuNew", "mnuOpen", "mnuSave", "mnuSaveas"}));
  popup->close();
  EXPECT_EQ(form.Board().Model.ObjCount(), 3);
  form.close();
}

TEST(CanvasForm, LiveTransparentStrokeIsShownOverTheNote) {
  TAppState state;
  state.PenWidth = 5;
  TfrmCanvas form(state);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.Board().TransMode = 1;
  state.PenWidth = 5;
  QWidget* pb = form.PaintBox();
  send(pb, QEvent::MouseButtonPress, {100, 200}, Qt::LeftButton, Qt::LeftButton);
  send(pb, QEvent::MouseMove, {300, 200}, Qt::NoButton, Qt::LeftButton);
  const QImage live = pb->grab().toImage();
  EXPECT_NEAR(qRed(live.pixel(200, 200)), 128, 3);  // half-opaque black over white
  EXPECT_EQ(form.Board().BackBuffer.pixel(200, 200), qRgb(255, 255, 255));
  send(pb, QEvent::MouseButtonRelease, {300, 200}, Qt::LeftButton, Qt::NoButton);
  const QImage done = pb->grab().toImage();
  EXPECT_NEAR(qRed(done.pixel(200, 200)), 128, 3);
}

}  // namespace
}  // namespace inkora

namespace inkora {
namespace {

TEST(CanvasForm, ReadsTheSettingsAtItsFirstShowAndWritesThemWhenDestroyed) {
  const QString folder = QDir::homePath() + "/Documents/Inkora 4";
  ASSERT_TRUE(QDir().mkpath(folder));
  {
    QFile ini(folder + "/Config.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Pen]\nColor=9\nWidth=7\n[Note]\nColor=0\n");
  }
  TAppState state;
  {
    TfrmCanvas form(state);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.Board().CurColor, 0x0000FF);           // red from [Pen] Color
    EXPECT_EQ(state.PenWidth, 1);                         // the pen starts 1 wide
    EXPECT_EQ(form.Board().BackBuffer.pixel(5, 5), qRgb(0, 0, 0));  // plain notes in black
    EXPECT_TRUE(form.Board().WorkFolder.endsWith("$tmp_Inkora4/"));
    EXPECT_TRUE(QFileInfo(form.Board().WorkFolder).isDir());
    state.ColorIndex = 12;
    form.Board().SetColorIndex(12);
    form.close();
  }
  QFile ini(folder + "/Config.ini");
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(ini.readAll());
  EXPECT_TRUE(text.contains("Color=12")) << text.toStdString();
  // Later boards in this run start from the defaults again.
  QDir(folder).removeRecursively();
}

}  // namespace
}  // namespace inkora
