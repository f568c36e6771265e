// What the window remembers between sessions: the last input folder and
// filter of the open dialog, the last output folder, the kinds choice and
// the window's size and place.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

namespace trovex {

class TSettings {
 public:
  TSettings();

  QString InputFolder() const;
  QString InputFilter() const;
  void RememberInput(const QString& folder, const QString& filter);

  // The last output folder, when it still exists; otherwise fallback.
  QString OutputFolderOr(const QString& fallback) const;
  void RememberOutputFolder(const QString& folder);

  // The names of the chosen kinds; nothing when no choice was ever saved.
  bool HasKinds() const;
  QStringList Kinds() const;
  void RememberKinds(const QStringList& names);

  // The main window's size and place, as the window saves them.
  QByteArray WindowPlace() const;
  void RememberWindowPlace(const QByteArray& place);

  // The KEY index that names archive items; empty when none is chosen.
  QString Index() const;
  void RememberIndex(const QString& path);

  // The string tables' text form ("dump" or "po") and code page ("1252").
  QString TextForm() const;
  QString CodePage() const;
  void RememberTalkChoices(const QString& form, const QString& codePage);

 private:
  QSettings settings_;
};

}  // namespace trovex
