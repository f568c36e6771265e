#include <gtest/gtest.h>

#include <QMenu>
#include <QToolButton>
#include <QTimer>
#include <deque>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "gui/TalkChoiceBar.hpp"
#include "gui/WindowFixture.hpp"

namespace trovex {
namespace {

TEST_F(Window, StartsWithTheLayoutAndStatesOfAnEmptyList) {
  const TWindowControls& c = window.Controls();
  EXPECT_EQ(window.windowTitle(), "Trovex");
  // The first size is the smallest: the layout's 688 x 464 and the status
  // line below it.
  EXPECT_EQ(window.size(), window.minimumSize());
  EXPECT_EQ(window.width(), 688);
  EXPECT_EQ(window.height(), 464 + c.StatusLine->parentWidget()->height());
  EXPECT_EQ(c.ToolBar1->parentWidget()->geometry(), QRect(0, 0, 688, 26));
  EXPECT_EQ(c.LogList->geometry(), QRect(0, 26, 688, 189));
  EXPECT_EQ(c.Results->geometry(), QRect(0, 215, 688, 183));
  EXPECT_EQ(c.GroupBox1->geometry(), QRect(0, 398, 688, 66));
  EXPECT_EQ(c.GroupBox1->title(), " Process ");
  EXPECT_EQ(c.SaveLog->geometry(), QRect(506, 10, 105, 19));
  EXPECT_EQ(c.Stop->geometry(), QRect(612, 10, 71, 19));
  EXPECT_EQ(c.Progress->geometry(), QRect(12, 32, 671, 13));
  EXPECT_EQ(c.Total->geometry(), QRect(12, 48, 671, 13));
  EXPECT_EQ(c.CurrentMessage->pos(), QPoint(12, 16));
  EXPECT_EQ(c.Extracted->pos(), QPoint(334, 14));
  EXPECT_EQ(c.Extracted->text(), "");
  EXPECT_EQ(c.Results->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(c.LogList->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(window.Port().BarPosition(Bar::Progress), 0);
  EXPECT_EQ(window.Port().BarPosition(Bar::Total), 0);
  EXPECT_TRUE(Enabled(Button::BAddLog));
  EXPECT_TRUE(Enabled(Button::BExit));
  for (Button off :
       {Button::BSaveList, Button::BRemLog, Button::BClearAll, Button::BProcess, Button::SaveLog, Button::Stop}) {
    EXPECT_FALSE(Enabled(off));
  }
  for (QAction* action : c.ToolButtons) {
    EXPECT_FALSE(action->toolTip().isEmpty());
    const QIcon icon = action->icon();
    EXPECT_NE(icon.pixmap(16, QIcon::Normal).toImage(), icon.pixmap(16, QIcon::Disabled).toImage());
  }
}

TEST_F(Window, AddThenProcessWritesResultLogAndShowsTheCompletionBox) {
  Click(Button::BProcess);  // disabled with an empty list
  EXPECT_TRUE(boxes.empty());

  AddArchives({"A.bif"});
  ASSERT_EQ(window.Port().ListCount(), 1);
  EXPECT_EQ(window.Controls().LogList->item(0)->text().toStdString(), dir / "A.bif");
  for (Button on : {Button::BSaveList, Button::BRemLog, Button::BClearAll, Button::BProcess}) EXPECT_TRUE(Enabled(on));

  directoryAnswers.push_back(dir / "out");
  ForceDirectories(dir / "out");
  Click(Button::BProcess);
  EXPECT_EQ(chooserStart, startDir);
  EXPECT_EQ(test::ReadFileBytes(dir / "out/result.log"), "#Format: BIFF\r\n#Source: " + (dir / "A.bif") + "\r\n");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
  EXPECT_EQ(boxes[0].text, "Operation complete!");
  EXPECT_EQ(boxes[0].caption, "Process status:");
  EXPECT_FALSE(Enabled(Button::Stop));
  EXPECT_EQ(window.Port().BarPosition(Bar::Total), 0);
  EXPECT_TRUE(window.Controls().Extracted->text().isEmpty());
}

// Files of one name are warned of as they are added, and added all the same.
TEST_F(Window, AddWarnsOfFilesOfTheSameName) {
  AddArchives({"A.bif"});
  ForceDirectories(dir / "other");
  AddArchives({"other/A.bif", "B.bif"});
  EXPECT_EQ(window.Port().ListCount(), 3);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(boxes[0].caption, "Add files");
  EXPECT_NE(boxes[0].text.find((dir / "other/A.bif") + " (the same name as " + (dir / "A.bif") + ")"),
            std::string::npos)
      << boxes[0].text;
}

TEST_F(Window, ACommandErrorIsShownAndTheWindowGoesOnWorking) {
  openAnswers.push_back({true, kListFilter, {dir / "missing.lst"}});
  Click(Button::BAddLog);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(boxes[0].caption, "Trovex");
  EXPECT_EQ(boxes[0].text, "Cannot open file " + (dir / "missing.lst") + ": No such file or directory");
  EXPECT_FALSE(Enabled(Button::BProcess));

  AddArchives({"A.bif"});
  EXPECT_EQ(window.Port().ListCount(), 1);
  EXPECT_TRUE(Enabled(Button::BProcess));
}

// Clicks reach the window while a run is under way, through the events that
// the run lets through: closing stops the run at the next item, and the
// window closes once the run has ended.
TEST_F(Window, ClosingDuringARunStopsItAndThenCloses) {
  AddArchives({"A.bif", "B.bif", "C.bif"});
  directoryAnswers.push_back(dir.path());
  onChooser = [this] { QTimer::singleShot(0, &window, [this] { Click(Button::BExit); }); };
  Click(Button::BProcess);
  EXPECT_TRUE(window.isHidden());
  EXPECT_EQ(test::ReadFileBytes(dir / "result.log").find("C.bif"), std::string::npos);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Operation stopped.");
}

// An .rtf name gets the RTF document, any other name the lines as they
// stand with CR LF after each.
TEST_F(Window, SavedResultsAreRtfOrPlainTextByTheChosenExtension) {
  // Lines are in the system's 8-bit code page: "café" as it spells it, and a
  // byte that is no character of it on Linux (UTF-8), but "ÿ" in Windows'
  // code page 1252, where every byte is a character.
  const std::string cafe = QString::fromUtf8("caf\xc3\xa9").toLocal8Bit().toStdString();
#ifdef _WIN32
  const std::string rawInRtf = "raw \\u255? byte";
#else
  const std::string rawInRtf = "raw \\'ff byte";
#endif
  window.Port().AppendResult("Item 1 extracted sucessfully.");
  window.Port().AppendResult("{C:\\path} " + cafe);
  window.Port().AppendResult("raw \xff byte");
  window.Port().SetButtonEnabled(Button::SaveLog, true);
  saveAnswers.push_back(dir / "results.txt");
  Click(Button::SaveLog);
  EXPECT_EQ(test::ReadFileBytes(dir / "results.txt"),
            "Item 1 extracted sucessfully.\r\n{C:\\path} " + cafe + "\r\nraw \xff byte\r\n");
  window.Port().SetButtonEnabled(Button::SaveLog, true);
  saveAnswers.push_back(dir / "results.RTF");
  boxes.clear();
  Click(Button::SaveLog);
  const std::string rtf = test::ReadFileBytes(dir / "results.RTF");
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
  EXPECT_NE(rtf.find(" Item 1 extracted sucessfully.\\par\r\n"
                     "\\{C:\\\\path\\} caf\\u233?\\par\r\n" +
                     rawInRtf + "\\par\r\n}"),
            std::string::npos)
      << rtf;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "results.RTF");
  EXPECT_EQ(boxes[0].caption, "Operation status");
  EXPECT_FALSE(Enabled(Button::SaveLog));
}

TEST_F(Window, ThePaneShowsLinesAsTheyStandAndBarsHoldPositionsInRange) {
  TQtWindowPort& port = window.Port();
  port.AppendResult("<b>not bold</b>");
  port.AppendResult("second");
  EXPECT_EQ(window.Controls().Results->toPlainText(), "<b>not bold</b>\nsecond");
  EXPECT_EQ(port.ResultLineCount(), 2);
  // The bar would ignore these and go on showing its last position.
  port.SetBarPosition(Bar::Progress, 250);
  EXPECT_EQ(port.BarPosition(Bar::Progress), 100);
  port.SetBarPosition(Bar::Progress, -5);
  EXPECT_EQ(port.BarPosition(Bar::Progress), 0);
  port.ClearResults();
  EXPECT_EQ(port.ResultLineCount(), 0);
  EXPECT_TRUE(window.Controls().Results->toPlainText().isEmpty());
}

TEST_F(Window, ListEntriesKeepTheirBytesAndMovingTheCurrentEntryKeepsTheSelection) {
  TQtWindowPort& port = window.Port();
  port.ListAppend("/tmp/a\xff.bif");
  port.ListAppend("/tmp/b.bif");
  port.ListAppend("/tmp/c.bif");
  window.Controls().LogList->item(1)->setSelected(true);
  window.Controls().LogList->item(2)->setSelected(true);
  window.Controls().LogList->item(0)->setSelected(false);
  EXPECT_EQ(port.ListItem(0), "/tmp/a\xff.bif");
  port.ListSetCurrent(0);
  EXPECT_TRUE(port.ListSelected(1));
  EXPECT_FALSE(port.ListSelected(0));
  EXPECT_THROW(port.ListItem(3), EListError);
}

TEST_F(Window, TheKindsChoiceSetsWhatExtractionWrites) {
  EXPECT_EQ(window.Form().Run().ExtractKinds, kAllKinds);
  window.findChild<QAction*>("Kind_bmp")->setChecked(false);
  window.findChild<QAction*>("Kind_mos")->setChecked(false);
  EXPECT_EQ(window.Form().Run().ExtractKinds, kindWav | kindMve | kindImage);
}

TEST_F(Window, StringTableChoicesShowForTablesAndSetWhatExtractionWrites) {
  auto* bar = window.findChild<TTalkChoiceBar*>("TalkChoices");
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isVisibleTo(&window));
  test::WriteFileBytes(dir / "dialog.tlk", "");
  openAnswers.push_back({true, 2, {dir / "dialog.tlk"}});
  Click(Button::BAddLog);
  EXPECT_TRUE(bar->isVisibleTo(&window));
  // Inside the toolbar's frame, clear of the toolbar's buttons.
  const QRect frame = window.Controls().ToolBar1->parentWidget()->rect();
  EXPECT_TRUE(frame.contains(bar->geometry())) << bar->x() << "," << bar->y() << " " << bar->width() << "x" << bar->height();
  const QToolButton* kinds = window.findChild<QToolButton*>("Kinds");
  EXPECT_GT(bar->x(), kinds->mapTo(window.Controls().ToolBar1->parentWidget(), QPoint(kinds->width(), 0)).x());
  EXPECT_EQ(window.Form().Run().Talk.form, TextForm::Dump);
  EXPECT_FALSE(bar->CodePage()->isEnabled());
  bar->Form()->setCurrentIndex(bar->Form()->findData("po"));
  bar->CodePage()->setCurrentIndex(bar->CodePage()->findData("932"));
  EXPECT_EQ(window.Form().Run().Talk.form, TextForm::Po);
  EXPECT_EQ(window.Form().Run().Talk.codePage, 932u);
  // An earlier translation and its source, then forgotten.
  std::deque<QString> chosen = {"/old/de.tlk", ""};
  bar->chooseTable = [&chosen](const QString&) { return Take(chosen, QString()); };
  ASSERT_TRUE(bar->Earlier()->isEnabled());
  bar->Earlier()->menu()->actions()[0]->trigger();
  EXPECT_EQ(window.Form().Run().Talk.translation, test::NativePath("/old/de.tlk"));
  EXPECT_EQ(window.Form().Run().Talk.translationSource, "");
  EXPECT_EQ(bar->Earlier()->text(), "Earlier: de.tlk");
  bar->Earlier()->menu()->actions()[1]->trigger();
  EXPECT_EQ(window.Form().Run().Talk.translation, "");
  // A new window starts with the remembered choices.
  TTrovexWindow second;
  EXPECT_EQ(second.Form().Run().Talk.form, TextForm::Po);
  EXPECT_EQ(second.Form().Run().Talk.codePage, 932u);
  Click(Button::BClearAll);
  AddArchives({"A.bif"});
  EXPECT_FALSE(bar->isVisibleTo(&window));
}

}  // namespace
}  // namespace trovex
