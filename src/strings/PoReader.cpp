#include "strings/PoReader.hpp"

#include <cstdlib>
#include <cstring>

#include "framework/Errors.hpp"
#include "framework/ScratchFile.hpp"

#ifdef TROVEX_HAVE_GETTEXTPO
#include <gettext-po.h>
#endif

namespace trovex {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{4} << 20;
constexpr std::size_t kReadBytes = std::size_t{1} << 20;

// What a line of a PO file is, as far as cutting the file between entries
// needs to know.
enum class LineKind { Blank, Continuation, Msgstr, Start };

std::string_view Trimmed(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

bool IsKeyword(std::string_view text, std::string_view keyword) {
  if (text.compare(0, keyword.size(), keyword) != 0) return false;
  return text.size() == keyword.size() || std::strchr(" \t\"[", text[keyword.size()]) != nullptr;
}

LineKind KindOf(std::string_view line) {
  std::string_view text = Trimmed(line);
  if (text.empty()) return LineKind::Blank;
  if (text.compare(0, 2, "#~") == 0) text = Trimmed(text.substr(2));
  if (!text.empty() && text[0] == '"') return LineKind::Continuation;
  if (IsKeyword(text, "msgstr")) return LineKind::Msgstr;
  return LineKind::Start;
}

// The msgstr line of an entry: "msgstr" or "msgstr[0]", obsolete or not.
bool OpensMsgstr(std::string_view line) {
  std::string_view text = Trimmed(line);
  if (text.compare(0, 2, "#~") == 0) text = Trimmed(text.substr(2));
  return IsKeyword(text, "msgstr") && (text.size() == 6 || text[6] != '[' || text.compare(6, 3, "[0]") == 0);
}

// Lines of the PO file cut into chunks that end between entries.
struct Chunk {
  std::string text;
  std::size_t firstLine = 0;
  std::vector<std::size_t> msgstrLines;
};

}  // namespace

struct TPoReader::State {
  State(TStream& s, const std::string& name, const std::string& dir) : stream(s), poName(name), scratch(dir) {}

