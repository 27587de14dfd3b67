#include "shell/uConfig.h"
#include "shell/uIniFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <utility>
#include <vector>

// Readable failure messages for the field table.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QVariant& v, std::ostream* os) {
  *os << v.typeName() << " "
      << (v.canConvert<QStringList>() && v.typeId() == QMetaType::QStringList
              ? v.toStringList().join(" ; ").toStdString()
              : v.toString().toStdString());
}
QT_END_NAMESPACE

namespace inkora {
namespace {

using Getter = std::function<QVariant(const TAppState&)>;

struct Field {
  const char* name;
  Getter get;
};

// Every setting LoadConfig fills, by the key it comes from.
const std::vector<Field>& Fields() {
  static const std::vector<Field> fields = {
      {"Position/FloatingX", [](const TAppState& s) { return QVariant(s.FloatingX); }},
      {"Position/FloatingY", [](const TAppState& s) { return QVariant(s.FloatingY); }},
      {"Position/UseDual", [](const TAppState& s) { return QVariant(s.UseDual); }},
      {"Gallery/User", [](const TAppState& s) { return QVariant(s.GalleryFolders); }},
      {"Folder/DocFolder", [](const TAppState& s) { return QVariant(s.DocFolder); }},
      {"Folder/SaveNote", [](const TAppState& s) { return QVariant(s.SaveNote); }},
      {"Record/Folder", [](const TAppState& s) { return QVariant(s.RecFolder); }},
      {"Record/Nameing", [](const TAppState& s) { return QVariant(s.Nameing); }},
      {"Record/Name", [](const TAppState& s) { return QVariant(s.RecName); }},
      {"Record/ContentsType", [](const TAppState& s) { return QVariant(s.ContentsType); }},
      {"Record/VideoDevice", [](const TAppState& s) { return QVariant(s.VideoDevice); }},
      {"Record/InputType", [](const TAppState& s) { return QVariant(s.InputType); }},
      {"Record/VideoProfile", [](const TAppState& s) { return QVariant(s.VideoProfile); }},
      {"Record/AudioDevice", [](const TAppState& s) { return QVariant(s.AudioDevice); }},
      {"Record/AudioProfile", [](const TAppState& s) { return QVariant(s.AudioProfile); }},
      {"Record/VideoPos", [](const TAppState& s) { return QVariant(s.VideoPos); }},
      {"Note/Color", [](const TAppState& s) { return QVariant(s.NoteColor); }},
      {"Note/LogoFile", [](const TAppState& s) { return QVariant(s.LogoFile); }},
      {"Note/LogoPos", [](const TAppState& s) { return QVariant(s.LogoPos); }},
      {"Note/LogoTrans", [](const TAppState& s) { return QVariant(s.LogoTrans); }},
      {"Note/BGFile", [](const TAppState& s) { return QVariant(s.BGFile); }},
      {"Note/BGTrans", [](const TAppState& s) { return QVariant(s.BGTrans); }},
      {"Pen/Color", [](const TAppState& s) { return QVariant(s.ColorIndex); }},
      {"Pen/Width", [](const TAppState& s) { return QVariant(s.PenWidth); }},
      {"Pen/FPenWidth1", [](const TAppState& s) { return QVariant(s.FPenWidth1); }},
      {"Pen/FPenWidth2", [](const TAppState& s) { return QVariant(s.FPenWidth2); }},
      {"Pen/FPenWidth3", [](const TAppState& s) { return QVariant(s.FPenWidth3); }},
      {"Pen/FPenWidth4", [](const TAppState& s) { return QVariant(s.FPenWidth4); }},
      {"Option/Eraser", [](const TAppState& s) { return QVariant(s.ConfirmEraser); }},
      {"Option/Record", [](const TAppState& s) { return QVariant(s.ConfirmRecord); }},
      {"Option/UsePenOnlyDrawing",
       [](const TAppState& s) { return QVariant(s.UsePenOnlyDrawing); }},
      {"Option/ToolPos", [](const TAppState& s) { return QVariant(s.ToolbarPos); }},
      {"Option/RememberToolPos", [](const TAppState& s) { return QVariant(s.RememberToolPos); }},
      {"Option/ShowImportMsg", [](const TAppState& s) { return QVariant(s.ShowImportMsg); }},
  };
  return fields;
}

const Field& FieldOf(const QString& name) {
  for (const Field& f : Fields())
    if (name == f.name) return f;
  throw std::invalid_argument(name.toStdString());
}

// A state whose every setting differs from its default.
TAppState Unusual() {
  TAppState s;
  s.FloatingX = -120;
  s.FloatingY = 640;
  s.UseDual = true;
  s.GalleryFolders = {"Maps|/home/t/maps", QStringLiteral("\u00C9t\u00E9|/home/t/\u00E9t\u00E9 2")};
  s.DocFolder = "/srv/projects";
  s.SaveNote = "/srv/notes";
  s.RecFolder = "/srv/rec";
  s.Nameing = true;
  s.RecName = "lesson";
  s.ContentsType = 1;
  s.VideoDevice = 2;
  s.InputType = -1;
  s.VideoProfile = "Video 640x480.prx";
  s.AudioDevice = 1;
  s.AudioProfile = "Audio \"voice\".prx";
  s.VideoPos = 0;
  s.NoteColor = 4;
  s.LogoFile = "/home/t/logo.png";
  s.LogoPos = 2;
  s.LogoTrans = 100;
  s.BGFile = "C:=strange;name.png";
  s.BGTrans = 0;
  s.ColorIndex = 16;
  s.PenWidth = 8;
  s.FPenWidth1 = 2;
  s.FPenWidth2 = 4;
  s.FPenWidth3 = 6;
  s.FPenWidth4 = 9;
  s.ConfirmEraser = false;
  s.ConfirmRecord = false;
  s.UsePenOnlyDrawing = true;
  s.ToolbarPos = 3;
  s.RememberToolPos = false;
  s.ShowImportMsg = false;
  return s;
}

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    where.DocumentsFolder = tmp.filePath("Documents");
    where.ScreenWidth = 1920;
  }
  QString Base() const { return where.DocumentsFolder + "/Inkora 4"; }
  QString Path() const { return Base() + "/Config.ini"; }
  void WriteConfig(const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(Base()));
    QFile f(Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(text), text.size());
  }
  QByteArray ReadConfig() const {
    QFile f(Path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  TAppState Loaded() {
    TAppState s = Unusual();
    LoadConfig(s, where);
    return s;
  }

  QTemporaryDir tmp;
  TConfigLocation where;
};

TEST_F(ConfigTest, MissingFileGivesEveryDefault) {
  const QString base = tmp.filePath("Documents/Inkora 4");
  const std::vector<std::pair<const char*, QVariant>> defaults = {
      {"Position/FloatingX", 1920 - 239},
      {"Position/FloatingY", 27},
      {"Position/UseDual", false},
      {"Gallery/User", QStringList()},
      {"Folder/DocFolder", base + "/Inkora Prj"},
      {"Folder/SaveNote", base + "/Saved Notes"},
      {"Record/Folder", base + "/Inkora Contents"},
      {"Record/Nameing", false},
      {"Record/Name", QString()},
      {"Record/ContentsType", 3},
      {"Record/VideoDevice", 0},
      {"Record/InputType", 0},
      {"Record/VideoProfile", QString()},
      {"Record/AudioDevice", 0},
      {"Record/AudioProfile", QString()},
      {"Record/VideoPos", 3},
      {"Note/Color", 15},
      {"Note/LogoFile", QString()},
      {"Note/LogoPos", 9},
      {"Note/LogoTrans", 255},
      {"Note/BGFile", QString()},
      {"Note/BGTrans", 255},
      {"Pen/Color", 0},
      {"Pen/Width", 1},
      {"Pen/FPenWidth1", 1},
      {"Pen/FPenWidth2", 3},
      {"Pen/FPenWidth3", 7},
      {"Pen/FPenWidth4", 10},
      {"Option/Eraser", true},
      {"Option/Record", true},
      {"Option/UsePenOnlyDrawing", false},
      {"Option/ToolPos", 5},
      {"Option/RememberToolPos", true},
      {"Option/ShowImportMsg", true},
  };
  ASSERT_EQ(defaults.size(), Fields().size());
  const TAppState s = Loaded();
  for (const auto& [key, value] : defaults) {
    SCOPED_TRACE(key);
    EXPECT_EQ(FieldOf(key).get(s), value);
  }
}

TEST_F(ConfigTest, CreatesTheThreeDefaultFoldersKeepingWhatIsInThem) {
  ASSERT_TRUE(QDir().mkpath(Base() + "/Inkora Prj"));
  QFile kept(Base() + "/Inkora Prj/lesson.ikp");
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
  kept.close();

  Loaded();
  for (const char* folder : {"Inkora Prj", "Saved Notes", "Inkora Contents"})
    EXPECT_TRUE(QFileInfo(Base() + "/" + folder).isDir()) << folder;
  EXPECT_TRUE(QFile::exists(Base() + "/Inkora Prj/lesson.ikp"));
  EXPECT_FALSE(QFile::exists(Path()));  // reading does not write the file
}

TEST_F(ConfigTest, EveryKeyRoundTripsAndIsWrittenInTableOrder) {
  WriteConfig("; mine\n[Custom]\nKeep=yes\n");
  const TAppState saved = Unusual();
  ASSERT_TRUE(SaveConfig(saved, where));

  TAppState s;
  LoadConfig(s, where);
  for (const Field& f : Fields()) {
    SCOPED_TRACE(f.name);
    if (QString(f.name) == "Pen/Width")
      EXPECT_EQ(f.get(s), 1);  // written, never restored
    else
      EXPECT_EQ(f.get(s), f.get(saved));
  }

  // Section headers and key names in the order they stand in the file.
  QStringList order;
  for (const QByteArray& line : ReadConfig().split('\n')) {
    if (line.startsWith('['))
      order << QString(line);
    else if (line.contains('='))
      order << QString(line.left(line.indexOf('=')));
  }
  // clang-format off
  const QStringList expected = {
      "[Custom]", "Keep",
      "[Position]", "FloatingX", "FloatingY", "UseDual",
      "[Gallery]", "User",
      "[Folder]", "DocFolder", "SaveNote",
      "[Record]", "Folder", "Nameing", "Name", "ContentsType", "VideoDevice", "InputType",
      "VideoProfile", "AudioDevice", "AudioProfile", "VideoPos",
      "[Spot]", "Color", "Trans", "Size",
      "[Warp]", "Color", "Trans",
      "[Note]", "Color", "LogoFile", "LogoPos", "LogoTrans", "BGFile", "BGTrans",
      "[Pen]", "Color", "Width", "FPenWidth1", "FPenWidth2", "FPenWidth3", "FPenWidth4",
      "[Option]", "Eraser", "Record", "UsePenOnlyDrawing", "ToolPos", "RememberToolPos",
      "ShowImportMsg",
  };
  // clang-format on
  EXPECT_EQ(order, expected);
  EXPECT_TRUE(ReadConfig().startsWith("; mine\n"));
}

TEST_F(ConfigTest, PenWidthIsWrittenButNotRestored) {
  TAppState s = Unusual();
  s.PenWidth = 6;
  ASSERT_TRUE(QDir().mkpath(Base()));
  ASSERT_TRUE(SaveConfig(s, where));
  EXPECT_EQ(TIniFile::FromBytes(ReadConfig()).ReadInteger("Pen", "Width", 0), 6);
  EXPECT_EQ(Loaded().PenWidth, 1);
}

TEST_F(ConfigTest, SpotAndWarpAreWrittenAsZero) {
  ASSERT_TRUE(QDir().mkpath(Base()));
  ASSERT_TRUE(SaveConfig(Unusual(), where));
  const TIniFile ini = TIniFile::FromBytes(ReadConfig());
  const std::pair<const char*, const char*> keys[] = {
      {"Spot", "Color"}, {"Spot", "Trans"}, {"Spot", "Size"}, {"Warp", "Color"}, {"Warp", "Trans"}};
  for (const auto& [section, key] : keys)
    EXPECT_EQ(ini.ReadString(section, key, "absent"), "0") << section << "/" << key;
}

TEST_F(ConfigTest, GalleryEntriesIgnoreBlanksAndAreJoinedWithoutThem) {
  const struct {
    QByteArray value;
    QStringList folders;
    QString written;
  } cases[] = {
      {"Maps|/m;Art|/a; Music|/u", {"Maps|/m", "Art|/a", "Music|/u"}, "Maps|/m;Art|/a;Music|/u"},
      {";Maps|/m;; ;\tArt|/my pictures ;",
       {"Maps|/m", "Art|/my pictures"},
       "Maps|/m;Art|/my pictures"},
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.constData());
    WriteConfig("[Gallery]\nUser=" + c.value + "\n");
    const TAppState s = Loaded();
    EXPECT_EQ(s.GalleryFolders, c.folders);
    ASSERT_TRUE(SaveConfig(s, where));
    EXPECT_EQ(TIniFile::FromBytes(ReadConfig()).ReadString("Gallery", "User", "absent"), c.written);
  }
}

