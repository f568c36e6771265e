#include "imaging/ZeroRuns.hpp"

namespace trovex {

std::size_t UnpackZeroRuns(const unsigned char* source, std::size_t size, std::vector<unsigned char>& target,
                           std::uint32_t width, std::uint32_t height, unsigned char runValue) {
  const std::uint64_t wanted = std::uint64_t{width} * height;
  target.clear();
  target.reserve(static_cast<std::size_t>(wanted) + 256);
  std::size_t at = 0;
  unsigned char last = 0;
  auto next = [&] {
    if (at < size) last = source[at++];
    return last;
  };
  while (target.size() < wanted) {
    const unsigned char b = next();
    if (b != runValue) {
      target.push_back(b);
    } else {
      target.insert(target.end(), std::size_t{next()} + 1, runValue);
    }
  }
  return at;
}

}  // namespace trovex
