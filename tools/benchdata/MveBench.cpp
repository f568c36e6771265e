#include <cstdio>
#include <string>

#include "benchdata/BenchData.hpp"
#include "builders/MveBuilder.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex::benchdata {

// mve OUT TOTAL_MIB: a movie of about TOTAL_MIB MiB with a 16-bit stereo
// compressed sound track, written chunk by chunk.
int MakeMovie(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: trovex-benchdata mve OUT TOTAL_MIB\n");
    return 2;
  }
  build::MovieShape shape;
  shape.channels = 2;
  shape.compressed = true;
  shape.videoBytes = 40000;
  const std::size_t frameBytes = shape.videoBytes + 4000;
  shape.videoFrames = std::stoul(args[1]) * (1 << 20) / frameBytes;
  const auto samples = build::ToneSamples(shape, build::TrackFrames(shape));
  const build::MovieWriter writer(shape, samples);
  TSafeOutput out(args[0]);
  out.WriteText(writer.Start());
  for (std::size_t i = 0; i < writer.SlotCount(); ++i) out.WriteText(writer.Slot(i));
  out.WriteText(writer.End());
  out.Commit();
  return 0;
}

}  // namespace trovex::benchdata