TEST_F(ConfigTest, ToolPosZeroAndStrayValuesMeanTheFloatingBar) {
  const struct {
    const char* value;
    int32_t toolbarPos;
  } cases[] = {{"0", 5}, {"1", 1}, {"2", 2},  {"3", 3},   {"4", 4},
               {"5", 5}, {"6", 5}, {"-1", 5}, {"left", 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    WriteConfig(QByteArray("[Option]\nToolPos=") + c.value + "\n");
    EXPECT_EQ(Loaded().ToolbarPos, c.toolbarPos);
  }
}

TEST_F(ConfigTest, OddValuesFallBackToTheDefaultOrAreClamped) {
  const struct {
    const char* section;
    const char* key;
    const char* value;
    QVariant expected;
  } cases[] = {
      // Not a 32-bit integer: the default.
      {"Position", "FloatingX", "abc", 1920 - 239},
      {"Position", "FloatingX", "99999999999", 1920 - 239},
      {"Pen", "FPenWidth3", "7.5", 7},
      {"Position", "UseDual", "yes", false},
      {"Option", "Eraser", "off", true},
      // Any non-zero integer is true.
      {"Position", "UseDual", "-3", true},
      // Coordinates, opacities and widths are clamped.
      {"Position", "FloatingX", "-2000000000", -32767},
      {"Position", "FloatingY", "40000", 32767},
      {"Note", "LogoTrans", "300", 255},
      {"Note", "BGTrans", "-5", 0},
      {"Pen", "FPenWidth1", "0", 1},
      {"Pen", "FPenWidth4", "50", 10},
      // Positions, palette indices and codes out of range: the default.
      {"Note", "LogoPos", "0", 9},
      {"Note", "LogoPos", "10", 9},
      {"Note", "Color", "16", 15},
      {"Pen", "Color", "17", 0},
      {"Pen", "Color", "16", 16},
      {"Record", "ContentsType", "-1", 3},
      {"Record", "VideoPos", "4", 3},
      // Device indices: -1 is "none chosen"; the upper end is checked at use.
      {"Record", "VideoDevice", "-7", -1},
      {"Record", "AudioDevice", "-1", -1},
      {"Record", "InputType", "12", 12},
      // Strings are taken as they stand.
      {"Note", "LogoFile", "\"quoted\" = 1", "\"quoted\" = 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.section << "/" << c.key << "=" << c.value);
    WriteConfig(QByteArray("[") + c.section + "]\n" + c.key + "=" + c.value + "\n");
    EXPECT_EQ(FieldOf(QString(c.section) + "/" + c.key).get(Loaded()), c.expected);
  }
}

TEST_F(ConfigTest, AFailedWriteIsReportedAndLeavesThePreviousFileAlone) {
  const QByteArray previous = "[Pen]\nColor=5\n";
  // No documents folder: nothing is created.
  EXPECT_FALSE(SaveConfig(Unusual(), where));
  EXPECT_FALSE(QFileInfo::exists(where.DocumentsFolder));

  // A read-only file.
  WriteConfig(previous);
  ASSERT_TRUE(
      QFile::setPermissions(Path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  EXPECT_FALSE(SaveConfig(Unusual(), where));
  EXPECT_EQ(ReadConfig(), previous);
  ASSERT_TRUE(QFile::setPermissions(Path(), QFile::ReadOwner | QFile::WriteOwner));

  // A file too large to be a configuration is neither read nor replaced.
  QByteArray huge = previous + QByteArray(TIniFile::kMaxFileSize, '#');
  WriteConfig(huge);
  EXPECT_EQ(Loaded().ColorIndex, 0);
  EXPECT_FALSE(SaveConfig(Unusual(), where));
  EXPECT_EQ(ReadConfig(), huge);

  // A folder in the file's place.
  ASSERT_TRUE(QFile::remove(Path()));
  ASSERT_TRUE(QDir().mkpath(Path()));
  EXPECT_FALSE(SaveConfig(Unusual(), where));
  EXPECT_TRUE(QFileInfo(Path()).isDir());
  EXPECT_EQ(QDir(Base()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(ConfigTest, AValueWithALineBreakIsNotWrittenButTheOthersAre) {
  WriteConfig("[Note]\nLogoFile=/old/logo.png\n");
  TAppState s = Unusual();
  s.LogoFile = "/tmp/a\n[Option]\nToolPos=1";
  EXPECT_FALSE(SaveConfig(s, where));
  const TAppState back = Loaded();
  EXPECT_EQ(back.LogoFile, "/old/logo.png");
  EXPECT_EQ(back.ToolbarPos, 3);
  EXPECT_EQ(back.BGFile, s.BGFile);
}

TEST(ConfigLocation, IsInkora4ConfigIniUnderTheDocumentsFolder) {
  const TConfigLocation where{"/home/t/Documents/", 1280};
  EXPECT_EQ(ConfigFilePath(where), "/home/t/Documents/Inkora 4/Config.ini");
  EXPECT_EQ(DefaultDocFolder(where), "/home/t/Documents/Inkora 4/Inkora Prj");
  // The real location is only computed, never touched.
  EXPECT_TRUE(ConfigFilePath(DefaultConfigLocation()).endsWith("/Inkora 4/Config.ini"));
}

}  // namespace
}  // namespace inkora
