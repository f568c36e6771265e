// Message boxes wide enough for their caption: a box sized to a short text
// leaves the window manager too little title bar, and it cuts the caption
// ("Proce... tatus:").
#pragma once

#include <QMessageBox>

namespace trovex {

// The width a window needs for caption in its title bar: the caption in the
// title font plus the title bar's icon and buttons.
int CaptionRoom(const QString& caption, const QFont& font);

// Makes box at least as wide as its caption needs.
void FitCaption(QMessageBox& box);

}  // namespace trovex
