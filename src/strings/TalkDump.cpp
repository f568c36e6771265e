#include "strings/TalkDump.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace trovex {

namespace {

constexpr std::size_t kIdentifierDigits = 8;

constexpr std::size_t npos = std::string_view::npos;

// Where a token of a source string lies.
struct SourceToken {
  std::size_t position;
  std::size_t length;
};

// The next token of a source string at or after position: a "<", at least one
// byte and the next ">". A "<>" is no token: masking leaves it as it stands.
std::optional<SourceToken> NextSourceToken(const TSourceText& source, std::size_t& position) {
  for (;;) {
    const std::size_t open = source.find('<', position);
    const std::size_t close = open == npos ? open : source.find('>', open + 1);
    if (close == npos) {
      position = source.size();
      return std::nullopt;
    }
    position = close + 1;
    if (close > open + 1) return SourceToken{open, close + 1 - open};
  }
}

// The length of the masked token that starts with the "<" at open, or 0 when
// no "<" + one or more "*" + ">" starts there.
std::size_t MaskedTokenLength(std::string_view edited, std::size_t open) {
  const std::size_t end = edited.find_first_not_of('*', open + 1);
  if (end == npos || end == open + 1 || edited[end] != '>') return 0;
  return end + 1 - open;
}

// The first CR or LF in [p, limit), or limit. Sixteen bytes at a time with
// the vector unit where there is one; else eight at a time: a byte of a word
// equals c exactly where the word XOR c has a zero byte.
const char* FindBreak(const char* p, const char* limit) {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; limit - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
    if (hits != 0) return p + std::countr_zero(static_cast<unsigned>(hits));
  }
#endif
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  for (; limit - p >= 8; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t cr = word ^ (kOnes * '\r');
    const std::uint64_t lf = word ^ (kOnes * '\n');
    const std::uint64_t zeros = ((cr - kOnes) & ~cr & kHighs) | ((lf - kOnes) & ~lf & kHighs);
    if (zeros != 0) break;
  }
  while (p != limit && *p != '\r' && *p != '\n') ++p;
  return p;
}

// Where the unclosed token that ends a source string starts: the first "<"
// after the last ">", when at least one byte follows it. Masking turns such a
// tail into "<" and stars up to the end of the text.
std::size_t UnclosedTokenStart(const TSourceText& source) {
  const std::size_t lastClose = source.rfind('>');
  const std::size_t open = source.find('<', lastClose == npos ? 0 : lastClose + 1);
  return open != npos && open + 1 < source.size() ? open : npos;
}

// Where a masked unclosed token ("<" + one or more "*" up to the end) that
// ends the edited text starts, or npos.
std::size_t MaskedTailStart(std::string_view edited) {
  const std::size_t open = edited.rfind('<');
  if (open == npos || open + 1 == edited.size()) return npos;
  return edited.find_first_not_of('*', open + 1) == npos ? open : npos;
}

// Appends a piece of edited text, each LF as CR LF when crlf is set.
void AppendEdited(TTextOut& out, std::string_view text, bool crlf) {
  if (!crlf) return out.Append(text);
  for (std::size_t lf = text.find('\n'); lf != npos; lf = text.find('\n')) {
    out.Append(text.substr(0, lf));
    out.Append("\r\n");
    text.remove_prefix(lf + 1);
  }
  out.Append(text);
}

TokenCounts AppendClosedRestored(TTextOut& out, std::string_view edited, const TSourceText& source, bool crlf) {
  if (!MayHoldTokens(edited)) {
    AppendEdited(out, edited, crlf);
    return {};
  }
  TokenCounts counts;
  std::size_t sourcePosition = 0;
  std::size_t position = 0;
  while (position < edited.size()) {
    const std::size_t open = edited.find('<', position);
    if (open == npos) break;
    const std::size_t length = MaskedTokenLength(edited, open);
    if (length == 0) {
      AppendEdited(out, edited.substr(position, open + 1 - position), crlf);
      position = open + 1;
      continue;
    }
    AppendEdited(out, edited.substr(position, open - position), crlf);
    ++counts.masked;
    if (const auto token = NextSourceToken(source, sourcePosition)) {
      ++counts.source;
      source.AppendTo(out, token->position, token->length);
    } else {
      out.Append(edited.substr(open, length));
    }
    position = open + length;
  }
  AppendEdited(out, edited.substr(std::min(position, edited.size())), crlf);
  while (NextSourceToken(source, sourcePosition)) ++counts.source;
  return counts;
}
}  // namespace

void AppendMasked(TTextOut& out, const TSourceText& text) {
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t open = text.find('<', position);
    if (open == npos) {
      text.AppendTo(out, position, text.size() - position);
      return;
    }
    text.AppendTo(out, position, open + 1 - position);
    // Everything up to the next ">" is masked, a "<" included; an unclosed
    // token masks the rest of the string.
    const std::size_t close = text.find('>', open + 1);
    const std::size_t end = close == npos ? text.size() : close;
    out.AppendRepeated(end - open - 1, '*');
    if (close == npos) return;
    out.Append(">");
    position = close + 1;
  }
}

void AppendDumpEntry(TTextOut& out, std::uint32_t index, const TSourceText& text) {
  char line[32] = "[";
  char* end = std::to_chars(line + 1, line + sizeof line, index).ptr;
  const auto digits = static_cast<std::size_t>(end - line - 1);
  if (digits < kIdentifierDigits) {
    std::memmove(line + 1 + kIdentifierDigits - digits, line + 1, digits);
    std::memset(line + 1, '0', kIdentifierDigits - digits);
    end = line + 1 + kIdentifierDigits;
  }
  std::memcpy(end, "]\r\n", 3);
  out.Append(std::string_view(line, static_cast<std::size_t>(end + 3 - line)));
  AppendMasked(out, text);
  out.Append("\r\n[########]\r\n");
}

