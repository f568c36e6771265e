#include "framework/BitmapFile.hpp"

#include <algorithm>
#include <bit>

#include "framework/FileStream.hpp"
#include "framework/SafeOutput.hpp"
#include "framework/Stream.hpp"

namespace trovex {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;
// Compression codes of the information header.
enum : std::uint32_t { biRgb = 0, biRle8 = 1, biRle4 = 2, biBitfields = 3, biAlphaBitfields = 6 };

// What the headers say, once checked.
struct BmpLayout {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool topDown = false;
  unsigned bits = 0;
  std::uint32_t compression = biRgb;
  std::uint32_t masks[3] = {};  // red, green, blue for bit fields
  std::size_t pixelOffset = 0;
};

// The bytes of the file with every read checked against its size.
class BmpReader {
 public:
  BmpReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  TBitmap Decode() {
    BmpLayout layout = ReadHeaders();
    const PixelFormat format = layout.bits <= 8 ? PixelFormat::pf8bit : PixelFormat::pf24bit;
    CheckPixelBytes(layout);
    TBitmap bitmap(format, layout.width, layout.height);
    const unsigned colors = layout.bits <= 8 ? ReadColorTable(layout, bitmap.Palette()) : 0;
    bitmap.SetFileFormat(layout.bits, colors);
    if (layout.compression == biRle8 || layout.compression == biRle4) {
      DecodeRle(layout, bitmap);
    } else {
      DecodeRows(layout, bitmap);
    }
    return bitmap;
  }

