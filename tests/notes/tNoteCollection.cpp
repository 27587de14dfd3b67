#include "drawing/uBoard.h"
#include "notes/uNoteCollection.h"
#include "../drawing/fakes.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace inkora {
namespace {

class NotesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(dir.path()).mkpath("work"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("cache"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("paper"));
    // Paper pictures in a lossless format under their .gif names: read by content.
    const std::pair<const char*, QColor> papers[] = {
        {"BlackBoard.gif", QColor(20, 70, 40)}, {"MusicNote.gif", QColor(250, 250, 240)},
        {"EnglishNote.gif", QColor(240, 240, 255)}, {"ManuScript_j.gif", QColor(255, 230, 230)},
        {"ManuScript_k.gif", QColor(230, 255, 230)}, {"GraphNote.gif", QColor(220, 235, 255)}};
    for (const auto& [name, color] : papers) {
      QImage img(64, 36, QImage::Format_RGB32);
      img.fill(color);
      ASSERT_TRUE(img.save(dir.filePath(QString("paper/") + name), "PNG"));
    }
    board.SetBoardSize({400, 300});
    board.WorkFolder = dir.filePath("work") + "/";
    notes.CacheFolder = dir.filePath("cache") + "/";
    notes.PaperFolder = dir.filePath("paper");
    notes.StartEmptyPresentation();
  }

  // Draws a stroke on the current note, so it owns an object.
  int Scribble() {
    board.CurTool = tcFreePen;
    state.PenWidth = 5;
    board.pbMouseDown(TMouseButton::Left, ssLeft, 50, 50);
    board.pbMouseMove(ssLeft, 150, 90);
    board.pbMouseUp(TMouseButton::Left, 0, 150, 90);
    return board.Model.ObjCount() - 1;
  }

  int EventCount(uint8_t kind) const {
    return int(std::count_if(board.Model.ObjList().begin(), board.Model.ObjList().end(),
                             [&](const TDrawObj& o) { return o.Kind == kind; }));
  }

  QTemporaryDir dir;
  TAppState state;
  test::TRecordingHost host;
  TBoard board{state, host};
  TNoteCollection& notes = board.Notes;
};

TEST_F(NotesTest, ANewPresentationHasOnePlainNote) {
  ASSERT_EQ(notes.Count(), 1);
  EXPECT_EQ(board.CurNote, 1);
  const QString key = notes.NoteIndex[0];
  EXPECT_TRUE(QRegularExpression("^d_\\d{17}\\.bmp$").match(key).hasMatch()) << key.toStdString();
  EXPECT_EQ(board.CurNoteKey, key);
  EXPECT_TRUE(QFileInfo::exists(board.WorkFolder + key));
  EXPECT_TRUE(notes.CacheIndex.isEmpty());
  ASSERT_EQ(board.Model.ObjCount(), 2);
  EXPECT_EQ(board.Model.ObjList()[0].Kind, okNoteBackground);
  EXPECT_EQ(board.Model.ObjList()[1].Kind, okNoteChange);
  for (const TDrawObj& o : board.Model.ObjList()) {
    EXPECT_EQ(o.NoteNo, 1);
    EXPECT_EQ(o.PlainNote, 1);
    EXPECT_EQ(o.NoteKey, key);
    EXPECT_EQ(o.BoardWidth, 400);
  }
  EXPECT_TRUE(notes.CanMoveAll());
  EXPECT_EQ(board.BackBuffer.pixel(10, 10), qRgb(255, 255, 255));
}

