#include <gtest/gtest.h>

#include <filesystem>

#include "archive/BiffCompress.hpp"
#include "archive/BiffExtract.hpp"
#include "builders/BiffBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

struct Compression {
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  Compression() {
    run.OutputDir = dir / "out";
    ForceDirectories(run.OutputDir);
  }
  // Compresses bytes stored as `name` and returns the compressed archive.
  std::string Compress(const std::string& bytes, const std::string& name = "A.bif") {
    test::WriteFileBytes(dir / name, bytes);
    MakeCompressedBiff(run, dir / name);
    return test::ReadFileBytes(JoinPath(run.OutputDir, test::NativePath(name)));
  }
};

// The block lengths of a compressed archive, checked by Python's zlib: every
// block is one complete zlib stream of its stated lengths, the blocks fill the
// file exactly, and together they give back `plain`.
std::string PythonBlockCheck(const std::string& archive, const std::string& plain) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "archive", archive);
  test::WriteFileBytes(dir / "plain", plain);
  const std::string code = R"(
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
plain = open(sys.argv[2], 'rb').read()
assert data[:8] == b'BIFCV1.0' and struct.unpack_from('<I', data, 8)[0] == len(plain)
at, out, lengths = 12, b'', []
while at < len(data):
    u, c = struct.unpack_from('<II', data, at)
    stream = zlib.decompressobj()
    block = stream.decompress(data[at + 8:at + 8 + c])
    assert stream.eof and not stream.unused_data and len(block) == u
    out += block
    lengths.append(u)
    at += 8 + c
assert at == len(data) and out == plain
print(' '.join(map(str, lengths)))
)";
  const auto result = test::RunProcess({"/usr/bin/env", "python3", "-c", code, dir / "archive", dir / "plain"});
  EXPECT_EQ(result.status, 0) << result.err;
  return result.out;
}

TEST(MakeCompressedBiff, BlocksAreWholeZlibStreamsOf8192Bytes) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  const std::pair<std::size_t, const char*> cases[] = {
      {0, "\n"}, {1, "1\n"}, {8191, "8191\n"}, {8192, "8192\n"}, {8193, "8192 1\n"}, {20000, "8192 8192 3616\n"}};
  for (const auto& [size, lengths] : cases) {
    Compression c;
    const std::string plain = build::MakeSoundData(size, 1);
    const std::string archive = c.Compress(plain);
    EXPECT_EQ(PythonBlockCheck(archive, plain), lengths) << size;
  }
  Compression c;
  EXPECT_EQ(c.Compress(""), std::string("BIFCV1.0\0\0\0\0", 12));
}

TEST(MakeCompressedBiff, ManyThreadsWriteWhatOneThreadWould) {
  // Enough blocks to keep every thread busy; the builder compresses one block
  // after the other at level 9 through zlib itself.
  const std::string plain = build::MakeSoundData(1500000, 2) + build::MakeMovie(500000, 3) + std::string(300000, 'z');
  Compression c;
  EXPECT_EQ(c.Compress(plain), build::CompressBiff(plain, 8192, 9));
  EXPECT_TRUE(c.window.results.empty());
  EXPECT_EQ(c.run.JobLog.Count(), 0u);
}

TEST(MakeCompressedBiff, ExtractionGivesTheInputBackEvenForNonArchives) {
  for (const std::string& input : {build::MakeBiff({{4, build::MakeWavc(30000, 4)}, {1, build::MakeBitmap(9, 9, 5)}}),
                                   build::MakeMovie(70001, 6), std::string("BIFCV1.0 but not really")}) {
    Compression c;
    test::WriteFileBytes(c.dir / "packed.bif", c.Compress(input));
    c.run.OutputDir = c.dir / "back";
    ForceDirectories(c.run.OutputDir);
    ExtractBiff(c.run, c.dir / "packed.bif");
    EXPECT_EQ(test::ReadFileBytes(c.dir / "back/packed.bif"), input);
  }
}

TEST(MakeCompressedBiff, IntoItsOwnFolderFailsAndLeavesTheInputAlone) {
  Compression c;
  const std::string input = build::MakeMovie(10000, 7);
  test::WriteFileBytes(c.dir / "Own.bif", input);
  c.run.OutputDir = c.dir.path();
  try {
    MakeCompressedBiff(c.run, c.dir / "Own.bif");
    FAIL();
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write " + c.dir / "Own.bif" + ": it is the file being read; choose another output folder.");
  }
  EXPECT_EQ(test::ReadFileBytes(c.dir / "Own.bif"), input);
  EXPECT_EQ(test::ListDirectory(c.dir.path()), (std::vector<std::string>{"Own.bif", "out"}));
}

TEST(MakeCompressedBiff, StopLeavesNoPartialArchive) {
  Compression c;
  c.window.onPump = [&] { c.run.StopMark = true; };
  c.Compress(build::MakeMovie(1000000, 8));
  EXPECT_TRUE(test::ListDirectory(c.run.OutputDir).empty());
}

TEST(MakeCompressedBiff, InputTooLargeForTheSizeFieldIsRefused) {
  Compression c;
  const std::string path = c.dir / "Huge.bif";
  test::WriteFileBytes(path, "");
  std::filesystem::resize_file(path, std::uintmax_t{1} << 32);  // sparse: takes no room
  EXPECT_THROW(MakeCompressedBiff(c.run, path), EFormatError);
  EXPECT_TRUE(test::ListDirectory(c.run.OutputDir).empty());
}

}  // namespace
}  // namespace trovex
