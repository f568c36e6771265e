// The window as the user sees it at the desktop's scale (the window tests run
// at 100 % and 150 %, and under wine on the Windows platform): every control
// lies whole inside its parent and the window, its text fits it whole, and the window's picture has the screen's pixel density. The picture
// is saved as screenshot-SCALE.png beside the test for a look when it fails.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <optional>

#include "gui/WindowFixture.hpp"

namespace trovex {
namespace {

// Widgets inside a scroll area's viewport scroll, so they may lie outside it.
bool Scrolls(const QWidget* widget) {
  for (const QWidget* parent = widget->parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
    if (const auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
        area != nullptr && area->viewport() == parent) {
      return true;
    }
  }
  return false;
}

// The text a control shows, when it shows one in a line of its own font.
std::optional<QString> ShownText(const QWidget* widget) {
  if (const auto* tool = qobject_cast<const QToolButton*>(widget);
      tool != nullptr && tool->toolButtonStyle() == Qt::ToolButtonIconOnly) {
    return std::nullopt;
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (const auto* label = qobject_cast<const QLabel*>(widget); label != nullptr && !label->wordWrap()) {
    return label->text();
  }
  return std::nullopt;
}

std::string Describe(const QWidget* widget) {
  const QString name = widget->objectName().isEmpty() ? widget->metaObject()->className() : widget->objectName();
  const QRect r = widget->geometry();
  return QString("%1 at %2,%3 %4x%5").arg(name).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

TEST_F(Window, EveryControlShowsWholeAtTheDesktopScale) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  int controls = 0;
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window) || Scrolls(widget) || widget->isWindow()) continue;
    SCOPED_TRACE(Describe(widget));
    const QRect inWindow(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    EXPECT_TRUE(window.rect().contains(inWindow));
    EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry()));
    if (qobject_cast<const QAbstractButton*>(widget) != nullptr || qobject_cast<const QLabel*>(widget) != nullptr ||
        qobject_cast<const QProgressBar*>(widget) != nullptr) {
      ++controls;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget); button != nullptr && !button->icon().isNull()) {
      EXPECT_GE(button->width(), button->iconSize().width());
      EXPECT_GE(button->height(), button->iconSize().height());
    }
    const std::optional<QString> text = ShownText(widget);
    if (!text || text->isEmpty()) continue;
    const QFontMetrics metrics = widget->fontMetrics();
    EXPECT_GE(widget->contentsRect().width(), metrics.horizontalAdvance(*text))
        << text->toStdString() << " in " << widget->font().toString().toStdString();
    EXPECT_GE(widget->contentsRect().height(), metrics.height()) << text->toStdString();
  }
  EXPECT_GE(controls, 14);

  const QImage picture = window.grab().toImage();
  const qreal ratio = window.screen()->devicePixelRatio();
  EXPECT_EQ(picture.size(), (QSizeF(window.size()) * ratio).toSize());
  picture.save(QString("screenshot-%1.png").arg(ratio));
}

}  // namespace
}  // namespace trovex
