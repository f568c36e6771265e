#include "gui/FileDialogs.hpp"

#include <QFileInfo>
#include <QRegularExpression>

#include "gui/Settings.hpp"
#include "gui/SystemPath.hpp"

namespace trovex {

QStringList QtNameFilters(const std::vector<FileFilter>& filters) {
  QStringList names;
  for (const FileFilter& filter : filters) {
    const QString text = QString::fromLatin1(filter.text).simplified();
    const QString pattern = QString::fromLatin1(filter.pattern);
    names << (text.endsWith("(" + pattern + ")") ? text : text + " (" + pattern + ")");
  }
  return names;
}

int FilterIndexOf(const QStringList& nameFilters, const QString& selected) {
  return static_cast<int>(nameFilters.indexOf(selected)) + 1;
}

void SetUpOpenDialog(QFileDialog& dialog, const QStringList& nameFilters) {
  dialog.setWindowTitle("Select file...");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(nameFilters);
  const TSettings settings;
  const QString folder = settings.InputFolder();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) dialog.setDirectory(folder);
  const QString filter = settings.InputFilter();
  dialog.selectNameFilter(nameFilters.contains(filter) ? filter : nameFilters.value(0));
}

QString SuffixOfFilter(const QString& filter) {
  static const QRegularExpression pattern(R"(\(\*\.([^ )]+))");
  const QRegularExpressionMatch match = pattern.match(filter);
  return match.hasMatch() ? match.captured(1) : QString();
}

void SetUpSaveDialog(QFileDialog& dialog, const SaveDialogKind& kind) {
  dialog.setWindowTitle(kind.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setNameFilters(QString::fromLatin1(kind.filters).split(";;"));
  dialog.setDefaultSuffix(kind.suffix);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOfFilter(filter)); });
}

OpenDialogResult RunOpenDialog(QWidget* owner, const std::vector<FileFilter>& filters) {
  const QStringList names = QtNameFilters(filters);
  QFileDialog dialog(owner);
  SetUpOpenDialog(dialog, names);
  OpenDialogResult result;
  if (dialog.exec() != QDialog::Accepted) return result;
  result.confirmed = true;
  result.filterIndex = FilterIndexOf(names, dialog.selectedNameFilter());
  for (const QString& file : dialog.selectedFiles()) result.paths.push_back(SystemPath(file));
  if (!dialog.selectedFiles().isEmpty()) {
    TSettings().RememberInput(QFileInfo(dialog.selectedFiles().constFirst()).absolutePath(),
                              dialog.selectedNameFilter());
  }
  return result;
}

std::optional<std::string> RunSaveDialog(QWidget* owner, const SaveDialogKind& kind, const std::string& folder) {
  QFileDialog dialog(owner);
  SetUpSaveDialog(dialog, kind);
  if (!folder.empty()) dialog.setDirectory(QString::fromLocal8Bit(folder));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return SystemPath(dialog.selectedFiles().constFirst());
}

}  // namespace trovex
