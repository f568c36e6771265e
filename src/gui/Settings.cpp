#include "gui/Settings.hpp"

#include <QFileInfo>

namespace trovex {

namespace {

constexpr const char* kInputFolder = "input/folder";
constexpr const char* kInputFilter = "input/filter";
constexpr const char* kOutputFolder = "output/folder";
constexpr const char* kKinds = "extraction/kinds";
constexpr const char* kWindowPlace = "window/geometry";
constexpr const char* kIndex = "extraction/index";
constexpr const char* kTextForm = "strings/form";
constexpr const char* kCodePage = "strings/codePage";

}  // namespace

// In the user's configuration folder, as Trovex/Trovex.conf.
TSettings::TSettings() : settings_("Trovex", "Trovex") {}

QString TSettings::InputFolder() const { return settings_.value(kInputFolder).toString(); }

QString TSettings::InputFilter() const { return settings_.value(kInputFilter).toString(); }

void TSettings::RememberInput(const QString& folder, const QString& filter) {
  settings_.setValue(kInputFolder, folder);
  settings_.setValue(kInputFilter, filter);
}

QString TSettings::OutputFolderOr(const QString& fallback) const {
  const QString folder = settings_.value(kOutputFolder).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

void TSettings::RememberOutputFolder(const QString& folder) { settings_.setValue(kOutputFolder, folder); }

bool TSettings::HasKinds() const { return settings_.contains(kKinds); }

QStringList TSettings::Kinds() const { return settings_.value(kKinds).toStringList(); }

void TSettings::RememberKinds(const QStringList& names) { settings_.setValue(kKinds, names); }

QByteArray TSettings::WindowPlace() const { return settings_.value(kWindowPlace).toByteArray(); }

void TSettings::RememberWindowPlace(const QByteArray& place) { settings_.setValue(kWindowPlace, place); }

QString TSettings::Index() const { return settings_.value(kIndex).toString(); }

void TSettings::RememberIndex(const QString& path) { settings_.setValue(kIndex, path); }

QString TSettings::TextForm() const { return settings_.value(kTextForm, "dump").toString(); }

QString TSettings::CodePage() const { return settings_.value(kCodePage, "1252").toString(); }

void TSettings::RememberTalkChoices(const QString& form, const QString& codePage) {
  settings_.setValue(kTextForm, form);
  settings_.setValue(kCodePage, codePage);
}

}  // namespace trovex
