// The entries of an edited text dump, read on a thread of their own while the
// rebuild works on the entries before them: splitting the dump into entries
// needs nothing from the table, so the two halves of the rebuild run at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/Stream.hpp"

namespace trovex {

// A run of consecutive entries of the dump.
struct TDumpEntries {
  std::uint32_t first = 0;        // the index of the first entry
  std::string text;               // the entries' edited texts, back to back
  std::vector<std::size_t> ends;  // where each entry's text ends in text
  std::size_t mismatchLine = 0;   // after the entries: the one-based number of
                                  // an identifier line naming another entry
  std::exception_ptr error;       // after the entries: why the dump could not
                                  // be read on (it ends early, for example)
};

class TDumpEntryReader {
 public:
  // Reads count entries of the dump at dumpPath from stream, which the reader
  // uses alone until it is destroyed.
  TDumpEntryReader(TStream& stream, const std::string& dumpPath, std::uint32_t count);
  // Stops the reading thread, wherever it is.
  ~TDumpEntryReader();
  TDumpEntryReader(const TDumpEntryReader&) = delete;
  TDumpEntryReader& operator=(const TDumpEntryReader&) = delete;

  // The next run of entries, in dump order; false once all were handed out.
  bool Next(TDumpEntries& entries);

 private:
  void ReadAll();
  // Queues entries, waiting while the rebuild is behind; false when asked to stop.
  bool Hand(TDumpEntries&& entries);

  TStream& stream_;
  const std::string dumpPath_;
  const std::uint32_t count_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TDumpEntries> ready_;
  bool finished_ = false;  // the last run is queued
  bool quit_ = false;      // the rebuild needs no more
  std::thread thread_;
};

}  // namespace trovex
