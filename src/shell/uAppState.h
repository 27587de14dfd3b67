// Process-wide values shared by the board, the tool bars and the recorder.
// One instance lives for the run and is passed by reference.
#pragma once

#include "drawing/uTypes.h"

#include <QString>

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
};

}  // namespace inkora
