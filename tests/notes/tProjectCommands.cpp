#include "drawing/uBoard.h"
#include "notes/uProject.h"
#include "notes/uProjectCommands.h"
#include "../drawing/fakes.h"
#include "../support/testFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace inkora {
namespace {

using R = TModalResult;

class ProjectCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(dir.path()).mkpath("docs"));
    state.DocFolder = dir.filePath("docs");
    board.SetBoardSize({320, 240});
    board.FormSize = {320, 240};
    board.Project.Folders = TWorkFolders(dir.filePath("base") + "/");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("base")));
    ASSERT_TRUE(board.Project.ResetProject());
  }

  void Stroke() {
    board.pbMouseDown(TMouseButton::Left, ssLeft, 40, 40);
    board.pbMouseMove(ssLeft, 80, 60);
    board.pbMouseUp(TMouseButton::Left, 0, 120, 80);
  }

  // A saved project with one stroke; the board then holds a fresh presentation.
  QString SavedProject(const QString& name) {
    Stroke();
    const QString file = dir.filePath("docs/" + name);
    EXPECT_TRUE(WriteProject(board, file).Ok);
    EXPECT_TRUE(board.Project.ResetProject());
    return file;
  }

  int Strokes() const {
    int n = 0;
    for (const TDrawObj& o : board.Model.ObjList()) n += o.Kind == okFreePen;
    return n;
  }

  QTemporaryDir dir;
  TAppState state;
  test::TRecordingHost host;
  TBoard board{state, host};
  const TProjectState& ps = board.Model.ProjectState;
};

TEST_F(ProjectCommandsTest, ResetGivesAFreshPresentationAndToolState) {
  Stroke();
  board.CurTool = tcLine;
  state.PenWidth = 9;
  board.TransMode = 1;
  state.RecClock = 12.5;
  ASSERT_TRUE(board.Project.ResetProject());
  EXPECT_EQ(board.Notes.Count(), 1);
  EXPECT_EQ(Strokes(), 0);
  EXPECT_EQ(board.CurTool, tcFreePen);
  EXPECT_EQ(state.PenWidth, 1);
  EXPECT_EQ(board.TransMode, 0);
  EXPECT_EQ(state.RecClock, 0.0);
  EXPECT_FALSE(ps.HasFile);
  EXPECT_FALSE(ps.Modified);
  EXPECT_EQ(board.ProjectInfo.NoteCount(), 1);
  EXPECT_TRUE(QDir(board.WorkFolder).exists());
  EXPECT_TRUE(board.WorkFolder.startsWith(dir.filePath("base")));
}

TEST_F(ProjectCommandsTest, NewAsksOnlyWhenModifiedAndCancelKeepsEverything) {
  board.Project.New();
  EXPECT_TRUE(host.Questions.empty());

  const QString file = SavedProject("lesson.ikp");
  ASSERT_TRUE(board.Project.OpenProjectFile(file));
  Stroke();
  ASSERT_TRUE(ps.Modified);

  host.Answers = {R::Cancel};
  board.Project.New();
  EXPECT_EQ(host.Questions.back(), "Do you want to save current presentation?");
  EXPECT_EQ(host.QuestionButtons.back(), uint32_t(mbYes | mbNo | mbCancel));
  EXPECT_EQ(Strokes(), 2);
  EXPECT_TRUE(ps.HasFile);

  host.Answers = {R::No};
  board.Project.New();
  EXPECT_EQ(Strokes(), 0);
  EXPECT_FALSE(ps.HasFile);
  EXPECT_FALSE(ps.Modified);
  // Nothing was written: the file still holds one stroke.
  ASSERT_TRUE(board.Project.OpenProjectFile(file));
  EXPECT_EQ(Strokes(), 1);
}

TEST_F(ProjectCommandsTest, YesOnAModifiedFileWritesItWithoutADialog) {
  const QString file = SavedProject("lesson.ikp");
  ASSERT_TRUE(board.Project.OpenProjectFile(file));
  Stroke();
  host.Answers = {R::Yes};
  board.Project.New();
  EXPECT_TRUE(host.SaveDialogs.empty());
  EXPECT_EQ(Strokes(), 0);
  ASSERT_TRUE(board.Project.OpenProjectFile(file));
  EXPECT_EQ(Strokes(), 2);
}

