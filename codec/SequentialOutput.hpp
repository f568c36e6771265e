// A file written from start to end in large blocks, such as a new movie
// made of the old one's bytes and new audio frames. A thread of its own
// writes each full block while the caller fills the next, and the blocks go
// past the system's file cache where the file system allows: a fresh page
// of cache for each of a 200 MB movie's bytes costs the system several
// times what the write itself does, and the new movie is not read again
// soon. Like OutputFile (which holds it), the file has its final name only
// once complete.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OutputFile.hpp"

namespace mve {

class SequentialOutput {
 public:
  explicit SequentialOutput(const std::string& finalPath);
  // Waits for the block being written; the unfinished file is removed.
  ~SequentialOutput();
  SequentialOutput(const SequentialOutput&) = delete;
  SequentialOutput& operator=(const SequentialOutput&) = delete;

  void Append(const void* bytes, std::size_t count);
  // Appends the bytes from offset from up to offset to of the file at path.
  void AppendFile(const std::string& path, std::int64_t from, std::int64_t to);
  // Writes what is left and renames the file over its final path.
  void Commit();

 private:
  struct FreeAligned {
    void operator()(char* bytes) const;
  };
  struct Block {
    std::unique_ptr<char, FreeAligned> bytes;
    std::int64_t offset = 0;  // in the file
    std::size_t used = 0;
  };

  // The block the caller fills, handed on first when full.
  Block& Filling();
  // Queues the block being filled for writing and waits until the next one
  // is free.
  void HandOn();
  void WriterLoop();
  bool WriteBlock(const Block& block);

  OutputFile file_;
  std::string path_;
  std::vector<Block> blocks_;  // a ring: the caller fills one while the writer writes those before it
  std::int64_t size_ = 0;      // bytes appended so far
  bool uncached_ = false;      // the writer thread's
  // Blocks handed on by the caller and written by the writer so far; block
  // n is blocks_[n % blocks_.size()].
  std::size_t handed_ = 0;
  std::size_t written_ = 0;
  bool stopping_ = false;
  bool failed_ = false;
  std::mutex mutex_;  // guards the four above
  std::condition_variable changed_;
  std::thread writer_;
};

}  // namespace mve
