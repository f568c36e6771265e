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

// Where a block lies, for the message of a block that does not decompress.
struct BlockPlace {
  std::uint64_t number;  // counted from 0
  std::uint64_t offset;  // of its 8-byte header
};

EFormatError InvalidBlock(const std::string& path, const BlockPlace& place, const std::string& what) {
  return EFormatError(Format("Invalid compressed archive %s: block %llu at offset %llu: %s", path.c_str(),
                             static_cast<unsigned long long>(place.number),
                             static_cast<unsigned long long>(place.offset), what.c_str()));
}

// Runs decompress, turning a failure into the message that names the block:
// zlib's own account of corrupt data, or the shortfall of a stream that ends
// before the block's length.
template <typename Decompress>
void DecompressBlock(const std::string& path, const BlockPlace& place, const CompressedBiffBlock& block,
                     Decompress decompress) {
  try {
    decompress();
  } catch (const EDecompressionError& error) {
    throw InvalidBlock(path, place, error.Account());
  } catch (const EReadError&) {
    throw InvalidBlock(path, place, Format("its data ends before its %u bytes", block.uncompressedLength));
  }
}

// A block too large to hold in memory: decompressed straight from the archive
// into the output, through the decompressing stream.
void StreamBlock(TStream& archive, TStream& output, const CompressedBiffBlock& block) {
  TDecompressionStream stream(archive);
  output.CopyFrom(stream, block.uncompressedLength);
}

}  // namespace

void ExtractCompressedBiff(RunState& run, TFileStream& archive, const std::string& path) {
  if (static_cast<std::uint64_t>(archive.Size()) < kCompressedHeaderSize) {
    throw InvalidBiff(path, "file shorter than its 12-byte header");
  }
  const std::string outputPath = run.OutputPath(FileNamePart(path));
  if (!run.ClaimOutputs(path, {{outputPath}, {}})) return;
  TSafeOutput output(outputPath);
  if (DecompressBiffBlocks(run, archive, path, output, PipelineThreads())) output.Commit();
}

bool DecompressBiffBlocks(RunState& run, TStream& archive, const std::string& path, TStream& output, unsigned threads) {
  const auto size = static_cast<std::uint64_t>(archive.Size());
  if (size < kCompressedHeaderSize) throw InvalidBiff(path, "file shorter than its 12-byte header");
  TBlockOutput plain(output);
  TPerThread<TBufferDecompressor> decompressors(threads, [] { return std::make_unique<TBufferDecompressor>(); });
  TOrderedPipeline pipeline(threads);
  std::uint64_t at = kCompressedHeaderSize;
  archive.SetPosition(static_cast<std::int64_t>(at));
  for (std::uint64_t number = 0; at < size; ++number) {
    if (run.StopRequested()) return false;
    const BlockPlace place{number, at};
    if (size - at < kBlockHeaderSize) throw InvalidBiff(path, AtOffset("block header", at) + " cut short");
    const CompressedBiffBlock block = ReadCompressedBiffBlock(archive);
    if (block.compressedLength > size - at - kBlockHeaderSize) {
      throw InvalidBiff(path, AtOffset("block", at) + " reaches beyond end of file");
    }
    at += kBlockHeaderSize + block.compressedLength;
    if (block.uncompressedLength > kMaxBufferedBlock || block.compressedLength > kMaxBufferedBlock) {
      pipeline.Drain();
      plain.Flush();
      DecompressBlock(path, place, block, [&] { StreamBlock(archive, output, block); });
      archive.SetPosition(static_cast<std::int64_t>(at));
    } else {
      auto coded = std::make_shared<TCodedBlock>();
      coded->packed.resize(block.compressedLength);
      archive.ReadBuffer(coded->packed.data(), coded->packed.size());
      coded->plain.resize(block.uncompressedLength);
      pipeline.Submit({[coded, &decompressors, &path, place, block](unsigned thread) {
                         DecompressBlock(path, place, block, [&] {
                           decompressors[thread].Decompress(coded->packed.data(), coded->packed.size(),
                                                            coded->plain.data(), coded->plain.size());
                         });
                       },
                       [coded, &plain] { plain.Write(coded->plain.data(), coded->plain.size()); }});
    }
    run.SetProgress(static_cast<int>(at * 100 / size));
  }
  pipeline.Drain();
  plain.Flush();
  return true;
}

}  // namespace trovex