TEST_F(ProjectCommandsTest, TheSaveDialogOffersAStampNameInTheProjectFolder) {
  Stroke();
  board.Project.Save();  // no file yet: the dialog, cancelled
  board.Project.SaveAs();
  ASSERT_EQ(host.SaveDialogs.size(), 2u);
  EXPECT_EQ(host.SaveDialogs[0].Title, "Save");
  EXPECT_EQ(host.SaveDialogs[1].Title, "Save as");
  for (const TFileDialogRequest& d : host.SaveDialogs) {
    EXPECT_EQ(d.Folder, state.DocFolder);
    EXPECT_EQ(d.Filter, "Inkora Project File|*.ikp");
    EXPECT_TRUE(QRegularExpression("^\\d{17}\\.ikp$").match(d.FileName).hasMatch()) << d.FileName.toStdString();
  }
  EXPECT_EQ(host.Lowered, 2);
  EXPECT_EQ(host.Raised, 2);
  EXPECT_TRUE(ps.Modified);
}

TEST_F(ProjectCommandsTest, OverwriteIsAskedAndNoWritesNothing) {
  const QString file = dir.filePath("docs/taken.ikp");
  ASSERT_TRUE(test::WriteAll(file, "keep me"));
  Stroke();

  host.FileChoices = {file};
  host.Answers = {R::No};
  EXPECT_FALSE(board.Project.SaveAsDialog("Save as"));
  EXPECT_EQ(host.Questions.back(), "Exisitng File name, Overwrite?");
  EXPECT_EQ(host.QuestionButtons.back(), uint32_t(mbYes | mbNo));
  EXPECT_EQ(test::ReadAll(file), "keep me");
  EXPECT_TRUE(ps.Modified);

  host.FileChoices = {file};
  host.Answers = {R::Yes};
  EXPECT_TRUE(board.Project.SaveAsDialog("Save as"));
  EXPECT_FALSE(ps.Modified);
  // Later saves go to the chosen file without a dialog.
  EXPECT_TRUE(ps.HasFile);
  EXPECT_EQ(ps.ProjectPath, file);
  Stroke();
  board.Project.Save();
  EXPECT_EQ(host.SaveDialogs.size(), 2u);
  EXPECT_FALSE(ps.Modified);
  ASSERT_TRUE(board.Project.OpenProjectFile(file));
  EXPECT_EQ(Strokes(), 2);
}

TEST_F(ProjectCommandsTest, AFailedSaveIsNoSuccess) {
  Stroke();
  host.FileChoices = {dir.filePath("missing/folder/x.ikp")};
  host.Answers = {R::Yes};  // "save current presentation?"
  board.Project.New();
  EXPECT_FALSE(host.Errors.empty());
  EXPECT_EQ(Strokes(), 1);  // the presentation was not thrown away
  EXPECT_TRUE(ps.Modified);
}

TEST_F(ProjectCommandsTest, OpenAsksAboutChangesFirst) {
  const QString file = SavedProject("lesson.ikp");

  // Unmodified: opened without a question.
  host.FileChoices = {file};
  board.Project.Open();
  EXPECT_TRUE(host.Questions.empty());
  EXPECT_EQ(Strokes(), 1);
  EXPECT_EQ(host.OpenDialogs.back().Folder, state.DocFolder);
  EXPECT_EQ(host.OpenDialogs.back().Filter, "Inkora Project File|*.ikp");

  struct Case {
    R answer;
    QString saveChoice;
    bool opens;
  };
  const Case cases[] = {
      {R::Cancel, "", false},
      {R::Yes, "", false},  // save dialog cancelled
      {R::Yes, dir.filePath("docs/mine.ikp"), true},
      {R::No, "", true},
  };
  for (const Case& c : cases) {
    board.Project.ResetProject();
    Stroke();
    Stroke();
    host.FileChoices = {file};
    if (!c.saveChoice.isEmpty()) host.FileChoices.push_back(c.saveChoice);
    host.Answers = {c.answer};
    board.Project.Open();
    EXPECT_EQ(Strokes(), c.opens ? 1 : 2) << int(c.answer);
    EXPECT_EQ(ps.HasFile, c.opens);
  }
  EXPECT_TRUE(QFileInfo(dir.filePath("docs/mine.ikp")).isFile());
  EXPECT_EQ(host.Lowered, host.Raised);
}

