#include "archive/BiffExtractItems.hpp"

#include <memory>

#include "archive/BiffFormat.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

std::string ItemLabel(std::uint32_t index) { return Format("Item %llu", static_cast<unsigned long long>(index) + 1); }

}  // namespace

TItemWriter::TItemWriter(RunState& run, const TFileStream& archive, const std::string& archivePath)
    : run_(run), archive_(archive), archivePath_(archivePath), pipeline_(PipelineThreads()) {}

void TItemWriter::Write(std::uint32_t index, const char* kindWord, const char* folder, const char* extension,
                        std::uint64_t offset, std::uint32_t length) {
  const std::string folderPath = run_.OutputPath(folder);
  if (folders_.insert(folderPath).second) ForceDirectories(folderPath);
  std::string target = JoinPath(folderPath, ItemStem(archivePath_, index) + extension);
  auto copy = [this, target, offset, length](unsigned) {
    TSafeOutput output(target);
    output.CopyFromAt(archive_, static_cast<std::int64_t>(offset), length);
    output.Commit();
    std::lock_guard lock(unreported_.mutex);
    unreported_.paths.insert(target);
  };
  auto report = [this, index, kindWord, target] {
    {
      std::lock_guard lock(unreported_.mutex);
      unreported_.paths.erase(target);
    }
    run_.Result(ItemLabel(index) + " extracted sucessfully.");
    run_.JobLog.Add(TargetLine(kindWord, index, target));
  };
  pipeline_.Submit({std::move(copy), std::move(report)});
}

TItemWriter::TUnreported::~TUnreported() {
  for (const std::string& path : paths) DeleteFile(path);
}

void TItemWriter::Skip(std::uint32_t index, const std::string& reason) {
  pipeline_.Submit({[](unsigned) {}, [this, line = ItemLabel(index) + " skipped: " + reason] { run_.Result(line); }});
}

}  // namespace trovex
