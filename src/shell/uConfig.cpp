#include "shell/uConfig.h"

#include "shell/uIniFile.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>

namespace inkora {
namespace {

// A value that is not a 32-bit decimal integer (text, "1.5", 99999999999)
// reads as the key's default (TIniFile::ReadInteger); the helpers below then
// either clamp it into its range or, where a value outside the range has no
// sensible neighbour (positions, palette indices, codes), use the default.
int32_t ReadClamped(const TIniFile& ini, const char* section, const char* key, int32_t def,
                    int32_t lo, int32_t hi) {
  return std::clamp(ini.ReadInteger(section, key, def), lo, hi);
}

int32_t ReadInRange(const TIniFile& ini, const char* section, const char* key, int32_t def,
                    int32_t lo, int32_t hi) {
  const int32_t v = ini.ReadInteger(section, key, def);
  return v >= lo && v <= hi ? v : def;
}

// Window coordinates are kept inside what X11 can address, so that position
// arithmetic never overflows; placing the bar back on screen is start-up's job.
constexpr int32_t kCoordLimit = 32767;

constexpr int32_t kDefaultFloatingY = 27;
constexpr int32_t kFloatingXFromRight = 239;

QString Under(const TConfigLocation& where, const char* name) {
  return ConfigFolder(where) + u'/' + QLatin1StringView(name);
}

bool IsGalleryBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString TrimGalleryEntry(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && IsGalleryBlank(s[b])) ++b;
  while (e > b && IsGalleryBlank(s[e - 1])) --e;
  return s.sliced(b, e - b).toString();
}

}  // namespace

TConfigLocation DefaultConfigLocation() {
  TConfigLocation where;
  where.DocumentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (where.DocumentsFolder.isEmpty()) where.DocumentsFolder = QDir::homePath();
  if (qGuiApp && QGuiApplication::primaryScreen())
    where.ScreenWidth = QGuiApplication::primaryScreen()->geometry().width();
  return where;
}

QString ConfigFolder(const TConfigLocation& where) {
  QString docs = where.DocumentsFolder;
  while (docs.endsWith(u'/')) docs.chop(1);
  return docs + QStringLiteral("/Inkora 4");
}

QString ConfigFilePath(const TConfigLocation& where) { return Under(where, "Config.ini"); }
QString DefaultDocFolder(const TConfigLocation& where) { return Under(where, "Inkora Prj"); }
QString DefaultSaveNoteFolder(const TConfigLocation& where) { return Under(where, "Saved Notes"); }
QString DefaultRecFolder(const TConfigLocation& where) { return Under(where, "Inkora Contents"); }

QStringList SplitGalleryFolders(const QString& value) {
  QStringList folders;
  for (QStringView part : QStringView(value).split(u';')) {
    QString entry = TrimGalleryEntry(part);
    if (!entry.isEmpty()) folders.append(std::move(entry));
  }
  return folders;
}

QString JoinGalleryFolders(const QStringList& folders) {
  QStringList kept;
  for (const QString& f : folders)
    if (!TrimGalleryEntry(f).isEmpty()) kept.append(f);
  return kept.join(u';');
}

void LoadConfig(TAppState& s, const TConfigLocation& where) {
  TIniFile ini;
  if (!where.DocumentsFolder.isEmpty()) {
    for (const QString& folder :
         {DefaultDocFolder(where), DefaultSaveNoteFolder(where), DefaultRecFolder(where)})
      QDir().mkpath(folder);
    ini.Load(ConfigFilePath(where));  // missing or unreadable: every default
  }

  // Position
  s.FloatingX = ReadClamped(ini, "Position", "FloatingX", where.ScreenWidth - kFloatingXFromRight,
                            -kCoordLimit, kCoordLimit);
  s.FloatingY =
      ReadClamped(ini, "Position", "FloatingY", kDefaultFloatingY, -kCoordLimit, kCoordLimit);
  s.UseDual = ini.ReadBool("Position", "UseDual", false);
  // Gallery
  s.GalleryFolders = SplitGalleryFolders(ini.ReadString("Gallery", "User", QString()));
  // Folder
  s.DocFolder = ini.ReadString("Folder", "DocFolder", DefaultDocFolder(where));
  s.SaveNote = ini.ReadString("Folder", "SaveNote", DefaultSaveNoteFolder(where));
  // Record
  s.RecFolder = ini.ReadString("Record", "Folder", DefaultRecFolder(where));
  s.Nameing = ini.ReadBool("Record", "Nameing", false);
  s.RecName = ini.ReadString("Record", "Name", QString());
  s.ContentsType = ReadInRange(ini, "Record", "ContentsType", 3, 0, 3);  // else: ask
  // Device and input indices: the lists they index change between runs, so
  // their upper end is checked where they are used; below -1 ("none chosen",
  // as the configuration dialog stores it) reads as -1.
  s.VideoDevice = std::max(ini.ReadInteger("Record", "VideoDevice", 0), -1);
  s.InputType = std::max(ini.ReadInteger("Record", "InputType", 0), -1);
  s.VideoProfile = ini.ReadString("Record", "VideoProfile", QString());
  s.AudioDevice = std::max(ini.ReadInteger("Record", "AudioDevice", 0), -1);
  s.AudioProfile = ini.ReadString("Record", "AudioProfile", QString());
  s.VideoPos = ReadInRange(ini, "Record", "VideoPos", 3, 0, 3);  // else: lower right
  // Spot and Warp: written only.
  // Note
  s.NoteColor = ReadInRange(ini, "Note", "Color", 15, 0, 15);  // else: white
  s.LogoFile = ini.ReadString("Note", "LogoFile", QString());
  s.LogoPos = ReadInRange(ini, "Note", "LogoPos", 9, 1, 9);  // else: lower right corner
  s.LogoTrans = ReadClamped(ini, "Note", "LogoTrans", 255, 0, 255);
  s.BGFile = ini.ReadString("Note", "BGFile", QString());
  s.BGTrans = ReadClamped(ini, "Note", "BGTrans", 255, 0, 255);
  // Pen
  s.ColorIndex = ReadInRange(ini, "Pen", "Color", 0, 0, int32_t(PaletteColors.size()) - 1);
  s.FPenWidth1 = ReadClamped(ini, "Pen", "FPenWidth1", 1, 1, 10);  // widths run 1..10
  s.FPenWidth2 = ReadClamped(ini, "Pen", "FPenWidth2", 3, 1, 10);
  s.FPenWidth3 = ReadClamped(ini, "Pen", "FPenWidth3", 7, 1, 10);
  s.FPenWidth4 = ReadClamped(ini, "Pen", "FPenWidth4", 10, 1, 10);
  // Option
  s.ConfirmEraser = ini.ReadBool("Option", "Eraser", true);
  s.ConfirmRecord = ini.ReadBool("Option", "Record", true);
  s.UsePenOnlyDrawing = ini.ReadBool("Option", "UsePenOnlyDrawing", false);
  // 0 stands for the floating bar; anything else outside 1..5 is the default
  // (floating) too.
  s.ToolbarPos = ReadInRange(ini, "Option", "ToolPos", 5, 1, 5);
  s.RememberToolPos = ini.ReadBool("Option", "RememberToolPos", true);
  s.ShowImportMsg = ini.ReadBool("Option", "ShowImportMsg", true);

  // Pen/Width is written at exit but never restored.
  s.PenWidth = 1;
}

