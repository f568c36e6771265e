#include "builders/BiffBuilder.hpp"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "builders/Bytes.hpp"

namespace trovex::build {

namespace {

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  Random random(seed);
  std::string out(size, '\0');
  for (auto& byte : out) byte = static_cast<char>(random.Next() >> 24);
  return out;
}

}  // namespace

std::string MakeBiffDirectory(const std::vector<BiffSlot>& slots, std::uint32_t tileCount) {
  std::string out = "BIFFV1  ";
  PutU32(out, static_cast<std::uint32_t>(slots.size()));
  PutU32(out, tileCount);
  PutU32(out, 20);
  std::uint64_t offset = 20 + 16 * std::uint64_t{slots.size()};
  for (const auto& slot : slots) {
    PutU32(out, slot.locator);
    PutU32(out, static_cast<std::uint32_t>(offset));
    PutU32(out, slot.size);
    PutU16(out, slot.type);
    PutU16(out, 0);
    offset += slot.size;
  }
  return out;
}

std::string MakeBiff(const std::vector<BiffItem>& items, std::uint32_t tileCount) {
  std::vector<BiffSlot> slots;
  for (const auto& item : items)
    slots.push_back({item.type, static_cast<std::uint32_t>(item.data.size()), item.locator});
  std::string out = MakeBiffDirectory(slots, tileCount);
  for (const auto& item : items) out += item.data;
  return out;
}

BiffPlan PlanBiff(const std::vector<BiffSlot>& slots, const std::vector<BiffTileSlot>& tiles, const BiffLayout& layout) {
  BiffPlan plan;
  const std::uint64_t tablesSize = 16 * std::uint64_t{slots.size()} + 20 * std::uint64_t{tiles.size()};
  std::uint64_t offset = layout.tablesAtEnd ? 20 : 20 + tablesSize;
  auto place = [&](std::uint64_t size) {
    const auto at = static_cast<std::uint32_t>(offset);
    const std::uint32_t padding = layout.maxPadding ? 1 + plan.paddings.size() % layout.maxPadding : 0;
    plan.paddings.push_back(padding);
    offset += size + padding;
    return at;
  };
  for (const auto& slot : slots) {
    PutU32(plan.tables, slot.locator);
    PutU32(plan.tables, place(slot.size));
    PutU32(plan.tables, slot.size);
    PutU16(plan.tables, slot.type);
    PutU16(plan.tables, 0);
  }
  for (const auto& tile : tiles) {
    PutU32(plan.tables, tile.locator);
    PutU32(plan.tables, place(std::uint64_t{tile.tileCount} * tile.tileSize));
    PutU32(plan.tables, tile.tileCount);
    PutU32(plan.tables, tile.tileSize);
    PutU16(plan.tables, kTileSetType);
    PutU16(plan.tables, 0);
  }
  plan.header = "BIFFV1  ";
  PutU32(plan.header, static_cast<std::uint32_t>(slots.size()));
  PutU32(plan.header, static_cast<std::uint32_t>(tiles.size()));
  PutU32(plan.header, static_cast<std::uint32_t>(layout.tablesAtEnd ? offset : 20));
  return plan;
}

std::string MakeBiff(const std::vector<BiffItem>& items, const std::vector<BiffTileSet>& tiles,
                     const BiffLayout& layout) {
  std::vector<BiffSlot> slots;
  for (const auto& item : items)
    slots.push_back({item.type, static_cast<std::uint32_t>(item.data.size()), item.locator});
  std::vector<BiffTileSlot> tileSlots;
  for (const auto& tile : tiles) tileSlots.push_back({tile.tileCount, tile.tileSize, tile.locator});
  const BiffPlan plan = PlanBiff(slots, tileSlots, layout);
  std::string out = plan.header;
  if (!layout.tablesAtEnd) out += plan.tables;
  std::size_t k = 0;
  for (const auto& item : items) out += item.data + std::string(plan.paddings[k++], '\0');
  for (const auto& tile : tiles) out += tile.data + std::string(plan.paddings[k++], '\0');
  if (layout.tablesAtEnd) out += plan.tables;
  return out;
}

