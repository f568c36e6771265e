// Writes the seed inputs of the fuzz targets, made by the builders:
// trovex-fuzzseeds DIR gives DIR/<target>/<n> for every target.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "builders/BiffBuilder.hpp"
#include "builders/Bytes.hpp"
#include "builders/FontBuilder.hpp"
#include "builders/ImageBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "builders/MveBuilder.hpp"
#include "builders/TalkBuilder.hpp"
#include "compress/Zlib.hpp"
#include "framework/BitmapFile.hpp"
#include "strings/TalkDump.hpp"

using namespace trovex;
using namespace trovex::build;

namespace {

std::vector<BiffItem> SmallItems() {
  return {{4, MakeWavc(120, 1)}, {4, MakeRiffWave(90, 2)}, {1, MakeBitmap(3, 2, 3)}, {2, MakeMovie(40, 4)},
          {1000, "BAMCV1  " + std::string(4, '\0')}};
}

std::vector<std::string> BiffTables() {
  const std::vector<BiffTileSet> tiles = {{2, 16, MakeTileData(2, 16, 1)}};
  return {MakeBiff(SmallItems()), MakeBiff({}), MakeBiff(SmallItems(), 2), MakeBiffDirectory({{4, 1000}, {1, 20}}),
          MakeBiff(SmallItems(), tiles, {.tablesAtEnd = true, .maxPadding = 4}),
          MakeBiff(SmallItems(), tiles, {.tablesAtEnd = false, .maxPadding = 0})};
}

std::vector<std::string> CompressedArchives() {
  const std::string plain = MakeBiff(SmallItems());
  return {CompressBiff(plain, 256), CompressBiff(plain, 8192, 1), CompressBiff(MakeSoundData(3000, 5), 1024, 0),
          CompressBiff("")};
}

std::vector<std::string> CompressedItems() {
  std::vector<std::string> items;
  for (const char* signature : {"BAMCV1  ", "MOSCV1  "}) {
    for (const std::string& plain : {MakeBitmap(4, 4, 7), std::string(), MakeSoundData(500, 8)}) {
      std::string item = signature;
      PutU32(item, static_cast<std::uint32_t>(plain.size()));
      const auto packed = CompressBuf(plain.data(), plain.size());
      item.append(packed.begin(), packed.end());
      items.push_back(item);
    }
  }
  return items;
}

std::vector<std::string> TalkTables() {
  Random random(11);
  std::vector<std::string> strings;
  for (int i = 0; i < 6; ++i) strings.push_back(RandomTalkString(random, 24));
  strings.push_back("<CHARNAME> says <");
  return {MakeTalkTable(strings), MakeTalkTable({{"one", "A"}, {"<TOKEN> two", ""}}, "gap"),
          MakeTalkTable(std::vector<std::string>{})};
}

std::vector<std::string> TalkDumps() {
  std::vector<std::string> dumps;
  Random random(12);
  std::string dump(1, '\x05');
  for (std::uint32_t i = 0; i < 5; ++i) AppendDumpEntry(dump, i, RandomTalkString(random, 30));
  dumps.push_back(dump);
  dumps.push_back(std::string(1, '\x02') + "[00000000]\nedited\n\n[########]\r[1]\r\n<**>\r\n[########]");
  dumps.push_back(std::string(1, '\x03') + "[00000000]\r\n[########]\r\n[00000002]\r\n[########]\r\n");
  return dumps;
}

std::vector<std::string> PoFiles() {
  const std::string header =
      "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"X-Trovex-Code-Page: 932\\n\"\n\n";
  return {header + "#. sound: SPCH0001\n#, fuzzy\nmsgctxt \"0\"\nmsgid \"\"\n\"Hello <CHARNAME>\\n\"\n\"two\"\n"
                   "msgstr \"\xE6\x97\xA5\xE6\x9C\xAC\"\n\n#~ msgctxt \"1\"\n#~ msgid \"old\"\n#~ msgstr \"alt\"\n",
          header + "msgctxt \"7\"\nmsgid \"a\"\nmsgid_plural \"b\"\nmsgstr[0] \"c\"\nmsgstr[1] \"d\"\n"};
}

std::vector<std::string> KeyInputs() {
  std::vector<std::string> inputs;
  const std::string key =
      MakeKey({{"data\\AREA.bif", 5}, {"sounds.bif", 0xFFFF}, {"\xC9t\xE9.bif", 0}}, {{"R", 4, 7}, {"S", 1, 8}});
  for (const std::string listing :
       {"data\\area.bif\r\n1\r\nSOUNDS.BIF\r\n0000000000000001\r\n", "\xE9T\xC9.BIF\nx\n", "sounds.bif"}) {
    std::string input;
    PutU16(input, static_cast<std::uint16_t>(key.size()));
    inputs.push_back(input + key + listing);
  }
  std::string empty;
  PutU16(empty, 0);
  inputs.push_back(empty + MakeKey({}));
  // Resource names that need every escape, in archives of one name.
  std::vector<KeyResource> awkward;
  for (const std::string& name : AwkwardResourceNames()) {
    const auto at = static_cast<std::uint32_t>(awkward.size());
    awkward.push_back({name, 4, KeyLocator(at % 3, at)});
  }
  const std::string named = MakeKey({{"a\\S.bif"}, {"b\\s.BIF"}, {"S.bif"}}, awkward);
  std::string input;
  PutU16(input, static_cast<std::uint16_t>(named.size()));
  inputs.push_back(input + named);
  return inputs;
}

std::vector<std::string> JobLogs() {
  return {"#Format: BIFF\r\n#Source: /game/Sounds.bif\r\n#Target WAV 0x0000001A: /out/ACM Sound/Sounds_001A.acm\r\n"
          "#Target IMAGE 0x00000002: /out/Images/Sounds_0002.bmp\r\n#Target BMP: /out/Images/Sounds_0002_0.bmp\r\n",
          "#Format: TALK\r\n#Source: /game/dialog.tlk\r\n#Target: /out/dialog.txt\r\n",
          "#Format: KEY\n#Source: /game/chitin.key\n/out/chitin.txt\n",
          "  #Source:x\r#Format:\tBIFFCV\r\n\r\n#Target FONT 0xFFFFFFFF: a:b\n",
          "/out/first/result.log\r\n/out/second/result.log\r\n"};
}

std::string BitmapFile(const TBitmap& bitmap) {
  const std::vector<unsigned char> bytes = EncodeBitmap(bitmap);
  return std::string(bytes.begin(), bytes.end());
}

// A glyph sheet of three bands: marker column white, separators black.
TBitmap SmallSheet() {
  TBitmap sheet(PixelFormat::pf8bit, 8, 15);
  sheet.Palette()[1] = 0xFFFFFF;
  sheet.Palette()[2] = 0x00FF00;
  for (std::uint32_t y = 0; y < 15; ++y) {
    std::fill(sheet.Row(y), sheet.Row(y) + 8, 2);
    sheet.Row(y)[0] = y % 5 == 4 ? 0 : 1;
  }
  sheet.Row(2)[3] = 1;
  sheet.Row(7)[6] = 0;
  return sheet;
}

std::vector<std::string> Bitmaps() {
  TBitmap rgb(PixelFormat::pf24bit, 5, 3);
  for (std::size_t i = 0; i < rgb.Pixels().size(); ++i) rgb.Pixels()[i] = static_cast<unsigned char>(i * 17);
  // Run-length files whose literal runs take an odd count of bytes.
  const std::vector<unsigned char> pixels = {1, 2, 3, 4, 4, 4, 5, 6, 7, 8, 9, 2, 2, 2, 2, 1, 3, 5, 7, 9, 11, 13};
  const std::vector<std::uint32_t> colours(16, 0x405060);
  return {MakeBitmap(7, 3, 9), BitmapFile(rgb), BitmapFile(SmallSheet()), MakeRleBitmap(8, 11, 2, pixels, colours),
          MakeRleBitmap(4, 11, 2, pixels, colours)};
}

std::vector<std::string> Bams() {
  BamShape shape;
  shape.runValue = 129;
  shape.frames = {{6, 4, true}, {1, 1, false}, {0, 0, true}, {6, 4, true, 0}};
  BamShape plain;
  plain.frames = {{3, 3, false}};
  plain.dataInReverse = true;
  // Tables behind the frame data, and an empty frame pointing into the header.
  return {MakeBam(shape), MakeBam(plain), MakeBam(BamShape{}), MoveBamTablesBehindData(MakeBam(shape), true, false),
          MoveBamTablesBehindData(PointEmptyFramesAt(MakeBam(shape), 4), false, true)};
}

std::vector<std::string> Moses() { return {MakeMos(70, 10, 64, 1), MakeMos(3, 5, 2, 2), MakeMos(0, 0, 64, 3)}; }

// Fonts of the layouts that insertion checks: enough frames for 64 glyphs,
// a short lookup table, a short palette, 255 frames.
std::vector<std::string> Fonts() {
  FontShape shortLookup;
  shortLookup.frameCount = 3;
  shortLookup.cycles = {{96, 0}, {2, 10}};
  FontShape shortPalette;
  shortPalette.frameCount = 3;
  shortPalette.paletteColours = 16;
  FontShape full;
  full.frameCount = 255;
  return {MakeFont(3, 1), MakeFont(1, 2), MakeFont(70, 3), MakeFontOf(shortLookup), MakeFontOf(shortPalette),
          MakeFontOf(full)};
}

// Small movies of every audio format, and one without sound.
std::vector<std::string> Movies() {
  std::vector<std::string> movies;
  for (const auto& [channels, sixteenBit, compressed] :
       {std::tuple{1u, false, false}, {2u, true, false}, {1u, true, true}, {2u, true, true}}) {
    MovieShape shape;
    shape.channels = channels;
    shape.sixteenBit = sixteenBit;
    shape.compressed = compressed;
    shape.rate = 2205;
    shape.videoFrames = 2;
    shape.videoBytes = 8;
    movies.push_back(MakeMovie(shape, ToneSamples(shape, TrackFrames(shape))));
  }
  MovieShape silent;
  silent.withSound = false;
  silent.videoFrames = 1;
  movies.push_back(MakeMovie(silent, {}));
  return movies;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trovex-fuzzseeds DIR\n");
    return 2;
  }
  const std::map<std::string, std::function<std::vector<std::string>()>> seeds = {
      {"biff_table", BiffTables},     {"compressed_biff", CompressedArchives},
      {"compressed_item", CompressedItems}, {"talk_table", TalkTables},
      {"talk_dump", TalkDumps},       {"key_index", KeyInputs},
      {"po_file", PoFiles},
      {"job_log", JobLogs},
      {"bmp_file", Bitmaps},          {"glyph_sheet", [] { return std::vector<std::string>{BitmapFile(SmallSheet())}; }},
      {"bam_image", Bams},            {"mos_image", Moses},
      {"font_sheet", Fonts},          {"mve_movie", Movies},
  };
  for (const auto& [target, make] : seeds) {
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / target;
    std::filesystem::create_directories(folder);
    int n = 0;
    for (const std::string& seed : make()) {
      std::ofstream(folder / ("seed-" + std::to_string(n++)), std::ios::binary) << seed;
    }
  }
  return 0;
}
