#include "gui/LogList.hpp"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace trovex {

TLogList::TLogList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setTextElideMode(Qt::ElideNone);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDropIndicatorShown(false);
}

QStringList DroppedFiles(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths << url.toLocalFile();
  }
  return paths;
}

QString TLogList::Hint() {
  return "Add game files with Ctrl+O, or drop them here.\n\n"
         "To put your edits back, add result.log from the output folder (Log files) and process it into a new "
         "folder.";
}

// A refused drag shows the no-drop cursor; a refused drop tells its source
// that nothing was taken, so a move does not delete the files.
void TLogList::dragEnterEvent(QDragEnterEvent* event) {
  if (dropsRefused_ || DroppedFiles(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TLogList::dragMoveEvent(QDragMoveEvent* event) {
  if (dropsRefused_ || DroppedFiles(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TLogList::dropEvent(QDropEvent* event) {
  const QStringList paths = DroppedFiles(event->mimeData());
  if (dropsRefused_ || paths.isEmpty()) {
    event->setDropAction(Qt::IgnoreAction);
    return event->ignore();
  }
  event->acceptProposedAction();
  emit FilesDropped(paths);
}

void TLogList::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (count() != 0) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(viewport()->rect().adjusted(12, 8, -12, -8), Qt::AlignCenter | Qt::TextWordWrap, Hint());
}

}  // namespace trovex
