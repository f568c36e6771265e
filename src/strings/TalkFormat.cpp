#include "strings/TalkFormat.hpp"

#include <algorithm>

#include "framework/Errors.hpp"

namespace trovex {

namespace {

[[noreturn]] void Invalid(const std::string& path, const std::string& fault) {
  throw EFormatError("Invalid TALK table " + path + ": " + fault);
}

std::uint32_t FieldAt(const std::string& bytes, std::size_t position) {
  return LoadU32(reinterpret_cast<const unsigned char*>(bytes.data()) + position);
}

}  // namespace

std::uint32_t TalkTable::StringOffset(std::uint32_t index) const {
  return FieldAt(prefix, EntryPosition(index) + kTalkEntryStringOffset);
}

std::uint32_t TalkTable::StringLength(std::uint32_t index) const {
  return FieldAt(prefix, EntryPosition(index) + kTalkEntryStringLength);
}

void TalkTable::SetString(std::uint32_t index, std::uint32_t offset, std::uint32_t length) {
  auto* entry = reinterpret_cast<unsigned char*>(prefix.data()) + EntryPosition(index);
  StoreU32(entry + kTalkEntryStringOffset, offset);
  StoreU32(entry + kTalkEntryStringLength, length);
}

TalkTable ReadTalkTable(TStream& stream, const std::string& path) {
  TalkTable table;
  stream.SetPosition(0);
  table.fileSize = static_cast<std::uint64_t>(stream.Size());
  if (table.fileSize < kTalkHeaderSize) {
    Invalid(path, Format("%llu bytes are too few for the header", static_cast<unsigned long long>(table.fileSize)));
  }
  std::string header(kTalkHeaderSize, '\0');
  stream.ReadBuffer(header.data(), header.size());
  table.count = FieldAt(header, kTalkCountOffset);
  table.stringsOffset = FieldAt(header, kTalkStringsOffsetOffset);
  const std::uint64_t entriesEnd = table.EntryPosition(table.count);
  if (entriesEnd > table.fileSize) {
    Invalid(path, Format("the entry table of %u entries runs past the end of the file", table.count));
  }
  if (table.stringsOffset < entriesEnd) {
    Invalid(path, Format("the strings offset %u lies inside the entry table", table.stringsOffset));
  }
  if (table.stringsOffset > table.fileSize) {
    Invalid(path, Format("the strings offset %u lies beyond the end of the file", table.stringsOffset));
  }
  table.prefix = std::move(header);
  table.prefix.resize(table.stringsOffset);
  stream.ReadBuffer(table.prefix.data() + kTalkHeaderSize, table.stringsOffset - kTalkHeaderSize);
  return table;
}

namespace {

// Where string index lies in the file and how many of its bytes the file
// holds: a string that lies partly or wholly beyond the end of the file gives
// the bytes that exist.
struct StoredRange {
  std::uint64_t start;
  std::uint64_t length;
};
StoredRange StoredRangeOf(const TalkTable& table, std::uint32_t index) {
  const std::uint64_t start = std::uint64_t{table.stringsOffset} + table.StringOffset(index);
  if (start >= table.fileSize) return {start, 0};
  return {start, std::min<std::uint64_t>(table.StringLength(index), table.fileSize - start)};
}

}  // namespace

std::string_view TTalkStrings::Stored(std::uint32_t index) {
  const auto [start, length] = StoredRangeOf(table_, index);
  if (length == 0) return {};
  const std::uint64_t windowEnd = windowStart_ + window_.size();
  if (start < windowStart_ || start + length > windowEnd) {
    // A string that starts inside the window or a little behind it (the
    // strings between may not be asked for) continues a run through the
    // file: read further ahead each time. Never more than the file holds
    // from there on.
    const bool run = !window_.empty() && start >= windowStart_ && start <= windowEnd + kFirstReadAhead;
    readAhead_ = run ? std::clamp(2 * readAhead_, kFirstReadAhead, kLastReadAhead) : 0;
    window_.resize(static_cast<std::size_t>(std::min(length + readAhead_, table_.fileSize - start)));
    stream_.SetPosition(static_cast<std::int64_t>(start));
    stream_.ReadBuffer(window_.data(), window_.size());
    windowStart_ = start;
  }
  return std::string_view(window_.data() + (start - windowStart_), static_cast<std::size_t>(length));
}

TSourceText TTalkStrings::StoredText(std::uint32_t index) {
  const auto [start, length] = StoredRangeOf(table_, index);
  if (length <= kLastReadAhead) return Stored(index);
  return TSourceText(stream_, start, static_cast<std::size_t>(length));
}

}  // namespace trovex
