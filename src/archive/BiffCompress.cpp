#include "archive/BiffCompress.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/BiffExtractPipeline.hpp"
#include "archive/BiffFormat.hpp"
#include "compress/Zlib.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

// Blocks are compressed on every core at once and written in file order, so
// the archive is byte for byte what compressing them one by one would give.
void MakeCompressedBiff(RunState& run, const std::string& path) {
  TFileStream input(path, FileMode::OpenRead);
  const std::int64_t size = input.Size();
  // The header holds the plain length in 32 bits.
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    throw EFormatError("File too large for a compressed BIFF archive: " + path);
  }
  const std::string outputPath = run.OutputPath(FileNamePart(path));
  if (!run.ClaimOutputs(path, {{outputPath}, {}})) return;
  TSafeOutput output(outputPath);
  CompressedBiffHeader header{};
  std::memcpy(header.signature, kCompressedBiffSignature, 8);
  header.uncompressedSize = static_cast<std::uint32_t>(size);
  WriteCompressedBiffHeader(output, header);
  TBlockOutput blocks(output);
  const unsigned threads = PipelineThreads();
  TPerThread<TBufferCompressor> compressors(threads, [] { return std::make_unique<TBufferCompressor>(cmlBest); });
  TOrderedPipeline pipeline(threads);
  pipeline.WhileWaiting([&run] { run.Pump(); });
  int percent = 0;
  for (std::int64_t at = 0; at < size; at += kCompressedBiffBlockSize) {
    if (run.StopRequested()) return;
    auto block = std::make_shared<TCodedBlock>();
    block->plain.resize(static_cast<std::size_t>(std::min<std::int64_t>(kCompressedBiffBlockSize, size - at)));
    input.ReadBuffer(block->plain.data(), block->plain.size());
    pipeline.Submit({[block, &compressors](unsigned thread) {
                       compressors[thread].Compress(block->plain.data(), block->plain.size(), block->packed);
                     },
                     [block, &blocks] {
                       blocks.WriteU32(static_cast<std::uint32_t>(block->plain.size()));
                       blocks.WriteU32(static_cast<std::uint32_t>(block->packed.size()));
                       blocks.Write(block->packed.data(), block->packed.size());
                     }});
    // No progress of its own is shown, but the window stays responsive.
    if (const int now = static_cast<int>(at * 100 / size); now != percent) {
      percent = now;
      run.Pump();
    }
  }
  pipeline.Drain();
  blocks.Flush();
  output.Commit();
}

}  // namespace trovex
