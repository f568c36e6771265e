#include "gui/MessageBoxes.hpp"

#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace trovex {

namespace {

// Title bars draw an icon and up to three buttons (minimise, maximise, close)
// beside the caption, each about two lines of text wide, plus margins.
constexpr int kTitleBarItems = 4;
constexpr int kTitleBarMargins = 48;

}  // namespace

int CaptionRoom(const QString& caption, const QFont& font) {
  // Window managers often draw the caption in bold, which is wider.
  QFont titleFont = font;
  titleFont.setBold(true);
  const QFontMetrics metrics(titleFont);
  return metrics.horizontalAdvance(caption) + kTitleBarItems * 2 * metrics.height() + kTitleBarMargins;
}

// The box sizes itself from its layout when shown; a spacer across the whole
// bottom row makes the layout as wide as the caption needs.
void FitCaption(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const int room = CaptionRoom(box.windowTitle(), box.font());
  grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}

}  // namespace trovex
