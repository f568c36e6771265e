// trovex-sample DIR: writes a set of synthetic, valid game files into DIR.
#include <cstdio>
#include <string>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "sample/Samples.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trovex-sample DIR\n");
    return 2;
  }
  const std::string dir = trovex::AbsolutePath(argv[1]);
  try {
    if (!trovex::ForceDirectories(dir)) throw trovex::EFCreateError(dir);
    for (auto writer : {trovex::sample::WriteBiffSamples, trovex::sample::WriteTalkSamples,
                        trovex::sample::WriteKeySamples, trovex::sample::WriteSoundSamples,
                        trovex::sample::WriteImageSamples}) {
      for (const auto& name : writer(dir)) std::printf("%s\n", trovex::JoinPath(dir, name).c_str());
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "trovex-sample: %s\n", error.what());
    return 1;
  }
  return 0;
}
