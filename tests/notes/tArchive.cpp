#include "notes/uArchive.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <ostream>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Readable failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace inkora {
namespace {

QByteArray fsName(const QString& path) { return QFile::encodeName(path); }

void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(f.write(data), data.size());
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll();
}

QStringList entriesOf(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDir::Name);
}

// Every path under `dir`, relative, links included and not followed.
QStringList treeOf(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

// Bytes that deflate well, and bytes of every value.
QByteArray compressible(int size) {
  QByteArray b(size, '\0');
  for (int i = 0; i < size; ++i) b[i] = char("BMP pixels "[i % 11]);
  return b;
}
QByteArray binary(int size) {
  QByteArray b(size, '\0');
  uint32_t x = 12345;
  for (int i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    b[i] = char(x >> 23);
  }
  return b;
}

// A member of an archive built for a test.
struct TMember {
  QByteArray name;
  QByteArray data;
  zip_int32_t method = ZIP_CM_DEFLATE;
  uint32_t unixMode = 0;  // when not 0: the external attributes say this mode
};

bool buildZip(const QString& path, const std::vector<TMember>& members) {
  int err = 0;
  zip_t* za = zip_open(fsName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (!za) return false;
  for (const TMember& m : members) {
    zip_source_t* src = zip_source_buffer(za, m.data.constData(), zip_uint64_t(m.data.size()), 0);
    const zip_int64_t i = src ? zip_file_add(za, m.name.constData(), src, ZIP_FL_ENC_RAW) : -1;
    if (i < 0) {
      zip_source_free(src);
      zip_discard(za);
      return false;
    }
    zip_set_file_compression(za, zip_uint64_t(i), m.method, 0);
    if (m.unixMode) zip_file_set_external_attributes(za, zip_uint64_t(i), 0, ZIP_OPSYS_UNIX, m.unixMode << 16);
  }
  return zip_close(za) == 0;
}

void putLe32(QByteArray& b, qsizetype at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
}
uint16_t le16(const QByteArray& b, qsizetype at) {
  return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// Makes the local and central headers of member `name` declare `size`
// uncompressed bytes. Returns how many headers were changed.
int setDeclaredSize(QByteArray& zip, const QByteArray& name, uint32_t size) {
  int changed = 0;
  for (qsizetype at = 0; at + 46 <= zip.size(); ++at) {
    if (zip.mid(at, 4) == QByteArray("PK\3\4", 4) && le16(zip, at + 26) == name.size() &&
        zip.mid(at + 30, name.size()) == name) {
      putLe32(zip, at + 22, size);
      ++changed;
    } else if (zip.mid(at, 4) == QByteArray("PK\1\2", 4) && le16(zip, at + 28) == name.size() &&
               zip.mid(at + 46, name.size()) == name) {
      putLe32(zip, at + 24, size);
      ++changed;
    }
  }
  return changed;
}

class Archive : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
  QString at(const QString& name) const { return tmp_.path() + QLatin1Char('/') + name; }
  QString makeDir(const QString& name) {
    EXPECT_TRUE(QDir().mkpath(at(name)));
    return at(name);
  }
  QTemporaryDir tmp_;
};

TEST(ArchiveNames, StoreOnlySuffixes) {
  const struct {
    const char* name;
    bool stored;
  } cases[] = {
      {"pic.png", true},    {"anim.GIF", true},   {"photo.JpEg", true}, {"a.jpg", true},
      {"x.7z", true},       {"x.tar.gz", true},   {"x.Z", true},        {"lecture.wmv", true},
      {"$Audio.wma", true}, {"x.mp3", true},      {"x.avi", true},      {"x.dvr", true},
      {"x.cab", true},      {"x.gzip", true},     {"x.exe", true},      {"x.zoo", true},
      {"d_1.bmp", false},   {"MainEvt.evt", false}, {"Notes.inx", false}, {"IKP.dat", false},
      {"quiz", false},      {"png", false},       {"x.pngx", false},    {"x.png.bmp", false},
      {"", false},          {"x.", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsStoreOnlyName(QString::fromUtf8(c.name)), c.stored) << c.name;
}

TEST_F(Archive, RoundTripIsFlatAndStoresCompressedFormats) {
  const QString src = makeDir("src");
  const QByteArray bmp = compressible(300000), png = binary(5000), gif = binary(777),
                   evt = binary(723 * 3);
  writeFile(src + "/d_00000000000000001.bmp", bmp);
  writeFile(src + "/pic.png", png);
  writeFile(src + "/anim.GIF", gif);
  writeFile(src + "/MainEvt.evt", evt);
  writeFile(src + "/Pts.evt", QByteArray());
  // Neither a subfolder nor a link is carried.
  makeDir("src/sub");
  writeFile(src + "/sub/inner.bmp", "inner");
  writeFile(at("outside.bmp"), "outside");
  ASSERT_EQ(::symlink(fsName(at("outside.bmp")).constData(), fsName(src + "/link.bmp").constData()), 0);

  const QString ikp = at("project.ikp");
  const TArchiveResult w = ZipFolder(src, ikp);
  ASSERT_TRUE(w.Ok) << w.Message.toStdString();
  const QStringList expected = {"MainEvt.evt", "Pts.evt", "anim.GIF", "d_00000000000000001.bmp",
                                "pic.png"};
  EXPECT_EQ(w.Members, expected);

  // The members as libzip sees them: flat names and the right methods.
  int err = 0;
  zip_t* za = zip_open(fsName(ikp).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  ASSERT_NE(za, nullptr) << err;
  ASSERT_EQ(zip_get_num_entries(za, 0), expected.size());
  QStringList names;
  for (zip_uint64_t i = 0; i < zip_uint64_t(expected.size()); ++i) {
    zip_stat_t st;
    ASSERT_EQ(zip_stat_index(za, i, 0, &st), 0);
    const QString name = QString::fromUtf8(st.name);
    names << name;
    const bool stored = name.endsWith(".png") || name.endsWith(".GIF");
    EXPECT_EQ(st.comp_method, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE) << st.name;
    if (name.endsWith(".bmp")) {
      EXPECT_LT(st.comp_size * 10, st.size) << "deflated";
    }
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    ASSERT_EQ(zip_file_get_external_attributes(za, i, 0, &opsys, &attributes), 0);
    EXPECT_NE((attributes >> 16) & S_IFMT, uint32_t(S_IFLNK));
  }
  zip_discard(za);
  names.sort();
  EXPECT_EQ(names, expected);

  const QString dst = makeDir("dst");
  const TArchiveResult r = UnzipToFolder(ikp, dst);
  ASSERT_TRUE(r.Ok) << r.Message.toStdString();
  EXPECT_EQ(r.Members, expected);
  EXPECT_EQ(entriesOf(dst), expected);
  EXPECT_EQ(readFile(dst + "/d_00000000000000001.bmp"), bmp);
  EXPECT_EQ(readFile(dst + "/pic.png"), png);
  EXPECT_EQ(readFile(dst + "/anim.GIF"), gif);
  EXPECT_EQ(readFile(dst + "/MainEvt.evt"), evt);
  EXPECT_EQ(readFile(dst + "/Pts.evt"), QByteArray());
  EXPECT_FALSE(QFileInfo(ikp).isSymLink());
}

TEST_F(Archive, EmptyFolderGivesAnEmptyArchive) {
  const QString src = makeDir("src");
  const TArchiveResult w = ZipFolder(src + "/", at("empty.ikp"));
  ASSERT_TRUE(w.Ok) << w.Message.toStdString();
  EXPECT_TRUE(w.Members.isEmpty());
  const QString dst = makeDir("dst");
  const TArchiveResult r = UnzipToFolder(at("empty.ikp"), dst);
  ASSERT_TRUE(r.Ok) << r.Message.toStdString();
  EXPECT_TRUE(r.Members.isEmpty());
  EXPECT_TRUE(entriesOf(dst).isEmpty());
}

TEST_F(Archive, ProgressRisesToOne) {
  const QString src = makeDir("src");
  for (int i = 0; i < 8; ++i) writeFile(src + QStringLiteral("/n%1.bmp").arg(i), binary(200000));
  for (const bool zipping : {true, false}) {
    std::vector<double> seen;
    const TArchiveProgress record = [&](double f) { seen.push_back(f); };
    TArchiveResult res;
    if (zipping) {
      res = ZipFolder(src, at("p.ikp"), record);
    } else {
      res = UnzipToFolder(at("p.ikp"), makeDir("dst"), {}, record);
    }
    ASSERT_TRUE(res.Ok) << res.Message.toStdString();
    ASSERT_GE(seen.size(), 3u) << zipping;
    EXPECT_EQ(seen.back(), 1.0) << zipping;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1.0), 1) << zipping;
    for (size_t i = 0; i < seen.size(); ++i) {
      EXPECT_GE(seen[i], 0.0);
      EXPECT_LE(seen[i], 1.0);
      if (i > 0) {
        EXPECT_GT(seen[i], seen[i - 1]) << zipping << " at " << i;
      }
    }
  }
}

TEST_F(Archive, HostileArchivesAreRefusedAndLeaveNothing) {
  const QByteArray absName = fsName(QDir::tempPath()) + "/inkora-archive-abs-" + QByteArray::number(::getpid());
  const QByteArray zeros4M(4 << 20, '\0');
  const TMember good{"d_1.bmp", compressible(100000)};
  const uint32_t kLink = S_IFLNK | 0777, kDir = S_IFDIR | 0755, kFifo = S_IFIFO | 0644;

  struct TCase {
    const char* what;
    const char* says;  // part of the message
    std::function<bool(const QString& path)> make;  // writes the archive
    TUnzipLimits limits;
  };
  TUnzipLimits small;
  small.MaxMemberBytes = 1 << 20;
  TUnzipLimits smallTotal;
  smallTotal.MaxTotalBytes = 2 << 20;
  TUnzipLimits fewMembers;
  fewMembers.MaxMembers = 10;
  auto members = [](std::vector<TMember> m) {
    return [m](const QString& p) { return buildZip(p, m); };
  };
  auto patched = [](std::vector<TMember> m, std::function<bool(QByteArray&)> patch) {
    return [m, patch](const QString& p) {
      if (!buildZip(p, m)) return false;
      QByteArray bytes = readFile(p);
      if (!patch(bytes)) return false;
      QFile f(p);
      return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    };
  };
  auto raw = [](QByteArray bytes) {
    return [bytes](const QString& p) {
      QFile f(p);
      return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
  };
  std::vector<TMember> many;
  for (int i = 0; i < 11; ++i) many.push_back({"m" + QByteArray::number(i) + ".bin", "x"});
  QByteArray valid;
  {
    const QString p = at("valid.zip");
    ASSERT_TRUE(buildZip(p, {good, {"pic.png", binary(50000), ZIP_CM_STORE}}));
    valid = readFile(p);
    QFile::remove(p);
  }

  const TCase cases[] = {
      {"parent folder", "\"../x\" is refused", members({good, {"../x", "evil"}}), {}},
      {"parent folder deeper", "\"../../x\" is refused", members({good, {"../../x", "evil"}}), {}},
      {"absolute name", "is refused: a folder or path", members({good, {absName, "evil"}}), {}},
      {"folder in name", "\"a/b\" is refused", members({good, {"a/b", "evil"}}), {}},
      {"backslash", "is refused: a folder or path", members({good, {"a\\b", "evil"}}), {}},
      {"windows absolute", "is refused: a folder or path", members({good, {"C:\\x", "evil"}}), {}},
      {"dot", "\".\" is refused", members({good, {".", "evil"}}), {}},
      {"dot dot", "\"..\" is refused", members({good, {"..", "evil"}}), {}},
      {"folder entry", "\"sub/\" is refused", members({good, {"sub/", ""}}), {}},
      {"symlink", "a symbolic link", members({good, {"link.bmp", "/etc/passwd", ZIP_CM_STORE, kLink}}), {}},
      {"folder attributes", "not a plain file", members({good, {"dir", "", ZIP_CM_STORE, kDir}}), {}},
      {"fifo attributes", "not a plain file", members({good, {"fifo", "", ZIP_CM_STORE, kFifo}}), {}},
      {"declares 4 GB", "\"big.bin\" is larger than 536870912", patched({good, {"big.bin", binary(1000), ZIP_CM_STORE}},
                                [](QByteArray& b) { return setDeclaredSize(b, "big.bin", 4000000000u) == 2; }),
       {}},
      {"inflates beyond the member limit", "\"zeros.bin\" is larger than 1048576", members({good, {"zeros.bin", zeros4M}}), small},
      {"members beyond the total limit", "larger than 2097152 bytes together",
       members({{"a.bin", binary(1 << 20)}, {"b.bin", binary(1 << 20)}, {"c.bin", binary(1 << 20)}}),
       smallTotal},
      {"inflates beyond its declared size", "\"liar.bin\" is larger than it claims",
       patched({good, {"liar.bin", zeros4M}},
               [](QByteArray& b) { return setDeclaredSize(b, "liar.bin", 1000) == 2; }),
       {}},
      {"shorter than declared", "\"short.bin\" is shorter than it claims",
       patched({good, {"short.bin", compressible(5000)}},
               [](QByteArray& b) { return setDeclaredSize(b, "short.bin", 9000) == 2; }),
       {}},
      {"duplicate names", "same name",
       patched({good, {"dup-1.bin", "one"}, {"dup-2.bin", "two"}},
               [](QByteArray& b) {
                 b.replace("dup-2.bin", "dup-1.bin");
                 return true;
               }),
       {}},
      {"damaged data", "\"data.bin\" is damaged",
       patched({good, {"data.bin", compressible(200000)}},
               [](QByteArray& b) {
                 const qsizetype i = b.indexOf("data.bin");  // local header name, data follows
                 if (i < 0) return false;
                 for (qsizetype k = i + 40; k < i + 200; ++k) b[k] = char(b[k] ^ 0x5a);
                 return true;
               }),
       {}},
      {"too many members", "11 members, more than the 10", members(many), fewMembers},
      {"truncated", "not a zip archive", raw(valid.left(valid.size() / 2)), {}},
      {"cut before the end record", "not a zip archive", raw(valid.left(valid.size() - 10)), {}},
      {"empty file", "the file is empty", raw(QByteArray()), {}},
      {"text file", "not a zip archive", raw("MainEvt.evt\r\nPts.evt\r\nThis is not an archive.\r\n"), {}},
      {"end record alone, too short", "not a zip archive", raw(QByteArray("PK\5\6", 4)), {}},
  };

  int n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const QString sandbox = makeDir(QStringLiteral("case%1").arg(n++));
    const QString archive = sandbox + "/in.ikp";
    ASSERT_TRUE(c.make(archive));
    const QString folder = sandbox + "/a/b/work";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QStringList before = treeOf(sandbox);
    const TArchiveResult r = UnzipToFolder(archive, folder, c.limits);
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.Message.contains(QString::fromUtf8(c.says))) << r.Message.toStdString();
    EXPECT_TRUE(r.Message.contains(archive)) << r.Message.toStdString();
    EXPECT_TRUE(r.Members.isEmpty());
    EXPECT_TRUE(entriesOf(folder).isEmpty()) << entriesOf(folder).join(',').toStdString();
    EXPECT_EQ(treeOf(sandbox), before);
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(absName)));
  }
}

