// The program's command line, run as a real process without a display.
#include "drawing/uBoard.h"
#include "notes/uProject.h"
#include "../drawing/fakes.h"
#include "../support/testFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace inkora {
namespace {

struct TRun {
  int Code = -1;
  QString Out, Err;
};

TRun RunProgram(const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  p.setProcessEnvironment(env);
  p.start(INKORA_PROGRAM, args);
  if (!p.waitForFinished(120000)) return {};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(dir.filePath("base")));
    board.SetBoardSize({320, 240});
    board.FormSize = {320, 240};
    board.Project.Folders = TWorkFolders(dir.filePath("base") + "/");
    QImage logo(16, 16, QImage::Format_RGB32);
    logo.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(logo.save(dir.filePath("logo.png")));
    state.LogoFile = dir.filePath("logo.png");
    state.LogoPos = 9;
    ASSERT_TRUE(board.Project.ResetProject());
    // Note 1: a stroke and a deleted stroke; note 2: one stroke lower down.
    Stroke(20, 1);
    Stroke(60, 1);
    board.Model.Obj(board.Model.ObjCount() - 1)->Deleted = 1;
    ASSERT_TRUE(board.Notes.NewNote(pkPlainNote));
    Stroke(150, 2);
    project = dir.filePath("lesson.ikp");
    ASSERT_TRUE(WriteProject(board, project).Ok);
  }

  void Stroke(int y, int) {
    state.PenWidth = 5;
    board.pbMouseDown(TMouseButton::Left, ssLeft, 40, y);
    board.pbMouseMove(ssLeft, 100, y);
    board.pbMouseUp(TMouseButton::Left, 0, 160, y);
  }

  QTemporaryDir dir;
  TAppState state;
  test::TRecordingHost host;
  TBoard board{state, host};
  QString project;
};

TEST_F(CommandLineTest, ExportWritesEveryNoteWithItsObjectsAndLogo) {
  const QString out = dir.filePath("pictures/new");  // made by the export
  const TRun r = RunProgram({"--export-notes", project, "--format", "png", "--out", out, "--base", "lesson"});
  ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
  EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{"lesson001.png", "lesson002.png"}));
  const QImage one(out + "/lesson001.png"), two(out + "/lesson002.png");
  ASSERT_EQ(one.size(), QSize(320, 240));
  EXPECT_TRUE(test::IsDark(one.pixel(100, 20)));
  EXPECT_EQ(one.pixel(100, 60), qRgb(255, 255, 255));  // deleted
  EXPECT_EQ(one.pixel(100, 150), qRgb(255, 255, 255));
  EXPECT_TRUE(test::IsDark(two.pixel(100, 150)));
  EXPECT_EQ(two.pixel(100, 20), qRgb(255, 255, 255));
  EXPECT_EQ(one.pixel(300, 220), qRgb(255, 0, 0));  // the project's logo, bottom right

  for (const char* format : {"jpg", "bmp"}) {
    const TRun r2 = RunProgram({"--export-notes", project, "--format", format, "--out", dir.filePath(format)});
    ASSERT_EQ(r2.Code, 0) << r2.Err.toStdString();
    const QImage pic(dir.filePath(format) + "/noname002." + format);
    ASSERT_EQ(pic.size(), QSize(320, 240)) << format;
    EXPECT_TRUE(test::IsDark(pic.pixel(100, 150))) << format;
  }
}

TEST_F(CommandLineTest, InfoSummarisesTheProject) {
  const TRun r = RunProgram({"--info", project});
  ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
  QJsonParseError error;
  const QJsonObject o = QJsonDocument::fromJson(r.Out.toUtf8(), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << r.Out.toStdString();
  EXPECT_EQ(o["noteCount"].toInt(), 2);
  EXPECT_EQ(o["deletedObjects"].toInt(), 1);
  EXPECT_EQ(o["objectsByKind"].toObject()["FreePen"].toInt(), 3);
  EXPECT_EQ(o["objects"].toInt(), board.Model.ObjCount());
  EXPECT_EQ(o["samples"].toInteger(), qint64(board.Model.PtList().size()));
  const QJsonArray notes = o["notes"].toArray();
  ASSERT_EQ(notes.size(), 2);
  EXPECT_EQ(notes[0].toObject()["key"].toString(), board.Notes.NoteIndex[0]);
  EXPECT_EQ(notes[0].toObject()["width"].toInt(), 320);
  EXPECT_EQ(notes[0].toObject()["kinds"].toObject()["FreePen"].toInt(), 2);
  EXPECT_EQ(notes[1].toObject()["deleted"].toInt(), 0);
  EXPECT_EQ(o["info"].toObject()["logoFile"].toString(), "logo.png");
  EXPECT_EQ(o["info"].toObject()["noteCount"].toInt(), 2);
}

TEST_F(CommandLineTest, BadFilesAndArgumentsGiveAMessageAndAnExitCode) {
  ASSERT_TRUE(test::WriteAll(dir.filePath("junk.ikp"), "not an archive"));
  struct Case {
    QStringList args;
    int code;
    const char* says;
  };
  const Case cases[] = {
      {{"--info", dir.filePath("missing.ikp")}, 1, "no such file"},
      {{"--info", dir.filePath("junk.ikp")}, 1, "junk.ikp cannot be opened"},
      {{"--export-notes", dir.filePath("junk.ikp"), "--out", dir.filePath("o")}, 1, "junk.ikp cannot be opened"},
      {{"--export-notes", project, "--format", "gif", "--out", dir.filePath("o")}, 2, "png, jpg or bmp"},
      {{"--export-notes", project}, 2, "--out"},
      {{"--export-notes", project, "--out", dir.filePath("o"), "--base", "../up"}, 2, "base name"},
      {{"--info", project, "--export-notes", project}, 2, "either"},
      {{"--bogus", "--info", project}, 2, "bogus"},
  };
  for (const Case& c : cases) {
    const TRun r = RunProgram(c.args);
    EXPECT_EQ(r.Code, c.code) << c.args.join(' ').toStdString();
    EXPECT_TRUE(r.Err.contains(c.says)) << r.Err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("o/noname001.png")));

  const TRun help = RunProgram({"--help"});
  EXPECT_EQ(help.Code, 0);
  for (const char* option : {"--export-notes", "--format", "--out", "--base", "--info"})
    EXPECT_TRUE(help.Out.contains(option)) << option;
}

}  // namespace
}  // namespace inkora
