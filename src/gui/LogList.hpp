// The input list: several entries selectable, every entry's whole path as its
// tooltip, scrolled sideways for long paths, and files dropped on it handed
// to the window.
#pragma once

#include <QListWidget>
#include <QStringList>

namespace trovex {

class TLogList : public QListWidget {
  Q_OBJECT

 public:
  explicit TLogList(QWidget* parent);

  // While refused (during a run), a drag is told that nothing is taken.
  void SetDropsRefused(bool refused) { dropsRefused_ = refused; }

  // What an empty list shows in place: how to add files, and how the edits
  // go back.
  static QString Hint();

 signals:
  // Local files dropped on the list, in the order the drop gives them.
  void FilesDropped(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool dropsRefused_ = false;
};

// The local files a drop carries; empty when it carries anything else.
QStringList DroppedFiles(const QMimeData* data);

}  // namespace trovex
