// trovex-benchdata KIND OUT ARGS...: writes a large input for the benchmarks.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "benchdata/BenchData.hpp"

namespace {

struct Maker {
  const char* kind;
  int (*make)(const std::vector<std::string>& args);
};

constexpr Maker kMakers[] = {
    {"biff-sounds", trovex::benchdata::MakeBiffSounds},
    {"biff-real", trovex::benchdata::MakeBiffReal},
    {"talk", trovex::benchdata::MakeTalk},
    {"talk-line", trovex::benchdata::MakeTalkLine},
    {"mve", trovex::benchdata::MakeMovie},
    {"biff-images", trovex::benchdata::MakeBiffImages},
    {"key", trovex::benchdata::MakeKey},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2) {
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& maker : kMakers) {
      if (std::strcmp(argv[1], maker.kind) != 0) continue;
      try {
        return maker.make(args);
      } catch (const std::exception& error) {
        std::fprintf(stderr, "trovex-benchdata: %s\n", error.what());
        return 1;
      }
    }
  }
  std::fprintf(stderr, "usage: trovex-benchdata biff-sounds|biff-real|talk|talk-line|mve|biff-images|key OUT ARGS...\n");
  return 2;
}
