#include "shell/uIniFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

#include "../support/testFiles.h"

namespace inkora {
namespace {

using test::ReadAll;
using test::WriteAll;

struct ReadCase {
  const char* what;
  QByteArray file;
  const char* section;
  const char* key;
  std::optional<QString> expected;  // nullopt: the key is absent
};

TEST(IniFile, ReadsWithWindowsProfileRules) {
  const ReadCase cases[] = {
      {"plain", "[Pen]\nColor=3\n", "Pen", "Color", "3"},
      {"names ignore case", "[pEN]\ncOLOR=3\n", "PEN", "color", "3"},
      {"first key wins", "[Pen]\nColor=3\ncolor=4\n", "Pen", "Color", "3"},
      {"first section wins", "[Pen]\nColor=3\n[PEN]\nColor=4\n", "Pen", "Color", "3"},
      {"keys of a later duplicate section are not seen", "[Pen]\nColor=3\n[Pen]\nWidth=2\n", "Pen",
       "Width", std::nullopt},
      {"key of another section", "[Note]\nColor=3\n", "Pen", "Color", std::nullopt},
      {"key before any section", "Color=1\n[Pen]\n", "Pen", "Color", std::nullopt},
      {"blanks trimmed", "  [ Pen ]  \n\t Color \t=\t a  b \t\n", "Pen", "Color", "a  b"},
      {"quotes kept", "[Pen]\nName=\"x y\"\n", "Pen", "Name", "\"x y\""},
      {"empty value is present", "[Pen]\nName=\n", "Pen", "Name", ""},
      {"value up to the line end after the first =", "[Pen]\nExpr=a=b ;c\n", "Pen", "Expr",
       "a=b ;c"},
      {"comment line", "[Pen]\n ;Color=3\n", "Pen", "Color", std::nullopt},
      {"comment before the key", "[Pen]\n;Color=3\nColor=4\n", "Pen", "Color", "4"},
      {"garbage lines, a header without ']' and an empty name",
       "[Pen]\nrubbish\n[broken\n=5\nColor=6\n", "Pen", "Color", "6"},
      {"text after the header", "[Pen] ; pens\nColor=2\n", "Pen", "Color", "2"},
      {"UTF-8 BOM", "\xEF\xBB\xBF[Pen]\nColor=5\n", "Pen", "Color", "5"},
      {"CR LF", "[Pen]\r\nColor=5\r\nWidth=2\r\n", "Pen", "Color", "5"},
      {"lone CR", "[Pen]\rColor=5\rWidth=2", "Pen", "Width", "2"},
      {"UTF-8 text", "[Note]\nLogoFile=caf\xC3\xA9.png\n", "Note", "LogoFile",
       QStringLiteral("caf\u00E9.png")},
      {"Windows-1252 text", "[Note]\nLogoFile=caf\xE9\x80.png\n", "Note", "LogoFile",
       QStringLiteral("caf\u00E9\u20AC.png")},
      {"empty file", "", "Pen", "Color", std::nullopt},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TIniFile ini = TIniFile::FromBytes(c.file);
    EXPECT_EQ(ini.ValueExists(c.section, c.key), c.expected.has_value());
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected.value_or("<default>"));
  }
}

TEST(IniFile, IntegersAreDecimal32BitOrTheDefault) {
  // clang-format off
  const struct {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"12", 12},           {"-7", -7},           {"+3", 3},
      {" 42\t", 42},        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"2147483648", {}},   {"-2147483649", {}},  {"99999999999999999999", {}},
      {"abc", {}},          {"12abc", {}},        {"1.5", {}},
      {"0x10", {}},         {"", {}},             {"-", {}},
      {"1 2", {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t v = -99;
    EXPECT_EQ(ParseIniInteger(c.text, v), c.value.has_value());
    if (c.value) {
      EXPECT_EQ(v, *c.value);
    }
    const TIniFile ini = TIniFile::FromBytes(QByteArray("[S]\nK=") + c.text);
    EXPECT_EQ(ini.ReadInteger("S", "K", -99), c.value.value_or(-99));
  }
}

TEST(IniFile, BooleansAreAnyNonZeroInteger) {
  const struct {
    const char* text;
    bool defaultValue;
    bool expected;
  } cases[] = {
      {"1", false, true},    {"0", true, false},  {"2", false, true},     {"-1", false, true},
      {"yes", false, false}, {"yes", true, true}, {"true", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " default " << c.defaultValue);
    const TIniFile ini = TIniFile::FromBytes(QByteArray("[S]\nK=") + c.text);
    EXPECT_EQ(ini.ReadBool("S", "K", c.defaultValue), c.expected);
  }
  const TIniFile empty;
  EXPECT_TRUE(empty.ReadBool("S", "K", true));
  EXPECT_FALSE(empty.ReadBool("S", "K", false));
}

TEST(IniFile, NewKeysAndSectionsAreWrittenInTheOrderGiven) {
  TIniFile ini;
  EXPECT_TRUE(ini.WriteInteger("Position", "FloatingX", 1681));
  EXPECT_TRUE(ini.WriteInteger("Position", "FloatingY", -27));
  EXPECT_TRUE(ini.WriteString("Gallery", "User", "Maps|/home/t/maps"));
  EXPECT_TRUE(ini.WriteBool("Position", "UseDual", true));
  EXPECT_TRUE(ini.WriteBool("Option", "Eraser", false));
  EXPECT_EQ(ini.ToBytes(),
            "[Position]\nFloatingX=1681\nFloatingY=-27\nUseDual=1\n"
            "[Gallery]\nUser=Maps|/home/t/maps\n"
            "[Option]\nEraser=0\n");
}

TEST(IniFile, WritingKeepsEveryOtherLineOfTheFile) {
  TIniFile ini = TIniFile::FromBytes(
      "; settings\r\n"
      "[pen]\r\n"
      "color = 3\r\n"
      "junk line\r\n"
      "Color=9\r\n"
      "Width=2\r\n"
      "; about notes\r\n"
      "\r\n"
      "[Note]\r\n"
      "[Pen]\r\n"
      "Extra=1\r\n");
  EXPECT_TRUE(ini.WriteString("Pen", "Color", "4"));       // replaces the first, in place
  EXPECT_TRUE(ini.WriteString("Pen", "FPenWidth1", "1"));  // after the section's last key
  EXPECT_TRUE(ini.WriteString("Note", "Color", "15"));     // into a section without keys
  EXPECT_TRUE(ini.WriteString("Custom", "Key", "v"));      // a new section at the end
  EXPECT_EQ(ini.ToBytes(),
            "; settings\n"
            "[pen]\n"
            "Color=4\n"
            "junk line\n"
            "Color=9\n"
            "Width=2\n"
            "FPenWidth1=1\n"
            "; about notes\n"
            "\n"
            "[Note]\n"
            "Color=15\n"
            "[Pen]\n"
            "Extra=1\n"
            "[Custom]\n"
            "Key=v\n");
  EXPECT_EQ(ini.ReadString("Pen", "Color", ""), "4");
}

TEST(IniFile, RefusesNamesAndValuesThatWouldNotReadBack) {
  const struct {
    const char* what;
    QString section, key, value;
  } cases[] = {
      {"empty section", "", "K", "v"},
      {"section with ]", "a]b", "K", "v"},
      {"section with blank ends", " S", "K", "v"},
      {"section with a line break", "S\nT", "K", "v"},
      {"empty key", "S", "", "v"},
      {"key with =", "S", "a=b", "v"},
      {"key starting with ;", "S", ";k", "v"},
      {"key starting with [", "S", "[k", "v"},
      {"key with blank ends", "S", "k ", "v"},
      {"value with LF", "S", "K", "a\n[Option]\nToolPos=3"},
      {"value with CR", "S", "K", "a\rb"},
      {"value with NUL", "S", "K", QString("a") + QChar(0) + "b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TIniFile ini = TIniFile::FromBytes("[S]\nK=old\n");
    EXPECT_FALSE(ini.WriteString(c.section, c.key, c.value));
    EXPECT_EQ(ini.ToBytes(), "[S]\nK=old\n");
  }
  // Blanks at a value's ends are written but, as with Windows, do not read back.
  TIniFile ini;
  EXPECT_TRUE(ini.WriteString("S", "K", "  v w  "));
  EXPECT_EQ(TIniFile::FromBytes(ini.ToBytes()).ReadString("S", "K", ""), "v w");
}

TEST(IniFile, SaveAndLoadRoundTrip) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("Config.ini");
  TIniFile ini;
  ini.WriteString("Note", "LogoFile", QStringLiteral("/home/t/caf\u00E9 logo.png"));
  ini.WriteInteger("Note", "LogoPos", 3);
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(ReadAll(path), "[Note]\nLogoFile=/home/t/caf\xC3\xA9 logo.png\nLogoPos=3\n");

  TIniFile back;
  EXPECT_EQ(back.Load(path), TIniFile::TLoadResult::Loaded);
  EXPECT_EQ(back.ReadString("note", "logofile", ""), QStringLiteral("/home/t/caf\u00E9 logo.png"));
  EXPECT_EQ(back.ReadInteger("Note", "LogoPos", 0), 3);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Config.ini"});
}

TEST(IniFile, FilesThatCannotBeReadGiveEmptyContents) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
  QByteArray huge(TIniFile::kMaxFileSize + 1, ' ');
  huge.prepend("[S]\nK=1\n");
  ASSERT_TRUE(WriteAll(dir.filePath("huge.ini"), huge));
  const struct {
    const char* name;
    TIniFile::TLoadResult result;
  } cases[] = {
      {"missing.ini", TIniFile::TLoadResult::Missing},
      {"folder.ini", TIniFile::TLoadResult::Failed},
      {"huge.ini", TIniFile::TLoadResult::Failed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TIniFile ini = TIniFile::FromBytes("[S]\nK=old\n");
    EXPECT_EQ(ini.Load(dir.filePath(c.name)), c.result);
    EXPECT_FALSE(ini.ValueExists("S", "K"));
    EXPECT_EQ(ini.ToBytes(), "");
  }
}

TEST(IniFile, SaveReportsFailureAndLeavesThePreviousFileAlone) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray previous = "[S]\nK=previous\n";
  const QString readOnly = dir.filePath("readonly.ini");
  ASSERT_TRUE(WriteAll(readOnly, previous));
  ASSERT_TRUE(
      QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));

  TIniFile ini;
  ini.WriteString("S", "K", "new");
  EXPECT_FALSE(ini.Save(readOnly));
  EXPECT_EQ(ReadAll(readOnly), previous);
  EXPECT_FALSE(ini.Save(dir.filePath("folder.ini")));
  EXPECT_TRUE(QFileInfo(dir.filePath("folder.ini")).isDir());
  EXPECT_FALSE(ini.Save(dir.filePath("no such folder/x.ini")));
  // No temporary file is left behind.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"readonly.ini"});
}

}  // namespace
}  // namespace inkora
