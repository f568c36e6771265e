#include "gui/ElidingLabel.hpp"

#include <QEvent>

namespace trovex {

TElidingLabel::TElidingLabel(const QString& text, QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  SetFullText(text);
}

void TElidingLabel::SetFullText(const QString& text) {
  fullText_ = text;
  Elide();
  setToolTip(text);
}

void TElidingLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

// A new font (a scaled desktop, a changed style) changes what fits.
void TElidingLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Elide();
}

void TElidingLabel::Elide() {
  const int room = contentsRect().width();
  setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, room));
}

}  // namespace trovex