void LoadConfig(TAppState& settings) { LoadConfig(settings, DefaultConfigLocation()); }

bool SaveConfig(const TAppState& s, const TConfigLocation& where) {
  if (where.DocumentsFolder.isEmpty()) return false;
  const QString path = ConfigFilePath(where);
  TIniFile ini;
  // A file that exists but cannot be read is not replaced: its other
  // sections would be lost.
  if (ini.Load(path) == TIniFile::TLoadResult::Failed) return false;

  bool stored = true;
  auto str = [&](const char* section, const char* key, const QString& v) {
    stored &= ini.WriteString(section, key, v);
  };
  auto num = [&](const char* section, const char* key, int32_t v) {
    stored &= ini.WriteInteger(section, key, v);
  };
  auto flag = [&](const char* section, const char* key, bool v) {
    stored &= ini.WriteBool(section, key, v);
  };

  num("Position", "FloatingX", s.FloatingX);
  num("Position", "FloatingY", s.FloatingY);
  flag("Position", "UseDual", s.UseDual);
  str("Gallery", "User", JoinGalleryFolders(s.GalleryFolders));
  str("Folder", "DocFolder", s.DocFolder);
  str("Folder", "SaveNote", s.SaveNote);
  str("Record", "Folder", s.RecFolder);
  flag("Record", "Nameing", s.Nameing);
  str("Record", "Name", s.RecName);
  num("Record", "ContentsType", s.ContentsType);
  num("Record", "VideoDevice", s.VideoDevice);
  num("Record", "InputType", s.InputType);
  str("Record", "VideoProfile", s.VideoProfile);
  num("Record", "AudioDevice", s.AudioDevice);
  str("Record", "AudioProfile", s.AudioProfile);
  num("Record", "VideoPos", s.VideoPos);
  num("Spot", "Color", 0);
  num("Spot", "Trans", 0);
  num("Spot", "Size", 0);
  num("Warp", "Color", 0);
  num("Warp", "Trans", 0);
  num("Note", "Color", s.NoteColor);
  str("Note", "LogoFile", s.LogoFile);
  num("Note", "LogoPos", s.LogoPos);
  num("Note", "LogoTrans", s.LogoTrans);
  str("Note", "BGFile", s.BGFile);
  num("Note", "BGTrans", s.BGTrans);
  num("Pen", "Color", s.ColorIndex);
  num("Pen", "Width", s.PenWidth);
  num("Pen", "FPenWidth1", s.FPenWidth1);
  num("Pen", "FPenWidth2", s.FPenWidth2);
  num("Pen", "FPenWidth3", s.FPenWidth3);
  num("Pen", "FPenWidth4", s.FPenWidth4);
  flag("Option", "Eraser", s.ConfirmEraser);
  flag("Option", "Record", s.ConfirmRecord);
  flag("Option", "UsePenOnlyDrawing", s.UsePenOnlyDrawing);
  num("Option", "ToolPos", s.ToolbarPos);
  flag("Option", "RememberToolPos", s.RememberToolPos);
  flag("Option", "ShowImportMsg", s.ShowImportMsg);

  return ini.Save(path) && stored;
}

bool SaveConfig(const TAppState& settings) { return SaveConfig(settings, DefaultConfigLocation()); }

}  // namespace inkora
