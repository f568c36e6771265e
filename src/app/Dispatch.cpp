// The dispatch table: the one place where extraction handlers plug in.
#include "archive/BiffCompress.hpp"
#include "archive/BiffExtract.hpp"
#include "archive/Key.hpp"
#include "app/MainForm.hpp"
#include "imaging/Font.hpp"
#include "joblog/Replay.hpp"
#include "sound/MovieSound.hpp"
#include "sound/Wavc.hpp"
#include "strings/Talk.hpp"

namespace trovex {

namespace {

using ExtractionHandler = void (*)(RunState& run, const std::string& path);

struct DispatchEntry {
  std::uint8_t code;
  ExtractionHandler handler;
};

constexpr DispatchEntry kDispatchTable[] = {
    {fcBiff, ExtractBiff},
    {fcTalk, ExtractTalk},
    {fcMakeCompressedBiff, MakeCompressedBiff},
    {fcKey, ExtractKey},
    {fcFont, ExtractFont},
    {fcJobLog, ReplayJobLog},
    {fcProjectList, ReplayJobLog},
    {fcWavc, ConvertWavcToAcm},
    {fcMovie, ExtractMovieSound},
};

}  // namespace

void DispatchHandler(RunState& run, std::uint8_t code, const std::string& path) {
  for (const auto& entry : kDispatchTable) {
    if (entry.code == code) {
      entry.handler(run, path);
      return;
    }
  }
}

}  // namespace trovex
