// What the window tells the user: the status line, the empty list's hint,
// About; and the room it gives: resizing, Extracted, the kinds choice,
// drops during a run.
#include <gtest/gtest.h>

#include <QMenu>
#include <algorithm>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "builders/TalkBuilder.hpp"
#include "gui/Settings.hpp"
#include "gui/WindowFixture.hpp"

namespace trovex {
namespace {

constexpr int kTalkFilter = 2;
constexpr int kLogFilter = 7;

// The wrapped status line shows its whole text within its two lines.
void ExpectStatusFits(const QLabel* status) {
  EXPECT_LE(status->heightForWidth(status->width()), status->height()) << status->text().toStdString();
}

TEST_F(Window, TheStatusLineSaysWhatWasWrittenAndOpensTheFolder) {
  const TWindowControls& c = window.Controls();
  EXPECT_FALSE(c.OpenFolder->isVisible());
  test::WriteFileBytes(dir / "dialog.tlk", build::MakeTalkTable(std::vector<std::string>{"a", "b"}));
  openAnswers.push_back({true, kTalkFilter, {dir / "dialog.tlk"}});
  Click(Button::BAddLog);
  const std::string out = dir / "out";
  directoryAnswers.push_back(out);
  ForceDirectories(out);
  Click(Button::BProcess);
  EXPECT_EQ(c.StatusLine->text().toStdString(),
            "Done: 1 of 1 input, 1 file written in " + out + ". To put your edits back, add " +
                (dir / "out/result.log") + " (Log files) and process it into a new folder.");
  EXPECT_NE(c.StatusLine->toolTip().toStdString().find("dialog.tlk: text dump " + (dir / "out/dialog.txt")),
            std::string::npos);
  ExpectStatusFits(c.StatusLine);
  ASSERT_TRUE(c.OpenFolder->isVisible());
  c.OpenFolder->click();
  EXPECT_EQ(openedFolders, std::vector<std::string>{out});

  // A run that ends in an error keeps it as the last Results line.
  window.Port().ListAppend(dir / "gone.tlk");
  directoryAnswers.push_back(out);
  boxes.clear();
  Click(Button::BProcess);
  const std::string error = "Cannot open file " + (dir / "gone.tlk") + ": No such file or directory (input 2 of 2)";
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, error);
  EXPECT_EQ(window.Port().ResultLines().back(), error);
  EXPECT_TRUE(Enabled(Button::SaveLog));
  EXPECT_TRUE(c.StatusLine->text().startsWith("Ended by an error: 1 of 2 inputs"));
}

TEST_F(Window, AnEmptyListShowsHowToBeginInPlace) {
  QListWidget* list = window.Controls().LogList;
  const QRect room = list->viewport()->rect().adjusted(12, 8, -12, -8);
  const QRect needed = list->fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, TLogList::Hint());
  EXPECT_LE(needed.height(), room.height());
  EXPECT_LE(needed.width(), room.width());
  const QImage empty = list->viewport()->grab().toImage();
  window.Port().ListAppend("/g/a.bif");
  window.Port().ListClear();
  EXPECT_EQ(list->viewport()->grab().toImage(), empty);
  // Something is drawn: the hint's text.
  window.Port().ListAppend(" ");
  EXPECT_NE(list->viewport()->grab().toImage(), empty);
}

TEST_F(Window, AboutIsAToolbarButton) {
  QAction* about = window.Controls().About;
  ASSERT_NE(about, nullptr);
  QWidget* button = window.Controls().ToolBar1->widgetForAction(about);
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->isVisible());
  qobject_cast<QAbstractButton*>(button)->click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "About Trovex");
}

TEST_F(Window, AddAsksWhenTheFilesAreOfAnotherType) {
  test::WriteFileBytes(dir / "Sounds.bif", EmptyBiff());
  openAnswers.push_back({true, kTalkFilter, {dir / "Sounds.bif"}});
  Click(Button::BAddLog);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], "Sounds.bif is one of the BIFF archives, not TALK tables. Add it as BIFF archives?");
  EXPECT_EQ(window.Form().FormatCode(), fcBiff);
}

