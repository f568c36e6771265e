#include "framework/PieceCopy.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/FaultInjection.hpp"

namespace trovex {

#ifdef _WIN32

// Windows has no pipes that carry file pages: the pieces are copied one by one.
TPieceCopy::TPieceCopy(const TFileStream& source, TFileStream& dest) : source_(source), dest_(dest) {}

TPieceCopy::~TPieceCopy() = default;

void TPieceCopy::Add(std::int64_t offset, std::int64_t count) { CopyDirectly(offset, count); }

void TPieceCopy::Drain() {}

#else

namespace {

constexpr int kPipeSize = 1 << 20;
constexpr std::int64_t kPage = 4096;

// The pipe slots that a piece of count bytes may take: one per page it
// touches.
std::int64_t SlotsFor(std::int64_t count) { return count / kPage + 2; }

}  // namespace

TPieceCopy::TPieceCopy(const TFileStream& source, TFileStream& dest) : source_(source), dest_(dest) {
  if (faults::KernelCopyRefused()) return;
  if (::pipe2(pipe_, O_CLOEXEC) != 0) return;
  int size = ::fcntl(pipe_[1], F_SETPIPE_SZ, kPipeSize);
  if (size < 0) size = ::fcntl(pipe_[1], F_GETPIPE_SZ);
  slots_ = size > 0 ? size / kPage : 0;
}

TPieceCopy::~TPieceCopy() {
  for (const int fd : pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

void TPieceCopy::Add(std::int64_t offset, std::int64_t count) {
  if (count <= 0) return;
  if (held_ == 0) destEnd_ = dest_.Position();
  if (slots_ < SlotsFor(kPage) || count >= kPipeSize || (offset - destEnd_) % kPage == 0) {
    Drain();
    return CopyDirectly(offset, count);
  }
  destEnd_ += count;
  auto at = static_cast<loff_t>(offset);
  while (count > 0) {
    if (slots_ < SlotsFor(kPage)) return CopyDirectly(at, count);
    // A piece is put in only as far as the pipe surely has slots for it, so
    // that putting it in never waits for a reader.
    if (slots_ - used_ < SlotsFor(kPage)) Drain();
    const std::int64_t chunk = std::min(count, (slots_ - used_ - 2) * kPage);
    if (const int fault = faults::BeforeRead()) throw EReadError(source_.Path(), fault);
    const ssize_t moved = ::splice(source_.Handle(), &at, pipe_[1], nullptr, static_cast<std::size_t>(chunk), SPLICE_F_MOVE);
    if (moved > 0) {
      held_ += moved;
      used_ += SlotsFor(moved);
      count -= moved;
    } else if (moved == 0) {
      throw EReadError();
    } else if (errno != EINTR) {
      // No splicing from this file: what the pipe holds goes first.
      Drain();
      slots_ = 0;
    }
  }
}

void TPieceCopy::Drain() {
  used_ = 0;
  while (held_ > 0) {
    if (const int fault = faults::BeforeWrite()) throw EWriteError(dest_.Path(), fault);
    // File streams keep their own position: the bytes go to it, and it moves on.
    auto to = static_cast<loff_t>(dest_.Position());
    const ssize_t moved = ::splice(pipe_[0], nullptr, dest_.Handle(), &to, static_cast<std::size_t>(held_), SPLICE_F_MOVE);
    if (moved > 0) {
      dest_.Seek(moved, soCurrent);
      held_ -= moved;
    } else if (moved < 0 && errno == EINVAL) {
      // No splicing into this file: the bytes go through memory.
      std::vector<char> buffer(static_cast<std::size_t>(held_));
      const ssize_t got = ::read(pipe_[0], buffer.data(), buffer.size());
      if (got <= 0) throw EReadError();
      dest_.WriteBuffer(buffer.data(), static_cast<std::size_t>(got));
      held_ -= got;
    } else if (moved == 0) {
      throw EWriteError();
    } else if (errno != EINTR) {
      throw EWriteError(dest_.Path(), errno);
    }
  }
}

#endif

void TPieceCopy::Flush() { Drain(); }

void TPieceCopy::CopyDirectly(std::int64_t offset, std::int64_t count) { dest_.CopyFromAt(source_, offset, count); }

}  // namespace trovex