 private:
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return LoadU32(data_ + at);
  }
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return LoadU16(data_ + at);
  }
  void Need(std::size_t at, std::size_t count) const {
    if (at > size_ || count > size_ - at) throw EInvalidGraphic();
  }

  BmpLayout ReadHeaders() {
    if (U16(0) != 0x4D42) throw EInvalidGraphic();  // "BM"
    BmpLayout layout;
    layout.pixelOffset = U32(10);
    infoSize_ = U32(kFileHeaderSize);
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (infoSize_ == kCoreHeaderSize) {
      width = U16(18);
      height = U16(20);
      layout.bits = U16(24);
    } else if (infoSize_ >= kInfoHeaderSize) {
      Need(kFileHeaderSize, infoSize_);
      width = static_cast<std::int32_t>(U32(18));
      height = static_cast<std::int32_t>(U32(22));
      layout.bits = U16(28);
      layout.compression = U32(30);
      colorsUsed_ = U32(46);
    } else {
      throw EInvalidGraphic();
    }
    layout.topDown = height < 0;
    // Empty bitmaps are valid: frames of 0 × 0 pixels are written as such.
    if (width < 0) throw EInvalidGraphic();
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(layout.topDown ? -height : height);
    CheckFormat(layout);
    if (layout.pixelOffset < kFileHeaderSize + infoSize_ || layout.pixelOffset > size_) throw EInvalidGraphic();
    return layout;
  }

  void CheckFormat(BmpLayout& layout) {
    const unsigned bits = layout.bits;
    const std::uint32_t c = layout.compression;
    const bool known =
        (c == biRgb && (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
        (c == biRle8 && bits == 8) || (c == biRle4 && bits == 4) ||
        ((c == biBitfields || c == biAlphaBitfields) && (bits == 16 || bits == 32));
    if (!known) throw EInvalidGraphic();
    if ((c == biRle8 || c == biRle4) && layout.topDown) throw EInvalidGraphic();
    if (c == biBitfields || c == biAlphaBitfields) {
      // The masks follow a 40-byte header, or are part of a longer one.
      for (int i = 0; i < 3; ++i) layout.masks[i] = U32(kFileHeaderSize + kInfoHeaderSize + 4 * i);
      if (infoSize_ == kInfoHeaderSize) infoSize_ += c == biBitfields ? 12 : 16;
    } else if (bits == 16) {
      layout.masks[0] = 0x7C00;
      layout.masks[1] = 0x03E0;
      layout.masks[2] = 0x001F;
    } else if (bits == 32) {
      layout.masks[0] = 0x00FF0000;
      layout.masks[1] = 0x0000FF00;
      layout.masks[2] = 0x000000FF;
    }
  }

  static std::size_t Stride(const BmpLayout& layout) {
    return static_cast<std::size_t>((std::uint64_t{layout.width} * layout.bits + 31) / 32 * 4);
  }

  // Uncompressed rows must all be in the file. Run-length data may expand,
  // but not beyond what its bytes could encode with runs and skips.
  void CheckPixelBytes(const BmpLayout& layout) const {
    const std::uint64_t available = size_ - layout.pixelOffset;
    const std::uint64_t pixels = std::uint64_t{layout.width} * layout.height;
    if (pixels > kMaxBitmapPixels) throw EInvalidGraphic();
    if (layout.compression == biRle8 || layout.compression == biRle4) {
      if (pixels / 1024 > available) throw EInvalidGraphic();
    } else if (std::uint64_t{Stride(layout)} * layout.height > available) {
      throw EInvalidGraphic();
    }
  }

  // Returns the count of entries the file holds.
  unsigned ReadColorTable(const BmpLayout& layout, TColorTable& table) const {
    const std::size_t entrySize = infoSize_ == kCoreHeaderSize ? 3 : 4;
    const std::uint32_t full = 1u << layout.bits;
    const std::uint32_t count = colorsUsed_ == 0 ? full : std::min(colorsUsed_, full);
    const std::size_t start = kFileHeaderSize + infoSize_;
    // Files that leave the table short hold as many entries as fit before the pixels.
    const std::size_t room = layout.pixelOffset > start ? (layout.pixelOffset - start) / entrySize : 0;
    const std::uint32_t held = static_cast<std::uint32_t>(std::min<std::size_t>(count, room));
    for (std::uint32_t i = 0; i < held; ++i) {
      const unsigned char* p = data_ + start + i * entrySize;
      table[i] = MakeColor(p[2], p[1], p[0]);
    }
    return held;
  }

  static std::uint32_t RowOf(const BmpLayout& layout, std::uint32_t stored) {
    return layout.topDown ? stored : layout.height - 1 - stored;
  }

  void DecodeRows(const BmpLayout& layout, TBitmap& bitmap) const {
    // Rows of no pixels take no bytes, so any count of them passes the size
    // check; there is nothing to read in them.
    if (layout.width == 0) return;
    const std::size_t stride = Stride(layout);
    for (std::uint32_t stored = 0; stored < layout.height; ++stored) {
      const unsigned char* in = data_ + layout.pixelOffset + stored * stride;
      unsigned char* out = bitmap.Row(RowOf(layout, stored));
      switch (layout.bits) {
        case 1:
        case 4:
          for (std::uint32_t x = 0; x < layout.width; ++x) {
            const std::size_t bit = std::size_t{x} * layout.bits;
            const unsigned shift = 8 - layout.bits - static_cast<unsigned>(bit % 8);
            out[x] = static_cast<unsigned char>((in[bit / 8] >> shift) & ((1u << layout.bits) - 1));
          }
          break;
        case 8:
        case 24:
          std::copy(in, in + bitmap.RowBytes(), out);
          break;
        default:
          DecodeMaskedRow(layout, in, out);
          break;
      }
    }
  }

  // A channel of a bit-field pixel, scaled to 0..255.
  static unsigned Channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const unsigned shift = static_cast<unsigned>(std::countr_zero(mask));
    const std::uint32_t max = mask >> shift;
    return static_cast<unsigned>((std::uint64_t{(pixel & mask) >> shift} * 255 + max / 2) / max);
  }

  static void DecodeMaskedRow(const BmpLayout& layout, const unsigned char* in, unsigned char* out) {
    const unsigned bytes = layout.bits / 8;
    for (std::uint32_t x = 0; x < layout.width; ++x, in += bytes, out += 3) {
      const std::uint32_t pixel = bytes == 2 ? LoadU16(in) : LoadU32(in);
      out[0] = static_cast<unsigned char>(Channel(pixel, layout.masks[2]));
      out[1] = static_cast<unsigned char>(Channel(pixel, layout.masks[1]));
      out[2] = static_cast<unsigned char>(Channel(pixel, layout.masks[0]));
    }
  }

  // Run-length data: pairs of count and value, or an escape (0) followed by
  // end of line (0), end of bitmap (1), a move (2, dx, dy) or a literal run
  // padded to an even length. Pixels that fall outside the bitmap are dropped;
  // the data ending early leaves the rest of the bitmap at index 0.
  void DecodeRle(const BmpLayout& layout, TBitmap& bitmap) const {
    const bool four = layout.compression == biRle4;
    std::size_t at = layout.pixelOffset;
    std::uint64_t x = 0;
    std::uint64_t y = 0;  // stored row, from the bottom
    auto put = [&](unsigned value) {
      if (x < layout.width && y < layout.height) {
        bitmap.Row(RowOf(layout, static_cast<std::uint32_t>(y)))[x] = static_cast<unsigned char>(value);
      }
      ++x;
    };
    while (at + 1 < size_ && y < layout.height) {
      const unsigned count = data_[at];
      const unsigned value = data_[at + 1];
      at += 2;
      if (count > 0) {
        for (unsigned i = 0; i < count; ++i) put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
      } else if (value == 0) {
        x = 0;
        ++y;
      } else if (value == 1) {
        return;
      } else if (value == 2) {
        Need(at, 2);
        x += data_[at];
        y += data_[at + 1];
        at += 2;
      } else {
        const std::size_t bytes = four ? (value + 1) / 2 : value;
        Need(at, bytes);
        for (unsigned i = 0; i < value; ++i) {
          put(four ? (i % 2 ? data_[at + i / 2] & 0x0F : data_[at + i / 2] >> 4) : data_[at + i]);
        }
        at += bytes + bytes % 2;
      }
    }
  }

  const unsigned char* data_;
  std::size_t size_;
  std::uint32_t infoSize_ = 0;
  std::uint32_t colorsUsed_ = 0;
};

}  // namespace

