// TALK rebuild from a PO file, during job log replay.
#include <algorithm>
#include <cctype>
#include <memory>
#include <limits>

#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "strings/PoReader.hpp"
#include "strings/PoText.hpp"
#include "strings/TalkDump.hpp"
#include "strings/TalkFormat.hpp"
#include "strings/TalkPo.hpp"
#include "strings/TalkProgress.hpp"
#include "strings/TextOut.hpp"

namespace trovex {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

std::size_t CountOf(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// 41203 as "41,203".
std::string Grouped(std::size_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string CharacterName(std::string_view text, std::size_t position, char32_t c) {
  std::size_t end = position;
  NextUtf8(text, end);
  return Format("'%s' (U+%04X)", std::string(text.substr(position, end - position)).c_str(), static_cast<unsigned>(c));
}

// The string index a msgctxt names, when it is a decimal number below count.
std::optional<std::uint32_t> IndexOf(const std::optional<std::string_view>& context, std::uint32_t count) {
  if (!context || context->empty() || context->size() > 10) return std::nullopt;
  std::uint64_t index = 0;
  for (const char c : *context) {
    if (c < '0' || c > '9') return std::nullopt;
    index = index * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return index < count ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(index)) : std::nullopt;
}

// The new strings a PO file gives: their bytes in the table's code page, back
// to back, and where each string's lie.
class TTranslations {
 public:
  explicit TTranslations(std::uint32_t count) : slots_(count) {}
  bool Has(std::uint32_t index) const { return slots_[index].state != State::None; }
  // The string keeps its stored bytes.
  void KeepStored(std::uint32_t index) { slots_[index].state = State::Stored; }
  std::string& Bytes() { return bytes_; }
  // The bytes appended since start are string index's.
  void Take(std::uint32_t index, std::size_t start) {
    if (bytes_.size() - start > std::numeric_limits<std::uint32_t>::max()) {
      throw EFormatError(Format("The translation of string %u is longer than a TALK table can hold", index));
    }
    slots_[index] = {start, static_cast<std::uint32_t>(bytes_.size() - start), State::New};
  }
  // The new bytes of string index, or nothing when it keeps its stored bytes.
  std::optional<std::string_view> NewBytes(std::uint32_t index) const {
    const Slot& slot = slots_[index];
    if (slot.state != State::New) return std::nullopt;
    return std::string_view(bytes_).substr(slot.offset, slot.length);
  }

 private:
  enum class State : std::uint8_t { None, Stored, New };
  struct Slot {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    State state = State::None;
  };
  std::vector<Slot> slots_;
  std::string bytes_;
};

struct PoCounts {
  std::size_t translated = 0;
  std::size_t fuzzy = 0;
  std::size_t untranslated = 0;
};

// Reads a PO file's entries against the source table. A fault that ends the
// table's replay (a character without place in the code page, a second entry
// for a string) is thrown as EPoError.
class TPoApply {
 public:
  TPoApply(RunState& run, const TalkTable& table, TStream& source, const std::string& poName, const TCodePage& page)
      : run_(run), table_(table), source_(source, table), poName_(poName), page_(page), translations_(table.count) {}

  void Apply(const PoEntry& entry) {
    if (entry.obsolete || entry.plural || (!entry.context && entry.msgid.empty())) return;
    const auto index = IndexOf(entry.context, table_.count);
    if (!index) {
      run_.Result(Format("%s:%zu: the entry names no string of the table (msgctxt \"%s\"); not used.", poName_.c_str(),
                         entry.line, std::string(entry.context.value_or("")).c_str()));
      return;
    }
    if (entry.msgstr.empty()) return void(++counts_.untranslated);
    if (entry.fuzzy) return void(++counts_.fuzzy);
    if (translations_.Has(*index)) {
      throw EPoError(Format("%s:%zu: a second translation of string %u", poName_.c_str(), entry.line, *index));
    }
    const std::string_view text = source_.String(*index);
    if (ShownText(text, page_) != entry.msgid) {
      run_.Result(Format("String %u: the table's text is not the PO file's msgid any more; its translation is not used.",
                         *index));
      return;
    }
    ++counts_.translated;
    if (entry.msgstr == entry.msgid) return translations_.KeepStored(*index);
    CheckTokens(*index, entry);
    Convert(*index, entry, text);
  }

  TTranslations& Translations() { return translations_; }
  const PoCounts& Counts() const { return counts_; }

 private:
  void CheckTokens(std::uint32_t index, const PoEntry& entry) {
    const auto source = TokensOf(entry.msgid);
    const auto translation = TokensOf(entry.msgstr);
    for (const std::string_view token : translation) {
      if (!std::binary_search(source.begin(), source.end(), token)) {
        run_.Result(Format("String %u: token %s is not in the source text.", index, std::string(token).c_str()));
      }
    }
    for (const std::string_view token : source) {
      if (!std::binary_search(translation.begin(), translation.end(), token)) {
        run_.Result(Format("String %u: token %s of the source text is not in the translation.", index,
                           std::string(token).c_str()));
      }
    }
  }

  // The translation in the code page, each "\n" as CR LF when the source's
  // first break is CR LF. A U+FFFD shows a byte sequence that the page does
  // not define: when the translation holds as many as the source shows, they
  // take back the source's sequences in order.
  void Convert(std::uint32_t index, const PoEntry& entry, std::string_view source) {
    const bool crlf = BreaksWithCrLf(source);
    std::vector<std::string_view> undefined;
    if (entry.msgstr.find(kReplacementUtf8) != std::string::npos) {
      undefined = page_.UndefinedSequences(source);
      if (CountOf(entry.msgstr, kReplacementUtf8) != undefined.size()) undefined.clear();
    }
    std::size_t nextUndefined = 0;
    std::string& bytes = translations_.Bytes();
    const std::size_t start = bytes.size();
    std::string_view text = entry.msgstr;
    while (!text.empty()) {
      const std::size_t lf = std::min(text.find('\n'), text.size());
      const auto refusal = page_.AppendEncoded(bytes, text.substr(0, lf));
      if (!refusal) {
        if (lf < text.size()) bytes += crlf ? "\r\n" : "\n";
        text.remove_prefix(std::min(lf + 1, text.size()));
      } else if (refusal->character == kReplacementCharacter && nextUndefined < undefined.size()) {
        bytes += undefined[nextUndefined++];
        text.remove_prefix(refusal->position + kReplacementUtf8.size());
      } else {
        Refuse(index, entry, static_cast<std::size_t>(text.data() - entry.msgstr.data()) + refusal->position,
               refusal->character);
      }
    }
    translations_.Take(index, start);
  }

  [[noreturn]] void Refuse(std::uint32_t index, const PoEntry& entry, std::size_t position,
                           std::optional<char32_t> character) {
    if (!character) {
      throw EPoError(Format("%s:%zu: the translation of string %u is not valid UTF-8", poName_.c_str(), entry.line,
                            index));
    }
    const char* hint = *character == kReplacementCharacter
                           ? " (it stands for a byte that the code page does not define; keep as many as the "
                             "source text shows)"
                           : "";
    throw EPoError(Format("%s:%zu: %s has no place in code page %s%s", poName_.c_str(), entry.line,
                          CharacterName(entry.msgstr, position, *character).c_str(),
                          CodePageName(page_.Number()).c_str(), hint));
  }

  RunState& run_;
  const TalkTable& table_;
  TTalkStrings source_;
  const std::string& poName_;
  const TCodePage& page_;
  TTranslations translations_;
  PoCounts counts_;
};

const TCodePage& PageOf(const TPoReader& reader, const std::string& poName) {
  const auto contentType = reader.HeaderField("Content-Type");
  std::string lower = contentType.value_or("");
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  const std::size_t charset = lower.find("charset=");
  const std::string name = charset == std::string::npos ? "" : lower.substr(charset + 8);
  if (name != "utf-8" && name != "ascii") {
    throw EPoError(poName + ": the PO file is in the charset \"" + name +
                   "\"; it must be UTF-8 (msgconv --to-code=UTF-8 converts it)");
  }
  const auto field = reader.HeaderField(std::string(kCodePageField));
  const auto page = field ? CodePageOfName(*field) : std::nullopt;
  if (!page) {
    throw EPoError(poName + ": the header names no code page of " + SupportedCodePageNames() + " in its " +
                   std::string(kCodePageField) + " field");
  }
  return TCodePage::Of(*page);
}

// Writes the string data: each string's new bytes or its stored ones.
void WriteStrings(RunState& run, TalkTable& table, TStream& source, TTranslations& translations, TTextOut& out,
                  const std::string& poPath) {
  TTalkStrings stored(source, table);
  for (std::uint32_t i = 0; i < table.count && !run.StopRequested(); ++i) {
    const std::uint64_t offset = out.Size();
    if (const auto bytes = translations.NewBytes(i)) {
      out.Append(*bytes);
    } else {
      stored.StoredText(i).AppendTo(out);
    }
    if (out.Size() > std::numeric_limits<std::uint32_t>::max()) {
      throw EFormatError(
          Format("PO file %s gives more string data than a TALK table can hold (string %u)", poPath.c_str(), i));
    }
    table.SetString(i, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(out.Size() - offset));
    ShowEntryProgress(run, "Inserted: ", i, table.count);
  }
}

}  // namespace

std::size_t InsertTalkPo(RunState& run, const std::string& targetPath, const std::string& poPath,
                         std::size_t startIndex) {
  if (!PoFilesAvailable()) throw EFormatError("PO files are not available in this build");
  if (!run.SourceArchive) throw EFOpenError(run.SourcePath);
  TFileStream poFile(poPath, FileMode::OpenRead);
  TSafeOutput output(targetPath);
  TalkTable table = ReadTalkTable(*run.SourceArchive, run.SourcePath);
  const std::string poName = FileNamePart(poPath);
  run.Message("Processing " + FileNamePart(targetPath) + "...");
  run.StartProgress();
  run.Pump();

  std::unique_ptr<TPoApply> apply;
  try {
    TPoReader reader(poFile, poName, run.OutputDir);
    apply = std::make_unique<TPoApply>(run, table, *run.SourceArchive, poName, PageOf(reader, poName));
    std::vector<PoEntry> entries;
    while (reader.Next(entries)) {
      if (run.StopRequested()) return startIndex + 1;
      for (const PoEntry& entry : entries) apply->Apply(entry);
      run.Pump();
    }
  } catch (const EPoError& error) {
    run.Window.ShowMessage(error.what(), "");
    return startIndex + 1;
  }

  output.SetPosition(table.stringsOffset);
  TTextOut strings(output);
  WriteStrings(run, table, *run.SourceArchive, apply->Translations(), strings, poPath);
  if (run.StopRequested()) return startIndex + 1;
  strings.Flush();
  output.SetPosition(0);
  output.WriteText(table.prefix);
  output.Commit();
  run.Result(run.OutputPath(poName) + " inserted.");
  const PoCounts& done = apply->Counts();
  run.Result(poName + ": " + Grouped(done.translated) + " translated, " + Grouped(done.fuzzy) +
             " fuzzy (not used), " + Grouped(done.untranslated) + " untranslated.");
  run.Pump();
  return startIndex + 1;
}

}  // namespace trovex
