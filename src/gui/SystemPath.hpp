// Paths from Qt's dialogs and drops as the run keeps them: in the system's
// 8-bit code page and with the system's separators, so that a path the user
// picked in the window reads in job logs and messages as one typed on the
// command line ("C:\Games\dialog.tlk", not "C:/Games/dialog.tlk").
#pragma once

#include <QString>
#include <string>

namespace trovex {

std::string SystemPath(const QString& path);

}  // namespace trovex
