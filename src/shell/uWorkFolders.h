// The board's work folders: a private per-user base folder under the system
// temp folder, and inside it the work folder (note backgrounds, placed images,
// project members) and the cache folder (one picture per note).
//
// The base is never shared: it is mode 0700, owned by the user and not a
// symbolic link, so no other user can plant, swap or watch what the board
// keeps there. Deleting never follows a symbolic link out of a folder.
#pragma once

#include <QString>

#include <stdexcept>
#include <utility>

namespace inkora {

// Name of the work folder and of the cache folder inside the base.
inline constexpr const char* kWorkFolderName = "$tmp_Inkora4";
inline constexpr const char* kCacheFolderName = "$tmp_CacheNote";

// Texts of the errors PrepareWorkFolders raises.
inline constexpr const char* kWorkAreaError = "Cannot Create Work Area!";
inline constexpr const char* kCacheAreaError = "Cannot Create Cache Area!";

// Raised when the work or cache folder cannot be made. what() is one of the
// two fixed texts above (shown by the general error handler); Detail() says why.
class EWorkAreaError : public std::runtime_error {
 public:
  EWorkAreaError(const char* text, QString detail)
      : std::runtime_error(text), detail_(std::move(detail)) {}
  const QString& Detail() const { return detail_; }

 private:
  QString detail_;
};

// The outcome of making sure a folder is private; Error is empty on success.
struct TFolderCheck {
  QString Error;
  bool Ok() const { return Error.isEmpty(); }
};

// "inkora-<uid>": the name of the private base inside the system temp folder.
QString PrivateBaseName();
// QDir::tempPath() + "/" + PrivateBaseName().
QString DefaultTempFolder();

// Makes sure `path` is a private folder of the user: creates it with mode 0700
// when missing and narrows a folder of ours with another mode to 0700. Refuses
// a symbolic link, anything that is not a folder, and a folder owned by another
// user. The parent folder must exist.
TFolderCheck EnsurePrivateFolder(const QString& path);

// The folder paths of one run. Each ends with "/", so file names are appended
// directly.
struct TWorkFolders {
  // basePath: the private base; DefaultTempFolder() unless a test injects one.
  explicit TWorkFolders(const QString& basePath = DefaultTempFolder());
  QString TempFolder;   // the private base
  QString WorkFolder;   // TempFolder + "$tmp_Inkora4/"
  QString CacheFolder;  // TempFolder + "$tmp_CacheNote/"
};

// Called whenever a presentation is started or opened: checks the private
// base (creating it when missing), then deletes the work folder and the cache
// folder with everything in them and creates both again, empty.
// Throws EWorkAreaError with kWorkAreaError when the base is refused or the
// work folder cannot be made, with kCacheAreaError when the cache folder
// cannot be made. Only a real folder is deleted: a file or a symbolic link
// where a folder must be makes the creation fail.
void PrepareWorkFolders(const TWorkFolders& folders);
// Empties and recreates only the cache folder (the note cache rebuild); throws
// EWorkAreaError with kCacheAreaError on failure.
void PrepareCacheFolder(const TWorkFolders& folders);

// Deletes the entry at `path` (a trailing "/" is ignored): a folder with all it
// holds, or a single file. A symbolic link is removed itself, never followed,
// at any depth. True when everything is gone; false on any failure, on an
// empty path, and when nothing was there. Throws nothing.
bool DeleteTree(const QString& path) noexcept;

// Deletes every file directly in the folder `path`, and every symbolic link
// there (the link, not what it points to); subfolders and their contents stay.
// A `path` that is itself a symbolic link is left alone. Failures are ignored.
void DeleteFilesIn(const QString& path) noexcept;

}  // namespace inkora
