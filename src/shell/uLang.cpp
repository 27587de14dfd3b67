#include "shell/uLang.h"

#include "shell/uIniFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTranslator>

#include <algorithm>
#include <array>
#include <utility>

namespace inkora {
namespace {

// Every entry with its English default, in the order of the language files.
constexpr TLangEntry kEntries[] = {
    {"Common", 1, "Ok", true},
    {"Common", 2, "Cancel", true},
    {"Common", 3, "No", true},
    {"Common", 4, "Close", true},
    {"Common", 5, "Yes", true},
    {"Messages", 100, "Unable to record.", true},
    {"Messages", 101, "Unable to record in Multiple Operating Mode.", true},
    {"Messages", 102, "Please install Micorsoft Windows Media Encoder 9 or higher version.", true},
    {"Messages", 103, "Do you want to save current presentation?", true},
    {"Messages", 104, "Do you want to play?", true},
    {"Messages", 105, "Exisitng File name, Overwrite?", true},
    {"Messages", 106, "Do you want to delete the clipart folder?", true},
    {"Messages", 107, "Unable to delete the clipart folder.", true},
    {"Messages", 108, "Designating file folder does not exist.", true},
    {"Messages", 109, "Designating file folder does not exist.", true},
    {"Messages", 110, "Clipart name and folder are not fill in.", true},
    {"Messages", 111, "The folder does not exist. Create new one?", true},
    {"Messages", 112, "Unable to create the folder.", true},
    {"Messages", 114, "Now importing.", true},
    {"Messages", 115, "File is opening.", true},
    {"Messages", 116, "File is aligned now.", true},
    {"Messages", 117, "File can not be opened, for file is damaged or Excel program has some problem.", true},
    {"Messages", 118, "File can not be opened, for file is damaged or Word program has some problem.", true},
    {"Messages", 119, "File can not be opened, for file is damaged or PowerPoint program has some problem.", true},
    {"Messages", 120, "Do you want to record presentation?", true},
    {"Messages", 121, "Do you want to delete all?", true},
    {"Messages", 122, "Do you want to delete selected note?", true},
    {"Messages", 123, "Note is not selected.", true},
    {"Messages", 124, "Unable to delete all notes.", true},
    {"Messages", 125, "Background is set already. Do you want to set new background?", true},
    {"Messages", 126, "Out of magnifying range!", true},
    {"Messages", 127, "Designating row of sheet to be imported is incorrect.", true},
    {"Messages", 128, "Designating column of sheet to be imported is incorrect", true},
    {"Messages", 129, "The sheet to be imported is not selected.", true},
    {"Messages", 130, "File does not exit in designated folder.", true},
    {"Messages", 131, "Delete All notes?", true},
    {"Messages", 132, "Logo image is not exist.", true},
    {"Messages", 133, "Expanded display is detected, recording is invalid.", true},
    {"Messages", 134, "", false},
    {"Messages", 135, "Do you want to continue partial capture?", true},
    {"Messages", 136, "Problem happens in Audio Device.", true},
    {"Messages", 137, "Problem happens in Video Device", true},
    {"Messages", 138, "Do you want to start Audio Recording?", true},
    {"Messages", 139, "Can not start recording", true},
    {"Messages", 140, "Do you want to start video recording?", true},
    {"Messages", 141, "Can not find audio device.", true},
    {"Messages", 142, "Can not find video device.", true},
    {"Messages", 143, "Out of reduction range.", true},
    {"Messages", 144, "", false},
    {"Messages", 146, "Do you want to change the order of notes?", true},
    {"Messages", 147, "Sound Card does not operate properly or Audio Jack is not connected.", true},
    {"Messages", 148, "Microphone configuration is not set properly or Jack is not connected.", true},
    {"Messages", 149, "File can not be opened for the file is damage or Hangul does not operate properly.", true},
    {"Messages", 150, "Inkora Printer is not installed or can not be used.", true},
    {"Messages", 152, "Selected image is set as background for new note.", true},
    {"Messages", 154, "The document is the one unable to import", true},
    {"Add Gallery", 200, "Add Clipart", true},
    {"Add Gallery", 201, "Name", true},
    {"Add Gallery", 202, "Folder", true},
    {"Config", 300, "Config", true},
    {"Config", 301, "Folder", true},
    {"Config", 302, "Project file folder", true},
    {"Config", 303, "Folder", true},
    {"Config", 312, "Note", true},
    {"Config", 313, "Note color", true},
    {"Config", 314, "Note color", true},
    {"Config", 315, "Dual display", true},
    {"Config", 316, "Dual display Mode", true},
    {"Config", 317, "Use dual display mode", true},
    {"Config", 318, "This function will be activated after re-starting program.", true},
    {"Config", 319, "Record", true},
    {"Config", 320, "Set recording", true},
    {"Config", 321, "Folder", true},
    {"Config", 322, "Set file name before recording.", true},
    {"Config", 323, "Information", true},
    {"Config", 324, "Volume", true},
    {"Config", 325, "Volume", true},
    {"Config", 326, "Sound volume", true},
    {"Config", 327, "Mic volume", true},
    {"Config", 328, "New version is detected.", true},
    {"Config", 329, "This program is the last version.", true},
    {"Config", 330, "Update", true},
    {"Config", 331, "Show confirm message before recording.", true},
    {"Config", 332, "Option", true},
    {"Config", 333, "Eraser", true},
    {"Config", 334, "Show confirm message before erasing all.", true},
    {"Config", 335, "Tool bar position", true},
    {"Config", 336, "Upper", true},
    {"Config", 337, "Lower", true},
    {"Config", 338, "Left", true},
    {"Config", 339, "Right", true},
    {"Config", 340, "Floating", true},
    {"Config", 341, "Storing toolbar position when Inkora is finished.", true},
    {"Config", 342, "Pen", true},
    {"Config", 343, "Pen thickness selection", true},
    {"Config", 344, "Thinest Pen", true},
    {"Config", 345, "Thin Pen", true},
    {"Config", 346, "Middle Pen", true},
    {"Config", 347, "Thick Pen", true},
    {"Config", 348, "Fluorescent Pen Thickness Selection", true},
    {"Config", 349, "Thickness selection", true},
    {"Config", 350, "Set background", true},
    {"Config", 351, "Transparency of background", true},
    {"Config", 352, "Select logo", true},
    {"Config", 353, "Logo position", true},
    {"Config", 354, "Transparency of logo", true},
    {"Config", 355, "Type of Recording", true},
    {"Config", 356, "Video Recording", true},
    {"Config", 357, "Audio Recording", true},
    {"Config", 358, "Note Recording", true},
    {"Config", 359, "Select when recording", true},
    {"Config", 360, "Video Device", true},
    {"Config", 361, "Input", true},
    {"Config", 362, "Video Profile", true},
    {"Config", 363, "Audio Device", true},
    {"Config", 364, "Audio Profile", true},
    {"Config", 365, "Position of Video Window", true},
    {"Config", 366, "Upper Left", true},
    {"Config", 367, "Lower Left", true},
    {"Config", 368, "Upper Right", true},
    {"Config", 369, "Lower Right", true},
    {"Config", 370, "Select Tablet Monitor", true},
    {"Config", 371, "Tablet Monitor", true},
    {"Config", 372, "", false},
    {"Config", 373, "", false},
    {"Config", 374, "", false},
    {"Clipart", 400, "Clipart browser", true},
    {"Clipart", 401, "Clipart", true},
    {"Clipart", 402, "Preview", true},
    {"Clipart", 403, "Add", true},
    {"Clipart", 404, "Delete", true},
    {"Clipart", 405, "Set background", true},
    {"Note List", 500, "View note list", true},
    {"Note List", 501, "Delete", true},
    {"Print", 600, "Print note", true},
    {"Print", 601, "Print", true},
    {"Print", 602, "Printer", true},
    {"Print", 603, "Print current note", true},
    {"Print", 604, "Print all", true},
    {"Print", 605, "Select notes", true},
    {"Save Note", 700, "Save note", true},
    {"Save Note", 701, "Folder", true},
    {"Save Note", 702, "File name", true},
    {"Save Note", 703, "Set file format", true},
    {"Save Note", 704, "BMP", true},
    {"Save Note", 705, "PNG", true},
    {"Save Note", 706, "JPG", true},
    {"Save Note", 707, "Select note", true},
    {"Save Note", 708, "Save current note", true},
    {"Save Note", 709, "Save all", true},
    {"Menu", 800, "New presentation", true},
    {"Menu", 801, "Open", true},
    {"Menu", 802, "Save", true},
    {"Menu", 803, "Save as", true},
    {"Menu", 804, "Save note", true},
    {"Menu", 805, "Print note", true},
    {"Menu", 806, "Tools", true},
    {"Menu", 8061, "Spotlight", true},
    {"Menu", 8062, "Virtual keyboard", true},
    {"Menu", 8063, "Blind", true},
    {"Menu", 807, "Toolbar position", true},
    {"Menu", 8071, "Left", true},
    {"Menu", 8072, "Right", true},
    {"Menu", 8073, "Top", true},
    {"Menu", 8074, "Bottom", true},
    {"Menu", 8075, "Floation toolbar", true},
    {"Menu", 808, "Window mode", true},
    {"Menu", 809, "Drawing mode", true},
    {"Menu", 810, "Confirguration", true},
    {"Menu", 811, "Close", true},
    {"Hint", 900, "New note", true},
    {"Hint", 901, "New note", true},
    {"Hint", 902, "Screen capture", true},
    {"Hint", 903, "Clipart", true},
    {"Hint", 904, "Import office document", true},
    {"Hint", 905, "Black", true},
    {"Hint", 906, "Maroon", true},
    {"Hint", 907, "Green", true},
    {"Hint", 908, "Olive", true},
    {"Hint", 909, "Navy", true},
    {"Hint", 910, "Purple", true},
    {"Hint", 911, "Teal", true},
    {"Hint", 912, "Gray", true},
    {"Hint", 913, "Silver", true},
    {"Hint", 914, "Red", true},
    {"Hint", 915, "Green", true},
    {"Hint", 916, "Yellow", true},
    {"Hint", 917, "Blue", true},
    {"Hint", 918, "Fuchsia", true},
    {"Hint", 919, "Aqua", true},
    {"Hint", 920, "White", true},
    {"Hint", 921, "Pen thickness", true},
    {"Hint", 922, "Transparent mode", true},
    {"Hint", 923, "Pen", true},
    {"Hint", 924, "Line", true},
    {"Hint", 925, "Empty rectangle", true},
    {"Hint", 926, "Rectangle", true},
    {"Hint", 927, "Empty circle", true},
    {"Hint", 928, "Circle", true},
    {"Hint", 929, "Both arrow", true},
    {"Hint", 930, "Single arrow", true},
    {"Hint", 931, "Erase all", true},
    {"Hint", 932, "Erase object", true},
    {"Hint", 933, "Erase region", true},
    {"Hint", 934, "Previous note", true},
    {"Hint", 935, "Next note", true},
    {"Hint", 936, "Select object", true},
    {"Hint", 937, "View note list", true},
    {"Hint", 938, "Recording", true},
    {"Hint", 939, "Pause", true},
    {"Hint", 940, "Stop", true},
    {"Hint", 941, "Magnifier", true},
    {"Hint", 942, "100%", true},
    {"Hint", 943, "200%", true},
    {"Hint", 944, "300%", true},
    {"Hint", 945, "400%", true},
    {"Hint", 946, "Blackboard", true},
    {"Hint", 947, "Music note", true},
    {"Hint", 948, "English note", true},
    {"Hint", 949, "Manuscript note", true},
    {"Hint", 950, "Graph note", true},
    {"Hint", 951, "Window mode", true},
    {"Hint", 952, "Magnifying selected region", true},
    {"Hint", 953, "Auto pen color", true},
    {"Hint", 954, "Capture region", true},
    {"Hint", 955, "Magnifying", true},
    {"Hint", 956, "Reduction", true},
    {"Hint", 957, "Importing image", true},
    {"Hint", 958, "Writing mode", true},
    {"Hint", 959, "Brush Pen", true},
    {"Hint", 960, "Extended Note", true},
    {"Hint", 961, "Intelligente mode", true},
    {"Hint", 962, "Eraser", true},
    {"Hint", 963, "Pen Color", true},
    {"Hint", 964, "Unable to expand note", true},
    {"Hint", 965, "Drawing Tools", true},
    {"Hint", 966, "Note, Image & Document", true},
    {"Hint", 967, "Magnifier", true},
    {"Hint", 968, "Recording", true},
    {"Hint", 969, "Eraser", true},
    {"Hint", 970, "Pen Color & Thickness", true},
    {"Hint", 971, "Mode Change", true},
    {"Progress", 1100, "Progress status", true},
    {"Progress", 1101, "Now updating program.", true},
    {"Progress", 1102, "Import office document.", true},
    {"Progress", 1103, "Save File", true},
    {"Progress", 1104, "Open File", true},
    {"Spot", 1200, "Circle", true},
    {"Spot", 1201, "Rectangle", true},
    {"Spot", 1202, "Small", true},
    {"Spot", 1203, "Medium", true},
    {"Spot", 1204, "Large", true},
    {"Spot", 1205, "Transparency 0%", true},
    {"Spot", 1206, "Transparency 10%", true},
    {"Spot", 1207, "Transparency 20%", true},
    {"Spot", 1208, "Transparency 30%", true},
    {"Popup", 1300, "Cut", true},
    {"Popup", 1301, "Copy", true},
    {"Popup", 1302, "Paste", true},
    {"Popup", 1303, "Delete", true},
    {"Popup", 1304, "Select all", true},
    {"Popup", 1305, "Bring to front", true},
    {"Popup", 1306, "Send to back", true},
    {"Popup", 1307, "Bring forward", true},
    {"Popup", 1308, "Send backward", true},
    {"Popup", 1309, "Reset to initial shape", true},
    {"Import", 1400, "Importing document", true},
    {"Import", 1401, "Selected document", true},
    {"Import", 1402, "Number of pages", true},
    {"Import", 1403, "Selected page range", true},
    {"Import", 1404, "This process may take several minute.", true},
    {"Import", 1405, "Document format is under converting.", true},
    {"ExcelImport", 1500, "Importing Excel document", true},
    {"ExcelImport", 1501, "Selected document", true},
    {"ExcelImport", 1502, "Importing one sheet", true},
    {"ExcelImport", 1503, "Sheet name", true},
    {"ExcelImport", 1504, "Cells", true},
    {"ExcelImport", 1505, "Select all", true},
    {"ExcelImport", 1506, "Column", true},
    {"ExcelImport", 1507, "Row", true},
    {"ExcelImport", 1508, "Import multi sheets", true},
    {"ExcelImport", 1509, "Select all", true},
    {"ExcelImport", 1510, "Cancel", true},
    {"ExcelImport", 1511, "Importing and insert as form of object", true},
    {"NotePreview", 1600, "Preview", true},
    {"SelRecType", 1700, "Type of Recording", true},
    {"SelRecType", 1701, "Audio Recording", true},
    {"SelRecType", 1702, "Video Recording", true},
    {"SelRecType", 1703, "Note Recording", true},
    {"SelOrientation", 1800, "Document orientation setting", true},
    {"SelOrientation", 1801, "Horizontal", true},
    {"SelOrientation", 1802, "Vertical", true},
    {"ShowImportMsg", 1900, "", false},
    {"ShowImportMsg", 1901, "", false},
    {"TiffImport", 2000, "", false},
    {"TiffImport", 2001, "", false},
    {"TiffImport", 2003, "", false},
    {"TiffImport", 2004, "", false},
    {"TiffImport", 2005, "", false},
    {"TiffImport", 2006, "", false},
};

struct TLocaleRow {
  QLocale::Language Language;
  QLocale::Territory Territory;  // AnyTerritory: the language's main identifier
  TLangId Id;
  const char* Abbrev;  // three-letter abbreviated language name
};

// Locales and their identifiers. A language's AnyTerritory row serves the
// territories it does not list; Chinese has none (see SystemLangId).
constexpr TLocaleRow kLocales[] = {
    {QLocale::English, QLocale::UnitedStates, 1033, "ENU"},
    {QLocale::English, QLocale::UnitedKingdom, 2057, "ENG"},
    {QLocale::English, QLocale::Australia, 3081, "ENA"},
    {QLocale::English, QLocale::Canada, 4105, "ENC"},
    {QLocale::English, QLocale::NewZealand, 5129, "ENZ"},
    {QLocale::English, QLocale::Ireland, 6153, "ENI"},
    {QLocale::English, QLocale::SouthAfrica, 7177, "ENS"},
    {QLocale::English, QLocale::Jamaica, 8201, "ENJ"},
    // The Caribbean has one identifier for its islands.
    {QLocale::English, QLocale::AntiguaAndBarbuda, 9225, "ENB"},
    {QLocale::English, QLocale::Anguilla, 9225, "ENB"},
    {QLocale::English, QLocale::Bahamas, 9225, "ENB"},
    {QLocale::English, QLocale::Barbados, 9225, "ENB"},
    {QLocale::English, QLocale::BritishVirginIslands, 9225, "ENB"},
    {QLocale::English, QLocale::CaymanIslands, 9225, "ENB"},
    {QLocale::English, QLocale::Dominica, 9225, "ENB"},
    {QLocale::English, QLocale::Grenada, 9225, "ENB"},
    {QLocale::English, QLocale::Montserrat, 9225, "ENB"},
    {QLocale::English, QLocale::SaintKittsAndNevis, 9225, "ENB"},
    {QLocale::English, QLocale::SaintLucia, 9225, "ENB"},
    {QLocale::English, QLocale::SaintVincentAndGrenadines, 9225, "ENB"},
    {QLocale::English, QLocale::TurksAndCaicosIslands, 9225, "ENB"},
    {QLocale::English, QLocale::Belize, 10249, "ENL"},
    {QLocale::English, QLocale::TrinidadAndTobago, 11273, "ENT"},
    {QLocale::English, QLocale::Zimbabwe, 12297, "ENW"},
    {QLocale::English, QLocale::Philippines, 13321, "ENP"},
    {QLocale::English, QLocale::India, 16393, "ENN"},
    {QLocale::English, QLocale::Malaysia, 17417, "ENM"},
    {QLocale::English, QLocale::Singapore, 18441, "ENE"},
    {QLocale::English, QLocale::AnyTerritory, 1033, "ENU"},

    {QLocale::French, QLocale::France, 1036, "FRA"},
    {QLocale::French, QLocale::Belgium, 2060, "FRB"},
    {QLocale::French, QLocale::Canada, 3084, "FRC"},
    {QLocale::French, QLocale::Switzerland, 4108, "FRS"},
    {QLocale::French, QLocale::Luxembourg, 5132, "FRL"},
    {QLocale::French, QLocale::Monaco, 6156, "FRM"},
    {QLocale::French, QLocale::AnyTerritory, 1036, "FRA"},

    {QLocale::Italian, QLocale::Italy, 1040, "ITA"},
    {QLocale::Italian, QLocale::Switzerland, 2064, "ITS"},
    {QLocale::Italian, QLocale::AnyTerritory, 1040, "ITA"},

    {QLocale::Japanese, QLocale::AnyTerritory, 1041, "JPN"},
    {QLocale::Korean, QLocale::AnyTerritory, 1042, "KOR"},

    {QLocale::Portuguese, QLocale::Brazil, 1046, "PTB"},
    {QLocale::Portuguese, QLocale::Portugal, 2070, "PTG"},
    {QLocale::Portuguese, QLocale::AnyTerritory, 2070, "PTG"},

    {QLocale::Chinese, QLocale::China, 2052, "CHS"},
    {QLocale::Chinese, QLocale::Singapore, 4100, "ZHI"},
    {QLocale::Chinese, QLocale::Taiwan, 1028, "CHT"},
    {QLocale::Chinese, QLocale::HongKong, 3076, "ZHH"},
    {QLocale::Chinese, QLocale::Macao, 5124, "ZHM"},

    // Languages without a language file of their own: English texts.
    {QLocale::German, QLocale::AnyTerritory, 1031, "DEU"},
    {QLocale::Spanish, QLocale::AnyTerritory, 3082, "ESN"},
    {QLocale::Dutch, QLocale::AnyTerritory, 1043, "NLD"},
    {QLocale::Russian, QLocale::AnyTerritory, 1049, "RUS"},
    {QLocale::Polish, QLocale::AnyTerritory, 1045, "PLK"},
    {QLocale::Swedish, QLocale::AnyTerritory, 1053, "SVE"},
    {QLocale::Danish, QLocale::AnyTerritory, 1030, "DAN"},
    {QLocale::NorwegianBokmal, QLocale::AnyTerritory, 1044, "NOR"},
    {QLocale::Finnish, QLocale::AnyTerritory, 1035, "FIN"},
    {QLocale::Czech, QLocale::AnyTerritory, 1029, "CSY"},
    {QLocale::Hungarian, QLocale::AnyTerritory, 1038, "HUN"},
    {QLocale::Greek, QLocale::AnyTerritory, 1032, "ELL"},
    {QLocale::Turkish, QLocale::AnyTerritory, 1055, "TRK"},
    {QLocale::Arabic, QLocale::AnyTerritory, 1025, "ARA"},
    {QLocale::Hebrew, QLocale::AnyTerritory, 1037, "HEB"},
    {QLocale::Thai, QLocale::AnyTerritory, 1054, "THA"},
    {QLocale::Vietnamese, QLocale::AnyTerritory, 1066, "VIT"},
    {QLocale::Ukrainian, QLocale::AnyTerritory, 1058, "UKR"},
};

const TLocaleRow* FindLocale(QLocale::Language language, QLocale::Territory territory) {
  for (const TLocaleRow& row : kLocales)
    if (row.Language == language && row.Territory == territory) return &row;
  return nullptr;
}

bool SameSection(std::string_view a, const char* b) {
  const std::string_view bv(b);
  return std::equal(a.begin(), a.end(), bv.begin(), bv.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// Index of an entry in kEntries, or -1. Keys are looked up through an index
// sorted by key, so a lookup is a binary search and one name comparison.
int IndexOf(std::string_view section, int key) {
  static const std::vector<std::pair<int, int>> byKey = [] {
    std::vector<std::pair<int, int>> v;
    v.reserve(std::size(kEntries));
    for (int i = 0; i < int(std::size(kEntries)); ++i) v.emplace_back(kEntries[i].Key, i);
    std::sort(v.begin(), v.end());
    return v;
  }();
  auto it = std::lower_bound(byKey.begin(), byKey.end(), std::pair<int, int>(key, -1));
  for (; it != byKey.end() && it->first == key; ++it)
    if (SameSection(section, kEntries[it->second].Section)) return it->second;
  return -1;
}

// A catalogue is a few hundred kilobytes; anything far larger is not one.
constexpr qint64 kMaxModuleSize = 16 * 1024 * 1024;

}  // namespace

std::span<const TLangEntry> LangEntries() { return kEntries; }

TLangId SystemLangId(const QLocale& locale) {
  const QLocale::Language language = locale.language();
  const QLocale::Territory territory = locale.territory();
  if (const TLocaleRow* row = FindLocale(language, territory)) return row->Id;
  // Chinese of other territories: the script tells simplified from traditional.
  if (language == QLocale::Chinese)
    return locale.script() == QLocale::TraditionalHanScript ? 1028 : 2052;
  if (const TLocaleRow* row = FindLocale(language, QLocale::AnyTerritory)) return row->Id;
  return kLangEnglishUS;
}

QString LangFileName(TLangId id) {
  switch (id) {
    case 1036: case 2060: case 3084: case 4108: case 5132: case 6156:
      return QStringLiteral("French.lng");
    case 1040: case 2064:
      return QStringLiteral("Italian.lng");
    case 1041:
      return QStringLiteral("Japanese.lng");
    case 1042:
      return QStringLiteral("Korean.lng");
    case 1046: case 2070:
      return QStringLiteral("Portuguese.lng");
    case 2052: case 4100:
      return QStringLiteral("Chinese_Sim.lng");
    default:  // the English identifiers and every other language
      return QStringLiteral("English.lng");
  }
}

QString LangAbbrev(TLangId id) {
  for (const TLocaleRow& row : kLocales)
    if (row.Id == id) return QString::fromLatin1(row.Abbrev);
  return {};
}

TLangFont LangFont(TLangId id) {
  switch (id) {
    case 1036: case 1040: case 1046: case 2060: case 2064:
    case 2070: case 3084: case 4108: case 5132: case 6156:
      return {QStringLiteral("Tahoma"), 8, 1};
    case 1041:
      return {QStringLiteral("MS UI Gothic"), 9, 128};
    case 2052: case 4100:
      return {QStringLiteral("simsun"), 9, 1};
    default:  // English, Korean and the rest
      return {QStringLiteral("Tahoma"), 8, 0};
  }
}

TLang::TLang() : FTexts(std::size(kEntries)), FInFile(std::size(kEntries), false) {
  for (size_t i = 0; i < std::size(kEntries); ++i) FTexts[i] = QString::fromUtf8(kEntries[i].Default);
}

TLang::~TLang() { DropModule(); }

void TLang::SetProgramFile(const QString& path) { FProgramFile = path; }

QString TLang::ProgramFile() const {
  if (!FProgramFile.isEmpty()) return FProgramFile;
  return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

QString TLang::LanguageDir() const {
  const QString program = ProgramFile();
  if (program.isEmpty()) return {};
  return QFileInfo(program).absolutePath() + QStringLiteral("/Language");
}

TLangId TLang::SelectLanguage(TLangId id) {
  DropModule();
  if (!LoadModule(id) && id != kLangEnglishUS) {
    id = kLangEnglishUS;
    LoadModule(id);
  }
  LoadStrings(id);
  return id;
}

bool TLang::LoadStrings(TLangId id) {
  const QString dir = LanguageDir();
  TIniFile ini;
  const bool loaded =
      !dir.isEmpty() && ini.Load(dir + u'/' + LangFileName(id)) == TIniFile::TLoadResult::Loaded;
  for (size_t i = 0; i < std::size(kEntries); ++i) {
    const TLangEntry& e = kEntries[i];
    const QString section = QString::fromLatin1(e.Section);
    const QString key = QString::number(e.Key);
    FInFile[i] = loaded && ini.ValueExists(section, key);
    FTexts[i] = FInFile[i] ? ini.ReadString(section, key, QString()) : QString::fromUtf8(e.Default);
  }
  FLangId = id;
  return loaded;
}

const QString& TLang::Text(std::string_view section, int key) const {
  static const QString empty;
  const int i = IndexOf(section, key);
  return i < 0 ? empty : FTexts[size_t(i)];
}

bool TLang::InFile(std::string_view section, int key) const {
  const int i = IndexOf(section, key);
  return i >= 0 && FInFile[size_t(i)];
}

// The module is the program's file name with its extension replaced by the
// abbreviated language name ("inkora.FRC"), else by its first two letters
// ("inkora.FR"). It is found when it is a readable Qt catalogue; installing it
// sends every widget a LanguageChange event so that forms can retranslate.
bool TLang::LoadModule(TLangId id) {
  const QString abbrev = LangAbbrev(id);
  const QString program = ProgramFile();
  if (abbrev.isEmpty() || program.isEmpty()) return false;
  const QFileInfo programInfo(program);
  const QString dir = programInfo.absolutePath();
  const QString stem = dir + u'/' + programInfo.completeBaseName() + u'.';
  for (const QString& name : {abbrev, abbrev.left(2)}) {
    const QString path = stem + name;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxModuleSize) continue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    FModuleData = file.read(kMaxModuleSize + 1);
    if (file.error() != QFileDevice::NoError || FModuleData.size() > kMaxModuleSize) continue;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(reinterpret_cast<const uchar*>(FModuleData.constData()),
                          int(FModuleData.size()), dir))
      continue;
    FTranslator = std::move(translator);
    FModuleFile = path;
    if (QCoreApplication::instance()) QCoreApplication::installTranslator(FTranslator.get());
    return true;
  }
  FModuleData.clear();
  return false;
}

void TLang::DropModule() {
  FTranslator.reset();  // a destroyed translator leaves the application by itself
  FModuleData.clear();
  FModuleFile.clear();
}

TLang& Lang() {
  static TLang lang;
  return lang;
}

}  // namespace inkora
