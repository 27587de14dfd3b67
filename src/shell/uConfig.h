// Config.ini: every persistent setting, read once at start-up into the
// process-wide state and written once at exit.
//
// The file lives in "<documents>/Inkora 4/Config.ini"; the folders offered for
// projects, saved notes and recordings default to "Inkora Prj", "Saved Notes"
// and "Inkora Contents" beside it. A missing file gives every default; odd
// values give the default or are clamped, key by key (see uConfig.cpp).
#pragma once

#include "shell/uAppState.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace inkora {

// Where the configuration lives and what its screen-dependent default needs.
// Tests give their own folder; the program uses DefaultConfigLocation().
struct TConfigLocation {
  QString DocumentsFolder;     // the user's documents folder
  int32_t ScreenWidth = 1024;  // primary screen width: FloatingX defaults to it − 239
};

// The documents folder from QStandardPaths and the primary screen's width.
TConfigLocation DefaultConfigLocation();

QString ConfigFolder(const TConfigLocation& where);           // <documents>/Inkora 4
QString ConfigFilePath(const TConfigLocation& where);         // <documents>/Inkora 4/Config.ini
QString DefaultDocFolder(const TConfigLocation& where);       // .../Inkora 4/Inkora Prj
QString DefaultSaveNoteFolder(const TConfigLocation& where);  // .../Inkora 4/Saved Notes
QString DefaultRecFolder(const TConfigLocation& where);       // .../Inkora 4/Inkora Contents

// Creates the three default folders when they are missing, then reads every
// key into the settings (the default for each absent or unusable one) and
// sets PenWidth to 1: the pen starts 1 pixel wide whatever was stored.
// Folder creation failures are ignored; folders read from the file are not
// checked.
void LoadConfig(TAppState& settings, const TConfigLocation& where);
void LoadConfig(TAppState& settings);

// Writes every key, keeping whatever else the file holds. False when the file
// could not be written (the program ignores it; the previous file is then
// untouched), or when a value could not be stored on one line (a path with a
// line break): the file keeps that key's previous value, the others are written.
// The folder is not created here.
bool SaveConfig(const TAppState& settings, const TConfigLocation& where);
bool SaveConfig(const TAppState& settings);

// [Gallery] User: entries separated by ";", blanks around an entry and empty
// entries ignored; written joined by ";" without a trailing one.
QStringList SplitGalleryFolders(const QString& value);
QString JoinGalleryFolders(const QStringList& folders);

}  // namespace inkora
