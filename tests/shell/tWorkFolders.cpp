#include "shell/uWorkFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <functional>
#include <iostream>

#include <sys/stat.h>
#include <unistd.h>

// Readable failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace inkora {
namespace {

constexpr uid_t kNobody = 65534;

QByteArray fsName(const QString& path) { return QFile::encodeName(path); }

void writeFile(const QString& path, const QByteArray& data = "x") {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(data);
}

void makeDir(const QString& path, mode_t mode = 0700) {
  ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
  ASSERT_EQ(::chmod(fsName(path).constData(), mode), 0);
}

void makeLink(const QString& target, const QString& link) {
  ASSERT_EQ(::symlink(fsName(target).constData(), fsName(link).constData()), 0)
      << link.toStdString();
}

// lstat of a path: the entry itself, never what a link points to.
struct stat entryOf(const QString& path) {
  struct stat st {};
  if (::lstat(fsName(path).constData(), &st) != 0) st.st_mode = 0;
  return st;
}

bool exists(const QString& path) { return entryOf(path).st_mode != 0; }
bool isRealDir(const QString& path) { return S_ISDIR(entryOf(path).st_mode); }
mode_t modeOf(const QString& path) { return entryOf(path).st_mode & 07777; }

QStringList entriesOf(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDir::Name);
}

// Gives `path` to the user "nobody"; false when this process may not (not root).
bool giveToNobody(const QString& path) {
  return ::lchown(fsName(path).constData(), kNobody, kNobody) == 0;
}

class WorkFolders : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
  QString at(const QString& name) const { return tmp_.path() + QLatin1Char('/') + name; }
  QTemporaryDir tmp_;
};

TEST_F(WorkFolders, DefaultBaseIsPerUserUnderTheSystemTempFolder) {
  const TWorkFolders f;
  EXPECT_EQ(f.TempFolder, QDir::tempPath() + QStringLiteral("/inkora-%1/").arg(::geteuid()));
  EXPECT_EQ(f.WorkFolder, f.TempFolder + QStringLiteral("$tmp_Inkora4/"));
  EXPECT_EQ(f.CacheFolder, f.TempFolder + QStringLiteral("$tmp_CacheNote/"));
}