TEST_F(Window, TheListAndThePaneTakeTheRoomOfALargerWindowWhichIsRemembered) {
  const TWindowControls& c = window.Controls();
  const QSize first = window.size();
  const int listHeight = c.LogList->height();
  const int paneHeight = c.Results->height();
  EXPECT_FALSE(window.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
  EXPECT_LT(window.minimumSize().width(), window.maximumSize().width());
  window.resize(first + QSize(300, 200));
  QCoreApplication::processEvents();
  EXPECT_EQ(window.size(), first + QSize(300, 200));
  EXPECT_GT(c.LogList->height(), listHeight + 50);
  EXPECT_GT(c.Results->height(), paneHeight + 50);
  EXPECT_EQ(c.GroupBox1->height(), 66);
  // The bars grow; the buttons keep to the right edge.
  EXPECT_EQ(c.Progress->width(), 671 + 300);
  EXPECT_EQ(c.Stop->geometry().right(), c.Progress->geometry().right());
  EXPECT_EQ(c.SaveLog->geometry().right() + 1, c.Stop->x() - 1);

  window.close();
  TTrovexWindow next;
  next.show();
  next.RestorePlace();
  EXPECT_EQ(next.size(), first + QSize(300, 200));
}

// Extracted shows whole numbers whatever the font, and every job log group
// starts counting from nothing.
TEST_F(Window, ExtractedShowsItsWholeCountAndStartsAfreshForEachGroup) {
  const TWindowControls& c = window.Controls();
  QFont large = c.Extracted->font();
  large.setPointSize(16);
  c.Extracted->setFont(large);
  window.Port().SetLabel(Label::Extracted, "Extracted: 1999999 of 2000000");
  EXPECT_EQ(c.Extracted->text(), c.Extracted->FullText());
  EXPECT_EQ(c.CurrentMessage->geometry().right() + 1, c.Extracted->x());
  EXPECT_EQ(c.Extracted->geometry().right() + 1, c.SaveLog->x());
  window.Port().SetLabel(Label::Extracted, "");

  test::WriteFileBytes(dir / "a.tlk", build::MakeTalkTable(std::vector<std::string>(30, "x")));
  test::WriteFileBytes(dir / "b.tlk", build::MakeTalkTable(std::vector<std::string>(5, "y")));
  openAnswers.push_back({true, kTalkFilter, {dir / "a.tlk", dir / "b.tlk"}});
  Click(Button::BAddLog);
  directoryAnswers.push_back(dir / "out");
  ForceDirectories(dir / "out");
  Click(Button::BProcess);
  EXPECT_TRUE(c.Extracted->FullText().isEmpty());

  std::vector<QString> shown;
  struct Watch : QObject {
    std::vector<QString>& seen;
    const TElidingLabel* label;
    Watch(std::vector<QString>& s, const TElidingLabel* l) : seen(s), label(l) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::ToolTipChange) seen.push_back(label->FullText());
      return false;
    }
  } watch(shown, c.Extracted);
  c.Extracted->installEventFilter(&watch);
  openAnswers.push_back({true, kLogFilter, {dir / "out/result.log"}});
  Click(Button::BAddLog);
  directoryAnswers.push_back(dir / "new");
  ForceDirectories(dir / "new");
  Click(Button::BProcess);
  c.Extracted->removeEventFilter(&watch);
  const auto second = std::find_if(shown.begin(), shown.end(), [](const QString& t) { return t.endsWith(" of 5"); });
  ASSERT_NE(second, shown.end());
  ASSERT_NE(second, shown.begin());
  EXPECT_EQ(*(second - 1), "") << "the second table starts without the first one's count";
}

TEST_F(Window, TheKindsChoiceSaysWhatEachKindIsAndShowsOnlyForArchives) {
  const TWindowControls& c = window.Controls();
  EXPECT_FALSE(c.KindsPlace->isVisible());
  AddArchives({"A.bif"});
  EXPECT_TRUE(c.KindsPlace->isVisible());
  QStringList words;
  for (QAction* kind : c.KindActions) words << kind->text();
  EXPECT_EQ(words, (QStringList{"Sounds (ACM and wave)", "Bitmaps", "Movies", "Frame images (BAM)",
                                "Area images (MOS)"}));
  EXPECT_EQ(c.Kinds->text(), "Kinds");

  // The menu stays open while several kinds are ticked off.
  QMenu* menu = c.Kinds->menu();
  menu->popup(c.Kinds->mapToGlobal(QPoint(0, c.Kinds->height())));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  for (QAction* kind : {c.KindActions[1], c.KindActions[4]}) {
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(kind).center());
    EXPECT_TRUE(menu->isVisible());
  }
  menu->close();
  EXPECT_EQ(c.Kinds->text(), "Kinds: 3 of 5");
  EXPECT_EQ(window.Form().Run().ExtractKinds, kindWav | kindMve | kindImage);

  // Off during a run; hidden for other inputs.
  bool enabledDuringRun = true;
  onChooser = [&] { enabledDuringRun = c.Kinds->isEnabled(); };
  directoryAnswers.push_back(dir.path());
  Click(Button::BProcess);
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_TRUE(c.Kinds->isEnabled());
  test::WriteFileBytes(dir / "dialog.tlk", "");
  openAnswers.push_back({true, kTalkFilter, {dir / "dialog.tlk"}});
  Click(Button::BAddLog);
  EXPECT_FALSE(c.KindsPlace->isVisible());
}

TEST_F(Window, DropsDuringARunAreRefusedAndTheSourceIsToldSo) {
  AddArchives({"A.bif"});
  QWidget* target = window.Controls().LogList->viewport();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir / "B.bif"))});
  bool enterAccepted = true;
  Qt::DropAction dropAction = Qt::CopyAction;
  onChooser = [&] {
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    enterAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    dropAction = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
  };
  directoryAnswers.push_back(dir.path());
  Click(Button::BProcess);
  EXPECT_FALSE(enterAccepted);
  EXPECT_EQ(dropAction, Qt::IgnoreAction);
  EXPECT_EQ(window.Port().ListCount(), 1);
}

}  // namespace
}  // namespace trovex
