#include "archive/BiffExtractCompressed.hpp"

#include <memory>

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

// Blocks go to the pipeline's threads in batches of up to half a megabyte of
// the archive, each read at once and written to the output at once: with
// blocks of 8 KiB, a read, a job and a write per block would cost nearly as
// much as decompressing them. A batch holds the largest block that is not
// streamed.
constexpr std::uint64_t kBatchBytes = 512 * 1024;
static_assert(kBatchBytes >= kMaxBufferedBlock + kBlockHeaderSize);

// Bytes that are always written before they are read, so not cleared first.
struct TRawBytes {
  std::unique_ptr<unsigned char[]> data;
  std::size_t size = 0;
  void Allocate(std::size_t count) {
    data = std::make_unique_for_overwrite<unsigned char[]>(count);
    size = count;
  }
};

struct BatchBlock {
  BlockPlace place;
  CompressedBiffBlock block;
  std::size_t packedAt;  // in the batch's packed bytes
  std::size_t plainAt;   // in the batch's plain bytes
};

struct BlockBatch {
  TRawBytes packed;  // the archive's bytes from the first block's header on
  TRawBytes plain;
  std::vector<BatchBlock> blocks;
};

// Takes into batch the whole blocks that its packed bytes (read at offset at
// of an archive of size bytes) hold, numbered from number on, up to about
// kBatchBytes of plain bytes; stops before a block to be streamed. Returns
// the count of packed bytes taken.
std::uint64_t TakeBlocks(BlockBatch& batch, const std::string& path, std::uint64_t at, std::uint64_t size,
                         std::uint64_t number) {
  const std::uint64_t held = batch.packed.size;
  std::uint64_t taken = 0;
  std::size_t plain = 0;
  while (taken < held && plain < kBatchBytes) {
    const std::uint64_t offset = at + taken;
    if (held - taken < kBlockHeaderSize) {
      if (offset + kBlockHeaderSize > size) throw InvalidBiff(path, AtOffset("block header", offset) + " cut short");
      break;
    }
    const unsigned char* header = batch.packed.data.get() + taken;
    const CompressedBiffBlock block{LoadU32(header), LoadU32(header + 4)};
    if (block.compressedLength > size - offset - kBlockHeaderSize) {
      throw InvalidBiff(path, AtOffset("block", offset) + " reaches beyond end of file");
    }
    if (block.uncompressedLength > kMaxBufferedBlock || block.compressedLength > kMaxBufferedBlock) break;
    const std::uint64_t end = taken + kBlockHeaderSize + block.compressedLength;
    if (end > held) break;
    batch.blocks.push_back(
        {{number + batch.blocks.size(), offset}, block, static_cast<std::size_t>(taken + kBlockHeaderSize), plain});
    plain += block.uncompressedLength;
    taken = end;
  }
  batch.plain.Allocate(plain);
  return taken;
}

void DecompressBatch(const std::string& path, BlockBatch& batch, TBufferDecompressor& decompressor) {
  for (const BatchBlock& b : batch.blocks) {
    DecompressBlock(path, b.place, b.block, [&] {
      decompressor.Decompress(batch.packed.data.get() + b.packedAt, b.block.compressedLength,
                              batch.plain.data.get() + b.plainAt, b.block.uncompressedLength);
    });
  }
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
  TPerThread<TBufferDecompressor> decompressors(threads, [] { return std::make_unique<TBufferDecompressor>(); });
  TOrderedPipeline pipeline(threads);
  pipeline.WhileWaiting([&run] { run.Pump(); });
  std::uint64_t at = kCompressedHeaderSize;
  for (std::uint64_t number = 0; at < size;) {
    if (run.StopRequested()) return false;
    auto batch = std::make_shared<BlockBatch>();
    batch->packed.Allocate(static_cast<std::size_t>(std::min(size - at, kBatchBytes)));
    archive.SetPosition(static_cast<std::int64_t>(at));
    archive.ReadBuffer(batch->packed.data.get(), batch->packed.size);
    const std::uint64_t taken = TakeBlocks(*batch, path, at, size, number);
    if (taken == 0) {
      // The next block is one to be streamed (TakeBlocks has checked that it lies inside the archive).
      const unsigned char* header = batch->packed.data.get();
      const CompressedBiffBlock block{LoadU32(header), LoadU32(header + 4)};
      pipeline.Drain();
      archive.SetPosition(static_cast<std::int64_t>(at + kBlockHeaderSize));
      DecompressBlock(path, {number, at}, block, [&] { StreamBlock(archive, output, block); });
      at += kBlockHeaderSize + block.compressedLength;
      ++number;
    } else {
      number += batch->blocks.size();
      at += taken;
      pipeline.Submit(
          {[batch, &decompressors, &path](unsigned thread) { DecompressBatch(path, *batch, decompressors[thread]); },
           [batch, &output] { output.WriteBuffer(batch->plain.data.get(), batch->plain.size); }});
    }
    run.SetProgress(static_cast<int>(at * 100 / size));
  }
  pipeline.Drain();
  return !run.StopRequested();
}

}  // namespace trovex