TEST_F(Archive, TooManyMembersByDefault) {
  std::vector<TMember> many;
  many.reserve(100000);
  for (int i = 0; i < 100000; ++i) many.push_back({"m" + QByteArray::number(i), QByteArray()});
  ASSERT_TRUE(buildZip(at("many.zip"), many));
  const QString folder = makeDir("work");
  const TArchiveResult r = UnzipToFolder(at("many.zip"), folder);
  EXPECT_FALSE(r.Ok);
  EXPECT_TRUE(r.Message.contains("100000")) << r.Message.toStdString();
  EXPECT_TRUE(entriesOf(folder).isEmpty());
}

TEST_F(Archive, NeverWritesThroughALinkInTheFolder) {
  const QString src = makeDir("src");
  writeFile(src + "/d_1.bmp", "new picture");
  writeFile(src + "/Notes.inx", "d_1.bmp\r\n");
  ASSERT_TRUE(ZipFolder(src, at("p.ikp")).Ok);

  const QString folder = makeDir("work");
  writeFile(at("victim"), "precious");
  // Notes.inx sorts first: it is extracted, then removed again on the refusal.
  ASSERT_EQ(::symlink(fsName(at("victim")).constData(), fsName(folder + "/d_1.bmp").constData()), 0);
  const TArchiveResult r = UnzipToFolder(at("p.ikp"), folder);
  EXPECT_FALSE(r.Ok);
  EXPECT_TRUE(r.Message.contains("d_1.bmp")) << r.Message.toStdString();
  EXPECT_EQ(readFile(at("victim")), QByteArray("precious"));
  EXPECT_EQ(entriesOf(folder), QStringList{"d_1.bmp"});  // the link, left as it was
  EXPECT_TRUE(QFileInfo(folder + "/d_1.bmp").isSymLink());
}

