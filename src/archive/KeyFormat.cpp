#include "archive/KeyFormat.hpp"

#include <cstring>

#include "framework/Errors.hpp"

namespace trovex {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& fault) {
  throw EFormatError("Invalid KEY index " + path + ": " + fault);
}

KeyHeader ParseHeader(const unsigned char* p) {
  KeyHeader header{};
  std::memcpy(header.signature, p, sizeof header.signature);
  header.archiveCount = LoadU32(p + 8);
  header.resourceCount = LoadU32(p + 12);
  header.archiveTableOffset = LoadU32(p + 16);
  return header;
}

KeyArchiveEntry ParseEntry(const unsigned char* p) {
  return {LoadU32(p), LoadU32(p + 4), LoadU16(p + 8), LoadU16(p + 10)};
}

}  // namespace

KeyIndex ReadKeyIndex(TStream& stream, const std::string& path) {
  KeyIndex key{};
  stream.SetPosition(0);
  key.bytes.resize(static_cast<std::size_t>(stream.Size()));
  stream.ReadBuffer(key.bytes.data(), key.bytes.size());
  const std::uint64_t size = key.bytes.size();
  if (size < kKeyHeaderSize) Refuse(path, "the file is shorter than its 20-byte header");
  key.header = ParseHeader(key.bytes.data());

  const std::uint64_t table = key.header.archiveTableOffset;
  const std::uint64_t count = key.header.archiveCount;
  if (table > size || count > (size - table) / kKeyArchiveEntrySize) {
    Refuse(path, Format("the archive table of %llu entries at offset %llu lies outside the file",
                        static_cast<unsigned long long>(count), static_cast<unsigned long long>(table)));
  }
  key.entries.reserve(static_cast<std::size_t>(count));
  for (std::uint64_t i = 0; i < count; ++i) {
    const KeyArchiveEntry entry = ParseEntry(key.bytes.data() + table + i * kKeyArchiveEntrySize);
    if (std::uint64_t{entry.nameOffset} + entry.nameLength > size) {
      Refuse(path, Format("the name of archive %llu at offset %u lies outside the file",
                          static_cast<unsigned long long>(i), entry.nameOffset));
    }
    key.entries.push_back(entry);
  }
  return key;
}

std::string_view ArchiveName(const KeyIndex& key, std::size_t i) {
  const KeyArchiveEntry& entry = key.entries[i];
  const auto* start = reinterpret_cast<const char*>(key.bytes.data() + entry.nameOffset);
  const std::string_view name(start, entry.nameLength);
  return name.substr(0, name.find('\0'));
}

std::uint64_t FlagsOffset(const KeyIndex& key, std::size_t i) {
  return std::uint64_t{key.header.archiveTableOffset} + i * kKeyArchiveEntrySize + 10;
}

std::string FlagsText(std::uint16_t flags) {
  std::string text(kFlagsTextLength, '0');
  for (std::size_t k = 0; k < kFlagsTextLength; ++k) {
    if (flags & (1u << k)) text[k] = '1';
  }
  return text;
}

std::uint16_t FlagsOfText(std::string_view text) {
  unsigned flags = 0;
  for (std::size_t k = 0; k < kFlagsTextLength && k < text.size(); ++k) {
    if (text[k] == '1') flags |= 1u << k;
  }
  return static_cast<std::uint16_t>(flags);
}

}  // namespace trovex
