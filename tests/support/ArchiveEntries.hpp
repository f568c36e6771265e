// The stored bytes of every file entry of a plain archive, for tests that
// compare archives entry by entry.
#pragma once

#include <string>
#include <vector>

#include "archive/BiffFormat.hpp"
#include "framework/MemoryStream.hpp"

namespace trovex::test {

inline std::vector<std::string> EntryData(const std::string& bytes) {
  TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
  std::vector<std::string> data;
  for (const auto& entry : ReadBiffFileTable(stream, ReadCheckedBiffHeader(stream, "archive"))) {
    data.push_back(bytes.substr(entry.dataOffset, entry.dataSize));
  }
  return data;
}

}  // namespace trovex::test
