#include "drawing/uBoard.h"
#include "notes/uArchive.h"
#include "notes/uDrawStorage.h"
#include "notes/uProject.h"
#include "notes/uProjectInfo.h"
#include "../drawing/fakes.h"
#include "../support/testFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace inkora {
namespace {

// Rewrites the object stream in folder with its last object changed.
void EditLastObject(const QString& folder, const std::function<void(TDrawObj&)>& edit) {
  TDrawStorage in;
  ASSERT_TRUE(in.LoadFromFile(folder + "MainEvt.evt"));
  std::vector<TDrawObj> objs = in.Objects();
  edit(objs.back());
  TDrawStorage out;
  for (const TDrawObj& o : objs) out.Add(o);
  ASSERT_TRUE(out.SaveToFile(folder + "MainEvt.evt"));
}

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"base/$tmp_Inkora4", "base/$tmp_CacheNote", "out", "peek"})
      ASSERT_TRUE(QDir(dir.path()).mkpath(sub));
    board.SetBoardSize({400, 300});
    board.WorkFolder = dir.filePath("base/$tmp_Inkora4") + "/";
    board.Notes.CacheFolder = dir.filePath("base/$tmp_CacheNote") + "/";
    board.Notes.StartEmptyPresentation();
  }

  void Stroke(QPoint from, QPoint to) {
    board.CurTool = tcFreePen;
    state.PenWidth = 5;
    board.pbMouseDown(TMouseButton::Left, ssLeft, from.x(), from.y());
    board.pbMouseMove(ssLeft, (from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
    board.pbMouseUp(TMouseButton::Left, 0, to.x(), to.y());
  }

  // The members of an archive, unpacked for a look.
  QString Peek(const QString& archive) {
    QDir(dir.filePath("peek")).removeRecursively();
    QDir().mkpath(dir.filePath("peek"));
    EXPECT_TRUE(UnzipToFolder(archive, dir.filePath("peek")).Ok);
    return dir.filePath("peek") + "/";
  }

  QTemporaryDir dir;
  TAppState state;
  test::TRecordingHost host;
  TBoard board{state, host};
};

TEST_F(ProjectTest, OneEmptyPlainNoteWritesTheFixedMembers) {
  const QString file = dir.filePath("out/empty.ikp");
  board.SetModified(true);
  ASSERT_TRUE(WriteProject(board, file).Ok);
  EXPECT_FALSE(board.Model.ProjectState.Modified);
  const QString m = Peek(file);
  EXPECT_EQ(QFileInfo(m + "MainEvt.evt").size(), 1446);
  EXPECT_EQ(QFileInfo(m + "Pts.evt").size(), 0);
  EXPECT_EQ(QFileInfo(m + "IKP.dat").size(), 1360);
  for (const char* name : {"RecPts.evt", "RecDetail.evt", "RecHeader.evt"}) EXPECT_EQ(QFileInfo(m + name).size(), 0);
  const QByteArray index = test::ReadAll(m + "Notes.inx");
  EXPECT_TRUE(QRegularExpression("^d_\\d{17}\\.bmp\\r\\n$").match(QString::fromLatin1(index)).hasMatch()) << index.toStdString();
  EXPECT_TRUE(QFileInfo(m + board.Notes.NoteIndex[0]).isFile());
  EXPECT_EQ(board.ProjectInfo.NoteCount(), 1);
}

TEST_F(ProjectTest, APresentationRoundTripsThroughItsFile) {
  Stroke({40, 40}, {160, 120});
  const int deleted = board.Model.ObjCount();
  Stroke({200, 200}, {300, 250});
  board.Model.Obj(deleted)->Deleted = 1;
  board.Model.Obj(deleted)->TargetId = 77;
  ASSERT_TRUE(board.Notes.NewNote(pkPlainNote));
  Stroke({50, 250}, {350, 260});
  const std::vector<TDrawObj> before = board.Model.ObjList();
  const QStringList keys = board.Notes.NoteIndex;
  const size_t samples = board.Model.PtList().size();
  const QString file = dir.filePath("out/lesson.ikp");
  ASSERT_TRUE(WriteProject(board, file).Ok);

  board.Notes.StartEmptyPresentation();  // a different presentation is open
  const TArchiveResult read = ReadProject(board, file);
  ASSERT_TRUE(read.Ok) << read.Message.toStdString();
  EXPECT_EQ(board.Notes.NoteIndex, keys);
  ASSERT_EQ(board.Model.ObjList().size(), before.size());
  EXPECT_EQ(board.Model.PtList().size(), samples);
  for (size_t i = 0; i < before.size(); ++i) {
    const TDrawObj& a = before[i];
    const TDrawObj& b = board.Model.ObjList()[i];
    EXPECT_EQ(b.Kind, a.Kind);
    EXPECT_EQ(b.NoteNo, a.NoteNo);
    EXPECT_EQ(b.P1, a.P1);
    EXPECT_EQ(b.Bounds, a.Bounds);
    EXPECT_EQ(b.NoteKey, a.NoteKey);
    EXPECT_EQ(b.Deleted, a.Deleted);
    EXPECT_EQ(b.TargetId, a.TargetId);
    EXPECT_EQ(b.PlainNote, 0);
  }
  EXPECT_EQ(board.CurNote, 1);
  EXPECT_TRUE(board.Model.ProjectState.HasFile);
  EXPECT_EQ(board.Model.ProjectState.ProjectPath, file);
  EXPECT_FALSE(board.Model.ProjectState.Modified);
  // Note 1 shows its live stroke, not the deleted one.
  EXPECT_TRUE(test::IsDark(board.BackBuffer.pixel(100, 80)));
  EXPECT_EQ(board.BackBuffer.pixel(250, 225), qRgb(255, 255, 255));
  board.Notes.NextNote();
  EXPECT_TRUE(test::IsDark(board.BackBuffer.pixel(200, 255)));
}

TEST_F(ProjectTest, AnOpenedProjectSavesAgainByteForByte) {
  Stroke({40, 40}, {160, 120});
  ASSERT_TRUE(board.Notes.NewNote(pkPlainNote));
  Stroke({50, 250}, {350, 260});
  const QString first = dir.filePath("out/first.ikp"), second = dir.filePath("out/second.ikp");
  ASSERT_TRUE(WriteProject(board, first).Ok);
  ASSERT_TRUE(ReadProject(board, first).Ok);
  ASSERT_TRUE(WriteProject(board, second).Ok);

  QTemporaryDir a, b;
  ASSERT_TRUE(UnzipToFolder(first, a.path()).Ok);
  ASSERT_TRUE(UnzipToFolder(second, b.path()).Ok);
  const QStringList members = QDir(a.path()).entryList(QDir::Files);
  EXPECT_EQ(QDir(b.path()).entryList(QDir::Files), members);
  for (const QString& m : members) {
    QByteArray x = test::ReadAll(a.filePath(m)), y = test::ReadAll(b.filePath(m));
    if (m == "IKP.dat") {  // only the time of the last save differs
      x.replace(ProjectInfoRecord::LastSaveTime, 8, QByteArray(8, '\0'));
      y.replace(ProjectInfoRecord::LastSaveTime, 8, QByteArray(8, '\0'));
    }
    EXPECT_TRUE(x == y) << m.toStdString();
  }
}

TEST_F(ProjectTest, AProjectFromALargerScreenKeepsItsNoteSize) {
  TAppState bigState;
  test::TRecordingHost bigHost;
  TBoard big{bigState, bigHost};
  big.SetBoardSize({800, 600});
  big.FormSize = {800, 600};
  ASSERT_TRUE(QDir(dir.path()).mkpath("big/$tmp_Inkora4"));
  ASSERT_TRUE(QDir(dir.path()).mkpath("big/$tmp_CacheNote"));
  big.WorkFolder = dir.filePath("big/$tmp_Inkora4") + "/";
  big.Notes.CacheFolder = dir.filePath("big/$tmp_CacheNote") + "/";
  big.Notes.StartEmptyPresentation();
  bigState.PenWidth = 6;
  big.pbMouseDown(TMouseButton::Left, ssLeft, 600, 450);
  big.pbMouseMove(ssLeft, 650, 450);
  big.pbMouseUp(TMouseButton::Left, 0, 700, 450);
  const QString file = dir.filePath("out/big.ikp");
  ASSERT_TRUE(WriteProject(big, file).Ok);

  ASSERT_TRUE(ReadProject(board, file).Ok);  // this board is 400 x 300
  EXPECT_EQ(board.BackBuffer.size(), QSize(800, 600));
  EXPECT_TRUE(test::IsDark(board.BackBuffer.pixel(650, 450)));
  EXPECT_FALSE(test::IsDark(board.BackBuffer.pixel(325, 225)));  // not shrunk to this board
}

TEST_F(ProjectTest, AConfiguredLogoThatIsMissingKeepsItsNameOnly) {
  state.LogoFile = dir.filePath("gone/logo.png");
  const QString file = dir.filePath("out/logo.ikp");
  ASSERT_TRUE(WriteProject(board, file).Ok);
  const QString m = Peek(file);
  EXPECT_FALSE(QFileInfo::exists(m + "logo.png"));
  EXPECT_EQ(board.ProjectInfo.LogoFile(), "logo.png");
}

TEST_F(ProjectTest, DamagedProjectsAreRefusedAndThePresentationStays) {
  Stroke({40, 40}, {160, 120});
  const QString good = dir.filePath("out/good.ikp");
  ASSERT_TRUE(WriteProject(board, good).Ok);
  const QString m = Peek(good);

  // Variants of the good project, each broken one way.
  struct Case {
    const char* name;
    std::function<void(const QString& folder)> breakIt;
  };
  const Case cases[] = {
      {"no note index", [](const QString& f) { QFile::remove(f + "Notes.inx"); }},
      {"no information record", [](const QString& f) { QFile::remove(f + "IKP.dat"); }},
      {"note number 999", [](const QString& f) { EditLastObject(f, [](TDrawObj& o) { o.NoteNo = 999; }); }},
      {"board width 0", [](const QString& f) { EditLastObject(f, [](TDrawObj& o) { o.BoardWidth = 0; }); }},
      {"note picture missing",
       [](const QString& f) {
         for (const QString& name : QDir(f).entryList({"d_*.bmp"}, QDir::Files)) QFile::remove(f + name);
       }},
  };

  ASSERT_TRUE(board.Notes.NewNote(pkPlainNote));
  const int objects = board.Model.ObjCount();
  const QStringList keys = board.Notes.NoteIndex;
  const QString workFile = board.WorkFolder + keys[1];
  for (const Case& c : cases) {
    const QString folder = dir.filePath(QString("case_") + c.name) + "/";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& name : QDir(m).entryList(QDir::Files)) QFile::copy(m + name, folder + name);
    c.breakIt(folder);
    const QString broken = dir.filePath(QString("out/") + c.name + ".ikp");
    ASSERT_TRUE(ZipFolder(folder, broken).Ok);

    const TArchiveResult read = ReadProject(board, broken);
    EXPECT_FALSE(read.Ok) << c.name;
    EXPECT_FALSE(read.Message.isEmpty()) << c.name;
    EXPECT_EQ(board.Model.ObjCount(), objects) << c.name;
    EXPECT_EQ(board.Notes.NoteIndex, keys) << c.name;
    EXPECT_TRUE(QFileInfo(workFile).isFile()) << c.name;
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("base/$tmp_Opening"))) << c.name;
  }
  // A file that is no archive at all.
  ASSERT_TRUE(test::WriteAll(dir.filePath("out/text.ikp"), "not a zip"));
  EXPECT_FALSE(ReadProject(board, dir.filePath("out/text.ikp")).Ok);
  EXPECT_EQ(board.Model.ObjCount(), objects);
}

}  // namespace
}  // namespace inkora