std::optional<std::uint64_t> IdentifierOf(std::string_view line) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  if (line.size() < 3 || line.front() != '[' || line.back() != ']') return std::nullopt;
  std::uint64_t number = 0;
  for (const char c : line.substr(1, line.size() - 2)) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();
    number = number > (kLargest - digit) / 10 ? kLargest : number * 10 + digit;
  }
  return number;
}

bool DumpShows(std::string_view edited, const TSourceText& source) {
  // Runs without "<" and CR show as they are and are compared whole; a CR
  // (with the LF behind it) shows as one LF, a token as "<", stars and ">".
  std::size_t at = 0;
  std::size_t s = 0;
  // The next "<" and CR at or after s, each looked for again once passed.
  std::size_t nextOpen = source.find('<');
  std::size_t nextCr = source.find('\r');
  while (s < source.size()) {
    if (nextOpen < s) nextOpen = source.find('<', s);
    if (nextCr < s) nextCr = source.find('\r', s);
    const std::size_t special = std::min(nextOpen, nextCr);
    const std::size_t plain = std::min(special, source.size()) - s;
    if (edited.size() - at < plain || !source.StartsWith(s, edited.substr(at, plain))) return false;
    at += plain;
    s += plain;
    if (s == source.size()) break;
    if (at == edited.size()) return false;
    if (source[s] == '\r') {
      if (edited[at++] != '\n') return false;
      s += s + 1 < source.size() && source[s + 1] == '\n' ? 2 : 1;
      continue;
    }
    if (edited[at++] != '<') return false;
    const std::size_t close = std::min(source.find('>', ++s), source.size());
    const std::size_t masked = close - s;
    if (edited.size() - at < masked || edited.substr(at, masked).find_first_not_of('*') != npos) {
      return false;
    }
    at += masked;
    s = close;
  }
  return at == edited.size();
}

bool BreaksWithCrLf(const TSourceText& text) {
  const std::size_t brk = std::min(text.find('\r'), text.find('\n'));
  return brk != npos && text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n';
}

bool MayHoldTokens(std::string_view edited) {
  if (edited.find('<') == npos) return false;
  return edited.find('>') != npos || MaskedTailStart(edited) != npos;
}

TokenCounts AppendRestored(TTextOut& out, std::string_view edited, const TSourceText& source, bool crlf) {
  // A source string whose last token is never closed ("5 < 6") is dumped
  // masked to its end ("5 <**"); that tail goes back as the source holds it,
  // so an untouched entry keeps its text.
  const std::size_t editedTail = MaskedTailStart(edited);
  const std::size_t sourceTail = editedTail == npos ? npos : UnclosedTokenStart(source);
  if (sourceTail == npos) return AppendClosedRestored(out, edited, source, crlf);
  TokenCounts counts = AppendClosedRestored(out, edited.substr(0, editedTail), source.Prefix(sourceTail), crlf);
  source.AppendTo(out, sourceTail, source.size() - sourceTail);
  ++counts.masked;
  ++counts.source;
  return counts;
}

TDumpLines::TDumpLines(TStream& stream, std::size_t chunkSize)
    : stream_(stream), chunkSize_(std::max<std::size_t>(chunkSize, 1)) {}

TLinePiece TDumpLines::Take(std::size_t length, std::size_t skip, bool lineEnds) {
  const std::string_view text(buffer_.data() + begin_, length);
  begin_ += length + skip;
  if (lineEnds) ++number_;
  midLine_ = !lineEnds;
  return {text, lineEnds};
}

std::optional<TLinePiece> TDumpLines::NextPiece() {
  for (;;) {
    const char* begin = buffer_.data() + begin_;
    const char* limit = buffer_.data() + end_;
    const char* brk = FindBreak(begin, limit);
    const auto length = static_cast<std::size_t>(brk - begin);
    // A CR needs the byte behind it, to see whether an LF follows.
    if (brk != limit && (*brk == '\n' || brk + 1 < limit)) {
      return Take(length, *brk == '\r' && brk[1] == '\n' ? 2 : 1, true);
    }
    if (atEnd_) {
      if (brk != limit) return Take(length, 1, true);
      if (length == 0 && !midLine_) return std::nullopt;
      return Take(length, 0, true);
    }
    if (length >= std::max(chunkSize_, kShortestPiece)) return Take(length, 0, false);
    Fill();
  }
}

std::optional<std::string_view> TDumpLines::Next() {
  auto piece = NextPiece();
  if (!piece) return std::nullopt;
  if (piece->lineEnds) return piece->text;
  line_.assign(piece->text);
  do {
    piece = NextPiece();
    line_.append(piece->text);
  } while (!piece->lineEnds);
  return line_;
}

void TDumpLines::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // Reads start small and double up to the chunk size, so a short dump costs
  // no more than it holds. Less than a chunk is unread here, so the buffer
  // stays under two chunks.
  readSize_ = readSize_ == 0 ? std::min(chunkSize_, kFirstRead) : std::min(chunkSize_, 2 * readSize_);
  if (buffer_.size() - end_ < readSize_) buffer_.resize(std::max(end_ + readSize_, 2 * buffer_.size()));
  char* to = buffer_.data() + end_;
  std::size_t got = stream_.Read(to, buffer_.size() - end_);
  if (const void* nul = std::memchr(to, '\0', got)) {
    got = static_cast<std::size_t>(static_cast<const char*>(nul) - to);
    atEnd_ = true;
  }
  if (got == 0) atEnd_ = true;
  end_ += got;
}

}  // namespace trovex
