// trovex-sample DIR: writes a set of synthetic, valid game files into DIR.
#include <cstdio>
#include <string>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "sample/Samples.hpp"

namespace {

constexpr const char* kUsage = "usage: trovex-sample DIR\n";

}  // namespace

// An option is never taken for a folder's name: "--help" prints the usage,
// any other leading "-" is a usage error ("./-x" names such a folder).
int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (argc == 2 && (first == "--help" || first == "-h")) {
    std::printf("%sWrites a set of synthetic, valid game files into DIR (created when missing)\n"
                "and prints their paths.\n",
                kUsage);
    return 0;
  }
  if (argc != 2 || first.empty() || first[0] == '-') {
    std::fputs(kUsage, stderr);
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
