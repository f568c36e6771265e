// Copies of many pieces of one file, back to back, to another.
#pragma once

#include <cstdint>

#include "framework/FileStream.hpp"

namespace trovex {

// The pieces pass through a pipe and leave it for the destination in writes
// of up to a megabyte, so that many short pieces, and pieces that sit
// at another place in a page than their copy, cost the kernel about as much
// as one long copy (a kernel copy per piece writes each page of the copy in
// two halves and pays a file write per piece). Where pipes cannot carry
// them, the pieces are copied one by one.
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
};

}  // namespace trovex
