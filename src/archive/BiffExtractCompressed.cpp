#include "archive/BiffExtractCompressed.hpp"

#include "archive/BiffExtractPipeline.hpp"
#include "archive/BiffFormat.hpp"
#include "compress/Zlib.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

constexpr std::uint64_t kCompressedHeaderSize = 12;
constexpr std::uint64_t kBlockHeaderSize = 8;
// Blocks up to this length on either side are decompressed in memory on the
// pipeline's threads; larger ones (never written by this program) are streamed.
constexpr std::uint32_t kMaxBufferedBlock = 256 * 1024;

std::string AtOffset(const char* what, std::uint64_t offset) {
  return Format("%s at offset %llu", what, static_cast<unsigned long long>(offset));
}

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
  const unsigned threads = PipelineThreads();
  TPerThread<TBufferDecompressor> decompressors(threads, [] { return std::make_unique<TBufferDecompressor>(); });
  TOrderedPipeline pipeline(threads);
  std::uint64_t at = kCompressedHeaderSize;
  archive.SetPosition(static_cast<std::int64_t>(at));
  while (at < size) {
    if (run.StopRequested()) return;
    if (size - at < kBlockHeaderSize) throw InvalidBiff(path, AtOffset("block header", at) + " cut short");
    const CompressedBiffBlock block = ReadCompressedBiffBlock(archive);
    if (block.compressedLength > size - at - kBlockHeaderSize) {
      throw InvalidBiff(path, AtOffset("block", at) + " reaches beyond end of file");
    }
    at += kBlockHeaderSize + block.compressedLength;
    if (block.uncompressedLength > kMaxBufferedBlock || block.compressedLength > kMaxBufferedBlock) {
      pipeline.Drain();
      plain.Flush();
      StreamBlock(archive, output, block);
      archive.SetPosition(static_cast<std::int64_t>(at));
    } else {
      auto coded = std::make_shared<TCodedBlock>();
      coded->packed.resize(block.compressedLength);
      archive.ReadBuffer(coded->packed.data(), coded->packed.size());
      coded->plain.resize(block.uncompressedLength);
      pipeline.Submit({[coded, &decompressors](unsigned thread) {
                         decompressors[thread].Decompress(coded->packed.data(), coded->packed.size(),
                                                          coded->plain.data(), coded->plain.size());
                       },
                       [coded, &plain] { plain.Write(coded->plain.data(), coded->plain.size()); }});
    }
    run.SetProgress(static_cast<int>(at * 100 / size));
  }
  pipeline.Drain();
  plain.Flush();
  output.Commit();
}

}  // namespace trovex
