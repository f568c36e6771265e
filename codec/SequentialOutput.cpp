#include "SequentialOutput.hpp"

#include <algorithm>
#include <cstring>
#include <new>

#include "MveFormat.hpp"
#include "framework/Platform.hpp"

namespace mve {

namespace {

namespace platform = trovex::platform;

// Two blocks of 4 MiB: one written while the other fills. Three of them,
// or blocks of 2 or 8 MiB, made no measurable difference.
constexpr std::size_t kBlockBytes = std::size_t{4} << 20;
constexpr std::size_t kBlocks = 2;
constexpr std::align_val_t kAlignment{platform::kUncachedAlignment};

}  // namespace

void SequentialOutput::FreeAligned::operator()(char* bytes) const { ::operator delete(bytes, kAlignment); }

SequentialOutput::SequentialOutput(const std::string& finalPath) : file_(finalPath), path_(finalPath) {
  blocks_.resize(kBlocks);
  for (auto& block : blocks_) block.bytes.reset(static_cast<char*>(::operator new(kBlockBytes, kAlignment)));
  uncached_ = file_.BypassCache(true);
  writer_ = std::thread(&SequentialOutput::WriterLoop, this);
}

SequentialOutput::~SequentialOutput() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  writer_.join();
}

// Writes the block, padded to a whole number of aligned pieces as writes
// past the cache need (the padding of the last block is cut off again); if
// the file system refuses such a write, the file goes through the cache
// from then on.
bool SequentialOutput::WriteBlock(const Block& block) {
  const std::size_t alignment = platform::kUncachedAlignment;
  const std::size_t padded = (block.used + alignment - 1) / alignment * alignment;
  std::memset(block.bytes.get() + block.used, 0, padded - block.used);
  if (file_.TryWriteAt(block.offset, block.bytes.get(), padded)) return true;
  if (!uncached_) return false;
  uncached_ = false;
  return file_.BypassCache(false) && file_.TryWriteAt(block.offset, block.bytes.get(), padded);
}

void SequentialOutput::WriterLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || written_ < handed_; });
    if (stopping_) return;
    const Block& block = blocks_[written_ % blocks_.size()];
    lock.unlock();
    const bool done = WriteBlock(block);
    lock.lock();
    failed_ = failed_ || !done;
    ++written_;
    changed_.notify_all();
  }
}

void SequentialOutput::HandOn() {
  std::unique_lock lock(mutex_);
  ++handed_;
  changed_.notify_all();
  changed_.wait(lock, [this] { return handed_ - written_ < blocks_.size(); });
  if (failed_) throw MovieError("Cannot write file " + path_);
  Block& next = blocks_[handed_ % blocks_.size()];
  next.offset = size_;
  next.used = 0;
}

SequentialOutput::Block& SequentialOutput::Filling() {
  if (blocks_[handed_ % blocks_.size()].used == kBlockBytes) HandOn();
  return blocks_[handed_ % blocks_.size()];
}

void SequentialOutput::Append(const void* bytes, std::size_t count) {
  const char* from = static_cast<const char*>(bytes);
  while (count > 0) {
    Block& block = Filling();
    const std::size_t n = std::min(count, kBlockBytes - block.used);
    std::memcpy(block.bytes.get() + block.used, from, n);
    block.used += n;
    size_ += static_cast<std::int64_t>(n);
    from += n;
    count -= n;
  }
}

// Read straight into the blocks.
void SequentialOutput::AppendFile(const std::string& path, std::int64_t from, std::int64_t to) {
  platform::OpenRefusal refusal{};
  const platform::FileHandle source = platform::OpenExisting(path, platform::Access::Read, refusal);
  if (source == platform::kNoFile) throw MovieError("Cannot open file " + path);
  try {
    while (from < to) {
      Block& block = Filling();
      const std::size_t wanted = std::min(kBlockBytes - block.used, static_cast<std::size_t>(to - from));
      const std::int64_t got = platform::ReadAt(source, block.bytes.get() + block.used, wanted, from);
      if (got <= 0) throw MovieError("Cannot read file " + path);
      block.used += static_cast<std::size_t>(got);
      size_ += got;
      from += got;
    }
  } catch (...) {
    platform::CloseFile(source);
    throw;
  }
  platform::CloseFile(source);
}

void SequentialOutput::Commit() {
  {
    std::unique_lock lock(mutex_);
    ++handed_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return written_ == handed_; });
    if (failed_) throw MovieError("Cannot write file " + path_);
  }
  if (!file_.Truncate(size_)) throw MovieError("Cannot write file " + path_);
  file_.Commit();
}

}  // namespace mve
