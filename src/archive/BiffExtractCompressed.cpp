#include "archive/BiffExtractCompressed.hpp"

#include "archive/BiffFormat.hpp"
#include "archive/CompressedBiffPipeline.hpp"
#include "compress/Zlib.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

constexpr std::uint64_t kCompressedHeaderSize = 12;
constexpr std::uint64_t kBlockHeaderSize = 8;
// Blocks up to this length on either side are decompressed in memory on the
// coding threads; larger ones (never written by this program) are streamed.
constexpr std::uint32_t kMaxBufferedBlock = 256 * 1024;

// A block too large to hold in memory: decompressed straight from the archive
// into the output, through the decompressing stream.
void StreamBlock(TFileStream& archive, TStream& output, const CompressedBiffBlock& block) {
  TDecompressionStream stream(archive);
  output.CopyFrom(stream, block.uncompressedLength);
}

}  // namespace

void ExtractCompressedBiff(RunState& run, TFileStream& archive, const std::string& path) {
  const auto size = static_cast<std::uint64_t>(archive.Size());
  if (size < kCompressedHeaderSize) throw InvalidBiff(path, "file shorter than its 12-byte header");
  TSafeOutput output(run.OutputPath(FileNamePart(path)));
  TBlockOutput plain(output);
  TBlockPipeline pipeline(BlockThreads(), MakeBlockDecompressor, [&plain](const TCodedBlock& block) {
    plain.Write(block.output.data(), block.output.size());
  });
  std::uint64_t at = kCompressedHeaderSize;
  archive.SetPosition(static_cast<std::int64_t>(at));
  while (at < size) {
    if (run.StopRequested()) return;
    if (size - at < kBlockHeaderSize)
      throw InvalidBiff(path, Format("block header at offset %llu cut short", static_cast<unsigned long long>(at)));
    const CompressedBiffBlock block = ReadCompressedBiffBlock(archive);
    if (block.compressedLength > size - at - kBlockHeaderSize) {
      throw InvalidBiff(path,
                        Format("block at offset %llu reaches beyond end of file", static_cast<unsigned long long>(at)));
    }
    at += kBlockHeaderSize + block.compressedLength;
    if (block.uncompressedLength > kMaxBufferedBlock || block.compressedLength > kMaxBufferedBlock) {
      pipeline.Drain();
      plain.Flush();
      StreamBlock(archive, output, block);
      archive.SetPosition(static_cast<std::int64_t>(at));
    } else {
      pipeline.Submit([&archive, &block](TCodedBlock& coded) {
        coded.input.resize(block.compressedLength);
        archive.ReadBuffer(coded.input.data(), coded.input.size());
        coded.output.resize(block.uncompressedLength);
      });
    }
    run.SetProgress(static_cast<int>(at * 100 / size));
  }
  pipeline.Drain();
  plain.Flush();
  output.Commit();
}

}  // namespace trovex
