// Small system helpers several parts of the program share: the program's
// version, the questions that decide which platform features are offered, and
// where the desktop's panel (task bar) sits.
#pragma once

#include <QRect>
#include <QString>

namespace inkora {

// The program's own version (the build's project version, such as "4.0.0");
// "0.0.0.0" when the build carries none. Linux programs have no version
// resource, so only the program itself is asked.
QString GetFileVersion();

// Sound volumes are set through the sound server: true when a PulseAudio
// server (or a compatible one) answers on a local socket. The candidates are
// the unix sockets named in $PULSE_SERVER when it is set (a server given by
// network address counts without being probed, so start-up never waits on the
// network), else $XDG_RUNTIME_DIR/pulse/native and /run/pulse/native.
bool EndpointVolumesAvailable();

// The automatic pen colour is offered only where the program can read screen
// pixels: on the X11 (xcb) platform.
bool AutoColorOffered();
// The same decision for a given Qt platform name.
bool AutoColorOffered(const QString& platformName);

enum TTaskbarEdge : int { teNone = 0, teLeft, teTop, teRight, teBottom };

// Where the desktop reserves room for its panel, and the strip it takes in
// logical coordinates of the screen.
struct TTaskbarPos {
  TTaskbarEdge Edge = teNone;
  QRect Rect;
  bool operator==(const TTaskbarPos&) const = default;
};

// The panel of the primary screen: the widest strip between the screen's
// geometry and its available geometry. teNone when nothing is reserved or
// there is no screen.
TTaskbarPos GetTaskbarPos();
// The same for a given screen geometry and available geometry.
TTaskbarPos TaskbarPosFrom(const QRect& screen, const QRect& available);

// Where the board sits: at (0, 0) with the primary screen's height, and the
// width of the whole desktop when there is more than one monitor and the
// board is to span them (useDual), else the screen's width.
QRect BoardRect(const QRect& primaryScreen, const QRect& virtualDesktop, int screenCount, bool useDual);

}  // namespace inkora
