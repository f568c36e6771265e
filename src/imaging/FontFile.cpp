#include "imaging/FontFile.hpp"

#include "framework/FileStream.hpp"

namespace trovex {

EFormatError InvalidFont(const std::string& path, const std::string& what) {
  return EFormatError("Invalid font " + path + ": " + what);
}

std::vector<unsigned char> ReadFontStream(TStream& stream, const std::string& path) {
  const std::int64_t size = stream.Size();
  if (size > static_cast<std::int64_t>(~kUncompressedFlag)) throw InvalidFont(path, "larger than 2 GiB");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

std::vector<unsigned char> ReadFontFile(const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  return ReadFontStream(file, path);
}

BamLayout ReadFontLayout(const std::vector<unsigned char>& font, const std::string& path) {
  try {
    BamLayout layout = ReadBamLayout(font.data(), font.size());
    if (layout.frameCount == 0) throw EFormatError("it has no frames");
    return layout;
  } catch (const EFormatError& error) {
    throw InvalidFont(path, error.what());
  }
}

}  // namespace trovex
