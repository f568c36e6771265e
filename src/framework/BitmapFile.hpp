// Windows BMP files. The reader takes 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed, RLE4, RLE8 and bit fields, stored bottom-up or top-down;
// 1 to 8 bits give an 8-bit bitmap with the file's colour table, more give a
// 24-bit one. The writer writes 8-bit palettised and 24-bit files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/Bitmap.hpp"

namespace trovex {

// Every size in the headers is checked against the bytes given before
// anything is allocated; a damaged file fails with EInvalidGraphic.
TBitmap DecodeBitmap(const unsigned char* data, std::size_t size);
// The same for a file, whose path the error names.
TBitmap LoadBitmapFile(const std::string& path);

// The BMP file of a bitmap: a 14-byte file header, a 40-byte information
// header, 256 colour table entries for 8 bits, rows bottom-up padded to 4 bytes.
std::vector<unsigned char> EncodeBitmap(const TBitmap& bitmap);
// Writes the BMP file through safe output creation.
void SaveBitmapFile(const TBitmap& bitmap, const std::string& path);

}  // namespace trovex
