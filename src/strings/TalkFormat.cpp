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
  return FieldAt(bytes, EntryPosition(index) + kTalkEntryStringOffset);
}

std::uint32_t TalkTable::StringLength(std::uint32_t index) const {
  return FieldAt(bytes, EntryPosition(index) + kTalkEntryStringLength);
}

void TalkTable::SetString(std::uint32_t index, std::uint32_t offset, std::uint32_t length) {
  auto* entry = reinterpret_cast<unsigned char*>(bytes.data()) + EntryPosition(index);
  StoreU32(entry + kTalkEntryStringOffset, offset);
  StoreU32(entry + kTalkEntryStringLength, length);
}

std::string_view TalkTable::String(std::uint32_t index) const {
  // A string that lies partly or wholly beyond the end of the file gives the
  // bytes that exist.
  const std::uint64_t start = std::uint64_t{stringsOffset} + StringOffset(index);
  if (start >= bytes.size()) return {};
  const std::uint64_t available = bytes.size() - start;
  std::string_view text(bytes.data() + start, static_cast<std::size_t>(std::min<std::uint64_t>(StringLength(index), available)));
  return text.substr(0, text.find('\0'));
}

std::string ReadWholeStream(TStream& stream) {
  stream.SetPosition(0);
  std::string bytes(static_cast<std::size_t>(stream.Size()), '\0');
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

TalkTable ReadTalkTable(TStream& stream, const std::string& path) {
  TalkTable table;
  table.bytes = ReadWholeStream(stream);
  if (table.bytes.size() < kTalkHeaderSize) {
    Invalid(path, Format("%zu bytes are too few for the header", table.bytes.size()));
  }
  table.count = FieldAt(table.bytes, kTalkCountOffset);
  table.stringsOffset = FieldAt(table.bytes, kTalkStringsOffsetOffset);
  const std::uint64_t entriesEnd = table.EntryPosition(table.count);
  if (entriesEnd > table.bytes.size()) {
    Invalid(path, Format("the entry table of %u entries runs past the end of the file", table.count));
  }
  if (table.stringsOffset < entriesEnd) {
    Invalid(path, Format("the strings offset %u lies inside the entry table", table.stringsOffset));
  }
  if (table.stringsOffset > table.bytes.size()) {
    Invalid(path, Format("the strings offset %u lies beyond the end of the file", table.stringsOffset));
  }
  return table;
}

}  // namespace trovex