TEST_F(ProjectCommandsTest, StartupAndSecondStartFiles) {
  const QString file = SavedProject("Lesson.IKP");
  const QString contents = dir.filePath("docs/lecture.ikt");
  ASSERT_TRUE(QFile::copy(file, contents));
  const QString text = dir.filePath("docs/notes.txt");
  ASSERT_TRUE(QFile::copy(file, text));

  struct Case {
    const char* what;
    std::function<void()> run;
    bool opens;
  };
  const Case cases[] = {
      {"start with a project", [&] { board.Project.OpenStartupFile({file, "x"}); }, true},
      {"start with contents", [&] { board.Project.OpenStartupFile({contents}); }, false},
      {"start without arguments", [&] { board.Project.OpenStartupFile({}); }, false},
      {"second start, contents", [&] { board.Project.OnFileFromSecondStart(scOpenFile, contents); }, true},
      {"second start, project", [&] { board.Project.OnFileFromSecondStart(scOpenFile, file); }, true},
      {"second start, other file", [&] { board.Project.OnFileFromSecondStart(scOpenFile, text); }, false},
      {"second start, missing", [&] { board.Project.OnFileFromSecondStart(scOpenFile, file + "x"); }, false},
      {"second start, other code", [&] { board.Project.OnFileFromSecondStart(scPrintedDocument, file); }, false},
  };
  for (const Case& c : cases) {
    board.Project.ResetProject();
    c.run();
    EXPECT_EQ(Strokes(), c.opens ? 1 : 0) << c.what;
    EXPECT_TRUE(host.Errors.empty()) << c.what;
  }

  // A modified presentation is asked about; Cancel keeps it.
  board.Project.ResetProject();
  Stroke();
  Stroke();
  host.Answers = {R::Cancel};
  board.Project.OnFileFromSecondStart(scOpenFile, contents);
  EXPECT_EQ(Strokes(), 2);
}

TEST_F(ProjectCommandsTest, SaveItemsFollowTheMenuInUse) {
  const QString file = SavedProject("lesson.ikp");
  for (int pos : {1, 2, 3, 5}) {
    state.ToolbarPos = pos;
    Stroke();  // a change enables both
    EXPECT_TRUE(board.BoardMenuSaveEnabled() && board.FloatMenuSaveEnabled());
    ASSERT_TRUE(board.Project.OpenProjectFile(file));
    const bool docked = pos <= 2;
    EXPECT_EQ(board.BoardMenuSaveEnabled(), !docked) << pos;
    EXPECT_EQ(board.FloatMenuSaveEnabled(), docked) << pos;
    board.Project.ResetProject();
    EXPECT_TRUE(board.BoardMenuSaveEnabled() && board.FloatMenuSaveEnabled()) << pos;
  }
  // Drawing during a recording with timeline changes nothing to save.
  board.Project.OpenProjectFile(file);
  state.RecState = rsRecording;
  Stroke();
  EXPECT_FALSE(ps.Modified);
}

TEST_F(ProjectCommandsTest, SavingAndOpeningShowTheirProgress) {
  Stroke();
  const QString file = dir.filePath("docs/shown.ikp");
  ASSERT_TRUE(WriteProject(board, file).Ok);
  ASSERT_TRUE(ReadProject(board, file).Ok);
  EXPECT_EQ(host.ProgressTexts, (std::vector<QString>{"Save File - shown.ikp", "Open File - shown.ikp"}));
  EXPECT_EQ(host.ProgressClosed, 2);
  EXPECT_EQ(host.Waits, 2);
  EXPECT_EQ(host.WaitEnds, 2);
  EXPECT_FALSE(board.Opening);
  ASSERT_FALSE(host.ProgressSteps.empty());
  EXPECT_EQ(host.ProgressSteps.front(), std::make_pair(1, kZipProgressMaximum));
  EXPECT_TRUE(std::count(host.ProgressSteps.begin(), host.ProgressSteps.end(),
                         std::make_pair(kZipProgressMaximum, kZipProgressMaximum)) >= 1);
}

TEST(ZipProgressPosition, RunsFromOneTo10001) {
  EXPECT_EQ(ZipProgressPosition(0.0), 1);
  EXPECT_EQ(ZipProgressPosition(0.5), 5001);
  EXPECT_EQ(ZipProgressPosition(0.99999), 10000);
  EXPECT_EQ(ZipProgressPosition(1.0), 10001);
  EXPECT_EQ(ZipProgressPosition(std::nan("")), 10001);
}

}  // namespace
}  // namespace inkora
