#include "sound/Wavc.hpp"

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

void ConvertWavcToAcm(RunState& run, const std::string& path) {
  TFileStream input(path, FileMode::OpenRead);
  const std::int64_t size = input.Size();
  if (size < kWavcHeaderBytes) {
    throw EFormatError(Format("Invalid compressed sound %s: %lld bytes, shorter than its %lld-byte header",
                              path.c_str(), static_cast<long long>(size),
                              static_cast<long long>(kWavcHeaderBytes)));
  }
  const std::string name = FileNamePart(path);
  const std::string outputPath = run.OutputPath(ChangeFileExt(name, ".acm"));
  if (!run.ClaimOutputs(path, {{outputPath}, {}})) return;
  // The input stays open, so an output that would overwrite it is refused.
  TSafeOutput output(outputPath);
  input.SetPosition(kWavcHeaderBytes);
  output.CopyFrom(input, size - kWavcHeaderBytes);
  output.Commit();
  run.JobLog.Add("#Target WAVACM: " + outputPath);
  run.Result(name + " converted.");
}

}  // namespace trovex
