// The files written for the entries of a plain archive. The copies run on
// several threads; each item is reported (its Results line and its target
// line) in entry order once its file is complete.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "archive/BiffExtractPipeline.hpp"
#include "compress/Zlib.hpp"
#include "framework/FileStream.hpp"
#include "run/RunState.hpp"

namespace trovex {

class TItemWriter {
 public:
  // The copies read archive at their own offsets, leaving its position alone.
  TItemWriter(RunState& run, const TFileStream& archive, const std::string& archivePath);

  // Queues the copy of length bytes from offset in the archive to target,
  // a file in folder below the output directory.
  void Write(std::uint32_t index, const char* kindWord, const char* folder, const std::string& target,
             std::uint64_t offset, std::uint32_t length);
  // Queues a conversion of the entry: work runs on a pipeline thread with
  // that thread's decompressor, writes the item's files, calling saved with
  // each one's path once it is complete, and returns its job-log lines; a
  // format error in it skips the item with its reason (and removes what it
  // saved). The report shows message (and then detail, when not empty) as
  // the current message.
  using FileSaved = std::function<void(const std::string& path)>;
  using ConvertWork = std::function<std::vector<std::string>(TBufferDecompressor& inflater, const FileSaved& saved)>;
  void Convert(std::uint32_t index, const std::string& detail, ConvertWork work);
  // The folder below the output directory, created on first use.
  std::string Folder(const char* folder);
  // Queues the Results line of an entry passed over for the given reason.
  void Skip(std::uint32_t index, const std::string& reason);
  // Queues a Results line about the entry, after the archive and the entry.
  void Note(std::uint32_t index, const std::string& line);
  // Completes and reports everything queued.
  void Finish() { pipeline_.Drain(); }

 private:
  // A file complete on disk goes on the unreported list until its report.
  void MarkUnreported(const std::string& path);
  void MarkReported(const std::vector<std::string>& paths);
  std::string SkippedLine(std::uint32_t index, const std::string& reason) const;

  RunState& run_;
  const TFileStream& archive_;
  const std::string archivePath_;
  std::set<std::string> folders_;  // folders known to exist
  // Files complete on disk but not reported yet. When a failure ends the
  // run, the items after it may be complete already: they are removed, so
  // that every file left is one the run reported and logged. Declared before
  // the pipeline, so that it goes after the pipeline's last job.
  struct TUnreported {
    std::mutex mutex;
    std::set<std::string> paths;
    ~TUnreported();
  } unreported_;
  // Before the pipeline too: its destructor waits for jobs that use them.
  TPerThread<TBufferDecompressor> inflaters_;
  TOrderedPipeline pipeline_;
};

}  // namespace trovex