std::string MakeTileData(std::uint32_t tileCount, std::uint32_t tileSize, std::uint32_t seed) {
  return RandomBytes(std::size_t{tileCount} * tileSize, seed);
}

std::string MakeSoundData(std::size_t size, std::uint32_t seed) {
  Random random(seed);
  std::string out(size, '\0');
  int sample = 0;
  for (std::size_t at = 0; at + 1 < size; at += 2) {
    sample = (sample * 15) / 16 + static_cast<int>(random.Below(512)) - 256;
    out[at] = static_cast<char>(sample & 0xFF);
    out[at + 1] = static_cast<char>((sample >> 8) & 0xFF);
  }
  return out;
}

std::string MakeWavc(std::size_t size, std::uint32_t seed) {
  const std::size_t payload = size > 28 ? size - 28 : 0;
  std::string out = "WAVCV1.0";
  PutU32(out, static_cast<std::uint32_t>(payload * 4));  // decompressed length
  PutU32(out, static_cast<std::uint32_t>(payload));      // compressed length
  PutU32(out, 28);                                       // header length
  PutU16(out, 1);                                        // channels
  PutU16(out, 16);                                       // bits per sample
  PutU16(out, 22050);                                    // sample rate
  PutU16(out, 0);
  out.resize(std::min<std::size_t>(size, 28));
  return out + MakeSoundData(payload, seed);
}

std::string MakeRiffWave(std::size_t size, std::uint32_t seed) {
  const std::size_t samples = size > 44 ? (size - 44) & ~std::size_t{1} : 0;
  std::string out = "RIFF";
  PutU32(out, static_cast<std::uint32_t>(36 + samples));
  out += "WAVEfmt ";
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 1);  // mono
  PutU32(out, 22050);
  PutU32(out, 44100);  // bytes per second
  PutU16(out, 2);      // block align
  PutU16(out, 16);     // bits per sample
  out += "data";
  PutU32(out, static_cast<std::uint32_t>(samples));
  return out + MakeSoundData(samples, seed);
}

std::string MakeBitmap(int width, int height, std::uint32_t seed) {
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(height);
  const std::uint32_t stride = (w + 3) & ~3u;
  const std::uint32_t pixelOffset = 14 + 40 + 1024;
  std::string out = "BM";
  PutU32(out, pixelOffset + stride * h);
  PutU32(out, 0);
  PutU32(out, pixelOffset);
  PutU32(out, 40);
  PutU32(out, w);
  PutU32(out, h);
  PutU16(out, 1);  // planes
  PutU16(out, 8);  // bits per pixel
  PutU32(out, 0);  // uncompressed
  PutU32(out, stride * h);
  PutU32(out, 2835);
  PutU32(out, 2835);
  PutU32(out, 256);
  PutU32(out, 0);
  for (std::uint32_t colour = 0; colour < 256; ++colour) PutU32(out, colour * 0x010101u);
  Random random(seed);
  for (std::uint32_t row = 0; row < h; ++row) {
    for (std::uint32_t x = 0; x < stride; ++x) out.push_back(x < w ? static_cast<char>(random.Below(256)) : '\0');
  }
  return out;
}

std::string MakeMovie(std::size_t size, std::uint32_t seed) { return RandomBytes(size, seed); }

std::string CompressBiff(const std::string& plain, std::size_t blockSize, int level) {
  std::string out = "BIFCV1.0";
  PutU32(out, static_cast<std::uint32_t>(plain.size()));
  for (std::size_t at = 0; at < plain.size(); at += blockSize) {
    const std::size_t length = std::min(blockSize, plain.size() - at);
    uLongf packedLength = compressBound(static_cast<uLong>(length));
    std::string packed(packedLength, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedLength,
                  reinterpret_cast<const Bytef*>(plain.data() + at), static_cast<uLong>(length), level) != Z_OK) {
      throw std::runtime_error("compress2 failed");
    }
    PutU32(out, static_cast<std::uint32_t>(length));
    PutU32(out, static_cast<std::uint32_t>(packedLength));
    out.append(packed, 0, packedLength);
  }
  return out;
}

}  // namespace trovex::build
