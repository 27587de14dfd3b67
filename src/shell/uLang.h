// Localisation: the string table of every caption and message, the language
// chosen by the system locale, the language files ("Language/*.lng" beside the
// program) and the translated resource module: a Qt catalogue (.qm) for the
// texts Qt itself shows in standard dialogs (file dialogs, message-box buttons).
//
// Texts are addressed by section and decimal key: Str("Messages", 103).
// Entries missing from the language file keep their English default; an entry
// present with an empty value is empty.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

class QTranslator;

namespace inkora {

// A Windows language identifier (primary language | sublanguage << 10).
using TLangId = uint16_t;
constexpr TLangId kLangEnglishUS = 1033;

struct TLangEntry {
  const char* Section;
  int Key;
  const char* Default;  // English text; "" for an entry without a default
  bool HasDefault;      // false: the text comes from the language file only
};

// Every entry, in the order the language files list them.
std::span<const TLangEntry> LangEntries();

// The language identifier of a locale; the system's by default. Territories a
// language's identifiers do not name take the language's main identifier
// (fr_SN → 1036); languages without one take 1033.
TLangId SystemLangId(const QLocale& locale = QLocale::system());

// The language file for an identifier: "English.lng", "French.lng", ...
QString LangFileName(TLangId id);

// Three-letter abbreviated language name ("ENU", "FRA", "CHS"); empty when
// the identifier is unknown.
QString LangAbbrev(TLangId id);

// Form font of a language. Charset records the character set of the original
// design (0 ANSI, 1 default, 128 Shift-JIS); Qt has no such setting: the font
// family is asked for and fontconfig substitutes a face that has the glyphs.
struct TLangFont {
  QString Family;
  int PointSize = 8;
  int Charset = 0;
};
TLangFont LangFont(TLangId id);

class TLang {
 public:
  // English defaults, language 1033, no module; the program is
  // QCoreApplication::applicationFilePath() unless SetProgramFile says otherwise.
  TLang();
  ~TLang();
  TLang(const TLang&) = delete;
  TLang& operator=(const TLang&) = delete;

  // The program file: its folder holds "Language" and the modules, and the
  // modules are named after it ("inkora" → "inkora.FRA", "inkora.FR").
  void SetProgramFile(const QString& path);
  QString ProgramFile() const;
  QString LanguageDir() const;

  // Loads the module for id (else the one for 1033, continuing with 1033),
  // installs it on the application and loads the strings. Returns the
  // language now in force.
  TLangId SelectLanguage(TLangId id);
  // Reads the language file of id; every entry it lacks takes its default.
  // False when there is no readable file (then every entry is its default).
  bool LoadStrings(TLangId id);

  TLangId LangId() const { return FLangId; }
  // Path of the module in use; empty when none was found.
  const QString& ModuleFile() const { return FModuleFile; }

  // The text of an entry; empty for an entry not in the table. Section names
  // compare case-insensitively.
  const QString& Text(std::string_view section, int key) const;
  // Whether the last loaded file gave this entry its text.
  bool InFile(std::string_view section, int key) const;

 private:
  bool LoadModule(TLangId id);
  void DropModule();

  QString FProgramFile;
  TLangId FLangId = kLangEnglishUS;
  std::vector<QString> FTexts;  // parallel to LangEntries()
  std::vector<bool> FInFile;
  QString FModuleFile;
  QByteArray FModuleData;  // the catalogue reads its messages from here
  std::unique_ptr<QTranslator> FTranslator;
};

// The process-wide table, filled once at the creation of the board.
TLang& Lang();

inline const QString& Str(std::string_view section, int key) { return Lang().Text(section, key); }

}  // namespace inkora
