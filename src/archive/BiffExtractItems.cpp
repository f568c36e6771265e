#include "archive/BiffExtractItems.hpp"

#include <memory>

#include "archive/BiffFormat.hpp"
#include "framework/Bitmap.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

std::string ItemLabel(std::uint32_t index) { return Format("Item %llu", static_cast<unsigned long long>(index) + 1); }

}  // namespace

// "<archive> entry 0x…: Item N skipped: <reason>".
std::string TItemWriter::SkippedLine(std::uint32_t index, const std::string& reason) const {
  return EntryPlace(archivePath_, index) + ": " + ItemLabel(index) + " skipped: " + reason;
}

void TItemWriter::Note(std::uint32_t index, const std::string& line) {
  pipeline_.Submit({[](unsigned) {}, [this, line = EntryPlace(archivePath_, index) + ": " + line] { run_.Result(line); }});
}

TItemWriter::TItemWriter(RunState& run, const TFileStream& archive, const std::string& archivePath)
    : run_(run),
      archive_(archive),
      archivePath_(archivePath),
      inflaters_(PipelineThreads(), [] { return std::make_unique<TBufferDecompressor>(); }),
      pipeline_(PipelineThreads()) {
  pipeline_.WhileWaiting([&run] { run.Pump(); });
}

std::string TItemWriter::Folder(const char* folder) {
  const std::string folderPath = run_.OutputPath(folder);
  if (folders_.insert(folderPath).second) ForceDirectories(folderPath);
  return folderPath;
}

void TItemWriter::Write(std::uint32_t index, const char* kindWord, const char* folder, const std::string& target,
                        std::uint64_t offset, std::uint32_t length) {
  Folder(folder);
  auto copy = [this, target, offset, length](unsigned) {
    TSafeOutput output(target);
    output.CopyFromAt(archive_, static_cast<std::int64_t>(offset), length);
    output.Commit();
    MarkUnreported(target);
  };
  auto report = [this, index, kindWord, target] {
    MarkReported({target});
    run_.Result(ItemLabel(index) + " extracted sucessfully.");
    run_.JobLog.Add(TargetLine(kindWord, index, target));
  };
  pipeline_.Submit({std::move(copy), std::move(report)});
}

void TItemWriter::MarkUnreported(const std::string& path) {
  std::lock_guard lock(unreported_.mutex);
  unreported_.paths.insert(path);
}

void TItemWriter::MarkReported(const std::vector<std::string>& paths) {
  std::lock_guard lock(unreported_.mutex);
  for (const std::string& path : paths) unreported_.paths.erase(path);
}

TItemWriter::TUnreported::~TUnreported() {
  for (const std::string& path : paths) DeleteFile(path);
}

void TItemWriter::Convert(std::uint32_t index, const std::string& detail, ConvertWork work) {
  struct Outcome {
    std::vector<std::string> lines;
    std::vector<std::string> files;  // saved so far
    std::string skipped;             // the reason, when the item was skipped
  };
  auto outcome = std::make_shared<Outcome>();
  auto convert = [this, outcome, work = std::move(work)](unsigned thread) {
    const FileSaved saved = [this, &outcome](const std::string& path) {
      MarkUnreported(path);
      outcome->files.push_back(path);
    };
    try {
      outcome->lines = work(inflaters_[thread], saved);
    } catch (const EFormatError& error) {
      outcome->skipped = error.what();
    } catch (const EInvalidGraphic& error) {
      outcome->skipped = error.what();
    }
  };
  // A skipped item's files stay unreported, so they go with the rest.
  auto report = [this, index, detail, outcome] {
    if (!outcome->skipped.empty()) {
      ++run_.SkippedItems;
      return run_.Result(SkippedLine(index, outcome->skipped + "."));
    }
    MarkReported(outcome->files);
    run_.Message("Extracting item " + std::to_string(std::uint64_t{index} + 1) + " from " + FileNamePart(archivePath_) +
                 "...");
    if (!detail.empty()) run_.Message(detail);
    run_.Result(ItemLabel(index) + " extracted sucessfully.");
    for (const auto& line : outcome->lines) run_.JobLog.Add(line);
  };
  pipeline_.Submit({std::move(convert), std::move(report)});
}

void TItemWriter::Skip(std::uint32_t index, const std::string& reason) {
  pipeline_.Submit({[](unsigned) {}, [this, line = SkippedLine(index, reason)] {
                      ++run_.SkippedItems;
                      run_.Result(line);
                    }});
}

}  // namespace trovex
