// The user's default printer, through the CUPS client library.
//
// The default a user's programs print to is, in this order: $LPDEST or
// $PRINTER, the "Default" line of the user's lpoptions file (~/.cups/lpoptions),
// the system lpoptions file, the print server's own default. The board changes
// only the user's lpoptions file, the way `lpoptions -d` does, and remembers
// what that file said so it can put exactly that back, including "no default
// of the user's own".
//
// The server is the one libcups picks (cupsServer(): $CUPS_SERVER, then the
// client configuration, then the local scheduler). Without a server that
// answers, every function here is a quiet no-op.
#pragma once

#include <QString>

namespace inkora {

// The queue of the virtual printer that hands documents to the board.
inline constexpr const char* kVirtualPrinterQueue = "Inkora_Vitual_Printer";

// Name of the printer the user's programs print to by default ("queue", or
// "queue/instance" for a saved instance); empty when there is none or no
// print server answers.
QString GetDefaultPrinterName();

// Makes `name` ("queue" or "queue/instance") the user's default printer. False,
// with nothing changed, when no print server answers or it has no such printer.
bool SetDefaultPrinter(const QString& name);

// What the user's lpoptions file said about the default printer.
struct TSavedDefaultPrinter {
  bool Known = false;        // false: no print server answered, nothing to restore
  QString Name;              // the user's own default; empty when the user set none
  bool FileExisted = false;  // the user's lpoptions file existed
};

// Reads the user's own default before the board changes it.
TSavedDefaultPrinter SaveDefaultPrinter();

// Puts back what SaveDefaultPrinter read: the same default line, or none. An
// lpoptions file that did not exist before and holds nothing afterwards is
// removed again. False when `saved` is not Known, no print server answers or
// the file cannot be written.
bool RestoreDefaultPrinter(const TSavedDefaultPrinter& saved);

// At start-up the board makes its virtual printer the default, so that
// "print" in any program sends the document to the board; at the end it puts
// back what was there. Nothing is switched (and nothing restored) when the
// virtual printer is missing, is the default already, or no server answers.
class TDefaultPrinterSwitch {
 public:
  void SwitchToVirtualPrinter();
  void Restore();
  bool Switched() const { return FSaved.Known; }

 private:
  TSavedDefaultPrinter FSaved;
};

// The user's lpoptions file: $HOME/.cups/lpoptions (the home folder from the
// password database when $HOME is not set).
QString UserLpoptionsPath();

}  // namespace inkora
