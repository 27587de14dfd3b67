#include "shell/uLang.h"
#include "shell/uLangForms.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QWidget>

#include <ostream>
#include <string>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace inkora {
namespace {

// The magic number of a Qt catalogue: on its own, a valid catalogue without
// messages.
const QByteArray kEmptyCatalogue = QByteArray::fromHex("3cb86418caef9c95cd211cbf60a1bddd");

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A program folder of the test's own: "<tmp>/inkora", "<tmp>/Language".
struct ProgramDir {
  QTemporaryDir tmp;
  QString Program() const { return tmp.path() + "/inkora"; }
  QString Path(const QString& name) const { return tmp.path() + '/' + name; }
};

TEST(LangTable, EntriesAreUniqueAndOnlyTheListedOnesLackADefault) {
  const QSet<QString> withoutDefault = {
      "Messages/134", "Messages/144", "Config/372", "Config/373", "Config/374",
      "ShowImportMsg/1900", "ShowImportMsg/1901", "TiffImport/2000", "TiffImport/2001",
      "TiffImport/2003", "TiffImport/2004", "TiffImport/2005", "TiffImport/2006"};
  QSet<QString> seen, foundWithout;
  for (const TLangEntry& e : LangEntries()) {
    const QString id = QString("%1/%2").arg(e.Section).arg(e.Key);
    EXPECT_FALSE(seen.contains(id.toLower())) << "twice: " << id.toStdString();
    seen.insert(id.toLower());
    if (!e.HasDefault) {
      foundWithout.insert(id);
      EXPECT_STREQ(e.Default, "") << id.toStdString();
    } else {
      EXPECT_STRNE(e.Default, "") << id.toStdString();
    }
  }
  EXPECT_EQ(foundWithout, withoutDefault);
  EXPECT_EQ(LangEntries().size(), 300u);
}

TEST(LangTable, FileAndAbbreviatedNameOfEachLanguage) {
  struct Row {
    TLangId Id;
    const char* File;
    const char* Abbrev;
  };
  const Row rows[] = {
      {1033, "English.lng", "ENU"}, {2057, "English.lng", "ENG"}, {3081, "English.lng", "ENA"},
      {4105, "English.lng", "ENC"}, {5129, "English.lng", "ENZ"}, {6153, "English.lng", "ENI"},
      {7177, "English.lng", "ENS"}, {8201, "English.lng", "ENJ"}, {9225, "English.lng", "ENB"},
      {10249, "English.lng", "ENL"}, {11273, "English.lng", "ENT"}, {12297, "English.lng", "ENW"},
      {13321, "English.lng", "ENP"}, {16393, "English.lng", "ENN"}, {17417, "English.lng", "ENM"},
      {18441, "English.lng", "ENE"},
      {1036, "French.lng", "FRA"}, {2060, "French.lng", "FRB"}, {3084, "French.lng", "FRC"},
      {4108, "French.lng", "FRS"}, {5132, "French.lng", "FRL"}, {6156, "French.lng", "FRM"},
      {1040, "Italian.lng", "ITA"}, {2064, "Italian.lng", "ITS"},
      {1041, "Japanese.lng", "JPN"},
      {1042, "Korean.lng", "KOR"},
      {1046, "Portuguese.lng", "PTB"}, {2070, "Portuguese.lng", "PTG"},
      {2052, "Chinese_Sim.lng", "CHS"}, {4100, "Chinese_Sim.lng", "ZHI"},
      // Any other language reads the English file.
      {1028, "English.lng", "CHT"}, {3076, "English.lng", "ZHH"}, {1031, "English.lng", "DEU"},
      {3082, "English.lng", "ESN"}, {0, "English.lng", ""}, {65535, "English.lng", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(LangFileName(r.Id), r.File) << r.Id;
    EXPECT_EQ(LangAbbrev(r.Id), r.Abbrev) << r.Id;
  }
}

TEST(LangTable, LocaleGivesItsLanguageIdentifier) {
  const std::pair<const char*, TLangId> rows[] = {
      {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081}, {"en_CA", 4105}, {"en_NZ", 5129},
      {"en_IE", 6153}, {"en_ZA", 7177}, {"en_JM", 8201}, {"en_BB", 9225}, {"en_BS", 9225},
      {"en_BZ", 10249}, {"en_TT", 11273}, {"en_ZW", 12297}, {"en_PH", 13321}, {"en_IN", 16393},
      {"en_MY", 17417}, {"en_SG", 18441},
      {"fr_FR", 1036}, {"fr_BE", 2060}, {"fr_CA", 3084}, {"fr_CH", 4108}, {"fr_LU", 5132},
      {"fr_MC", 6156},
      {"it_IT", 1040}, {"it_CH", 2064}, {"ja_JP", 1041}, {"ko_KR", 1042},
      {"pt_BR", 1046}, {"pt_PT", 2070}, {"zh_CN", 2052}, {"zh_SG", 4100},
      // Other territories take their language's main identifier.
      {"en_KE", 1033}, {"fr_SN", 1036}, {"it_SM", 1040}, {"pt_AO", 2070},
      // Traditional Chinese is not simplified Chinese.
      {"zh_TW", 1028}, {"zh_HK", 3076}, {"zh_MO", 5124},
      {"de_DE", 1031}, {"es_ES", 3082}, {"C", 1033}, {"sw_KE", 1033},
  };
  for (const auto& [name, id] : rows) EXPECT_EQ(SystemLangId(QLocale(name)), id) << name;
}

TEST(LangStrings, MissingFileGivesTheEnglishDefaults) {
  ProgramDir dir;
  TLang lang;
  lang.SetProgramFile(dir.Program());
  EXPECT_FALSE(lang.LoadStrings(1036));
  EXPECT_EQ(lang.LangId(), 1036);
  for (const TLangEntry& e : LangEntries()) {
    EXPECT_EQ(lang.Text(e.Section, e.Key), QString::fromUtf8(e.Default)) << e.Section << e.Key;
    EXPECT_FALSE(lang.InFile(e.Section, e.Key));
  }
  // The defaults keep their wording exactly; section names ignore case.
  const std::tuple<const char*, int, const char*> texts[] = {
      {"Messages", 105, "Exisitng File name, Overwrite?"},
      {"messages", 102, "Please install Micorsoft Windows Media Encoder 9 or higher version."},
      {"MENU", 8075, "Floation toolbar"},
      {"Menu", 810, "Confirguration"},
      {"Messages", 154, "The document is the one unable to import"},
      {"Note List", 501, "Delete"},
      {"Messages", 134, ""},
      // Not in the table: empty.
      {"Messages", 113, ""},
      {"Menu", 103, ""},
      {"NoSuchSection", 1, ""},
  };
  for (const auto& [section, key, text] : texts) EXPECT_EQ(lang.Text(section, key), text) << key;
}

TEST(LangStrings, FileEntriesReplaceTheDefaults) {
  ProgramDir dir;
  writeFile(dir.Path("Language/French.lng"),
            "\xEF\xBB\xBF[messages]\r\n"
            " 103 = Voulez-vous enregistrer la pr\xC3\xA9sentation ? \r\n"
            "103=second\r\n"
            "134=Texte sans d\xC3\xA9" "faut\r\n"
            "[Common]\r\n"
            "1=\r\n"
            "[Messages]\r\n"
            "104=ignored: only the first section of a name counts\r\n");
  TLang lang;
  lang.SetProgramFile(dir.Program());
  EXPECT_TRUE(lang.LoadStrings(3084));  // Canadian French reads French.lng
  EXPECT_EQ(lang.Text("Messages", 103), QString::fromUtf8("Voulez-vous enregistrer la présentation ?"));
  EXPECT_EQ(lang.Text("Messages", 134), QString::fromUtf8("Texte sans défaut"));
  EXPECT_TRUE(lang.InFile("Common", 1));
  EXPECT_EQ(lang.Text("Common", 1), "");  // present and empty: empty, not "Ok"
  EXPECT_EQ(lang.Text("Common", 2), "Cancel");
  EXPECT_FALSE(lang.InFile("Common", 2));
  EXPECT_EQ(lang.Text("Messages", 104), "Do you want to play?");
  EXPECT_EQ(lang.Text("Messages", 144), "");

  // Loading again replaces every text: nothing of the French file is left.
  EXPECT_FALSE(lang.LoadStrings(1041));
  EXPECT_EQ(lang.Text("Messages", 103), "Do you want to save current presentation?");
  EXPECT_EQ(lang.Text("Common", 1), "Ok");
  EXPECT_EQ(lang.Text("Messages", 134), "");
}

TEST(LangSelect, WithoutItsModuleALanguageFallsBackToEnglish) {
  struct Row {
    const char* Name;
    TLangId Id;
    QStringList Modules;       // files created beside the program
    TLangId ExpectedId;
    const char* ExpectedModule;  // "" when none is loaded
    const char* ExpectedCancel;  // Common 2
  };
  const Row rows[] = {
      {"Korean, no module at all", 1042, {}, 1033, "", "Cancel"},
      {"Korean, only the English module", 1042, {"inkora.ENU"}, 1033, "inkora.ENU", "Cancel"},
      {"Korean, English by two letters", 1042, {"inkora.EN"}, 1033, "inkora.EN", "Cancel"},
      {"Korean module", 1042, {"inkora.KOR", "inkora.ENU"}, 1042, "inkora.KOR", "KO-Cancel"},
      {"Korean module damaged", 1042, {"inkora.KOR=bad", "inkora.ENU"}, 1033, "inkora.ENU",
       "Cancel"},
      {"Canadian French by two letters", 3084, {"inkora.FR"}, 3084, "inkora.FR", "FR-Cancel"},
      {"three letters before two", 3084, {"inkora.FRC", "inkora.FR"}, 3084, "inkora.FRC",
       "FR-Cancel"},
      {"German has no file: English", 1031, {"inkora.ENU"}, 1033, "inkora.ENU", "Cancel"},
      {"English, no module", 1033, {}, 1033, "", "Cancel"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    ProgramDir dir;
    writeFile(dir.Path("Language/Korean.lng"), "[Common]\n2=KO-Cancel\n");
    writeFile(dir.Path("Language/French.lng"), "[Common]\n2=FR-Cancel\n");
    for (const QString& m : r.Modules) {
      const QStringList parts = m.split('=');
      writeFile(dir.Path(parts[0]), parts.size() > 1 ? parts[1].toUtf8() : kEmptyCatalogue);
    }
    TLang lang;
    lang.SetProgramFile(dir.Program());
    EXPECT_EQ(lang.SelectLanguage(r.Id), r.ExpectedId);
    EXPECT_EQ(lang.LangId(), r.ExpectedId);
    EXPECT_EQ(QFileInfo(lang.ModuleFile()).fileName(), r.ExpectedModule);
    EXPECT_EQ(lang.Text("Common", 2), r.ExpectedCancel);
  }
}

// The modules built beside the program translate the buttons of Qt's own
// dialogs, and every language that has a language file has one.
TEST(LangSelect, BuiltModulesTranslateStandardButtons) {
  const std::pair<TLangId, const char*> rows[] = {
      {1033, "&Yes"}, {2057, "&Yes"}, {1036, "&Oui"}, {3084, "&Oui"}, {1040, "&Sì"},
      {2064, "&Sì"}, {1041, "はい(&Y)"}, {1042, "예(&Y)"}, {1046, "&Sim"}, {2070, "&Sim"},
      {2052, "是(&Y)"}, {4100, "是(&Y)"},
  };
  for (const auto& [id, yes] : rows) {
    SCOPED_TRACE(id);
    TLang lang;
    lang.SetProgramFile(INKORA_BUILD_PROGRAM);
    EXPECT_EQ(lang.SelectLanguage(id), id);
    QDialogButtonBox box(QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), QString::fromUtf8(yes));
  }
  // Without a module installed the buttons are Qt's own English ones again.
  QDialogButtonBox box(QDialogButtonBox::Yes);
  EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), "&Yes");
}

