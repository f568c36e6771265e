// The toolbar's artwork, drawn in code: one picture per command, each with an
// enabled and a disabled form.
#pragma once

#include <QIcon>
#include <QImage>

namespace trovex {

enum class ToolbarArt { Add, SaveList, Remove, Process, Exit, ClearAll };

// The icon of a command: its coloured picture for the Normal mode and a
// greyed, faded copy for the Disabled mode.
QIcon ToolbarIcon(ToolbarArt art);

// The program's own picture in the toolbar's style, drawn at size x size
// pixels: a page taken out of an archive box.
QImage ProgramPicture(int size);
// The window icon: the program's picture at the usual sizes.
QIcon ProgramIcon();

}  // namespace trovex
