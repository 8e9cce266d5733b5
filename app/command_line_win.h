#pragma once
#include <windows.h>

#include "core/file_io.h"

// A card-file named on the command line ("Open with", a file dropped on the
// program's icon): the first argument after the program, quotes removed,
// made absolute against the current folder. False when there is none or it
// is longer than a Windows path.
bool cardFileArgument(const wchar_t* commandLine, PathBuffer& path);

// The same for this process's own command line.
bool cardFileFromCommandLine(PathBuffer& path);