TEST(LangFiles, EnglishFileEqualsTheBuiltInDefaults) {
  QByteArray expected;
  const char* section = nullptr;
  for (const TLangEntry& e : LangEntries()) {
    if (!section || std::string(section) != e.Section) {
      if (section) expected += '\n';
      section = e.Section;
      expected += '[' + QByteArray(section) + "]\n";
    }
    if (e.HasDefault) expected += QByteArray::number(e.Key) + '=' + e.Default + '\n';
  }
  EXPECT_EQ(readFile(INKORA_SOURCE_LANGUAGE_DIR "/English.lng"), expected);
}

struct ShippedFile {
  const char* File;
  TLangId Id;
  QSet<QString> SameAsEnglish;  // texts this language writes as English does
};

void PrintTo(const ShippedFile& f, std::ostream* os) { *os << f.File; }

class LangShippedFiles : public ::testing::TestWithParam<ShippedFile> {};

// A shipped file gives every entry that has a default a text of its own. A
// file not written yet is skipped; one that exists must be complete.
TEST_P(LangShippedFiles, GiveEveryEntryATranslatedText) {
  const ShippedFile& p = GetParam();
  const QString path = QString(INKORA_SOURCE_LANGUAGE_DIR) + '/' + p.File;
  if (!QFileInfo::exists(path)) GTEST_SKIP() << p.File << " is not written yet";

  QStringDecoder utf8(QStringDecoder::Utf8);
  (void)utf8.decode(readFile(path));
  EXPECT_FALSE(utf8.hasError()) << p.File << " is not UTF-8";

  const QSet<QString> neutral = {"BMP", "PNG", "JPG", "100%", "200%", "300%", "400%"};
  TLang lang;
  lang.SetProgramFile(QString(INKORA_SOURCE_LANGUAGE_DIR) + "/../inkora");
  ASSERT_TRUE(lang.LoadStrings(p.Id));
  const bool english = p.Id == kLangEnglishUS;
  for (const TLangEntry& e : LangEntries()) {
    if (!e.HasDefault) continue;
    const QString& text = lang.Text(e.Section, e.Key);
    EXPECT_TRUE(lang.InFile(e.Section, e.Key)) << p.File << " lacks " << e.Section << " " << e.Key;
    EXPECT_FALSE(text.isEmpty()) << p.File << ": " << e.Section << " " << e.Key << " is empty";
    if (!english && !neutral.contains(text) && !p.SameAsEnglish.contains(text)) {
      EXPECT_NE(text, QString::fromUtf8(e.Default))
          << p.File << ": " << e.Section << " " << e.Key << " is not translated";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LangShippedFiles,
    ::testing::Values(ShippedFile{"English.lng", 1033, {}}, ShippedFile{"French.lng", 1036, {}},
                      ShippedFile{"Italian.lng", 1040, {"No"}},
                      ShippedFile{"Portuguese.lng", 1046, {}},
                      ShippedFile{"Japanese.lng", 1041, {}}, ShippedFile{"Korean.lng", 1042, {}},
                      ShippedFile{"Chinese_Sim.lng", 2052, {}}),
    [](const ::testing::TestParamInfo<ShippedFile>& info) {
      return QString(info.param.File).section('.', 0, 0).toStdString();
    });

TEST(LangFiles, EveryShippedFileIsOneTheProgramChooses) {
  const QStringList known = {"English.lng",  "French.lng", "Italian.lng",    "Japanese.lng",
                             "Korean.lng",   "Portuguese.lng", "Chinese_Sim.lng"};
  const QStringList shipped = QDir(INKORA_SOURCE_LANGUAGE_DIR).entryList({"*.lng"}, QDir::Files);
  EXPECT_TRUE(shipped.contains("English.lng"));
  for (const QString& f : shipped) EXPECT_TRUE(known.contains(f)) << f.toStdString();
}

TEST(LangFont, FontFollowsTheLanguage) {
  struct Row {
    TLangId Id;
    const char* Family;
    int Size;
    int Charset;
  };
  const Row rows[] = {
      {1041, "MS UI Gothic", 9, 128}, {1042, "Tahoma", 8, 0}, {2052, "simsun", 9, 1},
      {4100, "simsun", 9, 1},         {1036, "Tahoma", 8, 1}, {2070, "Tahoma", 8, 1},
      {6156, "Tahoma", 8, 1},         {1033, "Tahoma", 8, 0}, {1031, "Tahoma", 8, 0},
  };
  for (const Row& r : rows) {
    const TLangFont f = LangFont(r.Id);
    EXPECT_EQ(f.Family, r.Family) << r.Id;
    EXPECT_EQ(f.PointSize, r.Size) << r.Id;
    EXPECT_EQ(f.Charset, r.Charset) << r.Id;
  }
}

TEST(LangFont, ApplyFontSetsTheFormAndItsControls) {
  QWidget form;
  auto* child = new QWidget(&form);
  QFont bold = form.font();
  bold.setBold(true);
  form.setFont(bold);
  ApplyFont(&form, 1041);
  EXPECT_EQ(form.font().family(), "MS UI Gothic");
  EXPECT_EQ(form.font().pointSize(), 9);
  EXPECT_TRUE(form.font().bold());
  EXPECT_EQ(child->font().family(), "MS UI Gothic");
  ApplyFont(&form, 1042);
  EXPECT_EQ(form.font().family(), "Tahoma");
  EXPECT_EQ(form.font().pointSize(), 8);
}

}  // namespace
}  // namespace inkora
