#include "framework/MemoryStream.hpp"

#include <algorithm>
#include <cstring>

#include "framework/Errors.hpp"

namespace trovex {

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= bytes_.size()) return 0;
  const std::size_t got = std::min(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, got);
  position_ += got;
  return got;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const std::int64_t base = origin == soBeginning ? 0
                            : origin == soCurrent ? static_cast<std::int64_t>(position_)
                                                  : static_cast<std::int64_t>(bytes_.size());
  const std::int64_t target = base + offset;
  if (target < 0) throw EStreamError("Stream seek error");
  position_ = static_cast<std::size_t>(target);
  return target;
}

void TMemoryStream::SetSize(std::int64_t size) {
  bytes_.resize(static_cast<std::size_t>(size));
  position_ = std::min(position_, bytes_.size());
}

void TMemoryStream::Clear() {
  bytes_.clear();
  position_ = 0;
}

}  // namespace trovex
