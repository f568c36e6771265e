// The window's file dialogs: the open dialog with the nine input types and
// the two save dialogs (project list, results).
#pragma once

#include <QFileDialog>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "run/WindowPort.hpp"

namespace trovex {

// The dialog's filter strings, one per filter in the same order. The dialog
// reads a filter's patterns from the parentheses that end it, so a filter
// whose text does not already end with its pattern gets it appended.
QStringList QtNameFilters(const std::vector<FileFilter>& filters);
// The 1-based index of the filter in use, or 0 when it is none of them.
int FilterIndexOf(const QStringList& nameFilters, const QString& selected);

// The open dialog: "Select file...", the filters in order, several files
// that must exist; it starts in the folder and with the filter of the last
// confirmed open dialog, remembered between sessions.
void SetUpOpenDialog(QFileDialog& dialog, const QStringList& nameFilters);

struct SaveDialogKind {
  const char* title;
  const char* filters;  // separated by ";;"
  const char* suffix;   // added to a name typed without one under the first filter
};
inline constexpr SaveDialogKind kSaveListDialog{"Select file...", "Project list files (*.lst)", "lst"};
inline constexpr SaveDialogKind kSaveResultsDialog{"Select target...", "Text files (*.txt);;Rich text files (*.rtf)",
                                                   "txt"};

// The extension a filter's first pattern gives a name typed without one:
// "rtf" for "Rich text files (*.rtf)".
QString SuffixOfFilter(const QString& filter);

// A save dialog that asks before replacing an existing file. A name typed
// without an extension gets the one of the filter in use.
void SetUpSaveDialog(QFileDialog& dialog, const SaveDialogKind& kind);

// The dialogs shown modally over owner. Paths come back in the locale's
// 8-bit form.
OpenDialogResult RunOpenDialog(QWidget* owner, const std::vector<FileFilter>& filters);
// A save dialog starts in folder when it is not empty.
std::optional<std::string> RunSaveDialog(QWidget* owner, const SaveDialogKind& kind, const std::string& folder = {});

}  // namespace trovex
