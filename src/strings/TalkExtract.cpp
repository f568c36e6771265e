// TALK extraction: one table to its text dump.
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "strings/Talk.hpp"
#include "strings/TalkDump.hpp"
#include "strings/TalkFormat.hpp"
#include "strings/TalkPo.hpp"
#include "strings/TalkProgress.hpp"
#include "strings/TextOut.hpp"

namespace trovex {

void ExtractTalk(RunState& run, const std::string& path) {
  if (run.Talk.form == TextForm::Po) return ExtractTalkPo(run, path);
  TFileStream input(path, FileMode::OpenRead);
  const TalkTable table = ReadTalkTable(input, path);
  const std::string dumpName = ChangeFileExt(FileNamePart(path), ".txt");
  const std::string dumpPath = run.OutputPath(dumpName);
  if (!run.ClaimOutputs(path, {{dumpPath}, {}})) return;
  run.Message("Processing " + FileNamePart(path) + "...");
  run.StartProgress();
  run.Pump();

  // The input stays open, so a dump path that is the input itself is refused.
  TSafeOutput output(dumpPath);
  TTextOut dump(output);
  TTalkStrings strings(input, table);
  for (std::uint32_t i = 0; i < table.count; ++i) {
    if (run.StopRequested()) return;
    AppendDumpEntry(dump, i, TTalkStrings::TextOf(strings.StoredText(i)));
    ShowEntryProgress(run, "Extracted: ", i, table.count);
  }

  run.Message("Saving " + dumpName + "...");
  run.Pump();
  dump.Flush();
  output.Commit();
  run.Result(dumpPath + " extracted sucessfully.");
  run.JobLog.Add("#Target: " + dumpPath);
}

}  // namespace trovex
