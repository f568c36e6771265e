// TALK extraction: one table to its text dump.
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "strings/Talk.hpp"
#include "strings/TalkDump.hpp"
#include "strings/TalkFormat.hpp"
#include "strings/TalkProgress.hpp"

namespace trovex {

namespace {

std::size_t DumpSize(const TalkTable& table) {
  std::size_t size = 0;
  for (std::uint32_t i = 0; i < table.count; ++i) size += DumpEntrySize(i, table.String(i).size());
  return size;
}

}  // namespace

void ExtractTalk(RunState& run, const std::string& path) {
  TFileStream input(path, FileMode::OpenRead);
  const TalkTable table = ReadTalkTable(input, path);
  const std::string dumpName = ChangeFileExt(FileNamePart(path), ".txt");
  const std::string dumpPath = run.OutputPath(dumpName);
  run.Message("Processing " + FileNamePart(path) + "...");
  run.StartProgress();
  run.Pump();

  // The dump is built whole in memory and written in one piece.
  std::string dump;
  dump.reserve(DumpSize(table));
  for (std::uint32_t i = 0; i < table.count; ++i) {
    if (run.StopRequested()) return;
    AppendDumpEntry(dump, i, table.String(i));
    ShowEntryProgress(run, "Extracted: ", i, table.count);
  }

  run.Message("Saving " + dumpName + "...");
  run.Pump();
  // The input stays open, so a dump path that is the input itself is refused.
  TSafeOutput output(dumpPath);
  output.WriteText(dump);
  output.Commit();
  run.Result(dumpPath + " extracted sucessfully.");
  run.JobLog.Add("#Target: " + dumpPath);
}

}  // namespace trovex
