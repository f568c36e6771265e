// The toolbar's artwork, drawn in code: one picture per command, each with an
// enabled and a disabled form.
#pragma once

#include <QIcon>

namespace trovex {

enum class ToolbarArt { Add, SaveList, Remove, Process, Exit, ClearAll };

// The icon of a command: its coloured picture for the Normal mode and a
// greyed, faded copy for the Disabled mode.
QIcon ToolbarIcon(ToolbarArt art);

}  // namespace trovex
