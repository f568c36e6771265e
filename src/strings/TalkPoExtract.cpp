// TALK extraction to a PO file.
#include <memory>
#include <optional>

#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "strings/PoText.hpp"
#include "strings/TalkFormat.hpp"
#include "strings/TalkPo.hpp"
#include "strings/TalkProgress.hpp"
#include "strings/TextOut.hpp"

namespace trovex {

namespace {

// Where an entry keeps the name of its sound resource: bytes 2 to 9,
// NUL-padded. A byte that is no printable ASCII shows as "?", and so does a
// backslash, which would join the comment to the next line of the PO file.
constexpr std::size_t kSoundNameOffset = 2;
constexpr std::size_t kSoundNameLength = 8;

// An opened table: its file, layout and string reader.
struct OpenTable {
  explicit OpenTable(const std::string& path)
      : file(path, FileMode::OpenRead), table(ReadTalkTable(file, path)), strings(file, table) {}
  TFileStream file;
  TalkTable table;
  TTalkStrings strings;
};

// The earlier translation and the table it was made from, when given.
struct EarlierTranslation {
  std::unique_ptr<OpenTable> translated;
  std::unique_ptr<OpenTable> source;
};

std::string SoundNameOf(const TalkTable& table, std::uint32_t index) {
  const std::string_view bytes(table.prefix.data() + table.EntryPosition(index) + kSoundNameOffset, kSoundNameLength);
  std::string name(bytes.substr(0, bytes.find('\0')));
  for (char& c : name) {
    if (c < '!' || c > '~' || c == '\\') c = '?';
  }
  return name;
}

std::string Header(const std::string& tableName, const TalkChoices& choices) {
  std::string fields = "Project-Id-Version: ";
  TCodePage::Of(kUtf8CodePage).AppendUtf8(fields, tableName);
  fields += "\nLanguage: " + choices.language + "\n";
  fields += "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 8bit\n";
  fields += "X-Generator: Trovex " TROVEX_VERSION "\n";
  fields += std::string(kCodePageField) + ": " + CodePageName(choices.codePage) + "\n";
  std::string header = "msgid \"\"\n";
  AppendPoString(header, "msgstr", fields);
  return header + "\n";
}

// The earlier translation of string index, in UTF-8 and with msgid's breaks,
// and whether it needs review; nothing when there is none or it equals the
// source.
struct Filled {
  std::string text;
  bool fuzzy;
};
std::optional<Filled> FilledFrom(EarlierTranslation& earlier, std::uint32_t index, std::string_view source,
                                 const std::string& msgid, const TCodePage& page) {
  if (!earlier.translated || index >= earlier.translated->table.count) return std::nullopt;
  const std::string_view translated = earlier.translated->strings.String(index);
  if (translated.empty() || translated == source) return std::nullopt;
  Filled filled{WithBreaksOf(ShownText(translated, page), msgid), true};
  if (earlier.source && index < earlier.source->table.count) {
    filled.fuzzy = earlier.source->strings.String(index) != source;
  }
  return filled;
}

void AppendEntry(std::string& out, std::uint32_t index, const std::string& sound, const std::string& msgid,
                 const std::optional<Filled>& filled) {
  if (!sound.empty()) out += "#. sound: " + sound + "\n";
  if (filled && filled->fuzzy) out += "#, fuzzy\n";
  out += "msgctxt \"" + std::to_string(index) + "\"\n";
  AppendPoString(out, "msgid", msgid);
  AppendPoString(out, "msgstr", filled ? std::string_view(filled->text) : std::string_view());
  out += '\n';
}

EarlierTranslation OpenEarlier(const TalkChoices& choices) {
  EarlierTranslation earlier;
  if (!choices.translation.empty()) earlier.translated = std::make_unique<OpenTable>(choices.translation);
  if (!choices.translationSource.empty()) earlier.source = std::make_unique<OpenTable>(choices.translationSource);
  return earlier;
}

}  // namespace

void ExtractTalkPo(RunState& run, const std::string& path) {
  const TCodePage& page = TCodePage::Of(run.Talk.codePage);
  OpenTable input(path);
  EarlierTranslation earlier = OpenEarlier(run.Talk);
  const std::string poName = ChangeFileExt(FileNamePart(path), ".po");
  const std::string poPath = run.OutputPath(poName);
  run.Message("Processing " + FileNamePart(path) + "...");
  run.StartProgress();
  run.Pump();

  TSafeOutput output(poPath);
  TTextOut po(output);
  po.Append(Header(FileNamePart(path), run.Talk));
  std::string entry;
  for (std::uint32_t i = 0; i < input.table.count; ++i) {
    if (run.StopRequested()) return;
    const std::string_view text = input.strings.String(i);
    if (!text.empty()) {
      const std::string msgid = ShownText(text, page);
      entry.clear();
      AppendEntry(entry, i, SoundNameOf(input.table, i), msgid, FilledFrom(earlier, i, text, msgid, page));
      po.Append(entry);
    }
    ShowEntryProgress(run, "Extracted: ", i, input.table.count);
  }

  run.Message("Saving " + poName + "...");
  run.Pump();
  po.Flush();
  output.Commit();
  run.Result(poPath + " extracted sucessfully.");
  run.JobLog.Add(std::string(kPoTargetKeyword) + " " + poPath);
}

}  // namespace trovex
