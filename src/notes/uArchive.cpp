#include "notes/uArchive.h"

#include "shell/uIniFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace inkora {
namespace {

constexpr double kProgressStep = 1.0 / 10000.0;
constexpr size_t kCopyBuffer = 64 * 1024;
// zlib's fastest level: a project's streams and note pictures deflate some
// twenty times faster than at libzip's default (the best level), for an
// archive a few per cent larger.
constexpr zip_uint32_t kDeflateLevel = 1;

// Suffixes of formats that are compressed already; members with them are stored.
constexpr const char* kStoreOnlySuffixes[] = {
    "GIF", "PNG", "Z",   "ZIP", "ZOO", "ARC", "LZH",  "ARJ", "TAZ", "TGZ", "LHA", "RAR", "ACE",
    "CAB", "GZ",  "GZIP", "JAR", "EXE", "JPG", "JPEG", "7Z",  "MP3", "WMV", "WMA", "DVR", "AVI"};

QString ErrnoText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// Passes progress on to the caller's function: clamped to 0..1, rising, in
// steps of at least 1/10000, and 1 exactly once at the end.
class TProgressReporter {
 public:
  explicit TProgressReporter(const TArchiveProgress& sink) : sink_(sink) {}
  void Report(double fraction) {
    if (!sink_) return;
    if (!(fraction >= 0.0)) fraction = 0.0;  // also NaN
    if (fraction > 1.0) fraction = 1.0;
    const bool finish = fraction == 1.0 && last_ < 1.0;
    if (!finish && fraction < last_ + kProgressStep) return;
    last_ = fraction;
    sink_(fraction);
  }
  void Finish() { Report(1.0); }

 private:
  const TArchiveProgress& sink_;
  double last_ = -1.0;
};

// Closes a descriptor when it goes out of scope.
struct TFd {
  int fd = -1;
  TFd() = default;
  explicit TFd(int f) : fd(f) {}
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  ~TFd() { reset(); }
  void reset(int f = -1) {
    if (fd >= 0) ::close(fd);
    fd = f;
  }
  int release() {
    const int f = fd;
    fd = -1;
    return f;
  }
};

bool WriteAll(int fd, const char* data, size_t size, int& err) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    data += n;
    size -= size_t(n);
  }
  return true;
}

QString StripTrailingSlashes(QString path) {
  while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  return path;
}

// ---------------------------------------------------------------------------
// Writing

// One file of the folder as a libzip source. The file is opened only when
// libzip reads it, without following a link, and must still be a regular file.
struct TFolderFileSource {
  QByteArray path;
  uint64_t size = 0;
  time_t mtime = 0;
  int fd = -1;
  zip_error_t error;
};

zip_int64_t FolderFileCallback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
  auto* s = static_cast<TFolderFileSource*>(userdata);
  switch (cmd) {
    case ZIP_SOURCE_OPEN: {
      const int fd = ::open(s->path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) {
        zip_error_set(&s->error, ZIP_ER_OPEN, errno);
        return -1;
      }
      struct stat st {};
      if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        zip_error_set(&s->error, ZIP_ER_OPEN, EINVAL);
        return -1;
      }
      s->fd = fd;
      return 0;
    }
    case ZIP_SOURCE_READ: {
      for (;;) {
        const ssize_t n = ::read(s->fd, data, len);
        if (n >= 0) return n;
        if (errno != EINTR) {
          zip_error_set(&s->error, ZIP_ER_READ, errno);
          return -1;
        }
      }
    }
    case ZIP_SOURCE_CLOSE:
      if (s->fd >= 0) ::close(s->fd);
      s->fd = -1;
      return 0;
    case ZIP_SOURCE_STAT: {
      if (len < sizeof(zip_stat_t)) {
        zip_error_set(&s->error, ZIP_ER_INVAL, 0);
        return -1;
      }
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
      st->size = s->size;
      st->mtime = s->mtime;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&s->error, data, len);
    case ZIP_SOURCE_FREE:
      if (s->fd >= 0) ::close(s->fd);
      zip_error_fini(&s->error);
      delete s;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                            ZIP_SOURCE_SUPPORTS, -1);
    default:
      zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