TBitmap DecodeBitmap(const unsigned char* data, std::size_t size) { return BmpReader(data, size).Decode(); }

TBitmap LoadBitmapFile(const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  const std::int64_t size = file.Size();
  // Even the largest bitmap takes far less than this; a bigger file is not one.
  if (size > (std::int64_t{1} << 31)) throw EInvalidGraphic(path);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  file.ReadBuffer(bytes.data(), bytes.size());
  try {
    return DecodeBitmap(bytes.data(), bytes.size());
  } catch (const EInvalidGraphic&) {
    throw EInvalidGraphic(path);
  }
}

std::vector<unsigned char> EncodeBitmap(const TBitmap& bitmap) {
  const bool indexed = bitmap.Format() == PixelFormat::pf8bit;
  const std::size_t stride = (bitmap.RowBytes() + 3) / 4 * 4;
  const std::size_t tableBytes = indexed ? 256 * 4 : 0;
  const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
  const std::uint64_t fileSize = pixelOffset + std::uint64_t{stride} * bitmap.Height();
  if (fileSize > UINT32_MAX) throw EInvalidGraphic();
  std::vector<unsigned char> out(static_cast<std::size_t>(fileSize), 0);
  unsigned char* p = out.data();
  p[0] = 'B';
  p[1] = 'M';
  StoreU32(p + 2, static_cast<std::uint32_t>(fileSize));
  StoreU32(p + 10, static_cast<std::uint32_t>(pixelOffset));
  StoreU32(p + 14, kInfoHeaderSize);
  StoreU32(p + 18, bitmap.Width());
  StoreU32(p + 22, bitmap.Height());
  StoreU16(p + 26, 1);
  StoreU16(p + 28, indexed ? 8 : 24);
  StoreU32(p + 34, static_cast<std::uint32_t>(stride * bitmap.Height()));
  StoreU32(p + 38, 2835);  // 72 dots per inch, in dots per metre
  StoreU32(p + 42, 2835);
  if (indexed) {
    StoreU32(p + 46, 256);
    for (std::size_t i = 0; i < 256; ++i) {
      const TColor c = bitmap.Palette()[i];
      unsigned char* entry = p + kFileHeaderSize + kInfoHeaderSize + 4 * i;
      entry[0] = static_cast<unsigned char>(BlueOf(c));
      entry[1] = static_cast<unsigned char>(GreenOf(c));
      entry[2] = static_cast<unsigned char>(RedOf(c));
    }
  }
  for (std::uint32_t y = 0; y < bitmap.Height() && bitmap.Width() != 0; ++y) {
    const unsigned char* row = bitmap.Row(y);
    std::copy(row, row + bitmap.RowBytes(), p + pixelOffset + std::size_t{bitmap.Height() - 1 - y} * stride);
  }
  return out;
}

void SaveBitmapFile(const TBitmap& bitmap, const std::string& path) {
  const std::vector<unsigned char> bytes = EncodeBitmap(bitmap);
  TSafeOutput out(path);
  out.WriteBuffer(bytes.data(), bytes.size());
  out.Commit();
}

}  // namespace trovex