TEST_F(Archive, FailedSaveLeavesTheTargetAndNoTemporaryFile) {
  const QString good = makeDir("good");
  writeFile(good + "/Notes.inx", "old\r\n");
  const QString target = makeDir("out") + "/p.ikp";
  ASSERT_TRUE(ZipFolder(good, target).Ok);
  const QByteArray old = readFile(target);

  const QString slash = makeDir("slash");
  writeFile(slash + "/a\\b.png", "x");
  const QString big = makeDir("big");
  writeFile(big + "/Pts.evt", QByteArray(1000, 'p'));
  writeFile(big + "/d_1.bmp", QByteArray(600, 'b'));
  const struct {
    const char* what;
    QString folder, target;
    TUnzipLimits limits;  // an archive opening would refuse is not written
  } cases[] = {
      {"missing folder", at("nowhere"), target, {}},
      {"name that cannot be a member", slash, target, {}},
      {"missing target folder", good, at("missing/p.ikp"), {}},
      {"target is a folder", good, at("out"), {}},
      {"member too large to open again", big, target, {.MaxMemberBytes = 999}},
      {"members too large together", big, target, {.MaxTotalBytes = 1599}},
      {"too many members to open again", big, target, {.MaxMembers = 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TArchiveResult r = ZipFolder(c.folder, c.target, {}, c.limits);
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.Message.isEmpty());
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(entriesOf(at("out")), QStringList{"p.ikp"});
  }
  // Right at the limits the archive is written, and opens with them.
  const TUnzipLimits exact{.MaxTotalBytes = 1600, .MaxMemberBytes = 1000, .MaxMembers = 2};
  ASSERT_TRUE(ZipFolder(big, at("big.ikp"), {}, exact).Ok);
  EXPECT_TRUE(UnzipToFolder(at("big.ikp"), makeDir("bigout"), exact).Ok);

  // A file swapped for a link while the archive is written is not followed:
  // the save fails and the old archive stays.
  const QString swap = makeDir("swap");
  writeFile(swap + "/a.bmp", binary(1 << 20));
  writeFile(swap + "/z.bmp", "z");
  writeFile(at("secret"), "secret");
  bool swapped = false;
  const TArchiveResult r = ZipFolder(swap, target, [&](double) {
    if (swapped) return;
    swapped = true;
    QFile::remove(swap + "/z.bmp");
    ASSERT_EQ(::symlink(fsName(at("secret")).constData(), fsName(swap + "/z.bmp").constData()), 0);
  });
  EXPECT_TRUE(swapped);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(readFile(target), old);
  EXPECT_EQ(entriesOf(at("out")), QStringList{"p.ikp"});
}

TEST_F(Archive, KilledSaveLeavesTheOldArchiveReadable) {
  const QString oldSrc = makeDir("old");
  writeFile(oldSrc + "/Notes.inx", "d_old.bmp\r\n");
  writeFile(oldSrc + "/d_old.bmp", compressible(10000));
  const QString outDir = makeDir("out");
  const QString target = outDir + "/lesson.ikp";
  ASSERT_TRUE(ZipFolder(oldSrc, target).Ok);
  const QByteArray old = readFile(target);

  const QString big = makeDir("big");
  for (int i = 0; i < 16; ++i) writeFile(big + QStringLiteral("/d_%1.bmp").arg(i), binary(1 << 20));

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Mid-way through the archive, say so and wait to be killed.
    ::close(ready[0]);
    ZipFolder(big, target, [&](double f) {
      if (f < 0.3) return;
      const char c = 'r';
      (void)!::write(ready[1], &c, 1);
      for (;;) ::pause();
    });
    ::_exit(3);  // finished without reaching the middle: the test fails
  }
  ::close(ready[1]);
  pollfd p{ready[0], POLLIN, 0};
  const int polled = ::poll(&p, 1, 60000);
  char c = 0;
  const bool midway = polled == 1 && ::read(ready[0], &c, 1) == 1 && c == 'r';
  ::close(ready[0]);
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(midway) << "the child never reached the middle of the save";
  EXPECT_TRUE(WIFSIGNALED(status));

  // The old archive is whole; what the killed save left is recognisable.
  EXPECT_EQ(readFile(target), old);
  QStringList leftovers = entriesOf(outDir);
  leftovers.removeAll("lesson.ikp");
  EXPECT_FALSE(leftovers.isEmpty());  // the child was killed inside its write
  for (const QString& name : leftovers) EXPECT_TRUE(name.startsWith(".lesson.ikp.tmp-")) << name.toStdString();
  const QString read1 = makeDir("read1");
  const TArchiveResult r1 = UnzipToFolder(target, read1);
  ASSERT_TRUE(r1.Ok) << r1.Message.toStdString();
  EXPECT_EQ(r1.Members, (QStringList{"Notes.inx", "d_old.bmp"}));

  // The leftovers disturb neither the next save nor the next read.
  const QString next = makeDir("next");
  writeFile(next + "/Notes.inx", "d_new.bmp\r\n");
  writeFile(next + "/d_new.bmp", "new");
  const TArchiveResult w = ZipFolder(next, target);
  ASSERT_TRUE(w.Ok) << w.Message.toStdString();
  const QString read2 = makeDir("read2");
  const TArchiveResult r2 = UnzipToFolder(target, read2);
  ASSERT_TRUE(r2.Ok) << r2.Message.toStdString();
  EXPECT_EQ(r2.Members, (QStringList{"Notes.inx", "d_new.bmp"}));
  EXPECT_EQ(readFile(read2 + "/d_new.bmp"), QByteArray("new"));
  QStringList after = entriesOf(outDir);
  after.removeAll("lesson.ikp");
  EXPECT_EQ(after, leftovers);
}

TEST_F(Archive, SaveKeepsTheModeOfTheFileItReplaces) {
  const QString src = makeDir("src");
  writeFile(src + "/Notes.inx", "x\r\n");
  const QString target = at("p.ikp");
  ASSERT_TRUE(ZipFolder(src, target).Ok);
  ASSERT_EQ(::chmod(fsName(target).constData(), 0640), 0);
  ASSERT_TRUE(ZipFolder(src, target).Ok);
  struct stat st {};
  ASSERT_EQ(::stat(fsName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace inkora
