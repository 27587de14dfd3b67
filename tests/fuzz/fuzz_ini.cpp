// Fuzz target for the INI reader (Config.ini, language files): any bytes must
// parse without a fault, and what the reader and writer promise must hold:
// writing a key makes it read back, and the written text reads as the
// original did.
#include "shell/uIniFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

using inkora::TIniFile;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Names the configuration reads, and two short ones that mutations reach.
// clang-format off
const char* const kProbes[][2] = {
    {"Position", "FloatingX"}, {"Gallery", "User"},       {"Folder", "DocFolder"},
    {"Record", "Folder"},      {"Note", "Color"},         {"Pen", "Color"},
    {"Pen", "Width"},          {"Option", "ToolPos"},     {"S", "K"},
    {"a", "a"},
};
// clang-format on

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  TIniFile ini = TIniFile::FromBytes(bytes);

  // Probe names cut from the decoded input: a section and a key of up to 8
  // characters each.
  const QString text = inkora::DecodeUtf8OrCp1252(bytes);
  const QString section = text.left(8), key = text.mid(8, 8);

  // The written text reads as the original.
  const TIniFile again = TIniFile::FromBytes(ini.ToBytes());
  for (const auto& p : kProbes) {
    Check(ini.ReadString(p[0], p[1], "\n") == again.ReadString(p[0], p[1], "\n"));
    int32_t v = 0;
    const bool isInt = inkora::ParseIniInteger(ini.ReadString(p[0], p[1], ""), v);
    Check(ini.ReadInteger(p[0], p[1], -1) == (isInt ? v : -1));
  }
  Check(ini.ReadString(section, key, "\n") == again.ReadString(section, key, "\n"));

  // A write reads back, from the object and from its text, and leaves other
  // keys alone.
  const QString before = ini.ReadString("Pen", "Width", "\n");
  Check(ini.WriteInteger("Pen", "Color", 7));
  Check(ini.ReadInteger("pen", "COLOR", 0) == 7);
  Check(ini.ReadString("Pen", "Width", "\n") == before);
  if (ini.WriteString(section, key, text.mid(16, 32))) {
    const QString stored = ini.ReadString(section, key, "\n");
    Check(stored == TIniFile::FromBytes(ini.ToBytes()).ReadString(section, key, "\r"));
  }
  Check(TIniFile::FromBytes(ini.ToBytes()).ReadInteger("Pen", "Color", 0) == 7 ||
        (QString(section).compare("Pen", Qt::CaseInsensitive) == 0 &&
         QString(key).compare("Color", Qt::CaseInsensitive) == 0));
  return 0;
}
