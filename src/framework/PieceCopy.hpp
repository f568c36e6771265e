// Copies of many pieces of one file, back to back, to another.
#pragma once

#include <cstdint>

#include "framework/FileStream.hpp"

namespace trovex {

// A piece shorter than a megabyte that sits at another place in a page than
// its copy passes through a pipe and leaves it for the destination in writes
// of up to a megabyte, so that many such pieces cost the kernel about as
// much as one long copy (a kernel copy per piece writes each page of the
// copy in two halves and pays a file write per piece). Longer pieces, and
// pieces at the same place in a page as their copy, are copied by the kernel
// directly, which measured faster for them than the pipe. Where pipes cannot
// carry them, all pieces are copied directly.
// Nothing else may be written to the destination between Add and Flush.
class TPieceCopy {
 public:
  // Pieces of source go to dest's position on.
  TPieceCopy(const TFileStream& source, TFileStream& dest);
  ~TPieceCopy();
  TPieceCopy(const TPieceCopy&) = delete;
  TPieceCopy& operator=(const TPieceCopy&) = delete;

  // Copies count bytes from the source's offset behind the pieces before;
  // "Stream read error" when the source holds fewer.
  void Add(std::int64_t offset, std::int64_t count);
  // Makes every piece added so far part of the destination.
  void Flush();

 private:
  // Moves the bytes in the pipe to the destination.
  void Drain();
  void CopyDirectly(std::int64_t offset, std::int64_t count);

  const TFileStream& source_;
  TFileStream& dest_;
  int pipe_[2] = {-1, -1};
  std::int64_t slots_ = 0;  // of the pipe; 0: no pipe
  std::int64_t used_ = 0;   // slots that the pieces in the pipe may take
  std::int64_t held_ = 0;   // bytes in the pipe
  std::int64_t destEnd_ = 0;  // where the next piece lands, while held_ > 0
};

}  // namespace trovex
