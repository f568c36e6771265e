#include "strings/SourceText.hpp"

#include <algorithm>
#include <cstring>

namespace trovex {

std::string_view TSourceText::Window(std::size_t position) const {
  if (position < windowStart_ || position >= windowStart_ + window_.size()) {
    // Windows lie on multiples of their size, so that a scan backwards
    // reads each byte once as well.
    windowStart_ = position - position % kWindowSize;
    window_.resize(std::min(kWindowSize, size_ - windowStart_));
    stream_->SetPosition(static_cast<std::int64_t>(offset_ + windowStart_));
    stream_->ReadBuffer(window_.data(), window_.size());
  }
  return std::string_view(window_).substr(position - windowStart_);
}

std::size_t TSourceText::WindowedFind(char c, std::size_t position) const {
  while (position < size_) {
    const std::string_view window = Window(position);
    if (const void* hit = std::memchr(window.data(), c, window.size())) {
      return position + static_cast<std::size_t>(static_cast<const char*>(hit) - window.data());
    }
    position += window.size();
  }
  return npos;
}

std::size_t TSourceText::WindowedRFind(char c) const {
  for (std::size_t end = size_; end > 0;) {
    const std::size_t start = (end - 1) - (end - 1) % kWindowSize;
    const std::string_view window = Window(start).substr(0, end - start);
    const std::size_t hit = window.rfind(c);
    if (hit != std::string_view::npos) return start + hit;
    end = start;
  }
  return npos;
}

bool TSourceText::WindowedStartsWith(std::size_t position, std::string_view bytes) const {
  while (!bytes.empty()) {
    const std::string_view window = Window(position).substr(0, bytes.size());
    if (bytes.substr(0, window.size()) != window) return false;
    bytes.remove_prefix(window.size());
    position += window.size();
  }
  return true;
}

void TSourceText::WindowedAppendTo(TTextOut& out, std::size_t position, std::size_t length) const {
  while (length > 0) {
    const std::string_view window = Window(position).substr(0, length);
    out.Append(window);
    position += window.size();
    length -= window.size();
  }
}

TSourceText TSourceText::Prefix(std::size_t length) const {
  length = std::min(length, size_);
  return stream_ == nullptr ? TSourceText(bytes_.substr(0, length)) : TSourceText(*stream_, offset_, length);
}

}  // namespace trovex
