#include "archive/BiffCompress.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/BiffFormat.hpp"
#include "archive/CompressedBiffPipeline.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

void MakeCompressedBiff(RunState& run, const std::string& path) {
  TFileStream input(path, FileMode::OpenRead);
  const std::int64_t size = input.Size();
  // The header holds the plain length in 32 bits.
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    throw EFormatError("File too large for a compressed BIFF archive: " + path);
  }
  TSafeOutput output(run.OutputPath(FileNamePart(path)));
  CompressedBiffHeader header{};
  std::memcpy(header.signature, kCompressedBiffSignature, 8);
  header.uncompressedSize = static_cast<std::uint32_t>(size);
  WriteCompressedBiffHeader(output, header);
  TBlockOutput blocks(output);
  TBlockPipeline pipeline(BlockThreads(), MakeBlockCompressor, [&blocks](const TCodedBlock& block) {
    blocks.WriteU32(static_cast<std::uint32_t>(block.input.size()));
    blocks.WriteU32(static_cast<std::uint32_t>(block.output.size()));
    blocks.Write(block.output.data(), block.output.size());
  });
  int percent = 0;
  for (std::int64_t at = 0; at < size; at += kCompressedBiffBlockSize) {
    if (run.StopRequested()) return;
    const auto length = static_cast<std::size_t>(std::min<std::int64_t>(kCompressedBiffBlockSize, size - at));
    pipeline.Submit([&input, length](TCodedBlock& block) {
      block.input.resize(length);
      input.ReadBuffer(block.input.data(), length);
    });
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
