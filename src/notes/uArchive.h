// The zip archive layer of project and contents files: a folder's files are
// zipped into one archive, and an archive is unpacked into an emptied folder.
//
// Members are flat (bare file names, no folders). Names with one of the
// already-compressed suffixes (GIF, PNG, JPG, ZIP, MP3, WMV, ...) are stored,
// everything else is deflated.
//
// Saving never damages the file it replaces: the archive is written to a
// temporary file ".<name>.tmp-XXXXXX" beside the target, flushed and synced,
// and only then renamed over the target. A killed process may leave such a
// file behind; it never takes the target's place and a later save makes a new
// one of its own.
//
// Unpacking never trusts the archive: every member must be a plain file with a
// bare name, sizes and the member count are bounded (bytes are counted as they
// are inflated, the header's sizes are not believed), and files are only ever
// created new, never written through a link. An archive that breaks any rule
// is refused as a whole and nothing of it is left in the folder.
//
// Neither function throws; both report through TArchiveResult.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace inkora {

// Outcome of an archive operation. Message says what went wrong when Ok is
// false. Members: the member names written or extracted, in archive order.
struct TArchiveResult {
  bool Ok = false;
  QString Message;
  QStringList Members;
};

// Progress as a fraction 0..1. Reports rise and are at least 1/10000 apart;
// the last report of a successful operation is exactly 1.
using TArchiveProgress = std::function<void(double fraction)>;

// Bounds for unpacking an archive.
struct TUnzipLimits {
  uint64_t MaxTotalBytes = uint64_t(2) << 30;    // all members together, uncompressed
  uint64_t MaxMemberBytes = uint64_t(512) << 20;  // one member, uncompressed
  uint64_t MaxMembers = 65535;
};

// True when a member of this name is stored without compression: its suffix
// (after the last '.') is one of the already-compressed formats, in any case.
bool IsStoreOnlyName(const QString& name);

// Zips every regular file directly in `folder` into `archivePath`, replacing
// the file there. Subfolders and symbolic links are skipped. An archive that
// UnzipToFolder with these limits would refuse (a member or all of them too
// large, too many members) is not written. On failure the target is left as
// it was and no temporary file remains.
TArchiveResult ZipFolder(const QString& folder, const QString& archivePath,
                         const TArchiveProgress& progress = {}, const TUnzipLimits& limits = {});

// Unpacks the archive at `archivePath` into `folder`, which should be empty.
// Refuses the whole archive when a member name is not a bare file name (a
// '/' or '\\', ".", "..", empty), a member is a link, a folder or encrypted,
// a limit is passed, or the archive is empty, damaged or not a zip archive; then
// every file it had extracted is removed again. A file already in the folder
// under a member's name is never overwritten (the archive is refused).
TArchiveResult UnzipToFolder(const QString& archivePath, const QString& folder,
                             const TUnzipLimits& limits = {},
                             const TArchiveProgress& progress = {});

}  // namespace inkora