void ZipProgressCallback(zip_t*, double progress, void* userdata) {
  // libzip's last report may fall short of 1; the caller finishes after the rename.
  static_cast<TProgressReporter*>(userdata)->Report(std::min(progress, 1.0 - kProgressStep));
}

struct TFolderEntry {
  QByteArray name;  // file system bytes
  uint64_t size = 0;
  time_t mtime = 0;
};

// Mode for a new archive: what open(0666) would give under the umask.
mode_t NewFileMode() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (status.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (line.startsWith("Umask:")) {
        bool ok = false;
        const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
        if (ok) return mode_t(0666 & ~mask);
      }
    }
  }
  return 0644;
}

// Writes an archive without members: the end record alone.
bool WriteEmptyArchive(const QByteArray& path, int& err) {
  const char eocd[22] = {'P', 'K', 5, 6};
  TFd fd(::open(path.constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
  if (fd.fd < 0) {
    err = errno;
    return false;
  }
  if (!WriteAll(fd.fd, eocd, sizeof eocd, err)) return false;
  if (::close(fd.release()) != 0) {
    err = errno;
    return false;
  }
  return true;
}

}  // namespace

bool IsStoreOnlyName(const QString& name) {
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot < 0) return false;
  const QStringView suffix = QStringView(name).mid(dot + 1);
  for (const char* s : kStoreOnlySuffixes) {
    if (suffix.compare(QLatin1StringView(s), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

TArchiveResult ZipFolder(const QString& folder, const QString& archivePath,
                         const TArchiveProgress& progress, const TUnzipLimits& limits) {
  TArchiveResult result;
  TProgressReporter reporter(progress);
  const QFileInfo target(archivePath);
  const QString targetName = target.fileName();
  auto fail = [&](const QString& why) {
    result.Ok = false;
    result.Members.clear();
    result.Message = QStringLiteral("Cannot save \"%1\": %2").arg(archivePath, why);
    return result;
  };
  if (targetName.isEmpty()) return fail(QStringLiteral("no file name"));
  const QByteArray targetDir = QFile::encodeName(target.absolutePath());
  const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
  const QByteArray folderPath = QFile::encodeName(StripTrailingSlashes(folder));

  // The target itself and our own leftovers are never zipped into it.
  struct stat targetSt {};
  const bool targetExists = ::stat(targetPath.constData(), &targetSt) == 0;
  const QByteArray tempPrefix = "." + QFile::encodeName(targetName).left(128) + ".tmp-";
  struct stat folderSt {}, targetDirSt {};
  const bool sameFolder = ::stat(folderPath.constData(), &folderSt) == 0 &&
                          ::stat(targetDir.constData(), &targetDirSt) == 0 &&
                          folderSt.st_dev == targetDirSt.st_dev &&
                          folderSt.st_ino == targetDirSt.st_ino;

  // The regular files directly in the folder, in name order.
  std::vector<TFolderEntry> files;
  {
    TFd dfd(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dfd.fd < 0) return fail(QStringLiteral("cannot read the folder %1: %2").arg(folder, ErrnoText(errno)));
    DIR* dir = ::fdopendir(dfd.fd);
    if (!dir) return fail(QStringLiteral("cannot read the folder %1: %2").arg(folder, ErrnoText(errno)));
    dfd.release();
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
      const QByteArray name(e->d_name);
      struct stat st {};
      if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (!S_ISREG(st.st_mode)) continue;  // folders, links, devices
      if (targetExists && st.st_dev == targetSt.st_dev && st.st_ino == targetSt.st_ino) continue;
      if (sameFolder && name.startsWith(tempPrefix)) continue;
      if (name.contains('\\')) {
        ::closedir(dir);
        return fail(QStringLiteral("the file name \"%1\" cannot be stored in an archive")
                        .arg(QFile::decodeName(name)));
      }
      files.push_back({name, uint64_t(st.st_size), st.st_mtime});
      errno = 0;
    }
    const int readErr = errno;
    ::closedir(dir);
    if (readErr != 0) return fail(QStringLiteral("cannot read the folder %1: %2").arg(folder, ErrnoText(readErr)));
  }
  std::sort(files.begin(), files.end(),
            [](const TFolderEntry& a, const TFolderEntry& b) { return a.name < b.name; });

  // Never write an archive that opening refuses.
  {
    const QString tooLarge = QStringLiteral("it would be too large to open again: %1");
    if (files.size() > limits.MaxMembers)
      return fail(tooLarge.arg(
          QStringLiteral("%1 files, more than %2").arg(files.size()).arg(limits.MaxMembers)));
    uint64_t total = 0;
    for (const TFolderEntry& f : files) {
      if (f.size > limits.MaxMemberBytes)
        return fail(tooLarge.arg(QStringLiteral("\"%1\" holds %2 bytes, more than %3")
                                     .arg(QFile::decodeName(f.name))
                                     .arg(f.size)
                                     .arg(limits.MaxMemberBytes)));
      total += f.size;  // each term is bounded, no overflow
    }
    if (total > limits.MaxTotalBytes)
      return fail(tooLarge.arg(
          QStringLiteral("%1 bytes in all, more than %2").arg(total).arg(limits.MaxTotalBytes)));
  }

  // The temporary file beside the target.
  QByteArray tempPath = targetDir + "/" + tempPrefix + "XXXXXX";
  {
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) return fail(ErrnoText(errno));
    ::close(fd);
  }
  bool keepTemp = false;
  struct TTempGuard {
    const QByteArray& path;
    bool& keep;
    ~TTempGuard() {
      if (!keep) ::unlink(path.constData());
    }
  } tempGuard{tempPath, keepTemp};

  reporter.Report(0.0);
  int err = 0;
  if (files.empty()) {
    if (!WriteEmptyArchive(tempPath, err)) return fail(ErrnoText(err));
  } else {
    int zerr = 0;
    zip_t* za = zip_open(tempPath.constData(), ZIP_CREATE | ZIP_TRUNCATE, &zerr);
    if (!za) {
      zip_error_t ze;
      zip_error_init_with_code(&ze, zerr);
      const QString why = QString::fromUtf8(zip_error_strerror(&ze));
      zip_error_fini(&ze);
      return fail(why);
    }
    auto discard = [&](const QString& why) {
      zip_discard(za);
      return fail(why);
    };
    for (const TFolderEntry& f : files) {
      auto* ctx = new TFolderFileSource;
      ctx->path = folderPath + "/" + f.name;
      ctx->size = f.size;
      ctx->mtime = f.mtime;
      zip_error_init(&ctx->error);
      zip_source_t* src = zip_source_function(za, FolderFileCallback, ctx);
      if (!src) {
        zip_error_fini(&ctx->error);
        delete ctx;
        return discard(QString::fromUtf8(zip_strerror(za)));
      }
      const zip_int64_t index = zip_file_add(za, f.name.constData(), src, ZIP_FL_ENC_GUESS);
      if (index < 0) {
        zip_source_free(src);
        return discard(QString::fromUtf8(zip_strerror(za)));
      }
      const QString name = QFile::decodeName(f.name);
      const bool store = IsStoreOnlyName(name);
      if (zip_set_file_compression(za, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                   store ? 0 : kDeflateLevel) != 0)
        return discard(QString::fromUtf8(zip_strerror(za)));
      result.Members.push_back(name);
    }
    zip_register_progress_callback_with_state(za, kProgressStep, ZipProgressCallback, nullptr,
                                              &reporter);
    if (zip_close(za) != 0) return discard(QString::fromUtf8(zip_strerror(za)));
  }

  // Flush to the disk, give the file the mode the target had (or a new file's
  // mode), then put it in the target's place and make the rename durable.
  {
    TFd fd(::open(tempPath.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.fd < 0) return fail(ErrnoText(errno));
    const mode_t mode = targetExists ? (targetSt.st_mode & 07777) : NewFileMode();
    if (::fchmod(fd.fd, mode) != 0 || ::fsync(fd.fd) != 0) return fail(ErrnoText(errno));
  }
  if (::rename(tempPath.constData(), targetPath.constData()) != 0) return fail(ErrnoText(errno));
  keepTemp = true;  // it is the target now
  {
    TFd dfd(::open(targetDir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dfd.fd >= 0) ::fsync(dfd.fd);
  }
  result.Ok = true;
  reporter.Finish();
  return result;
}

// ---------------------------------------------------------------------------
// Reading

namespace {

// Why a member name is not a bare file name; empty when it is one.
QString BadNameReason(const QByteArray& raw, const QString& name) {
  if (raw.isEmpty() || name.isEmpty()) return QStringLiteral("an empty name");
  if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
    return QStringLiteral("a folder or path in its name");
  if (name == QLatin1String(".") || name == QLatin1String("..")) return QStringLiteral("a folder name");
  if (name.contains(QChar(0))) return QStringLiteral("a zero character in its name");
  if (QFile::encodeName(name).size() > NAME_MAX) return QStringLiteral("a name that is too long");
  return {};
}

// Why the member's file attributes are refused: a link, a folder, a device.
QString BadAttributesReason(zip_t* za, zip_uint64_t index) {
  zip_uint8_t opsys = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(za, index, 0, &opsys, &attributes) != 0)
    return QStringLiteral("unreadable file attributes");
  const mode_t type = mode_t(attributes >> 16) & S_IFMT;
  if (type == S_IFLNK) return QStringLiteral("a symbolic link");
  if (type != 0 && type != S_IFREG) return QStringLiteral("not a plain file");
  if (opsys == ZIP_OPSYS_DOS || opsys == ZIP_OPSYS_WINDOWS_NTFS || opsys == ZIP_OPSYS_VFAT) {
    if (attributes & 0x10) return QStringLiteral("a folder");
  }
  return {};
}

QString ZipOpenErrorText(int code) {
  switch (code) {
    case ZIP_ER_NOZIP:
      return QStringLiteral("it is not a zip archive, or it is incomplete");
    case ZIP_ER_EXISTS:
      return QStringLiteral("two of its members have the same name");
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
      return QStringLiteral("the archive is damaged or incomplete");
    default: {
      zip_error_t ze;
      zip_error_init_with_code(&ze, code);
      const QString text = QString::fromUtf8(zip_error_strerror(&ze));
      zip_error_fini(&ze);
      return text;
    }
  }
}

struct TMemberPlan {
  zip_uint64_t index = 0;
  QString name;
  QByteArray fsName;
  uint64_t size = 0;
};

}  // namespace

TArchiveResult UnzipToFolder(const QString& archivePath, const QString& folder,
                             const TUnzipLimits& limits, const TArchiveProgress& progress) {
  TArchiveResult result;
  TProgressReporter reporter(progress);
  auto fail = [&](const QString& why) {
    result.Ok = false;
    result.Members.clear();
    result.Message = QStringLiteral("Cannot open \"%1\": %2").arg(archivePath, why);
    return result;
  };

  TFd afd(::open(QFile::encodeName(archivePath).constData(), O_RDONLY | O_CLOEXEC));
  if (afd.fd < 0) return fail(ErrnoText(errno));
  struct stat ast {};
  if (::fstat(afd.fd, &ast) != 0) return fail(ErrnoText(errno));
  if (!S_ISREG(ast.st_mode)) return fail(QStringLiteral("it is not a file"));
  if (ast.st_size == 0) return fail(QStringLiteral("the file is empty"));
  if (ast.st_size < 22) return fail(QStringLiteral("it is not a zip archive"));

  int zerr = 0;
  zip_t* za = zip_fdopen(afd.fd, ZIP_CHECKCONS, &zerr);
  if (!za) return fail(ZipOpenErrorText(zerr));
  afd.release();  // libzip owns it now
  struct TArchiveCloser {
    zip_t* za;
    ~TArchiveCloser() { zip_discard(za); }
  } closer{za};

  const zip_int64_t count = zip_get_num_entries(za, 0);
  if (count < 0) return fail(QStringLiteral("the archive is damaged or incomplete"));
  if (uint64_t(count) > limits.MaxMembers)
    return fail(QStringLiteral("it has %1 members, more than the %2 allowed")
                    .arg(count)
                    .arg(limits.MaxMembers));

  // Check every member before anything is written.
  std::vector<TMemberPlan> plan;
  plan.reserve(size_t(count));
  QSet<QString> seen;
  uint64_t total = 0;
  for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, i, ZIP_FL_ENC_RAW, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
        !(st.valid & ZIP_STAT_SIZE))
      return fail(QStringLiteral("the archive is damaged or incomplete"));
    const QByteArray raw(st.name);
    const QString name = DecodeUtf8OrCp1252(raw);
    const QString shown = name.left(80);
    if (const QString why = BadNameReason(raw, name); !why.isEmpty())
      return fail(QStringLiteral("the member \"%1\" is refused: %2").arg(shown, why));
    if (const QString why = BadAttributesReason(za, i); !why.isEmpty())
      return fail(QStringLiteral("the member \"%1\" is refused: %2").arg(shown, why));
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
      return fail(QStringLiteral("the member \"%1\" is encrypted").arg(shown));
    if (!(st.valid & ZIP_STAT_COMP_METHOD) ||
        !zip_compression_method_supported(zip_int32_t(st.comp_method), 0))
      return fail(QStringLiteral("the member \"%1\" uses an unknown compression").arg(shown));
    if (seen.contains(name))
      return fail(QStringLiteral("the member \"%1\" appears twice").arg(shown));
    seen.insert(name);
    if (st.size > limits.MaxMemberBytes)
      return fail(QStringLiteral("the member \"%1\" is larger than %2 bytes")
                      .arg(shown)
                      .arg(limits.MaxMemberBytes));
    total += st.size;  // each term is bounded, no overflow
    if (total > limits.MaxTotalBytes)
      return fail(QStringLiteral("its members are larger than %1 bytes together").arg(limits.MaxTotalBytes));
    plan.push_back({i, name, QFile::encodeName(name), st.size});
  }

  TFd dfd(::open(QFile::encodeName(StripTrailingSlashes(folder)).constData(),
                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (dfd.fd < 0)
    return fail(QStringLiteral("cannot write into the folder %1: %2").arg(folder, ErrnoText(errno)));

  // Extract; on any failure remove every file made so far.
  std::vector<QByteArray> created;
  auto undo = [&](const QString& why) {
    for (const QByteArray& n : created) ::unlinkat(dfd.fd, n.constData(), 0);
    return fail(why);
  };
  std::vector<char> buffer(kCopyBuffer);
  uint64_t done = 0;
  reporter.Report(0.0);
  for (const TMemberPlan& m : plan) {
    const int out = ::openat(dfd.fd, m.fsName.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (out < 0) {
      const int e = errno;
      if (e == EEXIST)
        return undo(QStringLiteral("a file \"%1\" is already in the folder").arg(m.name));
      return undo(QStringLiteral("cannot create \"%1\": %2").arg(m.name, ErrnoText(e)));
    }
    TFd outFd(out);
    created.push_back(m.fsName);

    zip_file_t* zf = zip_fopen_index(za, m.index, 0);
    if (!zf)
      return undo(QStringLiteral("cannot read the member \"%1\": %2")
                      .arg(m.name, QString::fromUtf8(zip_strerror(za))));
    struct TZipFileCloser {
      zip_file_t* zf;
      ~TZipFileCloser() {
        if (zf) zip_fclose(zf);
      }
    } zfCloser{zf};

    uint64_t written = 0;
    for (;;) {
      const zip_int64_t n = zip_fread(zf, buffer.data(), buffer.size());
      if (n < 0)
        return undo(QStringLiteral("the member \"%1\" is damaged: %2")
                        .arg(m.name, QString::fromUtf8(zip_file_strerror(zf))));
      if (n == 0) break;
      // The header's size is not believed: count what actually comes out.
      written += uint64_t(n);
      if (written > m.size || written > limits.MaxMemberBytes || done + uint64_t(n) > limits.MaxTotalBytes)
        return undo(QStringLiteral("the member \"%1\" is larger than it claims").arg(m.name));
      int e = 0;
      if (!WriteAll(outFd.fd, buffer.data(), size_t(n), e))
        return undo(QStringLiteral("cannot write \"%1\": %2").arg(m.name, ErrnoText(e)));
      done += uint64_t(n);
      reporter.Report(total ? double(done) / double(total) : 0.0);
    }
    if (written != m.size)
      return undo(QStringLiteral("the member \"%1\" is shorter than it claims").arg(m.name));
    const int closeResult = zip_fclose(zf);
    zfCloser.zf = nullptr;
    if (closeResult != 0)
      return undo(QStringLiteral("the member \"%1\" is damaged").arg(m.name));
    if (::close(outFd.release()) != 0)
      return undo(QStringLiteral("cannot write \"%1\": %2").arg(m.name, ErrnoText(errno)));
    result.Members.push_back(m.name);
  }
  result.Ok = true;
  reporter.Finish();
  return result;
}

}  // namespace inkora
