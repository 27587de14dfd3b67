// The program's command line without a board: rendering a project's notes to
// picture files and summarising a project, neither of which needs a display.
#pragma once

namespace inkora {

// True when the arguments ask for a command-line task (--export-notes,
// --info, --help, --version) instead of the board.
bool IsCommandLineTask(int argc, char* argv[]);

// Runs that task and returns the exit code: 0 done, 1 the project could not
// be read or the pictures written, 2 the arguments are wrong.
int RunCommandLineTask(int argc, char* argv[]);

}  // namespace inkora
