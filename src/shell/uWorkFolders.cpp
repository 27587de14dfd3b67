#include "shell/uWorkFolders.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace inkora {

namespace {

// The path without trailing separators ("/" itself becomes empty).
QString withoutTrailingSlash(QString path) {
  while (path.endsWith(QLatin1Char('/'))) path.chop(1);
  return path;
}

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// RAII for a file descriptor.
class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Deletes the entry `name` of the folder open as `parentFd`, without following
// symbolic links. True when it is gone.
bool removeAt(int parentFd, const char* name) {
  struct stat st {};
  if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlinkat(parentFd, name, 0) == 0 || errno == ENOENT;

  // O_NOFOLLOW: if the folder was swapped for a link since fstatat, opening fails.
  TFd fd(::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return false;
  DIR* dir = ::fdopendir(fd.get());
  if (!dir) return false;
  fd.release();  // now owned by dir
  bool ok = true;
  while (const dirent* e = ::readdir(dir)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    if (!removeAt(::dirfd(dir), e->d_name)) ok = false;
  }
  ::closedir(dir);
  if (::unlinkat(parentFd, name, AT_REMOVEDIR) != 0 && errno != ENOENT) ok = false;
  return ok;
}

// Deletes the folder `path` when a real folder is there (not a link, not a
// file), then creates it with mode 0700. Throws EWorkAreaError(text) on failure.
void recreateFolder(const QString& path, const char* text) {
  const QByteArray p = QFile::encodeName(withoutTrailingSlash(path));
  struct stat st {};
  if (::lstat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode)) DeleteTree(path);
  if (::mkdir(p.constData(), 0700) != 0) {
    const int err = errno;
    throw EWorkAreaError(text, QStringLiteral("%1: %2").arg(path, errnoText(err)));
  }
}

void checkBase(const TWorkFolders& folders) {
  const TFolderCheck base = EnsurePrivateFolder(folders.TempFolder);
  if (!base.Ok()) throw EWorkAreaError(kWorkAreaError, base.Error);
}

}  // namespace

QString PrivateBaseName() { return QStringLiteral("inkora-%1").arg(::geteuid()); }

QString DefaultTempFolder() { return QDir::tempPath() + QLatin1Char('/') + PrivateBaseName(); }

TFolderCheck EnsurePrivateFolder(const QString& path) {
  const QString shown = withoutTrailingSlash(path);
  if (shown.isEmpty()) return {QStringLiteral("No private folder was named.")};
  const QByteArray p = QFile::encodeName(shown);
  // `what` names the step that failed; errno says why.
  const auto failed = [&shown](const char* what) {
    const int err = errno;
    return TFolderCheck{QStringLiteral("The folder %1 could not be %2: %3")
                            .arg(shown, QLatin1String(what), errnoText(err))};
  };

  if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST) return failed("created");

  struct stat st {};
  if (::lstat(p.constData(), &st) != 0) return failed("read");
  if (S_ISLNK(st.st_mode))
    return {
        QStringLiteral("%1 is a symbolic link, not a private folder; it is not used.").arg(shown)};
  if (!S_ISDIR(st.st_mode))
    return {QStringLiteral("%1 is not a folder; it is not used.").arg(shown)};

  // Every further check and change goes through a descriptor of the folder
  // itself, so a swap of the name in between cannot redirect them.
  TFd fd(::open(p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return failed("opened");
  if (::fstat(fd.get(), &st) != 0) return failed("read");
  if (st.st_uid != ::geteuid())
    return {QStringLiteral("%1 belongs to another user (uid %2); it is not used.")
                .arg(shown)
                .arg(st.st_uid)};
  // A folder of ours with any other mode (wider, or missing our own rights)
  // is set to exactly 0700.
  if ((st.st_mode & 07777) != 0700 && ::fchmod(fd.get(), 0700) != 0) return failed("made private");
  return {};
}

TWorkFolders::TWorkFolders(const QString& basePath)
    : TempFolder(withoutTrailingSlash(basePath) + QLatin1Char('/')),
      WorkFolder(TempFolder + QLatin1String(kWorkFolderName) + QLatin1Char('/')),
      CacheFolder(TempFolder + QLatin1String(kCacheFolderName) + QLatin1Char('/')) {}

void PrepareWorkFolders(const TWorkFolders& folders) {
  checkBase(folders);
  recreateFolder(folders.WorkFolder, kWorkAreaError);
  recreateFolder(folders.CacheFolder, kCacheAreaError);
}

void PrepareCacheFolder(const TWorkFolders& folders) {
  const TFolderCheck base = EnsurePrivateFolder(folders.TempFolder);
  if (!base.Ok()) throw EWorkAreaError(kCacheAreaError, base.Error);
  recreateFolder(folders.CacheFolder, kCacheAreaError);
}

bool DeleteTree(const QString& path) noexcept {
  try {
    const QString p = withoutTrailingSlash(path);
    if (p.isEmpty()) return false;
    const QByteArray name = QFile::encodeName(p);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return false;
    return removeAt(AT_FDCWD, name.constData());
  } catch (...) {
    return false;
  }
}

void DeleteFilesIn(const QString& path) noexcept {
  try {
    const QString p = withoutTrailingSlash(path);
    if (p.isEmpty()) return;
    TFd fd(
        ::open(QFile::encodeName(p).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) return;
    DIR* dir = ::fdopendir(fd.get());
    if (!dir) return;
    fd.release();
    while (const dirent* e = ::readdir(dir)) {
      struct stat st {};
      if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISDIR(st.st_mode)) continue;  // also skips "." and ".."
      ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
    ::closedir(dir);
  } catch (...) {
  }
}

}  // namespace inkora