TEST_F(WorkFolders, PrivateBaseIsCreatedOrNarrowedToOwnerOnly) {
  struct Case {
    const char* name;
    std::function<void(const QString&)> setup;
  };
  const Case cases[] = {
      {"missing", [](const QString&) {}},
      {"ours, readable by all", [](const QString& p) { makeDir(p, 0755); }},
      {"ours, writable by all", [](const QString& p) { makeDir(p, 0777); }},
      {"ours, without our own write right", [](const QString& p) { makeDir(p, 0500); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString base = at(QString::fromLatin1(c.name).replace(' ', '_'));
    c.setup(base);
    const TFolderCheck r = EnsurePrivateFolder(base);
    EXPECT_TRUE(r.Ok()) << r.Error.toStdString();
    EXPECT_TRUE(isRealDir(base));
    EXPECT_EQ(modeOf(base), 0700u);
    EXPECT_EQ(entryOf(base).st_uid, ::geteuid());
  }
}

TEST_F(WorkFolders, PrivateBaseRefusesWhatIsNotOursAndPrepareRaisesWorkAreaError) {
  // Whatever stands at the base's place is left exactly as it was.
  const QString victim = at("victim");
  makeDir(victim, 0755);

  struct Case {
    const char* name;
    std::function<bool(const QString&)> plant;  // false: cannot be set up here
    const char* reason;                         // part of the error text
  };
  const Case cases[] = {
      {"symbolic link to a folder",
       [&](const QString& p) {
         makeLink(victim, p);
         return true;
       },
       "symbolic link"},
      {"dangling symbolic link",
       [&](const QString& p) {
         makeLink(at("nowhere"), p);
         return true;
       },
       "symbolic link"},
      {"plain file",
       [](const QString& p) {
         writeFile(p);
         return true;
       },
       "not a folder"},
      {"folder of another user",
       [](const QString& p) {
         makeDir(p, 0700);
         return giveToNobody(p);
       },
       "another user"},
      {"folder of another user, open to all",
       [](const QString& p) {
         makeDir(p, 0777);
         return giveToNobody(p);
       },
       "another user"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString base = at(QString::fromLatin1(c.name).replace(' ', '_').replace(',', '_'));
    if (!c.plant(base)) {
      std::cerr << "skipped \"" << c.name << "\": only root can give a folder to uid " << kNobody
                << "\n";
      continue;
    }
    const struct stat before = entryOf(base);

    const TFolderCheck r = EnsurePrivateFolder(base);
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.Error.contains(QLatin1String(c.reason))) << r.Error.toStdString();
    EXPECT_TRUE(r.Error.contains(base)) << r.Error.toStdString();

    try {
      PrepareWorkFolders(TWorkFolders(base));
      ADD_FAILURE() << "no error raised";
    } catch (const EWorkAreaError& e) {
      EXPECT_STREQ(e.what(), "Cannot Create Work Area!");
      EXPECT_EQ(e.Detail(), r.Error);
    }

    const struct stat after = entryOf(base);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(entriesOf(base).isEmpty());
  }
  EXPECT_EQ(modeOf(victim), 0755u);
  EXPECT_TRUE(entriesOf(victim).isEmpty()) << entriesOf(victim).join(' ').toStdString();
}

TEST_F(WorkFolders, PrepareLeavesBothFoldersEmptyAndNeverFollowsLinksOut) {
  const QString outside = at("outside");
  makeDir(outside);
  writeFile(outside + "/keep.txt");

  const TWorkFolders f(at("base"));
  PrepareWorkFolders(f);  // first start: nothing there yet
  for (const QString& dir : {f.WorkFolder, f.CacheFolder}) {
    EXPECT_TRUE(isRealDir(dir)) << dir.toStdString();
    EXPECT_EQ(modeOf(dir), 0700u);
    EXPECT_TRUE(entriesOf(dir).isEmpty());
  }

  // What a presentation leaves behind: files, a subfolder, links out.
  writeFile(f.WorkFolder + "MainEvt.evt");
  writeFile(f.WorkFolder + ".hidden");
  makeDir(f.WorkFolder + "sub/deeper");
  writeFile(f.WorkFolder + "sub/deeper/picture.bmp");
  makeLink(outside, f.WorkFolder + "linkToFolder");
  makeLink(outside, f.WorkFolder + "sub/linkToFolder");
  makeLink(outside + "/keep.txt", f.WorkFolder + "linkToFile");
  writeFile(f.CacheFolder + "Note1.bmp");

  PrepareWorkFolders(f);
  EXPECT_TRUE(entriesOf(f.WorkFolder).isEmpty()) << entriesOf(f.WorkFolder).join(' ').toStdString();
  EXPECT_TRUE(entriesOf(f.CacheFolder).isEmpty());
  EXPECT_EQ(entriesOf(outside), QStringList{"keep.txt"});

  // The note cache rebuild empties only the cache folder.
  writeFile(f.WorkFolder + "IKP.dat");
  writeFile(f.CacheFolder + "Note2.bmp");
  PrepareCacheFolder(f);
  EXPECT_EQ(entriesOf(f.WorkFolder), QStringList{"IKP.dat"});
  EXPECT_TRUE(entriesOf(f.CacheFolder).isEmpty());
}

TEST_F(WorkFolders, PrepareRaisesTheErrorOfTheFolderThatCannotBeMade) {
  const QString outside = at("outside");
  makeDir(outside);
  writeFile(outside + "/keep.txt");

  struct Case {
    const char* name;
    const char* blocked;  // folder name where something else stands
    bool asLink;          // a link to `outside` instead of a file
    const char* error;
  };
  const Case cases[] = {
      {"file where the work folder must be", "$tmp_Inkora4", false, "Cannot Create Work Area!"},
      {"link where the work folder must be", "$tmp_Inkora4", true, "Cannot Create Work Area!"},
      {"file where the cache folder must be", "$tmp_CacheNote", false, "Cannot Create Cache Area!"},
      {"link where the cache folder must be", "$tmp_CacheNote", true, "Cannot Create Cache Area!"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TWorkFolders f(at(QStringLiteral("base%1").arg(n++)));
    ASSERT_TRUE(EnsurePrivateFolder(f.TempFolder).Ok());
    const QString blocker = f.TempFolder + QLatin1String(c.blocked);
    if (c.asLink)
      makeLink(outside, blocker);
    else
      writeFile(blocker);

    try {
      PrepareWorkFolders(f);
      ADD_FAILURE() << "no error raised";
    } catch (const EWorkAreaError& e) {
      EXPECT_STREQ(e.what(), c.error);
      EXPECT_TRUE(e.Detail().contains(QLatin1String(c.blocked))) << e.Detail().toStdString();
    }
    EXPECT_FALSE(isRealDir(blocker));
    EXPECT_EQ(entriesOf(outside), QStringList{"keep.txt"});
  }
}

TEST_F(WorkFolders, DeleteFilesInKeepsSubfoldersAndDeletesLinksNotTheirTargets) {
  const QString outside = at("outside");
  makeDir(outside);
  writeFile(outside + "/keep.txt");
  const QString dir = at("imported");
  makeDir(dir);
  writeFile(dir + "/Page0.bmp");
  writeFile(dir + "/.hidden");
  makeDir(dir + "/sub");
  writeFile(dir + "/sub/inner.txt");
  makeLink(outside, dir + "/linkToFolder");
  makeLink(outside + "/keep.txt", dir + "/linkToFile");
  makeLink(at("nowhere"), dir + "/dangling");

  DeleteFilesIn(dir + "/");
  EXPECT_EQ(entriesOf(dir), QStringList{"sub"});
  EXPECT_EQ(entriesOf(dir + "/sub"), QStringList{"inner.txt"});
  EXPECT_EQ(entriesOf(outside), QStringList{"keep.txt"});

  // A folder reached through a link is not emptied.
  const QString viaLink = at("viaLink");
  makeLink(outside, viaLink);
  DeleteFilesIn(viaLink);
  DeleteFilesIn(viaLink + "/");
  EXPECT_EQ(entriesOf(outside), QStringList{"keep.txt"});
}

TEST_F(WorkFolders, DeleteTreeRemovesEntriesWithoutFollowingLinks) {
  const QString outside = at("outside");
  makeDir(outside + "/inner");
  writeFile(outside + "/inner/keep.txt");

  const QString tree = at("tree");
  makeDir(tree + "/a/b");
  writeFile(tree + "/a/b/file");
  makeLink(outside, tree + "/a/linkToFolder");
  makeLink(outside + "/inner/keep.txt", tree + "/linkToFile");
  const QString file = at("file");
  writeFile(file);
  const QString link = at("link");
  makeLink(outside, link);

  struct Case {
    const char* name;
    QString path;
    bool result;
    QString gone;  // the entry that must be gone afterwards
  };
  const Case cases[] = {
      {"folder with links inside, trailing slash", tree + "/", true, tree},
      {"file", file, true, file},
      {"link to a folder", link, true, link},
      {"missing", at("missing"), false, at("missing")},
      {"empty path", QString(), false, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DeleteTree(c.path), c.result);
    if (!c.gone.isEmpty()) {
      EXPECT_FALSE(exists(c.gone));
    }
  }
  EXPECT_EQ(entriesOf(outside + "/inner"), QStringList{"keep.txt"});
}

}  // namespace
}  // namespace inkora
