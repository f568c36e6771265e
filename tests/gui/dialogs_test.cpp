#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include "framework/Paths.hpp"
#include "gui/DirectoryChooser.hpp"
#include "gui/FileDialogs.hpp"
#include "gui/Settings.hpp"
#include "run/Formats.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

TEST(OpenDialog, OffersTheNineInputTypesInOrderAndReportsTheOneInUse) {
  const QStringList names = QtNameFilters(OpenDialogFilters());
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  SetUpOpenDialog(dialog, names);
  EXPECT_EQ(dialog.windowTitle(), "Select file...");
  EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
  ASSERT_EQ(dialog.nameFilters().size(), 9);
  EXPECT_EQ(dialog.nameFilters()[0], "BIFF packages (*.bif)");
  // The trailing blank of the movie filter is not part of the pattern.
  EXPECT_EQ(dialog.nameFilters()[4], "Interplay Video (*.mve)");
  // A filter shown without a pattern gets it, or the dialog would read its
  // words as patterns.
  EXPECT_EQ(dialog.nameFilters()[7], "Make BIFF Compressed (*.bif)");
  for (int index = 1; index <= 9; ++index) {
    dialog.selectNameFilter(names[index - 1]);
    EXPECT_EQ(FilterIndexOf(names, dialog.selectedNameFilter()), index);
    EXPECT_EQ(InputTypeOfFilter(index)->formatCode, kInputTypes[index - 1].formatCode);
  }
  EXPECT_EQ(FilterIndexOf(names, "All files (*)"), 0);
}

TEST(SaveDialogs, AskBeforeReplacingAndAddTheirSuffix) {
  for (const SaveDialogKind& kind : {kSaveListDialog, kSaveResultsDialog}) {
    QFileDialog dialog;
    SetUpSaveDialog(dialog, kind);
    EXPECT_EQ(dialog.windowTitle(), kind.title);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog.defaultSuffix(), kind.suffix);
    EXPECT_EQ(dialog.nameFilters(), QString(kind.filters).split(";;"));
  }
  // Results may be saved as plain text or as RTF; a name typed without an
  // extension gets the one of the filter in use.
  QFileDialog dialog;
  SetUpSaveDialog(dialog, kSaveResultsDialog);
  EXPECT_EQ(dialog.nameFilters(), (QStringList{"Text files (*.txt)", "Rich text files (*.rtf)"}));
  emit dialog.filterSelected("Rich text files (*.rtf)");
  EXPECT_EQ(dialog.defaultSuffix(), "rtf");
  emit dialog.filterSelected("Text files (*.txt)");
  EXPECT_EQ(dialog.defaultSuffix(), "txt");
}

// The open dialog and the chooser start where the user last was, also in a
// later session; a remembered folder that is gone is not used.
TEST(RememberedChoices, OpenDialogAndChooserStartWhereTheUserLastWas) {
  test::TempDir dir;
  const QStringList names = QtNameFilters(OpenDialogFilters());
  TSettings().RememberInput(QString::fromLocal8Bit(dir.path()), names[8]);
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  SetUpOpenDialog(dialog, names);
  EXPECT_EQ(QDir::toNativeSeparators(dialog.directory().absolutePath()).toStdString(), dir.path());
  EXPECT_EQ(dialog.selectedNameFilter(), "KEY files (*.key)");

  TSettings().RememberOutputFolder(QString::fromLocal8Bit(dir.path()));
  EXPECT_EQ(TSettings().OutputFolderOr("/start").toStdString(), dir.path());
  TSettings().RememberOutputFolder(QString::fromLocal8Bit(dir / "gone"));
  EXPECT_EQ(TSettings().OutputFolderOr("/start"), "/start");
}

class Chooser : public ::testing::Test {
 protected:
  // Types a name into the chooser and presses its accept button.
  void TypeAndAccept(const std::string& path) {
    chooser.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromLocal8Bit(path));
    QPushButton* choose = chooser.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open);
    ASSERT_TRUE(choose->isEnabled()) << "a typed name can be accepted";
    choose->click();
  }
  test::TempDir dir;
  TDirectoryChooser chooser{nullptr, QString::fromLocal8Bit(dir.path())};
  std::vector<QString> asked;
  bool answer = false;
  void SetUp() override {
    chooser.ConfirmCreate = [this](const QString& path) {
      asked.push_back(path);
      return answer;
    };
    chooser.ReportFailure = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
    chooser.show();
  }
};

TEST_F(Chooser, AMissingDirectoryIsCreatedWithItsParentsOnlyWhenTheUserAgrees) {
  const std::string target = dir / "new/deeper/out";
  TypeAndAccept(target);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].toStdString(), target);
  EXPECT_FALSE(PathExists(dir / "new"));
  EXPECT_TRUE(chooser.isVisible()) << "No keeps the chooser open";

  answer = true;
  TypeAndAccept(target);
  EXPECT_TRUE(IsDirectory(target));
  EXPECT_EQ(chooser.result(), QDialog::Accepted);
  EXPECT_EQ(chooser.ChosenDirectory(), target);
}

TEST_F(Chooser, AnExistingDirectoryIsTakenWithoutAsking) {
  ForceDirectories(dir / "there");
  TypeAndAccept(dir / "there/");
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(chooser.result(), QDialog::Accepted);
  EXPECT_EQ(chooser.ChosenDirectory(), dir / "there");
}

}  // namespace
}  // namespace trovex
