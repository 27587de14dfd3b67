// Process-wide values shared by the board, the tool bars and the recorder.
// One instance lives for the run and is passed by reference.
#pragma once

#include "drawing/uTypes.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace inkora {

enum TRecState : int32_t { rsInitial = 0, rsRecording = 4, rsScreenRecording = 6, rsStopped = 10 };

struct TAppState {
  int32_t ColorIndex = 0;          // palette index of the current colour, 16 = automatic
  TColor LastAutoColor = 0x000000;  // colour chosen by the last automatic sampling
  int32_t PenWidth = 1;            // current pen width in pixels
  int32_t FPenWidth1 = 1, FPenWidth2 = 3, FPenWidth3 = 7, FPenWidth4 = 10;
  double RecClock = 0.0;           // seconds since the recording started; 0 when none runs
  int32_t RecState = rsInitial;
  int32_t ToolbarPos = 1;          // 1 bottom, 2 top, 3 left, 4 right, 5 floating

  // Note pictures drawn over every note.
  QString LogoFile;                // picture drawn at its own size
  int32_t LogoPos = 9;             // 1..9: corners, edge middles and centre
  int32_t LogoTrans = 255;         // 0..255 opacity
  QString BGFile;                  // picture stretched over plain notes
  int32_t BGTrans = 255;           // 0..255 opacity
  int32_t NoteColor = 15;          // palette index of plain notes

  // Further settings kept in Config.ini (uConfig); the fields above that are
  // also settings: ColorIndex, PenWidth, FPenWidth1..4, ToolbarPos, the note
  // pictures and NoteColor. LoadConfig sets every one of them.
  int32_t FloatingX = 0;           // top-left corner of the round floating tool bar
  int32_t FloatingY = 27;
  bool UseDual = false;            // span the board over every monitor (from the next start)
  QStringList GalleryFolders;      // the user's clip-art galleries, each "name|path"
  QString DocFolder;               // folder offered for project files
  QString SaveNote;                // folder offered when notes are saved as pictures
  QString RecFolder;               // output folder of recordings
  bool Nameing = false;            // ask for a file name before recording
  QString RecName;                 // stored and written back only
  int32_t ContentsType = 3;        // 0 video, 1 audio, 2 note (screen), 3 ask when recording
  int32_t VideoDevice = 0;         // index into the video capture devices; -1 none chosen
  int32_t InputType = 0;           // video input of that device; -1 none chosen
  QString VideoProfile;            // name of the video encoding profile
  int32_t AudioDevice = 0;         // index into the audio capture devices; -1 none chosen
  QString AudioProfile;            // name of the audio encoding profile
  int32_t VideoPos = 3;            // preview corner: 0/1 upper/lower left, 2/3 upper/lower right
  bool ConfirmEraser = true;       // ask before erasing everything
  bool ConfirmRecord = true;       // ask before recording
  bool UsePenOnlyDrawing = false;  // stored and written back only
  bool RememberToolPos = true;     // keep the tool-bar position between runs
  bool ShowImportMsg = true;       // show the import help before importing a document
};

}  // namespace inkora