TEST_F(NotesTest, PaperKindsDrawTheirPictureAndNameTheirKey) {
  struct Case {
    int kind;
    QRgb pixel;
    bool dPrefix;
  };
  const Case cases[] = {{pkBlackboard, qRgb(20, 70, 40), true},      {pkMusicNote, qRgb(250, 250, 240), false},
                        {pkEnglishNote, qRgb(240, 240, 255), false}, {pkManuscript, qRgb(230, 255, 230), false},
                        {pkGraphNote, qRgb(220, 235, 255), false}};
  for (const Case& c : cases) {
    ASSERT_TRUE(notes.NewNote(c.kind)) << c.kind;
    EXPECT_EQ(board.BackBuffer.pixel(200, 150), c.pixel) << c.kind;
    EXPECT_EQ(board.CurNoteKey.startsWith("d_"), c.dPrefix) << c.kind;
    EXPECT_EQ(notes.CanMoveAll(), c.dPrefix) << c.kind;
    EXPECT_EQ(board.Model.Last().PlainNote, 0);
  }
  notes.LangId = 1041;  // Japanese systems get the Japanese grid
  ASSERT_TRUE(notes.NewNote(pkManuscript));
  EXPECT_EQ(board.BackBuffer.pixel(200, 150), qRgb(255, 230, 230));
  EXPECT_EQ(notes.Count(), 7);
  EXPECT_EQ(board.CurNote, 7);

  QFile::remove(dir.filePath("paper/GraphNote.gif"));
  EXPECT_FALSE(notes.NewNote(pkGraphNote));  // reported, nothing changed
  EXPECT_EQ(notes.Count(), 7);
  EXPECT_FALSE(host.Errors.empty());
}

TEST_F(NotesTest, ANoteInsertedInTheMiddleRenumbersTheLaterNotes) {
  for (int i = 0; i < 4; ++i) notes.NewNote(pkPlainNote);  // five notes, the last shown
  const int onFour = (notes.PrevNote(), Scribble());      // note 4
  notes.NextNote();
  const int onFive = Scribble();
  notes.PrevNote();
  notes.PrevNote();
  ASSERT_EQ(board.CurNote, 3);

  ASSERT_TRUE(notes.NewNote(pkPlainNote));
  EXPECT_EQ(board.CurNote, 4);
  EXPECT_EQ(notes.Count(), 6);
  EXPECT_EQ(board.Model.ObjList()[onFour].NoteNo, 5);
  EXPECT_EQ(board.Model.ObjList()[onFive].NoteNo, 6);
  EXPECT_TRUE(board.CurNoteKey.startsWith("d_"));
  EXPECT_EQ(notes.CacheIndex[3], notes.NoteIndex[3]);  // its cache picture is named by its key
  EXPECT_TRUE(QFileInfo::exists(notes.CacheFolder + notes.NoteIndex[3]));
}

TEST_F(NotesTest, AnAppendedNoteGetsItsCachePictureWhenFirstLeft) {
  ASSERT_TRUE(notes.NewNote(pkPlainNote));
  EXPECT_EQ(notes.CacheIndex.size(), 1);  // note 1's, stored when it was left
  notes.PrevNote();
  ASSERT_EQ(notes.CacheIndex.size(), 2);
  EXPECT_FALSE(notes.CacheIndex[1].startsWith("d_"));
  EXPECT_TRUE(QFileInfo::exists(notes.CacheFolder + notes.CacheIndex[1]));
}

TEST_F(NotesTest, TurningShowsEachNoteAsItWasLeftAndStopsAtTheEnds) {
  Scribble();
  ASSERT_TRUE(notes.NewNote(pkBlackboard));
  const int changes = EventCount(okNoteChange);
  notes.NextNote();  // already on the last note
  EXPECT_EQ(board.CurNote, 2);
  EXPECT_EQ(EventCount(okNoteChange), changes);

  notes.PrevNote();
  EXPECT_EQ(board.CurNote, 1);
  EXPECT_TRUE(test::IsDark(board.BackBuffer.pixel(150, 90)));  // the stroke is back
  EXPECT_EQ(board.Model.Last().Kind, okNoteChange);
  EXPECT_EQ(board.Model.Last().NoteNo, 1);
  const int afterPrev = EventCount(okNoteChange);
  notes.PrevNote();  // already on note 1
  EXPECT_EQ(EventCount(okNoteChange), afterPrev);

  notes.NextNote();
  EXPECT_EQ(board.BackBuffer.pixel(200, 150), qRgb(20, 70, 40));
  EXPECT_EQ(board.CurNoteKey, notes.NoteIndex[1]);
}

