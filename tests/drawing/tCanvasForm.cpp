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
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "shell/uWorkFolders.h"

#include <deque>

#include <gtest/gtest.h>

namespace inkora {
namespace {

void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent ev(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &ev);
}

// Answers the message boxes the board opens, in order, and keeps their texts.
class TBoxAnswers : public QObject {
 public:
  explicit TBoxAnswers(std::deque<QMessageBox::StandardButton> answers) : Answers(std::move(answers)) {
    connect(&Poll, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      Texts << box->text();
      const QMessageBox::StandardButton answer = Answers.empty() ? QMessageBox::Ok : Answers.front();
      if (!Answers.empty()) Answers.pop_front();
      if (QAbstractButton* b = box->button(answer)) b->click();
    });
    Poll.start(20);
  }
  std::deque<QMessageBox::StandardButton> Answers;
  QStringList Texts;
  QTimer Poll;
};

// Counts the splash windows shown.
struct TSplashWatch : QObject {
  int Shown = 0;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show && o->objectName() == "TfrmSplash") ++Shown;
    return false;
  }
};

bool splashVisible() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "TfrmSplash" && w->isVisible()) return true;
  return false;
}

void stroke(TfrmCanvas& form) {
  QWidget* pb = form.PaintBox();
  send(pb, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
  send(pb, QEvent::MouseMove, {200, 100}, Qt::NoButton, Qt::LeftButton);
  send(pb, QEvent::MouseButtonRelease, {200, 100}, Qt::LeftButton, Qt::NoButton);
}

TEST(CanvasStartup, TheSplashShowsWhileStartingAndGoes) {
  TSplashWatch watch;
  qApp->installEventFilter(&watch);
  TAppState state;
  TfrmCanvas form(state);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  qApp->removeEventFilter(&watch);
  EXPECT_EQ(watch.Shown, 1);
  EXPECT_FALSE(splashVisible());
  EXPECT_EQ(form.Board().Notes.Count(), 1);
  form.close();
}

TEST(CanvasStartup, AFailedStepStillEndsTheStartUp) {
  // The private base is taken by a file: no work area can be made.
  const QString base = QDir::tempPath() + "/" + PrivateBaseName();
  QDir(base).removeRecursively();
  ASSERT_TRUE(QFile(base).open(QIODevice::WriteOnly));
  {
    TBoxAnswers boxes({});
    TAppState state;
    TfrmCanvas form(state);
    form.StartupArguments = {base + "/lesson.ikp"};
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // The command-line file is still tried after the failed step.
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.Texts.size() >= 2; }, 10000)) << boxes.Texts.join('|').toStdString();
    EXPECT_TRUE(boxes.Texts[0].startsWith("Cannot Create Work Area!"));
    EXPECT_TRUE(boxes.Texts[1].contains("work area")) << boxes.Texts[1].toStdString();
    EXPECT_FALSE(splashVisible());
    EXPECT_TRUE(form.isVisible());
    form.close();
  }
  QFile::remove(base);
}

TEST(CanvasStartup, CloseAsksOnlyAboutAModifiedPresentation) {
  TAppState state;
  {
    TBoxAnswers boxes({});
    TfrmCanvas form(state);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.mnuCloseClick();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(boxes.Texts.isEmpty());
  }
  TBoxAnswers boxes({QMessageBox::Cancel, QMessageBox::No});
  TfrmCanvas form(state);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  stroke(form);
  form.mnuCloseClick();
  EXPECT_TRUE(form.isVisible());
  form.mnuCloseClick();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(boxes.Texts, QStringList(2, "Do you want to save current presentation?"));
}

TEST(CanvasStartup, ABoardAwayOrParkedComesBack) {
  TAppState state;
  TfrmCanvas form(state);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  // Back from the program that opened a document: at the left edge again.
  form.AwayForImport = true;
  form.move(-900, 0);
  QApplication::setActiveWindow(nullptr);
  QApplication::setActiveWindow(&form);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.AwayForImport; }, 5000));
  EXPECT_EQ(form.x(), 0);
  // The restore message only brings back a board parked at -20000.
  form.move(-500, 0);
  form.RestoreMessage();
  EXPECT_EQ(form.x(), -500);
  form.move(TfrmCanvas::kParkedLeft, 0);
  form.RestoreMessage();
  EXPECT_EQ(form.x(), 0);
  form.close();
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