  // The next line of the file into line, without its line end; false at the end.
  bool NextLine() {
    if (held) {
      held = false;
      return true;
    }
    for (;;) {
      const std::size_t lf = pending.find('\n', begin);
      if (lf != std::string::npos || (atEnd && begin < pending.size())) {
        const std::size_t end = lf == std::string::npos ? pending.size() : lf;
        line.assign(pending, begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++lineNumber;
        if (line.find('\0') != std::string::npos) throw EPoError(Where(lineNumber) + "the line holds a NUL byte");
        return true;
      }
      if (atEnd) return false;
      pending.erase(0, begin);
      begin = 0;
      const std::size_t size = pending.size();
      pending.resize(size + kReadBytes);
      const std::size_t got = stream.Read(pending.data() + size, kReadBytes);
      pending.resize(size + got);
      atEnd = got == 0;
    }
  }

  // The next chunk of at least wanted bytes, as far as an entry ends there.
  bool NextChunk(Chunk& chunk, std::size_t wanted) {
    // The chunk's buffers are kept from one chunk to the next.
    chunk.text.clear();
    chunk.msgstrLines.clear();
    LineKind last = LineKind::Blank;
    while (NextLine()) {
      const LineKind kind = KindOf(line);
      const bool entryEnded = last == LineKind::Continuation || last == LineKind::Msgstr;
      if (kind == LineKind::Start && entryEnded && chunk.text.size() >= wanted) {
        held = true;
        return true;
      }
      if (chunk.text.empty()) chunk.firstLine = lineNumber;
      if (OpensMsgstr(line)) chunk.msgstrLines.push_back(lineNumber);
      chunk.text += line;
      chunk.text += '\n';
      if (kind != LineKind::Blank) last = kind;
    }
    return !chunk.text.empty();
  }

  std::string Where(std::size_t lineNo) const { return poName + ":" + std::to_string(lineNo) + ": "; }

  // Reads chunk through the library into entries, which point into the
  // library's catalog until the next chunk is read.
  void Parse(const Chunk& chunk, std::vector<PoEntry>& entries);

  TStream& stream;
  std::string poName;
  TScratchFile scratch;
  std::string pending;
  std::size_t begin = 0;
  bool atEnd = false;
  std::string line;
  bool held = false;
  std::size_t lineNumber = 0;
  Chunk chunk;
  std::optional<std::string> header;
  std::vector<PoEntry> first;
  bool firstHanded = false;
  std::shared_ptr<void> catalog;  // the library's catalog of the last chunk
};

#ifdef TROVEX_HAVE_GETTEXTPO

bool PoFilesAvailable() { return true; }

#if defined(__SANITIZE_ADDRESS__)
#define TROVEX_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TROVEX_LEAK_CHECK 1
#endif
#endif
#ifdef TROVEX_LEAK_CHECK
// The library does not free each entry's msgctxt when it frees a catalog: a
// few bytes per entry that are its own, which the leak check is told to leave.
extern "C" const char* __lsan_default_suppressions() { return "leak:libgettextpo.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace {

// The first error the library reports while it reads a chunk.
struct ErrorSink {
  std::string message;
  std::size_t line = 0;  // in the chunk, 0 when it names none
  bool failed = false;
};
thread_local ErrorSink* currentSink = nullptr;

void Record(int severity, std::size_t line, const char* text) {
  if (severity == PO_SEVERITY_WARNING || currentSink == nullptr) return;
  if (!currentSink->failed) {
    currentSink->failed = true;
    currentSink->message = text != nullptr ? text : "not a valid PO file";
    while (!currentSink->message.empty() && std::strchr(" \n", currentSink->message.back()) != nullptr) {
      currentSink->message.pop_back();
    }
    currentSink->line = line == static_cast<std::size_t>(-1) ? 0 : line;
  }
  // The library must not go on after a fatal error.
  if (severity == PO_SEVERITY_FATAL_ERROR) throw EPoError(currentSink->message);
}

void XError(int severity, po_message_t, const char*, std::size_t line, std::size_t, int, const char* text) {
  Record(severity, line, text);
}

void XError2(int severity, po_message_t, const char*, std::size_t line, std::size_t, int, const char* text,
             po_message_t, const char*, std::size_t, std::size_t, int, const char*) {
  Record(severity, line, text);
}

const po_xerror_handler kHandler = {XError, XError2};

PoEntry EntryOf(po_message_t message) {
  PoEntry entry;
  if (const char* context = po_message_msgctxt(message)) entry.context = context;
  entry.msgid = po_message_msgid(message);
  entry.plural = po_message_msgid_plural(message) != nullptr;
  const char* msgstr = entry.plural ? po_message_msgstr_plural(message, 0) : po_message_msgstr(message);
  entry.msgstr = msgstr != nullptr ? msgstr : "";
  entry.fuzzy = po_message_is_fuzzy(message) != 0;
  entry.obsolete = po_message_is_obsolete(message) != 0;
  return entry;
}

}  // namespace

void TPoReader::State::Parse(const Chunk& chunk, std::vector<PoEntry>& entries) {
  entries.clear();
  catalog.reset();
  scratch.Hold(chunk.text);
  ErrorSink sink;
  currentSink = &sink;
  po_file_t file = nullptr;
  try {
    file = po_file_read(scratch.Path().c_str(), &kHandler);
  } catch (const EPoError&) {
    // Reported below with its place.
  }
  currentSink = nullptr;
  if (file != nullptr) catalog = std::shared_ptr<void>(file, [](void* f) { po_file_free(static_cast<po_file_t>(f)); });
  if (sink.failed) {
    throw EPoError(Where(sink.line == 0 ? chunk.firstLine : chunk.firstLine + sink.line - 1) + sink.message);
  }
  if (file == nullptr) throw EPoError(Where(chunk.firstLine) + "not a valid PO file");
  for (const char* const* domain = po_file_domains(file); *domain != nullptr; ++domain) {
    const po_message_iterator_t iterator = po_message_iterator(file, *domain);
    while (const po_message_t message = po_next_message(iterator)) entries.push_back(EntryOf(message));
    po_message_iterator_free(iterator);
  }
  for (std::size_t k = 0; k < entries.size(); ++k) {
    entries[k].line = entries.size() == chunk.msgstrLines.size() ? chunk.msgstrLines[k] : chunk.firstLine;
  }
  // The header: the first entry without msgctxt and with an empty msgid.
  for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
    if (entry->context || !entry->msgid.empty() || entry->obsolete) continue;
    if (!header) header = std::string(entry->msgstr);
    entries.erase(entry);
    break;
  }
}

#else

bool PoFilesAvailable() { return false; }

void TPoReader::State::Parse(const Chunk&, std::vector<PoEntry>&) {
  throw EFormatError("PO files are not available in this build");
}

#endif

TPoReader::TPoReader(TStream& stream, const std::string& poName, const std::string& scratchDir)
    : state_(std::make_unique<State>(stream, poName, scratchDir)) {
  // The first chunk ends behind the first entry, the header: it is read with
  // the file's declared charset, and later chunks, which have no header, are
  // read as plain bytes, which is several times faster (replay checks their
  // UTF-8 itself).
  if (state_->NextChunk(state_->chunk, 0)) state_->Parse(state_->chunk, state_->first);
  if (!state_->header) throw EPoError(poName + ": the PO file has no header entry");
}

TPoReader::~TPoReader() = default;

std::optional<std::string> TPoReader::HeaderField(const std::string& name) const {
  const std::string& header = *state_->header;
  for (std::size_t start = 0; start < header.size();) {
    const std::size_t end = std::min(header.find('\n', start), header.size());
    const std::string_view line(header.data() + start, end - start);
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 && line[name.size()] == ':') {
      return std::string(Trimmed(line.substr(name.size() + 1)));
    }
    start = end + 1;
  }
  return std::nullopt;
}

bool TPoReader::Next(std::vector<PoEntry>& entries) {
  if (!state_->firstHanded) {
    state_->firstHanded = true;
    entries.swap(state_->first);
    return true;
  }
  if (!state_->NextChunk(state_->chunk, kChunkBytes)) return false;
  state_->Parse(state_->chunk, entries);
  return true;
}

}  // namespace trovex