TEST_F(NotesTest, LeavingAZoomedNoteStoresItAtActualSize) {
  ASSERT_TRUE(notes.NewNote(pkPlainNote));
  board.ZoomFactor = 2.0f;
  board.SetBoardSize({800, 600});
  notes.PrevNote();
  EXPECT_EQ(board.ZoomFactor, 1.0f);
  const QImage stored(notes.CacheFolder + notes.CacheIndex[1]);
  EXPECT_EQ(stored.size(), QSize(400, 300));
  EXPECT_EQ(board.BackBuffer.size(), QSize(400, 300));
}

TEST_F(NotesTest, ANewBackgroundReplacesTheKeyAndEndsMoveAll) {
  const int stroke = Scribble();
  QImage pic(200, 100, QImage::Format_RGB32);
  pic.fill(Qt::red);
  ASSERT_TRUE(pic.save(dir.filePath("photo.jpg"), "PNG"));
  const QString oldKey = board.CurNoteKey;

  notes.SetNoteBackground(dir.filePath("photo.jpg"));
  const QString key = notes.NoteIndex[0];
  EXPECT_NE(key, oldKey);
  EXPECT_FALSE(key.startsWith("d"));
  EXPECT_FALSE(QFileInfo::exists(board.WorkFolder + oldKey));
  EXPECT_TRUE(QFileInfo::exists(board.WorkFolder + key));
  EXPECT_EQ(board.Model.ObjList()[0].NoteKey, key);
  EXPECT_FALSE(notes.CanMoveAll());
  // Smaller than the note: centred at its own size on white; the stroke on top.
  EXPECT_EQ(board.BackBuffer.pixel(250, 120), qRgb(255, 0, 0));
  EXPECT_EQ(board.BackBuffer.pixel(200, 250), qRgb(255, 255, 255));
  EXPECT_EQ(board.BackBuffer.pixel(50, 150), qRgb(255, 255, 255));
  EXPECT_TRUE(test::IsDark(board.BackBuffer.pixel(150, 90)));
  EXPECT_EQ(board.Model.ObjList()[stroke].NoteNo, 1);

  notes.SetNoteBackground(dir.filePath("missing.png"));  // reported, nothing changed
  EXPECT_EQ(notes.NoteIndex[0], key);
  EXPECT_FALSE(host.Errors.empty());
}

TEST_F(NotesTest, RebuildRendersEveryNoteFromItsBackgroundAndObjects) {
  Scribble();
  ASSERT_TRUE(notes.NewNote(pkBlackboard));
  notes.PrevNote();
  notes.RebuildNoteCaches();
  EXPECT_EQ(notes.CacheIndex, notes.NoteIndex);
  const QImage first(notes.CacheFolder + notes.NoteIndex[0]);
  const QImage second(notes.CacheFolder + notes.NoteIndex[1]);
  EXPECT_TRUE(test::IsDark(first.pixel(150, 90)));
  EXPECT_EQ(second.pixel(150, 90), qRgb(20, 70, 40));
  EXPECT_EQ(QDir(notes.CacheFolder).entryList(QDir::Files).size(), 2);
}

TEST(StampName, IsSeventeenDigitsOfLocalTime) {
  EXPECT_EQ(StampName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89))), "20260304050607089");
  EXPECT_EQ(PaperFileName(pkManuscript, 1041), "ManuScript_j.gif");
  EXPECT_EQ(PaperFileName(pkManuscript, 1042), "ManuScript_k.gif");
  EXPECT_EQ(PaperFileName(pkPlainNote, 1033), "");
}

}  // namespace
}  // namespace inkora
