// A label that never cuts its text off at its edge: a text wider than the
// label is shortened in the middle with "…", and the whole text is always
// its tooltip.
#pragma once

#include <QLabel>

namespace trovex {

class TElidingLabel : public QLabel {
  Q_OBJECT

 public:
  TElidingLabel(const QString& text, QWidget* parent);

  void SetFullText(const QString& text);
  const QString& FullText() const { return fullText_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Elide();

  QString fullText_;
};

}  // namespace trovex
