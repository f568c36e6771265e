// The window as a desktop user meets it: labels that show their whole text,
// readable message boxes, drops, shortcuts, remembered choices.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "builders/TalkBuilder.hpp"
#include "gui/MessageBoxes.hpp"
#include "gui/WindowFixture.hpp"

namespace trovex {
namespace {

// Fails when a label shows less than its text without saying so: the text it
// draws must fit its width, and when that text is not the whole one it is
// shortened with "…" and the whole one is its tooltip.
void ExpectReadable(const TElidingLabel* label) {
  const QString shown = label->text();
  EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width()) << shown.toStdString();
  EXPECT_EQ(label->toolTip(), label->FullText());
  if (shown != label->FullText()) {
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  }
}

// Records every text a label is given, with what it showed, while a run goes.
class LabelWatch : public QObject {
 public:
  explicit LabelWatch(TElidingLabel* label) : label_(label) { label->installEventFilter(this); }
  std::vector<QString> shown;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ToolTipChange) {
      ExpectReadable(label_);
      shown.push_back(label_->text());
    }
    return false;
  }

 private:
  TElidingLabel* label_;
};

TEST_F(Window, CountersOfALongRunShowWhole) {
  std::vector<std::string> strings(40000, "a line");
  test::WriteFileBytes(dir / "dialog.tlk", build::MakeTalkTable(strings));
  LabelWatch extracted(window.Controls().Extracted);
  LabelWatch message(window.Controls().CurrentMessage);
  openAnswers.push_back({true, 2, {dir / "dialog.tlk"}});
  Click(Button::BAddLog);
  directoryAnswers.push_back(dir / "out");
  ForceDirectories(dir / "out");
  Click(Button::BProcess);
  ASSERT_GE(extracted.shown.size(), 3u);
  EXPECT_EQ(extracted.shown[extracted.shown.size() - 2], "Extracted: 39999 of 40000");

  openAnswers.push_back({true, 7, {dir / "out/result.log"}});
  Click(Button::BAddLog);
  directoryAnswers.push_back(dir / "new");
  ForceDirectories(dir / "new");
  Click(Button::BProcess);
  EXPECT_EQ(extracted.shown[extracted.shown.size() - 2], "Inserted: 39999 of 40000");
  EXPECT_FALSE(message.shown.empty());
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Operation complete!");
}

TEST_F(Window, LabelsElideInTheMiddleOnlyWhenTheTextCannotFit) {
  const TWindowControls& c = window.Controls();
  EXPECT_EQ(c.Extracted->width(), c.SaveLog->x() - c.Extracted->x());
  EXPECT_EQ(c.CurrentMessage->width(), c.Extracted->x() - c.CurrentMessage->x());
  const std::string longName = "Processing " + std::string(200, 'n') + "_end.bif...";
  window.Port().SetLabel(Label::CurrentMessage, longName);
  ExpectReadable(c.CurrentMessage);
  EXPECT_TRUE(c.CurrentMessage->text().startsWith("Processing nnn"));
  EXPECT_TRUE(c.CurrentMessage->text().endsWith("_end.bif..."));
  EXPECT_EQ(c.CurrentMessage->toolTip().toStdString(), longName);

  // A larger font (a desktop scaled by its font size) keeps the rule.
  QFont large = c.Extracted->font();
  large.setPointSize(14);
  c.Extracted->setFont(large);
  window.Port().SetLabel(Label::Extracted, "Extracted: 39999 of 40000");
  ExpectReadable(c.Extracted);
}

TEST(MessageBoxes, AreWideEnoughForTheirCaption) {
  for (const char* caption : {"Process status:", "Operation status", "The list holds BIFF archives"}) {
    QMessageBox box(QMessageBox::Information, caption, "x", QMessageBox::Ok);
    FitCaption(box);
    box.show();
    EXPECT_GE(box.width(), CaptionRoom(caption, box.font())) << caption;
    EXPECT_GT(CaptionRoom(caption, box.font()), QFontMetrics(box.font()).horizontalAdvance(caption));
  }
}

