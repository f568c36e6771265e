// The directory chooser of Process: the user picks an existing directory or
// types the name of one that does not exist yet, which is then created (with
// its missing parents) once the user agrees.
#pragma once

#include <QFileDialog>
#include <functional>
#include <optional>
#include <string>

namespace trovex {

class TDirectoryChooser : public QFileDialog {
  Q_OBJECT

 public:
  TDirectoryChooser(QWidget* owner, const QString& start);

  // Asks whether a missing directory should be created; a question box
  // unless replaced (tests script it).
  std::function<bool(const QString& path)> ConfirmCreate;
  // Reports a directory that could not be created; a warning box unless
  // replaced.
  std::function<void(const QString& text)> ReportFailure;

  // Checks the chosen directory before the chooser closes: a missing one is
  // created when the user agrees, otherwise the chooser stays open.
  void accept() override;

  // The chosen directory, in the locale's 8-bit form.
  std::string ChosenDirectory() const;
};

// Shows the chooser modally over owner; nothing when cancelled. It starts in
// the last output folder chosen (remembered between sessions) while that
// exists, otherwise at start.
std::optional<std::string> RunDirectoryChooser(QWidget* owner, const std::string& start);

}  // namespace trovex
