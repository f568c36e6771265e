#include <gtest/gtest.h>

#include <cstring>

#include "archive/BiffFormat.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/Bytes.hpp"
#include "framework/MemoryStream.hpp"

namespace trovex {
namespace {

TMemoryStream StreamOf(const std::string& bytes) {
  return TMemoryStream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

std::string BytesOf(const TMemoryStream& stream) { return std::string(stream.Bytes().begin(), stream.Bytes().end()); }

TEST(BiffLayout, ReadsWhatTheBuilderLaysOutAndWritesItBack) {
  const std::string archive = build::MakeBiff({{4, "abc", 7}, {1, std::string(10, 'x'), 9}}, 0);
  TMemoryStream in = StreamOf(archive);
  const BiffHeader header = ReadBiffHeader(in);
  EXPECT_EQ(std::string(header.signature, 8), "BIFFV1  ");
  EXPECT_EQ(header.fileCount, 2u);
  EXPECT_EQ(header.tileCount, 0u);
  EXPECT_EQ(header.fileTableOffset, 20u);
  const BiffFileEntry first = ReadBiffFileEntry(in);
  const BiffFileEntry second = ReadBiffFileEntry(in);
  EXPECT_EQ(first.locator, 7u);
  EXPECT_EQ(first.dataOffset, 52u);
  EXPECT_EQ(first.dataSize, 3u);
  EXPECT_EQ(first.type, 4);
  EXPECT_EQ(second.dataOffset, 55u);
  EXPECT_EQ(second.type, 1);

  TMemoryStream out;
  WriteBiffHeader(out, header);
  WriteBiffFileEntry(out, first);
  WriteBiffFileEntry(out, second);
  EXPECT_EQ(BytesOf(out), archive.substr(0, 52));
}

TEST(BiffLayout, CompressedHeadersAreTwelveBytesAndBlocksEight) {
  TMemoryStream out;
  CompressedBiffHeader header{};
  std::memcpy(header.signature, kCompressedBiffSignature, 8);
  header.uncompressedSize = 8193;
  WriteCompressedBiffHeader(out, header);
  WriteCompressedBiffBlock(out, {8192, 300});
  CompressedItemHeader item{};
  std::memcpy(item.signature, kCompressedBamSignature, 8);
  item.uncompressedLength = 5;
  WriteCompressedItemHeader(out, item);
  std::string expected = "BIFCV1.0";
  build::PutU32(expected, 8193);
  build::PutU32(expected, 8192);
  build::PutU32(expected, 300);
  expected += "BAMCV1  ";
  build::PutU32(expected, 5);
  ASSERT_EQ(BytesOf(out), expected);

  out.SetPosition(0);
  EXPECT_EQ(ReadCompressedBiffHeader(out).uncompressedSize, 8193u);
  const CompressedBiffBlock block = ReadCompressedBiffBlock(out);
  EXPECT_EQ(block.uncompressedLength, 8192u);
  EXPECT_EQ(block.compressedLength, 300u);
  const CompressedItemHeader back = ReadCompressedItemHeader(out);
  EXPECT_EQ(std::string(back.signature, 8), "BAMCV1  ");
  EXPECT_EQ(back.uncompressedLength, 5u);
}

TEST(BiffLayout, OnlyTheExactSignatureMeansCompressed) {
  EXPECT_TRUE(IsCompressedBiffSignature("BIFCV1.0"));
  for (const char* other : {"BIFCV1.1", "BIFFV1  ", "bIFCV1.0", "BIFCV1.\0"})
    EXPECT_FALSE(IsCompressedBiffSignature(other));
}

TEST(BiffNaming, StemsAndTargetLines) {
  EXPECT_EQ(ItemStem("/games/data/Sounds.bif", 26), "Sounds_001A.");
  EXPECT_EQ(ItemStem("/games/data/Sounds.bif", 65536), "Sounds_10000.");
  EXPECT_EQ(ItemStem("/games/data.v2/Sounds.old.bif", 0), "Sounds_0000.");
  EXPECT_EQ(ItemStem("/games/data/Sounds", 255), "_00FF.");
  EXPECT_EQ(TargetLine("WAV", 26, "/out/ACM Sound/Sounds_001A.acm"),
            "#Target WAV 0x0000001A: /out/ACM Sound/Sounds_001A.acm");
  EXPECT_EQ(TargetLine("MVE", 0xFFFFFFFF, "p"), "#Target MVE 0xFFFFFFFF: p");
}

TEST(BiffKinds, TypesAndWordsFindTheirRows) {
  EXPECT_STREQ(KindOfType(4)->kindWord, "WAV");
  EXPECT_STREQ(KindOfType(1)->kindWord, "BMP");
  EXPECT_STREQ(KindOfType(2)->kindWord, "MVE");
  EXPECT_STREQ(KindOfType(1000)->kindWord, "IMAGE");
  EXPECT_STREQ(KindOfType(1004)->kindWord, "MOS");
  EXPECT_EQ(KindOfType(0), nullptr);  // the FONT row has no type
  EXPECT_EQ(KindOfType(3), nullptr);
  EXPECT_EQ(KindOfWord("FONT")->treatment, Treatment::CompressFile);
  EXPECT_EQ(KindOfWord("wav"), nullptr);
}

std::string Header(std::uint32_t count, std::uint32_t tableOffset) {
  std::string bytes = "BIFFV1  ";
  build::PutU32(bytes, count);
  build::PutU32(bytes, 0);
  build::PutU32(bytes, tableOffset);
  return bytes;
}

void ExpectInvalid(const std::string& bytes, const std::string& what) {
  TMemoryStream stream = StreamOf(bytes);
  try {
    ReadCheckedBiffHeader(stream, "/in/A.bif");
    FAIL() << what;
  } catch (const EFormatError& error) {
    EXPECT_EQ(std::string(error.what()), "Invalid BIFF archive /in/A.bif: " + what);
  }
}

TEST(CheckedHeader, RefusesHeadersAndTablesBeyondTheEnd) {
  ExpectInvalid("", "file shorter than its 20-byte header");
  ExpectInvalid(Header(0, 20).substr(0, 19), "file shorter than its 20-byte header");
  ExpectInvalid(Header(1, 20) + std::string(15, '\0'), "file table beyond end of file");
  ExpectInvalid(Header(0xFFFFFFFF, 20), "file table beyond end of file");  // no 32-bit wrap
  ExpectInvalid(Header(1, 0xFFFFFFF8) + std::string(16, '\0'), "file table beyond end of file");
}

TEST(CheckedHeader, AcceptsATableThatEndsExactlyAtTheEnd) {
  const std::string archive = build::MakeBiff({{4, "", 0}, {2, "", 1}});
  TMemoryStream stream = StreamOf(archive);
  const BiffHeader header = ReadCheckedBiffHeader(stream, "A.bif");
  const auto table = ReadBiffFileTable(stream, header);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[1].type, 2);
  EXPECT_EQ(table[1].locator, 1u);
  EXPECT_EQ(table[1].dataOffset, archive.size());
}

TEST(CheckedHeader, EntryDataBoundsDoNotWrap) {
  EXPECT_TRUE(EntryDataInside({0, 10, 90, 4, 0}, 100));
  EXPECT_FALSE(EntryDataInside({0, 10, 91, 4, 0}, 100));
  EXPECT_FALSE(EntryDataInside({0, 0xFFFFFFF0, 0x20, 4, 0}, 100));
}

}  // namespace
}  // namespace trovex