// A drop on the list, as the platform delivers it.
void Drop(QWidget* target, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  QCoreApplication::processEvents();
}

TEST_F(Window, DroppedFilesAreAddedWithTheTypeOfTheirExtension) {
  const TWindowControls& c = window.Controls();
  AddArchives({"A.bif"});
  EXPECT_EQ(c.CurrentMessage->FullText(), "Input: BIFF packages (*.bif)");
  test::WriteFileBytes(dir / "dialog.tlk", "");
  questionAnswers.push_back(false);
  Drop(c.LogList->viewport(), {QString::fromStdString(dir / "dialog.tlk")});
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], "The list holds BIFF archives. Replace them with TALK tables?");
  EXPECT_EQ(window.Port().ListCount(), 1);
  Drop(c.LogList->viewport(), {QString::fromStdString(dir / "dialog.tlk")});
  EXPECT_EQ(window.Port().ListItem(0), dir / "dialog.tlk");
  EXPECT_EQ(c.CurrentMessage->FullText(), "Input: TALK text (*.tlk)");
  EXPECT_TRUE(Enabled(Button::BProcess));

  Drop(c.LogList->viewport(), {QString::fromStdString(dir / "a.bif"), QString::fromStdString(dir / "b.tlk")});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("different input types"), std::string::npos);
  EXPECT_EQ(window.Port().ListCount(), 1);
}

TEST_F(Window, CommandsHaveShortcutsShownInTheirTooltips) {
  const TWindowControls& c = window.Controls();
  EXPECT_EQ(c.ToolButton(Button::BAddLog)->toolTip(), "Add files to the list (Ctrl+O)");
  EXPECT_TRUE(c.ToolButton(Button::BClearAll)->toolTip().endsWith("(Ctrl+Shift+Del)"));
  EXPECT_TRUE(c.Stop->toolTip().endsWith("(Esc)"));
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  test::WriteFileBytes(dir / "A.bif", EmptyBiff());
  openAnswers.push_back({true, kBiffFilter, {dir / "A.bif"}});
  QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(window.Port().ListCount(), 1);

  // Esc stops a run under way; F5 starts it.
  directoryAnswers.push_back(dir.path());
  onChooser = [this] {
    QTimer::singleShot(0, &window, [this] { QTest::keyClick(&window, Qt::Key_Escape); });
  };
  window.Port().ListAppend(dir / "A.bif");
  window.Port().ListAppend(dir / "A.bif");
  QTest::keyClick(&window, Qt::Key_F5);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Operation stopped.");

  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_EQ(boxes.back().caption, "About Trovex");
  EXPECT_NE(boxes.back().text.find("Trovex " TROVEX_VERSION), std::string::npos);
  EXPECT_NE(boxes.back().text.find("Licence: "), std::string::npos);
  EXPECT_NE(boxes.back().text.find(std::string("Qt ") + qVersion()), std::string::npos);
  EXPECT_FALSE(window.windowIcon().isNull());

  QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(window.isHidden());
}

TEST_F(Window, LongPathsScrollAndShowWholeAsTooltips) {
  const std::string path = "/" + std::string(300, 'p') + "/A.bif";
  window.Port().ListAppend(path);
  QListWidget* list = window.Controls().LogList;
  EXPECT_EQ(list->item(0)->toolTip().toStdString(), path);
  QCoreApplication::processEvents();
  EXPECT_GT(list->horizontalScrollBar()->maximum(), 0);
}

TEST_F(Window, TheKindsChoiceIsRememberedForTheNextSession) {
  window.findChild<QAction*>("Kind_bmp")->setChecked(false);
  TTrovexWindow next;
  EXPECT_EQ(next.Form().Run().ExtractKinds, kAllKinds & ~kindBmp);
  EXPECT_FALSE(next.findChild<QAction*>("Kind_bmp")->isChecked());
}

}  // namespace
}  // namespace trovex
